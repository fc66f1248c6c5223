#!/usr/bin/env bash
# Installs the Debian 12 packages LedWall needs, skipping those already present.
set -euo pipefail
packages=(
    cmake g++ make pkg-config git clang-format
    qtbase5-dev qtbase5-dev-tools libqt5sql5-sqlite libqt5serialport5-dev
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-serialport-dev qt6-qpa-plugins
    zlib1g-dev libssl-dev libusb-1.0-0-dev libavcodec-dev libavutil-dev
    libbenchmark-dev colord-data clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
