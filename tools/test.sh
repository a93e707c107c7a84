#!/usr/bin/env bash
# Builds Morvane in both widths and runs every test under Wine (installs what is missing first):
# the whole suite on the 64-bit build, natively, and the smoke set on the 32-bit build with the
# release (zip and installer) made from it. Arguments go to both CTest runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MORVANE_BUILD:-$root/build}
jobs=$(nproc)
bash "$root/tools/setup.sh"
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
    rc=0
    ctest --test-dir "$0/win64" --output-on-failure --no-tests=error -j"$1" "${@:2}" || rc=1
    ctest --test-dir "$0/win32" --output-on-failure --no-tests=error -j"$1" "${@:2}" || rc=1
    exit $rc' "$build" "$jobs" "$@"
