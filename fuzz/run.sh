#!/usr/bin/env bash
# Builds the fuzz targets (fuzz preset, clang) and runs each for SECONDS (default 60), one after the
# other; fails on any finding: a crash, a leak, a sanitizer report, a timeout or running out of memory.
#   fuzz/run.sh [SECONDS] [TARGET...]        targets: load_sql gtfs_feed (default both)
# New inputs go to build/fuzz/fuzz/runs/<target>/, findings to build/fuzz/fuzz/findings/<target>/;
# replay a finding with `build/fuzz/fuzz/<target> FILE`, or without libFuzzer with
# `<build>/fuzz/<target>_replay FILE`.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
[ $# -gt 0 ] || targets=(load_sql gtfs_feed)
cmake --workflow --preset fuzz
build=build/fuzz/fuzz
# Each input makes a database file: in memory where that can be.
if [ -w /dev/shm ]; then export TMPDIR="${TMPDIR:-/dev/shm}"; fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
for target in "${targets[@]}"; do
    mkdir -p "$build/runs/$target" "$build/findings/$target"
    result=0
    "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$target/" -dict="fuzz/$target.dict" "$build/runs/$target" \
        "fuzz/corpus/$target" "$build/seeds/$target" >"$build/runs/$target.log" 2>&1 || result=$?
    # libFuzzer's progress lines left out; a finding's report is kept whole.
    grep -v -e '^#[0-9]' -e '^"' -e '^###### ' "$build/runs/$target.log" | tail -n 40
    if [ "$result" -eq 0 ]; then
        echo "=== $target: no finding"
    else
        echo "=== $target: FINDING (exit $result; see $build/findings/$target/)"
        status=$result
    fi
done
exit "$status"
