#!/usr/bin/env bash
# Runs the tests that need a real window system on a headless Wayland compositor (weston) with
# XWayland: a dialog maximised by the compositor on native Wayland, and the display modes the
# program reads through XWayland, where the game and Wine run.
# Usage: scripts/check-wayland.sh   (after the release build of test_ui and test_platform)
set -euo pipefail
cd "$(dirname "$0")/.."

for test in build/release/tests/ui/test_ui build/release/tests/platform/test_platform; do
    [ -x "$test" ] || { echo "check-wayland.sh: build $test first" >&2; exit 1; }
done

runtime=$(mktemp -d)
chmod 700 "$runtime"
socket="dk3-wayland-$$"
export XDG_RUNTIME_DIR="$runtime"
weston --backend=headless-backend.so --xwayland --socket="$socket" --idle-time=0 \
    >"$runtime/weston.log" 2>&1 &
weston_pid=$!
cleanup() {
    kill "$weston_pid" 2>/dev/null || true
    wait "$weston_pid" 2>/dev/null || true
    rm -rf "$runtime"
}
trap cleanup EXIT

# Weston names the X display it serves in its log once XWayland listens.
display=
for _ in $(seq 100); do
    display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$runtime/weston.log")
    [ -n "$display" ] && [ -S "$runtime/$socket" ] && break
    sleep 0.1
done
if [ -z "$display" ]; then
    echo "check-wayland.sh: weston did not start:" >&2
    cat "$runtime/weston.log" >&2
    exit 1
fi

unset DISPLAY
echo "-- native Wayland"
WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland build/release/tests/ui/test_ui \
    --gtest_filter='WindowSystem.*' --gtest_brief=1
echo "-- XWayland ($display)"
DISPLAY="$display" QT_QPA_PLATFORM=xcb build/release/tests/platform/test_platform \
    --gtest_filter='DisplayModes.*' --gtest_brief=1
echo "Wayland checks passed."
