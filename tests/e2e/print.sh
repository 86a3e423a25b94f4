#!/usr/bin/env bash
# Printing as a person does it: the real French printer dialog, a real CUPS queue that writes PDF.
# Cancel prints nothing and says nothing; "Imprimer" gives one page whose code reads back as the
# link, sits 1 mm into the printable area and keeps its natural size (one pixel = 1/96 inch).
set -uo pipefail
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/e2e-lib.sh"
queue=QR_PDF
# The queue script, lpstat and the tool all talk to this machine's scheduler through its socket.
export CUPS_SERVER=/run/cups/cups.sock
out=$("$here/../../scripts/cups-pdf-queue" "$queue") || { echo "no print queue"; exit 1; }

# Under Wine: the system's printer dialog (Wine's, which lists the CUPS queues), then the tool's
# QR-Code choices on their own (Wine's dialog has no room for the tab), OK to both; the page
# comes out of Wine's PostScript driver.
if e2e_on_windows "$bin"; then
  e2e_setup "$bin"
  link="https://www.exemple.fr/imprimé?qr=été&essai=$$-$RANDOM"
  e2e_type_link "$E2E_WIN" "$link"
  e2e_click create
  e2e_require "the code is created" e2e_wait_for 20 e2e_decodes "$E2E_APP/QRCODE.bmp" "$link"
  ls "$out" >"$E2E_WORK/before" 2>/dev/null
  # Ours: the new PDFs whose page reads as this run's link (other runs may print to the queue).
  ours() {
    ls "$out" 2>/dev/null | comm -13 "$E2E_WORK/before" - | grep '\.pdf$' | while read -r f; do
      pdftoppm -r 300 -gray -singlefile "$out/$f" "$E2E_WORK/page" 2>/dev/null &&
        e2e_decodes "$E2E_WORK/page.pgm" "$link" && echo "$f"
    done
  }
  e2e_click print
  dialog=$(e2e_window "(Imprimer|Print)")
  e2e_require "the system's printer dialog opens" [ -n "$dialog" ]
  e2e_press "$dialog" Escape
  e2e_check "cancel: the dialog closes" e2e_wait_for 10 bash -c "! xwininfo -id $dialog | grep -q IsViewable"
  e2e_click print
  dialog=$(e2e_window "(Imprimer|Print)") && e2e_press "$dialog" Return
  choices=$(e2e_window QR-Code)
  e2e_check "the QR-Code choices follow" [ -n "$choices" ]
  e2e_press "$choices" Return
  page() { [ -z "$(lpstat -o "$queue" 2>/dev/null)" ] && ours >"$E2E_WORK/ours" && [ -s "$E2E_WORK/ours" ]; }
  e2e_check "the job leaves the queue as a PDF whose page zbarimg reads as the link" e2e_wait_for 120 page
  pdftoppm -r 300 -gray -singlefile "$out/$(head -n 1 "$E2E_WORK/ours")" "$E2E_WORK/page" 2>/dev/null
  e2e_check "zxing-cpp reads the link on paper" [ "$("$bin/qr_decode" "$E2E_WORK/page.pgm")" = "$link" ]
  e2e_check "one page: cancel printed nothing" [ "$(wc -l <"$E2E_WORK/ours")" -eq 1 ]
  e2e_skip "the code's place and size on paper" "not measured under Wine: no print_margins probe for Windows"
  while read -r f; do rm -f "$out/$f"; done <"$E2E_WORK/ours"
  e2e_summary; exit
fi
# Where this printer's printable area starts, as its PPD declares it (the whole page for
# cups-pdf, not Qt's default 10-point margins), and its paper, in millimetres.
read -r area_left area_top paper_w paper_h < <("$bin/print_margins" "$queue") ||
  { echo "QPrinter does not know $queue"; exit 1; }
echo "printable area at ${area_left} mm, ${area_top} mm on ${paper_w} x ${paper_h} mm paper"

e2e_setup "$bin"
work=$E2E_WORK
win=$E2E_WIN
# Unique, so that this run knows its page among those of other runs printing to the same queue.
link="https://www.exemple.fr/imprimé?qr=été&essai=$$-$RANDOM"

shows_code_of() {
  e2e_preview "$win" "$work/preview.png" && e2e_decodes "$work/preview.png" "$1"
}
e2e_type_link "$win" "$link"
e2e_click create
e2e_require "the code is on screen" e2e_wait_for 20 shows_code_of "$link"

