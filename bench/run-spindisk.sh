#!/usr/bin/env bash
# Cold checks through a disc with one head (ferrule-spindisk): md5sum -c against ferrule-check (and its
# --readers 1, 2 and 4 where it takes them) on 60 files of 2 to 12 MiB and on 2,000 files of 16 KiB, once
# with the kernel's page cache and readahead in front of the model and once with every read reaching it
# (--direct-io). Caches are dropped before every run, so run it as root. Prints a Markdown table: the
# median time of RUNS runs, the requests and seeks the model served in the median run, md5sum's time over
# each tool's, and the time against the model's limit (the bytes at its rate plus one seek a file).
#
# Usage: bench/run-spindisk.sh [BUILD-FOLDER]   (default build/, from the repository)
# Environment: RUNS (5), SEEK_MS (8), MBPS (150), DATA (/tmp/ferrule-spindisk-data: the data sets, kept
# for the next time; CLEAN=1 removes them at the end).
set -euo pipefail
export LC_ALL=C

repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath "${1:-$repo/build}")"
check="$build/src/cli/ferrule-check"
spindisk="$build/bench/spindisk/ferrule-spindisk"
runs=${RUNS:-5}
seek_ms=${SEEK_MS:-8}
mbps=${MBPS:-150}
data=${DATA:-/tmp/ferrule-spindisk-data}

die() {
    echo "run-spindisk: $*" >&2
    exit 1
}
[ -x "$check" ] || die "no $check: build ferrule-check first"
[ -x "$spindisk" ] || die "no $spindisk: build ferrule-spindisk (needs libfuse3-dev) first"
[ -c /dev/fuse ] || die "no /dev/fuse"
command -v fusermount3 >/dev/null || die "no fusermount3 (package fuse3)"
[ -w /proc/sys/vm/drop_caches ] || die "cannot drop the page cache: run as root"
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || die "RUNS must be a whole number from 1 on, not $runs"

# The data sets, written once: random sizes from a fixed seed, random content, an md5sum list in each.
make_large() {
    RANDOM=20261207
    local i
    for i in $(seq -w 0 59); do
        head -c $(((2 << 20) + (RANDOM * 32768 + RANDOM) % ((10 << 20) + 1))) /dev/urandom >"f$i.bin"
    done
}
make_small() {
    head -c $((2000 * 16384)) /dev/urandom | split -b 16384 -a 4 -d --additional-suffix=.bin - s
}
for set in large small; do
    [ -f "$data/$set/.done" ] && continue
    echo "writing the $set data set in $data/$set ..." >&2
    rm -rf "${data:?}/$set"
    mkdir -p "$data/$set"
    (cd "$data/$set" && "make_$set" && find . -name '*.bin' -printf '%P\n' | sort | xargs -d '\n' md5sum -- >md5sum.md5)
    touch "$data/$set/.done"
done

work=$(mktemp -d)
mnt="$work/mnt"
log="$work/reads.log"
mkdir -p "$mnt"
daemon=
mounted() { awk -v m="$mnt" '$5 == m { found = 1 } END { exit !found }' /proc/self/mountinfo; }
unmount() {
    if [ -n "$daemon" ]; then
        cd /
        fusermount3 -u "$mnt" || umount -l "$mnt" || true
        wait "$daemon" || true
        daemon=
    fi
}
cleanup() {
    unmount
    rm -rf "$work"
    if [ "${CLEAN:-0}" = 1 ]; then
        rm -rf "${data:?}/large" "${data:?}/small"
        rmdir "$data" 2>/dev/null || true
    fi
}
trap cleanup EXIT

mount_model() {
    "$spindisk" "$data" "$mnt" --seek-ms "$seek_ms" --mbps "$mbps" --log "$log" "$@" -f 2>>"$work/spindisk.err" &
    daemon=$!
    for _ in $(seq 100); do
        mounted && return 0
        kill -0 "$daemon" 2>/dev/null || break
        sleep 0.1
    done
    daemon=
    die "the model did not mount: $(tail -3 "$work/spindisk.err")"
}

# Tools as label|command; the list's name goes last.
tools=("md5sum -c|md5sum -c --quiet" "ferrule-check|$check --no-progress")
if "$check" --help 2>/dev/null | grep -q -- '--readers'; then
    for n in 1 2 4; do
        tools+=("ferrule-check --readers $n|$check --no-progress --readers $n")
    done
