#!/usr/bin/env bash
# The installed tool's first run by an ordinary user, started as its menu entry starts it (by
# name, from PATH): a link typed and created, the About dialog opened and closed. Leaves in OUT_DIR
# the files the running tool had mapped (maps), for the dependency check done as root.
#   Usage: first-run.sh OUT_DIR
set -uo pipefail
out=$1
. "$(dirname "$0")/../../scripts/e2e-lib.sh"
e2e_begin
data=${XDG_DATA_HOME:-$HOME/.local/share}/lumo-razazu
link="https://www.exemple.fr/paquet?installé=oui&n=$$"

e2e_start_xvfb || exit 1
command -v lumo-razazu >/dev/null || { echo "lumo-razazu is not on PATH"; exit 1; }
lumo-razazu >"$out/tool.log" 2>&1 &
pid=$!
E2E_PIDS+=("$pid")
win=$(e2e_window "Lumo-RAZazu")
e2e_check "the installed tool opens its window" [ -n "$win" ] || { e2e_summary; exit 1; }
# Docks match the running window to the menu entry by this class.
e2e_check "the window's class is the menu entry's StartupWMClass" \
  bash -c "xprop -id '$win' WM_CLASS | grep -q '\"lumo-razazu\", \"lumo-razazu\"\$'"

e2e_type_link "$win" "$link"
e2e_click "$win" $(e2e_twips_centre 3360 600 1695 495)
e2e_check "the code is written to the user's data folder and reads back as the link" \
  e2e_wait_for 20 e2e_decodes "$data/QRCODE.bmp" "$link"

# The About dialog uses the remaining fonts; its files join the maps while it is open.
e2e_click "$win" $(e2e_twips_centre 5280 120 495 375)
about=$(e2e_window "A propos Lumo-RAZazu")
e2e_check "the About dialog opens" [ -n "$about" ]
awk '$6 ~ /^\// { print $6 }' "/proc/$pid/maps" | sort -u >"$out/maps"
[ -n "$about" ] && e2e_press "$about" Escape
e2e_check "the About dialog closes" e2e_wait_for 10 bash -c "! xdotool search --onlyvisible --name '^A propos Lumo-RAZazu\$'"

e2e_click "$win" $(e2e_twips_centre 3360 3120 2415 495)
e2e_check "Quitter ends the program" e2e_wait_for 10 bash -c "! kill -0 $pid"
e2e_summary
