#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with Clang into build-fuzz/ (or $FERRULE_FUZZ_BUILD_DIR; extra
# configure options in $FERRULE_CMAKE_ARGS) and runs each for $FERRULE_FUZZ_SECONDS (20) seconds from a fresh
# copy of its seeds in fuzz/corpus/. Fails on any crash, sanitizer report, leak, hang or broken invariant; the
# input that caused it is kept under <build>/fuzz-artifacts/ and the whole output under <build>/fuzz-logs/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(clang libclang-rt-14-dev cmake pkg-config libisal-dev libssl-dev libicu-dev)
bash scripts/install-packages.sh "${packages[@]}"

build="${FERRULE_FUZZ_BUILD_DIR:-build-fuzz}"
seconds="${FERRULE_FUZZ_SECONDS:-20}"
harnesses=(list_loader ini_profile theme_color)

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFERRULE_BUILD_FUZZ=ON \
    -DFERRULE_BUILD_UI=OFF -DFERRULE_BUILD_TESTS=OFF -DFERRULE_BUILD_BENCH=OFF ${FERRULE_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j "${FERRULE_JOBS:-2}" --target "${harnesses[@]/#/fuzz_}"

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The harnesses' files, on tmpfs where there is one (the INI writer syncs each file it saves); a crashing
# harness cannot remove its own.
TMPDIR=$(mktemp -d /dev/shm/ferrule-fuzz.XXXXXX 2>/dev/null || mktemp -d)
export TMPDIR
trap 'rm -rf "$TMPDIR"' EXIT
failed=()
for name in "${harnesses[@]}"; do
    corpus="$build/fuzz-corpus/$name"
    log="$build/fuzz-logs/$name.log"
    rm -rf "$corpus"
    mkdir -p "$corpus" "$build/fuzz-logs" "$build/fuzz-artifacts"
    cp fuzz/corpus/"$name"/* "$corpus"/
    echo "== fuzz_$name for ${seconds} s"
    # -timeout: one input running that long is a hang; -rss_limit_mb also caps any single allocation.
    if "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -detect_leaks=1 \
        -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$name-" "$corpus" >"$log" 2>&1; then
        awk '/^stat::/ { sub(/^stat::/, ""); sub(/:[ ]+/, " "); printf "%s%s", sep, $0; sep = ", " }
             END { print "" }' "$log"
    else
        tail -n 60 "$log" >&2
        failed+=("$name")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing failed: ${failed[*]} (inputs in $build/fuzz-artifacts/, logs in $build/fuzz-logs/)" >&2
    exit 1
fi
