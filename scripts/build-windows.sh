#!/usr/bin/env bash
# Builds the Windows screen saver in build-windows/: installs the cross compiler, NSIS and Wine,
# cross-builds SDL 1.2 and giflib from Debian's source packages once (a later run reuses them),
# paints the pictures with the Linux painter in build/, then links one static basilrain.scr and
# packages it as a ZIP and a 64-bit NSIS installer.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows
deps=$out/deps
jobs=$(nproc)
host=x86_64-w64-mingw32

# The Linux build paints the pictures.
scripts/install-deps.sh
needed=(g++-mingw-w64-x86-64-win32 nsis wine wine64 dpkg-dev)
missing=()
for p in "${needed[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update -qq
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
fi

# The deb-src entry names the Debian mirror and suite this machine's own sources use.
source scripts/lib/debian-source.sh

fetch_sources() {
  local apt=$deps/apt mirror suite
  read -r mirror suite < <(debian_source)
  mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial" "$deps/src"
  echo "deb-src $mirror $suite main" > "$apt/sources.list.d/debian-src.list"
  local private=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt/sources.list.d"
    -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User=root)
  { apt-get "${private[@]}" update -qq &&
    (cd "$deps/src" && apt-get "${private[@]}" source -qq libsdl1.2 giflib); } >"$deps/fetch.log" 2>&1 ||
    { tail -n 30 "$deps/fetch.log" >&2; exit 1; }
}

build_sdl() {
  local src
  src=$(find "$deps/src" -maxdepth 1 -type d -name 'libsdl1.2-*' | head -n1)
  mkdir -p "$deps/sdl-build"
  # No stdio redirection: SDL's start-up code would write stdout.txt beside the program.
  (cd "$deps/sdl-build" && "$src/configure" -q --host=$host --prefix="$deps" \
    --enable-static --disable-shared --disable-audio --disable-joystick --disable-cdrom \
    --disable-stdio-redirect --enable-video-windib --enable-directx --disable-video-opengl \
    --disable-nasm --disable-assembly >/dev/null &&
    make -s -j"$jobs" && make -s install) >"$deps/sdl-build.log" 2>&1 ||
    { tail -n 30 "$deps/sdl-build.log" >&2; exit 1; }
}

build_giflib() {
  local src
  src=$(find "$deps/src" -maxdepth 1 -type d -name 'giflib-*' | head -n1)
  mkdir -p "$deps/gif-build" "$deps/include" "$deps/lib"
  (cd "$deps/gif-build" &&
    for c in dgif_lib gifalloc gif_err openbsd-reallocarray; do
      $host-gcc -O2 -c "$src/$c.c" -o "$c.o"
    done &&
    $host-ar rcs "$deps/lib/libgif.a" ./*.o)
  cp "$src/gif_lib.h" "$deps/include/"
}

if [[ ! -f $deps/lib/libSDL.a || ! -f $deps/lib/libgif.a ]]; then
  rm -rf "$deps"
  fetch_sources
  build_sdl
  build_giflib
fi

# The pictures come from the painter built for this machine, in the Linux build folder.
[[ -f build/CMakeCache.txt ]] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs" --target pictures >/dev/null

cmake -S . -B "$out/scr" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DBASILRAIN_WINDOWS_DEPS="$deps" -DBASILRAIN_PICTURES_DIR="$root/build" >/dev/null
cmake --build "$out/scr" -j"$jobs" >/dev/null
(cd "$out/scr" && cpack -G "ZIP;NSIS" -B "$out" >/dev/null)
rm -rf "$out/_CPack_Packages"
ls "$out"/basilrain-*-win64.zip "$out"/basilrain-*-win64-setup.exe
