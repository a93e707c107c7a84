#!/usr/bin/env bash
# Runs every test of a GoogleTest program in a process of its own, one after the other:
#   tools/gtest-each.sh PROGRAM.exe [SECONDS_PER_TEST]
# For the programs that drive the system's open dialog. Under the emulated 32-bit Wine used
# here, that dialog now and then stops for good inside Wine before it appears (a bare program
# that only shows and cancels the dialog in a loop stops too), more often on a second showing in
# one process. Such a stop is a hang, never a failed check: a test that outlives its time is run
# again in a fresh process, up to three runs in all, and counts by its last run. A failed check
# is never run again.
set -uo pipefail
program=$1
limit=${2:-60}
tests=$(wine "$program" --gtest_list_tests | tr -d '\r' |
        awk '/^[^ ]/ { suite = $1 } /^  / { print suite $1 }')
[ -n "$tests" ] || { echo "gtest-each: no tests listed by $program" >&2; exit 1; }
failed=()
for t in $tests; do
    for attempt in 1 2 3; do
        timeout -k 5 "$limit" wine "$program" --gtest_filter="$t"
        rc=$?
        [ $rc -eq 124 ] || [ $rc -eq 137 ] || break
        echo "gtest-each: $t did not end within $limit s (run $attempt of 3)" >&2
    done
    [ $rc -eq 0 ] || failed+=("$t")
done
if [ ${#failed[@]} -ne 0 ]; then
    printf 'gtest-each: failed: %s\n' "${failed[@]}" >&2
    exit 1
fi
echo "gtest-each: all $(echo "$tests" | wc -w) tests of $(basename "$program") passed"
