#!/usr/bin/env bash
# Ends the X server under the running screen saver, many times over, and tallies the tries that
# left any of its processes running a second after the server had gone. Each try starts a
# private X server, a 1920x1080 Xvfb or an Xvnc with two monitors (1920x1080 and 1280x1024 beside
# it, where the program starts a copy of itself for the second), the installed launcher on it
# (standalone, or in a window made for it as a screen-saver host does) on classic SDL or
# sdl12-compat, and ends the server 4.0 to 4.9 s in,
# by SIGTERM (a log-out) or SIGKILL (a crash) in turn. Leftovers are killed; with --stacks their
# threads' stacks are kept first. Other processes the program's libraries started (D-Bus's
# launcher of a session bus for the display, where there was none) are not the program: they are
# tallied apart, given 5 s to end on their own, and ended then.
#
#   scripts/display-loss.sh [--tries N] [--stacks] [CASE...]
#   CASE: standalone-classic standalone-compat hosted-classic hosted-compat
#         two-monitors-classic two-monitors-compat (all by default)
set -euo pipefail
cd "$(dirname "$0")/.."

tries=20
stacks=false
cases=()
while [ $# -gt 0 ]; do
  case "$1" in
    --tries) tries=$2; shift ;;
    --stacks) stacks=true ;;
    standalone-classic|standalone-compat|hosted-classic|hosted-compat) cases+=("$1") ;;
    two-monitors-classic|two-monitors-compat) cases+=("$1") ;;
    *) echo "usage: $0 [--tries N] [--stacks] [standalone|hosted|two-monitors]-[classic|compat]..." >&2
       exit 2 ;;
  esac
  shift
