#!/usr/bin/env bash
# Makes the Debian package from the build folder with CPack, into OUT_DIR, for the package tests.
# Usage: make-package.sh CPACK BUILD_DIR INSTALL_PREFIX OUT_DIR EXPECTED_NAME_WITHOUT_ARCH
set -uo pipefail
cpack="$1" build="$2" prefix="$3" out="$4" name="$5"
skip() {
    echo "make-package.sh: SKIP: $*" >&2
    exit 77
}
for tool in dpkg dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" > /dev/null || skip "$tool is not installed (scripts/setup.sh installs dpkg-dev)"
done
[ "$prefix" == /usr ] || skip "this build is configured for $prefix, the package installs to /usr" \
    "(configure with -DCMAKE_INSTALL_PREFIX=/usr, as scripts/setup.sh does)"

rm -rf "$out"
mkdir -p "$out"
"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$out" || exit 1
deb="$out/${name}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
    echo "FAIL: CPack did not write $deb:" >&2
    ls "$out" >&2
    exit 1
fi
echo "make-package.sh: $(basename "$deb"), $(stat -c %s "$deb") bytes"
dpkg-deb --info "$deb"
