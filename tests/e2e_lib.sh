# Sourced by the end-to-end scripts: their checks, screen reads and the waits that drive the real
# program. Every wait is for something a user would see (a window shown, a pixel changed), with a
# bound, never a guess at how long the emulated program takes.
fail=0

# check DESCRIPTION COMMAND...: a failed check keeps a screenshot of that moment in the
# script's artifact folder ($art), named after the script and the check's number.
checks=0
check() {
    checks=$((checks + 1))
    if "${@:2}"; then echo "ok: $1"; return; fi
    echo "FAILED: $1"
    fail=1
    if [ -n "${art:-}" ]; then
        local shot
        shot="$art/failed-$(basename "$0" .sh)-$checks.png"
        import -window root "$shot" 2>/dev/null && echo "  screen at that moment: $shot"
    fi
}

winpath() { echo "Z:${1//\//\\}"; }

pixel() {  # pixel FILE X Y -> "r,g,b"
    /usr/bin/convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# wait_window NAME [SECONDS]: a shown window whose whole title is NAME; prints its id. A window
# that is gone can live on hidden under the same title (the last program's frame, for one), so
# only shown windows count.
wait_window() {
    local i id
    for ((i = 0; i < ${2:-10} * 10; i++)); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

appears() { wait_window "$@" >/dev/null; }  # appears NAME [SECONDS]

window_shown() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }

wait_window_gone() {  # wait_window_gone NAME [SECONDS]
    local i
    for ((i = 0; i < ${2:-10} * 10; i++)); do
        window_shown "$1" || return 0
        sleep 0.1
    done
    return 1
}

# shot_until FILE X Y not|is COLOUR [OTHER COLOUR IT MUST NOT BE]: screenshots into FILE until the
# pixel (X, Y) is not / is the colour, at most 60 s (a picture is decoded on every paint, which
# takes seconds under emulation).
shot_until() {
    local p
    for _ in $(seq 1 60); do
        import -window root "$1"
        p=$(pixel "$1" "$2" "$3")
        if [ "$4" = not ] && [ "$p" != "$5" ] && [ "$p" != "${6:-}" ]; then return 0; fi
        if [ "$4" = is ] && [ "$p" = "$5" ]; then return 0; fi
        sleep 1
    done
    return 1
}

# launch_once EXE [ARGS...]: starts the program (its process id in $pid, its frame's window in
# $frame), waits until the frame is shown and the splash screen (228 x 161) has gone by itself
# (keys sent before may be lost with it), and clicks the view.
launch_once() {
    wine "$@" >/dev/null 2>&1 &
    pid=$!
    frame=$(wait_window 'Morvane 1.52' 120) || return 1
    for _ in $(seq 1 300); do
        xwininfo -root -tree 2>/dev/null | grep -qE ' 228x161\+' || break
        sleep 0.1
    done
    sleep 1
    xdotool mousemove 512 400 click 1
    sleep 0.3
}

# MORVANE_START_ATTEMPTS: how many starts a script may make (1 unless the test run says
# otherwise). Only the 32-bit program under qemu's emulator needs more: there a program started
# just after another one now and then never gets a key from the X server for its whole life, or
# loses the keys once its first dialog has closed; clicks and focus changes do not mend it, a new
# start does. Natively every start must work the first time.
attempts=${MORVANE_START_ATTEMPTS:-1}

# waited_for STEP: a start that failed says which step it waited for, with a screenshot.
waited_for() {
    echo "FAILED: waited in vain for $1"
    if [ -n "${art:-}" ]; then
        import -window root "$art/waited-$(basename "$0" .sh).png" 2>/dev/null &&
            echo "  screen at that moment: $art/waited-$(basename "$0" .sh).png"
    fi
}

# start_morvane EXE [ARGS...]: launch_once, then checks that keys reach the program: Ctrl+O must
# bring up the Open dialog, which Escape closes again.
start_morvane() {
    local attempt
    for ((attempt = 1; attempt <= attempts; attempt++)); do
        launch_once "$@" || { waited_for "the main window"; fail=1; return 1; }
        xdotool key ctrl+o
        if appears Open 20; then
            xdotool key Escape
            if wait_window_gone Open 10; then
                xdotool mousemove 512 400 click 1
                sleep 0.3
                return 0
            fi
        fi
        waited_for "the Open dialog after Ctrl+O (start $attempt of $attempts)"
        xdotool key Escape
        stop_morvane
    done
    fail=1
    return 1
}

# start_and_open EXE PATH [SHOT]: launch_once (SHOT: a screenshot of the frame before anything
# is opened), then Ctrl+O, PATH typed into the Open dialog's name box and Enter; returns once the
# dialog is gone. The first dialog of a start is the one used.
start_and_open() {
    local attempt
    for ((attempt = 1; attempt <= attempts; attempt++)); do
        launch_once "$1" || { waited_for "the main window"; return 1; }
        [ -n "${3:-}" ] && import -window root "$3"
        xdotool key ctrl+o
        if appears Open 20; then
            sleep 2
            xdotool mousemove 432 384 click 1
            sleep 0.3
            xdotool type --delay 20 "$(winpath "$2")"
            xdotool key Return
            wait_window_gone Open 30 && return 0
            waited_for "the Open dialog to take the typed path (start $attempt of $attempts)"
        else
            waited_for "the Open dialog after Ctrl+O (start $attempt of $attempts)"
        fi
        xdotool key Escape Escape
        stop_morvane
    done
    return 1
}

# stop_morvane: Alt+F4, then waits for the process (ended by force after 10 s).
stop_morvane() {
    xdotool key alt+F4
    for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}
