#!/usr/bin/env bash
# Installs what is missing, builds Release, and prints the benchmark's tables: the scene against
# the raw SDL calls it cannot do without, on classic SDL and on sdl12-compat where installed, on
# SDL's dummy video driver, or with --xvfb on a private X server. With --pace it installs the
# program and prints instead the CPU it and a 1920x1080 X server spend at the pace it settles
# at, and its frames a second, under the launcher in a host's full-screen window and in a
# preview window on each runtime, beside the peer hack fuzzyflakes in the same windows. With
# --windows it builds the Windows screen saver and prints what it costs under Wine on a 1920x1080
# X server: the CPU of the saver, the X server and Wine's server, its frames a second, its
# resident memory after 10 s and 5 minutes, and the presentation interval it asks Direct3D for.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

mode=${1:-}
case "$mode" in
  ""|--xvfb|--pace|--windows) ;;
  *) echo "usage: $0 [--xvfb | --pace | --windows]" >&2; exit 2 ;;
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
saver=""
export WINEPREFIX=$prefix/wine
trap '[ -z "$saver" ] || { kill "$saver"; wineserver -k; wineserver -w; } 2>/dev/null
      [ -z "$xvfb_pid" ] || { kill "$xvfb_pid"; wait "$xvfb_pid"; } 2>/dev/null
      rm -rf "$log" "$prefix" "$displayfile"' EXIT
targets=(bench)
[ "$mode" != --pace ] || targets+=(basilrain)
if [ "$mode" = --windows ]; then
  targets=(window_load)
  scripts/build-windows.sh >/dev/null
fi
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
elif [ "$mode" = --windows ]; then
  export DISPLAY=$display WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEDEBUG=-all
  wineboot -i >/dev/null 2>&1
  wineserver -w
  mkdir "$WINEPREFIX/drive_c/basilrain"
  (cd "$WINEPREFIX/drive_c/basilrain" &&
    cmake -E tar xf "$root"/build-windows/basilrain-*-win64.zip)
  system=$WINEPREFIX/drive_c/windows/system32

  # start [WINEDEBUG]: the saver as Windows starts it, and its window once it shows.
  start() {
    (cd "$system" && WINEDEBUG=${1:-$WINEDEBUG} exec wine 'C:\basilrain\basilrain.scr' /s \
      >/dev/null 2>"$log") &
    saver=$!
    window=""
    for _ in $(seq 300); do
      window=$(xdotool search --onlyvisible --pid "$saver" 2>/dev/null | head -n1) &&
        [ -n "$window" ] && break
      sleep 0.1
    done
    [ -n "$window" ] || { echo "the saver showed no window in 30 s" >&2; cat "$log" >&2; exit 1; }
  }
  finish() {
    kill "$saver"
    wineserver -k
    wineserver -w
    saver=""
  }
  resident() { awk '/^VmRSS/ { printf "%.0f MiB", $2 / 1024 }' "/proc/$1/status"; }

  start
  wineserver_pid=""
  for p in $(pgrep -x 'wineserver|wineserver64'); do
    grep -qxz "WINEPREFIX=$WINEPREFIX" "/proc/$p/environ" 2>/dev/null && wineserver_pid=$p
  done
  [ -n "$wineserver_pid" ] || { echo "no Wine server of the prefix found" >&2; exit 1; }
  sleep 3 # start-up and the first frames stay out of the measurement
  # frames/s, then the CPU of the saver, the X server and Wine's server, over the same 10 s
  read -r fps cpu_saver cpu_x cpu_wineserver < \
    <(./basilrain-window-load "$window" 10 "$saver" "$xvfb_pid" "$wineserver_pid")
  memory10=$(resident "$saver")
  sleep 287 # to 5 minutes from the start
  memory300=$(resident "$saver")
  finish

  # Wine's Direct3D trace names the interval every presentation waits for: 1 is each vertical
  # blank, 0 none.
  start +d3d
  sleep 5
  intervals=$(grep -o 'swap_interval [0-9]*' "$log" | sort | uniq -c |
    awk '{ printf "%s%s (%s presentations)", sep, $3, $1; sep = ", " }')
  finish

  echo "basilrain.scr under $(wine --version) on a 1920x1080 Xvfb, over 10 s after 3 s of start-up"
  echo
  printf '%-12s %9s %9s %11s %9s %9s\n' "" saver "X server" wineserver total frames/s
  awk -v fps="$fps" -v shares="$cpu_saver $cpu_x $cpu_wineserver" 'BEGIN {
    split(shares, share); total = share[1] + share[2] + share[3]
    printf "%-12s %8.1f%% %8.1f%% %10.1f%% %8.1f%% %9s\n", "CPU", share[1], share[2], share[3],
      total, fps }'
  echo
  echo "resident memory of the saver: $memory10 after the 10 s measured, $memory300 after 5 minutes"
  echo "presentation interval asked of Direct3D (Wine's +d3d trace): ${intervals:-none seen}"
else
  echo "Xvfb $screen"
  # The launcher is left to choose the video driver, as it is wherever users start it.
  env -u SDL_VIDEODRIVER DISPLAY="$display" ./basilrain-bench pace "$prefix/bin/basilrain" \
    "$xvfb_pid" "$peer"
fi