done
[ ${#cases[@]} -gt 0 ] ||
  cases=(standalone-classic standalone-compat hosted-classic hosted-compat
    two-monitors-classic two-monitors-compat)

scripts/install-deps.sh --test
build=${DISPLAY_LOSS_BUILD_DIR:-build}
work=$(mktemp -d)
server=""
host=""
program=""
trap 'leftovers=$(session_processes) || true
      [ -z "$leftovers" ] || kill -KILL $leftovers 2>/dev/null || true
      for p in $host $server; do kill -KILL "$p" 2>/dev/null && wait "$p" 2>/dev/null; done
      rm -rf "$work"' EXIT
if ! { cmake -S . -B "$build" && cmake --build "$build" -j2 --target basilrain vnc_layout &&
       cmake --install "$build" --component basilrain --prefix "$work/prefix"; } \
     >"$work/build.log" 2>&1; then
  cat "$work/build.log" >&2
  exit 1
fi
executable=$work/prefix/libexec/basilrain/basilrain
stack_dir=$PWD/$build/display-loss-stacks
$stacks && rm -rf "$stack_dir" && mkdir -p "$stack_dir"

# The live processes of the session the launcher runs the program in, so that whatever it
# starts is found too; zombies have ended. With "program", only those running the program itself.
session_processes() {
  [ -n "$program" ] || return 0
  local p
  for p in $(ps -e -o pid=,sid=,stat= | awk -v sid="$program" '$2 == sid && $3 !~ /^Z/ { print $1 }'); do
    if [ "${1:-}" != program ] || [ "$(readlink "/proc/$p/exe" 2>/dev/null)" = "$executable" ]; then
      echo "$p"
    fi
  done
}

now_ms() { echo $(( ${EPOCHREALTIME/./} / 1000 )); }

# start_server LAYOUT: an Xvnc of two monitors for two-monitors, else an Xvfb; sets display.
start_server() {
  rm -f "$work/display" "$work/rfb"
  if [ "$1" = two-monitors ]; then
    Xvnc -displayfd 3 -geometry 3200x1080 -depth 24 -SecurityTypes None -localhost \
      -rfbunixpath "$work/rfb" -rfbport -1 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
  else
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$work/display" \
      2>/dev/null &
  fi
  server=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] || { echo "the X server did not start" >&2; exit 1; }
  display=":$(cat "$work/display")"
  if [ "$1" = two-monitors ]; then
    "$build/vnc_layout" "$work/rfb" 1920x1080+0+0 1280x1024+1920+0 >/dev/null
  fi
}

# A full-screen window on its own connection, as xscreensaver makes one for its hack.
start_host_window() {
  DISPLAY=$1 xev -geometry 1920x1080+0+0 -event structure >"$work/xev" 2>/dev/null &
  host=$!
  for _ in $(seq 100); do
    window=$(sed -n 's/^Outer window is \(0x[0-9a-f]*\),.*/\1/p' "$work/xev")
    [ -n "$window" ] && return 0
    sleep 0.05
  done
  echo "no host window appeared" >&2
  exit 1
}

keep_stacks() {
  for p in $1; do
    gdb -p "$p" -batch -ex 'thread apply all bt' >"$stack_dir/try-$2-pid-$p.txt" 2>&1 || true
  done
}

# try CASE NUMBER: sets outcome to "left", "early", or "ended STATUS SAID" (SAID is yes when the
# program said on stderr that the display had gone), and others_ms to how long after the server
# the session's other processes took to end (0 when there were none, 5000 when they were ended).
try() {
  local case=$1 number=$2 env=() left="" others=""
  others_ms=0
  start_server "${case%-*}"
  case "$case" in
    *-classic) env+=(BASILRAIN_SDL12_COMPAT_DIR=none) ;;
  esac
  if [[ $case == hosted-* ]]; then
    start_host_window "$display"
    env+=(XSCREENSAVER_WINDOW="$window")
  fi
  local moment=$((4000 + RANDOM % 900)) started
  started=$(now_ms)
  # Started from a subshell that keeps its status, whose notes on a killed child go nowhere.
  rm -f "$work/pid" "$work/status"
  (
    env -u SDL_VIDEODRIVER -u SDL_WINDOWID -u XSCREENSAVER_WINDOW DISPLAY="$display" "${env[@]}" \
      setsid "$work/prefix/bin/basilrain" </dev/null >/dev/null 2>"$work/err" &
    echo $! >"$work/pid"
    status=0
    wait $! || status=$?
    echo $status >"$work/status"
  ) 2>/dev/null &
  local runner=$!
  until [ -s "$work/pid" ]; do sleep 0.01; done
  program=$(cat "$work/pid")
  sleep "$(awk -v ms=$((started + moment - $(now_ms))) 'BEGIN { print (ms > 0 ? ms / 1000 : 0) }')"
  local playing
  playing=$(session_processes program | wc -l)
  if [ "$playing" -eq 0 ]; then
    echo "try $number ($case): the program ended before the server did: $(cat "$work/err")" >&2
    outcome=early
  else
    if [ "$case" = two-monitors-compat ] && [ "$playing" -ne 2 ]; then
      echo "try $number ($case): $playing processes, not one a monitor, when the server ended" >&2
    fi
    local signal=TERM gone
    [ $((number % 2)) -eq 0 ] || signal=KILL
    kill -$signal "$server"
    wait "$server" 2>/dev/null || true
    server=""
    gone=$(now_ms)
    while [ -n "$(session_processes program)" ] && [ $(($(now_ms) - gone)) -lt 1000 ]; do
      sleep 0.02
    done
    left=$(session_processes program)
    if [ -n "$left" ]; then
      echo "try $number ($case): server ended by SIG$signal ${moment} ms in; left running:" \
        "$(ps -o pid=,pcpu=,stat=,comm= -p "${left//$'\n'/,}" | tr -s ' \n' ' ')" >&2
      ! $stacks || keep_stacks "$left" "$number"
      kill -KILL $left 2>/dev/null || true
      outcome=left
    fi
    while others=$(session_processes) && [ -n "$others" ] && [ $(($(now_ms) - gone)) -lt 5000 ]
    do
      sleep 0.05
    done
    if [ -n "$others" ]; then
      echo "try $number ($case): still running 5 s after the server ended, ended now:" \
        "$(ps -o pid=,comm= -p "${others//$'\n'/,}" | tr -s ' \n' ' ')" >&2
      kill -TERM $others 2>/dev/null || true
      others_ms=5000
    elif [ $(($(now_ms) - gone)) -gt 1000 ]; then
      others_ms=$(($(now_ms) - gone))
    fi
  fi
  wait "$runner" || true
  local status
  status=$(cat "$work/status")
  program=""
  for p in $host $server; do
    kill -KILL "$p" 2>/dev/null || true
    wait "$p" 2>/dev/null || true
  done
  host="" server=""
  if [ "$outcome" = pending ]; then
    grep -q 'the display has gone' "$work/err" && said=yes || said=no
    outcome="ended $status $said"
  fi
}

printf '%-20s %6s %13s %12s %14s   %s\n' case tries "left running" "ended early" "others > 1 s" \
  "exit statuses of the rest (status x tries; * = said the display had gone)"
for case in "${cases[@]}"; do
  left=0 early=0 lingered=0 longest=0
  declare -A statuses=()
  for number in $(seq "$tries"); do
    outcome=pending
    try "$case" "$number"
    case "$outcome" in
      left) left=$((left + 1)) ;;
      early) early=$((early + 1)) ;;
      ended*)
        read -r _ status said <<<"$outcome"
        key=$status$([ "$said" = yes ] && echo '*' || true)
        statuses[$key]=$(( ${statuses[$key]:-0} + 1 )) ;;
    esac
    if [ "$others_ms" -gt 0 ]; then
      lingered=$((lingered + 1))
      [ "$others_ms" -le "$longest" ] || longest=$others_ms
    fi
  done
  summary=""
  for key in "${!statuses[@]}"; do summary+="$key x${statuses[$key]}  "; done
  others="$lingered"
  [ "$lingered" -eq 0 ] || others+=" (<= $(((longest + 99) / 100))00 ms)"
  printf '%-20s %6d %13d %12d %14s   %s\n' "$case" "$tries" "$left" "$early" "$others" "$summary"
  unset statuses
done
echo "others > 1 s: tries where processes the program's libraries started outlived it by over a second"
$stacks && [ -n "$(ls -A "$stack_dir")" ] && echo "stacks of the leftovers: $stack_dir/" || true
