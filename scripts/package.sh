#!/usr/bin/env bash
# Builds the Debian package of the program from the release build:
#   build/release/package/draskel3-tuning_<version>_amd64.deb
# Its library dependencies are computed from the program by dpkg-shlibdeps (dpkg-dev).
# Usage: scripts/package.sh          (prints the path of the package on its last line)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

# Building the program also makes the manual page and the metainfo file that the package holds.
scripts/build.sh release --target draskel3-tuning >/dev/null

# With the Ninja generator CPack builds nothing itself: it installs what the build above made into
# its own staging folder and packs that.
rm -rf build/release/package
if ! log=$(cd build/release && cpack -G DEB 2>&1); then
    echo "$log" >&2
    echo "package.sh: cpack failed" >&2
    exit 1
fi

packages=(build/release/package/draskel3-tuning_*_amd64.deb)
if [ ${#packages[@]} -ne 1 ] || [ ! -f "${packages[0]}" ]; then
    echo "package.sh: expected one package in build/release/package, found: ${packages[*]}" >&2
    exit 1
fi
echo "${packages[0]}"
