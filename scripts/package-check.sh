#!/usr/bin/env bash
# Builds the Debian package in build/ (after scripts/test.sh has built the tree), checks
# that it holds exactly the files of packaging/package-files.txt, installs it with apt-get,
# starts the installed /usr/bin/lorvant on a private Xvfb with a fresh HOME and closes it
# through its main window; then checks that its three files are in $HOME/.config/lorvant/
# and nothing was written under /usr, runs lorvant-demo the same way and checks that it left
# the user's files alone, runs the installed lorvant-cli against the installed emulator
# (register, receive) with the user's files, validates the desktop entry and the AppStream
# metadata, runs lintian, and removes the package. Needs root (apt-get). Any
# failure stops it with a message and a non-zero exit status.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=scripts/xvfb.sh
. "$root/scripts/xvfb.sh"
build="${LORVANT_BUILD_DIR:-$root/build}"
app_id=org.lorvant.Lorvant

fail() {
  echo "package check FAILED: $*" >&2
  exit 1
}
step() { echo "== $*"; }

[ "$(id -u)" -eq 0 ] || fail "needs root, for apt-get"
[ -x "$build/tests/x11_close_window" ] || fail "build the tree first (scripts/test.sh)"
# Another apt-get on the same machine waits for us, and we for it.
apt_get() { flock /tmp/lorvant-apt.lock env DEBIAN_FRONTEND=noninteractive apt-get "$@"; }

work="$(mktemp -d)"
xvfb_pid=""
emulator_pid=""
installed=""
cleanup() {
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  [ -z "$emulator_pid" ] || kill "$emulator_pid" 2>/dev/null || true
  if [ -n "$installed" ]; then apt_get remove --purge -y -q lorvant >/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

step "cpack -G DEB"
rm -f "$build"/lorvant_*.deb
(cd "$build" && cpack -G DEB >"$work/cpack.log") || { cat "$work/cpack.log" >&2; fail "cpack"; }
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
deb="$build/lorvant_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb; cpack wrote: $(ls "$build"/*.deb 2>/dev/null)"
echo "$deb"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for needed in libqt6widgets6 libqt6serialport6 libfontconfig1 libx11-6 libxtst6 \
  qt6-translations-l10n; do
  grep -qE "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed"
done
# The start loads neither Qt's SVG library (the pictures come rendered) nor Qt Network (the
# instance channel is a Unix socket of the program's own).
for unwanted in libqt6svg6 libqt6network6; do
  if grep -qE "(^|, )$unwanted( |,|$)" <<<"$depends"; then fail "Depends has $unwanted"; fi
done

step "the package's files"
# Every file the package installs, no more and no fewer (folders aside).
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print substr($6, 2)}' | sort >"$work/files"
if ! diff -u <(sort "$root/packaging/package-files.txt") "$work/files"; then
  fail "the package's files differ from packaging/package-files.txt (above)"
fi

step "lintian"
# Errors fail the check; the warnings left are explained in README.md.
lintian --fail-on error "$deb" | tee "$work/lintian"

step "apt-get install"
(cd "$build" && apt_get install -y -q "./$(basename "$deb")") >"$work/apt.log" ||
  { cat "$work/apt.log" >&2; fail "apt-get install"; }
installed=yes
for file in /usr/bin/lorvant /usr/bin/lorvant-cs1504-emulator /usr/bin/lorvant-demo \
  /usr/share/lorvant/sample-barcodes.txt /usr/share/applications/$app_id.desktop \
  /usr/share/metainfo/$app_id.metainfo.xml /usr/share/icons/hicolor/scalable/apps/$app_id.svg \
  /usr/bin/lorvant-cli /usr/share/man/man1/lorvant-cli.1.gz \
  /usr/share/bash-completion/completions/lorvant-cli \
  /usr/share/man/man1/lorvant.1.gz /usr/share/doc/lorvant/copyright; do
  [ -e "$file" ] || fail "$file is not installed"
