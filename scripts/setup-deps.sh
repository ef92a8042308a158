#!/usr/bin/env bash
# Installs the Debian packages the player and its tests need, only those missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache clang libclang-rt-14-dev pkg-config
  libsdl2-dev libx11-dev libxfixes-dev libxtst-dev libfreetype-dev libfontconfig-dev fonts-ipafont-gothic libimgui-dev
  libvorbis-dev libfluidsynth-dev timgm6mb-soundfont libboost-dev
  libgtest-dev libgmock-dev libbenchmark-dev xvfb openbox
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
