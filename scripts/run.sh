#!/usr/bin/env bash
# Sets everything up, builds, and starts Ferrule.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
exec "${FERRULE_BUILD_DIR:-build}"/src/cli/ferrule-check --help
