#!/usr/bin/env bash
# Fresh machine to test results: install what is missing, check the formatting,
# build, run every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/check-format.sh"
bash "$root/scripts/build.sh"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
cd "${LEDWALL_BUILD_DIR:-$root/build}"
ctest --output-on-failure --timeout 300 -j 2 -LE soak
# The soak under wire faults once, at the small size (scripts/soak.sh runs it large).
bash "$root/scripts/soak.sh" --small --no-build
# The same suite built against Qt 6 (build-qt6/), which is supported beside Qt 5.
bash "$root/scripts/run-qt6.sh"

# The suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
bash "$root/scripts/run-sanitizers.sh" address

# And under ThreadSanitizer.
bash "$root/scripts/run-sanitizers.sh" thread

# Then every parser that takes bytes from outside, under libFuzzer with the address
# and undefined-behaviour sanitizers, for a fixed number of inputs each.
bash "$root/scripts/run-fuzz.sh"
