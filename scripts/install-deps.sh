#!/usr/bin/env bash
# Installs every Debian package that building, testing, the tools and the viewer need.
# Idempotent: does nothing when everything is already present. Runs as root (or via sudo).
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  clang libclang-rt-14-dev
  zlib1g-dev libglew-dev freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  libegl-dev libegl-mesa0
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xfonts-base xdotool imagemagick x11-apps mesa-utils
  glslang-tools python3
  file lintian
  libeigen3-dev libceres-dev
  libstb-dev libopenexr-dev
  libassimp-dev assimp-testmodels
  desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${missing[@]}"
