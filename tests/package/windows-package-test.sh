#!/usr/bin/env bash
# The Windows installer under Wine, in a prefix of its own: a silent install under Program Files
# with its Start-menu entry, the installed tool's command line (its code read back), its working
# files in %LOCALAPPDATA%, then a silent uninstall that leaves nothing but the person's data.
# Usage: tests/package/windows-package-test.sh BUILD_DIR
set -uo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
. "$(dirname "$0")/../../scripts/e2e-lib.sh"
e2e_begin
e2e_temp_dir prefix || exit 1
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
setup=$(ls "$build"/lumo-razazu-*-win64-setup.exe 2>/dev/null | head -n 1)
e2e_require "the installer was built" [ -f "$setup" ]
# Wine's desktop takes the display it starts on: no window can be made when it starts without.
e2e_start_xvfb || exit 1
"$wine" wineboot -i >/dev/null 2>&1
trap '/usr/lib/wine/wineserver -k 2>/dev/null; e2e_cleanup' EXIT

c=$prefix/drive_c
app="$c/Program Files/Lumo-RAZazu"
data=$(ls -d "$c"/users/*/AppData/Local 2>/dev/null | head -n 1)/Lumo-RAZazu
menu=$(ls -d "$c"/ProgramData/Microsoft/Windows/"Start Menu"/Programs 2>/dev/null | head -n 1)

# The installer returns before its work when started from a console: wait for the files.
"$wine" "$setup" /S >/dev/null 2>&1
e2e_require "installed under Program Files" e2e_wait_for 120 test -f "$app/Uninstall.exe"
e2e_check "the program, its two libraries and Qt beside it" bash -c \
  "cd '$app' && test -f lumo-razazu.exe -a -f QRCodeLib.dll -a -f Lumo_Image_BmpJpg.dll -a -f Qt6Widgets.dll -a -f platforms/qwindows.dll"
e2e_check "a French Start-menu entry and its uninstaller" bash -c \
  "test -f '$menu/Lumo-RAZazu/Lumo-RAZazu.lnk' -a -f '$menu/Lumo-RAZazu/Désinstaller Lumo-RAZazu.lnk'"

link="https://www.exemple.fr/installé?n=1"
e2e_temp_dir out || exit 1
(cd "$out" && "$wine" "$app/lumo-razazu.exe" -o x.png "$link") >/dev/null 2>&1
e2e_check "the installed command line writes the code" e2e_decodes "$out/x.png" "$link"
# The window on a link, its code created: the working file goes to the user's folder, not the
# program's.
"$wine" "$app/lumo-razazu.exe" "$link" >/dev/null 2>&1 &
tool=$!
E2E_PIDS+=("$tool")
E2E_WIN=$(e2e_window "Lumo-RAZazu") && e2e_click create
e2e_check "the window's working file lands in %LOCALAPPDATA%\\Lumo-RAZazu" \
  e2e_wait_for 60 e2e_decodes "$data/QRCODE.bmp" "$link"
e2e_check "none in the program's folder" test ! -e "$app/QRCODE.bmp"
kill "$tool" 2>/dev/null; wait "$tool" 2>/dev/null

"$wine" "$app/Uninstall.exe" /S >/dev/null 2>&1
# The uninstaller runs on from a copy of itself after the console's call returns: wait for every
# program of the prefix to end.
timeout 120 /usr/lib/wine/wineserver -w
e2e_check "uninstalled: the program's folder is gone" test ! -e "$app"
e2e_check "uninstalled: the Start-menu entry is gone" test ! -e "$menu/Lumo-RAZazu"
left=$(find "$c" -ipath '*lumo-razazu*' ! -path "$data" ! -path "$data/*" | head -n 5)
e2e_check "uninstalled: nothing else of it on the disk" [ -z "$left" ] || echo "  left: $left"
e2e_check "uninstalled: its uninstall entry is gone" bash -c \
  "! '$wine' reg query 'HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumo-RAZazu' >/dev/null 2>&1"
e2e_check "the person's data stays" test -f "$data/QRCODE.bmp"
e2e_summary
