#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages that building, running and testing need, through sudo
# when not root. Does nothing when they are all there.
set -euo pipefail
packages=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools
          qt6-serialport-dev qt6-svg-dev libqt6sql6-sqlite qt6-translations-l10n libgl-dev libx11-dev
          libxtst-dev libwayland-dev libxkbcommon-dev xdg-desktop-portal-dev xvfb
          x11-xkb-utils xkb-data fonts-dejavu-core
          # The package check (scripts/package-check.sh): lintian, the desktop entry and
          # AppStream validators, pgrep.
          lintian desktop-file-utils appstream procps)
# The Wayland tests' compositor, terminal and key presser, Qt's Wayland plugin, and the
# portal test's bus and portal front end: without their recommends, which would bring a
# whole desktop (portal backends, XWayland, menus, wallpapers).
bare_packages=(sway foot wtype qt6-wayland dbus-daemon xdg-desktop-portal
               # The project's own checks: clang with libFuzzer and the sanitizer runtimes
               # for the fuzz targets, llvm's symbolizer for readable reports, clang-format
               # 14 for the format check (their recommends are llvm's development files).
               clang-14 libclang-rt-14-dev llvm-14 clang-format-14)
missing() {
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t missing_packages < <(missing "${packages[@]}")
mapfile -t missing_bare < <(missing "${bare_packages[@]}")
[ ${#missing_packages[@]} -eq 0 ] && [ ${#missing_bare[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -q
if [ ${#missing_packages[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing_packages[@]}"
fi
if [ ${#missing_bare[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends \
    "${missing_bare[@]}"
fi
