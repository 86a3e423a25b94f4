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

# e2e_shot WINDOW FILE: a PNG of the window as it is on screen.
e2e_shot() {
  import -window "$1" "$2"
}

# Centre, in window pixels, of a control of the main window given in twips (left top width height).
e2e_twips_centre() {
  echo $(( ($1 + $3 / 2) / 15 )) $(( ($2 + $4 / 2) / 15 ))
}
