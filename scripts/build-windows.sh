#!/usr/bin/env bash
# Builds the Windows screen saver in build-windows/: installs the cross compiler, NSIS and Wine,
# cross-builds SDL2 and giflib from Debian's source packages and sdl12-compat from third_party/
# once (a later run reuses them), paints the pictures with the Linux painter in build/, then links
# basilrain.scr against sdl12-compat's SDL.dll and packages it with SDL.dll and SDL2.dll as a ZIP
# and a 64-bit NSIS installer.
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
    (cd "$deps/src" && apt-get "${private[@]}" source -qq libsdl2 giflib); } >"$deps/fetch.log" 2>&1 ||
    { tail -n 30 "$deps/fetch.log" >&2; exit 1; }
}

# Only what sdl12-compat draws with: video, render, events, timers, threads and loading DLLs.
# Every subsystem and driver left out also spares configure its checks.
build_sdl2() {
  local src
  src=$(find "$deps/src" -maxdepth 1 -type d -name 'libsdl2-*' | head -n1)
  cross_build sdl2 "$src" -DSDL_STATIC=OFF -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=ON \
    -DSDL_CCACHE=OFF -DSDL_AUDIO=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF \
    -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF -DSDL_VULKAN=OFF \
    -DSDL_OPENGLES=OFF -DSDL_XINPUT=OFF -DSDL_WASAPI=OFF -DSDL_DISKAUDIO=OFF \
    -DSDL_DUMMYAUDIO=OFF -DSDL_OFFSCREEN=OFF
  cp "$src/LICENSE.txt" "$deps/SDL2-LICENSE.txt"
}

# Without NO_STDIO_REDIRECT the start-up code in SDLmain writes stdout.txt and stderr.txt beside
# the program, the system folder for a screen saver.
build_sdl12_compat() {
  tar xzf "$root"/third_party/sdl12-compat-release-*.tar.gz -C "$deps/src"
  cross_build sdl12-compat "$(find "$deps/src" -maxdepth 1 -type d -name 'sdl12-compat-*')" \
    -DSDL12TESTS=OFF -DCMAKE_C_FLAGS=-DNO_STDIO_REDIRECT -DSDL2_DIR="$deps/lib/cmake/SDL2"
}

# cross_build NAME SOURCE CMAKE-OPTIONS...: a stripped release build installed into deps/.
cross_build() {
  local name=$1 src=$2
  shift 2
  (cmake -S "$src" -B "$deps/$name-build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$deps" \
    "$@" && cmake --build "$deps/$name-build" -j"$jobs" &&
    cmake --install "$deps/$name-build" --strip) >"$deps/$name-build.log" 2>&1 ||
    { tail -n 30 "$deps/$name-build.log" >&2; exit 1; }
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

if [[ ! -f $deps/bin/SDL2.dll || ! -f $deps/bin/SDL.dll || ! -f $deps/lib/libgif.a ]]; then
  rm -rf "$deps"
  fetch_sources
  build_sdl2
  build_sdl12_compat
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
