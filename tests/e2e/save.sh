#!/usr/bin/env bash
# Saving from the built tool in a real window: the real save dialog and ratio box, typed into and
# confirmed as a person does; every file written is read back by zbarimg, the caption follows.
set -uo pipefail
bin=$1
. "$(dirname "$0")/../../scripts/e2e-lib.sh"
# The tool starts in the scratch folder, where the first save dialog of a run opens.
e2e_setup "$bin"
app=$E2E_APP
out=$E2E_WORK
win=$E2E_WIN

link="https://www.exemple.fr/qr?été=1&n=42"

visible() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }
gone() { [ -z "$(visible "$1")" ]; }
# settled NAME: prints the id of the one window of that name once it has stayed the same a
# moment; Qt may map and drop a window of the same name while a dialog opens.
settled() {
  local first second end=$((SECONDS + 20))
  while [ $SECONDS -lt $end ]; do
    first=$(visible "$1")
    if [ -n "$first" ] && [ "$(wc -l <<<"$first")" -eq 1 ]; then
      sleep 0.3
      second=$(visible "$1")
      [ "$second" = "$first" ] && xwininfo -id "$first" >/dev/null 2>&1 && { echo "$first"; return 0; }
    fi
    sleep 0.05
  done
  return 1
}
caption_is() { [ "$(xdotool getwindowname "$win")" = "$1" ]; }
format_is() { [ "$(identify -format '%m %wx%h' "$1" 2>/dev/null)" = "$2" ]; }
quality_is() { [ "$(identify -format '%Q' "$1" 2>/dev/null)" = "$2" ]; }
no_temp_left() { [ ! -e "$app/Temp.bmp" ]; }

# Opens the save dialog from the main window; sets dlg.
open_save() {
  e2e_click save
  # The pointer out of the way: hovering the file list maps and drops tooltip windows.
  xdotool mousemove 1020 760
  dlg=$(settled "Enregistrer Sous")
}
# In the open dialog: the type by its place in the list, then the name, then « Enregistrer »
# through its accelerator.
fill_and_confirm() {
  local type=$1 name=$2 i
  # The dialog gets the keyboard first: the window that had it may be gone, and Qt may still be
  # giving it back to the main window, which would take keys sent to the dialog and drop them.
  timeout 5 xdotool windowfocus --sync "$dlg" 2>/dev/null
  # With the name field emptied the save button is disabled, so Tab goes straight to the types.
  xdotool key --window "$dlg" ctrl+a BackSpace Tab Home
  for ((i = 1; i < type; i++)); do xdotool key --window "$dlg" Down; done
  # A new type refills the list and the typed name may bring the completer's list: each is
  # drawn before the next keys go.
  e2e_wait_still "$dlg"
  xdotool key --window "$dlg" shift+Tab ctrl+a
  xdotool type --window "$dlg" --delay 5 -- "$name"
  e2e_wait_still "$dlg"
  e2e_press "$dlg" "$confirm"
}
# Wine's dialog speaks the locale's language, which may not be French: its default button instead.
confirm=alt+e
[ -n "${E2E_WINDOWS:-}" ] && confirm=Return
# offers BOX TEXT: the input box's offered answer, copied out through the clipboard, is TEXT.
offers() {
  xdotool key --window "$1" ctrl+a ctrl+c
  e2e_wait_for 10 e2e_clipboard_is "$2"
}
# answer BOX TEXT: types TEXT over the offered answer and confirms it.
answer() {
  xdotool key --window "$1" ctrl+a
  xdotool type --window "$1" --delay 5 -- "$2"
  e2e_press "$1" Return
}
# Moves a checked file aside. Without a window manager the dialog is never the active window, and
# then Qt lets the remembered file, shown selected in the list, win over a name typed over it.
set_aside() {
  mkdir -p "$out/vérifiés" && mv "$out/$1" "$out/vérifiés/"
}

e2e_type_link "$win" "$link"
e2e_click create
e2e_check "the code is created" e2e_wait_for 20 e2e_decodes "$app/QRCODE.bmp" "$link"

# JPEG at 80: a name without extension gets .jpg.
open_save
e2e_check "the save dialog opens" [ -n "$dlg" ]
fill_and_confirm 3 "qr"
e2e_check "JPEG 80: the caption names the file" e2e_wait_for 20 caption_is "Lumo-RAZazu : qr.jpg"
e2e_check "JPEG 80: a 201 x 201 JPEG" format_is "$out/qr.jpg" "JPEG 201x201"
e2e_check "JPEG 80: quality 80" quality_is "$out/qr.jpg" 80
e2e_check "JPEG 80: zbarimg reads the link" e2e_decodes "$out/qr.jpg" "$link"
e2e_check "JPEG 80: no Temp.bmp left" no_temp_left
set_aside qr.jpg

