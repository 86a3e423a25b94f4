#!/usr/bin/env bash
# The command line, with no display at all: each format written reads back as the link (the SVG
# drawn by rsvg-convert), the text from standard input, every exit status, a file already at
# the target left intact by a failure, wrong lines refused in French, bytes kept as given,
# standard input bounded, and interrupted runs leaving nothing behind.
set -uo pipefail
bin=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/e2e-lib.sh"
e2e_begin
e2e_temp_dir work || exit 1
if [ -n "${LUMO_E2E_INSTALLED:-}" ]; then tool=$LUMO_E2E_INSTALLED; else tool=$(realpath "$bin/lumo-razazu"); fi
lumo() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$tool" "$@"; }
status_is() { local want=$1; shift; lumo "$@" >"$work/out" 2>"$work/err"; [ $? -eq "$want" ]; }
french_error() { [ -s "$work/err" ] && ! grep -qiE 'error|usage:' "$work/err"; }
# The Windows program under Wine: what differs is the temporary folder (the user's TMP and TEMP in
# Wine's registry, which Wine puts in the environment over the Unix one) and the line ends.
windows=
if e2e_on_windows "$bin"; then
  windows=1
  wine_reg() { "${E2E_WINE:-/usr/lib/wine/wine64}" reg "$@" >/dev/null 2>&1; }
fi
# temp_at DIR: the system's temporary folder for the runs that follow (in temp_env on Linux).
temp_at() {
  if [ -n "$windows" ]; then
    local v; for v in TMP TEMP; do wine_reg add 'HKCU\Environment' /v $v /d "$1" /f; done
    temp_env=()
  else
    temp_env=(TMPDIR="$1")
  fi
}
windows_path() { if [ -n "$windows" ]; then echo "Z:${1//\//\\}"; else echo "$1"; fi; }

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

e2e_check "--size, --ecc, --margin and colours: an SVG drawn by rsvg-convert reads back" bash -c \
  "env -u DISPLAY '$tool' -o '$work/look.svg' --size 40 --ecc H --margin 2 --foreground 1A237E --background FFF8E1 \
     '$link' 2>'$work/err' && grep -q 'width=\"40.000mm\"' '$work/look.svg' && grep -q 'moins de 4 modules' '$work/err' &&
   rsvg-convert -w 400 '$work/look.svg' -o '$work/look.png'"
e2e_check "colours: zbarimg reads the link" e2e_decodes "$work/look.png" "$link"
e2e_check "light on dark: usage error" status_is 2 -o "$work/u.png" --foreground FFFFFF --background 000000 "$link"
e2e_check "light on dark: in French" grep -q "modules foncés sur un fond clair" "$work/err"

# A batch: every good line written and read back, the bad one named with its number.
mkdir "$work/batch"
printf 'https://a.fr/1\r\n\na\377b\n%s\n' "$link" | lumo --batch - -o "$work/batch/{n}.png" 2>"$work/err"
e2e_check "--batch: status 1 for a bad line" [ $? -eq 1 ]
e2e_check "--batch: the bad line named" grep -q "^Ligne 3 : Le lien contient un caractère invalide" "$work/err"
e2e_check "--batch: line 1 read back" e2e_decodes "$work/batch/1.png" "https://a.fr/1"
e2e_check "--batch: line 4 read back" e2e_decodes "$work/batch/4.png" "$link"
e2e_check "--batch: nothing else" [ "$(ls -A "$work/batch" | tr '\n' ' ')" = "1.png 4.png " ]
printf '%s\n' https://b.fr/x "../.b" https://b.fr/x >"$work/list"
e2e_check "--batch {}: the same name twice, status 1" status_is 1 --batch "$work/list" -o "$work/batch/t-{}.svg"
e2e_check "--batch {}: safe names" [ -f "$work/batch/t-https:__b.fr_x.svg" ] && [ -f "$work/batch/t-___b.svg" ]

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
# Wrong lines, run from the work folder so that an option taken for a name would show there.
cd "$work" || exit 1
for line in "--ouptut x.png L" "--bogus x" "-q 50 x" "--out=x.png x" "-ox.png x" "--module 4 L" "a b"; do
  # shellcheck disable=SC2086 # the line's words are the arguments
  e2e_check "$line: status 2" status_is 2 $line
  e2e_check "$line: in French, pointing at --help" bash -c \
    "grep -q 'lumo-razazu --help' '$work/err' && ! grep -qiE 'error|unknown|display|usage:' '$work/err'"
