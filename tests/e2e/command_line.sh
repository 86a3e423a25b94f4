#!/usr/bin/env bash
# The command line, with no display at all: each format written reads back as the link (the SVG
# drawn by rsvg-convert), the text from standard input, every exit status, and a file already at
# the target left intact by a failure.
set -uo pipefail
bin=$1
. "$(dirname "$0")/../../scripts/e2e-lib.sh"
e2e_begin
e2e_temp_dir work || exit 1
if [ -n "${LUMO_E2E_INSTALLED:-}" ]; then tool=$LUMO_E2E_INSTALLED; else tool=$bin/lumo-razazu; fi
lumo() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tool" "$@"; }
status_is() { local want=$1; shift; lumo "$@" >"$work/out" 2>"$work/err"; [ $? -eq "$want" ]; }
french_error() { [ -s "$work/err" ] && ! grep -qiE 'error|usage:' "$work/err"; }

link="https://www.exemple.fr/ligne?été=1&n=42"
for f in qr.png qr.bmp qr.jpg qr.JPEG; do
  e2e_check "$f: written" status_is 0 --output "$work/$f" "$link"
  e2e_check "$f: zbarimg reads the link" e2e_decodes "$work/$f" "$link"
done
e2e_check "qr.png: the window's 201 x 201 picture" [ "$(identify -format '%wx%h' "$work/qr.png")" = 201x201 ]
e2e_check "svg: written" status_is 0 -o "$work/qr.svg" "$link"
rsvg-convert -w 400 "$work/qr.svg" -o "$work/svg.png" 2>/dev/null
e2e_check "svg: drawn by rsvg-convert, zbarimg reads the link" e2e_decodes "$work/svg.png" "$link"
e2e_check "--module 3: three pixels a module" bash -c \
  "'$tool' -o '$work/m3.png' --module 3 '$link' && [ \$(( \$(identify -format %w '$work/m3.png') % 3 )) -eq 0 ]"
e2e_check "--module 3: zbarimg reads the link" e2e_decodes "$work/m3.png" "$link"
e2e_check "--quality 20: quality 20" bash -c \
  "'$tool' -o '$work/q.jpg' --quality 20 '$link' && [ \$(identify -format %Q '$work/q.jpg') = 20 ]"

printf '%s\n' "$link" | lumo -o "$work/stdin.png" - 2>"$work/err"
e2e_check "-: standard input, its final line break dropped" e2e_decodes "$work/stdin.png" "$link"

printf 'ancien' >"$work/kept.png"
e2e_check "too long: status 1" status_is 1 -o "$work/kept.png" "$(printf 'a%.0s' {1..3000})"
e2e_check "too long: a French message" french_error
e2e_check "too long: the file already there is intact" [ "$(cat "$work/kept.png")" = ancien ]
e2e_check "NUL from standard input: status 1" bash -c \
  "printf 'a\0b' | env -u DISPLAY '$tool' -o '$work/nul.png' - 2>/dev/null; [ \$? -eq 1 ] && [ ! -e '$work/nul.png' ]"
e2e_check "invalid UTF-8: status 1" bash -c \
  "printf 'a\377b' | env -u DISPLAY '$tool' -o '$work/bad.png' - 2>/dev/null; [ \$? -eq 1 ] && [ ! -e '$work/bad.png' ]"
e2e_check "missing folder: status 1" status_is 1 -o "$work/absent/qr.png" "$link"
e2e_check "missing folder: the reason in French" grep -q "Dossier absent" "$work/err"
e2e_check "quality 10: usage error" status_is 2 -o "$work/u.jpg" --quality 10 "$link"
e2e_check "unknown extension: usage error" status_is 2 -o "$work/u.gif" "$link"
e2e_check "no link: usage error" status_is 2 -o "$work/u.png"
e2e_check "no file of a usage error" [ ! -e "$work/u.jpg" ] && [ ! -e "$work/u.gif" ] && [ ! -e "$work/u.png" ]
e2e_check "--version" bash -c "[ \"\$(env -u DISPLAY '$tool' --version)\" = 'lumo-razazu 1.0.0' ]"
e2e_check "--help, in French" bash -c "env -u DISPLAY '$tool' --help | grep -q 'Crée le QR-Code'"
e2e_summary
