#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Quick when everything is present: it only asks dpkg, and calls apt-get when something is missing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config ccache clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev lua5.4
  libsdl2-dev libsdl2-image-dev libglvnd-dev libegl-mesa0 libgl1-mesa-dri
  libopenal-dev libalut-dev libjson-c-dev libbox2d-dev libcurl4-openssl-dev libffi-dev
  libpng-dev zlib1g-dev libgif-dev libjpeg-dev libmpg123-dev
  libfluidsynth-dev timgm6mb-soundfont libgtk-3-dev
  libfontconfig-dev libfreetype-dev fonts-dejavu-core
  libcdio-dev libcdio-paranoia-dev
  xvfb xauth xdotool python3
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
