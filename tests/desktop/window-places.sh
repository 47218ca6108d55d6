#!/usr/bin/env bash
# The real application under a window manager (run through with-window-manager.sh): where its windows
# stand after each start, and that the settings file holds the same places after every start and close.
# Usage: window-places.sh FERRULE_EXECUTABLE
set -euo pipefail
app_source="$1"
work="$(mktemp -d)"
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT
cp "$app_source" "$work/ferrule"
ini="$work/ferrule.ini"
source "$(dirname "$0")/desktop-lib.sh"
setting() { tr -d '\r' < "$ini" | sed -n "s/^$1=//p"; }
places() { tr -d '\r' < "$ini" | grep -E '^(Window|LogWindow|ShowLog)' | sort | tr '\n' ' '; }

# The frame the window manager put around a window: left top width height.
frame_of() {
    local parent
    parent="$(xwininfo -id "$1" -tree | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')"
    xwininfo -id "$parent" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print x, y, w, h}'
}

start() { start_app "$work" ./ferrule; }
# The visible window of the application named exactly $1 (xdotool's patterns do not match Japanese well).
window_named() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$app_pid" --name '.' 2> /dev/null); do
        [ "$(xdotool getwindowname "$id" 2> /dev/null)" == "$1" ] && echo "$id" && return
    done
}
# The log window once it is shown; with "now", whatever is shown at once (nothing when it is hidden).
log_window() {
    local id=""
    for _ in $(seq 50); do
        id="$(window_named 結果ログ)"
        [ -n "$id" ] || [ "${1:-}" == now ] && break
        sleep 0.1
    done
    echo "$id"
}
# The main menu, then its item by access key.
main_menu() {
    open_main_menu
    xdotool key "$1"
    sleep 0.5
}

# First start: no settings file. The main window stands at the screen's top-left corner, frame included;
# the log window waits centred with the main window's outer size.
start
read -r x y w h < <(frame_of "$main_window")
expect "first start: main window frame at the top-left corner" "0 0" "$x $y"
close_app
expect "first start: saved place" "0 0" "$(setting WindowLeft) $(setting WindowTop)"
expect "first start: log window size is the main window's outer size" "$w $h" \
    "$(setting LogWindowWidth) $(setting LogWindowHeight)"
expect "first start: log window centred" "$(((1024 - w) / 2)) $(((640 - h) / 2))" \
    "$(setting LogWindowLeft) $(setting LogWindowTop)"

# Places of our own; then five starts that show and hide the log window, and five that leave it shown.
printf '[Settings]\r\nWindowLeft=200\r\nWindowTop=150\r\nLogWindowLeft=480\r\nLogWindowTop=260\r\nLogWindowWidth=360\r\nLogWindowHeight=240\r\nShowLogWindow=0\r\nWindowTopMost=0\r\n' > "$ini"
saved="$(places)"
for cycle in 1 2 3 4 5; do
    start
    expect "cycle $cycle: main window frame" "200 150" "$(frame_of "$main_window" | cut -d' ' -f1,2)"
    main_menu l
    expect "cycle $cycle: log window frame" "480 260 360 240" "$(frame_of "$(log_window)")"
    xdotool windowactivate --sync "$(log_window)" key --clearmodifiers alt+F4 # hides it
    sleep 0.3
    [ -z "$(log_window now)" ] || fail "cycle $cycle: Alt+F4 on the log window did not hide it"
    close_app
    expect "cycle $cycle: settings after showing and hiding the log window" "$saved" "$(places)"
done
sed -i 's/^ShowLogWindow=0/ShowLogWindow=1/' "$ini"
saved="$(places)"
for cycle in 1 2 3 4 5; do
    start
    expect "shown $cycle: log window frame" "480 260 360 240" "$(frame_of "$(log_window)")"
    close_app
    expect "shown $cycle: settings with the log window shown" "$saved" "$(places)"
done

# A log window moved by the user is saved where its frame stands.
start
xdotool windowmove --sync "$(log_window)" 300 200 || true
sleep 0.5
read -r x y _ < <(frame_of "$(log_window)")
close_app
expect "a moved log window is saved at its frame" "$x $y" "$(setting LogWindowLeft) $(setting LogWindowTop)"

if [ "$failures" -ne 0 ]; then
    echo "window-places.sh: $failures failed" >&2
    exit 1
fi
echo "window-places.sh: all passed"
