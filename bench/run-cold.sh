#!/usr/bin/env bash
# ferrule-check against the usual tools on this machine's own disc, from the benchmark corpus
# (bench/make-corpus.sh), with ferrule-check's --readers 1, 2 and 4 too where it takes them. Median of RUNS.
#
#   cold (the page cache dropped before every run, so run it as root):
#     100 files of 1 to 20 MiB, MD5 (the first hundred of the medium set)   vs md5sum -c
#     one file of 2 GiB, MD5                                                 vs md5sum -c
#   warm (one untimed pass first), the same two and:
#     20,000 files of 4 KiB, MD5                                             vs md5sum -c
#     200 files of 1 to 20 MiB, SHA-256                                      vs sha256sum -c
#     one file of 2 GiB, CRC-32 (SFV)                                        vs rhash -c
#
# Usage: bench/run-cold.sh [BUILD-FOLDER]   (default build/, from the repository)
# Environment: RUNS (5), CORPUS (/tmp/ferrule-cold-corpus, kept for the next time), CLEAN=1 removes what
# this run wrote (the whole corpus if it wrote it) at the end.
set -euo pipefail
export LC_ALL=C

repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$repo/build}")"
check="$build/src/cli/ferrule-check"
runs=${RUNS:-5}
corpus=${CORPUS:-/tmp/ferrule-cold-corpus}

die() {
    echo "run-cold: $*" >&2
    exit 1
}
[ -x "$check" ] || die "no $check: build ferrule-check first"
[ -w /proc/sys/vm/drop_caches ] || die "cannot drop the page cache: run as root"
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || die "RUNS must be a whole number from 1 on, not $runs"
for tool in md5sum sha256sum rhash; do
    command -v "$tool" >/dev/null || die "no $tool"
done

