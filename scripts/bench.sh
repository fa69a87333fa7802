#!/usr/bin/env bash
# Installs what is missing, builds Release, and prints the benchmark's tables: the scene against
# the raw SDL calls it cannot do without, on classic SDL and on sdl12-compat where installed, on
# SDL's dummy video driver, or with --xvfb on a private X server. With --pace it installs the
# program and prints instead the CPU it and a 1920x1080 X server spend at the pace it settles
# at, and its frames a second, under the launcher in a host's full-screen window and in a
# preview window on each runtime, beside the peer hack fuzzyflakes in the same windows.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case "$mode" in
  ""|--xvfb|--pace) ;;
  *) echo "usage: $0 [--xvfb | --pace]" >&2; exit 2 ;;
esac

scripts/install-deps.sh --test
# The peer the pace is read against: xscreensaver's falling flakes.
peer=/usr/libexec/xscreensaver/fuzzyflakes
# A folder of its own (BENCH_BUILD_DIR, build-release by default), so that a Release build never
# fights over the one the tests use.
build=${BENCH_BUILD_DIR:-build-release}
log=$(mktemp)
prefix=$(mktemp -d)
displayfile=$(mktemp)
xvfb_pid=""
trap '[ -z "$xvfb_pid" ] || { kill "$xvfb_pid"; wait "$xvfb_pid"; } 2>/dev/null
      rm -rf "$log" "$prefix" "$displayfile"' EXIT
targets=(bench)
[ "$mode" != --pace ] || targets+=(basilrain)
if ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF &&
       cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" &&
       { [ "$mode" != --pace ] ||
         cmake --install "$build" --component basilrain --prefix "$prefix"; }; } >"$log" 2>&1
then
  cat "$log" >&2
  exit 1
fi
cd "$build"

if [ -z "$mode" ]; then
  SDL_VIDEODRIVER=dummy ./basilrain-bench
  exit
fi

# Xvfb picks a free display itself and writes its number once it is listening.
screen=800x600x24
[ "$mode" = --xvfb ] || screen=1920x1080x24
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$displayfile" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$displayfile" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
[ -s "$displayfile" ] || { echo "Xvfb did not start in 10 s" >&2; exit 1; }
display=":$(cat "$displayfile")"

if [ "$mode" = --xvfb ]; then
  DISPLAY=$display SDL_VIDEODRIVER=x11 ./basilrain-bench
else
  echo "Xvfb $screen"
  # The launcher is left to choose the video driver, as it is wherever users start it.
  env -u SDL_VIDEODRIVER DISPLAY="$display" ./basilrain-bench pace "$prefix/bin/basilrain" \
    "$xvfb_pid" "$peer"
fi
