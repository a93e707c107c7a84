#!/usr/bin/env bash
# Builds Morvane in both widths and runs every test under Wine (installs what is missing first):
# the whole suite on the 64-bit build, natively, and the smoke set on the 32-bit build with the
# release (zip and installer) made from it. Arguments go to both CTest runs; a width none of whose
# tests they select is left out, and selecting no test at all is a failure. The sources must be
# formatted and the build warning-free (the configure script makes warnings errors).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MORVANE_BUILD:-$root/build}
jobs=$(nproc)
bash "$root/tools/setup.sh"
# Formatting: Debian's clang-format, with the checked-in .clang-format, changes nothing.
(cd "$root" && find src tests bench -name '*.cpp' -o -name '*.h' | sort |
    xargs clang-format --dry-run --Werror) || {
    echo "test: sources not formatted; run clang-format -i on the files named above" >&2
    exit 1
}
# The libraries from Debian's source packages (built once, then reused from their cache).
bash "$root/tools/deps.sh" 64 32
bash "$root/tools/configure.sh" "$build"
cmake --build "$build/win64" -j"$jobs"
cmake --build "$build/win32" -j"$jobs"
# The release's zip and installer (the 32-bit and 64-bit programs), which the installer test
# installs and removes again.
cmake --build "$build/win32" --target package >/dev/null
# One slot (display, Wine prefix, server) per core, one test per slot. Finding no test is a failure.
export MORVANE_SLOTS=$jobs
"$root/tools/wine-env.sh" "$build" bash -c '
    rc=0 ran=0
    for w in win64 win32; do
        # How many tests of this width the arguments select (CTest lists them without running).
        n=$(ctest --test-dir "$0/$w" -N "${@:2}" | sed -n "s/^Total Tests: //p")
        [ "${n:-0}" -gt 0 ] || continue
        ran=1
        ctest --test-dir "$0/$w" --output-on-failure --no-tests=error -j"$1" "${@:2}" || rc=1
    done
    [ $ran = 1 ] || { echo "test: no test selected in either width" >&2; rc=1; }
    exit $rc' "$build" "$jobs" "$@"
