#!/bin/sh
# Makes the menu icons, every hicolor size and the scalable drawing, from the largest drawn icon
# (resources/lumo-razazu-256.png: 15 x 15 modules of 16 px in an 8 px white border), with
# ImageMagick 6. The results are committed, so the build never needs ImageMagick.
#   Usage: packaging/make-icons.sh [OUT_DIR]   (default: packaging/icons)
# Each size is the 15 x 15 module grid at a whole number of pixels per module (the modules stay
# sharp) on a white tile with rounded corners, transparent around it; an odd pixel left over
# goes to the right and bottom edges. RGBA PNG; the text chunks and time stamps are left out so
# a rerun gives the same bytes.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/icons}
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# One pixel per module.
convert "$here/../resources/lumo-razazu-256.png" -crop 240x240+8+8 +repage -sample 15x15 \
  -colorspace Gray -threshold 50% -compress none "$tmp/grid.pbm"

for size in 16 22 24 32 48 64 128 256; do
  m=$(((size - 2) / 15)); [ "$m" -ge 1 ] || m=1 # pixels per module
  q=$(((size - 15 * m) / 2))                     # white border around the grid
  t=$((15 * m + 2 * q))                          # the tile
  corner="roundrectangle 0,0 $((t - 1)),$((t - 1)) $q,$q"
  [ "$q" -gt 0 ] || corner="rectangle 0,0 $((t - 1)),$((t - 1))"
  convert "$tmp/grid.pbm" -scale "$((15 * m))x$((15 * m))" -bordercolor white -border "$q" \
    -alpha set \( -size "${t}x$t" xc:none -fill white \
      -draw "$corner" \) -compose DstIn -composite \
    -background none -compose Over -gravity northwest -extent "${size}x$size" \
    -strip -define png:exclude-chunks=date,time -define png:color-type=6 -define png:bit-depth=8 \
    "PNG32:$out/lumo-razazu-$size.png"
done

# The drawing: the 256 px icon in units of 8 px, a run of dark modules per path segment.
awk 'NR == 1 || NR == 2 { next } { for (i = 1; i <= NF; i++) bits = bits $i }
  END {
    printf "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    printf "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 32 32\">\n"
    printf "  <rect width=\"32\" height=\"32\" rx=\"1\" fill=\"#fff\"/>\n"
    printf "  <path fill=\"#000\" shape-rendering=\"crispEdges\" d=\""
    for (y = 0; y < 15; y++)
      for (x = 0; x < 15; x++) {
        if (substr(bits, y * 15 + x + 1, 1) != "1") continue
        n = 0
        while (x + n < 15 && substr(bits, y * 15 + x + n + 1, 1) == "1") n++
        printf "M%d %dh%dv2h-%dz", 1 + 2 * x, 1 + 2 * y, 2 * n, 2 * n
        x += n
      }
    printf "\"/>\n</svg>\n"
  }' "$tmp/grid.pbm" >"$out/lumo-razazu.svg"
