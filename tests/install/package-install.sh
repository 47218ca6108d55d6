#!/usr/bin/env bash
# The Debian package on this machine as a user gets it (run through with-window-manager.sh): installed with
# apt-get, ferrule-check and the application started from /usr/bin, the settings written to the user's
# configuration folder and found again at the next start, nothing written beside the programs, the list
# types known to the desktop's databases; then the package is removed again.
# Skips (77), saying why, unless root with apt and dpkg usable, and whenever a copy of Ferrule is on the
# machine already: a user's own copy is never replaced or removed.
# Usage: package-install.sh DEB
set -uo pipefail
deb="$(realpath "$1")"

skip() {
    echo "package-install.sh: SKIP: $*" >&2
    exit 77
}
[ -f "$deb" ] || skip "there is no package at $1 (the package_deb test makes it)"
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
for tool in apt-get dpkg dpkg-query dpkg-deb; do
    command -v "$tool" > /dev/null || skip "$tool is missing: no Debian package system here"
done
package="$(dpkg-deb --field "$deb" Package)"
version="$(dpkg-deb --field "$deb" Version)"
state="$(dpkg-query -W -f='${db:Status-Status}' "$package" 2> /dev/null)"
[ -z "$state" ] || [ "$state" == not-installed ] || skip "a $package package is on this machine ($state): it is left alone"
contents="$(dpkg-deb --fsys-tarfile "$deb" | tar -t)"
while read -r path; do
    path="/${path#./}"
    if [ -e "$path" ] && [ ! -d "$path" ]; then
        skip "$path exists already, from a copy installed without the package: it is left alone"
    fi
done <<< "$contents"
apt-get check -q > /dev/null 2>&1 || skip "'apt-get check' fails: the package system needs repair first"

work="$(mktemp -d)"
chmod 755 "$work" # apt reads the package as its own unprivileged user
source "$(dirname "$0")/../desktop/desktop-lib.sh"
installed=""
apt() {
    DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=120 "$@" > "$work/apt.log" 2>&1
    local status=$?
    [ "$status" -ne 0 ] && sed 's/^/    /' "$work/apt.log" >&2
    return "$status"
}
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2> /dev/null
    [ -n "$installed" ] && apt purge "$package"
    # A settings file the application wrote beside itself, which this test then reports, goes too.
    [ -f "$work/bin-before" ] && ! grep -qx ferrule.ini "$work/bin-before" && rm -f /usr/bin/ferrule.ini
    rm -rf "$work"
}
trap cleanup EXIT

cp "$deb" "$work/"
installed=1 # from here on, whatever part of it got installed is removed at the end
if ! apt install --no-install-recommends "$work/$(basename "$deb")"; then
    grep -qi "could not get lock\|unable to acquire" "$work/apt.log" && installed="" &&
        skip "dpkg is busy with another installation"
    echo "FAIL: apt-get install ./$(basename "$deb")" >&2
    exit 1
fi
expect "the package is installed" "install ok installed $version" \
    "$(dpkg-query -W -f='${Status} ${Version}' "$package")"

# The command-line checker from /usr/bin, on a list of its own.
expect "ferrule-check --version" "ferrule-check $version" "$(/usr/bin/ferrule-check --version)"
mkdir "$work/lists"
printf 'installed\n' > "$work/lists/a.txt"
(cd "$work/lists" && sha256sum a.txt > SHA256SUMS)
result="$(cd "$work/lists" && /usr/bin/ferrule-check --no-progress SHA256SUMS)"
status=$?
expect "ferrule-check checks a list" "0 ○ a.txt" "$status $(grep -o '^○ a.txt' <<< "$result")"

# The desktop's databases, updated by the triggers of their packages, know the list types.
if command -v update-mime-database > /dev/null; then
    grep -q '^50:text/x-sha256:sha256sums$' /usr/share/mime/globs2 && echo "ok: the MIME database knows SHA256SUMS" ||
        fail "the MIME database does not know SHA256SUMS"
fi
if command -v update-desktop-database > /dev/null; then
    grep -q "^text/x-sha256=.*$(basename "$(dpkg -L "$package" | grep '/applications/.*\.desktop$')")" \
        /usr/share/applications/mimeinfo.cache && echo "ok: the desktop database offers Ferrule for SHA-256 lists" ||
        fail "the desktop database does not offer Ferrule for SHA-256 lists"
fi

# The application from /usr/bin, for a user whose configuration folder is the default one.
export HOME="$work/home"
mkdir "$HOME"
unset XDG_CONFIG_HOME XDG_DATA_HOME
ini="$HOME/.config/ferrule/ferrule.ini"
ls -A /usr/bin > "$work/bin-before"
start() { start_app "$work/lists" /usr/bin/ferrule; }
setting() { tr -d '\r' 2> /dev/null < "$ini" | sed -n "s/^$1=//p"; }

start
[ -n "$main_window" ] || { cat "$work/ferrule.log" >&2; fail "the application's window did not appear"; }
# The first theme of the theme menu (the installed examples): the main menu, its theme submenu, one item down.
open_main_menu
xdotool key c
wait_windows $((menu_base + 2)) || fail "the theme submenu did not open"
xdotool key Down Return
wait_windows "$menu_base" || fail "the menus did not close"
close_app
[ -f "$ini" ] && echo "ok: settings saved to ~/.config/ferrule/ferrule.ini" ||
    fail "no settings in ~/.config/ferrule/ferrule.ini"
theme="$(setting ThemeName)"
[ -n "$theme" ] && [ -f "/usr/share/ferrule/theme/$theme.ini" ] && echo "ok: installed theme $theme chosen" ||
    fail "the theme saved is '$theme', not one of /usr/share/ferrule/theme"
expect "nothing written to /usr/bin" "" "$(ls -A /usr/bin | diff "$work/bin-before" - | sed -n 's/^> //p')"
[ ! -e "$work/lists/ferrule.ini" ] && echo "ok: nothing written to the working folder" ||
    fail "settings written to the working folder"

# The next start finds the settings again: it keeps the theme, which would otherwise be saved as the standard look.
start
close_app
[ -n "$theme" ] && expect "the theme after the next start" "$theme" "$(setting ThemeName)"

# Removed again, with nothing of it left in /usr/bin or the MIME database.
if apt purge "$package"; then
    installed=""
    [ ! -e /usr/bin/ferrule ] && [ ! -e /usr/bin/ferrule-check ] && echo "ok: removed" ||
        fail "programs left in /usr/bin after removal"
    if command -v update-mime-database > /dev/null; then
        ! grep -q 'text/x-sha256' /usr/share/mime/globs2 && echo "ok: the MIME database forgot the types" ||
            fail "the MIME database still has the list types"
    fi
else
    fail "apt-get purge $package"
fi

if [ "$failures" -ne 0 ]; then
    echo "package-install.sh: $failures failed" >&2
    exit 1
fi
echo "package-install.sh: all passed"
