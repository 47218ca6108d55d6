#!/usr/bin/env bash
# A check through a disc with one head (ferrule-spindisk, every read reaching it) must read each listed file
# whole, front to back, in one go, the files one after the other in the order of the list: the head then
# seeks once a file. A file damaged in the source must show as changed, which proves the mount serves the
# source's data. Skips (77) where FUSE cannot mount.
# Usage: one-reader.sh SPINDISK FERRULE-CHECK [READER...]
#   READER... is run instead of "FERRULE-CHECK --no-progress" inside the mount with the list's name last;
#   its exit status must then be 0 for the intact files and 1 for the damaged one (md5sum -c does).
set -euo pipefail
export LC_ALL=C.UTF-8
spindisk=$1
checker=$2
shift 2
reader=("$checker" --no-progress)
ours=1
if [ $# -gt 0 ]; then
    reader=("$@")
    ours=0
fi

skip() {
    echo "skipped: $*"
    exit 77
}
[ -c /dev/fuse ] || skip "no /dev/fuse"
(exec 3<>/dev/fuse) 2>/dev/null || skip "/dev/fuse cannot be opened"
command -v fusermount3 >/dev/null 2>&1 || skip "no fusermount3"

work=$(mktemp -d)
src=$work/src
mnt=$work/mnt
log=$work/reads.log
daemon=
unmount() {
    if [ -n "$daemon" ]; then
        fusermount3 -u "$mnt" 2>/dev/null || umount -l "$mnt" 2>/dev/null || true
        wait "$daemon" 2>/dev/null || true
        daemon=
    fi
}
trap 'unmount; rm -rf "$work"' EXIT
mkdir -p "$src" "$mnt"

mounted() { awk -v m="$mnt" '$5 == m { found = 1 } END { exit !found }' /proc/self/mountinfo; }

# Eight files of 3 to 6 MiB; the list names them out of the order of their names, so a reader that sorts
# them is caught.
names=()
for i in 1 2 3 4 5 6 7 8; do
    name="f$i.bin"
    head -c $(((3 << 20) + (RANDOM * 32768 + RANDOM) % (3 << 20))) /dev/urandom >"$src/$name"
    names+=("$name")
done
list=files.md5
order=(f5.bin f2.bin f8.bin f1.bin f7.bin f3.bin f6.bin f4.bin)
(cd "$src" && md5sum -- "${order[@]}" >"$list")

"$spindisk" "$src" "$mnt" --direct-io --seek-ms 1 --mbps 2000 --log "$log" -f 2>"$work/spindisk.err" &
daemon=$!
for _ in $(seq 50); do
    mounted && break
    kill -0 "$daemon" 2>/dev/null || break
    sleep 0.1
done
if ! mounted; then
    reason=$(head -3 "$work/spindisk.err" | tr '\n' ' ')
    wait "$daemon" 2>/dev/null || true
    daemon=
    skip "the disc model did not mount: $reason"
fi

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

# Runs the reader in the mount on an empty log; its standard output goes to $work/out.
run_reader() {
    : >"$log"
    status=0
    (cd "$mnt" && "${reader[@]}" "$list") >"$work/out" 2>"$work/err" || status=$?
}

# The reads of the listed files in the log: each file in one run of requests, from offset 0, each request
# where the previous one ended, on to the file's end; the files in the order of the list.
check_reads() {
    local what=$1 sizes
    sizes=$(cd "$src" && stat -c '%n %s' -- "${order[@]}")
    local verdict
    verdict=$(awk -v list="/$list" -v order="${order[*]}" -v sizes="$sizes" '
        BEGIN {
            n = split(order, want, " ")
            m = split(sizes, s, "\n")
            for (i = 1; i <= m; i++) { split(s[i], f, " "); size["/" f[1]] = f[2] }
        }
        $2 == list { next }
        {
            requests++; seeks += $5
            if ($2 != current) {
                if ($2 in seen) {
                    if (!returns++) { print "    request " $1 " goes back to " $2 " after " current }
                } else {
                    seen[$2] = 1; read_order[++files] = $2; next_at[$2] = 0
                }
                current = $2
            }
            if ($3 != next_at[$2] && !jumped[$2]++) {
                jumps++
                print "    request " $1 " reads " $2 " at " $3 ", where " next_at[$2] " was next"
            }
            next_at[$2] = $3 + $4
        }
        END {
            problems = returns + jumps
            for (i = 1; i <= n; i++) {
                name = "/" want[i]
                if (!(name in seen)) { print "    " name " never read"; problems++; continue }
                if (next_at[name] != size[name]) {
                    print "    " name " read to " next_at[name] " of " size[name] " bytes"; problems++
                }
            }
            got = ""
            for (i = 1; i <= files; i++) { got = got (i > 1 ? " " : "") substr(read_order[i], 2) }
            if (got != order) { print "    read in the order " got; problems++ }
            print "    " requests + 0 " requests, " seeks + 0 " seeks, " files + 0 " files; " returns + 0 \
                  " returns to a file left before, " jumps + 0 " files read out of sequence"
            exit problems > 0
        }' "$log") && {
        echo "$what: ${verdict##*$'\n'}"
        return 0
    }
    fail "$what: the files were not read one after the other, each front to back, in the order of the list"
    echo "$verdict"
}

# Intact files: every one correct.
run_reader
if [ "$status" -ne 0 ]; then
    fail "intact files: the reader ended with status $status"
    head -20 "$work/err"
fi
if [ "$ours" -eq 1 ]; then
    correct=$(grep -c '^○ ' "$work/out" || true)
    [ "$correct" -eq 8 ] || fail "intact files: $correct of 8 reported correct"
fi
check_reads "intact files"

# One byte of f7.bin changed in the source: that file, and only it, differs.
damaged=f7.bin
offset=$(($(stat -c %s "$src/$damaged") / 2))
byte=$(od -An -tu1 -j "$offset" -N1 "$src/$damaged" | tr -d ' ')
# shellcheck disable=SC2059 # the format is the byte
printf "\\$(printf '%03o' $((byte ^ 0x5a)))" | dd of="$src/$damaged" bs=1 seek="$offset" conv=notrunc status=none
run_reader
if [ "$status" -ne 1 ]; then
    fail "damaged file: the reader ended with status $status, not 1"
    head -20 "$work/err"
fi
if [ "$ours" -eq 1 ]; then
    correct=$(grep -c '^○ ' "$work/out" || true)
    changed=$(grep '^▲ ' "$work/out" || true)
    [ "$correct" -eq 7 ] || fail "damaged file: $correct of 7 intact files reported correct"
    [[ "$changed" == "▲ $damaged"* && $(grep -c . <<<"$changed") -eq 1 ]] ||
        fail "damaged file: not reported as the one changed file: ${changed:-no ▲ line}"
fi
check_reads "damaged file"

if [ "$failed" -ne 0 ]; then
    echo "reader: ${reader[*]}"
    exit 1
fi
echo "passed: ${reader[*]} read the files one after the other, each front to back, in the order of the list"
