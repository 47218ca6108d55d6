# Shared by the scripts that drive the real application under a window manager (sourced, not run).
# They set app_pid and main_window when they start the application; failures counts what failed.
failures=0
app_pid=""
# A command that ends a script under set -e says which one it was.
trap 'echo "stopped at line $LINENO: $BASH_COMMAND" >&2' ERR
main_window=""

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect() { # what, expected, actual
    if [ "$2" == "$3" ]; then echo "ok: $1"; else fail "$1: expected '$2', got '$3'"; fi
}

# Starts the application (command and arguments) in folder $1, its output in $work/ferrule.log, and waits
# for its main window, which the window manager is then given a moment to frame.
start_app() {
    local folder="$1"
    shift
    (cd "$folder" && exec "$@" > "$work/ferrule.log" 2>&1) &
    app_pid=$!
    main_window="$(timeout 20 xdotool search --sync --onlyvisible --pid "$app_pid" --name '^Ferrule ver' | head -n 1)"
    sleep 1
}

# How many windows of the application are shown; a popup menu is one more.
# xdotool fails when a window goes while it looks (a menu closing): that counts what it found, under set -e too.
visible_windows() { { xdotool search --onlyvisible --pid "$app_pid" '' 2> /dev/null || true; } | wc -l; }
wait_windows() { # count [seconds]
    local deadline=$((SECONDS + ${2:-10}))
    while [ $SECONDS -lt $deadline ]; do
        [ "$(visible_windows)" -eq "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# The main menu from a right click on the drop box, waited for: on a loaded machine keys pressed before it
# opens would reach the window instead. Leaves the count of windows before it in menu_base.
open_main_menu() {
    menu_base="$(visible_windows)"
    eval "$(xdotool getwindowgeometry --shell "$main_window")"
    xdotool mousemove $((X + 40)) $((Y + 40)) click 3
    wait_windows $((menu_base + 1)) || fail "the main menu did not open"
}

close_app() {
    # Alt+F4 reaches the active window only: on a loaded machine the activation may come late, so the
    # keys are pressed again until the application has ended.
    local tries
    for tries in 1 2 3 4 5; do
        xdotool windowactivate --sync "$main_window" key --clearmodifiers alt+F4 2> /dev/null
        timeout 8 tail --pid="$app_pid" -f /dev/null && break
    done
    if kill -0 "$app_pid" 2> /dev/null; then
        fail "the application did not end after Alt+F4"
        kill "$app_pid"
    fi
    app_pid=""
}
