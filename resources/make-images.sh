#!/bin/sh
# Remakes the tool's three pictures with ImageMagick 6 (`convert`); the results are committed,
# so the build never needs ImageMagick. Run from anywhere: ./resources/make-images.sh
# Each has a twice as large name@2x twin that Qt shows on screens scaled by 2 or more.
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
# shellcheck disable=SC2086
convert lumo-razazu.png -scale 200% $png8 PNG8:icon@2x.png

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
convert "$tmp/info.xpm" -scale 200% -type TrueColor BMP3:info@2x.bmp

# Donation button: rounded yellow-to-orange button with a soft gloss and dark blue text.
# GIF has only on/off transparency, so the anti-aliased rim is blended onto the window grey
# (239,239,239) and only the pixels wholly outside the button become transparent.
# Drawn again at scale 2 rather than enlarged, so the text stays crisp: donation SCALE FILE.
donation() {
  s=$1
  convert -size $((100 * s))x$((44 * s)) gradient:'#FFE680-#F5A000' -alpha set \
    \( -size $((100 * s))x$((44 * s)) xc:none -fill white \
       -draw "roundrectangle 0,0 $((100 * s - 1)),$((44 * s - 1)) $((12 * s)),$((12 * s))" \) \
    -compose DstIn -composite -compose Over \
    -fill none -stroke '#B86E00' -strokewidth "$s" \
    -draw "roundrectangle $((s - 1)).5,$((s - 1)).5 $((99 * s - 1)).5,$((43 * s - 1)).5 $((12 * s)),$((12 * s))" \
    -stroke none -fill '#FFFFFF59' \
    -draw "roundrectangle $((3 * s)),$((2 * s)) $((97 * s - 1)),$((21 * s - 1)) $((9 * s)),$((9 * s))" \
    -font DejaVu-Sans-Bold -pointsize $((12 * s)) -gravity center \
    -fill '#FFF4C0' -annotate +0+"$s" 'Faire un don' \
    -fill '#0A2A6E' -annotate +0+0 'Faire un don' \
    "png32:$tmp/donate.png"
  convert "$tmp/donate.png" \
    \( +clone -background '#EFEFEF' -flatten \) \
    \( -clone 0 -alpha extract -threshold 0 \) \
    -delete 0 -alpha off -compose CopyOpacity -composite \
    -dither None -colors 255 "GIF:$2"
}
donation 1 donate.gif
donation 2 donate@2x.gif
