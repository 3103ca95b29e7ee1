#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the benchmarks and the demo need, and
# the Windows cross build's tool chain and libraries.
# Quick when everything is already there.
set -euo pipefail

PACKAGES=(
  build-essential g++ cmake ninja-build pkg-config
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  zlib1g-dev libminizip-dev libtinyxml-dev libcurl4-openssl-dev libsodium-dev
  libxml2-dev libpugixml-dev
  libglib2.0-dev libglib2.0-bin libgtk-3-dev libcairo2-dev libpango1.0-dev
  libwebkit2gtk-4.1-dev
  fonts-wqy-zenhei
  nginx-light curl unzip openssl util-linux
  xvfb xauth xdotool x11-apps imagemagick procps libx11-dev libxext-dev
  weston
  python3 python3-cairo python3-gi gir1.2-webkit2-4.1 desktop-file-utils
  nodejs node-typescript
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The Windows cross build and Wine (its own script, so it can be run alone).
bash "$(dirname "$0")/setup-windows.sh"
