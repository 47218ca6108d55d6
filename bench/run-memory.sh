#!/usr/bin/env bash
# Peak memory (resident set) of ferrule-check on one list of many entries whose files all exist and are hashed:
# N hard links to one small file, listed in coreutils form, so that every entry is a job of its own. Prints
# the peak for MD5 lists of N entries and the time taken; the links live in a scratch folder removed after.
#
# Usage: bench/run-memory.sh [--entries N] [--check PATH] [--jobs N]
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
entries=1000000
check="${FERRULE_CHECK:-$repo/build/src/cli/ferrule-check}"
jobs=""
while [ $# -gt 0 ]; do
    case "$1" in
        --entries) entries="$2"; shift 2 ;;
        --check) check="$2"; shift 2 ;;
        --jobs) jobs="--jobs $2"; shift 2 ;;
        *) echo "usage: $0 [--entries N] [--check PATH] [--jobs N]" >&2; exit 2 ;;
    esac
done

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/files"
printf 'hello\n' > "$scratch/files/original"
digest="$(md5sum < "$scratch/files/original" | cut -c1-32)"
# Links made one by one from the shell would take minutes: python makes them and writes the list at once.
python3 - "$scratch" "$entries" "$digest" <<'PY'
import os, sys
scratch, entries, digest = sys.argv[1], int(sys.argv[2]), sys.argv[3]
original = os.path.join(scratch, "files", "original")
with open(os.path.join(scratch, "files", "list.md5"), "w") as out:
    for i in range(entries):
        name = "entry-%07d.bin" % i
        if i % 60000 == 0:  # a file takes at most 65,000 links on ext4
            source = os.path.join(scratch, "files", name)
            with open(original, "rb") as src, open(source, "wb") as dst:
                dst.write(src.read())
        else:
            os.link(source, os.path.join(scratch, "files", name))
        out.write("%s  %s\n" % (digest, name))
PY
/usr/bin/time -f "%M %e" -o "$scratch/usage" "$check" --no-progress $jobs "$scratch/files/list.md5" > "$scratch/log" || true
read -r peak seconds < "$scratch/usage"
correct=$(grep -c '^○ ' "$scratch/log" || true)
echo "entries $entries: peak RSS $((peak / 1024)) MiB, $seconds s, $correct lines ○"
