#!/usr/bin/env bash
# The Debian package through lintian: no error and no warning (the informational tags are shown).
# Usage: package-lintian.sh DEB
set -uo pipefail
deb="$1"
skip() {
    echo "package-lintian.sh: SKIP: $*" >&2
    exit 77
}
command -v lintian > /dev/null || skip "lintian is not installed (scripts/setup.sh installs it)"
[ -f "$deb" ] || skip "there is no package at $deb (the package_deb test makes it)"
lintian --fail-on error,warning --info --display-info "$deb" 2>&1 | grep -v '^N:'
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] && echo "package-lintian.sh: no errors, no warnings" || echo "package-lintian.sh: failed" >&2
exit "$status"
