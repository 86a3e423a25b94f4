#!/bin/sh
# Remakes the tool's three pictures with ImageMagick 6 (`convert`); the results are committed,
# so the build never needs ImageMagick. Run from anywhere: ./resources/make-images.sh
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Application icon: a QR-code-like pattern, 15 x 15 modules of 2 px (three finders, separators
# and a few data modules) in a 1 px white border. 8-bit palette PNG; -strip drops the time
# stamps so a rerun gives the same bytes.
cat >"$tmp/icon.pbm" <<'EOF'
P1
15 15
1 1 1 1 1 1 1 0 1 1 1 1 1 1 1
1 0 0 0 0 0 1 0 1 0 0 0 0 0 1
1 0 1 1 1 0 1 0 1 0 1 1 1 0 1
1 0 1 1 1 0 1 0 1 0 1 1 1 0 1
1 0 1 1 1 0 1 0 1 0 1 1 1 0 1
1 0 0 0 0 0 1 0 1 0 0 0 0 0 1
1 1 1 1 1 1 1 0 1 1 1 1 1 1 1
0 0 0 0 0 0 0 0 0 0 0 0 0 0 0
1 1 1 1 1 1 1 0 1 0 1 1 0 0 1
1 0 0 0 0 0 1 0 0 0 1 0 1 1 0
1 0 1 1 1 0 1 0 1 1 0 0 0 1 0
1 0 1 1 1 0 1 0 0 1 0 1 0 1 1
1 0 1 1 1 0 1 0 1 0 1 1 0 0 0
1 0 0 0 0 0 1 0 0 0 1 0 1 0 1
1 1 1 1 1 1 1 0 1 1 0 1 1 0 1
EOF
png8='-type Palette -colors 256 -define png:bit-depth=8 -define png:color-type=3 -strip'
# shellcheck disable=SC2086
convert "$tmp/icon.pbm" -scale 200% -bordercolor white -border 1 $png8 PNG8:lumo-razazu.png
# shellcheck disable=SC2086
convert lumo-razazu.png -scale 800% $png8 PNG8:lumo-razazu-256.png

# About button: italic lower-case "i", dark blue with a lighter left edge and a black outline,
# on the classic light grey. Drawn pixel by pixel: no font stays crisp at 15 x 21.
cat >"$tmp/info.xpm" <<'EOF'
/* XPM */
static char *info[] = {
"15 21 4 1",
". c #C0C0C0",
"k c #000000",
"b c #0000A0",
"l c #4040E0",
"...............",
"........kkkk...",
".......kkllk...",
".......klbbk...",
".......klbkk...",
".......kkkk....",
"....kkkkkkk....",
"....kllllbk....",
"....kkklbbk....",
".....kklbbk....",
".....klbbkk....",
".....klbbk.....",
"....kklbbk.....",
"....klbbkk.....",
"....klbbk......",
"...kklbbk......",
"...klbbkk......",
"...klbbbkkk....",
"...kklbbbbk....",
"....kkkkkkk....",
"..............."
};
EOF
convert "$tmp/info.xpm" -type TrueColor BMP3:info.bmp

# Donation button: rounded yellow-to-orange button with a soft gloss and dark blue text.
# GIF has only on/off transparency, so the anti-aliased rim is blended onto the window grey
# (239,239,239) and only the pixels wholly outside the button become transparent.
convert -size 100x44 gradient:'#FFE680-#F5A000' -alpha set \
  \( -size 100x44 xc:none -fill white -draw 'roundrectangle 0,0 99,43 12,12' \) \
  -compose DstIn -composite -compose Over \
  -fill none -stroke '#B86E00' -strokewidth 1 -draw 'roundrectangle 0.5,0.5 98.5,42.5 12,12' \
  -stroke none -fill '#FFFFFF59' -draw 'roundrectangle 3,2 96,20 9,9' \
  -font DejaVu-Sans-Bold -pointsize 12 -gravity center \
  -fill '#FFF4C0' -annotate +0+1 'Faire un don' \
  -fill '#0A2A6E' -annotate +0+0 'Faire un don' \
  "png32:$tmp/donate.png"
convert "$tmp/donate.png" \
  \( +clone -background '#EFEFEF' -flatten \) \
  \( -clone 0 -alpha extract -threshold 0 \) \
  -delete 0 -alpha off -compose CopyOpacity -composite \
  -dither None -colors 255 GIF:donate.gif
