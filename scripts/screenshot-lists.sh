# Sourced by the screenshot scripts: sets data to a folder in $1 with the files the screenshots check and
# two lists of them, checksums.md5 (code page 932: two good files, a changed one and a missing one) and
# archive.sfv (CRC-32 with sizes: a good file and one of the wrong size).
data="$1/写真と資料"
mkdir -p "$data"
head -c 48000 /dev/zero | tr '\0' 'a' > "$data/旅行.jpg"
printf 'meeting notes\n' > "$data/notes.txt"
head -c 9000 /dev/zero | tr '\0' 'p' > "$data/report.pdf"
head -c 20000 /dev/zero | tr '\0' 'z' > "$data/backup.zip"
md5() { md5sum "$1" | cut -d' ' -f1; }
crc32() { gzip -c < "$1" | tail -c 8 | head -c 4 | od -An -tx4 | tr -d ' \n' | tr 'a-f' 'A-F'; }
{
    printf '旅行.jpg %s\r\n' "$(md5 "$data/旅行.jpg")"
    printf 'notes.txt %s\r\n' "$(md5 "$data/notes.txt")"
    printf 'report.pdf %s\r\n' "0123456789abcdef0123456789abcdef"
    printf 'old-draft.doc %s\r\n' "$(md5 "$data/notes.txt")"
} | iconv -f UTF-8 -t CP932 > "$data/checksums.md5"
{
    printf 'backup.zip %s 20000\r\n' "$(crc32 "$data/backup.zip")"
    printf 'notes.txt %s 99\r\n' "$(crc32 "$data/notes.txt")"
} > "$data/archive.sfv"
