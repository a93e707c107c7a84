#!/usr/bin/env bash
# Runs a command inside this project's Wine set-up:
#   tools/wine-env.sh BUILD_ROOT COMMAND [ARGS...]
# MORVANE_SLOTS (default 1) slots, each with
# - an Xvfb display of its own (slot 1 takes DISPLAY instead when it is set and there is one slot),
# - a Wine prefix of its own, BUILD_ROOT/wine/slot-N, copied once from BUILD_ROOT/wine/template
#   and reused; its default desktop is a 1024 x 768 virtual desktop, so programs get real
#   captions and borders and the screen is 1024 x 768,
# - one persistent wineserver for the whole command, so Wine starts quickly.
# Slots share no desktop, clipboard, focus, registry or printer: tools/in-slot.sh runs a test in a
# free one, and tests run side by side. The command itself sees slot 1 (WINEPREFIX, DISPLAY) and
# MORVANE_SLOTS_DIR. On the way out only what this script started is ended: the slots'
# wineservers and the Xvfb servers it launched (by process id).
# Wine's tools run through the 64-bit loader (tools/wine64): the prefix is 64-bit Windows.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "$1" && cd "$1" && pwd)
shift
slots=${MORVANE_SLOTS:-1}

export PATH="$root/tools/wine64:$PATH"
export WINEDEBUG=-all
# No installers for the .NET and HTML engines: the program needs neither. No debugger started
# on a crash: it would wait for ever, holding the test run's output open.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winedbg.exe=d"
export WINEARCH=win64

slotdir=$(mktemp -d "${TMPDIR:-/tmp}/morvane-slots.XXXXXX")
xvfb_pids=()
prefixes=()
cleanup() {
    local rc=$? p
    for p in "${prefixes[@]}"; do
        WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true
    done
    for p in "${xvfb_pids[@]}"; do
        kill "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    rm -rf "$slotdir"
    exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# start_xvfb: a display of our own; prints its name. Our Xvfb writes its display number to a file
# once it accepts connections; one that loses the number to another server exits without
# writing, so the other server is never taken for ours.
start_xvfb() {
    local ready n pid
    ready=$(mktemp)
    for n in $(seq 91 160); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        : >"$ready"
        Xvfb ":$n" -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$ready" >/dev/null 2>&1 &
        pid=$!
        for _ in $(seq 1 100); do
            [ -s "$ready" ] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if [ -s "$ready" ] && kill -0 "$pid" 2>/dev/null; then
            rm -f "$ready"
            xvfb_pids+=("$pid")
            DISPLAY=":$n"
            return 0
        fi
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -f "$ready"
    echo "wine-env: could not start Xvfb" >&2
    exit 1
}

# The template prefix, made once: wineboot, the virtual desktop as default, no crash dialog,
# Marlett (the caption buttons' font, found only in the prefix's font folder), and a font with
# CJK glyphs linked to Liberation Sans, the face Wine draws Tahoma and MS Shell Dlg with here (the
# status bar, the menus, the dialogs), so that names in Chinese or Japanese are drawn with real
# glyphs while every Latin letter stays as it was. The link is an entry of its own: Wine rewrites
# the links of the faces it knows (Tahoma among them) whenever a program of another code page
# starts, and a CJK font given as one of those would stand in for the missing Tahoma itself.
# The marker holds what the template was made with: a prefix whose marker says otherwise (an
# older template, or a copy of one) is made anew, once.
template="$build/wine/template"
template_kind="template 3: desktop 1024x768, no crash dialog, marlett, wqy-microhei linked to Liberation Sans"
cjk_font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
if [ "$(cat "$template/.morvane-ready" 2>/dev/null)" != "$template_kind" ]; then
    echo "wine-env: preparing the Wine prefix in $template" >&2
    rm -rf "$template"
    mkdir -p "$build/wine"
    (
        export WINEPREFIX=$template
        wineboot -i >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
        if [ -f "$cjk_font" ]; then
            cp "$cjk_font" "$WINEPREFIX/drive_c/windows/Fonts/wqy-microhei.ttc"
            for view in 64 32; do
                wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
                    /v 'Liberation Sans' /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' \
                    /reg:$view /f >/dev/null 2>&1
            done
        else
            echo "wine-env: warning: $cjk_font is missing (tools/setup.sh installs it)" >&2
        fi
        wineserver -w
    )
    printf '%s\n' "$template_kind" >"$template/.morvane-ready"
fi

own_display=${DISPLAY:-}
for n in $(seq 1 "$slots"); do
    prefix="$build/wine/slot-$n"
    if [ "$(cat "$prefix/.morvane-ready" 2>/dev/null)" != "$template_kind" ]; then
        rm -rf "$prefix"
        cp -a "$template" "$prefix"
    fi
    if [ "$slots" -eq 1 ] && [ -n "$own_display" ]; then
        DISPLAY=$own_display
    else
        start_xvfb
    fi
    export DISPLAY WINEPREFIX=$prefix
    prefixes+=("$prefix")
    wineserver -f -p >/dev/null 2>&1 </dev/null &
    # The prefix's services and the virtual desktop start now, detached from our output: programs
    # started later would otherwise pass their output pipes on to these long-lived processes.
    wineboot >/dev/null 2>&1 </dev/null
    wine explorer.exe /desktop=Default,1024x768 >/dev/null 2>&1 </dev/null &
    for _ in $(seq 1 100); do
        xwininfo -root -tree 2>/dev/null | grep -q 'Wine desktop' && break
        sleep 0.1
    done
    printf 'export DISPLAY=%q WINEPREFIX=%q MORVANE_SLOT=%q\n' "$DISPLAY" "$prefix" "$n" >"$slotdir/$n.env"
done

# The command itself runs in slot 1.
. "$slotdir/1.env"
export MORVANE_SLOTS_DIR=$slotdir
"$@"
