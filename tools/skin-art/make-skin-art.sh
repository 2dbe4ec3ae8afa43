#!/usr/bin/env bash
# Draws the device-page pictures of the skin with ImageMagick, so that they
# can be regenerated (and changed) from this one script:
#
#   tools/skin-art/make-skin-art.sh [skin-folder]
#
# The default skin folder is skin/ beside tools/. Pictures are drawn at twice
# their size in skin units, so they stay sharp at the 144 DPI setting.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
skin="${1:-$here/../../skin}"
skin="$(cd "$skin" && pwd)"

if command -v magick >/dev/null 2>&1; then
  IM=(magick)
else
  IM=(convert)
fi

# Palette of the dark theme.
GREY='#8A91A0'      # idle icons
LIGHT='#B8BDC9'     # secondary text and neutral icons
WHITE='#F2F4F8'
ACCENT='#FF4655'
DARK='#2A2F39'      # tracks, idle frames
DARKER='#1A1E26'
EDGE='#3A404C'
GREEN='#3FC47A'     # battery

# Every PNG is written without time stamps so reruns give identical files.
png() {
  local f="$1"
  shift
  mkdir -p "$(dirname "$f")"
  "${IM[@]}" "$@" -strip -define png:exclude-chunks=date,time "PNG32:$f"
}
canvas() { echo "-size $1 xc:none"; }

# Open curves as MVG line segments (this ImageMagick closes open paths and
# partial ellipses when it strokes them).
#   arc CX CY RX RY FROM TO     degrees, clockwise from 3 o'clock
#   curve X0 Y0 X1 Y1 X2 Y2 X3 Y3   cubic Bezier
arc() {
  awk -v cx="$1" -v cy="$2" -v rx="$3" -v ry="$4" -v a0="$5" -v a1="$6" 'BEGIN {
    n = 36; d = 3.14159265358979 / 180; printf "stroke-linecap round"
    for (i = 0; i < n; i++) {
      a = (a0 + (a1 - a0) * i / n) * d; b = (a0 + (a1 - a0) * (i + 1) / n) * d
      printf " line %.1f,%.1f %.1f,%.1f", cx + rx * cos(a), cy + ry * sin(a), cx + rx * cos(b), cy + ry * sin(b)
    }
  }'
}
curve() {
  awk -v x0="$1" -v y0="$2" -v x1="$3" -v y1="$4" -v x2="$5" -v y2="$6" -v x3="$7" -v y3="$8" 'BEGIN {
    n = 32; printf "stroke-linecap round"
    for (i = 0; i <= n; i++) {
      t = i / n; u = 1 - t
      x = u*u*u*x0 + 3*u*u*t*x1 + 3*u*t*t*x2 + t*t*t*x3
      y = u*u*u*y0 + 3*u*u*t*y1 + 3*u*t*t*y2 + t*t*t*y3
      if (i > 0) printf " line %.1f,%.1f %.1f,%.1f", px, py, x, y
      px = x; py = y
    }
  }'
}

# ---------------------------------------------------------------------------
# Device selector tiles (150 x 64 units): the silhouette sits in the left
# 64 x 64 square, the kind name is drawn by the skin to its right.
# ---------------------------------------------------------------------------
ico="$skin/common/device_ico"

