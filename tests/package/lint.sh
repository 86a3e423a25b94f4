#!/usr/bin/env bash
# The .deb as Debian's own checkers see it: lintian on the package, appstreamcli on its AppStream
# metadata and desktop-file-validate on its menu entry, both as the package holds them. Prints
# what they say; fails on any error or warning (lintian's info and pedantic notes do not count).
#   Usage: tests/package/lint.sh BUILD_DIR   (the .deb there)
set -uo pipefail
build=${1:?usage: $0 BUILD_DIR}
for tool in lintian appstreamcli desktop-file-validate dpkg-deb; do
  command -v "$tool" >/dev/null || { echo "lint: $tool is missing (scripts/install-deps package)"; exit 2; }
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$build/lumo-razazu_${version}_$(dpkg --print-architecture).deb
[ -s "$deb" ] || { echo "lint: no package $deb"; exit 2; }
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
failed=0

echo "== lintian $(basename "$deb")"
root=()
[ "$(id -u)" -ne 0 ] || root=(--allow-root)
lintian "${root[@]}" --info --display-info --pedantic --fail-on error,warning "$deb" || failed=1

shopt -s nullglob
metainfo=("$tree"/usr/share/metainfo/*.metainfo.xml)
desktop=("$tree"/usr/share/applications/*.desktop)
shopt -u nullglob
[ ${#metainfo[@]} -gt 0 ] || { echo "lint: the package holds no AppStream metadata"; failed=1; }
[ ${#desktop[@]} -gt 0 ] || { echo "lint: the package holds no menu entry"; failed=1; }
for f in "${metainfo[@]}"; do
  echo "== appstreamcli validate ${f#"$tree"}"
  out=$(appstreamcli validate --no-net --pedantic --explain --no-color "$f" 2>&1) || failed=1
  echo "$out"
  ! grep -qE '^[EW]: ' <<<"$out" || failed=1
done
for f in "${desktop[@]}"; do
  echo "== desktop-file-validate ${f#"$tree"}"
  out=$(cd "$tree" && desktop-file-validate "${f#"$tree"/}" 2>&1) || failed=1
  [ -z "$out" ] || echo "$out"
  ! grep -qE ': (error|warning): ' <<<"$out" || failed=1
done

[ $failed -eq 0 ] && echo "lint: no error, no warning" || echo "lint: FAILED"
exit $failed
