#!/usr/bin/env bash
# Configures and builds one flavour of the project.
# Usage: scripts/build.sh release|sanitize [cmake --build arguments ...]
#   release   optimised build with tests and benchmarks, in build/release
#   sanitize  address and undefined-behaviour sanitizer build with tests, in build/sanitize
set -euo pipefail
cd "$(dirname "$0")/.."

flavour=${1:-release}
shift || true
case "$flavour" in
    release) options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DDK3_SANITIZE=OFF -DDK3_BUILD_BENCH=ON) ;;
    sanitize) options=(-DCMAKE_BUILD_TYPE=Debug -DDK3_SANITIZE=ON -DDK3_BUILD_BENCH=OFF) ;;
    *) echo "unknown flavour: $flavour (release or sanitize)" >&2; exit 2 ;;
esac

cmake -S . -B "build/$flavour" -G Ninja "${options[@]}" >/dev/null
cmake --build "build/$flavour" "$@"