# Drawing commands of each silhouette inside a 128 x 128 square; "$C" is the
# stroke/fill colour. Shapes are outlined with a 6 px stroke.
shape() {
  local stem="$1" C="$2"
  case "$stem" in
    kb)
      echo "-fill none -stroke $C -strokewidth 6 -draw 'roundrectangle 18,42 110,90 10,10'"
      echo "-stroke none -fill $C"
      local x y
      for y in 52 64; do
        for x in 30 44 58 72 86; do
          echo "-draw 'roundrectangle $x,$y $((x+10)),$((y+7)) 2,2'"
        done
      done
      echo "-draw 'roundrectangle 40,77 88,83 2,2'"
      ;;
    ms)
      echo "-fill none -stroke $C -strokewidth 6 -draw 'roundrectangle 40,20 88,110 24,28'"
      echo "-draw 'line 64,22 64,54' -draw 'line 42,56 86,56'"
      echo "-stroke none -fill $C -draw 'roundrectangle 60,30 68,46 4,4'"
      ;;
    hard_mp)
      echo "-fill none -stroke $C -strokewidth 6 -draw 'roundrectangle 12,38 116,92 6,6'"
      echo "-strokewidth 3 -draw 'roundrectangle 22,47 106,83 3,3'"
      echo "-stroke none -fill $C -draw 'circle 96,57 99,57'"
      ;;
    soft_mp)
      echo "-fill none -stroke $C -strokewidth 6 -draw 'roundrectangle 12,38 116,92 16,16'"
      echo "-strokewidth 4 -draw '$(curve 26 72 46 52 82 92 102 62)'"
      ;;
    hd)
      echo "-fill none -stroke $C -strokewidth 6 -draw '$(arc 64 64 38 38 180 360)'"
      echo "-stroke none -fill $C"
      echo "-draw 'roundrectangle 20,60 40,102 8,8' -draw 'roundrectangle 88,60 108,102 8,8'"
      ;;
    hub)
      echo "-fill none -stroke $C -strokewidth 6 -draw 'roundrectangle 22,50 106,82 8,8'"
      echo "-draw 'line 64,50 64,24'"
      echo "-stroke none -fill $C"
      echo "-draw 'rectangle 34,62 46,70' -draw 'rectangle 58,62 70,70' -draw 'rectangle 82,62 94,70'"
      ;;
    unknow)
      echo "-fill none -stroke $C -strokewidth 6 -draw 'circle 64,64 64,24'"
      echo "-stroke none -fill $C -font DejaVu-Sans-Bold -pointsize 52 -gravity NorthWest"
      echo "-draw \"text 48,34 '?'\""
      ;;
  esac
}

for stem in kb ms hard_mp soft_mp hd hub unknow; do
  # normal: grey silhouette
  eval "png '$ico/${stem}_device_normal.png' $(canvas 300x128) $(shape "$stem" "'$GREY'" | tr '\n' ' ')"
  # selected: accent silhouette and an accent bar on the left edge
  eval "png '$ico/${stem}_device_selected.png' $(canvas 300x128) \
    -fill '$ACCENT' -draw 'roundrectangle 0,24 5,104 2,2' \
    $(shape "$stem" "'$ACCENT'" | tr '\n' ' ')"
  # synchro toggles (20 x 20 units): two chain links
  for state in normal selected; do
    col="$GREY"; [ "$state" = selected ] && col="$ACCENT"
    png "$ico/${stem}_device_synchro_${state}.png" -size 40x40 xc:none \
      -fill none -stroke "$col" -strokewidth 4 \
      -draw 'roundrectangle 4,13 24,27 7,7' -draw 'roundrectangle 16,13 36,27 7,7'
  done
done

# ---------------------------------------------------------------------------
# Power panel icons (24 x 24 units).
# ---------------------------------------------------------------------------
pw="$skin/power"
battery="-fill none -stroke '$LIGHT' -strokewidth 3 -draw 'roundrectangle 5,15 39,33 3,3' \
  -stroke none -fill '$LIGHT' -draw 'rectangle 40,20 43,28'"
# powered: running on the battery
eval "png '$pw/powered.png' -size 48x48 xc:none $battery -fill '$GREEN' -draw 'rectangle 9,19 26,29'"
# powering: charging
eval "png '$pw/powering.png' -size 48x48 xc:none $battery \
  -fill '$GREEN' -draw 'polygon 24,17 14,25 21,25 18,32 29,23 22,23 26,17'"
# power: charged
eval "png '$pw/power.png' -size 48x48 xc:none $battery -fill '$GREEN' -draw 'rectangle 9,19 35,29'"
# wireless link (2.4 GHz receiver)
png "$pw/wireless.png" -size 48x48 xc:none -fill none -stroke "$LIGHT" -strokewidth 3 \
  -draw "$(arc 24 34 17 17 225 315)" -draw "$(arc 24 34 10 10 225 315)" \
  -stroke none -fill "$LIGHT" -draw 'circle 24,34 24,31'

