#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit tests on SDL's dummy screen and
# end-to-end tests on private X servers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
cd build
ctest --output-on-failure -j"$(nproc)"
