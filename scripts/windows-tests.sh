#!/usr/bin/env bash
# Builds the core and ferrule-check for 64-bit and 32-bit Windows with MinGW-w64 (build-win64/, build-win32/)
# and runs the core tests of both under Wine with the ANSI code page 932: the 64-bit ones with wine64, the
# 32-bit ones with Wine's 32-bit loader (Debian's wine32, of the i386 architecture).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
    googletest wine64 wine32:i386 locales
)
bash scripts/install-packages.sh "${packages[@]}"

# One Wine prefix for both: a 64-bit prefix runs 32-bit programs too.
source scripts/wine-session.sh "$PWD/build-win64"

jobs="${FERRULE_JOBS:-2}"
for variant in win64:x86_64:wine64 win32:i686:wine; do
    IFS=: read -r name arch loader <<< "$variant"
    build="build-$name"
    echo "== Windows build $build"
    # The emulator is named here rather than in the toolchain file, which also keys Qt's build cache.
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CROSSCOMPILING_EMULATOR="/usr/lib/wine/$loader" \
        -DFERRULE_BUILD_UI=OFF -DFERRULE_BUILD_BENCH=OFF -DFERRULE_WERROR=ON
    cmake --build "$build" -j "$jobs"
    exe="$build/src/cli/ferrule-check.exe"
    [ -f "$exe" ] || { echo "missing $exe" >&2; exit 1; }
    # Self-contained: only DLLs that every Windows has.
    dlls=$("$arch-w64-mingw32-objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
    for dll in $dlls; do
        case "$dll" in
        kernel32.dll | msvcrt.dll | bcrypt.dll | advapi32.dll | user32.dll | shell32.dll) ;;
        *) echo "$exe needs $dll" >&2; exit 1 ;;
        esac
    done
    echo "== core tests of $build under Wine ($loader), ANSI code page 932"
    (cd "$build" && "${wine_env[@]}" ctest --output-on-failure --timeout 300 -j "$jobs")
done
