#!/usr/bin/env bash
# Installs what is missing, builds Release, and prints the benchmark's tables: the scene against
# the raw SDL calls it cannot do without, on classic SDL and on sdl12-compat where installed, on
# SDL's dummy video driver, or with --xvfb on a private X server.
set -euo pipefail
cd "$(dirname "$0")/.."

xvfb=false
case "${1:-}" in
  "") ;;
  --xvfb) xvfb=true ;;
  *) echo "usage: $0 [--xvfb]" >&2; exit 2 ;;
esac

scripts/install-deps.sh
# A folder of its own, so that a Release build never fights over the one the tests use.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF &&
       cmake --build build-release -j"$(nproc)" --target bench; } >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
cd build-release

if ! $xvfb; then
  SDL_VIDEODRIVER=dummy ./basilrain-bench
  exit
fi

# Xvfb picks a free display itself and writes its number once it is listening.
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$displayfile" 2>/dev/null &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; rm -f "$log" "$displayfile"' EXIT
for _ in $(seq 100); do
  [ -s "$displayfile" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
[ -s "$displayfile" ] || { echo "Xvfb did not start in 10 s" >&2; exit 1; }
DISPLAY=":$(cat "$displayfile")" SDL_VIDEODRIVER=x11 ./basilrain-bench
