#!/usr/bin/env bash
# Builds everything and plays the show from the project root (so data/ resolves).
# Arguments are passed to the player, e.g. scripts/run.sh --windowed
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
exec ./build/sava "$@"
