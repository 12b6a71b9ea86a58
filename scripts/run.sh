#!/usr/bin/env bash
# Installs what is missing, builds, and starts Lorvant. When no real scanner is configured
# (neither LORVANT_COM1 is set nor /dev/ttyUSB0 is there) it starts the bundled CS1504
# emulator with sample barcodes on a pseudo-terminal and points COM1 at it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
program=build/app/lorvant
emulator_pid=""
cleanup() { [ -n "$emulator_pid" ] && kill "$emulator_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${LORVANT_COM1:-}" ] && [ ! -e /dev/ttyUSB0 ]; then
  out=$(mktemp)
  build/tools/cs1504-emulator --data tools/sample-barcodes.txt >"$out" &
  emulator_pid=$!
  pty=""
  for _ in $(seq 50); do
    pty=$(head -n 1 "$out")
    [ -n "$pty" ] && break
    sleep 0.1
  done
  rm -f "$out"
  [ -n "$pty" ] || { echo "The emulator did not start." >&2; exit 1; }
  export LORVANT_COM1="$pty"
  echo "CS1504 emulator with sample barcodes on $pty (COM1)"
  # Register the emulator's scanner on a first start, so a reception finds it.
  [ -e build/app/LVserial.dat ] || printf '0a1b2c3d4e5f6071;DEMO;Emulator\r\n' >build/app/LVserial.dat
fi
"$program"
