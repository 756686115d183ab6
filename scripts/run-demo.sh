#!/usr/bin/env bash
# Builds the program and starts it against the demo game installation that ships with the
# project, in a scratch folder with its own configuration and documents folders, so the user's own
# settings and documents stay untouched.
#
# Usage: scripts/run-demo.sh            start in a window (needs a display)
#        scripts/run-demo.sh --xvfb     start under Xvfb, save a screenshot, then stop
#        DK3_LANGUAGE=english scripts/run-demo.sh   start with another stored language
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

mode=window
[ "${1:-}" = "--xvfb" ] && mode=xvfb

if [ "$mode" = xvfb ]; then
    scripts/setup.sh imagemagick
else
    scripts/setup.sh
fi
scripts/build.sh release --target draskel3-tuning

scratch="$root/build/demo-run"
rm -rf "$scratch"
mkdir -p "$scratch/config/draskel3-tuning" "$scratch/documents" "$scratch/home"
mkdir -m 700 "$scratch/runtime"
cp -r demo/game "$scratch/game"
cp -r demo/documents/. "$scratch/documents/"

# The program's store of the installation folder and language (the stand-in for the registry key
# the game's installer writes), pointing at the scratch copy of the demo game.
{
    printf '[SOFTWARE\\Brannholt Productions Software AG\\Draskel III]\r\n'
    printf 'INSTALL_DIR="%s"\r\n' "$scratch/game"
    [ -n "${DK3_LANGUAGE:-}" ] && printf 'VORLIX_LANGUAGE="%s"\r\n' "$DK3_LANGUAGE"
} > "$scratch/config/draskel3-tuning/registry.ini"
printf 'XDG_DOCUMENTS_DIR="%s"\n' "$scratch/documents" > "$scratch/config/user-dirs.dirs"

export XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime"
program="$root/build/release/src/draskel3-tuning"
echo "Demo installation: $scratch/game"
echo "Documents folder:  $scratch/documents"

if [ "$mode" = window ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        cat <<TXT
There is no display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open.
Run it under Xvfb instead, which also saves a screenshot:
    scripts/run-demo.sh --xvfb
(or by hand: xvfb-run -a -s "-screen 0 1280x1024x24" $program)
The screenshot lands in build/demo-run/screenshot.png.
TXT
        exit 1
    fi
    exec "$program"
fi

# Under Xvfb: start, wait for the window, take a screenshot of the whole screen, stop.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "$1" & pid=$!
    sleep "${DK3_SCREENSHOT_DELAY:-4}"
    import -window root "$2"
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
' _ "$program" "$scratch/screenshot.png"
echo "Screenshot: build/demo-run/screenshot.png"
