#!/usr/bin/env bash
# Installs what is missing, builds Release, and prints the benchmark's tables: the scene against
# the raw SDL calls it cannot do without, on classic SDL and on sdl12-compat where installed, on
# SDL's dummy video driver, or with --xvfb on a private X server. With --pace it installs the
# program and prints instead the CPU it and a 1920x1080 X server spend at the pace it settles
# at, its frames a second and the CPU a frame, under the launcher in a host's full-screen
# window, in a preview window and standalone on each runtime, beside the peer hack fuzzyflakes
# in the same places. With --windows it builds the Windows screen saver and prints what it costs
# under Wine on a 1920x1080 X server: the CPU of the saver, the X server and Wine's server, its
# frames a second, its resident memory after 10 s and 5 minutes, and the presentation interval it
# asks Direct3D for.
# With --monitors it installs the program and runs it standalone through its launcher on an X
# server with one monitor and on one with two, and prints the CPU of its processes (the first and
# the copy it starts on each further monitor) and of the X server, and each window's frames a
# second.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

mode=${1:-}
case "$mode" in
  ""|--xvfb|--pace|--windows|--monitors) ;;
  *) echo "usage: $0 [--xvfb | --pace | --windows | --monitors]" >&2; exit 2 ;;
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
xserver_pid=""
saver=""
# The installed program's first process, then its copies.
players=""
export WINEPREFIX=$prefix/wine

# Ends the program, whose copies end with it; a copy that outlives it is ended too, known by the
# program file it runs, which only this script installed.
stop_players() {
  local first=${players%% *} pid
  { kill "$first" && wait "$first"; } 2>/dev/null || true
  for pid in $players; do
    if [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$prefix/libexec/basilrain/basilrain" ]; then
      echo "a copy, process $pid, outlived the first process" >&2
      kill "$pid"
    fi
  done
  players=""
}
stop_xserver() {
  { kill "$xserver_pid" && wait "$xserver_pid"; } 2>/dev/null || true
  xserver_pid=""
}
trap '[ -z "$saver" ] || { kill "$saver"; wineserver -k; wineserver -w; } 2>/dev/null
      [ -z "$players" ] || stop_players
      [ -z "$xserver_pid" ] || stop_xserver
      rm -rf "$log" "$prefix" "$displayfile"' EXIT
targets=(bench)
case "$mode" in
  --pace) targets+=(basilrain window_load) ;;
  --monitors) targets=(basilrain window_load vnc_layout) ;;
  --windows)
    targets=(window_load)
    scripts/build-windows.sh >/dev/null
    ;;
