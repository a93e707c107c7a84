#!/usr/bin/env bash
# Runs a command inside this project's Wine set-up:
#   tools/wine-env.sh BUILD_DIR COMMAND [ARGS...]
# - Wine prefix BUILD_DIR/wineprefix (made once, reused) whose default desktop is a 1024 x 768
#   virtual desktop, so programs get real captions and borders and the screen is 1024 x 768;
# - an Xvfb display of its own unless DISPLAY is already set;
# - one persistent wineserver for the whole command, so Wine starts quickly;
# - on the way out, only what this script started is ended: the prefix's wineserver and the
#   Xvfb it launched (by process id).
# The command sees WINEPREFIX, WINEDEBUG and DISPLAY.
set -euo pipefail

build=$(mkdir -p "$1" && cd "$1" && pwd)
shift

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# No installers for the .NET and HTML engines: the program needs neither. No debugger started
# on a crash: it would wait for ever, holding the test run's output open.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winedbg.exe=d"
export WINEARCH=win64

xvfb_pid=""
server_pid=""
cleanup() {
    local rc=$?
    if [ -n "$server_pid" ]; then
        wineserver -k >/dev/null 2>&1 || true
        wait "$server_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
    # Our Xvfb writes its display number to a file once it accepts connections; one that loses
    # the number to another server exits without writing, so the other server is never taken
    # for ours.
    ready=$(mktemp)
    for n in $(seq 91 140); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        : >"$ready"
        Xvfb ":$n" -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$ready" >/dev/null 2>&1 &
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
        xvfb_pid=""
    done
    rm -f "$ready"
    [ -n "${DISPLAY:-}" ] || { echo "wine-env: could not start Xvfb" >&2; exit 1; }
fi

if [ ! -f "$WINEPREFIX/.morvane-ready" ]; then
    echo "wine-env: preparing the Wine prefix in $WINEPREFIX" >&2
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    # Programs must not be told about a crash through a dialog that waits for a click.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # The caption buttons are drawn with Marlett; Wine finds it only in the prefix's font folder.
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    wineserver -w
    touch "$WINEPREFIX/.morvane-ready"
fi

wineserver -f -p >/dev/null 2>&1 </dev/null &
server_pid=$!
# Start the prefix's services and the virtual desktop now, detached from our output: programs
# started later would otherwise pass their output pipes on to these long-lived processes.
wineboot >/dev/null 2>&1 </dev/null
wine explorer.exe /desktop=Default,1024x768 >/dev/null 2>&1 </dev/null &
for _ in $(seq 1 100); do
    xwininfo -root -tree 2>/dev/null | grep -q 'Wine desktop' && break
    sleep 0.1
done

"$@"
