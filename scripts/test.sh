#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless: the format check, the release
# build's tests (with those against real Wine), the window-system tests on a headless weston, the
# same tests but Wine's under the address and undefined-behaviour sanitizers, then every fuzz target
# for 20 seconds (scripts/fuzz.sh 20), so that a regression is caught on every change.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

# Tests never touch the user's own folders or display.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 700 "$scratch"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$scratch/runtime" XDG_CONFIG_HOME="$scratch/config"
export HOME="$scratch/home"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" && mkdir -p "$XDG_CONFIG_HOME" "$HOME"
unset DISPLAY WAYLAND_DISPLAY

echo "== format"
scripts/check-format.sh

jobs=$(nproc)
for flavour in release sanitize; do
    echo "== $flavour build"
    scripts/build.sh "$flavour"
    echo "== $flavour tests"
    # The tests against real Wine (label "wine") run once, in the release build: most of their
    # time is Wine's, and the INI engine they check runs under the sanitizers in its own tests.
    only_once=()
    if [ "$flavour" = sanitize ]; then only_once=(-LE wine); fi
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir "build/$flavour" --output-on-failure -j "$jobs" "${only_once[@]}"
    if [ "$flavour" = release ]; then
        echo "== Wayland and XWayland (headless weston)" && scripts/check-wayland.sh
        echo "== install and package" && scripts/check-install.sh
    fi
done
echo "== fuzz targets"
scripts/fuzz.sh 20
echo "All tests passed."
