#!/usr/bin/env bash
# Makes the Windows release: release/ferrule-VERSION-win64.zip and, where Qt builds for it, -win32.zip, each
# holding one folder with ferrule.exe, ferrule-check.exe, Qt's DLLs, plugins and Japanese texts, the example
# themes, Qt's licence texts and a short Japanese readme. Builds what is missing (scripts/windows-ui.sh, without tests).
#   scripts/windows-release.sh [x86_64|i686]...   (default: both)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

version=$(sed -n 's/^set(FERRULE_VERSION_TEXT "\(.*\)")$/\1/p' CMakeLists.txt)
archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(x86_64 i686)
mkdir -p release
for arch in "${archs[@]}"; do
    case "$arch" in
    x86_64) bits=64 ;;
    i686) bits=32 ;;
    *) echo "unknown architecture $arch" >&2; exit 2 ;;
    esac
    build="build-win$bits-ui"
    name="ferrule-$version-win$bits"
    if ! FERRULE_SKIP_TESTS=1 bash scripts/windows-ui.sh "$arch"; then
        echo "== no $name: the Windows desktop build for $arch failed" >&2
        [ "$arch" = i686 ] && continue
        exit 1
    fi
    qt=$(bash scripts/windows-qt.sh "$arch" 2>/dev/null | tail -n 1)
    qt_version=$(basename "$qt" | cut -d- -f2)
    qt_source=$(cut -d' ' -f2 "$qt/licenses/source.txt")

    stage="$(mktemp -d)"
    trap 'rm -rf "$stage"' EXIT
    dir="$stage/$name"
    mkdir -p "$dir/licenses"
    # The application's folder as built: the executable, Qt's DLLs and plugins, theme/.
    app="$build/src/app"
    cp "$app/ferrule.exe" "$build/src/cli/ferrule-check.exe" "$app"/Qt6*.dll "$dir/"
    cp -r "$app/platforms" "$app/styles" "$app/imageformats" "$app/translations" "$app/theme" "$dir/"
    # Symbols are for debugging the build, not for users: a quarter of the size.
    find "$dir" \( -iname '*.exe' -o -iname '*.dll' \) -exec "$arch-w64-mingw32-strip" --strip-unneeded {} +
    cp "$qt/licenses/LGPL-3.0-only.txt" "$qt/licenses/GPL-3.0-only.txt" "$dir/licenses/"
    # UTF-8 with a byte-order mark and CR LF: Notepad of every Windows version reads it as UTF-8 whatever
    # the system's code page, where code page 932 would show only on Japanese systems.
    {
        printf '\xEF\xBB\xBF'
        sed -e "s/@VERSION@/$version/g" -e "s/@BITS@/$bits/g" -e "s/@QT_VERSION@/$qt_version/g" \
            -e "s/@QT_SOURCE@/$qt_source/g" res/windows/readme.txt | sed 's/$/\r/'
    } >"$dir/readme.txt"
    bash scripts/windows-dlls.sh "$dir" "$arch" >/dev/null
    rm -f "release/$name.zip"
    (cd "$stage" && zip -qr -X "$root/release/$name.zip" "$name")
    echo "== release/$name.zip: $(stat -c %s "release/$name.zip") bytes"
    unzip -l "release/$name.zip" | tail -n +4 | head -n -2 | awk '{print "   ", $4}'
    rm -rf "$stage"
    trap - EXIT
done
