#!/usr/bin/env bash
# Installs the Debian packages the engine, its tools and its tests need.
# Only packages that are missing are installed, in a single apt call.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git ninja-build ccache
  libsdl2-dev
  libegl-dev libgl-dev libgl1-mesa-dri libegl-mesa0
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic fonts-ipafont-mincho
  libpng-dev libjpeg62-turbo-dev
  libvorbis-dev libogg-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  liblua5.4-dev  # the benchmarks' peer interpreter only
  xvfb  # the software renderer test's X server
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
  [[ "$status" == ii* ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
