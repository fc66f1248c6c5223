#!/usr/bin/env bash
# Fresh machine to running demo: install what is missing, build, run `ledwall demo`.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"${LEDWALL_BUILD_DIR:-$root/build}/bin/ledwall" demo
