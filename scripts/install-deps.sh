#!/usr/bin/env bash
# Installs on Debian or Ubuntu what building and running the screen saver need, and with --test
# what its tests, benchmark and fuzzer need besides; does nothing when all is there. With --list
# it prints the packages instead.
set -euo pipefail

running=(
  build-essential cmake pkg-config
  libsdl1.2-dev libsdl-image1.2-dev libsdl1.2-compat
  libcairo2-dev libgif-dev libx11-dev libxrandr-dev libxinerama-dev libx11-xcb-dev
  libxcb-present-dev fonts-dejavu-core
  mesa-utils
)
# The screen-saver hosts, the X servers (one screen; several monitors) and input the end-to-end
# tests drive, the window manager and the maker of the Debian systems the package is tried on,
# the packages' checkers, the benchmark's instruction counter, peer and X damage reports, the X
# server's screen-saver state, the fuzzer's compiler, the window and debugger the display-loss
# trials use, and the browsers the web page is played in.
testing=(
  libgtest-dev
  xvfb tigervnc-standalone-server xdotool
  debootstrap openbox
  valgrind xscreensaver-data libxdamage-dev libxss-dev
  xscreensaver mate-screensaver xsecurelock dbus
  file lintian desktop-file-utils
  rpm rpmlint cpio
  clang libclang-rt-dev
  x11-utils gdb
  chromium firefox-esr
)
# Node.js from elsewhere brings its own npm, and Debian's npm package conflicts with it.
command -v npm >/dev/null || testing+=(npm)

packages=("${running[@]}")
list=false
for arg in "$@"; do
  case "$arg" in
    --test) packages+=("${testing[@]}") ;;
    --list) list=true ;;
    *) echo "usage: $0 [--test] [--list]" >&2; exit 2 ;;
  esac
done
if $list; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
