#!/usr/bin/env bash
# Printing without a printer, in real windows: with no printer at all (the dialog's PDF file, one
# that cannot be made and one that can), and to a real CUPS queue that refuses the job. A failure
# is the printer error box, titled Erreur, with nothing out and nothing waiting in a queue; the
# tool then goes on working.
set -uo pipefail
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/e2e-lib.sh"
e2e_begin
work=$(mktemp -d)
refusing=QR_REFUSE
# The queue script, lpstat and the tool talk to this machine's scheduler through its socket.
cups=/run/cups/cups.sock
out=$(CUPS_SERVER=$cups "$here/../../scripts/cups-pdf-queue" "$refusing" --refusing) ||
  { echo "no print queue"; exit 1; }

e2e_start_xvfb || exit 1
tool=$(e2e_install_tool "$bin")
create_at=$(e2e_twips_centre 3360 600 1695 495)
print_at=$(e2e_twips_centre 3360 2520 2415 495)
copy_at=$(e2e_twips_centre 3360 1680 2415 735)
quit_at=$(e2e_twips_centre 3360 3120 2415 495)

dialog_gone() { ! xdotool search --onlyvisible --name '^Imprimer$' >/dev/null 2>&1; }
error_box() { xdotool search --onlyvisible --name '^Erreur$' 2>/dev/null | head -n 1; }
# Opens the printer dialog and keeps the pointer over it: with no window manager the keyboard
# goes where the pointer is, and keys then arrive as from a real keyboard (press and release).
open_dialog() {
  e2e_click "$win" $print_at
  dialog=$(e2e_window Imprimer) && xdotool mousemove --sync --window "$dialog" 20 20
}
# The error box (its text, "Erreur sur l'imprimante", is checked by the unit tests), closed with
# its OK button, bottom right: no window manager gives it the keyboard.
close_error() {
  local box
  box=$(e2e_window Erreur) || return 1
  eval "$(xdotool getwindowgeometry --shell "$box")"
  e2e_click "$box" $((WIDTH - 51)) $((HEIGHT - 24))
  e2e_wait_for 10 bash -c '[ -z "$(xdotool search --onlyvisible --name "^Erreur\$" 2>/dev/null)" ]'
}
no_message() { ! xdotool search --onlyvisible --name '^(Erreur|Lumo-RAZazu)$' 2>/dev/null | grep -qv "^$win\$"; }
pdfs() { find "$out" -maxdepth 1 -name '*.pdf' 2>/dev/null | sort; }
# start_tool SERVER: the tool, talking to that CUPS server, showing the code of a fresh link.
start_tool() {
  CUPS_SERVER=$1 e2e_start_tool "$tool" || return 1
  win=$E2E_WIN
  link="https://www.exemple.fr/refusé?essai=$$-$RANDOM"
  e2e_type_link "$win" "$link" && e2e_click "$win" $create_at &&
    e2e_wait_for 20 e2e_decodes "$(dirname "$tool")/QRCODE.bmp" "$link"
}
# After the error the tool goes on: its code copied to the clipboard reads as the link.
still_copies() {
  e2e_click "$win" $copy_at
  copied() {
    xclip -selection clipboard -t image/png -o >"$work/clip.png" 2>/dev/null &&
      e2e_decodes "$work/clip.png" "$link"
  }
  e2e_wait_for 20 copied
}
quit_tool() {
  e2e_click "$win" $quit_at
  e2e_wait_for 10 bash -c "! kill -0 $E2E_TOOL_PID"
}

# ---- No printer at all: no scheduler to ask. The dialog then offers a PDF file only, under
# "Fichier de sortie" (Alt+F). It refuses itself a file that cannot be written, with its own
# warning, and stays open; the page then goes to the file chosen instead.
# set_output PATH: the output file typed into the open dialog, then "Imprimer".
set_output() {
  xdotool key alt+f ctrl+a
  xdotool type --delay 10 "$1"
  xdotool key Return
}
printf 'pas un dossier' >"$work/fichier"
e2e_require "no printer: the tool shows a code" start_tool "$work/aucun-planificateur.sock"
e2e_require "no printer: the printer dialog opens" open_dialog
set_output "$work/fichier/page.pdf"
e2e_check "no printer, a file that cannot be written: the dialog warns and stays open" \
  e2e_wait_for 10 bash -c '[ "$(xdotool search --onlyvisible --name "^Imprimer\$" | wc -l)" -eq 2 ]'
xdotool key Return
e2e_check "no printer: the warning closes" e2e_wait_for 10 bash -c '[ "$(xdotool search --onlyvisible --name "^Imprimer\$" | wc -l)" -eq 1 ]'
e2e_check "no printer: the file in the way is intact" [ "$(cat "$work/fichier")" = "pas un dossier" ]
set_output "$work/page.pdf"
e2e_check "no printer, a PDF file: the dialog closes" e2e_wait_for 10 dialog_gone
page_reads() {
  pdftoppm -r 150 -gray -singlefile -x 0 -y 0 -W 600 -H 600 "$work/page.pdf" "$work/page" 2>/dev/null &&
    e2e_decodes "$work/page.pgm" "$link"
}
e2e_check "no printer, a PDF file: the page reads as the link" e2e_wait_for 20 page_reads
e2e_check "no printer, a PDF file: no message" no_message
e2e_check "no printer: the tool goes on (copy)" still_copies
e2e_check "no printer: quit ends the tool" quit_tool

# ---- A queue that refuses the job: chosen by name in the printer list (Alt+N, "Nom").
pdfs >"$work/before"
e2e_require "refusing queue: the tool shows a code" start_tool "$cups"
e2e_require "refusing queue: the printer dialog opens" open_dialog
xdotool key alt+n
xdotool type --delay 20 "$refusing"
xdotool key Return
e2e_check "refusing queue: the dialog closes" e2e_wait_for 10 dialog_gone
e2e_check "refusing queue: a box titled Erreur" close_error
e2e_check "refusing queue: nothing waits in the queue" [ -z "$(CUPS_SERVER=$cups lpstat -o "$refusing" 2>/dev/null)" ]
e2e_check "refusing queue: no page came out" [ "$(pdfs)" = "$(cat "$work/before")" ]
e2e_check "refusing queue: the tool goes on (copy)" still_copies
e2e_check "refusing queue: quit ends the tool" quit_tool

cd / && rm -rf "$work" "$(dirname "$tool")"
e2e_summary
