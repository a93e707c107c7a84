#!/usr/bin/env bash
# Full screen in the real program: a picture opened through the dialog, F11, a screenshot of the
# full-screen picture, Esc, a screenshot of the restored frame.
#   e2e_fullscreen.sh MORVANE_EXE ARTIFACT_DIR CORPUS_DIR
set -uo pipefail
exe=$1
art=$2
corpus=$3
mkdir -p "$art"
. "$(dirname "$0")/e2e_lib.sh"
differing() {  # FILE1 FILE2 GEOMETRY -> number of pixels that differ
    /usr/bin/convert "$1" -crop "$3" +repage "$art/fs_a.png"
    /usr/bin/convert "$2" -crop "$3" +repage "$art/fs_b.png"
    n=$(compare -metric AE "$art/fs_a.png" "$art/fs_b.png" null: 2>&1 || true)
    echo "${n%%.*}"
}
grey="128,128,128"

wine reg delete 'HKCU\Software\Morvane of ZENTARO' /f >/dev/null 2>&1

check "the Open dialog takes the path" start_and_open "$exe" "$corpus/jpeg/flower.png.im_q85_420_R13B.jpg" "$art/e2e_fullscreen_0.png"
xdotool mousemove 512 400
check "the picture is drawn in the frame" shot_until "$art/e2e_fullscreen_1.png" 512 406 not "$grey"
sleep 1
import -window root "$art/e2e_fullscreen_1.png"

xdotool key F11
s0="$art/e2e_fullscreen_0.png"
s2="$art/e2e_fullscreen_2.png"
# The picture fitted to the screen reaches its left edge at the middle height.
shot_until "$s2" 20 384 not "$grey" "$(pixel "$s0" 20 384)"
sleep 1
import -window root "$s2"
# The desktop around the frame is covered by the view: picture or its grey, corner to corner.
for p in "3 3" "1020 3" "3 764" "1020 764" "100 384"; do
    set -- $p
    check "full screen covers the desktop at ($1,$2)" [ "$(pixel "$s2" "$1" "$2")" != "$(pixel "$s0" "$1" "$2")" ]
done
check "the picture is drawn in the middle of the screen" [ "$(pixel "$s2" 512 384)" != "$grey" ]
check "no caption, menu or toolbar above the picture" [ "$(differing "$art/e2e_fullscreen_1.png" "$s2" 600x70+212+159)" -gt 1000 ]
check "no status bar below it" [ "$(differing "$art/e2e_fullscreen_1.png" "$s2" 390x16+414+589)" -gt 100 ]

xdotool key Escape
shot_until "$art/e2e_fullscreen_3.png" 3 3 is "$(pixel "$s0" 3 3)"
shot_until "$art/e2e_fullscreen_3.png" 512 406 not "$grey"
sleep 1
import -window root "$art/e2e_fullscreen_3.png"
check "Esc restores the frame as it was" [ "$(differing "$art/e2e_fullscreen_1.png" "$art/e2e_fullscreen_3.png" 600x450+212+159)" -le 40 ]
check "Esc uncovers the desktop" [ "$(pixel "$art/e2e_fullscreen_3.png" 3 3)" = "$(pixel "$s0" 3 3)" ]

stop_morvane
[ $fail -eq 0 ] && echo "e2e_fullscreen: all checks passed"
exit $fail
