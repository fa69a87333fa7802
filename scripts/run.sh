#!/usr/bin/env bash
# Installs what is missing, builds, and runs the screen saver through its launcher, which picks
# the SDL that scales the scene to the screen, from a private install in the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build -j"$(nproc)"
cmake --install build --component basilrain --prefix "$PWD/build/run-prefix" >/dev/null
exec build/run-prefix/bin/basilrain "$@"
