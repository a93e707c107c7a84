#!/usr/bin/env bash
# Configures a build directory for Morvane, always with the tests on:
#   tools/configure.sh BUILD_DIR
# Both README commands configure through here, so a build directory whose cache says otherwise
# (configured by hand with -DMORVANE_TESTS=OFF, say) is set back and a later test run still
# finds every test. Compiler caches are used when the environment names one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DMORVANE_TESTS=ON >/dev/null