phone="-fill none -stroke '$LIGHT' -strokewidth 3 -draw 'roundrectangle 14,5 34,43 5,5'"
eval "png '$pw/Phone_type_iphone.png' -size 48x48 xc:none $phone \
  -stroke none -fill '$LIGHT' -draw 'roundrectangle 19,8 29,11 2,2'"
eval "png '$pw/Phone_type_samsung.png' -size 48x48 xc:none $phone \
  -stroke none -fill '$LIGHT' -draw 'circle 24,10 24,8.5'"
eval "png '$pw/Phone_type_other.png' -size 48x48 xc:none $phone \
  -stroke none -fill '$LIGHT' -draw 'rectangle 20,9 28,10' -draw 'circle 24,38 24,36.5'"
png "$pw/Phone_type_no_device.png" -size 48x48 xc:none -fill none -stroke "$EDGE" -strokewidth 3 \
  -draw 'roundrectangle 14,5 34,43 5,5' -stroke "$GREY" -draw 'line 10,40 38,8'

# ---------------------------------------------------------------------------
# Key and light overlays.
# ---------------------------------------------------------------------------
kb="$skin/keyboard"
# key_light: white rounded glow, tinted with the key's colour when drawn
png "$kb/key_light.png" -size 64x64 xc:none \
  -fill 'rgba(255,255,255,0.22)' -stroke white -strokewidth 5 \
  -draw 'roundrectangle 5,5 58,58 10,10' -channel A -blur 0x2 +channel
# key_set: accent corner mark, the key does something else than printed
png "$kb/key_set.png" -size 64x64 xc:none -fill "$ACCENT" -draw 'polygon 40,3 61,3 61,24'
# key_unset: faint corner mark
png "$kb/key_unset.png" -size 64x64 xc:none -fill 'rgba(138,145,160,0.45)' \
  -draw 'polygon 48,3 61,3 61,16'

lt="$skin/common/light"
# light_dot: round glow of a single light point (tinted when drawn)
png "$lt/light_dot.png" -size 48x48 xc:none \
  -fill 'rgba(255,255,255,0.35)' -draw 'circle 24,24 24,4' \
  -fill white -draw 'circle 24,24 24,12' -channel A -blur 0x3 +channel
# light_off / light_hot: the light point while dark, and under the mouse
png "$lt/light_off.png" -size 28x28 xc:none -fill "$DARKER" -stroke "$EDGE" -strokewidth 2 \
  -draw 'circle 14,14 14,3'
png "$lt/light_hot.png" -size 28x28 xc:none -fill "$DARK" -stroke "$ACCENT" -strokewidth 2 \
  -draw 'circle 14,14 14,3'

# ---------------------------------------------------------------------------
# Preview outlines.
# ---------------------------------------------------------------------------
# Mouse, top view, 160 x 280 units. Button areas follow the key buttons of
# mousedevice.xml (coordinates there are half of these).
png "$skin/mouse/mouse_outline.png" -size 320x560 xc:none \
  -fill "$DARKER" -stroke "$EDGE" -strokewidth 4 \
  -draw 'roundrectangle 16,12 304,548 140,180' \
  -fill none -stroke "$DARK" -strokewidth 4 \
  -draw 'line 160,14 160,220' -draw "$(curve 22 222 100 236 220 236 298 222)" \
  -fill "$DARK" -stroke "$EDGE" -strokewidth 3 \
  -draw 'roundrectangle 144,56 176,144 14,14' \
  -draw 'roundrectangle 146,152 174,176 6,6' -draw 'roundrectangle 146,180 174,204 6,6' \
  -draw 'roundrectangle 146,226 174,252 6,6' \
  -draw 'roundrectangle 2,228 22,292 6,6' -draw 'roundrectangle 2,304 22,368 6,6' \
  -draw 'roundrectangle 2,380 22,420 6,6' \
  -draw 'roundrectangle 298,228 318,292 6,6' -draw 'roundrectangle 298,304 318,368 6,6' \
  -fill none -stroke "$EDGE" -strokewidth 3 -draw 'circle 160,400 160,368'

