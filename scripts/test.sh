#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest. LORVANT_BUILD_DIR and
# LORVANT_CMAKE_OPTIONS reach scripts/build.sh (CI builds the suite with the sanitizers).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cd "${LORVANT_BUILD_DIR:-build}"
# The tests wait on serial lines, servers and child processes more than they compute: one at
# a time per core.
ctest --output-on-failure -j"$(nproc)"
