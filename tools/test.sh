#!/usr/bin/env bash
# Builds Morvane and its tests and runs every test under Wine (installs what is missing first).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MORVANE_BUILD:-$root/build}
bash "$root/tools/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)"
# The tests share one desktop, clipboard and focus: one at a time.
"$root/tools/wine-env.sh" "$build" ctest --test-dir "$build" --output-on-failure -j1 "$@"
