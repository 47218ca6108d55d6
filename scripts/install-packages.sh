#!/usr/bin/env bash
# Installs those of the given Debian packages that are not installed yet (no recommends).
set -euo pipefail
missing=()
for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    # Packages of another architecture (wine32:i386) need it known to dpkg before apt can see them.
    for p in "${missing[@]}"; do
        case "$p" in
        *:*) dpkg --print-foreign-architectures | grep -qx "${p#*:}" || $sudo dpkg --add-architecture "${p#*:}" ;;
        esac
    done
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
