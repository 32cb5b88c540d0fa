#!/usr/bin/env bash
# Builds everything and plays the show from the build tree, where the build
# generates data/ (the player finds it there as data/ in its working folder).
# Arguments are passed to the player, e.g. scripts/run.sh --windowed
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
cd build
exec ./sava "$@"
