#!/usr/bin/env bash
# The .deb as a Debian user meets it: its fields and files, installed with apt-get, then the
# installed tool driven in real windows by an ordinary user (not root), so that it loads its
# libraries from /usr/lib/lumo-razazu and writes its working files to that user's data folder,
# never to /usr/bin. Purges the package at the end (LUMO_PACKAGE_KEEP=1 leaves it installed).
# Runs as root: it installs a package and makes the user lumo-tester when missing.
#   Usage: tests/package/package-test.sh BUILD_DIR   (the .deb there, the test helpers in BUILD_DIR/bin)
set -uo pipefail
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/scripts/e2e-lib.sh"
[ "$(id -u)" -eq 0 ] || { echo "package-test: run as root (apt-get install, useradd)"; exit 2; }
export DEBIAN_FRONTEND=noninteractive

user=lumo-tester
# The real-window suites that can run against an installed tool (they find its working files
# through the links e2e_install_tool makes). Suites that tamper with the libraries beside the
# tool cannot, and are not listed.
suites=(create copy save about print print_faults command_line)

e2e_begin
e2e_temp_dir work || exit 1
chmod 755 "$work"


# ---- The package file ----
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$build/lumo-razazu_${version}_$(dpkg --print-architecture).deb
e2e_require "the package $(basename "$deb") is built" test -s "$deb"
field() { dpkg-deb -f "$deb" "$1"; }
e2e_check "Package, Version, Section" [ "$(field Package) $(field Version) $(field Section)" = "lumo-razazu $version graphics" ]
echo "Depends: $(field Depends)"
field Depends | tr ',|' '\n\n' | sed 's/^ *//; s/ .*//' >"$work/depends"
# What dpkg-shlibdeps found, and what Qt and the interface load at run time beyond its sight.
for dep in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqrencode4 \
  libturbojpeg0 qt6-qpa-plugins qt6-translations-l10n fonts-wine fonts-comic-neue; do
  e2e_check "depends on $dep" grep -qxF "$dep" "$work/depends"
done

icons=(16 22 24 32 48 64 128 256)
libs=(usr/lib/lumo-razazu/libLumo_Image_BmpJpg.so usr/lib/lumo-razazu/libLumoPrinting.so usr/lib/lumo-razazu/libLumoWindow.so usr/lib/lumo-razazu/libQRCodeLib.so)
expected=(usr/bin/lumo-razazu "${libs[@]}"
  usr/share/applications/lumo-razazu.desktop usr/share/metainfo/fr.orbane_logiciels.lumo_razazu.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/lumo-razazu.svg usr/share/man/man1/lumo-razazu.1.gz
  usr/share/doc/lumo-razazu/copyright usr/share/doc/lumo-razazu/changelog.gz)
for s in "${icons[@]}"; do expected+=("usr/share/icons/hicolor/${s}x$s/apps/lumo-razazu.png"); done
dpkg-deb -c "$deb" | awk '/^-/ { sub(/^\.\//, "", $6); print $6 }' | sort >"$work/files"
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
e2e_check "the package holds exactly the tool, its libraries, the menu entry, icons, metadata and documents" \
  diff "$work/expected" "$work/files"

tree=$work/tree
dpkg-deb -x "$deb" "$tree"
for f in usr/bin/lumo-razazu "${libs[@]}"; do
  e2e_check "$f: no RPATH or RUNPATH" bash -c "! readelf -d '$tree/$f' | grep -qE 'RPATH|RUNPATH'"
  e2e_check "$f: stripped" bash -c "file -b '$tree/$f' | grep -q ', stripped'"
done
desktop=$tree/usr/share/applications/lumo-razazu.desktop
e2e_check "desktop-file-validate accepts the menu entry" desktop-file-validate --no-hints "$desktop"
entry() { sed -n "s/^$1=//p" "$desktop"; }
read -r program field_code <<<"$(entry Exec)"
e2e_check "the menu entry starts the program the package puts on PATH" test -x "$tree/usr/bin/$program"
# A link opened with the program, or dropped on its entry, reaches its field.
e2e_check "the menu entry hands the program one link (%u)" [ "$field_code" = "%u" ]
e2e_check "the menu entry's icon is in every size" bash -c "ls '$tree'/usr/share/icons/hicolor/*/apps/$(entry Icon).png | wc -l | grep -qx ${#icons[@]}"
for s in "${icons[@]}"; do
  e2e_check "the ${s}x$s icon is $s x $s" \
    [ "$(identify -format '%wx%h' "$tree/usr/share/icons/hicolor/${s}x$s/apps/lumo-razazu.png")" = "${s}x$s" ]
