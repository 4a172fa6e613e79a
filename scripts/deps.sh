#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Idempotent: packages already present are left as they are.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6serialport6-dev qt6-svg-dev libgl-dev
  qt6-qpa-plugins qt6-translations-l10n
  libmodbus-dev libsimpleini-dev libquazip1-qt6-dev zlib1g-dev
  socat mbpoll xvfb xauth fonts-dejavu-core
  python3 python3-openpyxl
  libqcustomplot-dev libqcustomplot2.1-qt6
  clang libclang-rt-dev lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
