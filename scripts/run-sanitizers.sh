#!/usr/bin/env bash
# Builds LedWall with a sanitizer and runs the whole suite once more under it.
# run-tests.sh calls it after the plain suite, once for each:
#   run-sanitizers.sh address  AddressSanitizer and UndefinedBehaviorSanitizer,
#                              into build-asan/ (any undefined behaviour fails its test)
#   run-sanitizers.sh thread   ThreadSanitizer, into build-tsan/. Nearly every test
#                              starts threads (the link's, the workers', the virtual
#                              wall's), so all of them run; a report fails its test.
#                              tests/tsan.supp, passed to each test by CTest, covers
#                              what happens inside Debian's Qt, which is not instrumented.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sanitizer=${1:-address}
case "$sanitizer" in
address) build=${LEDWALL_ASAN_BUILD_DIR:-$root/build-asan} ;;
thread) build=${LEDWALL_TSAN_BUILD_DIR:-$root/build-tsan} ;;
*)
    echo "usage: $0 [address|thread]" >&2
    exit 2
    ;;
esac
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEDWALL_SANITIZE="$sanitizer" \
    -DLEDWALL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
cd "$build"
# Leaks are not checked: the link manager and the facade are process-wide objects
# that are deliberately never deleted. The install test builds an application
# without the sanitizers, which cannot link the instrumented library.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure --timeout 600 -j 2 -E '^test_install_consumer$' -LE soak