# Mouse pad, 520 x 160 units, with its lit edge and the charging spot.
png "$skin/mousepad/pad_outline.png" -size 1040x320 xc:none \
  -fill "$DARKER" -stroke "$EDGE" -strokewidth 4 -draw 'roundrectangle 4,4 1036,316 28,28' \
  -fill none -stroke "$DARK" -strokewidth 6 -draw 'roundrectangle 24,24 1016,296 18,18' \
  -stroke "$EDGE" -strokewidth 3 -draw 'circle 940,100 940,58' -draw 'circle 940,100 940,74'

# Headset, front view, 240 x 260 units.
png "$skin/headset/headset_outline.png" -size 480x520 xc:none \
  -fill none -stroke "$EDGE" -strokewidth 14 -draw "$(arc 240 250 144 200 180 360)" \
  -stroke "$DARK" -strokewidth 4 -draw "$(arc 240 250 128 182 188 352)" \
  -fill "$DARKER" -stroke "$EDGE" -strokewidth 4 \
  -draw 'roundrectangle 36,220 156,420 56,60' -draw 'roundrectangle 324,220 444,420 56,60' \
  -fill none -stroke "$DARK" -strokewidth 4 \
  -draw 'circle 96,320 96,270' -draw 'circle 384,320 384,270' \
  -fill none -stroke "$EDGE" -strokewidth 8 -draw "$(curve 62 400 40 460 90 500 168 492)" \
  -fill "$DARKER" -strokewidth 3 -draw 'roundrectangle 166,480 196,504 10,10'

# ---------------------------------------------------------------------------
# Small controls: slider parts (also used by the DPI stages) and switches.
# ---------------------------------------------------------------------------
ct="$skin/Control"
png "$ct/SliderBar_BG.png" -size 40x16 xc:none -fill "$DARK" -draw 'roundrectangle 0,6 39,9 2,2'
png "$ct/SliderBar_BK1.png" -size 40x16 xc:none -fill "$ACCENT" -draw 'roundrectangle 0,6 39,9 2,2'
png "$ct/SliderBar1_Thumb.png" -size 28x28 xc:none -fill "$ACCENT" -draw 'circle 14,14 14,2' \
  -fill "$WHITE" -draw 'circle 14,14 14,9'
png "$ct/SliderBar2_Thumb.png" -size 28x28 xc:none -fill "$LIGHT" -draw 'circle 14,14 14,2' \
  -fill "$DARK" -draw 'circle 14,14 14,9'
png "$ct/check_off.png" -size 32x32 xc:none -fill "$DARKER" -stroke "$EDGE" -strokewidth 3 \
  -draw 'roundrectangle 3,3 28,28 5,5'
png "$ct/check_on.png" -size 32x32 xc:none -fill "$ACCENT" -draw 'roundrectangle 2,2 29,29 5,5' \
  -fill none -stroke "$WHITE" -strokewidth 4 -draw 'polyline 8,16 14,22 24,10'
png "$ct/radio_off.png" -size 32x32 xc:none -fill "$DARKER" -stroke "$EDGE" -strokewidth 3 \
  -draw 'circle 16,16 16,3'
png "$ct/radio_on.png" -size 32x32 xc:none -fill "$DARKER" -stroke "$ACCENT" -strokewidth 3 \
  -draw 'circle 16,16 16,3' -stroke none -fill "$ACCENT" -draw 'circle 16,16 16,9'
png "$ct/toggle_off.png" -size 72x40 xc:none -fill "$DARK" -draw 'roundrectangle 2,6 69,33 14,14' \
  -fill "$GREY" -draw 'circle 20,20 20,8'
png "$ct/toggle_on.png" -size 72x40 xc:none -fill "$ACCENT" -draw 'roundrectangle 2,6 69,33 14,14' \
  -fill "$WHITE" -draw 'circle 52,20 52,8'

echo "skin pictures written under $skin"
