#!/usr/bin/env bash
# Configures Morvane's build directories, always with the tests on and warnings as errors:
#   tools/configure.sh BUILD_ROOT [64] [32]     (both widths when none is named)
# - BUILD_ROOT/win64: the 64-bit program (PE32+), every test and the benchmarks; it runs natively.
# - BUILD_ROOT/win32: the 32-bit program (PE32), the program users of 32-bit Windows get, with
#   the smoke set that proves it and the release, which carries the 64-bit program too.
# Both README commands configure through here, so a build directory whose cache says otherwise
# (configured by hand with -DMORVANE_TESTS=OFF, say) is set back and a later test run still
# finds every test. Both share the Wine prefixes kept in BUILD_ROOT/wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
shift
widths=("$@")
[ ${#widths[@]} -gt 0 ] || widths=(64 32)
mkdir -p "$build"
build=$(cd "$build" && pwd)
# The libraries from Debian's source packages, built once per version and width into their cache.
deps=${MORVANE_DEPS_CACHE:-/var/cache/morvane-deps}
MORVANE_DEPS_CACHE=$deps bash "$root/tools/deps.sh" "${widths[@]}"
for w in "${widths[@]}"; do
    case "$w" in
        64) cmake -S "$root" -B "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
                -DMORVANE_TESTS=ON -DMORVANE_WERROR=ON -DMORVANE_SUITE=FULL -DMORVANE_WINE_ROOT="$build" -DMORVANE_DEPS_CACHE="$deps" >/dev/null ;;
        32) cmake -S "$root" -B "$build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
                -DMORVANE_TESTS=ON -DMORVANE_WERROR=ON -DMORVANE_SUITE=SMOKE -DMORVANE_WINE_ROOT="$build" \
                -DMORVANE_DEPS_CACHE="$deps" -DMORVANE_EXE64="$build/win64/src/Morvane.exe" >/dev/null ;;
        *) echo "configure: width 64 or 32, not '$w'" >&2; exit 2 ;;
    esac
done
