#!/usr/bin/env bash
# Takes the README's screenshots on a virtual display (Xvfb) with a window manager (openbox): the main
# window after a check, its menu, the drop menu, the folder dialog, the log window and a check in progress. The real application is driven as a user would:
# checksum lists are dragged onto the drop box with ferrule_dragsource and xdotool, the log window is
# opened from the main menu.
# Writes docs/screenshot-main.png, -menu.png, -dropmenu.png, -folder.png, -log.png and -progress.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build_dir="${FERRULE_BUILD_DIR:-build}"

# On a virtual display with a window manager, so that the windows have their frames.
if [ -z "${FERRULE_UNDER_WM:-}" ]; then
    FERRULE_UNDER_WM=1 exec bash tests/desktop/with-window-manager.sh bash "$root/scripts/screenshots.sh" "$@"
fi
for tool in xdotool import convert; do
    command -v "$tool" > /dev/null || { echo "screenshots.sh: $tool is needed (xvfb, xdotool, imagemagick)" >&2; exit 1; }
done
[ -f "$build_dir/CMakeCache.txt" ] || bash scripts/setup.sh
cmake --build "$build_dir" -j "${FERRULE_JOBS:-2}" --target ferrule ferrule_dragsource

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
    [ -n "${FERRULE_KEEP_WORK:-}" ] && echo "work folder: $work" >&2 || rm -rf "$work"
}
trap cleanup EXIT

# The application in a folder of its own, so that its settings file stays out of the build folder.
mkdir -p "$work/app"
cp "$build_dir/src/app/ferrule" "$work/app/"
[ -d "$build_dir/src/app/theme" ] && cp -r "$build_dir/src/app/theme" "$work/app/"
printf '[Settings]\r\nWindowLeft=24\r\nWindowTop=24\r\nLogWindowLeft=24\r\nLogWindowTop=190\r\nLogWindowWidth=440\r\nLogWindowHeight=420\r\n' \
    > "$work/app/ferrule.ini"

# Files to check, and two lists of them.
source scripts/screenshot-lib.sh "$work"

(cd "$work/app" && ./ferrule > "$work/ferrule.log" 2>&1) &
pids+=($!)
main="$(xdotool search --sync --onlyvisible --name '^Ferrule ver')"
sleep 1

# Drags FILE... from ferrule_dragsource onto the drop box with mouse button BUTTON, as a hand would.
drag_onto_drop_box() { # button file...
    local button="$1"
    shift
    "$build_dir/tests/ui/dragsource/ferrule_dragsource" "$@" >> "$work/drag.log" 2>&1 &
    pids+=($!)
    xdotool search --sync --name '^ferrule_dragsource$' > /dev/null
    sleep 0.5
    hand_drag_to_drop_box "$button" 0.1 0.3
}

# First a long check in progress (large sparse files: no disk used), stopped with Escape.
mkdir -p "$work/big"
for i in $(seq 0 15); do
    truncate -s 1G "$work/big/disc$i.iso"
    printf 'disc%d.iso 0123456789abcdef0123456789abcdef\r\n' "$i"
done > "$work/big/discs.md5"
eval "$(xdotool getwindowgeometry --shell "$main")"
drop_x=$((X + 8 + 64))
drop_y=$((Y + 8 + 64))
drag_onto_drop_box 1 "$work/big/discs.md5"
sleep 2.5
xdotool mousemove "$drop_x" $((drop_y + 20)) # the tooltip with the details
sleep 1.5
import -window root "$work/root.png"
convert "$work/root.png" -crop "460x280+$((drop_x - 90))+$((drop_y - 100))" +repage "$root/docs/screenshot-progress.png"
xdotool mousemove 600 600 key Escape
sleep 2

# Drag both lists from the drag source onto the drop box with the left button.
drag_onto_drop_box 1 "$data/checksums.md5" "$data/archive.sfv"
sleep 2
xdotool mousemove 600 600 # the pointer out of the picture, and no tooltip

shot() { # window, output: the window with the frame the window manager put around it
    local parent
    parent="$(xwininfo -id "$1" -tree | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')"
    eval "$(xdotool getwindowgeometry --shell "$parent")"
    import -window root "$work/root.png"
    convert "$work/root.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
}
mkdir -p "$root/docs"
shot "$main" "$root/docs/screenshot-main.png"

# The main menu (right-click on the drop box), with its theme submenu open.
xdotool mousemove "$drop_x" "$drop_y" click 3
sleep 0.5
xdotool key c
sleep 0.5
import -window root "$work/root.png"
convert "$work/root.png" -crop "520x300+$((drop_x - 100))+$((drop_y - 100))" +repage "$root/docs/screenshot-menu.png"
xdotool key Escape Escape
sleep 0.3

# A drop with the right button: the drop menu, then the folder dialog from it.
drag_onto_drop_box 3 "$data/archive.sfv"
sleep 0.8
import -window root "$work/root.png"
convert "$work/root.png" -crop "360x200+$((drop_x - 100))+$((drop_y - 60))" +repage "$root/docs/screenshot-dropmenu.png"
xdotool key h
sleep 1.5
folder=""
for id in $(xdotool search --onlyvisible --name '.'); do
    [ "$(xdotool getwindowname "$id")" == "フォルダーの参照" ] && folder="$id"
done
shot "$folder" "$root/docs/screenshot-folder.png"
xdotool key Escape
sleep 0.5

# The log window, from the main menu.
xdotool mousemove "$drop_x" "$drop_y" click 3
sleep 0.5
xdotool key l
sleep 1
log=""
for id in $(xdotool search --onlyvisible --name '.'); do
    [ "$(xdotool getwindowname "$id")" == "結果ログ" ] && log="$id"
done
xdotool mousemove 600 600
shot "$log" "$root/docs/screenshot-log.png"

echo "screenshots.sh: wrote docs/screenshot-{main,menu,dropmenu,folder,log,progress}.png"
