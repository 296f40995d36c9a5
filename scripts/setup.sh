#!/usr/bin/env bash
# Installs what Tonforge needs to build on Debian or Ubuntu. Safe to run again.
set -euo pipefail
packages=(build-essential clang cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libsdl2-ttf-dev librtmidi-dev libfontconfig-dev libsndfile1-dev libsamplerate0-dev fontconfig fonts-wine zlib1g-dev zenity xdg-utils
  xvfb xauth xdotool ccache ninja-build libclang-rt-dev
  desktop-file-utils appstream shared-mime-info dpkg-dev man-db)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
