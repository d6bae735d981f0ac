#!/usr/bin/env bash
# Installs, from Debian's archive, whatever this machine still lacks to build,
# run and test Pairon12. Safe to run again: packages already present are skipped.
#   scripts/install-deps.sh          build and run the game
#   scripts/install-deps.sh --test   also what the test suite needs
set -euo pipefail

packages=(
  build-essential cmake ninja-build
  qt6-base-dev qt6-svg-dev libgl-dev
  fonts-liberation
)
if [[ "${1:-}" == "--test" ]]; then
  packages+=(
    xvfb python3-xlib python3-pil dbus-daemon at-spi2-core orca weston qt6-wayland
    desktop-file-utils appstream
    clang clang-format clang-tidy libclang-rt-14-dev
    dpkg-dev file lintian
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
((${#missing[@]} == 0)) && exit 0

if [[ $(id -u) -ne 0 ]]; then
  echo "install-deps: run as root to install: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
