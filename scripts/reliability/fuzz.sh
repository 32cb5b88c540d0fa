#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/, with clang and libFuzzer) and runs each one
# for the given number of seconds (default 60). Fails on any finding: a crash,
# a sanitizer report, a leak, a timeout or an out-of-memory. Finding inputs
# are left in the build directory as crash-*, timeout-*, leak-* or oom-*;
# each becomes a case of the bad-data tests (tests/reliability).
#
#   scripts/reliability/fuzz.sh [SECONDS] [TARGET...]
#
# Environment: FUZZ_BUILD_DIR (default build-rel-fuzz), FUZZ_JOBS (-j, default 2),
# SAVA_TEST_PICTURES (the third-party test pictures, default ../shared/testdata).
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps.sh
root=$(pwd)

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(picture_png_fuzz picture_jpeg_fuzz soundtrack_fuzz)
build=${FUZZ_BUILD_DIR:-build-rel-fuzz}
jobs=${FUZZ_JOBS:-2}

# clang and its runtime libraries (libFuzzer, the sanitizers), which Debian
# ships apart from the compiler.
need_clang=0
command -v clang++ >/dev/null || need_clang=1
find /usr/lib/llvm-*/lib/clang -name 'libclang_rt.fuzzer-x86_64.a' 2>/dev/null | grep -q . || need_clang=1
if [ "$need_clang" -eq 1 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing clang and its runtime libraries" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang libclang-rt-dev >/dev/null
fi

CC=clang CXX=clang++ cmake -S fuzz -B "$build" >/dev/null
cmake --build "$build" -j"$jobs" --target "${targets[@]}" >/dev/null

testdata="${SAVA_TEST_PICTURES:-$root/../shared/testdata}"
# Seeds: the small pictures and tracks of fuzz/seeds and the third-party
# test pictures where present.
seed_dirs() {
  case "$1" in
    picture_png_fuzz)
      echo "$root/fuzz/seeds/png"
      if [ -d "$testdata/pngsuite" ]; then echo "$testdata/pngsuite"; fi ;;
    picture_jpeg_fuzz)
      echo "$root/fuzz/seeds/jpeg"
      if [ -d "$testdata/jpeg" ]; then echo "$testdata/jpeg"; fi ;;
    soundtrack_fuzz)
      echo "$root/fuzz/seeds/mp3" ;;
  esac
}

status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  seeds=()
  for dir in $(seed_dirs "$target"); do
    [ -d "$dir" ] && seeds+=("$dir")
  done
  log="$build/$target.log"
  echo "== $target: ${seconds}s" >&2
  # New units go to the first corpus folder (the build's own); the seed
  # folders are only read.
  if (cd "$build" && "./$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
        -max_len=65536 -print_final_stats=1 "corpus/$target" "${seeds[@]}") >"$log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)' "$log" >&2 || true
  else
    status=1
    echo "== $target: FINDING (log: $log)" >&2
    grep -E 'ERROR|SUMMARY|Test unit written|deadly signal' "$log" >&2 || tail -20 "$log" >&2
  fi
done
exit $status
