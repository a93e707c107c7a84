#!/usr/bin/env bash
# Runs every test of a GoogleTest program in a process of its own, one after the other:
#   tools/gtest-each.sh PROGRAM.exe [SECONDS_PER_TEST]
# For the programs that drive the system's open dialog. Under the emulated 32-bit Wine used
# here, a later run of that dialog in the same process can stop for good (a bare program that
# only opens and cancels the dialog shows it too); the first run in a process is reliable.
# Exits non-zero if any test fails or outlives its time.
set -uo pipefail
program=$1
limit=${2:-180}
tests=$(wine "$program" --gtest_list_tests | tr -d '\r' |
        awk '/^[^ ]/ { suite = $1 } /^  / { print suite $1 }')
[ -n "$tests" ] || { echo "gtest-each: no tests listed by $program" >&2; exit 1; }
failed=()
for t in $tests; do
    timeout "$limit" wine "$program" --gtest_filter="$t"
    rc=$?
    if [ $rc -ne 0 ]; then
        [ $rc -eq 124 ] && echo "gtest-each: $t did not end within $limit s" >&2
        failed+=("$t")
    else
        echo "[  PASSED  ] $t"
    fi
done
if [ ${#failed[@]} -ne 0 ]; then
    printf 'gtest-each: failed: %s\n' "${failed[@]}" >&2
    exit 1
fi
echo "gtest-each: all $(echo "$tests" | wc -w) tests of $(basename "$program") passed"
