#!/usr/bin/env bash
# Builds the fuzz target (fuzz preset, clang) and runs it for SECONDS (default 60); fails on any finding:
# a crash, a leak, a sanitizer report, a timeout or running out of memory.
#   fuzz/run.sh [SECONDS]
# New inputs go to build/fuzz/fuzz/runs/, findings to build/fuzz/fuzz/findings/; replay a finding with
# `build/fuzz/fuzz/load_sql FILE`, or without libFuzzer with `<build>/fuzz/load_sql_replay FILE`.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
cmake --workflow --preset fuzz
build=build/fuzz/fuzz
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
mkdir -p "$build/runs" "$build/findings"
status=0
"$build/load_sql" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/" -dict=fuzz/load_sql.dict "$build/runs" fuzz/corpus/load_sql \
    "$build/seeds" >"$build/runs.log" 2>&1 || status=$?
# libFuzzer's progress lines left out; a finding's report is kept whole.
grep -v -e '^#[0-9]' -e '^"' -e '^###### ' "$build/runs.log" | tail -n 40
[ "$status" -eq 0 ] && echo "=== fuzzing: no finding" || echo "=== fuzzing: FINDING (exit $status; see $build/findings/)"
exit "$status"
