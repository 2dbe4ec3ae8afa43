#!/usr/bin/env bash
# Draws the weapon pictures of the mouse page's recoil panel with
# ImageMagick, so that they can be regenerated (and changed) from this one
# script:
#
#   tools/skin-art/make-gun-art.sh [skin-folder]
#
# The default skin folder is skin/ beside tools/. Each picture is a side view
# pointing right, 280 x 90 skin units drawn at twice that size (560 x 180) so
# it stays sharp at the 144 DPI setting: a light grey silhouette on a
# transparent ground, its openings cut out so the panel shows through.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
skin="${1:-$here/../../skin}"
skin="$(cd "$skin" && pwd)"

if command -v magick >/dev/null 2>&1; then
  IM=(magick)
else
  IM=(convert)
fi

# Palette of the dark theme (as make-skin-art.sh).
LIGHT='#B8BDC9'     # secondary text and neutral icons

# Every PNG is written without time stamps so reruns give identical files.
png() {
  local f="$1"
  shift
  mkdir -p "$(dirname "$f")"
  "${IM[@]}" "$@" -strip -define png:exclude-chunks=date,time "PNG32:$f"
}

# The weapons are drawn in a 560 x 160 field, centred in the picture.
W=560
H=160
PICTURE=560x180

# gun FILE BODY HOLES: BODY is filled with the silhouette colour, then HOLES
# (drawing commands as well) are cut out of it.
gun() {
  local file="$1" body="$2" holes="$3"
  eval "png '$file' -size ${W}x${H} xc:none -fill '$LIGHT' -stroke none $body \
    \\( -size ${W}x${H} xc:none -fill white -stroke none $holes \\) \
    -compose DstOut -composite -compose Over -background none -gravity center -extent $PICTURE"
}

ms="$skin/mouse"

# Gun 1: assault rifle with a carry handle and a curved magazine.
gun "$ms/gun_1.png" "\
  -draw 'polygon 34,62 132,56 132,98 56,116 40,116 34,108' \
  -draw 'roundrectangle 128,52 336,90 6,6' \
  -draw 'polygon 336,56 446,60 446,84 336,88' \
  -draw 'rectangle 446,66 506,74' -draw 'roundrectangle 500,60 526,80 3,3' \
  -draw 'rectangle 470,52 478,66' \
  -draw 'polygon 244,90 284,90 304,142 270,148' \
  -draw 'polygon 166,90 198,90 190,136 162,132' \
  -draw 'roundrectangle 190,34 300,54 6,6' \
  -draw 'polygon 196,90 240,90 236,108 204,108'" "\
  -draw 'roundrectangle 204,38 286,46 3,3' \
  -draw 'roundrectangle 206,94 230,104 4,4' \
  -draw 'polygon 60,72 112,68 112,88 66,100' \
  -draw 'rectangle 350,66 430,70' -draw 'rectangle 350,74 430,78'"

# Gun 2: submachine gun with a wire stock and a straight magazine.
gun "$ms/gun_2.png" "\
  -draw 'polygon 60,66 150,62 150,74 96,80 96,96 150,92 150,104 64,110' \
  -draw 'roundrectangle 146,54 350,92 10,10' \
  -draw 'roundrectangle 340,60 440,84 6,6' \
  -draw 'rectangle 436,64 500,80' \
  -draw 'polygon 186,92 216,92 210,140 182,138' \
  -draw 'polygon 262,92 290,92 292,154 264,154' \
  -draw 'rectangle 330,40 340,56' -draw 'rectangle 170,42 186,56' \
  -draw 'polygon 214,92 254,92 250,112 220,112'" "\
  -draw 'roundrectangle 222,96 244,106 4,4' \
  -draw 'circle 470,72 470,67' \
  -draw 'rectangle 360,70 420,74'"

# Gun 3: sniper rifle with a scope and a bipod.
gun "$ms/gun_3.png" "\
  -draw 'polygon 24,70 150,64 176,70 176,92 130,92 110,110 40,114 24,108' \
  -draw 'roundrectangle 170,62 330,90 6,6' \
  -draw 'polygon 330,66 380,68 380,84 330,86' \
  -draw 'rectangle 376,71 532,77' -draw 'roundrectangle 520,66 540,82 3,3' \
  -draw 'roundrectangle 204,30 330,48 8,8' -draw 'roundrectangle 192,28 214,50 4,4' \
  -draw 'rectangle 236,46 246,62' -draw 'rectangle 292,46 302,62' \
  -draw 'polygon 174,90 204,90 196,130 166,128' \
  -draw 'rectangle 250,90 282,112' \
  -draw 'polygon 200,90 236,90 232,106 206,106' \
  -draw 'polygon 360,84 366,84 352,132 346,130' -draw 'polygon 372,84 378,84 394,130 388,132'" "\
  -draw 'roundrectangle 210,94 226,102 3,3' \
  -draw 'polygon 48,80 120,76 112,96 52,100'"

# Gun 4: light machine gun with a box magazine, a cooled barrel and a bipod.
gun "$ms/gun_4.png" "\
  -draw 'polygon 30,64 130,58 130,100 50,114 30,110' \
  -draw 'roundrectangle 126,50 344,92 6,6' \
  -draw 'polygon 344,54 450,58 450,86 344,90' \
  -draw 'rectangle 448,65 520,75' -draw 'roundrectangle 508,58 534,82 4,4' \
  -draw 'roundrectangle 224,92 304,142 10,10' \
  -draw 'polygon 160,92 192,92 184,136 156,134' \
  -draw 'polygon 190,92 214,92 212,108 196,108' \
  -draw 'roundrectangle 150,36 290,52 4,4' \
  -draw 'polygon 420,86 428,86 410,142 402,140' -draw 'polygon 434,86 442,86 462,140 454,142' \
  -draw 'rectangle 372,40 380,56'" "\
  -draw 'roundrectangle 196,95 208,104 3,3' \
  -draw 'polygon 56,74 110,70 110,92 64,102' \
  -draw 'rectangle 236,104 292,106' -draw 'rectangle 236,114 292,116' -draw 'rectangle 236,124 292,126' \
  -draw 'circle 362,72 362,66' -draw 'circle 386,72 386,66' -draw 'circle 410,72 410,66'"

echo "recoil panel pictures written under $ms"