pdfs() { find "$out" -maxdepth 1 -name '*.pdf' 2>/dev/null | sort; }
pdfs >"$work/before"
# ours: the new, complete PDFs whose page reads as this run's link.
ours() {
  pdfs | comm -13 "$work/before" - | while read -r f; do
    pdfinfo "$f" >/dev/null 2>&1 &&
      pdftoppm -r 150 -gray -singlefile "$f" "$work/probe" 2>/dev/null &&
      e2e_decodes "$work/probe.pgm" "$link" && echo "$f"
  done
}
dialog_gone() { ! xdotool search --onlyvisible --name '^Imprimer$' >/dev/null 2>&1; }
no_message() { ! xdotool search --onlyvisible --name '^(Erreur|Lumo-RAZazu)$' 2>/dev/null | grep -qv "^$win\$"; }
# Opens the printer dialog and keeps the pointer over it: with no window manager the keyboard
# goes where the pointer is, and keys then arrive as from a real keyboard (press and release).
open_dialog() {
  e2e_click print
  dialog=$(e2e_window Imprimer) && xdotool mousemove --sync --window "$dialog" 20 20
}

# Cancel (Escape is the "Annuler" button): the dialog closes, nothing is said.
e2e_require "the printer dialog opens, in French" open_dialog
# A dialog still settling (slow under the sanitizers) can miss a key: press it again until the
# dialog closes.
close_with() {
  local try
  for try in 1 2 3 4 5; do
    xdotool key "$1"
    e2e_wait_for 6 dialog_gone && return 0
  done
  return 1
}
e2e_check "Annuler closes the dialog" close_with Escape
e2e_check "Annuler shows no message" no_message

# Print: choose the queue by name in the printer list (Alt+N, "Nom"), then "Imprimer", the
# default button.
e2e_require "the printer dialog opens again" open_dialog
xdotool key alt+n
xdotool type --delay 20 "$queue"
e2e_check "Imprimer closes the dialog" close_with Return

# The job has left the queue and its PDF is complete. Jobs run in order, so a job from the
# cancelled dialog would have come out first: one page of ours means Cancel printed nothing.
printed() { [ -z "$(lpstat -o "$queue" 2>/dev/null)" ] && ours >"$work/ours" && [ -s "$work/ours" ]; }
e2e_require "the job leaves the queue as a complete PDF that reads as the link" e2e_wait_for 120 printed
e2e_check "only one page of ours: Cancel printed nothing" [ "$(wc -l <"$work/ours")" -eq 1 ]
e2e_check "no printer error" no_message
pdf=$(head -n 1 "$work/ours")
pdfinfo "$pdf" >"$work/info"
grep -E 'Pages|Page size' "$work/info"
e2e_check "one page" grep -qE '^Pages: +1$' "$work/info"
e2e_check "the paper is the one Qt laid the page on" awk -v w="$paper_w" -v h="$paper_h" \
  '/^Page size:/ { d = $3 * 25.4 / 72 - w; e = $5 * 25.4 / 72 - h; exit !(d * d < 0.25 && e * e < 0.25) }' "$work/info"
e2e_check "the modules are shapes, not a picture to scale" [ "$(pdfimages -list "$pdf" | tail -n +3 | wc -l)" -eq 0 ]

# The top-left part of the page at 600 dpi, as a printer puts it on paper: a shape's edge
# blackens a dot or leaves it white (no blending, which only screen viewers do).
dpi=600
pdftoppm -r $dpi -gray -aaVector no -singlefile -x 0 -y 0 -W 2400 -H 2400 "$pdf" "$work/page"
e2e_check "only black and white on paper" [ "$(convert "$work/page.pgm" -format '%k' info:)" -le 2 ]
e2e_check "zbarimg reads the link on paper" e2e_decodes "$work/page.pgm" "$link"
e2e_check "zxing-cpp reads the link on paper" [ "$("$bin/qr_decode" "$work/page.pgm")" = "$link" ]

