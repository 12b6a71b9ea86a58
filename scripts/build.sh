#!/usr/bin/env bash
# Configures and builds everything into build/ (or LORVANT_BUILD_DIR), with the CMake
# options in LORVANT_CMAKE_OPTIONS added (CI: -DLORVANT_SANITIZE=ON -DLORVANT_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${LORVANT_BUILD_DIR:-build}"
read -r -a options <<<"${LORVANT_CMAKE_OPTIONS:-}"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
