#!/usr/bin/env bash
# The installed tool's first run by an ordinary user, started as its menu entry starts it (by
# name, from PATH): a link typed and created, the About dialog opened and closed. Leaves in OUT_DIR
# the files the running tool had mapped (maps), for the dependency check done as root.
#   Usage: first-run.sh OUT_DIR
set -uo pipefail
out=$1
. "$(dirname "$0")/../../scripts/e2e-lib.sh"
data=${XDG_DATA_HOME:-$HOME/.local/share}/lumo-razazu
link="https://www.exemple.fr/paquet?installé=oui&n=$$"

e2e_setup
command -v lumo-razazu >/dev/null || { echo "lumo-razazu is not on PATH"; exit 1; }
E2E_TOOL=lumo-razazu
E2E_TOOL_LOG=$out/tool.log
e2e_start_tool
pid=$E2E_TOOL_PID
win=$E2E_WIN
e2e_check "the installed tool opens its window" [ -n "$win" ] || { e2e_summary; exit 1; }
# Docks match the running window to the menu entry by this class.
e2e_check "the window's class is the menu entry's StartupWMClass" \
  bash -c "xprop -id '$win' WM_CLASS | grep -q '\"lumo-razazu\", \"lumo-razazu\"\$'"

e2e_type_link "$win" "$link"
e2e_click create
e2e_check "the code is written to the user's data folder and reads back as the link" \
  e2e_wait_for 20 e2e_decodes "$data/QRCODE.bmp" "$link"

# The About dialog uses the remaining fonts; its files join the maps while it is open.
e2e_click about
about=$(e2e_window "A propos Lumo-RAZazu")
e2e_check "the About dialog opens" [ -n "$about" ]
awk '$6 ~ /^\// { print $6 }' "/proc/$pid/maps" | sort -u >"$out/maps"
[ -n "$about" ] && e2e_press "$about" Escape
e2e_check "the About dialog closes" e2e_wait_for 10 bash -c "! xdotool search --onlyvisible --name '^A propos Lumo-RAZazu\$'"

e2e_click quit
e2e_check "Quitter ends the program" e2e_wait_for 10 bash -c "! kill -0 $pid"
e2e_summary
