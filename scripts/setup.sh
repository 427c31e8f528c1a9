#!/usr/bin/env bash
# Installs every Debian package that boxview needs to build, run and test; safe to run again.
set -euo pipefail

packages=(
  build-essential cmake pkg-config python3
  libsdl1.2-compat-dev
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl-dev libegl-mesa0
  libfreetype-dev libfontconfig-dev fonts-liberation
  libpng-dev nlohmann-json3-dev libsimdjson-dev libboost-dev libcairo2-dev poppler-utils
  libgtest-dev libbenchmark-dev
  clang clang-format libclang-rt-14-dev
  xvfb xauth xdotool x11-apps imagemagick libx11-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  run=()
else
  run=(sudo)
fi

echo "Installation des paquets manquants : ${missing[*]}"
"${run[@]}" apt-get update -q
"${run[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