# The white border of the picture is invisible on paper: place the picture by its dark modules,
# known in the picture the tool printed (its working file).
picture=$E2E_APP/QRCODE.bmp
read -r pw ph src < <(convert "$picture" -threshold 50% -format '%w %h %@' info:)
read -r dst < <(convert "$work/page.pgm" -threshold 50% -format '%@' info:)
measure=$(awk -v src="$src" -v dst="$dst" -v pw="$pw" -v dpi=$dpi 'BEGIN {
  split(src, s, /[x+]/); split(dst, d, /[x+]/)
  px = 25.4 / 96; dp = 25.4 / dpi
  printf "%.3f %.3f %.3f", d[3] * dp - s[3] * px, d[4] * dp - s[4] * px, d[1] * dp / s[1] * pw }')
read -r left top width <<<"$measure"
read -r expect_left expect_top expect_width < <(awk -v l="$area_left" -v t="$area_top" -v pw="$pw" \
  'BEGIN { printf "%.3f %.3f %.3f\n", l + 1, t + 1, pw * 25.4 / 96 }')
echo "picture ${pw} x ${ph} px: top-left at ${left} mm, ${top} mm from the paper corner, ${width} mm wide" \
  "(expected ${expect_left} mm, ${expect_top} mm, ${expect_width} mm)"
near() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; exit !(d <= t && -d <= t) }'; }
e2e_check "1 mm from the left of the printable area" near "$left" "$expect_left" 0.3
e2e_check "1 mm from the top of the printable area" near "$top" "$expect_top" 0.3
e2e_check "natural size: pixels x 25.4 / 96 mm" near "$width" "$expect_width" 0.3

rm -f "$pdf"

# The "QR-Code" tab of the same dialog: an 80 mm code centred on the page. The tab sits behind
# « Options >> » (Alt+O); with no window manager it is clicked where it is drawn.
pdfs >"$work/before"
e2e_require "the printer dialog opens a third time" open_dialog
expanded() { eval "$(xdotool getwindowgeometry --shell "$dialog")" && [ "$HEIGHT" -gt 300 ]; }
expand_options() {
  local try
  for try in 1 2 3 4 5; do
    xdotool key alt+o
    e2e_wait_for 3 expanded && return 0
  done
  return 1
}
e2e_require "« Options >> » shows the tabs" expand_options
tab_shown() { xdotool mousemove --sync --window "$dialog" 185 161 click 1 &&
  xdotool key alt+t ctrl+a ctrl+c && [[ "$(e2e_clipboard)" =~ ^53[.,]2$ ]]; }
e2e_check "the QR-Code tab shows the natural size" e2e_wait_for 10 tab_shown
[ -n "${E2E_SHOTS:-}" ] && import -window "$dialog" "$E2E_SHOTS/print-tab.png"
xdotool type --delay 20 "80"
# Tab to the placement, Down to "Centré sur la page", Return for "OK".
xdotool key Tab Down
e2e_check "OK closes the dialog" close_with Return
e2e_require "the sized job leaves the queue as a PDF that reads as the link" e2e_wait_for 120 printed
pdf=$(head -n 1 "$work/ours")
pdftoppm -r 300 -gray -aaVector no -singlefile "$pdf" "$work/whole"
e2e_check "sized: zbarimg reads the link on paper" e2e_decodes "$work/whole.pgm" "$link"
e2e_check "sized: zxing-cpp reads the link on paper" [ "$("$bin/qr_decode" "$work/whole.pgm")" = "$link" ]
read -r dst < <(convert "$work/whole.pgm" -threshold 50% -format '%@' info:)
# The whole picture, white border included, from its dark modules: its side and its corner.
read -r left top width < <(awk -v src="$src" -v dst="$dst" -v pw="$pw" 'BEGIN {
  split(src, s, /[x+]/); split(dst, d, /[x+]/)
  dp = 25.4 / 300; side = d[1] * dp / s[1] * pw; px = side / pw
  printf "%.3f %.3f %.3f\n", d[3] * dp - s[3] * px, d[4] * dp - s[4] * px, side }')
read -r expect_left expect_top < <(awk -v w="$paper_w" -v h="$paper_h" \
  'BEGIN { printf "%.3f %.3f\n", (w - 80) / 2, (h - 80) / 2 }')
echo "sized: ${width} mm wide at ${left} mm, ${top} mm (expected 80 mm at ${expect_left} mm, ${expect_top} mm)"
e2e_check "sized: 80 mm wide" near "$width" 80 0.3
e2e_check "sized: centred across the page" near "$left" "$expect_left" 0.3
e2e_check "sized: centred down the page" near "$top" "$expect_top" 0.3
rm -f "$pdf"
e2e_summary
