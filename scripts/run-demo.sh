#!/usr/bin/env bash
# Builds the program and starts it on the demo game, laid out in a scratch home folder as Steam
# installs a game it runs under Proton: a Steam library listing it, the game in
# steamapps/common, and its Proton prefix with the per-user options in the prefix's own
# documents folder. Nothing is stored beforehand, so the program finds the game by itself. The
# user's own settings, documents and Steam stay untouched.
#
# Usage: scripts/run-demo.sh [program options]          start in a window (needs a display)
#        scripts/run-demo.sh --xvfb [program options]   start under Xvfb, save a screenshot, stop
#        DK3_LANGUAGE=english scripts/run-demo.sh       start in English (or italiano, deutsch)
#        DK3_SCREEN=1280x800 QT_SCALE_FACTOR=1.5 scripts/run-demo.sh --xvfb
#                                                       a Steam Deck's screen at a scale of 1.5
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

mode=window
if [ "${1:-}" = "--xvfb" ]; then
    mode=xvfb
    shift
fi

if [ "$mode" = xvfb ]; then
    scripts/setup.sh imagemagick
else
    scripts/setup.sh
fi
scripts/build.sh release --target draskel3-tuning

scratch="$root/build/demo-run"
rm -rf "$scratch"
mkdir -p "$scratch/config/draskel3-tuning"
mkdir -m 700 "$scratch/runtime"
python3 scripts/make-demo.py --steam-home "$scratch/home"

# The program's own store (installation folder and language) starts without a game folder; only
# a language asked for is put in.
if [ -n "${DK3_LANGUAGE:-}" ]; then
    {
        printf '[SOFTWARE\\Brannholt Productions Software AG\\Draskel III]\r\n'
        printf 'VORLIX_LANGUAGE="%s"\r\n' "$DK3_LANGUAGE"
    } > "$scratch/config/draskel3-tuning/registry.ini"
fi

export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime"
export XDG_DOCUMENTS_DIR="$scratch/home/Documents"
unset XDG_DATA_HOME WINEPREFIX
program="$root/build/release/src/draskel3-tuning"

if [ "$mode" = window ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        cat <<TXT
There is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open.
Start the demo under Xvfb instead; it saves a screenshot to build/demo-run/screenshot.png:
    scripts/run-demo.sh --xvfb
TXT
        exit 1
    fi
    exec "$program" "$@"
fi

# Under Xvfb: start, wait for the window, take a screenshot of the whole screen, stop.
xvfb-run -a -s "-screen 0 ${DK3_SCREEN:-1280x1024}x24" bash -c '
    screenshot=$1; shift
    "$@" & pid=$!
    sleep "${DK3_SCREENSHOT_DELAY:-4}"
    import -window root "$screenshot"
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
' _ "$scratch/screenshot.png" "$program" "$@"
echo "Screenshot: build/demo-run/screenshot.png"
