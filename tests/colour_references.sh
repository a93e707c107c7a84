#!/usr/bin/env bash
# The profiled pictures of the corpus against colour-managed references: ImageMagick converts each
# to sRGB with Debian's sRGB profile (and leaves a copy as stored), then image_tests compares the
# program's decode with them.
#   colour_references.sh IMAGE_TESTS_EXE ARTIFACT_DIR CORPUS_DIR
set -uo pipefail
tests=$1
art=$2
corpus=$3
srgb=/usr/share/color/icc/ghostscript/srgb.icc
rm -rf "$art"
mkdir -p "$art"
for f in png/P3-sRGB-color-ring.png png/DJI-FC6310-16bit_709_v4_krita.png jpeg/icc-profile.jpeg png/icc-profile.png; do
    name=${f//\//_}
    convert "$corpus/$f" +profile '*' "$art/stored_$name.png" 2>>"$art/convert.txt" &&
        convert "$corpus/$f" -profile "$srgb" +profile '*' "$art/converted_$name.png" 2>>"$art/convert.txt" || {
        echo "ImageMagick could not convert $f"
        exit 1
    }
done
MORVANE_COLOUR_REFERENCES="${art//\//\\}" MORVANE_CORPUS="$corpus" \
    wine "$tests" --gtest_filter='ColourTest.ProfiledPicturesMatch*:ColourTest.SaveAsKeeps*' | tee "$art/run.txt"
rc=${PIPESTATUS[0]}
grep -q '\[  SKIPPED \]' "$art/run.txt" && { echo "the comparison was skipped"; exit 1; }
# What Save As wrote with the source's profile, read by ImageMagick with that profile.
ring=$(identify -format '%[icc:description]' "$corpus/png/P3-sRGB-color-ring.png" 2>/dev/null)
adobe=$(identify -format '%[icc:description]' "$corpus/jpeg/photo café au lait.jpg" 2>/dev/null)
for f in ring.png ring.jpg ring.tif adobe.tif; do
    want=$ring
    [ "${f%%.*}" = adobe ] && want=$adobe
    got=$(identify -format '%m %w %h %[icc:description]' "$art/$f" 2>/dev/null)
    echo "$f: $got"
    [ -n "$want" ] && [ "${got#* * * }" = "$want" ] || { echo "$f does not carry the profile \"$want\""; rc=1; }
done
exit $rc
