#!/usr/bin/env bash
# Runs the project under the sanitizers; fails on any report.
#  1. AddressSanitizer + UndefinedBehaviorSanitizer build (-DSAVA_SANITIZE=ON)
#     of everything: every test through ctest, then the whole show rendered
#     offline (sava-capture --to 184001 --fps 10 --null), from the show data,
#     from pictures of the least sizes the show needs, and from a roomy set
#     (larger words and title, photographs through the scaled path, ...).
#  2. ThreadSanitizer build (-DSAVA_TSAN=ON): the tests of the picture
#     decoding workers, then the player (which decodes on them) run headless
#     for a few seconds with its audio thread live and ended by SIGTERM.
# The show data is the data/ that the sanitizer build generates when it is
# complete, otherwise fixture data written by sava-test-data (tests/support).
#
#   scripts/reliability/sanitize.sh
#
# Environment: ASAN_BUILD_DIR (default build-rel-asan), TSAN_BUILD_DIR
# (default build-rel-tsan), SANITIZE_JOBS (-j, default 2), PLAY_SECONDS
# (player run under ThreadSanitizer, default 6).
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps.sh
root=$(pwd)
asan=${ASAN_BUILD_DIR:-build-rel-asan}
tsan=${TSAN_BUILD_DIR:-build-rel-tsan}
jobs=${SANITIZE_JOBS:-2}
play_seconds=${PLAY_SECONDS:-6}

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

started=$SECONDS
step() { echo "== [$((SECONDS - started))s] $*" >&2; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# ---------------------------------------------------------------- AddressSanitizer
step "AddressSanitizer + UndefinedBehaviorSanitizer build ($asan)"
cmake -S . -B "$asan" -DCMAKE_BUILD_TYPE=Release -DSAVA_SANITIZE=ON >/dev/null
cmake --build "$asan" -j"$jobs" >/dev/null

step "ctest under AddressSanitizer"
ctest --test-dir "$asan" -j"$jobs" --output-on-failure

# A data/ folder holding the soundtrack and every picture of the table.
show_dir="$scratch/show"
show_data="$root/$asan/data"
mkdir -p "$show_dir"
if [ -f "$show_data/rinnu.mp3" ] && [ "$(find "$show_data" -maxdepth 1 \( -name '*.png' -o -name '*.jpg' \) | wc -l)" -ge 224 ]; then
  ln -s "$show_data" "$show_dir/data"
  echo "show data: $show_data" >&2
else
  "$asan/tests/support/sava-test-data" "$show_dir"
  echo "show data: fixture pictures and soundtrack (no generated data/ yet)" >&2
fi

# Renders the whole show from the data/ under $1; $2 names the run.
render_show() {
  local dir=$1 name=$2
  step "whole show rendered offline under AddressSanitizer ($name)"
  if ! (cd "$dir" && "$root/$asan/tools/capture/sava-capture" --to 184001 --fps 10 --null \
          >"$scratch/$name.out" 2>"$scratch/$name.err"); then
    echo "sava-capture failed under AddressSanitizer:" >&2
    cat "$scratch/$name.err" >&2
    return 1
  fi
  if grep -qE 'runtime error|Sanitizer' "$scratch/$name.err" || [ -s "$scratch/$name.out" ]; then
    echo "sava-capture reported problems:" >&2
    cat "$scratch/$name.err" >&2
    return 1
  fi
}

render_show "$show_dir" show
# Every picture at the least size the show needs (1x1 where it needs none):
# the tightest source rectangles the scenes may meet. Then sizes the scenes
# accept but the generator never makes: words and title larger than their
# places, photographs of other sizes through the scaled path.
for set in smallest roomy; do
  mkdir -p "$scratch/$set"
  "$asan/tests/support/sava-test-data" "$scratch/$set" "--$set"
  render_show "$scratch/$set" "$set"
done

# ---------------------------------------------------------------- ThreadSanitizer
step "ThreadSanitizer build of the player and the picture tests ($tsan)"
cmake -S . -B "$tsan" -DCMAKE_BUILD_TYPE=Release -DSAVA_TSAN=ON >/dev/null
cmake --build "$tsan" -j"$jobs" --target sava image_tests >/dev/null

step "picture decoding workers under ThreadSanitizer"
"$tsan/image_tests" --gtest_filter='LoadingTest.*' --gtest_brief=1

step "player under ThreadSanitizer for ${play_seconds}s, ended by SIGTERM"
(
  cd "$show_dir"
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/audio.raw" \
    exec "$root/$tsan/sava" >"$scratch/player.out" 2>"$scratch/player.err"
) &
player=$!
sleep "$play_seconds"
kill -TERM "$player" 2>/dev/null || true
status=0
wait "$player" || status=$?
if [ "$status" -ne 0 ] || grep -q 'ThreadSanitizer' "$scratch/player.err" || [ -s "$scratch/player.out" ]; then
  echo "player under ThreadSanitizer: exit status $status" >&2
  cat "$scratch/player.err" >&2
  exit 1
fi
# The audio thread really ran: the disk driver wrote sound.
if [ ! -s "$scratch/audio.raw" ]; then
  echo "player under ThreadSanitizer wrote no sound" >&2
  exit 1
fi

step "all clean"
