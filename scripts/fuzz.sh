#!/usr/bin/env bash
# Fuzzes the picture gate for SECONDS seconds (60 by default) with libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer: a file goes through the gate, and whatever the gate lets
# through is loaded, converted, keyed and blitted on SDL's dummy screen, its pixels held against
# giflib's. The kept findings in fuzz/regressions run first. A crash, a hang, a leak or a
# disagreement fails the run and leaves its file in the build folder's findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
case "$seconds" in
  "" | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;;
esac
build=${FUZZ_BUILD_DIR:-build-fuzz}

scripts/install-deps.sh --test
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         -DBUILD_TESTING=OFF -DBASILRAIN_SANITIZE=ON -DBASILRAIN_FUZZ=ON &&
       cmake --build "$build" -j"$(nproc)" --target picture_fuzz fuzz_seeds; } >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi

regressions=$PWD/fuzz/regressions
cd "$build"
# The sanitizer build's slow unwinder sees through SDL for the tests' leak reports; here it
# would take most of every run.
export ASAN_OPTIONS=${ASAN_OPTIONS:-fast_unwind_on_malloc=1}
rm -rf seeds
mkdir -p seeds corpus findings
./fuzz_seeds seeds

kept=("$regressions"/*.gif)
if [ -e "${kept[0]}" ]; then
  echo "Kept findings: ${#kept[@]}"
  ./picture_fuzz "${kept[@]}" 2>"$log" || { cat "$log" >&2; exit 1; }
fi
./picture_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix=findings/ -print_final_stats=1 corpus seeds