done
e2e_check "wrong lines: nothing written" [ ! -e x.png ] && [ ! -e x.svg ] && [ ! -e .png ]

mkdir "$work/caf"$'\xe9'
latin1="$work/caf"$'\xe9/\xe9t\xe9.png'
if [ -n "$windows" ]; then
  # Windows hands a program its arguments as UTF-16: Wine has turned the bytes into text already.
  lumo -o "$work/ff.png" $'\xff\xfe' 2>/dev/null
  e2e_skip "arguments not UTF-8" "Wine passes \\xff\\xfe on as U+FFFD U+FFFD, read back as \
$(zbarimg --nodbus -q "$work/ff.png" 2>/dev/null | od -An -tx1 | tr -s ' \n' ' '); the name's bytes became: \
$(lumo -o "$latin1" "$link" 2>&1; cd "$work/caf"$'\xe9' && ls | od -An -c | tr -s ' \n' ' ')"
else
  e2e_check "a link not UTF-8: status 1" status_is 1 -o "$work/ff.png" $'\xff\xfe'
  e2e_check "a link not UTF-8: nothing written" [ ! -e "$work/ff.png" ]
  e2e_check "a name not UTF-8: written under its very bytes" status_is 0 -o "$latin1" "$link"
  e2e_check "a name not UTF-8: zbarimg reads the link" e2e_decodes "$latin1" "$link"
fi

# Within 300 MB (a sanitized build maps far more address space than it uses: time alone bounds it).
if [ -n "${ASAN_OPTIONS:-}" ]; then memory=; else memory="ulimit -v 300000;"; fi
if [ -n "$windows" ]; then
  memory=
  e2e_skip "endless standard input: memory bounded" "Wine alone reserves more: under ulimit -v 300000 \
$(bash -c 'ulimit -v 300000; "${E2E_WINE:-/usr/lib/wine/wine64}" cmd /c echo' 2>&1 | grep -m1 -o 'Assertion.*')"
fi
e2e_check "endless standard input: refused as too long, memory bounded" timeout 60 bash -c \
  "$memory yes | env -u DISPLAY '$tool' -o '$work/y.png' - 2>'$work/err'; [ \$? -eq 1 ] &&
   grep -q 'trop long' '$work/err' && [ ! -e '$work/y.png' ]"

# Interrupted at any moment, a run leaves the complete target or nothing: no working file, no lock.
e2e_temp_dir tmp || exit 1
e2e_temp_dir kills || exit 1
temp_at "$(windows_path "$tmp")"
{
  set -m # background runs get Ctrl-C's signal as a terminal's would
  for sig in TERM INT HUP; do
    for _ in 1 2 3 4 5 6 7 8; do
      env -u DISPLAY "${temp_env[@]}" "$tool" -o "$kills/k.png" "$link" &
      pid=$!
      sleep "0.0$((RANDOM % 5))"
      kill -s "$sig" "$pid"
      wait "$pid"
    done
  done
  set +m
} 2>/dev/null
# Windows: a process ended from outside (TERM and HUP under Wine) between its temporary's last byte
# and its move leaves that temporary whole; the folder's next write removes it.
[ -n "$windows" ] && lumo -o "$kills/k.png" "$link"
e2e_check "interrupted runs: nothing in TMPDIR" [ -z "$(ls -A "$tmp")" ]
e2e_check "interrupted runs: nothing beside the target" bash -c "[ -z \"\$(ls -A '$kills' | grep -vx k.png)\" ]"
e2e_check "interrupted runs: a target there is complete" bash -c \
  "[ ! -e '$kills/k.png' ] || zbarimg --nodbus -q '$kills/k.png' >/dev/null"
