#!/usr/bin/env bash
# Installs what Ferrule needs from Debian's packages and builds it into build/ (or $FERRULE_BUILD_DIR),
# configured for /usr, where the Debian package installs it (the copy in the build folder stays portable).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    build-essential cmake pkg-config
    libisal-dev libssl-dev libicu-dev
    libgtest-dev libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-ipafont-gothic fonts-noto-cjk qt6-translations-l10n locales
    xvfb openbox xdotool x11-utils
    rhash
    libfuse3-dev fuse3
    zlib1g-dev
    desktop-file-utils appstream shared-mime-info man-db dpkg-dev lintian
)
bash scripts/install-packages.sh "${packages[@]}"

build_dir="${FERRULE_BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr ${FERRULE_CMAKE_ARGS:-}
cmake --build "$build_dir" -j "${FERRULE_JOBS:-2}"
