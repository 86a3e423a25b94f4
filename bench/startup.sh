#!/usr/bin/env bash
# Start to window shown, and peak memory, of the tool and of a bare window of the same size and
# widget count, in one run on one private virtual display. Prints medians and ratios.
set -euo pipefail
bin=$1
runs=${RUNS:-15}
. "$(dirname "$0")/../scripts/e2e-lib.sh"
trap e2e_cleanup EXIT
e2e_start_xvfb

# measure PROGRAM NAME: prints "milliseconds-to-map peak-kilobytes" for one start.
measure() {
  local start end pid rss
  start=$(date +%s%N)
  "$1" >/dev/null 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --name "^$2\$" >/dev/null 2>&1; do sleep 0.002; done
  end=$(date +%s%N)
  rss=$(awk '/VmHWM/{print $2}' "/proc/$pid/status")
  kill "$pid"; wait "$pid" 2>/dev/null || true
  echo $(( (end - start) / 1000000 )) "$rss"
}
median() { sort -n | awk '{a[NR]=$1} END{print a[int((NR+1)/2)]}'; }

declare -A ms kb
for what in tool bare; do
  if [ $what = tool ]; then prog=$bin/lumo-razazu; name=Lumo-RAZazu; else prog=$bin/bare_window; name=Bare-Window; fi
  measure "$prog" "$name" >/dev/null # warm the caches
  : >/tmp/startup.$what
  for _ in $(seq "$runs"); do measure "$prog" "$name" >>/tmp/startup.$what; done
  ms[$what]=$(cut -d' ' -f1 /tmp/startup.$what | median)
  kb[$what]=$(cut -d' ' -f2 /tmp/startup.$what | median)
done
echo "start to window shown: tool ${ms[tool]} ms, bare window ${ms[bare]} ms, ratio $(awk "BEGIN{printf \"%.2f\", ${ms[tool]}/${ms[bare]}}")"
echo "peak memory: tool ${kb[tool]} kB, bare window ${kb[bare]} kB, ratio $(awk "BEGIN{printf \"%.2f\", ${kb[tool]}/${kb[bare]}}")"