done
for size in 48 64 128 256; do
  png="/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  # Width and height: two big-endian 32-bit numbers at byte 16 of a PNG.
  read -r w h < <(od -An -j16 -N8 -tu1 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$w $h" = "$size $size" ] || fail "$png is ${w}x$h"
done

step "validate the desktop entry and the AppStream metadata"
desktop-file-validate "/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml"

step "start the installed program on Xvfb with a fresh HOME"
start_xvfb "$work/xvfb.log" || fail "Xvfb did not start"

home="$work/home"
mkdir -m 700 "$home"
# A runtime folder of its own: the program runs once per user, and another Lorvant of this
# user (root) elsewhere on the machine would otherwise take its start for a second copy.
runtime="$work/runtime"
mkdir -m 700 "$runtime"
# Runs a command as a fresh user's session would, on our display, and closes it through its
# main window; the program's messages go to $work/<name>.log.
run_and_close() {
  local name="$1"
  shift
  env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$runtime" DISPLAY=":$display" \
    QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "$@" >"$work/$name.log" 2>&1 &
  local pid=$!
  local program_pid="$pid"
  if [ "$name" = lorvant-demo ]; then
    # The demo runs lorvant as its child.
    program_pid=""
    for _ in $(seq 100); do
      program_pid="$(pgrep -x -P "$pid" lorvant || true)"
      [ -z "$program_pid" ] || break
      sleep 0.1
    done
    [ -n "$program_pid" ] || { cat "$work/$name.log" >&2; fail "$name did not start lorvant"; }
  fi
  DISPLAY=":$display" "$build/tests/x11_close_window" "$program_pid" 30 | tee "$work/$name.closed" ||
    { cat "$work/$name.log" >&2; fail "$name: no main window to close"; }
  grep -q '^main window: ' "$work/$name.closed" || fail "$name: main window not closed"
  # A message at the end would wait for a user; give it 20 s.
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    cat "$work/$name.log" >&2
    fail "$name did not end after its main window was closed"
  fi
  local status=0
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || { cat "$work/$name.log" >&2; fail "$name ended with status $status"; }
}

stamp="$work/stamp"
touch "$stamp"
sleep 1
run_and_close lorvant /usr/bin/lorvant
for file in LVconfig.ini LVserial.dat Param.dat; do
  [ -f "$home/.config/lorvant/$file" ] || fail "$home/.config/lorvant/$file is missing"
done
ls -l "$home/.config/lorvant"
[ "$(stat -c %a "$home/.config/lorvant")" = 700 ] || fail "the settings folder is not the user's alone"
# No documents folder in a fresh home: the default data file is in the home folder.
grep -q "^PathAndName=$home/Data.txt"$'\r'"\$" "$home/.config/lorvant/LVconfig.ini" ||
  fail "default data file is not $home/Data.txt"
written="$(find /usr \( -newer "$stamp" -o -cnewer "$stamp" \) -print)"
[ -z "$written" ] || fail "written under /usr: $written"

step "lorvant-demo leaves the user's files alone"
cp -a "$home/.config/lorvant" "$work/before"
run_and_close lorvant-demo /usr/bin/lorvant-demo
grep -q "^lorvant-demo: CS1504 emulator with sample barcodes on /dev/pts/" "$work/lorvant-demo.log" ||
  { cat "$work/lorvant-demo.log" >&2; fail "lorvant-demo did not start the emulator"; }
diff -r "$work/before" "$home/.config/lorvant" || fail "lorvant-demo changed the user's files"
leftover="$(find /tmp -maxdepth 1 -name 'lorvant-demo.*' -newer "$stamp")"
[ -z "$leftover" ] || fail "lorvant-demo left $leftover"
for _ in $(seq 20); do
  pgrep -f '^/usr/bin/lorvant-cs1504-emulator ' >/dev/null || break
  sleep 0.1
done
pgrep -f '^/usr/bin/lorvant-cs1504-emulator ' >/dev/null && fail "lorvant-demo left its emulator running"
written="$(find /usr \( -newer "$stamp" -o -cnewer "$stamp" \) -print)"
[ -z "$written" ] || fail "written under /usr: $written"

step "lorvant-cli with the user's files"
/usr/bin/lorvant-cli --version | grep -qx 'lorvant-cli [0-9]*\.[0-9]*' ||
  fail "lorvant-cli --version says: $(/usr/bin/lorvant-cli --version 2>&1)"
/usr/bin/lorvant-cs1504-emulator --fast --data /usr/share/lorvant/sample-barcodes.txt \
  >"$work/emulator.out" 2>"$work/emulator.log" &
emulator_pid=$!
for _ in $(seq 50); do
  [ -s "$work/emulator.out" ] && break
  sleep 0.1
done
pty="$(head -n 1 "$work/emulator.out")"
cli() { env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 LORVANT_COM1="$pty" /usr/bin/lorvant-cli "$@"; }
cli register --id DEMO --name Probe >"$work/cli.out" 2>&1 || { cat "$work/cli.out" >&2; fail "lorvant-cli register"; }
grep -q ';DEMO;Probe'$'\r''$' "$home/.config/lorvant/LVserial.dat" ||
  fail "lorvant-cli did not register the scanner in $home/.config/lorvant/LVserial.dat"
barcodes="$(cli receive --json --no-erase | wc -l)"
[ "$barcodes" -eq "$(grep -c '^barcode ' /usr/share/lorvant/sample-barcodes.txt)" ] ||
  fail "lorvant-cli receive --json gave $barcodes lines"
# The reception is in the history, in the user's data folder.
[ -s "$home/.local/share/lorvant/history.sqlite" ] ||
  fail "no history in $home/.local/share/lorvant/"
[ "$(cli history --json | grep -c '"count":')" -eq 1 ] || fail "lorvant-cli history lists no reception"
kill "$emulator_pid"
wait "$emulator_pid" || true
emulator_pid=""
written="$(find /usr \( -newer "$stamp" -o -cnewer "$stamp" \) -print)"
[ -z "$written" ] || fail "written under /usr: $written"

step "remove the package"
apt_get remove --purge -y -q lorvant >/dev/null
installed=""
[ ! -e /usr/bin/lorvant ] || fail "/usr/bin/lorvant is still there"
echo "package check passed"
