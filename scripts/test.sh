#!/usr/bin/env bash
# Builds everything and runs every test, then names the tests that were
# skipped (those that need what this machine or checkout lacks, such as the
# third-party test pictures: cmake -DSAVA_TEST_PICTURES=DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
log=build/Testing/test-run.log
mkdir -p build/Testing
status=0
ctest --test-dir build --output-on-failure -j"$(nproc)" 2>&1 | tee "$log" || status=$?
# ctest lists them as "  N - Name (Skipped)" under "The following tests did not run:".
skipped=$(grep -E '^[[:space:]]*[0-9]+ - .* \(Skipped\)$' "$log" | sed -E 's/^[[:space:]]*[0-9]+ - (.*) \(Skipped\)$/\1/' || true)
count=$(printf '%s' "$skipped" | grep -c . || true)
echo "Skipped: $count tests${skipped:+ ($(echo "$skipped" | paste -sd, - | sed 's/,/, /g'))}"
exit "$status"
