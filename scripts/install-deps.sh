#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
PKGS=(
  build-essential cmake pkg-config clang-format
  qtbase5-dev qtbase5-dev-tools libqt5opengl5-dev libqt5svg5-dev
  libavformat-dev libavcodec-dev libavfilter-dev libavutil-dev libswscale-dev libswresample-dev
  libass-dev libsdl2-dev
  ffmpeg fonts-dejavu fonts-dejavu-core fonts-wine
  xvfb xauth libgl1-mesa-dri x11-utils imagemagick time bc
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