# What this run writes, removed at the end with CLEAN=1.
written=()
cleanup() {
    if [ "${CLEAN:-0}" = 1 ] && [ ${#written[@]} -gt 0 ]; then
        rm -rf "${written[@]}"
    fi
}
trap cleanup EXIT

if [ ! -f "$corpus/big/.done" ] || [ ! -f "$corpus/medium/.done" ] || [ ! -f "$corpus/small/.done" ]; then
    [ -d "$corpus" ] || written+=("$corpus")
    mkdir -p "$corpus"
    # The corpus is 2 GiB, about 2.2 GB and 80 MB; half a gigabyte to spare.
    avail=$(df -B1 --output=avail "$corpus" | tail -1)
    need=$(((2 << 30) + 2200000000 + 82000000 + 500000000 - $(du -sb "$corpus" | cut -f1)))
    [ "$avail" -ge "$need" ] || die "$((avail >> 20)) MiB free under $corpus, $((need >> 20)) MiB needed"
    bash "$repo/bench/make-corpus.sh" "$corpus" >&2
fi
if [ ! -f "$corpus/medium/first100.md5" ]; then
    head -n 100 "$corpus/medium/md5sum.md5" >"$corpus/medium/first100.md5"
    written+=("$corpus/medium/first100.md5")
fi
# The same SHA-256 list as run-bench.sh writes.
if [ ! -f "$corpus/medium/sha256sum.sha256" ]; then
    echo "writing medium/sha256sum.sha256 ..." >&2
    (cd "$corpus/medium" && awk '{ print $2 }' md5sum.md5 | xargs -d '\n' sha256sum -- >sha256sum.sha256.tmp &&
        mv sha256sum.sha256.tmp sha256sum.sha256)
    written+=("$corpus/medium/sha256sum.sha256")
fi

readers=()
if "$check" --help 2>/dev/null | grep -q -- '--readers'; then
    readers=(1 2 4)
else
    echo "this ferrule-check takes no --readers: default readers only" >&2
fi

# Cases as cache|label|set|list|tool label|tool command; every command gets the list's name last.
cases=()
add_case() {
    local cache=$1 label=$2 set=$3 list=$4 tool=$5 n
    cases+=("$cache|$label|$set|$list|$tool|$tool")
    cases+=("$cache|$label|$set|$list|ferrule-check|$check --no-progress")
    for n in "${readers[@]}"; do
        cases+=("$cache|$label|$set|$list|ferrule-check --readers $n|$check --no-progress --readers $n")
    done
}
add_case cold "100 × 1–20 MiB MD5" medium first100.md5 "md5sum -c"
add_case cold "2 GiB MD5" big md5sum.md5 "md5sum -c"
add_case warm "100 × 1–20 MiB MD5" medium first100.md5 "md5sum -c"
add_case warm "2 GiB MD5" big md5sum.md5 "md5sum -c"
add_case warm "20,000 × 4 KiB MD5" small md5sum.md5 "md5sum -c"
add_case warm "200 × 1–20 MiB SHA-256" medium sha256sum.sha256 "sha256sum -c"
add_case warm "2 GiB CRC-32 SFV" big crc32.sfv "rhash -c"

# The files a list names and their bytes.
list_size() {
    local set=$1 list=$2
    (cd "$corpus/$set" && awk '/^;/ { next } { print ($0 ~ /^[0-9a-f]+  /) ? substr($0, index($0, "  ") + 2) : $1 }' \
        "$list" | xargs -d '\n' stat -c %s -- | awk '{ s += $1 } END { printf "%d %d", NR, s }')
}

# One run in the set's folder; prints the seconds taken. Every file must be found correct (status 0).
run_case() {
    local cache=$1 set=$2 list=$3 tool=$4 cmd=$5 start end status=0
    if [ "$cache" = cold ]; then
        sync
        echo 3 >/proc/sys/vm/drop_caches
    fi
    cd "$corpus/$set"
    start=$EPOCHREALTIME
    # shellcheck disable=SC2086 # the command is words
    $cmd "$list" >/dev/null 2>"$corpus/run.err" || status=$?
    end=$EPOCHREALTIME
    if [ "$status" -ne 0 ]; then
        head -20 "$corpus/run.err" >&2
        die "$tool on $set/$list ended with status $status: not every file was found correct"
    fi
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

declare -A times
# Timed runs of the cases of one cache state, the commands taking turns.
timed_runs() {
    local want=$1 run c cache label set list tool cmd
    for ((run = 1; run <= runs; run++)); do
        for c in "${cases[@]}"; do
            IFS='|' read -r cache label set list tool cmd <<<"$c"
            [ "$cache" = "$want" ] || continue
            echo "run $run of $runs: $cache, $label, $tool ..." >&2
            times["$c"]+="$(run_case "$cache" "$set" "$list" "$tool" "$cmd") "
        done
    done
}
# The cold runs first: each empties the page cache, which the warm ones need full.
timed_runs cold
# One untimed pass fills the page cache for the warm runs and proves every command works.
echo "untimed warm-up pass ..." >&2
for c in "${cases[@]}"; do
    IFS='|' read -r cache label set list tool cmd <<<"$c"
    if [ "$cache" = warm ]; then
        run_case "$cache" "$set" "$list" "$tool" "$cmd" >/dev/null
    fi
done
timed_runs warm
rm -f "$corpus/run.err"

echo
echo "This machine's disc, median of $runs runs; cold runs after dropping the page cache."
echo
echo "| data | cache | tool | files | MB | median s | MB/s | other tool ÷ tool |"
echo "|---|---|---|---:|---:|---:|---:|---:|"
for c in "${cases[@]}"; do
    IFS='|' read -r cache label set list tool cmd <<<"$c"
    read -r nfiles nbytes <<<"$(list_size "$set" "$list")"
    echo "$cache|$label|$tool|$nfiles|$nbytes|${times[$c]}"
done | awk -F'|' '
    function median(text,    n, t, i, j, v) {
        n = split(text, t, " ")
        for (i = 2; i <= n; i++) { v = t[i]; for (j = i - 1; j >= 1 && t[j] > v; j--) { t[j + 1] = t[j] }; t[j + 1] = v }
        return (n % 2) ? t[(n + 1) / 2] : (t[n / 2] + t[n / 2 + 1]) / 2
    }
    {
        key = $1 "|" $2
        m = median($6)
        # The first tool of each data set is the other one, the rest are ours.
        if (!(key in other)) { other[key] = m }
        printf "| %s | %s | %s | %d | %.0f | %.2f | %.0f | %.2f |\n", $2, $1, $3, $4, $5 / 1e6, m, $5 / 1e6 / m,
               other[key] / m
    }'
