#!/usr/bin/env bash
# Runs every test program of a build under valgrind's memcheck, so that a build without sanitizers
# (the GCC dev build) is checked for invalid reads and writes, uses of uninitialised values and
# leaks too.
#
#   tests/valgrind.sh [BUILD_DIR]        default build/dev, which must be built already
#
# Each GoogleTest program runs once with all its cases, less those that are too slow under valgrind
# (GTEST_FILTER below), and each corpus replay runs over its corpus. Valgrind replaces the allocation
# functions, so the cases that make allocations fail skip themselves here; they run under
# AddressSanitizer instead. Fails when valgrind reports any error or leak in any program.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/dev}"
if ! command -v valgrind >/dev/null; then
    echo "valgrind.sh: valgrind is not installed" >&2
    exit 1
fi
if [ ! -d "$build/tests" ]; then
    echo "valgrind.sh: no test programs in $build: configure and build it first (cmake --workflow --preset test)" >&2
    exit 1
fi

# Left out: the cases whose point is size (the extremes, a million link nodes, a thousand-by-thousand
# graph, a generated network), which take most of an hour under valgrind. They run natively and under
# AddressSanitizer; every code path they take runs here at ordinary sizes.
export GTEST_FILTER="${GTEST_FILTER:--Extremes.*:CGraphSorter.sortsAMillionNodeChain:CGraphSorter.sortsAThousandByThousandGridLevelByLevel:NetworkLoadStatements.readsEveryStatementOfAGeneratedLoad*}"

mapfile -t programs < <(
    find "$build/tests" -maxdepth 1 -type f -name 'test_*' -perm -u+x | sort
    if [ -d "$build/fuzz" ]; then
        find "$build/fuzz" -maxdepth 1 -type f -name '*_replay' -perm -u+x | sort
    fi
)
if [ ${#programs[@]} -eq 0 ]; then
    echo "valgrind.sh: no test programs in $build" >&2
    exit 1
fi

passed=0
failed=0
for program in "${programs[@]}"; do
    log="$(mktemp)"
    start=$SECONDS
    if valgrind --error-exitcode=1 --leak-check=full --quiet "$program" >"$log" 2>&1; then
        passed=$((passed + 1))
        printf '%-60s passed  %4d s\n' "$program" $((SECONDS - start))
    else
        failed=$((failed + 1))
        printf '%-60s FAILED  %4d s\n' "$program" $((SECONDS - start))
        cat "$log"
    fi
    rm -f "$log"
done
echo "valgrind: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
