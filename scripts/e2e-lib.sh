# Helpers to drive the tool in a real X window, sourced by scripts/run-tool and tests/e2e.
# Every wait is for a condition, bounded in time; none is a bare sleep.

E2E_PIDS=()
E2E_DIRS=()

# e2e_begin: a script's processes (Xvfb, the tool, clipboard servers) are stopped and its
# temporary folders removed however it ends, a failed check or a ctest timeout included.
e2e_begin() {
  E2E_SHELL=$BASHPID
  trap e2e_cleanup EXIT
  trap 'exit 1' TERM INT
}
e2e_cleanup() {
  # A background child killed between its fork and its exec still runs these traps: only the
  # script's own shell cleans up, or the child would remove the folders the script still uses.
  [ "${E2E_SHELL:-$BASHPID}" = "$BASHPID" ] || return 0
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  # Scripts may stand in a folder they remove.
  cd / && rm -rf "${E2E_DIRS[@]}"
}

# e2e_temp_dir VAR: makes a private folder, removed when the script ends, and sets VAR to its path
# (not to be called in a subshell, which would lose it from the list).
e2e_temp_dir() {
  # A name of its own: a local "dir" would hide the caller's.
  local e2e_new_dir
  e2e_new_dir=$(mktemp -d "${TMPDIR:-/tmp}/lumo-e2e.XXXXXX") || return 1
  E2E_DIRS+=("$e2e_new_dir")
  printf -v "$1" '%s' "$e2e_new_dir"
}

# Starts a private Xvfb and exports DISPLAY; stopped by e2e_cleanup. With E2E_SHARED_DISPLAY set,
# that display is used instead: Wine's desktop, and with it Wine's side of the X clipboard, stays on
# the display the prefix's first program started on (scripts/windows-test).
e2e_start_xvfb() {
  local fifo dir number
  if [ -n "${E2E_SHARED_DISPLAY:-}" ]; then export DISPLAY=$E2E_SHARED_DISPLAY; return 0; fi
  e2e_temp_dir dir || return 1
  fifo="$dir/displayfd"
  mkfifo "$fifo"
  # No autorepeat: under load a key held a moment past its press would repeat into the next window.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -ardelay 30000 -arinterval 30000 3>"$fifo" >/dev/null 2>&1 &
  E2E_XVFB_PID=$!
  E2E_PIDS+=("$E2E_XVFB_PID")
  read -r -t 20 number <"$fifo" || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$number"
}

# e2e_setup [BIN_DIR [--no-start]]: what every real-window script does first. Sets the cleanup,
# starts a private Xvfb, makes the scratch folder E2E_WORK, installs the tool from BIN_DIR
# (E2E_TOOL, in its folder E2E_APP) and starts it (E2E_TOOL_PID, E2E_WIN). With --no-start the
# script starts the tool itself; with no BIN_DIR nothing is installed either. Ends the script
# when any of it fails.
e2e_setup() {
  e2e_begin
  e2e_start_xvfb || exit 1
  e2e_temp_dir E2E_WORK || exit 1
  [ -n "${1:-}" ] || return 0
  e2e_install_tool "$1" || exit 1
  [ "${2:-}" = --no-start ] && return 0
  e2e_start_tool || { e2e_no_window; exit 1; }
}

# e2e_no_window: says that the tool's window did not come, with what the tool printed and the
# names of the windows on the display instead.
e2e_no_window() {
  echo "no window"
  tail -n 20 "${E2E_TOOL_LOG:-$(dirname "$E2E_TOOL")/tool.log}" 2>/dev/null | sed 's/^/  tool: /'
  xwininfo -root -children 2>/dev/null | grep -o '"[^"]*"' | sort | uniq -c | sed 's/^/  window: /'
  kill -0 "$E2E_TOOL_PID" 2>/dev/null && echo "  the tool is still running" || echo "  the tool has ended"
}

# e2e_wait_for SECONDS COMMAND...: runs COMMAND until it succeeds, at most SECONDS.
# Under the sanitizers on a busy machine the tool runs many times slower (a script that takes 7 s
# alone took 175 s in CI, a warning came after 20 s): every wait for a condition, and for a
# window, allows E2E_WAIT_SCALE times as long there. A wait that is met costs nothing more.
if [ -n "${ASAN_OPTIONS:-}" ]; then : "${E2E_WAIT_SCALE:=3}"; fi
e2e_wait_for() {
  local limit=$(($1 * ${E2E_WAIT_SCALE:-1})); shift
  local end=$((SECONDS + limit))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.05
  done
}

# e2e_wait_still WINDOW [SECONDS]: waits until the window's pixels stay the same for a moment, so
# keys meant for a state go after what the last keys started (a list refilled, a popup) is drawn.
e2e_wait_still() {
  local end=$((SECONDS + ${2:-10})) before now
  before=$(import -window "$1" rgb:- 2>/dev/null | md5sum)
  while [ $SECONDS -lt $end ]; do
    sleep 0.25
    now=$(import -window "$1" rgb:- 2>/dev/null | md5sum)
    [ "$now" = "$before" ] && return 0
    before=$now
  done
  return 1
}

