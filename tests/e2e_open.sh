#!/usr/bin/env bash
# Opens a picture as a user would: Ctrl+O, the path typed into the dialog, Enter, then Page Down
# to the next picture of the folder. Checks what the screen shows after each step.
#   e2e_open.sh MORVANE_EXE ARTIFACT_DIR CORPUS_DIR
set -uo pipefail
exe=$1
art=$2
corpus=$3
mkdir -p "$art"
fail=0
check() { if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
pixel() { /usr/bin/convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
region_changed() {  # FILE1 FILE2 GEOMETRY
    /usr/bin/convert "$1" -crop "$3" "$art/a.png"
    /usr/bin/convert "$2" -crop "$3" "$art/b.png"
    n=$(compare -metric AE "$art/a.png" "$art/b.png" null: 2>&1 || true)
    [ "${n%%.*}" -gt 10 ]
}
winpath() { echo "Z:${1//\//\\}"; }

wine "$exe" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 1 600); do xdotool search --name '^Morvane 1.52$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 2
xdotool mousemove 512 400 click 1
sleep 0.3
import -window root "$art/e2e_open_0.png"

xdotool key ctrl+o
for _ in $(seq 1 100); do xdotool search --name '^Open$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 2
import -window root "$art/e2e_open_dialog.png"
check "open dialog shown" bash -c "xdotool search --name '^Open\$' >/dev/null 2>&1"
xdotool mousemove 432 384 click 1
sleep 0.3
xdotool type --delay 20 "$(winpath "$corpus/bmp/horse.bmp")"
xdotool key Return
sleep 4
import -window root "$art/e2e_open_1.png"
check "the picture is drawn in the view" [ "$(pixel "$art/e2e_open_1.png" 512 406)" != "128,128,128" ]
check "status bar shows name, size, dimensions, zoom and position" \
    region_changed "$art/e2e_open_0.png" "$art/e2e_open_1.png" 390x16+414+589

xdotool key Next
sleep 3
import -window root "$art/e2e_open_2.png"
check "Page Down shows the next picture" region_changed "$art/e2e_open_1.png" "$art/e2e_open_2.png" 590x350+216+229
check "Page Down updates the status bar" region_changed "$art/e2e_open_1.png" "$art/e2e_open_2.png" 390x16+414+589

xdotool key alt+F4
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill $pid 2>/dev/null
wait $pid 2>/dev/null
[ $fail -eq 0 ] && echo "e2e_open: all checks passed"
exit $fail
