#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Usage: scripts/setup.sh [extra-package ...]
set -euo pipefail

packages=(
    cmake g++ ninja-build pkg-config clang-format
    qt6-base-dev qt6-multimedia-dev libxrandr-dev
    libgtest-dev libgmock-dev libbenchmark-dev libmpg123-dev libyaml-cpp-dev libsqlite3-dev
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    fonts-liberation xvfb xauth
    qt6-translations-l10n
    desktop-file-utils appstream man-db groff-base dpkg-dev file
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
run_as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        run_as_root=(sudo)
    else
        echo "These Debian packages are missing and this is not root: ${missing[*]}" >&2
        exit 1
    fi
fi
export DEBIAN_FRONTEND=noninteractive
"${run_as_root[@]}" apt-get update -qq
"${run_as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
