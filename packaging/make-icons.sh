#!/usr/bin/env bash
# Draws the program's icon for the desktop: a vector icon after the skin's
# logo (skin/images/logo.png: a red diamond on a dark rounded square) and
# the PNG sizes of the hicolor theme rendered from it with ImageMagick.
# The results are kept in packaging/icons/; run again after changing the logo.
#
#   packaging/make-icons.sh
set -euo pipefail
cd "$(dirname "$0")"
id=io.github.travix.Travix
out=icons
mkdir -p "$out"

# The logo's own geometry on a 64-unit grid: the square's corners are rounded
# and the diamond reaches 20 units from the centre.
cat > "$out/$id.svg" <<'SVG'
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">
  <rect x="0" y="0" width="64" height="64" rx="14" ry="14" fill="#14171d"/>
  <path d="M32 12 L52 32 L32 52 L12 32 Z" fill="#ff4655"/>
</svg>
SVG

for size in 16 22 24 32 48 64 128 256; do
  # Rendered at the size itself (not scaled from a bitmap), so edges stay sharp.
  density=$(( 72 * size / 64 ))
  convert -background none -density "$density" "$out/$id.svg" \
          -resize "${size}x${size}!" -strip "PNG32:$out/$id-$size.png"
done
