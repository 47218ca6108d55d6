#!/usr/bin/env bash
# Lists opened from outside the window, with the real application under a window manager (run through
# with-window-manager.sh): a list named on the command line starts a check at once; a second start hands
# its lists to the window already running and ends, or is refused while that window checks; a copy in
# another folder, with a settings file of its own, opens a window of its own.
# Usage: open-lists.sh FERRULE_EXECUTABLE
set -euo pipefail
app_source="$1"
work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/desktop-lib.sh"

# Two portable copies, each with a settings file of its own; the runtime folder of this test alone.
mkdir -p "$work/app" "$work/other" "$work/data" "$work/runtime"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
cp "$app_source" "$work/app/ferrule"
cp "$app_source" "$work/other/ferrule"
# A list long enough to watch: two sparse 4 GiB files of zeros, listed with digests they do not have.
for i in 1 2; do truncate -s 4G "$work/data/big$i.bin"; done
printf 'big1.bin 0123456789abcdef0123456789abcdef\r\nbig2.bin 0123456789abcdef0123456789abcdef\r\n' > "$work/data/big.md5"
printf 'small.txt 900150983cd24fb0d6963f7d28e17f72\r\n' > "$work/data/small.md5"
printf 'abc' > "$work/data/small.txt"

# The window of process $1 whose caption matches $2 (an extended regular expression), waiting up to $3 s.
caption_of() { xdotool getwindowname "$1" 2> /dev/null || true; }
wait_caption() { # window, pattern, seconds
    local deadline=$((SECONDS + $3))
    while [ $SECONDS -lt $deadline ]; do
        caption_of "$1" | grep -Eq "$2" && return 0
        sleep 0.2
    done
    return 1
}
# Escape in the window stops its check; pressed again if the window was not active in time.
stop_check() {
    local tries
    for tries in 1 2 3 4 5; do
        xdotool windowactivate --sync "$window" key Escape 2> /dev/null || true
        wait_caption "$window" '^Ferrule ver' 5 && return 0
    done
    return 1
}
start() { # folder, arguments...: starts the copy in the folder in the background, sets started_pid
    local folder="$1"
    shift
    (cd "$work/data" && exec "$folder/ferrule" "$@" >> "$work/ferrule.log" 2>&1) &
    started_pid=$!
    pids+=("$started_pid")
}

# 1. A list on the command line: the check starts at once (the caption shows its progress).
start "$work/app" big.md5
first=$started_pid
window="$(timeout 20 xdotool search --sync --onlyvisible --pid "$first" --name '^.*Ferrule ver' | head -n 1)"
[ -n "$window" ] || { echo "FAIL: no main window" >&2; exit 1; }
wait_caption "$window" '^[0-9]+% - Ferrule ver' 20 && echo "ok: a list on the command line starts a check" ||
    fail "no check started by the command line (caption '$(caption_of "$window")')"

# 2. A second start while the first checks: refused (status 1), and no second window.
set +e
timeout 20 "$work/app/ferrule" "$work/data/small.md5" 2>> "$work/ferrule.log"
status=$?
set -e
expect "a second start during a check is refused" 1 "$status"
expect "the running window is the only one" 1 "$(xdotool search --onlyvisible --name 'Ferrule ver' | wc -l)"

stop_check && echo "ok: Escape stops the check" || fail "the check did not stop"

# 3. A second start while idle: hands its list over (status 0 at once), the running window checks it.
set +e
(cd "$work/data" && timeout 20 "$work/app/ferrule" big.md5 2>> "$work/ferrule.log")
status=$?
set -e
expect "a second start while idle hands its lists over" 0 "$status"
wait_caption "$window" '^[0-9]+% - Ferrule ver' 20 && echo "ok: the running window checks the handed-over list" ||
    fail "the handed-over list was not checked"
stop_check || fail "the second check did not stop"
expect "still one window" 1 "$(xdotool search --onlyvisible --name 'Ferrule ver' | wc -l)"

# 4. A copy in another folder keeps other settings: it opens a window of its own.
start "$work/other"
other=$started_pid
timeout 20 xdotool search --sync --onlyvisible --pid "$other" --name 'Ferrule ver' > /dev/null &&
    echo "ok: a copy with its own settings opens its own window" || fail "the other copy opened no window"

for pid in "$other" "$first"; do
    kill "$pid" 2> /dev/null || true
done
if [ "$failures" -gt 0 ]; then
    echo "--- application output" >&2
    cat "$work/ferrule.log" >&2
    exit 1
fi
echo "all passed"
