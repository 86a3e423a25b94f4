#!/usr/bin/env bash
# Printing without a printer, in real windows: with no printer at all (the dialog's PDF file, one
# that cannot be made and one that can), and to a real CUPS queue that refuses the job. A failure
# is the printer error box, titled Erreur, with nothing out and nothing waiting in a queue; the
# tool then goes on working.
set -uo pipefail
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/e2e-lib.sh"
refusing=QR_REFUSE
# The queue script, lpstat and the tool talk to this machine's scheduler through its socket.
cups=/run/cups/cups.sock
out=$(CUPS_SERVER=$cups "$here/../../scripts/cups-pdf-queue" "$refusing" --refusing) ||
  { echo "no print queue"; exit 1; }

e2e_setup "$bin" --no-start
work=$E2E_WORK

dialog_gone() { ! xdotool search --onlyvisible --name '^Imprimer$' >/dev/null 2>&1; }
open_dialog() {
  e2e_click print
  dialog=$(e2e_window Imprimer)
}
# press_until_gone WINDOW NAME KEY: presses KEY in the window until no window of that name is
# left on screen; a window still settling (slow under the sanitizers) can miss the first press.
press_until_gone() {
  local try
  for try in 1 2 3 4 5; do
    e2e_press "$1" "$3"
    e2e_wait_for 6 bash -c "! xdotool search --onlyvisible --name '^$2\$' 2>/dev/null | grep -qx '$1'" && return 0
  done
  return 1
}
# The error box (its text, "Erreur sur l'imprimante", is checked by the unit tests), closed with
# Enter on its OK button.
close_error() {
  local box
  box=$(e2e_window Erreur) && press_until_gone "$box" Erreur Return
}
no_message() { ! xdotool search --onlyvisible --name '^(Erreur|Lumo-RAZazu)$' 2>/dev/null | grep -qv "^$win\$"; }
pdfs() { find "$out" -maxdepth 1 -name '*.pdf' 2>/dev/null | sort; }
# start_tool SERVER [PRINTER]: the tool, talking to that CUPS server (and with that default
# printer), showing the code of a fresh link.
start_tool() {
  if [ -n "${2:-}" ]; then
    e2e_start_tool CUPS_SERVER="$1" PRINTER="$2" || return 1
  else
    e2e_start_tool CUPS_SERVER="$1" || return 1
  fi
  win=$E2E_WIN
  link="https://www.exemple.fr/refusé?essai=$$-$RANDOM"
  e2e_type_link "$win" "$link" && e2e_click create &&
    e2e_wait_for 20 e2e_decodes "$E2E_APP/QRCODE.bmp" "$link"
}
# After the error the tool goes on: its code copied to the clipboard reads as the link.
still_copies() {
  e2e_click copy
  copied() {
    e2e_clipboard image/png >"$work/clip.png" &&
      e2e_decodes "$work/clip.png" "$link"
  }
  e2e_wait_for 20 copied
}
quit_tool() {
  e2e_click quit
  e2e_wait_for 10 bash -c "! kill -0 $E2E_TOOL_PID"
}

# ---- No printer at all: no scheduler to ask. The dialog then offers a PDF file only, under
# "Fichier de sortie" (Alt+F). It refuses itself a file that cannot be written, with its own
# warning, and stays open; the page then goes to the file chosen instead.
# set_output PATH: PATH typed as the output file (Alt+F) and read back (Ctrl+A Ctrl+C) until the
# field holds it, then "Imprimer" (Enter).
set_output() {
  local try
  for try in 1 2 3 4; do
    e2e_press "$dialog" alt+f ctrl+a BackSpace
    xdotool type --delay $((try * 10)) "$1"
    xdotool key ctrl+a ctrl+c
    if e2e_wait_for 3 e2e_clipboard_is "$1"; then
      xdotool key Return
      return 0
    fi
  done
  return 1
}
warning() { xdotool search --onlyvisible --name '^Imprimer$' 2>/dev/null | grep -vx "$dialog" | head -n 1; }
printf 'pas un dossier' >"$work/fichier"
e2e_require "no printer: the tool shows a code" start_tool "$work/aucun-planificateur.sock"
e2e_require "no printer: the printer dialog opens" open_dialog
e2e_check "no printer: the output file is typed" set_output "$work/fichier/page.pdf"
e2e_check "no printer, a file that cannot be written: the dialog warns" e2e_wait_for 20 bash -c "[ -n \"\$(xdotool search --onlyvisible --name '^Imprimer\$' | grep -vx $dialog)\" ]"
e2e_check "no printer: the warning closes" press_until_gone "$(warning)" Imprimer Return
e2e_check "no printer: the dialog stays open" bash -c "xdotool search --onlyvisible --name '^Imprimer\$' | grep -qx $dialog"
e2e_check "no printer: the file in the way is intact" [ "$(cat "$work/fichier")" = "pas un dossier" ]
e2e_check "no printer: the other output file is typed" set_output "$work/page.pdf"
e2e_check "no printer, a PDF file: the dialog closes" e2e_wait_for 30 dialog_gone
page_reads() {
  pdftoppm -r 150 -gray -singlefile -x 0 -y 0 -W 600 -H 600 "$work/page.pdf" "$work/page" 2>/dev/null &&
    e2e_decodes "$work/page.pgm" "$link"
}
e2e_check "no printer, a PDF file: the page reads as the link" e2e_wait_for 20 page_reads
e2e_check "no printer, a PDF file: no message" no_message
e2e_check "no printer: the tool goes on (copy)" still_copies
e2e_check "no printer: quit ends the tool" quit_tool

# ---- A queue that refuses the job, the user's default printer (PRINTER, as CUPS reads it), so
# that "Imprimer" (Enter) sends the job there.
pdfs >"$work/before"
e2e_require "refusing queue: the tool shows a code" start_tool "$cups" "$refusing"
e2e_require "refusing queue: the printer dialog opens" open_dialog
e2e_check "refusing queue: Imprimer closes the dialog" press_until_gone "$dialog" Imprimer Return
e2e_check "refusing queue: a box titled Erreur" close_error
e2e_check "refusing queue: nothing waits in the queue" [ -z "$(CUPS_SERVER=$cups lpstat -o "$refusing" 2>/dev/null)" ]
e2e_check "refusing queue: no page came out" [ "$(pdfs)" = "$(cat "$work/before")" ]
e2e_check "refusing queue: the tool goes on (copy)" still_copies
e2e_check "refusing queue: quit ends the tool" quit_tool

e2e_summary