# The typed ratio, through the real input box: it offers 100 the first time.
open_save
fill_and_confirm 5 "ratio.png"
box=$(settled "Valeur du ratio de compression")
e2e_check "ratio: the input box opens" [ -n "$box" ]
e2e_check "ratio: 100 is offered" offers "$box" 100
answer "$box" "3 5"
e2e_check "ratio: the caption names the file" e2e_wait_for 20 caption_is "Lumo-RAZazu : ratio.jpg"
e2e_check "ratio: quality 35 (blanks ignored)" quality_is "$out/ratio.jpg" 35
e2e_check "ratio: zbarimg reads the link" e2e_decodes "$out/ratio.jpg" "$link"
e2e_check "ratio: no ratio.png written" [ ! -e "$out/ratio.png" ]
set_aside ratio.jpg

# BMP: the box-sized picture, extension replaced.
open_save
fill_and_confirm 1 "final.png"
e2e_check "BMP: the caption names the file" e2e_wait_for 20 caption_is "Lumo-RAZazu : final.bmp"
e2e_check "BMP: a 201 x 201 BMP" format_is "$out/final.bmp" "BMP3 201x201"
e2e_check "BMP: zbarimg reads the link" e2e_decodes "$out/final.bmp" "$link"
set_aside final.bmp

# PNG, the same pixels, and SVG, the code drawn again from the link (rsvg-convert renders it).
open_save
fill_and_confirm 6 "image.bmp"
e2e_check "PNG: the caption names the file" e2e_wait_for 20 caption_is "Lumo-RAZazu : image.png"
e2e_check "PNG: zbarimg reads the link" e2e_decodes "$out/image.png" "$link"
set_aside image.png
open_save
fill_and_confirm 7 "dessin"
e2e_check "SVG: the caption names the file" e2e_wait_for 20 caption_is "Lumo-RAZazu : dessin.svg"
rsvg-convert -w 400 "$out/dessin.svg" -o "$out/dessin-rendu.png"
e2e_check "SVG: drawn by rsvg-convert, zbarimg reads the link" e2e_decodes "$out/dessin-rendu.png" "$link"
set_aside dessin.svg
rm -f "$out/dessin-rendu.png"

# A PNG of a chosen size: the size box offers 1024 the first time; the code keeps square modules.
open_save
fill_and_confirm 8 "grand"
box=$(settled "Taille de l'image")
e2e_check "sized PNG: the size box opens" [ -n "$box" ]
[ -n "${E2E_SHOTS:-}" ] && [ -n "$box" ] && import -window "$box" "$E2E_SHOTS/size-question.png"
e2e_check "sized PNG: 1024 is offered" offers "$box" 1024
answer "$box" "700"
e2e_check "sized PNG: the caption names the file" e2e_wait_for 20 caption_is "Lumo-RAZazu : grand.png"
e2e_check "sized PNG: 700 x 700" format_is "$out/grand.png" "PNG 700x700"
e2e_check "sized PNG: only black and white" [ "$(convert "$out/grand.png" -format '%k' info:)" -le 2 ]
e2e_check "sized PNG: zbarimg reads the link" e2e_decodes "$out/grand.png" "$link"
e2e_check "sized PNG: zxing-cpp reads the link" [ "$("$bin/qr_decode" "$out/grand.png")" = "$link" ]
set_aside grand.png

