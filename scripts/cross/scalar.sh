#!/usr/bin/env bash
# Builds with the vector kernels left out (SAVA_SIMD=OFF) and runs the
# tests: the scalar kernels alone must pass every test, the whole-show
# frame hashes included. With --effects-only, only core, effects and their
# tests are built (no media libraries needed, a few minutes less).
#
#   scripts/cross/scalar.sh [--effects-only]
#
# Environment: SCALAR_BUILD_DIR (default build-scalar, or
# build-scalar-effects with --effects-only), JOBS (-j, default 2).
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs=${JOBS:-2}
args=(-DCMAKE_BUILD_TYPE=Release -DSAVA_SIMD=OFF)
dir=${SCALAR_BUILD_DIR:-build-scalar}
case "${1:-}" in
  --effects-only)
    dir=${SCALAR_BUILD_DIR:-build-scalar-effects}
    args+=(-DSAVA_EFFECTS_ONLY=ON) ;;
  "")
    scripts/install-deps.sh
    args+=(-DSAVA_EFFECTS_ONLY=OFF) ;;
  *) echo "usage: $0 [--effects-only]" >&2; exit 1 ;;
esac

configured=$(cmake -S . -B "$dir" "${args[@]}")
if ! grep -qx -- '-- Effect kernels: scalar' <<<"$configured"; then
  echo "the scalar build did not configure the scalar kernels alone:" >&2
  grep -- 'Effect kernels' <<<"$configured" >&2 || true
  exit 1
fi
cmake --build "$dir" -j"$jobs"
ctest --test-dir "$dir" --output-on-failure -j"$jobs"
