#!/usr/bin/env bash
# Runs the Windows ferrule.exe (build-win64-ui or, for i686, build-win32-ui: scripts/windows-ui.sh) under Wine on a virtual display with
# a window manager (Xvfb, openbox) and drives it as a user would: checksum lists are dragged onto its drop
# box from an X11 drag source (Wine turns the X11 drop into the shell's file drop) and, with the right
# button, from the same drag source built for Windows; the menus are opened with the mouse. Writes
# docs/windows-main.png, -menu.png, -dropmenu.png, -folder.png and -log.png (FERRULE_SHOTS_DIR: elsewhere).
#   scripts/windows-screenshots.sh [x86_64|i686]
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
arch="${1:-x86_64}"
case "$arch" in
x86_64) win_build="build-win64-ui" wine="/usr/lib/wine/wine64" ;;
i686) win_build="build-win32-ui" wine="/usr/lib/wine/wine" ;;
*) echo "unknown architecture $arch" >&2; exit 2 ;;
esac
win_build="${FERRULE_WIN_BUILD_DIR:-$win_build}"
shots="${FERRULE_SHOTS_DIR:-$root/docs}"
build_dir="${FERRULE_BUILD_DIR:-build}"

if [ -z "${FERRULE_UNDER_WM:-}" ]; then
    FERRULE_UNDER_WM=1 exec bash tests/desktop/with-window-manager.sh bash "$root/scripts/windows-screenshots.sh" "$@"
fi
unset QT_QPA_PLATFORM
for tool in xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "windows-screenshots.sh: $tool is needed" >&2; exit 1; }
done
[ -f "$win_build/src/app/ferrule.exe" ] || FERRULE_SKIP_TESTS=1 bash scripts/windows-ui.sh "$arch"
# The drag source is the Linux one: it is an X11 program, as the file manager whose drop Wine receives.
[ -f "$build_dir/CMakeCache.txt" ] || bash scripts/setup.sh
cmake --build "$build_dir" -j "${FERRULE_JOBS:-2}" --target ferrule_dragsource

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    [ -n "${FERRULE_KEEP_WORK:-}" ] && echo "work folder: $work" >&2 || rm -rf "$work"
}
source scripts/wine-session.sh "$work"
trap cleanup EXIT
# The Japanese faces of a Japanese Windows, which Wine does not have, by the gothic face installed here:
# menus and dialogs are drawn in the system's font, not in the application's.
for face in "MS UI Gothic" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "Yu Gothic UI" "Meiryo UI"; do
    "${wine_env[@]}" /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" \
        /d IPAPGothic /f >/dev/null 2>&1
done

# The application as a Windows user has it: its folder with Qt's DLLs, plugins and themes, settings beside.
mkdir -p "$work/app"
cp -r "$win_build/src/app/ferrule.exe" "$win_build/src/app"/Qt6*.dll "$win_build/src/app/platforms" \
    "$win_build/src/app/styles" "$win_build/src/app/imageformats" "$win_build/src/app/theme" "$work/app/"
printf '[Settings]\r\nWindowLeft=24\r\nWindowTop=24\r\nLogWindowLeft=24\r\nLogWindowTop=190\r\nLogWindowWidth=440\r\nLogWindowHeight=420\r\n' \
    >"$work/app/ferrule.ini"

# Files to check, and two lists of them.
source scripts/screenshot-lib.sh "$work"

(cd "$work/app" && "${wine_env[@]}" "$wine" ferrule.exe >"$work/ferrule.log" 2>&1) &
pids+=($!)
main="$(timeout 60 xdotool search --sync --onlyvisible --name '^Ferrule ver')"
sleep 2

