#!/usr/bin/env bash
# Runs a program (by default the built lorvant) with the CS1504 emulator standing in for a
# scanner: the emulator serves the sample barcodes on a pseudo-terminal and every COM port
# is pointed at it. When a real scanner is configured (LORVANT_COM1 set, or a USB serial
# cable at /dev/ttyUSB0) the program runs without the emulator.
#   tools/run-with-emulator.sh [program [arguments...]]
# Environment: LORVANT_BUILD (build directory, default build/ beside tools/),
# LORVANT_SAMPLE (data file, default tools/sample-barcodes.txt).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${LORVANT_BUILD:-$here/../build}"
[ $# -gt 0 ] || set -- "$build/app/lorvant"

if [ -n "${LORVANT_COM1:-}" ] || [ -e /dev/ttyUSB0 ]; then
  exec "$@"
fi

exec {emulator_out}< <(exec "$build/tools/lorvant-cs1504-emulator" \
  --data "${LORVANT_SAMPLE:-$here/sample-barcodes.txt}")
emulator_pid=$!
trap 'kill "$emulator_pid" 2>/dev/null || true' EXIT
read -r -t 10 port <&"$emulator_out" || { echo "the CS1504 emulator did not start" >&2; exit 1; }
for n in $(seq 1 16); do export "LORVANT_COM$n=$port"; done
echo "CS1504 emulator with sample barcodes on $port (COM1-COM16)" >&2
"$@"
