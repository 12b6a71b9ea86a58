#!/usr/bin/env bash
# Cross-builds the layers that need no Qt and the Win32 backends for Windows (MinGW-w64) and
# runs their Windows test program under Wine, in a Wine prefix of its own that is removed
# afterwards. Installs the cross compiler, Wine and doctest first when they are missing
# (through sudo when not root). LORVANT_WINDOWS_BUILD_DIR: the build folder (build-windows).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++-mingw-w64-x86-64-posix wine64 doctest-dev cmake make)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  # Without recommends: Wine's would bring fonts, sound and 32-bit libraries the test needs not.
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build="${LORVANT_WINDOWS_BUILD_DIR:-build-windows}"
cmake -S tests/windows -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake"
cmake --build "$build" -j"$(nproc)"

wine="$(command -v wine64 || echo /usr/lib/wine/wine64)"
prefix="$(mktemp -d)"
trap 'WINEPREFIX="$prefix" "$(dirname "$wine")/wineserver" -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
# No display: the file tests need none, and nothing of the desktop this runs on is touched.
env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all \
  "$wine" "$build/windows_tests.exe"