# Drags FILE... from a ferrule_dragsource onto the drop box with mouse button BUTTON, as a hand would. The
# X11 one stands for a Linux file manager: Wine turns its drop into the shell's, but learns nothing of the
# buttons held. The Windows one drags through Wine's own drag and drop, which carries them.
drag_onto_drop_box() { # x11|windows button file...
    local source="$1" button="$2"
    shift 2
    if [ "$source" = x11 ]; then
        "$build_dir/tests/ui/dragsource/ferrule_dragsource" "$@" >>"$work/drag.log" 2>&1 &
    else
        local files=()
        for file in "$@"; do files+=("Z:${file//\//\\}"); done
        "${wine_env[@]}" "$wine" "$win_build/tests/ui/dragsource/ferrule_dragsource.exe" "${files[@]}" \
            >>"$work/drag.log" 2>&1 &
    fi
    pids+=($!)
    timeout 60 xdotool search --sync --onlyvisible --name '^ferrule_dragsource$' >/dev/null
    sleep 1
    hand_drag_to_drop_box "$button" 0.15 0.5
}
eval "$(xdotool getwindowgeometry --shell "$main")"
drop_x=$((X + 8 + 64))
drop_y=$((Y + 8 + 64))

# Both lists, dropped with the left button: the check runs at once.
drag_onto_drop_box x11 1 "$data/checksums.md5" "$data/archive.sfv"
sleep 4
xdotool mousemove 600 600 # the pointer out of the picture, and no tooltip
sleep 0.5

shot() { # window, output: the window with the frame the window manager put around it
    local parent
    parent="$(xwininfo -id "$1" -tree | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')"
    eval "$(xdotool getwindowgeometry --shell "$parent")"
    import -window root "$work/root.png"
    convert "$work/root.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
}
# The window's title is the one place a name shows without opening anything.
newest_window() { # title: the last visible window with that title
    local found=""
    for id in $(xdotool search --onlyvisible --name '.'); do
        [ "$(xdotool getwindowname "$id")" == "$1" ] && found="$id"
    done
    echo "$found"
}
mkdir -p "$shots"
shot "$main" "$shots/windows-main.png"

# The main menu (right-click on the drop box), with its theme submenu open.
xdotool mousemove "$drop_x" "$drop_y" click 3
sleep 1
xdotool key c
sleep 1
import -window root "$work/root.png"
convert "$work/root.png" -crop "520x300+$((drop_x - 100))+$((drop_y - 100))" +repage "$shots/windows-menu.png"
xdotool key Escape Escape
sleep 0.5

# A drop with the right button: the drop menu, then the shell's folder dialog from it.
drag_onto_drop_box windows 3 "$data/archive.sfv"
sleep 1.5
import -window root "$work/root.png"
convert "$work/root.png" -crop "360x200+$((drop_x - 100))+$((drop_y - 60))" +repage "$shots/windows-dropmenu.png"
xdotool key h
sleep 3
folder=""
for id in $(xdotool search --onlyvisible --name '.'); do
    name="$(xdotool getwindowname "$id")"
    [[ "$name" == *参照* || "$name" == *Browse* ]] && folder="$id"
done
if [ -n "$folder" ]; then
    shot "$folder" "$shots/windows-folder.png"
    xdotool windowactivate --sync "$folder" key Escape
else
    echo "windows-screenshots.sh: no folder dialog appeared" >&2
fi
sleep 1

# The log window, from the main menu.
xdotool mousemove "$drop_x" "$drop_y" click 3
sleep 1
xdotool key l
sleep 2
log="$(newest_window 結果ログ)"
xdotool mousemove 600 600
sleep 0.5
if [ -n "$log" ]; then
    shot "$log" "$shots/windows-log.png"
else
    echo "windows-screenshots.sh: the log window did not appear" >&2
    import -window root "$work/failed.png"
fi

# Close it as the user does, and see that the settings were written beside the executable.
xdotool windowactivate --sync "$main" key alt+F4 || true
for _ in $(seq 50); do grep -q 'ShowLogWindow=1' "$work/app/ferrule.ini" 2>/dev/null && break; sleep 0.2; done
grep -q 'ShowLogWindow=1' "$work/app/ferrule.ini" || { echo "windows-screenshots.sh: no settings saved" >&2; exit 1; }
echo "windows-screenshots.sh: wrote $shots/windows-{main,menu,dropmenu,folder,log}.png"
