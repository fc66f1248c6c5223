#!/usr/bin/env bash
# Soak under wire faults: the library drives the virtual wall while the wall drops
# 5% of the requests and duplicates, reorders and delays replies; every write it
# reports as done is compared with the wall's memory. Builds into ./build (or
# $LEDWALL_BUILD_DIR) unless --no-build.
#   scripts/soak.sh [--small] [--no-build] [OPERATIONS [SEED]]
# --small runs the size CI uses (40 operations); the default is 2000.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LEDWALL_BUILD_DIR:-$root/build}
operations=2000
compile=1
while [[ $# -gt 0 && $1 == --* ]]; do
    case $1 in
    --small) operations=40 ;;
    --no-build) compile=0 ;;
    *) echo "usage: $0 [--small] [--no-build] [OPERATIONS [SEED]]" >&2; exit 2 ;;
    esac
    shift
done
export LEDWALL_SOAK_OPERATIONS=${1:-$operations}
export LEDWALL_SOAK_SEED=${2:-${LEDWALL_SOAK_SEED:-1}}
if [[ $compile == 1 ]]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --parallel "$(nproc)" --target test_soak_wall
fi
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
# The library's debug log would bury the test's report lines.
export QT_LOGGING_RULES=${QT_LOGGING_RULES:-ledwall.*.debug=false}
cd "$build"
ctest --output-on-failure --verbose -L soak
