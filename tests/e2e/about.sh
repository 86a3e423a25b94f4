#!/usr/bin/env bash
# The About dialog in a real window: opened by the picture button, looked at, the details message,
# the system-information tool started from PATH (a stub) or reported missing, Esc, and a reopening.
# Usage: about.sh BIN_DIR OUT_DIR (the screenshots stay in OUT_DIR).
set -uo pipefail
bin=$1
. "$(dirname "$0")/../../scripts/e2e-lib.sh"
e2e_setup "$bin" --no-start
out=${2:-$E2E_WORK}
mkdir -p "$out"
rm -f "$out"/*.png

# Stand-ins for the system-information tool and the desktop's link opener, alone on the tool's PATH:
# each notes what it was given. Under Wine the tool is the program the registry names, planted
# with `reg add`; Wine's shell hands links to the xdg-open it finds on PATH, beside its own tools.
e2e_temp_dir stub || exit 1
marker=$stub/started
printf '#!/bin/sh\necho "$@" >> "%s"\n' "$stub/opened" >"$stub/xdg-open"
chmod +x "$stub/xdg-open"
tool_path=$stub
if [ -n "${E2E_WINDOWS:-}" ]; then
  sysinfo=$stub/msinfo32.bat
  win_marker="Z:${marker//\//\\}"
  printf '@if "%%~1"=="" (echo args:0> "%s") else (echo args:some> "%s")\r\n' "$win_marker" "$win_marker" >"$sysinfo"
  sysinfo_key='HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO'
  "${E2E_WINE:-/usr/lib/wine/wine64}" reg add "$sysinfo_key" /v PATH /d "Z:${sysinfo//\//\\}" /f >/dev/null 2>&1
  tool_path=$stub:/usr/bin:/bin
  # Wine's shell gives mail links to the first of its mailers found: xdg-email alone, or it would
  # try /usr/bin/open first, by its full path.
  cp "$stub/xdg-open" "$stub/xdg-email"
  "${E2E_WINE:-/usr/lib/wine/wine64}" reg add 'HKCU\Software\Wine\WineBrowser' /v Mailers /d xdg-email /f >/dev/null 2>&1
else
  sysinfo=$stub/hardinfo
  printf '#!/bin/sh\necho "args:$#" > "%s"\n' "$marker" >"$sysinfo"
  chmod +x "$sysinfo"
fi

e2e_start_tool PATH="$tool_path" || { e2e_no_window; exit 1; }
win=$E2E_WIN

# Windows titled Lumo-RAZazu besides the main one: the host's message boxes. The name search
# ignores case, and tooltips carry the program's name "lumo-razazu": compare exactly.
message_box() {
  local id
  for id in $(xdotool search --onlyvisible --name '^Lumo-RAZazu$'); do
    [ "$id" != "$win" ] && [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "Lumo-RAZazu" ] && echo "$id" && return 0
  done
  return 1
}
no_message_box() { ! message_box; }
visible() { xdotool search --onlyvisible --name "^$1\$" >/dev/null; }
gone() { ! visible "$1"; }
# import asks for a click when the window has gone: never let it wait.
shot() { timeout 20 import -window "$1" "$2" </dev/null; }
# Colour of one pixel of a picture, as ImageMagick writes it (e.g. srgb(0,255,0)).
pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }
# A region that is not one plain colour: something is drawn there.
drawn() { [ "$(convert "$1" -crop "$2" +repage -format '%k' info:)" -gt 1 ]; }
has_colour() { convert "$1" -crop "$2" +repage -fill black +opaque "$3" -fill white -opaque "$3" -format '%[fx:maxima.r]' info: | grep -q '^1'; }

e2e_click about
dialog=$(e2e_window "A propos Lumo-RAZazu")
e2e_check "the picture button opens 'A propos Lumo-RAZazu'" [ -n "$dialog" ] || exit 1
shot=$out/about.png
# The dialog paints after it maps, slowly under the sanitizers: wait until its last parts show.
painted() { shot "$dialog" "$shot" && drawn "$shot" 100x44+96+160 && has_colour "$shot" 200x40+48+88 "rgb(192,255,255)"; }
e2e_wait_for 20 painted || shot "$dialog" "$shot"
e2e_check "dialog is 382 x 217" [ "$(identify -format '%wx%h' "$shot")" = "382x217" ]
e2e_check "black ground" [ "$(pixel "$shot" 4 4)" = "srgb(0,0,0)" ]
e2e_check "white line then grey line" [ "$(pixel "$shot" 5 80)/$(pixel "$shot" 5 81)" = "srgb(255,255,255)/srgb(128,128,128)" ]
e2e_check "icon drawn" drawn "$shot" 48x48+8+16
e2e_check "donation picture drawn" drawn "$shot" 100x44+96+160
e2e_check "green title" has_colour "$shot" 259x16+72+8 "rgb(0,255,0)"
e2e_check "light cyan links" has_colour "$shot" 200x40+48+88 "rgb(192,255,255)"

e2e_click "$dialog" details
details=$(e2e_window "A propos")
e2e_check "Détails... shows the message 'A propos'" [ -n "$details" ]
[ -n "$details" ] && shot "$details" "$out/details.png"
e2e_press "$details" Return
e2e_check "the message closes" e2e_wait_for 10 gone "A propos"
e2e_check "the dialog stays" visible "A propos Lumo-RAZazu"

# The links go to the desktop's opener; the dialog stays.
e2e_click "$dialog" url
e2e_check "URL label opens the web site" e2e_wait_for 20 grep -q '^https://' "$stub/opened"
e2e_click "$dialog" donation
e2e_check "donation picture opens the donation page" e2e_wait_for 20 grep -q '/Don/Don.htm$' "$stub/opened"
e2e_click "$dialog" email
e2e_check "E-Mail label opens a new mail" e2e_wait_for 20 grep -q '^mailto:.*@' "$stub/opened"

e2e_click "$dialog" sysinfo
e2e_check "Système Info starts the tool found on PATH or in the registry" e2e_wait_for 20 test -s "$marker"
# (A Windows batch file ends its line with CR LF.)
e2e_check "by its path alone, with no arguments" bash -c "tr -d '\r' <'$marker' | grep -qx 'args:0'"

# Without it: the message, under the host's default title, and the dialog goes on.
if [ -n "${E2E_WINDOWS:-}" ]; then rm "$sysinfo"; else chmod -x "$sysinfo"; fi
rm -f "$marker"
e2e_click "$dialog" sysinfo
e2e_check "no tool: a message box" e2e_wait_for 20 message_box
missing=$(message_box)
[ -n "$missing" ] && shot "$missing" "$out/missing.png"
e2e_press "$missing" Return
e2e_check "no tool: the message closes" e2e_wait_for 10 no_message_box
e2e_check "no tool: nothing started" [ ! -e "$marker" ]

e2e_press "$dialog" Escape
e2e_check "Esc closes the dialog" e2e_wait_for 10 gone "A propos Lumo-RAZazu"

e2e_click about
e2e_check "the dialog opens again" e2e_wait_for 20 visible "A propos Lumo-RAZazu"
again=$(e2e_window "A propos Lumo-RAZazu")
[ -n "$again" ] && e2e_press "$again" Escape
e2e_check "and closes again" e2e_wait_for 10 gone "A propos Lumo-RAZazu"

if [ -n "${E2E_WINDOWS:-}" ]; then
  for key in "$sysinfo_key" 'HKCU\Software\Wine\WineBrowser'; do
    "${E2E_WINE:-/usr/lib/wine/wine64}" reg delete "$key" /f >/dev/null 2>&1
  done
  e2e_skip "Système Info... under a 12-point desktop theme" "qt6ct is a Linux desktop's theme"
  e2e_summary; exit
fi
# A desktop theme whose default font is larger (qt6ct at 12 points, the tool started anew): the
# caption of "Système Info..." shows whole, clear of the button's edges.
kill "$E2E_TOOL_PID" 2>/dev/null
wait "$E2E_TOOL_PID" 2>/dev/null
mkdir -p "$stub/config/qt6ct"
printf '%s\n' '[Appearance]' 'style=Fusion' '[Fonts]' \
  'general="DejaVu Sans,12,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"' \
  'fixed="DejaVu Sans Mono,12,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"' >"$stub/config/qt6ct/qt6ct.conf"
E2E_TOOL_LOG=$E2E_WORK/themed.log
e2e_start_tool PATH="$stub" QT_QPA_PLATFORMTHEME=qt6ct XDG_CONFIG_HOME="$stub/config" \
  QT_LOGGING_RULES='qt6ct.debug=true' || { echo "no window under qt6ct"; exit 1; }
e2e_check "the desktop theme is in use" grep -q 'using qt6ct plugin' "$E2E_TOOL_LOG"
e2e_click about
themed=$(e2e_window "A propos Lumo-RAZazu")
e2e_check "the dialog opens under the larger font" [ -n "$themed" ]
# The caption's dark pixels inside the button's frame: clear of its edges when it shows whole.
caption_clear() {
  shot "$themed" "$out/themed.png" &&
    convert "$out/themed.png" -crop 95x19+266+178 +repage -threshold 40% -format '%@\n' info: >"$out/box" &&
    awk -F'[x+]' '{ exit !($1 < 95 && $3 >= 1 && $3 + $1 <= 94 && $4 >= 1 && $4 + $2 <= 18) }' "$out/box"
}
e2e_check "Système Info... shows whole under a 12-point default font" e2e_wait_for 20 caption_clear
echo "its caption's box within the button (95x19): $(cat "$out/box")"
e2e_press "$themed" Escape

e2e_summary
