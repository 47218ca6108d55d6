#!/usr/bin/env bash
# Times ferrule-check against md5sum -c and rhash -c on the same lists of the corpus
# (bench/make-corpus.sh), warm page cache: one untimed pass first, then ROUNDS timed rounds with
# the tools taking turns. Prints best and median MB/s (10^6 bytes) and files/s per data set and tool.
#
# Usage: bench/run-bench.sh [--rounds N] [--corpus DIR] [--check PATH] [--sets "big medium small"]
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
rounds=5
corpus="$repo/build-bench/corpus"
check="${FERRULE_CHECK:-$repo/build/src/cli/ferrule-check}"
sets="big medium small"
while [ $# -gt 0 ]; do
    case "$1" in
        --rounds) rounds="$2"; shift 2 ;;
        --corpus) corpus="$2"; shift 2 ;;
        --check) check="$2"; shift 2 ;;
        --sets) sets="$2"; shift 2 ;;
        *) echo "usage: $0 [--rounds N] [--corpus DIR] [--check PATH] [--sets \"big medium small\"]" >&2; exit 2 ;;
    esac
done
for set in $sets; do
    [ -f "$corpus/$set/.done" ] || { echo "no data set $corpus/$set: run bench/make-corpus.sh first" >&2; exit 1; }
done
check="$(realpath "$check" 2>/dev/null || echo "$check")"

# One case a line: set|digest|tool|command (run inside the set's folder).
cases=()
for set in $sets; do
    cases+=("$set|MD5|ferrule-check|$check md5.ferrule")
    cases+=("$set|MD5|md5sum -c|md5sum -c md5sum.md5")
    cases+=("$set|MD5|rhash -c|rhash -c md5sum.md5")
    cases+=("$set|CRC-32|ferrule-check|$check crc32.ferrule")
    cases+=("$set|CRC-32|rhash -c|rhash -c crc32.sfv")
done

declare -A files bytes times
for set in $sets; do
    files[$set]=$(find "$corpus/$set" -name '*.bin' | wc -l)
    bytes[$set]=$(find "$corpus/$set" -name '*.bin' -printf '%s\n' | awk '{ s += $1 } END { printf "%d", s }')
done

# Runs one case with its output to /dev/null; prints the seconds taken, or FAIL.
run_case() {
    local set="$1" cmd="$2" start end rc=0
    cd "$corpus/$set"
    start=$EPOCHREALTIME
    $cmd > /dev/null 2>&1 || rc=$?
    end=$EPOCHREALTIME
    cd "$repo"
    if [ $rc -ne 0 ]; then
        echo FAIL
    else
        awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }'
    fi
}

# The untimed pass fills the page cache and proves that every tool accepts every list. ferrule-check
# must also report every file as correct; a tool that fails is left out of the rounds.
usable=()
echo "warm-up pass ..." >&2
for c in "${cases[@]}"; do
    IFS='|' read -r set digest tool cmd <<< "$c"
    if [ "$tool" = ferrule-check ]; then
        if [ ! -x "$check" ]; then
            echo "  skipped $tool: $check not built" >&2
            continue
        fi
        list="${cmd##* }"
        correct=$(cd "$corpus/$set" && $cmd 2>/dev/null | grep -c '^○ ' || true)
        if [ "$correct" != "${files[$set]}" ]; then
            echo "  skipped $tool on $set $digest: $correct of ${files[$set]} files reported correct" >&2
            continue
        fi
    elif [ "$(run_case "$set" "$cmd")" = FAIL ]; then
        echo "  skipped $tool on $set $digest: it failed" >&2
        continue
    fi
    usable+=("$c")
done

for ((round = 1; round <= rounds; round++)); do
    echo "round $round of $rounds ..." >&2
    for c in "${usable[@]}"; do
        IFS='|' read -r set digest tool cmd <<< "$c"
        t=$(run_case "$set" "$cmd")
        times["$set|$digest|$tool"]+="$t "
    done
done

echo >&2
printf '%-7s %-7s %-14s %7s %9s %10s %10s %12s %12s\n' "set" "digest" "tool" "files" "MB" "best MB/s" "med MB/s" "best files/s" "med files/s"
for c in "${usable[@]}"; do
    IFS='|' read -r set digest tool cmd <<< "$c"
    echo "$set $digest $tool|${files[$set]}|${bytes[$set]}|${times[$set|$digest|$tool]}"
done | awk -F'|' '
    {
        n = split($4, t, " "); failed = 0
        for (i = 1; i <= n; i++) { if (t[i] == "FAIL") failed = 1 }
        split($1, label, " "); tool = label[3] (label[4] != "" ? " " label[4] : "")
        if (failed || n == 0) { printf "%-7s %-7s %-14s   FAILED in a timed round\n", label[1], label[2], tool; next }
        for (i = 2; i <= n; i++) { v = t[i]; for (j = i - 1; j >= 1 && t[j] > v; j--) { t[j + 1] = t[j] }; t[j + 1] = v }
        best = t[1]; med = (n % 2) ? t[(n + 1) / 2] : (t[n / 2] + t[n / 2 + 1]) / 2
        printf "%-7s %-7s %-14s %7d %9.0f %10.0f %10.0f %12.1f %12.1f\n", label[1], label[2], tool, $2, $3 / 1e6,
               $3 / 1e6 / best, $3 / 1e6 / med, $2 / best, $2 / med
        key = label[1] " " label[2]; medians[key, tool] = med; bests[key, tool] = best; tools[key] = tools[key] "|" tool
        if (!(key in seen)) { seen[key] = 1; order[++keys] = key }
    }
    END {
        print ""
        for (k = 1; k <= keys; k++) {
            key = order[k]
            if (!((key, "ferrule-check") in medians)) { continue }
            m = split(tools[key], list, "|")
            for (i = 1; i <= m; i++) {
                if (list[i] == "" || list[i] == "ferrule-check") { continue }
                printf "%-15s ferrule-check vs %-11s %5.2fx (median)  %5.2fx (best)\n", key, list[i] ":",
                       medians[key, list[i]] / medians[key, "ferrule-check"], bests[key, list[i]] / bests[key, "ferrule-check"]
            }
        }
    }'
