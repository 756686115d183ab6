#!/usr/bin/env bash
# Builds and runs the libFuzzer targets under the address and undefined-behaviour sanitizers.
# Usage: scripts/fuzz.sh [seconds] [name ...]   (default 60 seconds each; default every target)
#
# A target is fuzz/fuzz_<name>.cpp; a comment line near its top,
#   // fuzz-sources: src/a/One.cpp src/b/Two.cpp
# names the project sources it is built with (relative to the repository); an optional line
#   // fuzz-pkg-config: Qt6Core sqlite3
# names the system libraries it needs, as pkg-config knows them. An optional
# fuzz/seeds_<name>.py writes its seed corpus into the folder given as its one argument.
# Everything goes to build/fuzz: the programs, the corpora in build/fuzz/corpus/<name> (kept and
# grown between runs) and any findings in build/fuzz/findings/<name>. Prints one summary line per
# target and exits non-zero when any target found a crash, a leak, a timeout or ran out of memory.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${1:-60}
shift || true
case "$seconds" in
    '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [seconds] [name ...]" >&2; exit 2 ;;
esac

scripts/setup.sh clang libclang-rt-14-dev python3

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for source in fuzz/fuzz_*.cpp; do
        [ -e "$source" ] || continue
        name=${source#fuzz/fuzz_}
        names+=("${name%.cpp}")
    done
fi
if [ ${#names[@]} -eq 0 ]; then
    echo "no fuzz targets in fuzz/" >&2
    exit 2
fi

out=build/fuzz
mkdir -p "$out"
# A small quarantine keeps the sanitizer's own memory well below the RSS limit on long runs, so
# that only a real leak or runaway allocation trips it.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

summaries=()
failed=0
for name in "${names[@]}"; do
    source=fuzz/fuzz_$name.cpp
    if [ ! -f "$source" ]; then
        echo "no such fuzz target: $source" >&2
        failed=1
        summaries+=("$name: missing")
        continue
    fi
    # The sources named on the target's own fuzz-sources line (the first such line counts).
    sources=$(sed -n 's|^[[:space:]]*//[[:space:]]*fuzz-sources:||p' "$source" | head -n 1)
    # shellcheck disable=SC2206 # the line is a blank-separated list of repository paths
    extra=($sources)
    for file in "${extra[@]}"; do
        if [ ! -f "$file" ]; then
            echo "$source names $file, which does not exist" >&2
            exit 2
        fi
    done

    # The system libraries named on its fuzz-pkg-config line, compiled as Qt wants (-fPIC).
    libraries=$(sed -n 's|^[[:space:]]*//[[:space:]]*fuzz-pkg-config:||p' "$source" | head -n 1)
    library_flags=()
    if [ -n "${libraries// /}" ]; then
        # shellcheck disable=SC2207,SC2086 # pkg-config prints blank-separated flags
        library_flags=(-fPIC $(pkg-config --cflags --libs $libraries))
    fi

    echo "== fuzz_$name: build"
    clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined \
        -fno-sanitize-recover=undefined -Isrc "$source" "${extra[@]}" "${library_flags[@]}" \
        -o "$out/fuzz_$name"

    corpus=$out/corpus/$name
    findings=$out/findings/$name
    mkdir -p "$corpus" "$findings"
    # Findings of earlier runs stay where they are; only what this run writes counts.
    marker=$out/.started_$name
    touch "$marker"
    if [ -f "fuzz/seeds_$name.py" ]; then
        python3 "fuzz/seeds_$name.py" "$corpus"
    fi

    echo "== fuzz_$name: $seconds s"
    log=$out/fuzz_$name.log
    status=0
    (cd "$findings" && nice -n 19 "$root/$out/fuzz_$name" -max_total_time="$seconds" \
        -rss_limit_mb=512 -malloc_limit_mb=128 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$root/$findings/" "$root/$corpus") >"$log" 2>&1 || status=$?

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2 || true)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2 || true)
    count=$(find "$findings" -maxdepth 1 -type f -newer "$marker" \
        \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
    line="fuzz_$name: runs ${runs:-?}, cov ${cov:-?}, ft ${ft:-?}, findings $count"
    if [ "$status" -ne 0 ] || [ "$count" -ne 0 ]; then
        line+=" (FAILED, exit $status; see $log and $findings)"
        failed=1
        tail -n 40 "$log" >&2
    fi
    echo "$line"
    summaries+=("$line")
done

echo "== fuzz summary"
printf '%s\n' "${summaries[@]}"
exit "$failed"
