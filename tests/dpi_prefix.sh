#!/usr/bin/env bash
# Runs a test program in a Wine prefix of its own at another DPI, on a display of its own:
#   tests/dpi_prefix.sh DPI WIDTHxHEIGHT TEMPLATE_PREFIX PROGRAM [ARGS...]
# This Wine reads the DPI from HKCU\Control Panel\Desktop\LogPixels when its server starts, so a
# prefix at another DPI cannot share a server with the slot's tests; a copy of the template made
# once per DPI keeps every other prefix at 96 dpi, with nothing to restore afterwards. The copy's
# virtual desktop (and the display under it) gets the size given. Only what this script started
# is ended: the prefix's server and the display (by process id).
set -euo pipefail
dpi=$1 size=$2 template=$3
shift 3
prefix="$(dirname "$template")/dpi-$dpi"
marker="$(cat "$template/.morvane-ready" 2>/dev/null); LogPixels $dpi; desktop $size"
export WINEPREFIX=$prefix WINEDEBUG=-all
if [ "$(cat "$prefix/.morvane-ready" 2>/dev/null)" != "$marker" ]; then
    rm -rf "$prefix"
    cp -a "$template" "$prefix"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$size" /f >/dev/null 2>&1
    wineserver -w
    printf '%s\n' "$marker" >"$prefix/.morvane-ready"
fi

ready=$(mktemp)
xvfb_pid=
cleanup() {
    local rc=$?
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -f "$ready"
    exit $rc
}
trap cleanup EXIT
for n in $(seq 161 220); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    : >"$ready"
    Xvfb ":$n" -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$ready" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
        [ -s "$ready" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -s "$ready" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        export DISPLAY=":$n"
        break
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
done
[ -n "$xvfb_pid" ] || { echo "dpi_prefix: could not start Xvfb" >&2; exit 1; }

wineserver -p >/dev/null 2>&1 </dev/null
wineboot >/dev/null 2>&1 </dev/null
wine explorer.exe /desktop=Default,"$size" >/dev/null 2>&1 </dev/null &
for _ in $(seq 1 100); do
    xwininfo -root -tree 2>/dev/null | grep -q 'Wine desktop' && break
    sleep 0.1
done
MORVANE_TEST_DPI=$dpi wine "$@"
