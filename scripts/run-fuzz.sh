#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehavior-
# Sanitizer) into build-fuzz/ and runs each over its seed corpus for a fixed number
# of inputs. run-tests.sh calls it after the suite.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${LEDWALL_FUZZ_BUILD_DIR:-$root/build-fuzz}
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLEDWALL_FUZZ=ON -DLEDWALL_BUILD_TESTS=OFF -DLEDWALL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzzers -j "$(nproc)"
cd "$build"
ctest -L fuzz --output-on-failure -j 2
