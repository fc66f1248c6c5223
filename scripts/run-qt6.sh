#!/usr/bin/env bash
# Builds LedWall against Qt 6 into build-qt6/ and runs the whole suite once more
# there, so that both Qt 5 and Qt 6 stay supported. run-tests.sh calls it after
# the plain suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LEDWALL_QT6_BUILD_DIR:-$root/build-qt6}
cmake -S "$root" -B "$build" -DLEDWALL_QT_MAJOR=6 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLEDWALL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
cd "$build"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
ctest --output-on-failure --timeout 300 -j 2 -LE soak
