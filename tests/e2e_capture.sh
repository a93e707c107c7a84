#!/usr/bin/env bash
# Capture files read by a decoder that is not ours, and the captures of the real program.
#   e2e_capture.sh MORVANE_EXE CAPTURE_DECODER_EXE ARTIFACT_DIR
# 1. capture_decoder.exe writes the real commands' capture files over a known pattern and the
#    file writer's output at other depths, with a manifest of sizes and pixels; ImageMagick
#    must read every file without a warning, at that size, with those pixels.
# 2. Morvane.exe driven with the keyboard and mouse: Ctrl+N, Ctrl+R with two clicks, Ctrl+R
#    cancelled with the right button; c:\morvane.bmp is checked with ImageMagick after each.
set -uo pipefail
exe=$1
decoder=$2
art=$3
mkdir -p "$art"
. "$(dirname "$0")/e2e_lib.sh"
size_of() { /usr/bin/identify -regard-warnings -format '%w %h' "$1" 2>&1; }
hex_at() {  # FILE X Y -> RRGGBB as decoded
    /usr/bin/convert "$1" -alpha off -format "%[hex:p{$2,$3}]" info: 2>&1 | cut -c1-6
}

# ---- 1. files for the other decoder ----
out="$art/decoder"
rm -rf "$out"
mkdir -p "$out"
wine "$decoder" "$(winpath "$out")"
rc=$?
check "capture_decoder ran (exit $rc)" [ $rc -eq 0 ]
if [ -f "$out/manifest.txt" ]; then
    while read -r name a b c; do
        file="$out/$name"
        if [ -z "$c" ]; then
            got=$(size_of "$file")
            check "$name decodes as $a x $b (got: $got)" [ "$got" = "$a $b" ]
        else
            got=$(hex_at "$file" "$a" "$b")
            check "$name pixel ($a,$b) is $c (got: $got)" [ "$got" = "$c" ]
        fi
    done <"$out/manifest.txt"
    check "manifest lists the five files" [ "$(cut -d' ' -f1 "$out/manifest.txt" | sort -u | wc -l)" -eq 5 ]
else
    check "manifest written" false
fi

# ---- 2. the real program ----
capture="$WINEPREFIX/drive_c/morvane.bmp"
rm -f "$capture"
start_morvane "$exe"
import -window root "$art/e2e_capture_0.png"

wait_file() { for _ in $(seq 1 200); do [ -s "$capture" ] && { sleep 1; return 0; }; sleep 0.1; done; return 1; }
frame_shown() { xdotool search --onlyvisible --name '^Morvane 1.52$' >/dev/null 2>&1; }

xdotool key ctrl+n
check "Ctrl+N writes the capture file" wait_file
sleep 2
import -window root "$art/e2e_capture_screen.png"
check "the screen capture decodes as 1024 x 768 ($(size_of "$capture"))" [ "$(size_of "$capture")" = "1024 768" ]
check "the frame is back" frame_shown
check "the view shows the capture" [ "$(pixel "$art/e2e_capture_screen.png" 512 406)" != "128,128,128" ]

rm -f "$capture"
xdotool key ctrl+r
sleep 3
check "Ctrl+R hides the frame" bash -c "! xdotool search --onlyvisible --name '^Morvane 1.52\$' >/dev/null 2>&1"
xdotool mousemove 100 100
sleep 0.5
xdotool mousemove 300 250
sleep 0.5
import -window root "$art/e2e_capture_region_tracking.png"
check "the crosshair is drawn" [ "$(pixel "$art/e2e_capture_region_tracking.png" 300 20)" = "217,146,84" ]
check "the label is drawn beside the cursor" [ "$(pixel "$art/e2e_capture_region_tracking.png" 321 271)" = "255,255,0" ]
xdotool mousemove 100 100 click 1
sleep 0.5
xdotool mousemove 200 150
sleep 0.5
xdotool click 1
check "two clicks write the capture file" wait_file
sleep 2
import -window root "$art/e2e_capture_region.png"
check "the region capture decodes as 98 x 48 ($(size_of "$capture"))" [ "$(size_of "$capture")" = "98 48" ]
check "the frame is back" frame_shown

rm -f "$capture"
xdotool key ctrl+r
sleep 3
xdotool mousemove 400 300 click 1
sleep 0.5
xdotool mousemove 500 400 click 3
sleep 3
import -window root "$art/e2e_capture_cancel.png"
check "the right button cancels: the frame is back" frame_shown
check "the right button cancels: no file" [ ! -e "$capture" ]
check "the view is grey after cancelling" [ "$(pixel "$art/e2e_capture_cancel.png" 512 406)" = "128,128,128" ]

stop_morvane
rm -f "$capture"
[ $fail -eq 0 ] && echo "e2e_capture: all checks passed"
exit $fail
