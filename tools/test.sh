#!/usr/bin/env bash
# Builds Morvane and its tests and runs every test under Wine (installs what is missing first).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MORVANE_BUILD:-$root/build}
bash "$root/tools/setup.sh"
bash "$root/tools/configure.sh" "$build"
cmake --build "$build" -j"$(nproc)"
# The release's zip and installer, which the installer test installs and removes again.
cmake --build "$build" --target package >/dev/null
# The tests share one desktop, clipboard and focus: one at a time. Finding no test is a failure.
"$root/tools/wine-env.sh" "$build" ctest --test-dir "$build" --output-on-failure --no-tests=error -j1 "$@"
