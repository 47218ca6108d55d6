#!/usr/bin/env bash
# Runs a command on a virtual X display (Xvfb) managed by openbox, as a desktop user would have it.
# Exits 77 (a skip for ctest) with a message when no X server can be started here.
set -uo pipefail

for tool in Xvfb openbox xdotool xwininfo xprop; do
    if ! command -v "$tool" > /dev/null; then
        echo "with-window-manager.sh: SKIP: $tool is not installed (scripts/setup.sh installs it)" >&2
        exit 77
    fi
done

work="$(mktemp -d)"
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2> /dev/null; done
    wait 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A free display number: several of these may run at once (ctest -j).
display=$((60 + $$ % 200))
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x640x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 100); do xdotool getmouselocation > /dev/null 2>&1 && break; sleep 0.05; done
if ! xdotool getmouselocation > /dev/null 2>&1; then
    echo "with-window-manager.sh: SKIP: the X server did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 77
fi

openbox --sm-disable > "$work/openbox.log" 2>&1 &
pids+=($!)
# openbox is ready once it has taken the root window's _NET_SUPPORTING_WM_CHECK.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id' && break
    sleep 0.05
done

unset QT_QPA_PLATFORM
export QT_QPA_PLATFORM=xcb
"$@"
