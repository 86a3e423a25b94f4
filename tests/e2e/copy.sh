#!/usr/bin/env bash
# Copying as a person does it: "Copier l'image du QR-Code dans le presse papier", then another
# program pastes the picture from the X clipboard while the tool runs: the preview box's 201 x 201
# image, as PNG or BMP, that reads back as the link.
set -uo pipefail
bin=$1
. "$(dirname "$0")/../../scripts/e2e-lib.sh"
e2e_setup "$bin"
work=$E2E_WORK
win=$E2E_WIN

shows_code_of() {
  e2e_preview "$win" "$work/preview.png" && e2e_decodes "$work/preview.png" "$1"
}
offers() { e2e_clipboard TARGETS | grep -qx "$1"; }
paste_as() { e2e_clipboard "$1" >"$2" && [ -s "$2" ]; }

for link in "https://www.exemple.fr/copié?q=1" "https://exemple.fr/un-autre-lien-plus-long-pour-des-modules-plus-fins/$(printf 'x%.0s' {1..60})"; do
  e2e_type_link "$win" "$link"
  e2e_click create
  e2e_require "the code of '$link' is on screen" e2e_wait_for 20 shows_code_of "$link"
  # The clipboard's last owner may still be this tool: wait for the new picture, not any picture.
  rm -f "$work/clip.png"
  e2e_click copy
  # Asked for the PNG before it offers one, Wine's bridge answers empty for that copy: the list first.
  e2e_wait_for 20 offers image/png
  copied() { paste_as image/png "$work/clip.png" && e2e_decodes "$work/clip.png" "$link"; }
  e2e_check "'$link': pasted as PNG, zbarimg reads the link" e2e_wait_for 20 copied
  e2e_check "'$link': zxing-cpp reads it too" [ "$("$bin/qr_decode" "$work/clip.png")" = "$link" ]
  e2e_check "'$link': the picture is the box's 201 x 201" \
    [ "$(identify -format '%wx%h' "$work/clip.png")" = "201x201" ]
  # The encoder's picture fills the box: copied pixel for pixel, the code on white, no strip of
  # the box's background right of it or below.
  picture=$E2E_APP/QRCODE.bmp
  e2e_check "'$link': the code's picture is copied unchanged" \
    [ "$(compare -metric AE "$work/clip.png" "$picture" null: 2>&1)" = "0" ]
  e2e_check "'$link': white to the bottom-right corner" \
    [ "$(convert "$work/clip.png" -format '%[pixel:p{200,200}]' info:)" = "srgb(255,255,255)" ]
  e2e_check "'$link': also offered as BMP" offers image/bmp
  e2e_check "'$link': the BMP is the same picture" bash -c \
    "timeout 5 xclip -selection clipboard -t image/bmp -o >'$work/clip.bmp' && [ \"\$(compare -metric AE '$work/clip.bmp' '$work/clip.png' null: 2>&1)\" = 0 ]"
done
e2e_check "the tool still runs, serving the clipboard" kill -0 "$E2E_TOOL_PID"

e2e_summary