done
# The icons are committed; they must still be what the script makes. The rounded corners'
# anti-aliasing varies a little between machines: a quarter of the range is let go, a module never.
"$root/packaging/make-icons.sh" "$work/icons" >/dev/null
for s in "${icons[@]}"; do
  e2e_check "the ${s}x$s icon is the application icon scaled (packaging/make-icons.sh)" bash -c \
    "[ \"\$(compare -metric AE -fuzz 25% '$work/icons/lumo-razazu-$s.png' '$tree/usr/share/icons/hicolor/${s}x$s/apps/lumo-razazu.png' null: 2>&1)\" = 0 ]"
done

# ---- Installed with apt-get ----
# apt-get keeps an installed package of the same version, whatever the file holds now.
dpkg-query -W lumo-razazu >/dev/null 2>&1 && apt-get purge -y -q lumo-razazu >/dev/null
# apt's download user reads the file from a folder of its own.
cp "$deb" "$work/"
chmod 644 "$work/$(basename "$deb")"
e2e_require "apt-get installs the package" apt-get install -y -q "$work/$(basename "$deb")"
e2e_check "dpkg knows it as installed" bash -c "dpkg-query -W -f='\${Status}' lumo-razazu | grep -qx 'install ok installed'"
e2e_check "the installed tool and libraries find every library they link" \
  bash -c "! ldd /usr/bin/lumo-razazu /usr/lib/lumo-razazu/*.so | grep -q 'not found'"

# ---- An ordinary user ----
id "$user" >/dev/null 2>&1 || useradd -m "$user"
home=$(getent passwd "$user" | cut -d: -f6)
data=$home/.local/share/lumo-razazu
rm -rf "$data"
touch "$work/start"
# A clean environment, as a login would give; sbin only because the print suite's queue script
# looks for lpadmin (it finds the queue made and changes nothing).
as_user() {
  runuser -u "$user" -- env -i HOME="$home" USER="$user" LOGNAME="$user" LANG=C.UTF-8 \
    PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin LUMO_E2E_INSTALLED=/usr/bin/lumo-razazu "$@"
}
# run_counted NAME SCRIPT ARGS...: a script that ends with "N passed, M failed", run as the user;
# its counts join ours (one failure when it ends without them).
run_counted() {
  local name=$1 log=$work/$1.log line p f; shift
  echo "== $name"
  (cd "$home" && as_user timeout 600 bash "$@") 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  line=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    read -r p _ f _ <<<"$line"
    E2E_PASSED=$((E2E_PASSED + p)); E2E_FAILED=$((E2E_FAILED + f))
    [ "$rc" -eq 0 ] || [ "$f" -gt 0 ] || e2e_check "$name ends well (exit $rc)" false
  else
    e2e_check "$name ends with its counts (exit $rc)" false
  fi
}

# The user runs the scripts and test helpers from a copy that everyone can read: the clone may
# sit in a folder only root can enter (root's home, as in CI).
e2e_temp_dir stage || exit 1
mkdir -p "$stage/tests" "$stage/build"
cp -a "$root/scripts" "$stage/"
cp -a "$root/tests/e2e" "$root/tests/package" "$stage/tests/"
cp -a "$build/bin" "$stage/build/"
chmod -R a+rX "$stage"

mkdir "$work/first-run"
chown "$user" "$work/first-run"
run_counted first-run "$stage/tests/package/first-run.sh" "$work/first-run"

# Every package whose files the running tool had mapped (Qt's plugins, the translation, the
# fonts) must come with lumo-razazu's dependencies, not just happen to be on this machine.
# Allowed besides: essential packages (always there), and what Qt's xcb plugin loads only when it
# finds it (libXcursor for cursor themes, which brings libXrender).
optional=(libxcursor1 libxrender1)
apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances lumo-razazu |
  sed -nE 's/^ *\|?(Pre)?Depends: <?([^>:]+).*/\2/p; s/^([^ <:]+).*/\1/p' | sort -u >"$work/closure"
