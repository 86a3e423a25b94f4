#!/usr/bin/env bash
# Two copies of the tool started from one folder share its QRCODE.bmp: clicked "Créer le QR-Code"
# within the same instant, each must still show the code of its own link.
set -uo pipefail
bin=$1
. "$(dirname "$0")/../../scripts/e2e-lib.sh"
e2e_setup "$bin" --no-start
work=$E2E_WORK

# start_copy X Y: starts one more copy and moves its window to (X, Y); sets win to its id.
start_copy() {
  "$E2E_TOOL" >/dev/null 2>&1 &
  local pid=$!
  E2E_PIDS+=("$pid")
  win=$(timeout 20 xdotool search --sync --onlyvisible --all --pid "$pid" --name '^Lumo-RAZazu$' | head -n 1)
  [ -n "$win" ] && xdotool windowmove --sync "$win" "$1" "$2"
}
start_copy 0 0; win_a=$win
start_copy 500 300; win_b=$win
two_windows() { [ -n "$win_a" ] && [ -n "$win_b" ] && [ "$win_a" != "$win_b" ]; }
e2e_check "both windows open" two_windows || { echo "windows: '$win_a' '$win_b'"; e2e_summary; exit 1; }

# Long links: the bigger the code, the longer the file is between writing and reading back.
link_a="https://a.exemple.fr/$(head -c 900 /dev/zero | tr '\0' 'a')"
link_b="https://b.exemple.fr/$(head -c 900 /dev/zero | tr '\0' 'b')"
# paste_into WINDOW LINK: the link through the real clipboard and "...", then read back from the
# field (select all, copy) before the next step; the clipboard is served until then.
paste_into() {
  local try clip
  for try in 1 2 3; do
    printf '%s' "$2" | xclip -selection clipboard -quiet >/dev/null 2>&1 &
    clip=$!
    e2e_wait_for 10 e2e_clipboard_is "$2"
    e2e_click "$1" paste
    e2e_click "$1" link
    xdotool key --window "$1" ctrl+a ctrl+c
    e2e_wait_for 5 bash -c "! kill -0 $clip" # the field owns the clipboard now
    kill "$clip" 2>/dev/null
    e2e_wait_for 5 e2e_clipboard_is "$2" && return 0
  done
  return 1
}
e2e_check "the first copy holds its link" paste_into "$win_a" "$link_a"
e2e_check "the second copy holds its link" paste_into "$win_b" "$link_b"

shows() { # shows WINDOW LINK
  e2e_preview "$1" "$work/$1-preview.png" &&
    [ "$("$bin/qr_decode" "$work/$1-preview.png")" = "$2" ]
}
# check_shows NAME WINDOW LINK: the check, and on failure what that preview holds instead.
check_shows() {
  local failed=$E2E_FAILED text
  e2e_check "$1" e2e_wait_for 15 shows "$2" "$3"
  [ "$E2E_FAILED" = "$failed" ] && return 0
  text=$("$bin/qr_decode" "$work/$2-preview.png" 2>/dev/null)
  if [ -n "$text" ]; then echo "  its preview reads: ${text:0:24}..."; else echo "  its preview holds no code"; fi
}
read -r cx cy < <(e2e_centre create)
for round in 1 2 3 4 5 6 7 8; do
  # One xdotool command: both clicks leave within a millisecond of each other.
  xdotool mousemove --window "$win_a" "$cx" "$cy" click 1 mousemove --window "$win_b" "$cx" "$cy" click 1
  check_shows "round $round: the first copy shows its own link" "$win_a" "$link_a"
  check_shows "round $round: the second copy shows its own link" "$win_b" "$link_b"
done
e2e_summary
