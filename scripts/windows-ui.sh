#!/usr/bin/env bash
# Builds the desktop application for Windows with the Qt of scripts/windows-qt.sh: ferrule.exe with Qt's
# DLLs and plugins beside it, ferrule-check.exe and the widget tests, in build-win64-ui/ (x86_64, the
# default) or build-win32-ui/ (i686); checks that they need no DLL but Windows' own and Qt's, and runs the
# widget tests under Wine (wine64, or Wine's 32-bit loader from Debian's wine32 for i686).
#   scripts/windows-ui.sh [x86_64|i686]      (FERRULE_SKIP_TESTS=1: build and check only)
set -euo pipefail
cd "$(dirname "$0")/.."

arch="${1:-x86_64}"
case "$arch" in
x86_64) build="build-win64-ui" loader=wine64 extra=() ;;
i686) build="build-win32-ui" loader=wine extra=(wine32:i386) ;;
*) echo "unknown architecture $arch" >&2; exit 2 ;;
esac
jobs="${FERRULE_JOBS:-2}"

packages=(
    cmake g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest
    wine64 locales xvfb openbox xdotool x11-utils fonts-ipafont-gothic qt6-translations-l10n
    "${extra[@]}"
)
bash scripts/install-packages.sh "${packages[@]}"

qt=$(bash scripts/windows-qt.sh "$arch" | tail -n 1)

# The build runs the picture generator under Wine: the prefix must exist before it.
source scripts/wine-session.sh "$PWD/$build"

echo "== Windows desktop build $build with Qt from $qt"
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CROSSCOMPILING_EMULATOR="/usr/lib/wine/$loader" \
    -DFERRULE_BUILD_UI=ON -DFERRULE_BUILD_BENCH=OFF -DFERRULE_WERROR=ON
cmake --build "$build" -j "$jobs" --target ferrule ferrule-check test_ui ferrule_dragsource

echo "== DLLs the application needs"
bash scripts/windows-dlls.sh "$build/src/app" "$arch"

if [ -n "${FERRULE_SKIP_TESTS:-}" ]; then
    exit 0
fi
echo "== widget tests of $build under Wine"
cd "$build"
"${wine_env[@]}" ctest --output-on-failure --timeout 300 -j "$jobs" -R '^test_ui_'