else
    echo "this ferrule-check takes no --readers: default readers only" >&2
fi

# One cold run in the mounted set's folder; prints: seconds requests seeks.
run_cold() {
    local set=$1 label=$2 cmd=$3 start end status=0
    sync
    echo 3 >/proc/sys/vm/drop_caches
    : >"$log"
    cd "$mnt/$set"
    start=$EPOCHREALTIME
    # shellcheck disable=SC2086 # the command is words
    $cmd md5sum.md5 >"$work/out" 2>&1 || status=$?
    end=$EPOCHREALTIME
    cd /
    if [ "$status" -ne 0 ]; then
        head -20 "$work/out" >&2
        die "$label on the $set set ended with status $status: not every file was read as correct"
    fi
    awk -v a="$start" -v b="$end" '{ seeks += $5 } END { printf "%.3f %d %d\n", b - a, NR, seeks }' "$log"
}

results="$work/results"
: >"$results"
for mode in "page cache" "direct I/O"; do
    if [ "$mode" = "direct I/O" ]; then mount_model --direct-io; else mount_model; fi
    for set in large small; do
        for ((run = 1; run <= runs; run++)); do
            for t in "${tools[@]}"; do
                label=${t%%|*}
                echo "$mode, $set set, run $run of $runs: $label ..." >&2
                measured=$(run_cold "$set" "$label" "${t#*|}")
                echo "$set|$mode|$label|$measured" >>"$results"
            done
        done
    done
    unmount
done

declare -A files bytes
for set in large small; do
    files[$set]=$(find "$data/$set" -name '*.bin' | wc -l)
    bytes[$set]=$(find "$data/$set" -name '*.bin' -printf '%s\n' | awk '{ s += $1 } END { printf "%d", s }')
done
echo
echo "One head: $seek_ms ms a seek, $mbps MB/s; cold runs, median of $runs. The limit is the bytes at $mbps MB/s" \
    "plus one seek a file."
echo
echo "| set | files | MB | cache | tool | median s | requests | seeks | md5sum ÷ tool | limit s | % of limit |"
echo "|---|---:|---:|---|---|---:|---:|---:|---:|---:|---:|"
awk -F'|' -v seek_ms="$seek_ms" -v mbps="$mbps" -v large="${files[large]} ${bytes[large]}" \
    -v small="${files[small]} ${bytes[small]}" '
    BEGIN { split(large, l, " "); split(small, s, " "); nfiles["large"] = l[1]; nbytes["large"] = l[2]
            nfiles["small"] = s[1]; nbytes["small"] = s[2] }
    {
        key = $1 "|" $2 "|" $3
        if (!(key in count)) { order[++keys] = key }
        split($4, r, " "); n = ++count[key]; t[key, n] = r[1]; req[key, n] = r[2]; sk[key, n] = r[3]
    }
    END {
        for (k = 1; k <= keys; k++) {
            key = order[k]; n = count[key]
            # The median run by time (the lower middle one of an even count) gives the counts too.
            for (i = 1; i <= n; i++) { idx[i] = i }
            for (i = 2; i <= n; i++) {
                v = idx[i]
                for (j = i - 1; j >= 1 && t[key, idx[j]] > t[key, v]; j--) { idx[j + 1] = idx[j] }
                idx[j + 1] = v
            }
            m = idx[int((n + 1) / 2)]
            med[key] = (n % 2) ? t[key, m] : (t[key, idx[n / 2]] + t[key, idx[n / 2 + 1]]) / 2
            mreq[key] = req[key, m]; mseek[key] = sk[key, m]
        }
        for (k = 1; k <= keys; k++) {
            key = order[k]; split(key, f, "|")
            base = f[1] "|" f[2] "|md5sum -c"
            limit = nbytes[f[1]] / (mbps * 1e6) + nfiles[f[1]] * seek_ms / 1000
            ratio = (base in med && med[key] > 0) ? sprintf("%.2f", med[base] / med[key]) : "–"
            printf "| %s | %d | %.0f | %s | %s | %.2f | %d | %d | %s | %.2f | %.0f%% |\n", f[1], nfiles[f[1]],
                   nbytes[f[1]] / 1e6, f[2], f[3], med[key], mreq[key], mseek[key], ratio, limit,
                   100 * med[key] / limit
        }
    }' "$results"
