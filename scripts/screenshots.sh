#!/usr/bin/env bash
# Takes the README's screenshots on a virtual display (Xvfb): the main window after a check, and the
# log window. The real application is driven as a user would: checksum lists are dragged onto the
# drop box with ferrule_dragsource and xdotool, the log window is opened from the main menu.
# Writes docs/screenshot-main.png and docs/screenshot-log.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build_dir="${FERRULE_BUILD_DIR:-build}"

for tool in Xvfb xdotool import convert; do
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

# Files to check, and two lists: an MD5 list and a CRC-32 list with sizes.
data="$work/写真と資料"
mkdir -p "$data"
head -c 48000 /dev/zero | tr '\0' 'a' > "$data/旅行.jpg"
printf 'meeting notes\n' > "$data/notes.txt"
head -c 9000 /dev/zero | tr '\0' 'p' > "$data/report.pdf"
head -c 20000 /dev/zero | tr '\0' 'z' > "$data/backup.zip"
md5() { md5sum "$1" | cut -d' ' -f1; }
crc32() { gzip -c < "$1" | tail -c 8 | head -c 4 | od -An -tx4 | tr -d ' \n' | tr 'a-f' 'A-F'; }
{
    printf '旅行.jpg %s\r\n' "$(md5 "$data/旅行.jpg")"
    printf 'notes.txt %s\r\n' "$(md5 "$data/notes.txt")"
    printf 'report.pdf %s\r\n' "0123456789abcdef0123456789abcdef"
    printf 'old-draft.doc %s\r\n' "$(md5 "$data/notes.txt")"
} | iconv -f UTF-8 -t CP932 > "$data/checksums.md5"
{
    printf 'backup.zip %s 20000\r\n' "$(crc32 "$data/backup.zip")"
    printf 'notes.txt %s 99\r\n' "$(crc32 "$data/notes.txt")"
} > "$data/archive.sfv"

# A free display number.
display=97
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x640x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 50); do xdotool getmouselocation > /dev/null 2>&1 && break; sleep 0.1; done

(cd "$work/app" && ./ferrule > "$work/ferrule.log" 2>&1) &
pids+=($!)
main="$(xdotool search --sync --name '^Ferrule ver')"
sleep 1

# Drag both lists from the drag source onto the drop box with the left button.
"$build_dir/tests/ui/dragsource/ferrule_dragsource" "$data/checksums.md5" "$data/archive.sfv" > "$work/drag.log" 2>&1 &
pids+=($!)
xdotool search --sync --name '^ferrule_dragsource$' > /dev/null
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$main")"
drop_x=$((X + 8 + 64))
drop_y=$((Y + 8 + 64))
xdotool mousemove 640 440 mousedown 1
for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove $((640 + (drop_x - 640) * step / 8)) $((440 + (drop_y - 440) * step / 8))
    sleep 0.1
done
sleep 0.3
xdotool mouseup 1
sleep 2
xdotool mousemove 600 600 # the pointer out of the picture, and no tooltip

shot() { # window, output
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window root "$work/root.png"
    convert "$work/root.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
}
mkdir -p "$root/docs"
shot "$main" "$root/docs/screenshot-main.png"

# The log window, from the main menu (right-click on the drop box, then L).
xdotool mousemove "$drop_x" "$drop_y" click 3
sleep 0.5
xdotool key l
log="$(xdotool search --sync --name '^結果ログ$')"
sleep 1
xdotool mousemove 600 600
shot "$log" "$root/docs/screenshot-log.png"
echo "screenshots.sh: wrote docs/screenshot-main.png and docs/screenshot-log.png"
