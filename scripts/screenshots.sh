#!/usr/bin/env bash
# Writes PNG pictures of every window of the program, shown on a private Xvfb display.
#
#   scripts/screenshots.sh [program directory] [output directory]
#
# The program directory holds LVconfig.ini, LVserial.dat and Param.dat (missing files give
# the first-run defaults); it is copied first, so the files there are left as they are.
# Defaults: an empty program directory and screenshots/ in the source tree.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program_dir="${1:-}"
out_dir="$(realpath -m "${2:-$root/screenshots}")"
build_dir="${LORVANT_BUILD_DIR:-$root/build}"

# Builds the tool when needed; on a shared machine through its build lock.
[ -f "$build_dir/CMakeCache.txt" ] || cmake -S "$root" -B "$build_dir" >/dev/null
lock=()
[ -e /tmp/lorvant-build.lock ] && command -v flock >/dev/null && lock=(flock /tmp/lorvant-build.lock)
"${lock[@]}" cmake --build "$build_dir" -j2 --target lorvant_screenshots >/dev/null

work="$(mktemp -d)"
trap 'kill "$xvfb_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/program"
if [ -n "$program_dir" ]; then
  for f in LVconfig.ini LVserial.dat Param.dat; do
    [ -e "$program_dir/$f" ] && cp "$program_dir/$f" "$work/program/"
  done
fi

# A display number of our own: the first one without a lock file.
display=99
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done

mkdir -p "$out_dir"
DISPLAY=":$display" QT_QPA_PLATFORM=xcb \
  "$build_dir/tools/screenshots/lorvant_screenshots" "$work/program" "$out_dir"
