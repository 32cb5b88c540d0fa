#!/usr/bin/env bash
# Installs what the web build and its browser tests need on top of the
# native build's packages: Debian's emscripten (with its own node tools and
# prebuilt system libraries), chromium, the JPEG tools and zopflipng (the poster, the
# lossless recompression of the pictures). Does nothing when all are present;
# uses sudo when not run as root.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps.sh
scripts/install-deps.sh python3 emscripten chromium libjpeg-turbo-progs zopfli
