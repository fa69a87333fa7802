#!/usr/bin/env bash
# Installs what building, running and testing need on Debian or Ubuntu; does nothing when all is there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl1.2-dev libsdl-image1.2-dev
  libcairo2-dev libgif-dev
  libgtest-dev libx11-dev
  xvfb xdotool fonts-dejavu-core
  valgrind
  xscreensaver dpkg-dev file
  libsdl1.2-compat
  mate-screensaver xsecurelock dbus
  lintian desktop-file-utils
  clang libclang-rt-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
