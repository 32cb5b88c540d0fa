#!/usr/bin/env bash
# Installs what the web build and its browser tests need on top of the
# native build's packages: Debian's emscripten (with its own node tools and
# prebuilt system libraries) and chromium. Does nothing when all are present;
# uses sudo when not run as root.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps.sh

packages=(emscripten chromium)
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
