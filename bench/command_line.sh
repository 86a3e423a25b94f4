#!/usr/bin/env bash
# The command line against qrencode and zint, side by side under hyperfine: one PNG in one
# process, and 50 links in one --batch run against 5 separate qrencode runs. Prints each mean
# (wall clock, and CPU time: the machine may be shared) and the ratios.
set -euo pipefail
bin=$(cd "$1" && pwd)
runs=${RUNS:-30}
for tool in hyperfine qrencode zint; do
  command -v $tool >/dev/null || { echo "command line: $tool missing (scripts/install-deps bench)"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
link="https://www.exemple.fr/produit/42?ref=lien-42"
for i in $(seq 1 50); do echo "https://www.exemple.fr/produit/$i?ref=lien-$i"; done >"$work/links.txt"
fresh="bash -c 'rm -rf $work/out; mkdir $work/out'"

hyperfine -N --style none --warmup 3 --runs "$runs" --export-json "$work/times.json" --prepare "$fresh" \
  -n lumo-one "$bin/lumo-razazu -o $work/out/one.png $link" \
  -n qrencode-one "qrencode -o $work/out/one.png $link" \
  -n zint-one "zint -b 58 --filetype=png -o $work/out/one.png -d $link" \
  -n lumo-batch50 "$bin/lumo-razazu --batch $work/links.txt -o $work/out/{n}.png" \
  -n zint-batch50 "zint --batch -b 58 --filetype=png -i $work/links.txt -o $work/out/~~.png" >/dev/null

python3 - "$work/times.json" <<'PY'
import json, sys
runs = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
wall = {n: r["mean"] * 1000 for n, r in runs.items()}
cpu = {n: (r["user"] + r["system"]) * 1000 for n, r in runs.items()}
for name in runs:
    print(f"{name:14} {wall[name]:8.2f} ms wall {cpu[name]:8.2f} ms CPU")
for label, times in (("wall", wall), ("CPU", cpu)):
    print(f"-- ratios ({label})")
    print(f"one code, lumo / qrencode:              {times['lumo-one'] / times['qrencode-one']:.2f} (goal <= 1.5)")
    print(f"50 in a batch / 5 qrencode runs:        {times['lumo-batch50'] / (5 * times['qrencode-one']):.2f} (goal <= 1)")
    print(f"a code in a batch / one qrencode run:   {times['lumo-batch50'] / 50 / times['qrencode-one']:.3f} (goal <= 0.1)")
    print(f"a code in a batch, lumo / zint --batch: {times['lumo-batch50'] / times['zint-batch50']:.2f}")
PY
