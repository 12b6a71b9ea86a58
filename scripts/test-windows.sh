#!/usr/bin/env bash
# Cross-builds the layers that need no Qt and the Win32 backends for Windows (MinGW-w64) and
# runs their Windows test program under Wine, in a Wine prefix of its own that is removed
# afterwards, on a private Xvfb: once with a German, once with a US keyboard layout (the
# typing and hotkey tests press keys there with xdotool). Installs the cross compiler, Wine,
# doctest, Xvfb and xdotool first when they are missing (through sudo when not root).
# LORVANT_WINDOWS_BUILD_DIR: the build folder (build-windows).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++-mingw-w64-x86-64-posix wine64 doctest-dev cmake make xvfb x11-xkb-utils xkb-data
          xdotool)
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
wineserver="$(dirname "$wine")/wineserver"
prefix="$(mktemp -d)"
display=""
xvfb=""
finish() {
  WINEPREFIX="$prefix" "$wineserver" -k 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$prefix"
}
trap finish EXIT
# A display number nobody uses; Xvfb writes it once it listens.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
read -r -t 20 -u "$displayfd" number
display=":$number"

for layout in de us; do
  setxkbmap -display "$display" "$layout"
  # Wine reads the layout when its processes start.
  WINEPREFIX="$prefix" "$wineserver" -k 2>/dev/null || true
  echo "--- Windows tests, $layout layout"
  env -u WAYLAND_DISPLAY DISPLAY="$display" WINEPREFIX="$prefix" WINEDEBUG=-all \
    LORVANT_WINDOWS_LAYOUT="$layout" "$wine" "$build/windows_tests.exe"
done
