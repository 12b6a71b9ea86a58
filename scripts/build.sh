#!/usr/bin/env bash
# Configures and builds into build/ (or LORVANT_BUILD_DIR), with the CMake options in
# LORVANT_CMAKE_OPTIONS added (CI: -DLORVANT_SANITIZE=ON -DLORVANT_WERROR=ON): everything,
# or only the targets named as arguments (scripts/build.sh lorvant cs1504-emulator).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${LORVANT_BUILD_DIR:-build}"
read -r -a options <<<"${LORVANT_CMAKE_OPTIONS:-}"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
targets=()
[ $# -eq 0 ] || targets=(--target "$@")
cmake --build "$build_dir" -j"$(nproc)" "${targets[@]}"
