#!/usr/bin/env bash
# Installs what building, running and testing TAVO needs on Debian 12.
set -euo pipefail
pkgs=(cmake g++ make qt6-base-dev qt6-serialport-dev libqt6sql6-sqlite xvfb xauth socat
      poppler-utils fontconfig fonts-dejavu-core fonts-wine gdal-bin python3-dbf
      clang-14 libclang-rt-14-dev libreoffice-calc-nogui)
missing=()
for p in "${pkgs[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=300 "${missing[@]}"
fi
