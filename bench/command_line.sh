#!/usr/bin/env bash
# The command line against qrencode and zint, side by side under hyperfine: one PNG in one
# process, and 50 links in one --batch run against 5 separate qrencode runs. Prints each time
# (wall clock, and CPU time: the machine may be shared) and the ratios.
set -euo pipefail
bin=$(cd "$1" && pwd)
runs=${RUNS:-30}
for tool in hyperfine qrencode zint; do
  command -v $tool >/dev/null || { echo "command line: $tool missing (scripts/install-deps bench)"; exit 1; }
done
# Each set twice: in a folder on disk, where creating a file costs what this disk's file system
# makes it cost (here from well under 0.1 ms to 0.4 ms a file, varying over minutes: 50 new files
# then outweigh the codes), and in memory (/dev/shm), where what is left is the programs' own work.
disk=$(mktemp -d)
memory=$(mktemp -d -p /dev/shm 2>/dev/null || true)
trap 'rm -rf "$disk" ${memory:+"$memory"}' EXIT
link="https://www.exemple.fr/produit/42?ref=lien-42"

measure() {
  local work=$1
  for i in $(seq 1 50); do echo "https://www.exemple.fr/produit/$i?ref=lien-$i"; done >"$work/links.txt"
  local fresh="bash -c 'rm -rf $work/out; mkdir $work/out'"
  hyperfine -N --style none --warmup 3 --runs "$runs" --export-csv "$work/times.csv" --prepare "$fresh" \
    -n lumo-one "$bin/lumo-razazu -o $work/out/one.png $link" \
    -n qrencode-one "qrencode -o $work/out/one.png $link" \
    -n zint-one "zint -b 58 --filetype=png -o $work/out/one.png -d $link" \
    -n lumo-batch50 "$bin/lumo-razazu --batch $work/links.txt -o $work/out/{n}.png" \
    -n zint-batch50 "zint --batch -b 58 --filetype=png -i $work/links.txt -o $work/out/~~.png" >/dev/null 2>&1

  # command,mean,stddev,median,user,system,min,max: seconds. Wall time is the median: a run the
  # machine delays now and then moves the mean.
  awk -F, 'NR > 1 { wall[$1] = $4 * 1000; cpu[$1] = ($5 + $6) * 1000; names[++n] = $1 }
  END {
    for (i = 1; i <= n; i++) printf "%-14s %8.2f ms wall %8.2f ms CPU\n", names[i], wall[names[i]], cpu[names[i]]
    ratios("wall", wall); ratios("CPU", cpu)
  }
  function ratios(label, t) {
    printf "-- ratios (%s)\n", label
    printf "one code, lumo / qrencode:              %.2f (goal <= 1.5)\n", t["lumo-one"] / t["qrencode-one"]
    printf "50 in a batch / 5 qrencode runs:        %.2f (goal <= 1)\n", t["lumo-batch50"] / (5 * t["qrencode-one"])
    printf "a code in a batch / one qrencode run:   %.3f (goal <= 0.1)\n", t["lumo-batch50"] / 50 / t["qrencode-one"]
    printf "each code past the first / qrencode:    %.3f (start-up left out)\n", (t["lumo-batch50"] - t["lumo-one"]) / 49 / t["qrencode-one"]
    printf "a code in a batch, lumo / zint --batch: %.2f\n", t["lumo-batch50"] / t["zint-batch50"]
  }' "$work/times.csv"
}

echo "== files on disk ($disk)"
measure "$disk"
if [ -n "$memory" ]; then
  echo "== files in memory ($memory)"
  measure "$memory"
fi
