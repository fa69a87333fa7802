#!/usr/bin/env bash
# Builds the scene as one web page, build-web/basilrain.html: installs Debian's Emscripten,
# paints the pictures with the Linux painter in build/, then compiles the program's own sources
# against Emscripten's SDL 1.2 and puts the program and the pictures inside the page.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-web
jobs=$(nproc)

scripts/install-deps.sh
if ! dpkg-query -W -f='${Status}' emscripten 2>/dev/null | grep -q "ok installed"; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends emscripten
fi

# The pictures come from the painter built for this machine, in the Linux build folder.
[[ -f build/CMakeCache.txt ]] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" --target pictures >/dev/null

# Debian's Emscripten finds its optimiser's Node.js modules only among Debian's own.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release -DBASILRAIN_PICTURES_DIR="$root/build" \
  >/dev/null
cmake --build "$out" -j"$jobs" >/dev/null
ls -l "$out/basilrain.html"
