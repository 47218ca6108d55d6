#!/usr/bin/env bash
# Times ferrule-check and the digest pool alone (bench_pool, with 1 and 2 workers) against md5sum -c,
# sha256sum -c and rhash -c on the same lists of the corpus (bench/make-corpus.sh), warm page cache: one
# untimed pass first, then ROUNDS timed rounds with the tools taking turns. Prints best and median MB/s
# (10^6 bytes) and files/s per data set and tool, and how many times faster ours are than the others.
# The SHA-256 lists (sha256sum.sha256) are written on first use, untimed.
#
# Usage: bench/run-bench.sh [--rounds N] [--corpus DIR] [--check PATH] [--pool PATH] [--sets "big medium small"]
#                           [--digests "MD5 CRC-32 SHA-256"]
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
rounds=5
corpus="$repo/build-bench/corpus"
check="${FERRULE_CHECK:-$repo/build/src/cli/ferrule-check}"
pool="${FERRULE_POOL:-$repo/build/bench/bench_pool}"
sets="big medium small"
digests="MD5 CRC-32 SHA-256"
while [ $# -gt 0 ]; do
    case "$1" in
        --rounds) rounds="$2"; shift 2 ;;
        --corpus) corpus="$2"; shift 2 ;;
        --check) check="$2"; shift 2 ;;
        --pool) pool="$2"; shift 2 ;;
        --sets) sets="$2"; shift 2 ;;
        --digests) digests="$2"; shift 2 ;;
        *) echo "usage: $0 [--rounds N] [--corpus DIR] [--check PATH] [--pool PATH] [--sets \"big medium small\"] [--digests \"MD5 CRC-32 SHA-256\"]" >&2; exit 2 ;;
    esac
done
for set in $sets; do
    [ -f "$corpus/$set/.done" ] || { echo "no data set $corpus/$set: run bench/make-corpus.sh first" >&2; exit 1; }
done
check="$(realpath "$check" 2>/dev/null || echo "$check")"
pool="$(realpath "$pool" 2>/dev/null || echo "$pool")"
for set in $sets; do
    if [[ " $digests " == *" SHA-256 "* && ! -f "$corpus/$set/sha256sum.sha256" ]]; then
        echo "writing $set/sha256sum.sha256 ..." >&2
        (cd "$corpus/$set" && awk '{ print $2 }' md5sum.md5 | xargs -d '\n' sha256sum -- > sha256sum.sha256.tmp &&
            mv sha256sum.sha256.tmp sha256sum.sha256)
    fi
done

# One case a line: set|digest|tool|command (run inside the set's folder). The pool reads the tools' lists.
cases=()
for set in $sets; do
    for digest in $digests; do
        case "$digest" in
        MD5)
            cases+=("$set|MD5|ferrule-check|$check md5.ferrule")
            cases+=("$set|MD5|pool -j1|$pool --jobs 1 md5sum.md5")
            cases+=("$set|MD5|pool -j2|$pool --jobs 2 md5sum.md5")
            cases+=("$set|MD5|md5sum -c|md5sum -c md5sum.md5")
            cases+=("$set|MD5|rhash -c|rhash -c md5sum.md5")
            ;;
        CRC-32)
            cases+=("$set|CRC-32|ferrule-check|$check crc32.ferrule")
            cases+=("$set|CRC-32|pool -j1|$pool --jobs 1 crc32.sfv")
            cases+=("$set|CRC-32|pool -j2|$pool --jobs 2 crc32.sfv")
            cases+=("$set|CRC-32|rhash -c|rhash -c crc32.sfv")
            ;;
        SHA-256)
            cases+=("$set|SHA-256|ferrule-check|$check sha256sum.sha256")
            cases+=("$set|SHA-256|pool -j1|$pool --jobs 1 sha256sum.sha256")
            cases+=("$set|SHA-256|pool -j2|$pool --jobs 2 sha256sum.sha256")
            cases+=("$set|SHA-256|sha256sum -c|sha256sum -c sha256sum.sha256")
            ;;
        *) echo "unknown digest $digest" >&2; exit 2 ;;
        esac
    done
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
    if [ "$tool" = ferrule-check ] || [[ "$tool" == pool* ]]; then
        exe="${cmd%% *}"
        if [ ! -x "$exe" ]; then
            echo "  skipped $tool: $exe not built" >&2
            continue
        fi
    fi
    if [[ "$tool" == pool* ]] && [ "$(run_case "$set" "$cmd")" = FAIL ]; then
        echo "  skipped $tool on $set $digest: not every file matched" >&2
        continue
    elif [ "$tool" = ferrule-check ]; then
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
            m = split(tools[key], list, "|")
            for (o = 1; o <= m; o++) {
                ours = list[o]
                if (ours != "ferrule-check" && ours !~ /^pool/) { continue }
                for (i = 1; i <= m; i++) {
                    if (list[i] == "" || list[i] == "ferrule-check" || list[i] ~ /^pool/) { continue }
                    printf "%-15s %-13s vs %-13s %6.2fx (median)  %6.2fx (best)\n", key, ours, list[i] ":",
                           medians[key, list[i]] / medians[key, ours], bests[key, list[i]] / bests[key, ours]
                }
            }
        }
    }'
