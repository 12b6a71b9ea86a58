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
# shellcheck source=scripts/xvfb.sh
. "$root/scripts/xvfb.sh"

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

# A display of our own.
start_xvfb "$work/xvfb.log" || { echo "Xvfb did not start" >&2; exit 1; }

mkdir -p "$out_dir"
DISPLAY=":$display" QT_QPA_PLATFORM=xcb \
  "$build_dir/tools/screenshots/lorvant_screenshots" "$work/program" "$out_dir"
