#!/usr/bin/env bash
# `cmake --install` into a scratch folder, then what an installed Ferrule gives the desktop, checked with the
# desktop's own tools: the desktop entry, the AppStream metainfo, the manual pages, the icons, the MIME types
# of checksum lists, and that they all agree with each other and with the programs.
# Usage: installed-files.sh BUILD_DIR INSTALL_PREFIX APP_ID SOURCE_DIR
set -uo pipefail
build="$1" prefix="$2" id="$3" source="$4"

for tool in desktop-file-validate appstreamcli update-mime-database man; do
    if ! command -v "$tool" > /dev/null; then
        echo "installed-files.sh: SKIP: $tool is not installed (scripts/setup.sh installs it)" >&2
        exit 77
    fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect() { # what, expected, actual
    if [ "$2" == "$3" ]; then echo "ok: $1"; else fail "$1: expected '$2', got '$3'"; fi
}
# Runs a validator, showing its output; it must succeed, and with "quiet" also print nothing.
check() { # [quiet] what command...
    local quiet=""
    [ "$1" == quiet ] && quiet=1 && shift
    local what="$1"
    shift
    "$@" > "$work/out" 2>&1
    local status=$?
    sed 's/^/    /' "$work/out"
    if [ "$status" -ne 0 ]; then
        fail "$what (exit status $status)"
    elif [ -n "$quiet" ] && [ -s "$work/out" ]; then
        fail "$what printed warnings"
    else
        echo "ok: $what"
    fi
}

if ! DESTDIR="$work/root" cmake --install "$build" > "$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    echo "installed-files.sh: cmake --install failed" >&2
    exit 1
fi
root="$work/root$prefix"
share="$root/share"
desktop="$share/applications/$id.desktop"
metainfo="$share/metainfo/$id.metainfo.xml"
mime="$share/mime/packages/$id.xml"
entry() { sed -n "s/^$1=//p" "$desktop"; }

# Every file in its place.
for file in bin/ferrule bin/ferrule-check; do
    [ -x "$root/$file" ] && echo "ok: $file" || fail "$file is missing or not executable"
done
for file in "$desktop" "$metainfo" "$mime" "$share/man/man1/ferrule.1.gz" "$share/man/man1/ferrule-check.1.gz" \
    "$share/doc/ferrule/copyright" "$share/doc/ferrule/changelog.gz"; do
    [ -s "$file" ] && echo "ok: ${file#"$root"/}" || fail "${file#"$root"/} is missing or empty"
done
# The example themes as the build folder has them beside the executable.
check "installed themes are those beside the built executable" \
    diff -r "$build/src/app/theme" "$share/ferrule/theme"

# The icon at each size of the hicolor theme, as a PNG of that size (width and height from its header).
for size in 16 32 48 64 128 256; do
    icon="$share/icons/hicolor/${size}x$size/apps/$id.png"
    header="$(od -A n -t x1 -j 12 -N 12 "$icon" 2> /dev/null | tr -d ' \n')"
    expect "icon $size" "49484452$(printf '%08x%08x' "$size" "$size")" "$header" # "IHDR", width, height
done

# The desktop entry: valid, starting the installed program with the lists, its icon installed, and every
# type of the MIME file declared.
check "desktop-file-validate" desktop-file-validate "$desktop"
expect "desktop entry Exec" "ferrule %F" "$(entry Exec)"
[ -x "$root/bin/$(entry TryExec)" ] && echo "ok: TryExec is installed" || fail "TryExec $(entry TryExec) is not in bin/"
expect "desktop entry Icon" "$id" "$(entry Icon)"
types_in_mime_file="$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$mime" | sort | tr '\n' ' ')"
expect "desktop entry MimeType" "$types_in_mime_file" "$(entry MimeType | tr ';' '\n' | sed '/^$/d' | sort | tr '\n' ' ')"
grep -q '^Name\[ja\]=' "$desktop" && grep -q '^Comment\[ja\]=' "$desktop" && echo "ok: Japanese name and comment" ||
    fail "the desktop entry has no Japanese name or comment"

# The metainfo: valid, naming the desktop entry, the programs and screenshots that exist.
check "appstreamcli validate" appstreamcli validate --no-net --strict "$metainfo"
expect "metainfo id" "$id" "$(sed -n 's/.*<id>\(.*\)<\/id>.*/\1/p' "$metainfo")"
expect "metainfo launchable" "$id.desktop" "$(sed -n 's/.*<launchable type="desktop-id">\(.*\)<.*/\1/p' "$metainfo")"
for binary in $(sed -n 's/.*<binary>\(.*\)<\/binary>.*/\1/p' "$metainfo"); do
    [ -x "$root/bin/$binary" ] && echo "ok: provided $binary" || fail "the metainfo provides $binary, not installed"
done
shots=0
for image in $(sed -n 's/.*<image>\(.*\)<\/image>.*/\1/p' "$metainfo"); do
    shots=$((shots + 1))
    [ -f "$source/docs/${image##*/}" ] && echo "ok: screenshot ${image##*/}" ||
        fail "the metainfo shows ${image##*/}, which docs/ does not have"
done
[ "$shots" -gt 0 ] || fail "the metainfo has no screenshots"

# The manual pages: no warning from man, the version of the programs, every option of the help.
version="$("$root/bin/ferrule-check" --version | cut -d' ' -f2)"
page_text() { LC_ALL=C.UTF-8 MANWIDTH=200 man -E UTF-8 -l "$share/man/man1/$1.1.gz" 2> /dev/null; }
for page in ferrule ferrule-check; do
    check quiet "man --warnings $page.1" \
        bash -c "LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l -Tutf8 -Z '$share/man/man1/$page.1.gz' > /dev/null"
    page_text "$page" | grep -q "Ferrule $version" && echo "ok: $page.1 gives version $version" ||
        fail "$page.1 does not give version $version"
done
for option in $("$root/bin/ferrule-check" --help | grep -o -- '--[a-z-]*' | sort -u); do
    page_text ferrule-check | grep -q -- "$option" && echo "ok: ferrule-check.1 explains $option" ||
        fail "ferrule-check.1 does not explain $option"
done

# The MIME file: the database tool takes it, each pattern gets its type, and no pattern is one the system's
# own database already types (a type of our own would then compete with it).
mkdir -p "$work/mime/packages"
cp "$mime" "$work/mime/packages/"
check quiet "update-mime-database" env XDG_DATA_DIRS="$work" update-mime-database "$work/mime"
while read -r type pattern; do
    grep -qxF "50:$type:$(tr '[:upper:]' '[:lower:]' <<< "$pattern")" "$work/mime/globs2" &&
        echo "ok: $pattern is $type" || fail "$pattern is not $type in the built database"
    if [ -f /usr/share/mime/globs2 ] && grep -v '^#' /usr/share/mime/globs2 | cut -d: -f3 | grep -qixF "$pattern"; then
        fail "$pattern already has a type in the system's MIME database"
    fi
done < <(awk -F'"' '/<mime-type type=/ {type = $2} /<glob pattern=/ {print type, $2}' "$mime")

if [ "$failures" -ne 0 ]; then
    echo "installed-files.sh: $failures failed" >&2
    exit 1
fi
echo "installed-files.sh: all passed"
