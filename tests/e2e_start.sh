#!/usr/bin/env bash
# Starts Morvane.exe as a user would, under the test run's Wine desktop, and checks what the
# user sees: the frame where it belongs with its grey view, a prompt in the status bar while the
# mouse is over a toolbar button, a clean exit that leaves the settings in the registry, and the
# message for a file named on the command line that does not exist.
#   e2e_start.sh MORVANE_EXE ARTIFACT_DIR
set -uo pipefail
exe=$1
art=$2
mkdir -p "$art"
. "$(dirname "$0")/e2e_lib.sh"

wine reg delete 'HKCU\Software\Morvane of ZENTARO' /f >/dev/null 2>&1

# ---- a plain start ----
wine "$exe" >/dev/null 2>&1 &
pid=$!
win=$(wait_window "Morvane 1.52" 60) || { echo "FAILED: no main window"; kill $pid; exit 1; }
sleep 2
geom=$(xwininfo -id "$win" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x","y","w","h}')
check "frame at (212,159), 600 x 450 ($geom)" [ "$geom" = "212,159,600,450" ]
xdotool mousemove 900 700
sleep 0.5
import -window root "$art/e2e_start.png"
check "view is grey" [ "$(pixel "$art/e2e_start.png" 512 400)" = "128,128,128" ]
check "desktop around the frame is not grey" [ "$(pixel "$art/e2e_start.png" 100 100)" != "128,128,128" ]

# The prompt pane changes while the mouse rests on the Open button (first button, left of the bar).
convert_bin=/usr/bin/convert
"$convert_bin" "$art/e2e_start.png" -crop 190x16+216+589 "$art/pane0_idle.png"
xdotool mousemove 233 211
sleep 1.5
import -window root "$art/e2e_hover.png"
"$convert_bin" "$art/e2e_hover.png" -crop 190x16+216+589 "$art/pane0_hover.png"
diff_pixels=$(compare -metric AE "$art/pane0_idle.png" "$art/pane0_hover.png" null: 2>&1 || true)
check "prompt shown while over a toolbar button (changed pixels: $diff_pixels)" [ "${diff_pixels%%.*}" -gt 20 ]

# Close with the keyboard, as a user would.
xdotool mousemove 512 400 click 1
sleep 0.3
xdotool key alt+F4
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
check "program ended after Alt+F4" bash -c "! kill -0 $pid 2>/dev/null"
wait $pid 2>/dev/null
check "settings written at exit" bash -c "wine reg query 'HKCU\\Software\\Morvane of ZENTARO\\Morvane\\Settings' 2>/dev/null | grep -q PreviewPages"

# ---- a start naming a file that does not exist ----
wine "$exe" 'Z:\no\such\picture.bmp' >/dev/null 2>&1 &
pid=$!
box=$(wait_window "Morvane" 60)
check "message box shown" [ -n "$box" ]
sleep 1
import -window root "$art/e2e_missing.png"
check "no main window behind the message" bash -c "! xdotool search --onlyvisible --name '^Morvane 1.52\$' >/dev/null 2>&1"
[ -n "$box" ] && xdotool key Return
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
check "program ended after the message" bash -c "! kill -0 $pid 2>/dev/null"
wait $pid 2>/dev/null
rc=$?
check "exit code reports the failed start ($rc)" [ "$rc" -ne 0 ]

[ $fail -eq 0 ] && echo "e2e_start: all checks passed"
exit $fail
