#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the tools need, or,
# given package names, those packages instead. Does nothing when they are all
# present; uses sudo when not run as root.
#
#   scripts/install-deps.sh [PACKAGE...]
set -euo pipefail

packages=("$@")
[ ${#packages[@]} -gt 0 ] || packages=(
  build-essential cmake pkg-config git
  libsdl1.2-compat-dev libpng-dev libjpeg62-turbo-dev libmpg123-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev
  libfreetype-dev fonts-dejavu-core fonts-dejavu-extra libmp3lame-dev libpulse-dev
  mpg123 lame ffmpeg xvfb xauth x11-utils
  valgrind clang libclang-rt-14-dev llvm
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}" >&2
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
