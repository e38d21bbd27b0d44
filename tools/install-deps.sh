#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test Sondaro.
# Only missing packages are installed; run as root or with sudo available.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-serialport-dev qt6-image-formats-plugins libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg-dev libcurl4-openssl-dev libmp3lame-dev libfftw3-dev
  xvfb xauth socat imagemagick
  libqt6svg6
  netcat-openbsd
  qt6-multimedia-dev
  python3-pyftpdlib
  mpg123
  fontconfig fonts-dejavu-core
  prometheus-cpp-dev
  python3-prometheus-client
  prometheus
  lintian man-db
  qt6-httpserver-dev qt6-websockets-dev chromium
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
