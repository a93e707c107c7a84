#!/usr/bin/env bash
# Makes an opened picture the wallpaper as a user would: Ctrl+O, the path typed, Enter, then
# Tools -> Set as wallpaper -> Tile with the keyboard; the screenshot must show the picture
# tiled over the desktop around the window, and ImageMagick must read the capture file with the
# picture's size. Then None, with the keyboard too, leaves the desktop plain again.
#   e2e_wallpaper.sh MORVANE_EXE ARTIFACT_DIR
set -uo pipefail
exe=$1
art=$2
mkdir -p "$art"
. "$(dirname "$0")/e2e_lib.sh"

# A 64 x 48 picture of four coloured quarters, made here.
work=$(mktemp -d /tmp/morvane-e2e-wallpaper.XXXXXX)
/usr/bin/convert -size 32x24 xc:'rgb(220,40,40)' -size 32x24 xc:'rgb(40,200,60)' +append \
    \( -size 32x24 xc:'rgb(40,60,220)' -size 32x24 xc:'rgb(230,210,40)' +append \) -append \
    -type TrueColor "BMP3:$work/quarters.bmp"
# The quarter of the tiled desktop at screen point (x, y).
expected() {
    local x=$(( $1 % 64 )) y=$(( $2 % 48 ))
    if [ $y -lt 24 ]; then [ $x -lt 32 ] && echo 220,40,40 || echo 40,200,60
    else [ $x -lt 32 ] && echo 40,60,220 || echo 230,210,40; fi
}
tiled_at() {  # SCREENSHOT: points around the window, away from the quarters' edges
    local ok=0
    for p in "8 8" "50 30" "1000 20" "20 700" "1010 740" "700 10" "5 400"; do
        set -- $p
        local x=$(( $1 - $1 % 16 + 8 )) y=$(( $2 - $2 % 12 + 6 ))
        local got want
        got=$(pixel "$shot" $x $y); want=$(expected $x $y)
        [ "$got" = "$want" ] || { echo "  at $x,$y: $got, want $want"; ok=1; }
    done
    return $ok
}

check "the Open dialog takes the path" start_and_open "$exe" "$work/quarters.bmp"
shot_until "$art/e2e_wallpaper_opened.png" 512 406 not "128,128,128"

# Tools, up to its last item (the sub-menu), into it, down to Tile.
xdotool key alt+t
sleep 1
xdotool key Up
sleep 0.3
xdotool key Right
sleep 0.5
xdotool key Down
sleep 0.3
xdotool key Down
sleep 0.3
xdotool key Return
sleep 4
shot="$art/e2e_wallpaper_tile.png"
import -window root "$shot"
check "the desktop around the window shows the picture tiled" tiled_at
bmp="$WINEPREFIX/drive_c/morvane.bmp"
check "the window is drawn over the new wallpaper" [ "$(pixel "$shot" 300 300)" = "128,128,128" ]
check "ImageMagick reads the wallpaper file as 64 x 48" \
    [ "$(/usr/bin/identify -format '%w x %h' "$bmp" 2>/dev/null)" = "64 x 48" ]

xdotool key alt+t
sleep 1
xdotool key Up
sleep 0.3
xdotool key Right
sleep 0.5
xdotool key Up
sleep 0.3
xdotool key Return
sleep 4
shot="$art/e2e_wallpaper_none.png"
import -window root "$shot"
check "None leaves the desktop plain" [ "$(pixel "$shot" 8 8)" = "$(pixel "$shot" 1010 740)" ] && \
    [ "$(pixel "$shot" 8 8)" != "220,40,40" ]

stop_morvane
# The wallpaper is stored in the profile: whatever happened above, the next program in this
# prefix starts on a plain desktop.
wine reg add 'HKCU\Control Panel\Desktop' /v Wallpaper /d '' /f >/dev/null 2>&1 || true
rm -rf "$work"
[ $fail -eq 0 ] && echo "e2e_wallpaper: all checks passed"
exit $fail
