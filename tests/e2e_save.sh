#!/usr/bin/env bash
# Files written by Save As, read by a decoder that is not ours, and the real program driven with
# the keyboard only.
#   e2e_save.sh MORVANE_EXE OUTPUT_TESTS_EXE ARTIFACT_DIR CORPUS_DIR
# 1. output_tests writes every corpus format in every target format with a manifest; ImageMagick
#    must read each file without a warning, in the expected format and at the picture's size.
# 2. Morvane.exe: Ctrl+O and a typed path open a copy of a corpus JPEG; the File menu's Save As
#    with keys writes a PNG that ImageMagick reads; the Image menu's Rename dialog is
#    screenshot, a new name typed and Enter renames the file.
set -uo pipefail
exe=$1
tests=$2
art=$3
corpus=$4
mkdir -p "$art"
. "$(dirname "$0")/e2e_lib.sh"
describe() { /usr/bin/identify -regard-warnings -format '%m %w %h\n' "$1" 2>&1 | head -1; }

# ---- 1. every format, read by ImageMagick ----
out="$art/saved"
rm -rf "$out"
mkdir -p "$out"
MORVANE_SAVE_OUT=$(winpath "$out") MORVANE_CORPUS="$corpus" \
    wine "$tests" --gtest_filter='SaveTest.EveryFormatToEveryTargetLeavesTheViewAsItWas' >"$out/run.txt" 2>&1
rc=$?
check "output_tests wrote the files (exit $rc)" [ $rc -eq 0 ]
if [ -f "$out/manifest.txt" ]; then
    n=0
    while read -r name w h format; do
        got=$(describe "$out/$name")
        # ImageMagick names the old bitmap header BMP3.
        got=${got/#BMP3 /BMP }
        check "$name is $format $w x $h (got: $got)" [ "$got" = "$format $w $h" ]
        n=$((n + 1))
    done <"$out/manifest.txt"
    check "manifest lists 100 files ($n)" [ $n -eq 100 ]
    # WebP through the view, both ways, against ImageMagick's own reading of the same file, each
    # composed on white: lossless sources come back exactly, JPEG and lossy WebP within bounds.
    psnr_at_least() {  # SOURCE WRITTEN DB
        /usr/bin/convert "$1" -background white -flatten "PNG24:$art/psnr-a.png" &&
            /usr/bin/convert "$2" -background white -flatten "PNG24:$art/psnr-b.png" || return 1
        local p
        p=$(compare -metric PSNR "$art/psnr-a.png" "$art/psnr-b.png" null: 2>&1)
        [ "$p" = inf ] && p=99
        echo "  PSNR $(basename "$2"): $p dB (at least $3)"
        awk -v p="$p" -v min="$3" 'BEGIN { exit !(p + 0 >= min + 0) }'
    }
    check "a lossless WebP opens and saves as PNG exactly" \
        psnr_at_least "$corpus/webp/tux.lossless.webp" "$out/tux-lossless.webp-5.png" 99
    check "a lossy WebP with alpha opens and saves as PNG as ImageMagick reads it" \
        psnr_at_least "$corpus/webp/yellow_rose.lossy-with-alpha.webp" "$out/yellow_rose-lossy-with-alpha.webp-5.png" 45
    # (The corpus PNG's gamma chunk would make ImageMagick read it otherwise: the PNG the view wrote of it has none.)
    check "a PNG saves as WebP exactly" psnr_at_least "$out/basn6a08-png-5.png" "$out/basn6a08-png-10.webp" 99
    check "a JPEG saves as WebP at quality 90" psnr_at_least "$corpus/jpeg/video-001.jpeg" "$out/video-001-jpeg-10.webp" 35
else
    check "manifest written" false
fi

# ---- 2. the real program with the keyboard ----
work="$art/e2e_save"
rm -rf "$work"
mkdir -p "$work"
cp "$corpus/jpeg/video-001.jpeg" "$work/photo.jpg"
chmod u+w "$work/photo.jpg"
check "the Open dialog takes the path" start_and_open "$exe" "$work/photo.jpg"
check "the picture is drawn in the view" shot_until "$art/e2e_save_opened.png" 512 406 not "128,128,128"

# File menu: Open, Save (disabled), Save As.
xdotool key alt+f
sleep 1
xdotool key Down Down Return
if ! appears 'Save As' 15; then
    xdotool key Escape Escape
    sleep 0.5
    xdotool key alt+f
    sleep 1
    xdotool key Down Return
fi
check "the save dialog opens from the File menu" appears 'Save As' 15
sleep 2
import -window root "$art/e2e_save_dialog.png"
xdotool type --delay 20 "$(winpath "$work/photo.png")"
xdotool key Return
for _ in $(seq 1 100); do [ -s "$work/photo.png" ] && break; sleep 0.1; done
sleep 1
check "Save As wrote a PNG of 150 x 103 ($(describe "$work/photo.png"))" [ "$(describe "$work/photo.png")" = "PNG 150 103" ]
check "the original is untouched" cmp -s "$corpus/jpeg/video-001.jpeg" "$work/photo.jpg"

# Image menu: Clear Clipboard, Copy to Clipboard, Rename.
xdotool key alt+i
sleep 1
xdotool key Down Down Return
check "the rename dialog opens from the Image menu" appears Rename 15
sleep 1
import -window root "$art/e2e_rename_dialog.png"
xdotool key ctrl+a
xdotool type --delay 20 "renamed"
sleep 0.5
import -window root "$art/e2e_rename_typed.png"
xdotool key Return
for _ in $(seq 1 100); do [ -f "$work/renamed.jpg" ] && break; sleep 0.1; done
check "Enter renamed photo.jpg to renamed.jpg" [ -f "$work/renamed.jpg" ] && [ ! -e "$work/photo.jpg" ]
import -window root "$art/e2e_save_end.png"

stop_morvane
[ $fail -eq 0 ] && echo "e2e_save: all checks passed"
exit $fail