owners() { dpkg-query -S "$1" 2>/dev/null | grep -v '^diversion' | head -n 1 | sed 's/: \/.*//; s/:[a-z0-9]*//g; s/,//g'; }
unpulled=()
while read -r file; do
  # Merged /usr: dpkg may know a library under /lib.
  owners=$(owners "$file")
  [ -n "$owners" ] || owners=$(owners "${file#/usr}")
  [ -n "$owners" ] || continue # made on this machine (caches), nobody's package
  found=0
  for o in $owners; do
    grep -qx "$o" "$work/closure" && found=1
    [[ " ${optional[*]} " == *" $o "* ]] && found=1
    [ "$(dpkg-query -W -f='${Essential}' "$o" 2>/dev/null)" = yes ] && found=1
  done
  [ $found -eq 1 ] || unpulled+=("$owners ($file)")
done < <(grep -vE '^/(home|tmp|run|dev|proc|memfd)' "$work/first-run/maps" 2>/dev/null)
e2e_check "the $(wc -l <"$work/first-run/maps" 2>/dev/null || echo 0) files the running tool maps are its dependencies" \
  [ -s "$work/first-run/maps" ] && [ ${#unpulled[@]} -eq 0 ]
[ ${#unpulled[@]} -eq 0 ] || printf '  not pulled in by Depends: %s\n' "${unpulled[@]}"

# The print suites' queues need root to be made; the user then prints to them.
"$root/scripts/cups-pdf-queue" >/dev/null || echo "package-test: no print queue"
"$root/scripts/cups-pdf-queue" QR_REFUSE --refusing >/dev/null || echo "package-test: no refusing queue"
# A real-window script that fails is run once more before it counts, as make test does; both
# runs are shown.
for s in "${suites[@]}"; do
  [ -f "$stage/tests/e2e/$s.sh" ] || continue
  passed=$E2E_PASSED failed=$E2E_FAILED
  run_counted "e2e $s" "$stage/tests/e2e/$s.sh" "$stage/build/bin"
  if [ "$E2E_FAILED" -gt "$failed" ]; then
    E2E_PASSED=$passed E2E_FAILED=$failed
    run_counted "e2e $s, once more" "$stage/tests/e2e/$s.sh" "$stage/build/bin"
  fi
done

# Root can write /usr/bin; the installed tool keeps its working files in root's data folder even so.
root_data=${XDG_DATA_HOME:-$HOME/.local/share}/lumo-razazu
rm -f "$root_data/QRCODE.bmp"
echo "== e2e create, as root"
LUMO_E2E_INSTALLED=/usr/bin/lumo-razazu timeout 600 bash "$stage/tests/e2e/create.sh" "$stage/build/bin" \
  >"$work/root-create.log" 2>&1
e2e_check "run by root, QRCODE.bmp is in $root_data" test -s "$root_data/QRCODE.bmp"

# ---- Where the files went ----
e2e_check "QRCODE.bmp is in $data" test -s "$data/QRCODE.bmp"
e2e_check "and belongs to $user" [ "$(stat -c %U "$data/QRCODE.bmp" 2>/dev/null)" = "$user" ]
e2e_check "no Temp.bmp left in $data" [ ! -e "$data/Temp.bmp" ]
written=$(find /usr/bin /usr/lib/lumo-razazu -newer "$work/start" -user "$user" 2>/dev/null)
e2e_check "nothing written by $user to /usr/bin or /usr/lib/lumo-razazu" [ -z "$written" ]
e2e_check "no working file in /usr/bin" bash -c "! ls -A /usr/bin | grep -qE '^(QRCODE\.bmp|Temp\.bmp|\.lumo-probe-|tool\.log)'"
e2e_check "/usr/lib/lumo-razazu holds the three libraries only" \
  [ "$(ls -A /usr/lib/lumo-razazu | LC_ALL=C sort | tr '\n' ' ')" = "libLumoPrinting.so libLumoWindow.so libLumo_Image_BmpJpg.so libQRCodeLib.so " ]

# ---- Removed ----
if [ "${LUMO_PACKAGE_KEEP:-0}" = 1 ]; then
  echo "lumo-razazu stays installed (LUMO_PACKAGE_KEEP=1)"
else
  e2e_check "apt-get purges the package" apt-get purge -y -q lumo-razazu
  e2e_check "nothing of it is left" bash -c "[ ! -e /usr/bin/lumo-razazu ] && [ ! -e /usr/lib/lumo-razazu ] && [ ! -e /usr/share/applications/lumo-razazu.desktop ]"
fi
e2e_summary
