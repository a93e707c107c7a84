#!/usr/bin/env bash
# Opens the File menu and the view's context menu of the real program, as a user would, and
# keeps screenshots of both: the items are owner-drawn with their images, so the menus must
# differ from the plain grey of an empty menu where the images sit.
#   e2e_menu.sh MORVANE_EXE ARTIFACT_DIR
set -uo pipefail
exe=$1
art=$2
mkdir -p "$art"
. "$(dirname "$0")/e2e_lib.sh"
colours() {  # colours FILE GEOMETRY -> number of distinct colours in the crop
    convert "$1" -crop "$2" +repage -unique-colors -format "%w" info:
}

wine reg delete 'HKCU\Software\Morvane of ZENTARO' /f >/dev/null 2>&1
start_morvane "$exe" || exit 1

# File menu: Alt+F from the keyboard. Its popup opens under "File" at (frame x + 3, menu bar bottom).
xdotool mousemove 900 700
xdotool key alt+f
sleep 1.5
import -window root "$art/e2e_menu_file.png"
# The image column of the File menu: Open, Save, Save As and Print carry toolbar images.
check "File menu open with images ($(colours "$art/e2e_menu_file.png" 20x80+215+200) colours in its image column)" \
    [ "$(colours "$art/e2e_menu_file.png" 20x80+215+200)" -gt 3 ]
xdotool key Escape Escape
sleep 0.5

# Context menu: a right click in the view.
xdotool mousemove 400 400 click 3
sleep 1.5
import -window root "$art/e2e_menu_context.png"
check "context menu open with images ($(colours "$art/e2e_menu_context.png" 22x40+400+400) colours beside Open)" \
    [ "$(colours "$art/e2e_menu_context.png" 22x40+400+400)" -gt 3 ]
xdotool key Escape
sleep 0.5

xdotool key alt+F4
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
check "program ended after Alt+F4" bash -c "! kill -0 $pid 2>/dev/null"
kill $pid 2>/dev/null
wait $pid 2>/dev/null

[ $fail -eq 0 ] && echo "e2e_menu: all checks passed"
exit $fail
