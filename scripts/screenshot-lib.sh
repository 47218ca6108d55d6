# Sourced by the screenshot scripts, with their work folder as $1.
#
# Sets data to a folder in it with the files the screenshots check and two lists of them, checksums.md5
# (code page 932: two good files, a changed one and a missing one) and archive.sfv (CRC-32 with sizes: a good
# file and one of the wrong size).
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

# The hand of a drag: presses BUTTON on the drag source's window (mapped at 600, 400), moves in eight steps
# of PAUSE seconds to the drop box at (drop_x, drop_y), rests there REST seconds and lets go.
hand_drag_to_drop_box() { # button pause rest
    xdotool mousemove 640 440 mousedown "$1"
    for step in 1 2 3 4 5 6 7 8; do
        xdotool mousemove $((640 + (drop_x - 640) * step / 8)) $((440 + (drop_y - 440) * step / 8))
        sleep "$2"
    done
    sleep "$3"
    xdotool mouseup "$1"
}
