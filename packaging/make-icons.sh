#!/bin/sh
# Remakes the menu icons between the two drawn sizes (32 and 256) from the 32 x 32 application
# icon, pixel for pixel (nearest neighbour: the modules stay sharp), with ImageMagick 6. The
# results are committed, so the build never needs ImageMagick.
#   Usage: packaging/make-icons.sh [OUT_DIR]   (default: packaging/icons)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/icons}
mkdir -p "$out"
# Same palette PNG as the drawn icons; -strip drops the time stamps so a rerun gives the same bytes.
for size in 48 64 128; do
  convert "$here/../resources/lumo-razazu.png" -sample "${size}x${size}" \
    -type Palette -colors 256 -define png:bit-depth=8 -define png:color-type=3 -strip \
    "PNG8:$out/lumo-razazu-$size.png"
done
