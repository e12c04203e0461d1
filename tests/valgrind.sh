#!/usr/bin/env bash
# Runs every test program of a build (default build/dev, built already) and each corpus replay under
# valgrind's memcheck, so that the build without sanitizers is checked for invalid accesses, uses of
# uninitialised values and leaks too. Left out: the cases whose point is size, which take most of an
# hour under valgrind and whose code paths run here at ordinary sizes; the cases that make allocations
# fail skip themselves, since valgrind replaces the allocation functions (they run under sanitizers).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/dev}"
command -v valgrind >/dev/null || { echo "valgrind.sh: valgrind is not installed" >&2; exit 1; }
export GTEST_FILTER="${GTEST_FILTER:--Extremes.*:CGraphSorter.sortsAMillionNodeChainAddedFromItsEnd}"
mapfile -t programs < <(find "$build/tests" "$build/fuzz" -maxdepth 1 -type f -perm -u+x \( -name 'test_*' -o -name '*_replay' \) | sort)
[ ${#programs[@]} -gt 0 ] || { echo "valgrind.sh: no test programs in $build: run cmake --workflow --preset test" >&2; exit 1; }
failed=0
for program in "${programs[@]}"; do
    start=$SECONDS
    if log="$(valgrind --error-exitcode=1 --leak-check=full --quiet "$program" 2>&1)"; then
        printf '%-60s passed  %4d s\n' "$program" $((SECONDS - start))
    else
        printf '%-60s FAILED  %4d s\n%s\n' "$program" $((SECONDS - start)) "$log"
        failed=$((failed + 1))
    fi
done
echo "valgrind: ${#programs[@]} programs, $failed failed"
[ "$failed" -eq 0 ]
