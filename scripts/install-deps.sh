#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages that building, running and testing need, through sudo
# when not root. Does nothing when they are all there.
set -euo pipefail
packages=(build-essential cmake qt6-base-dev qt6-base-dev-tools libqt6serialport6-dev
          libqt6svg6-dev qt6-translations-l10n libgl-dev libx11-dev libxtst-dev xvfb
          x11-xkb-utils xkb-data fonts-dejavu-core
          # The package check (scripts/package-check.sh): lintian, the desktop entry and
          # AppStream validators, pgrep.
          lintian desktop-file-utils appstream procps)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
