#!/usr/bin/env bash
# Builds Qt (qtbase: Core, Gui, Widgets, Test and the windows/offscreen platform plugins) for Windows with
# MinGW-w64 from Debian's qt6-base source package, using the host's Qt 6 tools (moc, rcc, uic).
#   scripts/windows-qt.sh x86_64|i686
# Installs into $FERRULE_CACHE/qt-VERSION-ARCH-w64-mingw32-OPTIONS (default /var/cache/ferrule) and prints that
# folder last. An install whose stamp exists is reused as it is; the stamp is written last, so a build that
# was stopped half way is taken up again. The wall time of the build is kept in the stamp.
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$PWD"

arch="${1:?usage: $0 x86_64|i686}"
case "$arch" in x86_64 | i686) ;; *) echo "unknown architecture $arch" >&2; exit 2 ;; esac
triplet="$arch-w64-mingw32"
cache="${FERRULE_CACHE:-/var/cache/ferrule}"
jobs="${FERRULE_JOBS:-2}"

packages=(
    cmake ninja-build perl dpkg-dev
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    qt6-base-dev qt6-base-dev-tools
)
bash scripts/install-packages.sh "${packages[@]}"

# The host's Qt builds the target's moc/rcc/uic runs: both must be the same release.
host_qt=$(dpkg-query -W -f='${Version}' qt6-base-dev)
qt_version="${host_qt%%+*}"
qt_version="${qt_version#*:}"

# Only what Ferrule uses (FreeType because the offscreen platform of the tests draws with it). Every bundled
# third-party library is built into Qt, so that Qt's DLLs need none beside them (zlib for MinGW exists only
# as zlib1.dll or a static archive); the MinGW runtime is linked statically (toolchain file) for that reason.
options=(
    -DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=Release
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_direct2d=OFF -DFEATURE_fontconfig=OFF -DFEATURE_jpeg=OFF
    -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_glib=OFF -DFEATURE_pkg_config=OFF
    -DFEATURE_androiddeployqt=OFF -DFEATURE_dynamicgl=OFF
    # Qt 6.4 builds its DirectWrite font database only with Direct2D, but the Windows platform asks for it
    # with DirectWrite 3 alone; the default GDI font database is used either way.
    -DFEATURE_directwrite3=OFF
    # The tablet driver's header is not in Debian's source (removed as non-free).
    -DFEATURE_tabletevent=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF
    -DFEATURE_system_freetype=OFF
)
# The key changes with the options and the toolchain files, so that changing either builds anew.
options_key=$(printf '%s\n' "${options[@]}" | cat - cmake/mingw-w64-common.cmake "cmake/mingw-w64-$arch.cmake" |
    sha256sum | cut -c1-8)
prefix="$cache/qt-$qt_version-$triplet-$options_key"
stamp="$prefix/.complete"
if [ -f "$stamp" ]; then
    echo "== Qt $qt_version for $triplet is in $prefix ($(cat "$stamp"))" >&2
    echo "$prefix"
    exit 0
fi

# Debian's source package, fetched with a private apt state whose source entries are the machine's own
# binary entries turned into deb-src ones: the machine's apt configuration is left as it is.
src="$cache/src/qt6-base-$host_qt"
if [ ! -f "$src/.unpacked" ]; then
    apt_dir="$cache/apt"
    rm -rf "$apt_dir" "$src"
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/sources.list.d" "$apt_dir/download" "$(dirname "$src")"
    {
        for f in /etc/apt/sources.list.d/*.sources; do
            [ -f "$f" ] || continue
            sed -E 's/^Types:.*$/Types: deb-src/' "$f"
            echo
        done
        for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
            [ -f "$f" ] || continue
            sed -nE 's/^deb(\s)/deb-src\1/p' "$f" |
                awk '{ printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents:", $2, $3;
                       for (i = 4; i <= NF; i++) printf " %s", $i; print "\n" }'
        done
    } >"$apt_dir/sources.list.d/source.sources"
    apt_opts=(-o "Dir::Etc::sourceparts=$apt_dir/sources.list.d" -o Dir::Etc::sourcelist=/dev/null
        -o "Dir::State::Lists=$apt_dir/lists")
    apt-get -qq "${apt_opts[@]}" update
    (cd "$apt_dir/download" && apt-get -qq "${apt_opts[@]}" source --download-only "qt6-base=$host_qt")
    dpkg-source -q -x "$apt_dir"/download/qt6-base_*.dsc "$src"
    touch "$src/.unpacked"
fi

# One build folder per release and architecture, kept until the install is complete: a build that was
# stopped, or whose options changed, goes on from where it was rather than from the start.
build="$cache/build/qt-$qt_version-$triplet"
rm -rf "$prefix"
mkdir -p "$build"
started=$(date +%s)
echo "== configuring Qt $qt_version for $triplet in $build" >&2
cmake -G Ninja -S "$src" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-$arch.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" \
    "${options[@]}" >"$build/configure.log" 2>&1 || { tail -50 "$build/configure.log" >&2; exit 1; }
echo "== building Qt with $jobs jobs (log: $build/build.log)" >&2
cmake --build "$build" -j "$jobs" >"$build/build.log" 2>&1 || { tail -50 "$build/build.log" >&2; exit 1; }
cmake --install "$build" >"$build/install.log" 2>&1 || { tail -50 "$build/install.log" >&2; exit 1; }
# What a release needs besides the files: Qt's licence texts and the source it was built from.
mkdir -p "$prefix/licenses"
cp "$src/LICENSES/LGPL-3.0-only.txt" "$src/LICENSES/GPL-3.0-only.txt" "$prefix/licenses/"
echo "qt6-base $host_qt" >"$prefix/licenses/source.txt"
seconds=$(($(date +%s) - started))
echo "built in ${seconds}s with $jobs jobs on $(date -u +%Y-%m-%d)" >"$stamp"
echo "== Qt $qt_version for $triplet installed in $prefix, built in ${seconds}s" >&2
rm -rf "$build"
echo "$prefix"
