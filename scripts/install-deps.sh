#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine. Quiet when all is present.
set -euo pipefail

packages=(cmake make g++ clang-format libgtest-dev libgmock-dev libbenchmark-dev
          g++-mingw-w64-x86-64-posix wine64 fonts-wine xvfb x11-utils xdotool imagemagick
          fonts-wqy-microhei
          # Wine's X11 driver needs these; apt only recommends them.
          libxrender1 libxi6 libxrandr2 libxcursor1 libxinerama1 libxcomposite1 libxfixes3
          libxxf86vm1 libfreetype6 libfontconfig1)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