# e2e_window NAME: prints the id of the visible window whose whole name is NAME, waiting for it
# (E2E_WINDOW_WAIT seconds, 20 unless set). A window that goes while xdotool looks at it (Wine
# maps and drops some as a program starts) makes xdotool fail: look again.
e2e_window() {
  local id end=$((SECONDS + ${E2E_WINDOW_WAIT:-20} * ${E2E_WAIT_SCALE:-1}))
  while [ $SECONDS -lt $end ]; do
    id=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && xwininfo -id "$id" >/dev/null 2>&1 && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Controls by name, in twips as the layout gives them (left top width height; 15 twips a pixel).
declare -gA E2E_CONTROLS=(
  # The main window.
  [link]="720 120 3855 375" [paste]="4680 120 495 375" [about]="5280 120 495 375"
  [create]="3360 600 1695 495" [reset]="5160 600 615 495" [save]="3360 1200 2415 375"
  [copy]="3360 1680 2415 735" [print]="3360 2520 2415 495" [quit]="3360 3120 2415 495"
  # The About dialog.
  [email]="720 1320 600 225" [url]="1080 1680 600 225" [donation]="1440 2400 1500 660"
  [details]="3960 2160 1455 375" [sysinfo]="3960 2640 1485 345"
)

# e2e_twips_centre LEFT TOP WIDTH HEIGHT: the centre, in window pixels, of a box given in twips.
e2e_twips_centre() {
  echo "$((($1 + $3 / 2) / 15)) $((($2 + $4 / 2) / 15))"
}

# e2e_centre CONTROL: the centre, in window pixels, of a control of the table, as "X Y".
e2e_centre() {
  local left top width height
  [ -n "${E2E_CONTROLS[$1]:-}" ] || { echo "e2e: no control named '$1'" >&2; return 1; }
  read -r left top width height <<<"${E2E_CONTROLS[$1]}"
  e2e_twips_centre "$left" "$top" "$width" "$height"
}

# e2e_click [WINDOW] CONTROL, or e2e_click WINDOW X Y: a left click on a control of the table
# (in the main window E2E_WIN when no window is given), or at (X, Y) inside the window.
e2e_click() {
  local window x y
  case $# in
    1) window=${E2E_WIN:-}; read -r x y < <(e2e_centre "$1") ;;
    2) window=$1; read -r x y < <(e2e_centre "$2") ;;
    *) window=$1 x=$2 y=$3 ;;
  esac
  [ -n "${x:-}" ] || return 1
  xdotool mousemove --sync --window "$window" "$x" "$y" click 1
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

# e2e_install_tool BIN_DIR: copies the tool and its two libraries into a private folder, so that
# tests running side by side each have their own working files; sets E2E_TOOL, the tool's path
# there, and E2E_APP, that folder (not to be called in a subshell).
# With LUMO_E2E_INSTALLED (e.g. /usr/bin/lumo-razazu) the installed tool is tested instead: the
# folder gets a link to it, which runs it from its real folder (libraries in ../lib/lumo-razazu,
# working files in the user's data folder), and links to those working files, so the scripts
# find them beside the tool as usual and only links are removed at the end.
e2e_install_tool() {
  e2e_temp_dir E2E_APP || return 1
  E2E_TOOL=$E2E_APP/lumo-razazu
  if [ -n "${LUMO_E2E_INSTALLED:-}" ]; then
    local data=${XDG_DATA_HOME:-$HOME/.local/share}/lumo-razazu
    ln -s "$LUMO_E2E_INSTALLED" "$E2E_TOOL"
    ln -s "$data/QRCODE.bmp" "$E2E_APP/QRCODE.bmp"
    ln -s "$data/Temp.bmp" "$E2E_APP/Temp.bmp"
  elif [ -f "$1/lumo-razazu.exe" ]; then
    e2e_install_windows_tool "$1"
  else
    cp "$1/lumo-razazu" "$1/libQRCodeLib.so" "$1/libLumo_Image_BmpJpg.so" "$1/libLumoPrinting.so" "$1/libLumoWindow.so" "$E2E_APP/"
  fi
}

