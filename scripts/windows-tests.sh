#!/usr/bin/env bash
# Builds the core and ferrule-check for 64-bit and 32-bit Windows with MinGW-w64 (build-win64/, build-win32/)
# and runs the core tests of the 64-bit build under Wine with the ANSI code page 932. The 32-bit build is
# compiled and linked only: this machine's kernel cannot run 32-bit programs, so wine32 is never installed.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
    googletest wine64 locales
)
bash scripts/install-packages.sh "${packages[@]}"

jobs="${FERRULE_JOBS:-2}"
for variant in win64:x86_64 win32:i686; do
    build="build-${variant%%:*}"
    echo "== Windows build ${build}"
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-${variant#*:}.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DFERRULE_BUILD_UI=OFF -DFERRULE_BUILD_BENCH=OFF -DFERRULE_WERROR=ON
    cmake --build "$build" -j "$jobs"
    exe="$build/src/cli/ferrule-check.exe"
    [ -f "$exe" ] || { echo "missing $exe" >&2; exit 1; }
    # Self-contained: only DLLs that every Windows has.
    dlls=$("${variant#*:}-w64-mingw32-objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
    for dll in $dlls; do
        case "$dll" in
        kernel32.dll | msvcrt.dll | bcrypt.dll | advapi32.dll | user32.dll | shell32.dll) ;;
        *) echo "$exe needs $dll" >&2; exit 1 ;;
        esac
    done
done

echo "== core tests of build-win64 under Wine, ANSI code page 932"
build="$PWD/build-win64"
# Wine maps Windows file names to Linux ones through the locale's character set: without a real
# ja_JP.UTF-8 locale that is ASCII and every Japanese file name fails. LC_ALL also gives code page 932.
if [ ! -f "$build/locale/ja_JP.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$build/locale"
    localedef -i ja_JP -f UTF-8 "$build/locale/ja_JP.UTF-8"
fi
# Given to Wine's programs only: this shell would complain about a locale it cannot load itself.
locale_env=(env LOCPATH="$build/locale" LC_ALL=ja_JP.UTF-8)
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
# A fresh prefix each time; first stop the server that an earlier run may have left for the old one.
[ ! -d "$WINEPREFIX" ] || /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
# A wineserver of our own, started before anything else with its output elsewhere: one started by a test
# would inherit the test's output pipe and keep ctest waiting for it.
/usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT
"${locale_env[@]}" /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1
cd "$build"
"${locale_env[@]}" ctest --output-on-failure --timeout 300 -j "$jobs"