# A final name other than the one typed that is already there: the tool asks, and Non, the
# default answer, keeps the file.
printf 'rapport' >"$out/rapport.bmp"
# The question is the small "Enregistrer Sous" window that follows the dialog.
question() {
  local id
  for id in $(visible "Enregistrer Sous"); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    [ "$WIDTH" -lt 500 ] && { echo "$id"; return 0; }
  done
  return 1
}
# Sets q, the question's id, or leaves it empty with what is on screen instead.
ask_replace() {
  q=
  open_save
  fill_and_confirm 1 "rapport.v2.bmp"
  if e2e_wait_for 30 question; then
    q=$(question)
  else
    echo "no question; caption « $(xdotool getwindowname "$win") », windows:" \
      "$(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|')"
    [ -n "${E2E_SHOTS:-}" ] && import -window root "$E2E_SHOTS/no-question.png"
  fi
}
ask_replace
e2e_check "renamed target: the tool asks" [ -n "$q" ]
[ -n "$q" ] && e2e_press "$q" Escape
e2e_check "renamed target: the question closes" e2e_wait_for 10 gone "Enregistrer Sous"
e2e_check "renamed target: Non keeps the file" [ "$(cat "$out/rapport.bmp")" = rapport ]
e2e_check "renamed target: Non writes nothing" [ ! -e "$out/rapport.v2.bmp" ]
ask_replace
[ -n "$q" ] && e2e_press "$q" alt+o
e2e_check "renamed target: Oui replaces it" e2e_wait_for 20 caption_is "Lumo-RAZazu : rapport.bmp"
e2e_check "renamed target: zbarimg reads the link" e2e_decodes "$out/rapport.bmp" "$link"
set_aside rapport.bmp

# Cancel: nothing written, nothing said.
before=$(ls "$out")
open_save
e2e_press "$dlg" Escape
e2e_check "cancel: the dialog closes" e2e_wait_for 10 gone "Enregistrer Sous"
e2e_check "cancel: no message" gone "Erreur"
e2e_check "cancel: nothing written" [ "$(ls "$out")" = "$before" ]
e2e_check "cancel: the caption stays" caption_is "Lumo-RAZazu : rapport.bmp"

# A folder that cannot be written: a French message titled Erreur, and nothing lost.
printf 'pas un dossier' >"$out/fichier"
open_save
fill_and_confirm 1 "fichier/qr"
if [ -n "${E2E_WINDOWS:-}" ]; then
  # The system's dialog checks the name before the tool is given it, and says so itself.
  other() { xdotool search --onlyvisible --name . 2>/dev/null | grep -vx -e "$win" -e "$dlg" | head -n 1 | grep .; }
  e2e_wait_for 20 other && refusal=$(other)
  e2e_skip "unwritable folder: a message titled Erreur" \
    "the system's dialog refuses the name first: « $(xdotool getwindowname "${refusal:-0}" 2>/dev/null) »"
  [ -n "${refusal:-}" ] && e2e_press "$refusal" Return
  e2e_wait_for 10 bash -c "! xwininfo -id '${refusal:-0}' -all 2>/dev/null | grep -q IsViewable"
  e2e_press "$dlg" Escape
  e2e_wait_for 10 gone "Enregistrer Sous"
  err=
else
  err=$(settled "Erreur")
  e2e_check "unwritable folder: a message titled Erreur" [ -n "$err" ]
fi
# Its OK button, bottom right, clicked: no window manager gives the box the keyboard.
if [ -n "$err" ]; then
  eval "$(xdotool getwindowgeometry --shell "$err")"
  e2e_click "$err" "$((WIDTH - 51))" "$((HEIGHT - 24))"
fi
e2e_check "unwritable folder: the message closes" e2e_wait_for 10 gone "Erreur"
e2e_check "unwritable folder: the caption stays" caption_is "Lumo-RAZazu : rapport.bmp"
e2e_check "unwritable folder: the file in the way is intact" [ "$(cat "$out/fichier")" = "pas un dossier" ]
e2e_check "unwritable folder: the earlier files are intact" e2e_decodes "$out/vérifiés/final.bmp" "$link"

# A long link saved twice at ratio 20: each save starts from the code, not from the JPEG before.
long="https://exemple.fr/?q=$(printf 'abcdefghij%.0s' $(seq 288))"
printf %s "$long" | xclip -selection clipboard -quiet >/dev/null 2>&1 &
E2E_PIDS+=($!)
e2e_wait_for 10 e2e_clipboard_is "$long"
e2e_click paste
e2e_click create
e2e_check "long link: the code is created" e2e_wait_for 20 e2e_decodes "$app/QRCODE.bmp" "$long"
for name in long1 long2; do
  open_save
  fill_and_confirm 5 "$name"
  box=$(settled "Valeur du ratio de compression")
  answer "$box" 20
  e2e_wait_for 20 caption_is "Lumo-RAZazu : $name.jpg"
done
# zbarimg gives up on 1-pixel modules at 20 even once; zxing-cpp reads a first such JPEG.
e2e_check "long link: zxing-cpp reads the second JPEG at 20" [ "$("$bin/qr_decode" "$out/long2.jpg")" = "$long" ]

e2e_click quit
e2e_check "quit ends the program" e2e_wait_for 10 bash -c "! kill -0 $E2E_TOOL_PID"
e2e_summary