esac
if ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF &&
       cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" &&
       { [ "$mode" != --pace ] && [ "$mode" != --monitors ] ||
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

# The X server picks a free display itself and writes its number once it is listening.
# wait_for_display NAME: sets display to the number the server started as NAME writes.
wait_for_display() {
  for _ in $(seq 100); do
    [ -s "$displayfile" ] && break
    kill -0 "$xserver_pid" 2>/dev/null || { echo "$1 did not start" >&2; exit 1; }
    sleep 0.1
  done
  [ -s "$displayfile" ] || { echo "$1 did not start in 10 s" >&2; exit 1; }
  display=":$(cat "$displayfile")"
}

if [ "$mode" = --monitors ]; then
  rfb=$prefix/rfb
  # start_xvnc WxH+X+Y...: an Xvnc whose root spans the monitors given, set by vnc_layout.
  start_xvnc() {
    local width=0 height=0 monitor w h x y
    for monitor in "$@"; do
      IFS='x+' read -r w h x y <<<"$monitor"
      width=$((x + w > width ? x + w : width))
      height=$((y + h > height ? y + h : height))
    done
    : >"$displayfile"
    rm -f "$rfb"
    Xvnc -displayfd 3 -geometry "${width}x$height" -depth 24 -SecurityTypes None -localhost \
      -rfbunixpath "$rfb" -rfbport -1 -nolisten tcp -noreset 3>"$displayfile" 2>/dev/null &
    xserver_pid=$!
    wait_for_display Xvnc
    ./vnc_layout "$rfb" "$@"
  }
  # find_players: sets pids to the program's first process and its copies, and windows to the
  # visible window of each that has one.
  find_players() {
    local pid window
    # shellcheck disable=SC2207 # process numbers, one word each
    pids=("${players%% *}" $(pgrep -x -P "${players%% *}" basilrain || true))
    players="${pids[*]}"
    windows=()
    for pid in "${pids[@]}"; do
      window=$(DISPLAY=$display xdotool search --onlyvisible --pid "$pid" 2>/dev/null |
        head -n1) || true
      [ -z "$window" ] || windows+=("$window")
    done
  }
  # measure TITLE WxH+X+Y...: the program as users start it, on these monitors, after start-up;
  # prints a row for each process with its window's place and frames, then their sum.
  measure() {
    local title=$1 window places="" pids=() windows=()
    shift
    start_xvnc "$@"
    env -u SDL_VIDEODRIVER -u SDL12COMPAT_SCALE_METHOD DISPLAY="$display" \
      "$prefix/bin/basilrain" >/dev/null 2>"$log" &
    players=$!
    # One process and one window a monitor: the first process's, then each copy's. They are
    # looked for again after start-up, in which SDL may make a window anew.
    for _ in $(seq 300); do
      find_players
      [ ${#pids[@]} -eq $# ] && [ ${#windows[@]} -eq $# ] && break
      kill -0 "${pids[0]}" 2>/dev/null || break
      sleep 0.1
    done
    sleep 3 # start-up and the first frames stay out of the measurement
    find_players
    if [ ${#pids[@]} -ne $# ] || [ ${#windows[@]} -ne $# ]; then
      echo "$title: ${#pids[@]} processes and ${#windows[@]} windows for $# monitors" >&2
      cat "$log" >&2
      exit 1
    fi
    for window in "${windows[@]}"; do
      places+=" $(DISPLAY=$display xdotool getwindowgeometry --shell "$window" |
        awk -F= '{ v[$1] = $2 } END { printf "%sx%s+%s+%s", v["WIDTH"], v["HEIGHT"], v["X"], v["Y"] }')"
    done
    # each window's frames a second, then the CPU of each process and of the X server
    figures=$(DISPLAY=$display ./basilrain-window-load "$(IFS=,; echo "${windows[*]}")" 10 \
      "${pids[@]}" "$xserver_pid")
    launched="the launcher ran $(sed -n 's|^[^/]*\(/.*libSDL-1\.2\.so[^ ]*\)$|\1|p' \
      "/proc/${pids[0]}/maps" | head -n1) with $(tr '\0' '\n' <"/proc/${pids[0]}/environ" |
      grep -E '^(SDL_VIDEODRIVER|SDL_RENDER_DRIVER|SDL12COMPAT_SCALE_METHOD)=' | sort | paste -sd ' ')"
    stop_players
    stop_xserver
    awk -v n=$# -v figures="$figures" -v places="$places" -v title="$title" 'BEGIN {
      split(figures, f); split(places, place)
      print title
      for (i = 1; i <= n; ++i) {
        cpu = f[n + i]; sum += cpu; gone = gone || cpu < 0
        printf "  %-34s %8s %9s %9s %9.1f %10s\n", place[i] (i == 1 ? ", first process" : ", its copy"),
          cpu < 0 ? "ended" : sprintf("%.1f%%", cpu), "", "", f[i],
          cpu < 0 || f[i] <= 0 ? "?" : sprintf("%.1f", 10 * cpu / f[i])
      }
      x = f[2 * n + 1]
      printf "  %-34s %8s %8.1f%% %8s %9s\n", "all processes", gone ? "?" : sprintf("%.1f%%", sum), x,
        gone ? "?" : sprintf("%.1f%%", sum + x), "-"
    }'
  }

  echo "basilrain standalone through its installed launcher on $(Xvnc -version 2>&1 |
    sed -n 's/^Xvnc \(.*\) - built.*/\1/p')'s Xvnc, over 10 s after 3 s of start-up"
  start_xvnc 1920x1080+0+0
  echo "OpenGL here is $(DISPLAY=$display glxinfo -B | sed -n 's/^OpenGL renderer string: //p'):" \
    "Mesa's software rasteriser, no GPU, so each monitor's scaling is the processor's work"
  stop_xserver
  echo
  load=$(cut -d' ' -f1 /proc/loadavg)
  printf '  %-34s %8s %9s %9s %9s %10s\n' "" program "X server" total frames/s "ms a frame"
  measure "one monitor" 1920x1080+0+0
  one=$launched
  measure "two monitors" 1920x1080+0+0 1280x1024+1920+0
  echo
  echo "program: CPU time (utime+stime) of each process and of all together, X server: Xvnc's,"
  echo "  over the same 10 s, as a share of one core; frames/s: the X server's damage reports on each"
  echo "  window; ms a frame: the process's CPU time a frame; places: each window's size and place"
  echo "  on the root; load average over a minute, before and after: $load, $(cut -d' ' -f1 /proc/loadavg)"
  if [ "$one" = "$launched" ]; then
    echo "$launched"
  else
    printf 'one monitor: %s\ntwo monitors: %s\n' "$one" "$launched"
  fi
  exit
fi

screen=800x600x24
[ "$mode" = --xvfb ] || screen=1920x1080x24
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$displayfile" 2>/dev/null &
xserver_pid=$!
wait_for_display Xvfb

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
    <(./basilrain-window-load "$window" 10 "$saver" "$xserver_pid" "$wineserver_pid")
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
  echo "Xvfb $screen; OpenGL here is $(DISPLAY=$display glxinfo -B |
    sed -n 's/^OpenGL renderer string: //p')"
  # The launcher is left to choose the video driver, as it is wherever users start it.
  env -u SDL_VIDEODRIVER DISPLAY="$display" ./basilrain-bench pace "$prefix/bin/basilrain" \
    "$xserver_pid" "$peer"
fi
