#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit tests on SDL's dummy screen,
# end-to-end tests on private X servers, the web page in headless browsers, the Debian package
# on three Debian releases, then the unit tests and headless runs of the scene again in a build
# with AddressSanitizer and UndefinedBehaviorSanitizer, then a minute of fuzzing the picture gate.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test
# The browser test's driver packages, at the versions tests/web/package-lock.json pins.
mkdir -p build/web-test && cp tests/web/package.json tests/web/package-lock.json build/web-test/
npm ci --prefix build/web-test --no-audit --no-fund --loglevel=error
# The Debian systems the package is tried on are made (or found in their cache) while the rest
# builds; a run that stops early still lets them finish rather than leave half a system.
scripts/test-releases.sh --systems &
trap 'wait' EXIT
# The Windows screen saver, cross-built and packaged; its tests run under Wine with the rest.
scripts/build-windows.sh
# The web page; its tests run in Chromium and Firefox with the rest.
scripts/build-web.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBASILRAIN_WINDOWS_BUILD="$PWD/build-windows"
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")
# The Debian package installed with apt and played on Debian 12, 13 and unstable.
scripts/test-releases.sh

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DBASILRAIN_SANITIZE=ON
cmake --build build-sanitize -j"$jobs" --target unit_tests
(cd build-sanitize && ctest --output-on-failure -j"$jobs" -L unit)

# A finding fails the run.
bash scripts/fuzz.sh 60
