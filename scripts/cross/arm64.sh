#!/usr/bin/env bash
# Cross-builds core, effects and their tests for arm64, where no x86
# intrinsics exist and the scalar kernels do all the work, and runs the
# tests under qemu-user. Installs the cross compiler and qemu-user when
# missing; GoogleTest is built from the sources libgtest-dev ships.
#
#   scripts/cross/arm64.sh
#
# Environment: ARM64_BUILD_DIR (default build-arm64), JOBS (-j, default 2).
set -euo pipefail
cd "$(dirname "$0")/../.."
dir=${ARM64_BUILD_DIR:-build-arm64}
jobs=${JOBS:-2}

scripts/install-deps.sh cmake g++-aarch64-linux-gnu qemu-user libgtest-dev libgmock-dev

configured=$(cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/scripts/cross/aarch64-linux-gnu.cmake" \
  -DSAVA_EFFECTS_ONLY=ON -DSAVA_GTEST_SOURCE_DIR=/usr/src/googletest)
if ! grep -qx -- '-- Effect kernels: scalar' <<<"$configured"; then
  echo "arm64 build did not configure the scalar kernels alone:" >&2
  grep -- 'Effect kernels' <<<"$configured" >&2 || true
  exit 1
fi
cmake --build "$dir" -j"$jobs"
ctest --test-dir "$dir" --output-on-failure -j"$jobs"
