#!/usr/bin/env bash
# Sets everything up, builds, and starts the Ferrule desktop application.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build_dir="${FERRULE_BUILD_DIR:-build}"
app="$build_dir/src/app/ferrule"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<MESSAGE
run.sh: Ferrule is built ($app), but it is a desktop application and there is no display to show
it on (neither DISPLAY nor WAYLAND_DISPLAY is set). Start it from a desktop session, or on a virtual
display:

    Xvfb :99 & DISPLAY=:99 bash scripts/run.sh

The same check runs without a display from the command line:

    $build_dir/src/cli/ferrule-check LIST...
MESSAGE
    exit 1
fi
exec "$app"
