#!/usr/bin/env bash
# Fuzzes the backup decoder with libFuzzer under the address and undefined-behaviour sanitizers.
# Usage: scripts/fuzz-backup.sh [seconds]   (default 30)
# Builds outside the CMake tree, into build/fuzz; findings are written there as crash-* files.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
scripts/setup.sh clang libclang-rt-14-dev

out=build/fuzz
mkdir -p "$out/corpus"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -Isrc fuzz/fuzz_backup.cpp src/maintenance/BackupFile.cpp src/platform/FileIO.cpp \
    -o "$out/fuzz_backup"

# Seeds: a valid small backup (lengths 3, 1, 2) and the same cut short inside the first file.
printf '\003\000\000\000\001\000\000\000\002\000\000\000abcXyz' >"$out/corpus/valid"
printf '\003\000\000\000\001\000\000\000\002\000\000\000ab' >"$out/corpus/truncated"

cd "$out"
# A small quarantine keeps the sanitizer's own memory well below the RSS limit on long runs, so
# that only a real leak or runaway allocation trips it.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16}
./fuzz_backup -max_total_time="$seconds" -rss_limit_mb=256 -malloc_limit_mb=64 \
    -print_final_stats=1 corpus
