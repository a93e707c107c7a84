#!/usr/bin/env bash
# Builds Morvane and runs it under Wine (installs what is missing first). Arguments go to the
# program. The 64-bit program by default, which runs natively on a 64-bit machine; MORVANE_WIDTH=32
# for the 32-bit one. Without a display the program runs on a virtual screen; a screenshot of it is saved
# to build/artifacts/run.png a few seconds after the start.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MORVANE_BUILD:-$root/build}
bash "$root/tools/setup.sh"
# Configured as the tests need it too (only the program is built here), so a later test run in
# the same build directory finds every test.
width=${MORVANE_WIDTH:-64}
# The libraries from Debian's source packages (built once, then reused from their cache).
bash "$root/tools/deps.sh" "$width"
bash "$root/tools/configure.sh" "$build" "$width"
cmake --build "$build/win$width" -j"$(nproc)" --target Morvane
exe="$build/win$width/src/Morvane.exe"
echo "Morvane.exe: $exe"
headless=0
[ -z "${DISPLAY:-}" ] && headless=1
export MORVANE_HEADLESS=$headless MORVANE_ARTIFACTS="$build/artifacts"
"$root/tools/wine-env.sh" "$build" bash -c '
    wine "$0" "$@" &
    pid=$!
    if [ "$MORVANE_HEADLESS" = 1 ]; then
        echo "No display: Morvane runs on a virtual screen ($DISPLAY); close it with Ctrl+C."
        sleep 6
        mkdir -p "$MORVANE_ARTIFACTS"
        import -window root "$MORVANE_ARTIFACTS/run.png" && echo "Screenshot: $MORVANE_ARTIFACTS/run.png"
    fi
    wait $pid
' "$exe" "$@"
