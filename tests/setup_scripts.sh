#!/usr/bin/env bash
# The README's two commands share one build directory: a directory configured with the tests
# off (as a program-only build might leave it) must have them on again after the test command's
# configuration step, and CTest must then find tests in it.
#   setup_scripts.sh SOURCE_DIR SCRATCH_BUILD_DIR
set -uo pipefail
src=$1
scratch=$2
fail=0
check() {  # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi
}
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$scratch/win64/CMakeCache.txt"; }

rm -rf "$scratch"
cmake -S "$src" -B "$scratch/win64" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-x86_64.cmake" -DMORVANE_TESTS=OFF >/dev/null
check "scratch build configured with the tests off" [ "$(cache_value MORVANE_TESTS)" = OFF ]
check "no tests listed while off" bash -c "! ctest --test-dir '$scratch/win64' -N | grep -q 'Test *#'"

bash "$src/tools/configure.sh" "$scratch" 64
check "the test configuration turns them on again" [ "$(cache_value MORVANE_TESTS)" = ON ]
listed=$(ctest --test-dir "$scratch/win64" -N | grep -c 'Test *#')
check "ctest lists the test programs ($listed)" [ "$listed" -ge 10 ]

# The test command must treat an empty test list as a failure.
check "test.sh runs ctest with --no-tests=error" grep -q -- '--no-tests=error' "$src/tools/test.sh"
check "run.sh configures through the same script" grep -q 'tools/configure.sh' "$src/tools/run.sh"

rm -rf "$scratch"
[ $fail -eq 0 ] && echo "setup_scripts: all checks passed"
exit $fail
