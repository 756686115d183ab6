#!/usr/bin/env bash
# Installs the Debian package on this system as a player would, starts the program, removes the
# package again and checks that nothing of it is left. Meant for a fresh Debian 12 system (a
# virtual machine, a container or a chroot), as root or as a user with sudo: it installs and
# removes system packages.
#
# Usage: scripts/check-package-fresh.sh [draskel3-tuning_<version>_amd64.deb]
#   Without an argument it takes the package that scripts/package.sh made in
#   build/release/package/. It refuses to run where the package is installed already.
set -euo pipefail

deb=${1:-}
if [ -z "$deb" ]; then
    candidates=("$(dirname "$0")"/../build/release/package/draskel3-tuning_*_amd64.deb)
    deb=${candidates[0]}
fi
if [ ! -f "$deb" ]; then
    echo "check-package-fresh.sh: no package $deb (make one with scripts/package.sh)" >&2
    exit 2
fi
deb=$(realpath "$deb") # apt-get takes a local package only by a path with a slash in it
package=$(dpkg-deb --field "$deb" Package)
version=$(dpkg-deb --field "$deb" Version)

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "check-package-fresh.sh: needs root or sudo" >&2
        exit 2
    fi
    as_root=(sudo)
fi
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
    echo "check-package-fresh.sh: $package is installed already; run this on a fresh system" >&2
    exit 2
fi

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
installed_packages() {
    dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' | awk '$1 ~ /^.i/ { print $2 }' |
        sort
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
installed_packages >"$scratch/before"

export DEBIAN_FRONTEND=noninteractive
echo "-- apt-get install $deb"
"${as_root[@]}" apt-get update -qq
if ! "${as_root[@]}" apt-get install -y -qq "$deb"; then
    fail "apt-get install could not install $deb"
fi

if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    dpkg-query -L "$package" >"$scratch/files"
    while IFS= read -r path; do
        [ -e "$path" ] || fail "$path of the package is missing after the installation"
    done <"$scratch/files"

    echo "-- starting draskel3-tuning"
    program=$(command -v draskel3-tuning || true)
    if [ "$program" != /usr/bin/draskel3-tuning ]; then
        fail "draskel3-tuning is not /usr/bin/draskel3-tuning on the PATH (found: ${program:-nothing})"
    else
        if ldd "$program" | grep -q 'not found'; then
            fail "libraries of the program are missing:"$'\n'"$(ldd "$program" | grep 'not found')"
        fi
        # --version needs no display; the program runs as an ordinary user would run it.
        status=0
        output=$(env -u DISPLAY -u WAYLAND_DISPLAY draskel3-tuning --version 2>&1) || status=$?
        if [ "$status" -ne 0 ] || [ "$output" != "draskel3-tuning $version" ]; then
            fail "draskel3-tuning --version exits with $status and prints: $output"
        fi
    fi
    if command -v man >/dev/null 2>&1 && ! man -w draskel3-tuning >/dev/null 2>&1; then
        fail "man does not find the manual page draskel3-tuning(1)"
    fi
else
    fail "$package is not installed after apt-get install"
    : >"$scratch/files"
fi

echo "-- apt-get purge $package and the packages installed with it"
"${as_root[@]}" apt-get purge -y -qq "$package" || fail "apt-get purge $package failed"
"${as_root[@]}" apt-get autoremove --purge -y -qq || fail "apt-get autoremove failed"

if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'installed'; then
    fail "$package is still installed after apt-get purge"
fi
while IFS= read -r path; do
    # Folders such as /usr/share/icons/hicolor/48x48/apps belong to other packages as well.
    if [ -e "$path" ] && [ ! -d "$path" ]; then
        fail "$path is left after the removal"
    fi
done <"$scratch/files"
installed_packages >"$scratch/after"
left=$(comm -13 "$scratch/before" "$scratch/after")
[ -z "$left" ] || fail "packages installed with $package are left after the removal: $left"

if [ "$failures" -ne 0 ]; then
    echo "check-package-fresh.sh: $failures check(s) failed" >&2
    exit 1
fi
echo "Installed, started and removed $package $version cleanly."
