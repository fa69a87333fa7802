#!/usr/bin/env bash
# Installs what is missing, builds, and runs the screen saver from the folder that holds its pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build -j"$(nproc)"
cd build
exec ./basilrain "$@"