touch "$work/not-a-folder"
temp_at "$(windows_path "$work/not-a-folder")"
e2e_check "unusable temporary folder: written all the same" bash -c \
  "env -u DISPLAY ${temp_env[*]} '$tool' -o '$work/t.png' '$link' && [ -s '$work/t.png' ]"
[ -n "$windows" ] && for v in TMP TEMP; do
  wine_reg add 'HKCU\Environment' /v $v /t REG_EXPAND_SZ /d '%USERPROFILE%\Temp' /f
done

# A run without a window loads no Qt library; the window's module missing is said in French.
if [ -n "$windows" ]; then
  e2e_check "no Qt library linked" bash -c "! x86_64-w64-mingw32-objdump -p '$bin/lumo-razazu.exe' | grep -q 'DLL Name: Qt6'"
else
  e2e_check "no Qt library linked" bash -c "! ldd '$tool' 2>/dev/null | grep -q libQt"
fi
if [ -z "${LUMO_E2E_INSTALLED:-}" ] && [ -f "$(dirname "$tool")/libLumoWindow.so" ]; then
  alone=$(realpath "$work")/alone
  mkdir "$alone" && cp "$tool" "$alone/"
  e2e_check "window module missing: status 1, the file and its folders named" bash -c \
    "env -u DISPLAY '$alone/lumo-razazu' 2>'$work/err'; [ \$? -eq 1 ] &&
     grep -q 'Le fichier « libLumoWindow.so » manque ; il a été cherché dans : « $alone »' '$work/err'"
fi
# A console's text ends its lines with CR LF on Windows.
e2e_check "--version" bash -c "[ \"\$(env -u DISPLAY '$tool' --version)\" = 'lumo-razazu 1.0.0${windows:+$'\r'}' ]"
e2e_check "--help, in French" bash -c "env -u DISPLAY '$tool' --help | grep -q 'Crée le QR-Code'"
# Printed with no display: a page on a real CUPS-PDF queue, read back from the PDF; a queue that
# refuses the job gives status 1 and the spooler's reason in French.
export CUPS_SERVER=/run/cups/cups.sock
if [ -n "$windows" ]; then
  e2e_skip "--print" "under Wine the page goes through Wine's printer bridge, which the print script checks; a CUPS refusal does not come back through it"
elif pdf_folder=$("$root/scripts/cups-pdf-queue" QR_PDF) && "$root/scripts/cups-pdf-queue" QR_REFUSE --refusing >/dev/null; then
  printed="https://www.exemple.fr/imprimé?essai=$$-$RANDOM"
  find "$pdf_folder" -maxdepth 1 -name '*.pdf' | sort >"$work/pdfs-before"
  # The new PDF whose page reads as the link, once the job has left the queue.
  page_of_link() {
    [ -z "$(lpstat -o QR_PDF 2>/dev/null)" ] || return 1
    find "$pdf_folder" -maxdepth 1 -name '*.pdf' | sort | comm -13 "$work/pdfs-before" - | while read -r f; do
      pdftoppm -r 150 -gray -singlefile "$f" "$work/printed" 2>/dev/null && e2e_decodes "$work/printed.pgm" "$printed" && echo "$f"
    done | grep -q .
  }
  e2e_check "--print QR_PDF: status 0" status_is 0 --print QR_PDF --size 40 "$printed"
  e2e_check "--print QR_PDF: zbarimg reads the link on the page" e2e_wait_for 60 page_of_link
  e2e_check "--print to a refusing queue: status 1" status_is 1 --print QR_REFUSE "$printed"
  e2e_check "--print to a refusing queue: the spooler's reason in French" grep -q "n'a pas été accepté par « QR_REFUSE »" "$work/err"
else
  e2e_skip "--print" "no CUPS queue could be made here"
fi

e2e_summary