# The Windows build (a folder with lumo-razazu.exe): the program's folder as the build gives it,
# and a lumo-razazu beside it that runs it under wine64 in the prefix WINEPREFIX. Sets
# E2E_WINDOWS, which the helpers read where Wine differs.
e2e_install_windows_tool() {
  E2E_WINDOWS=1
  cp -r "$1/lumo-razazu.exe" "$1"/*.dll "$1/qt.conf" "$1/platforms" "$1/styles" "$1/imageformats" \
    "$1/translations" "$E2E_APP/"
  printf '#!/bin/sh\nexec %s "%s" "$@"\n' "${E2E_WINE:-/usr/lib/wine/wine64}" "$E2E_APP/lumo-razazu.exe" >"$E2E_TOOL"
  chmod +x "$E2E_TOOL"
}

# e2e_start_tool [NAME=VALUE...]: starts E2E_TOOL on the current display, with those variables in
# its environment, and waits for its window; sets E2E_TOOL_PID and E2E_WIN (not to be called in a
# subshell). It starts in E2E_WORK, where its first save dialog opens, and writes its output to
# E2E_TOOL_LOG (tool.log beside the tool unless set).
e2e_start_tool() {
  local log=${E2E_TOOL_LOG:-$(dirname "$E2E_TOOL")/tool.log}
  # Settings of its own (Qt's file dialog keeps its state there): tests running side by side never
  # see each other's; a test may give XDG_CONFIG_HOME itself.
  local config
  config=$(dirname "$E2E_TOOL")/config
  mkdir -p "$config"
  (cd "${E2E_WORK:-.}" && exec env XDG_CONFIG_HOME="$config" "$@" "$E2E_TOOL") >"$log" 2>&1 &
  E2E_TOOL_PID=$!
  E2E_PIDS+=("$E2E_TOOL_PID")
  E2E_WIN=$(e2e_window "Lumo-RAZazu")
}

# e2e_map_keys TEXT: gives the characters of TEXT that no key produces keys of their own, on
# keycodes the keyboard map leaves empty, before anything is typed. Left to xdotool, such a
# character is typed by remapping one spare key for each in turn; a slow tool (sanitizers, a busy
# machine) reads a key press after the next remapping and loses it. Two empty keycodes stay
# empty for xdotool's own use; characters beyond what is left are remapped on the fly as before.
e2e_map_keys() {
  command -v xmodmap >/dev/null || return 0
  local codes cp args=() i=0
  # Once per display: later calls reuse the keycodes this one found empty.
  : "${E2E_MAPPED_KEYS:=$(xmodmap -pke | awk '$1 == "keycode" && $2 > 8 && NF == 3 { print $2 }' | tail -n +3)}"
  codes=($E2E_MAPPED_KEYS)
  for cp in $(printf %s "$1" | iconv -f UTF-8 -t UTF-32BE | od -An -v -tx4 --endian=big | tr -s ' ' '\n' | sort -u); do
    [ $((16#$cp)) -gt 126 ] || continue
    [ "$i" -lt "${#codes[@]}" ] || break
    args+=(-e "keycode ${codes[i]} = U$(printf %04X $((16#$cp)))")
    i=$((i + 1))
  done
  [ "${#args[@]}" -eq 0 ] || xmodmap "${args[@]}"
}

# e2e_type_link WINDOW TEXT: replaces the link field's text by typing, as a person would, on a
# keyboard map that has every character of TEXT (e2e_map_keys). The field is read back through
# the clipboard and typed again if it differs.
# Under Wine, typed keys lose Shift: the text is pasted from the X clipboard instead.
e2e_type_link() {
  local try
  [ -n "${E2E_WINDOWS:-}" ] || e2e_map_keys "$2"
  for try in 1 2 3 4; do
    e2e_click "$1" link
    xdotool key --window "$1" ctrl+a BackSpace
    if [ -n "${E2E_WINDOWS:-}" ]; then
      e2e_serve_clipboard "$2" && xdotool key --window "$1" ctrl+v
    else
      xdotool type --window "$1" --delay $((try * 15)) -- "$2"
    fi
    xdotool key --window "$1" ctrl+a ctrl+c
    if e2e_wait_for 3 e2e_clipboard_is "$2"; then
      xdotool key --window "$1" End
      return 0
    fi
  done
  echo "could not type: $2 (field holds: $(e2e_clipboard))" >&2
  return 1
}

# e2e_serve_clipboard TEXT: xclip owns the X clipboard with TEXT until another program takes it.
e2e_serve_clipboard() {
  printf '%s' "$1" | xclip -selection clipboard -quiet >/dev/null 2>&1 &
  E2E_PIDS+=($!)
  e2e_wait_for 10 e2e_clipboard_is "$1"
}

# e2e_clipboard [TYPE]: the clipboard's content (as TYPE when given). Bounded: xclip waits for an
# owner that answers, and a busy one would hold a wait far past its limit.
e2e_clipboard() {
  timeout 5 xclip -selection clipboard ${1:+-t "$1"} -o 2>/dev/null
}

e2e_clipboard_is() {
  [ "$(e2e_clipboard)" = "$1" ]
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

# e2e_on_windows BIN_DIR: the folder holds the Windows build, which the scripts run under Wine.
e2e_on_windows() { [ -f "$1/lumo-razazu.exe" ]; }

E2E_PASSED=0
E2E_FAILED=0
E2E_SKIPPED=0
# e2e_skip NAME WHY: a check this platform cannot show, counted apart, with the reason.
e2e_skip() {
  E2E_SKIPPED=$((E2E_SKIPPED + 1)); echo "skipped: $1 ($2)"
}
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
  local skipped=
  [ "$E2E_SKIPPED" -eq 0 ] || skipped=", $E2E_SKIPPED skipped"
  echo "$E2E_PASSED passed, $E2E_FAILED failed$skipped"
  [ "$E2E_FAILED" -eq 0 ]
}
