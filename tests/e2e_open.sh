#!/usr/bin/env bash
# Opens a picture as a user would: Ctrl+O, the path typed into the dialog, Enter, then Page Down
# to the next picture of the folder. Checks what the screen shows after each step.
#   e2e_open.sh MORVANE_EXE ARTIFACT_DIR CORPUS_DIR
set -uo pipefail
exe=$1
art=$2
corpus=$3
mkdir -p "$art"
. "$(dirname "$0")/e2e_lib.sh"
region_changed() {  # FILE1 FILE2 GEOMETRY
    /usr/bin/convert "$1" -crop "$3" "$art/a.png"
    /usr/bin/convert "$2" -crop "$3" "$art/b.png"
    n=$(compare -metric AE "$art/a.png" "$art/b.png" null: 2>&1 || true)
    [ "${n%%.*}" -gt 10 ]
}

check "the Open dialog takes the path" start_and_open "$exe" "$corpus/bmp/horse.bmp" "$art/e2e_open_0.png"
check "the picture is drawn in the view" shot_until "$art/e2e_open_1.png" 512 406 not "128,128,128"
check "status bar shows name, size, dimensions, zoom and position" \
    region_changed "$art/e2e_open_0.png" "$art/e2e_open_1.png" 390x16+414+589

xdotool key Next
sleep 3
import -window root "$art/e2e_open_2.png"
check "Page Down shows the next picture" region_changed "$art/e2e_open_1.png" "$art/e2e_open_2.png" 590x350+216+229
check "Page Down updates the status bar" region_changed "$art/e2e_open_1.png" "$art/e2e_open_2.png" 390x16+414+589

stop_morvane
[ $fail -eq 0 ] && echo "e2e_open: all checks passed"
exit $fail
