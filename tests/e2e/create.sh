#!/usr/bin/env bash
# The built tool in a real window: type or paste a link, create, and read the code back from the
# screen with zbarimg and zxing-cpp; the field's rules, reset and quit as a person meets them.
set -uo pipefail
bin=$1
. "$(dirname "$0")/../../scripts/e2e-lib.sh"
e2e_setup "$bin"
work=$E2E_WORK
win=$E2E_WIN

preview() { e2e_preview "$win" "$1"; }
shows_code_of() {
  preview "$work/preview.png" && e2e_decodes "$work/preview.png" "$1"
}
zxing_reads() {
  [ "$("$bin/qr_decode" "$work/preview.png")" = "$1" ]
}
# Creates the code of the link in the field and waits until the screen shows it.
create_and_check() {
  local link=$1 name=$2
  e2e_click create
  e2e_check "$name: zbarimg reads the link on screen" e2e_wait_for 20 shows_code_of "$link" ||
    echo "  screen reads: $(zbarimg --nodbus -q "$work/preview.png" 2>&1 | head -c 200)"
  e2e_check "$name: zxing-cpp reads the link on screen" zxing_reads "$link"
}

e2e_shot "$win" "$work/start.png"
e2e_check "window is 393 x 252" [ "$(identify -format '%wx%h' "$work/start.png")" = "393x252" ]

typed=("https://www.exemple.fr/chemin?q=1&r=été"
  "Noël à Zürich, œuvre à 5 €"
  "😀 🎉 émoji"
  "二维码测试"
  "   ")
for link in "${typed[@]}"; do
  e2e_type_link "$win" "$link"
  create_and_check "$link" "typed '$link'"
done

# Paste from the real clipboard, up to the largest text a code holds.
long=$(head -c 2953 /dev/zero | tr '\0' 'x' | sed 's/^x\{8\}/https:\/\//')
# xclip serves the clipboard until it is stopped.
serve_clipboard() {
  [ -n "${clip_pid:-}" ] && kill "$clip_pid" 2>/dev/null
  printf '%s' "$1" | xclip -selection clipboard -quiet >/dev/null 2>&1 &
  clip_pid=$!
  E2E_PIDS+=("$clip_pid")
  e2e_wait_for 10 bash -c "[ \"\$(timeout 5 xclip -selection clipboard -o | wc -c)\" -eq $(printf '%s' "$1" | wc -c) ]"
}
for link in "Collé depuis le presse-papiers ✓" "$long"; do
  serve_clipboard "$link"
  e2e_click paste
  create_and_check "$link" "pasted ${#link} characters"
done

# Too long for any code: a French message, and the last code stays on view.
serve_clipboard "${long}yy"
e2e_click paste
e2e_click create
# --sync would return at once with the main window alone; wait for a second window of that name.
e2e_wait_for 20 bash -c "xdotool search --onlyvisible --name '^Lumo-RAZazu\$' | grep -qv '^$win\$'"
msg=$(xdotool search --onlyvisible --name '^Lumo-RAZazu$' | grep -v "^$win\$" | head -n 1)
e2e_check "too long: a message box titled Lumo-RAZazu" [ -n "$msg" ]
[ -n "$msg" ] && e2e_press "$msg" Return
e2e_check "too long: the message closes" e2e_wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Lumo-RAZazu\$' | grep -qv '^$win\$'"
e2e_check "too long: the last code is still shown" shows_code_of "$long"

# Reset empties the preview.
e2e_click reset
blank() { preview "$work/preview.png" && ! zbarimg --nodbus -q "$work/preview.png" >/dev/null 2>&1; }
e2e_check "reset empties the preview" e2e_wait_for 10 blank

# Quit ends the program.
e2e_click quit
e2e_check "quit ends the program" e2e_wait_for 10 bash -c "! kill -0 $E2E_TOOL_PID"
e2e_summary
