#!/usr/bin/env bash
# Installs what is missing, builds, and starts Lorvant. When no real scanner is configured
# (neither LORVANT_COM1 is set nor /dev/ttyUSB0 is there) the bundled CS1504 emulator with
# sample barcodes stands in for it (tools/run-with-emulator.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# The program and the emulator only: the tests, benchmarks and tools are scripts/test.sh's.
scripts/build.sh lorvant cs1504-emulator
if [ -z "${LORVANT_COM1:-}" ] && [ ! -e /dev/ttyUSB0 ] && [ ! -e build/app/LVserial.dat ]; then
  # Register the emulator's scanner on a first start, so a reception accepts it.
  printf '0a1b2c3d4e5f6071;DEMO;Emulator\r\n' >build/app/LVserial.dat
fi
exec tools/run-with-emulator.sh build/app/lorvant
