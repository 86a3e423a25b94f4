# Helpers to drive the tool in a real X window, sourced by scripts/run-tool and tests/e2e.
# Every wait is for a condition, bounded in time; none is a bare sleep.

# Starts a private Xvfb and exports DISPLAY; stopped by e2e_cleanup.
e2e_start_xvfb() {
  local fifo dir
  dir=$(mktemp -d)
  fifo="$dir/displayfd"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
  E2E_XVFB_PID=$!
  local number
  read -r -t 20 number <"$fifo" || { echo "Xvfb did not start" >&2; return 1; }
  rm -rf "$dir"
  export DISPLAY=":$number"
  E2E_PIDS+=("$E2E_XVFB_PID")
}

E2E_PIDS=()

# e2e_begin: a script's processes (Xvfb, the tool, clipboard servers) are stopped however it
# ends, a ctest timeout included.
e2e_begin() {
  trap e2e_cleanup EXIT
  trap 'exit 1' TERM INT
}
e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
}

# e2e_wait_for SECONDS COMMAND...: runs COMMAND until it succeeds, at most SECONDS.
e2e_wait_for() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.05
  done
}

# e2e_window NAME: prints the id of the visible window whose whole name is NAME, waiting for it.
e2e_window() {
  local id
  id=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1) || return 1
  [ -n "$id" ] && echo "$id"
}

# e2e_click WINDOW X Y: a left click at (X, Y) inside the window.
e2e_click() {
  xdotool mousemove --sync --window "$1" "$2" "$3" click 1
}

# e2e_press WINDOW KEYS...: gives WINDOW the keyboard (there is no window manager) and presses
# KEYS on the XTEST keyboard, press and release alike. Use it for keys that close a window:
# `xdotool key --window` chooses XTEST or a synthetic event for each press and each release by
# which window has the focus, so a press that closes the window sends its release to a window
# that is gone; xdotool stops there, the key stays down and repeats into whatever opens next.
e2e_press() {
  local window=$1; shift
  timeout 5 xdotool windowfocus --sync "$window" 2>/dev/null && xdotool key "$@"
}

# e2e_shot WINDOW FILE: a PNG of the window as it is on screen.
e2e_shot() {
  import -window "$1" "$2"
}

# Centre, in window pixels, of a control of the main window given in twips (left top width height).
e2e_twips_centre() {
  echo $(( ($1 + $3 / 2) / 15 )) $(( ($2 + $4 / 2) / 15 ))
}

# e2e_install_tool BIN_DIR: copies the tool and its two libraries into a private folder, so that
# tests running side by side each have their own working files; prints the tool's path there.
# With LUMO_E2E_INSTALLED (e.g. /usr/bin/lumo-razazu) the installed tool is tested instead: the
# folder gets a link to it, which runs it from its real folder (libraries in ../lib/lumo-razazu,
# working files in the user's data folder), and links to those working files, so the scripts
# find them beside the tool as usual and remove only links when they clean up.
e2e_install_tool() {
  local dir
  dir=$(mktemp -d "${TMPDIR:-/tmp}/lumo-e2e.XXXXXX")
  if [ -n "${LUMO_E2E_INSTALLED:-}" ]; then
    local data=${XDG_DATA_HOME:-$HOME/.local/share}/lumo-razazu
    ln -s "$LUMO_E2E_INSTALLED" "$dir/lumo-razazu"
    ln -s "$data/QRCODE.bmp" "$dir/QRCODE.bmp"
    ln -s "$data/Temp.bmp" "$dir/Temp.bmp"
  else
    cp "$1/lumo-razazu" "$1/libQRCodeLib.so" "$1/libLumo_Image_BmpJpg.so" "$dir/"
  fi
  echo "$dir/lumo-razazu"
}

# e2e_start_tool TOOL: starts the tool on the current display and waits for its window; sets
# E2E_TOOL_PID and E2E_WIN (not to be called in a subshell).
e2e_start_tool() {
  "$1" >"$(dirname "$1")/tool.log" 2>&1 &
  E2E_TOOL_PID=$!
  E2E_PIDS+=("$E2E_TOOL_PID")
  E2E_WIN=$(e2e_window "Lumo-RAZazu")
}

# e2e_type_link WINDOW TEXT: replaces the link field's text by typing, as a person would. Keys
# for characters outside the keyboard map are remapped on the fly and can be lost while the
# tool catches up; the field is read back through the clipboard and typed again if it differs.
e2e_type_link() {
  local try
  for try in 1 2 3 4; do
    e2e_click "$1" $(e2e_twips_centre 720 120 3855 375)
    xdotool key --window "$1" ctrl+a BackSpace
    xdotool type --window "$1" --delay $((try * 15)) -- "$2"
    xdotool key --window "$1" ctrl+a ctrl+c
    if e2e_wait_for 3 e2e_clipboard_is "$2"; then
      xdotool key --window "$1" End
      return 0
    fi
  done
  echo "could not type: $2 (field holds: $(xclip -selection clipboard -o 2>/dev/null))" >&2
  return 1
}

e2e_clipboard_is() {
  [ "$(xclip -selection clipboard -o 2>/dev/null)" = "$1" ]
}

# e2e_decodes FILE TEXT: zbarimg reads exactly TEXT from the picture.
e2e_decodes() {
  local got
  got=$(zbarimg --nodbus -q "$1" 2>/dev/null) || return 1
  [ "$got" = "QR-Code:$2" ]
}

# e2e_preview WINDOW FILE: the main window's preview box, cut from a screenshot and enlarged
# without smoothing so that one-pixel modules read.
e2e_preview() {
  import -window "$1" "$2.window.png" &&
    convert "$2.window.png" -crop 201x201+10+42 +repage -filter point -resize 400% "$2"
}

E2E_PASSED=0
E2E_FAILED=0
# e2e_check NAME COMMAND...: one check, counted; the script ends with the counts.
e2e_check() {
  local name=$1; shift
  if "$@"; then E2E_PASSED=$((E2E_PASSED + 1)); echo "ok: $name"
  else E2E_FAILED=$((E2E_FAILED + 1)); echo "FAILED: $name"; fi
}
# e2e_require NAME COMMAND...: a check the rest cannot do without; the script ends when it fails.
e2e_require() {
  local name=$1; shift
  if "$@"; then e2e_check "$name" true; else e2e_check "$name" false; e2e_summary; exit 1; fi
}
e2e_summary() {
  echo "$E2E_PASSED passed, $E2E_FAILED failed"
  [ "$E2E_FAILED" -eq 0 ]
}
