#!/usr/bin/env bash
# Writes the benchmark corpus: three data sets of random files, each with checksum lists for
# ferrule-check, md5sum -c and rhash -c. Usage: bench/make-corpus.sh [FOLDER] (default build-bench/corpus).
#
#   big/     one file of 2 GiB
#   medium/  200 files of 1 to 20 MiB
#   small/   20,000 files of 4 KiB
#
# Lists in each set: md5.ferrule and crc32.ferrule (name digest size; the 2 GiB file without a
# size, as list sizes stop at 2147483647), md5sum.md5 (digest, two blanks, name) and crc32.sfv.
# The digests come from md5sum and rhash, not from Ferrule.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
corpus="${1:-$repo/build-bench/corpus}"
mkdir -p "$corpus"
corpus="$(cd "$corpus" && pwd)"
case "$corpus/" in
    "$repo/build"*/*) ;;
    "$repo"/*) echo "refusing to write the corpus into the source tree: $corpus" >&2; exit 1 ;;
esac

# Lists for the files named on stdin (one name a line, no blanks in names), written in the set's
# folder. Sizes in Ferrule lists carry digit grouping: "name DIGEST 4096" would read as a CRC-16 line.
write_lists() {
    local set="$1" with_size="$2"
    (
        cd "$corpus/$set"
        cat > names.tmp
        xargs -d '\n' md5sum -- < names.tmp > md5sum.md5
        rhash --sfv --crc32 --file-list=names.tmp > crc32.sfv
        xargs -d '\n' stat -c '%n %s' -- < names.tmp > sizes.tmp
        local ferrule='
            function grouped(n,    out) {
                out = ""
                while (length(n) > 3) { out = "," substr(n, length(n) - 2) out; n = substr(n, 1, length(n) - 3) }
                return n out
            }
            FNR == NR { size[$1] = $2; next }
            /^;/ { next }
            { print $name, $digest (withSize == "yes" ? " " grouped(size[$name]) : "") }'
        awk -v withSize="$with_size" -v name=2 -v digest=1 "$ferrule" sizes.tmp md5sum.md5 > md5.ferrule
        awk -v withSize="$with_size" -v name=1 -v digest=2 "$ferrule" sizes.tmp crc32.sfv > crc32.ferrule
        rm -f names.tmp sizes.tmp
    )
}

make_big() {
    mkdir -p "$corpus/big"
    head -c $((2 * 1024 * 1024 * 1024)) /dev/urandom > "$corpus/big/big.bin"
    echo big.bin | write_lists big no
}

make_medium() {
    mkdir -p "$corpus/medium"
    RANDOM=20240611 # the same sizes every time
    local i size
    for i in $(seq -w 0 199); do
        size=$(( (1 << 20) + (RANDOM * 32768 + RANDOM) % (19 * (1 << 20) + 1) ))
        head -c "$size" /dev/urandom > "$corpus/medium/m$i.bin"
    done
    (cd "$corpus/medium" && ls m*.bin) | write_lists medium yes
}

make_small() {
    mkdir -p "$corpus/small"
    (
        cd "$corpus/small"
        head -c $((20000 * 4096)) /dev/urandom | split -b 4096 -a 5 -d --additional-suffix=.bin - s
        ls s*.bin
    ) | write_lists small yes
}

for set in big medium small; do
    if [ -f "$corpus/$set/.done" ]; then
        echo "$set: already there"
        continue
    fi
    echo "$set: writing ..."
    rm -rf "${corpus:?}/$set"
    "make_$set"
    touch "$corpus/$set/.done"
done
du -sh "$corpus"/*
