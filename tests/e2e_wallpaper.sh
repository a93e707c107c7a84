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
fail=0
check() { if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
pixel() { /usr/bin/convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
winpath() { echo "Z:${1//\//\\}"; }

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

wine "$exe" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 1 600); do xdotool search --name '^Morvane 1.52$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 2
xdotool mousemove 512 400 click 1
sleep 0.3

xdotool key ctrl+o
for _ in $(seq 1 100); do xdotool search --name '^Open$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 2
xdotool mousemove 432 384 click 1
sleep 0.3
xdotool type --delay 20 "$(winpath "$work/quarters.bmp")"
xdotool key Return
sleep 4

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

xdotool key alt+F4
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill $pid 2>/dev/null
wait $pid 2>/dev/null
rm -rf "$work"
[ $fail -eq 0 ] && echo "e2e_wallpaper: all checks passed"
exit $fail
