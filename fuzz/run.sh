#!/usr/bin/env bash
# Builds the fuzz targets with the fuzz preset and runs each for SECONDS (default 60), one after the
# other; fails on any finding (a crash, a leak, a sanitizer report, a timeout or running out of memory).
#
#   fuzz/run.sh [SECONDS] [TARGET...]        targets: load_sql load_file cue_text gtfs_feed (default all)
#
# New inputs go to build/fuzz/fuzz/runs/<target>/ (the committed corpus is only read) and findings
# to build/fuzz/fuzz/findings/<target>/. A finding is replayed with `build/fuzz/fuzz/<target> FILE`,
# or without libFuzzer with `<build>/fuzz/<target>_replay FILE` in a build with the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(load_sql load_file cue_text gtfs_feed)
fi

cmake --workflow --preset fuzz

build=build/fuzz/fuzz
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

summary=()
failed=0
for target in "${targets[@]}"; do
    runs="$build/runs/$target"
    findings="$build/findings/$target"
    mkdir -p "$runs" "$findings"
    corpus=("fuzz/corpus/$target")
    if [ -d "$build/seeds/$target" ]; then
        corpus+=("$build/seeds/$target")
    fi
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$findings/")
    if [ -f "fuzz/$target.dict" ]; then
        options+=(-dict="fuzz/$target.dict")
    fi

    printf '\n--- %s for %s s\n' "$target" "$seconds"
    log="$build/runs/$target.log"
    set +e
    "$build/$target" "${options[@]}" "$runs" "${corpus[@]}" >"$log" 2>&1
    status=$?
    set -e
    # libFuzzer's progress lines ("#1234 NEW ...") left out; a finding's report is kept whole.
    grep -v -e '^#[0-9]' -e '^"' -e '^###### ' "$log" | tail -n 80

    executions="$(awk '/stat::number_of_executed_units/ { print $NF }' "$log" | tail -n 1)"
    inputs="$(find "$runs" -type f | wc -l)"
    if [ "$status" -eq 0 ]; then
        result="no finding"
    else
        result="FINDING (exit $status; see $findings/)"
        failed=1
    fi
    summary+=("$(printf '%-10s %6s s  %12s executions  %6s inputs in %s  %s' "$target" "$seconds" \
        "${executions:-?}" "$inputs" "$runs" "$result")")
done

printf '\n=== fuzzing summary\n'
printf '%s\n' "${summary[@]}"
exit "$failed"
