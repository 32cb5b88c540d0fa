#!/usr/bin/env bash
# Memory checking with valgrind's memcheck on a plain (unsanitized) build:
#  1. the whole show rendered offline (sava-capture --to 184001 --null) at a
#     modest frame rate, from the show data and again from pictures of the
#     least sizes the show needs;
#  2. the player run headless until its frame loop and audio run, then ended
#     by SIGTERM.
# Each must end with "ERROR SUMMARY: 0 errors" and nothing definitely lost.
# The only suppressions (scripts/reliability/valgrind.supp) are for the
# multimedia library's and its video driver's own allocations.
# The show data is the generated data/ of the project root when it is
# complete, otherwise fixture data written by sava-test-data (tests/support).
#
#   scripts/reliability/valgrind.sh [FPS]     (default 10 frames per second)
#
# Environment: VALGRIND_BUILD_DIR (default build-rel-valgrind), VALGRIND_JOBS
# (-j, default 2), PLAY_SECONDS (player time after its sound starts, default 4).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
build=${VALGRIND_BUILD_DIR:-build-rel-valgrind}
jobs=${VALGRIND_JOBS:-2}
fps=${1:-10}
play_seconds=${PLAY_SECONDS:-4}

if ! command -v valgrind >/dev/null; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing valgrind" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends valgrind >/dev/null
fi

started=$SECONDS
step() { echo "== [$((SECONDS - started))s] $*" >&2; }

scratch=$(mktemp -d)
player=""
cleanup() {
  [ -n "$player" ] && kill -KILL "$player" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

step "build ($build)"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs" --target sava sava-capture sava-test-data >/dev/null

show_dir="$scratch/show"
mkdir -p "$show_dir"
if [ -f "$root/data/rinnu.mp3" ] && [ "$(find "$root/data" -maxdepth 1 \( -name '*.png' -o -name '*.jpg' \) | wc -l)" -ge 224 ]; then
  ln -s "$root/data" "$show_dir/data"
  echo "show data: data/ of the project root" >&2
else
  "$build/tests/support/sava-test-data" "$show_dir"
  echo "show data: fixture pictures and soundtrack (no generated data/ yet)" >&2
fi

memcheck=(valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect
          --errors-for-leak-kinds=definite --track-fds=no --num-callers=30
          --suppressions="$root/scripts/reliability/valgrind.supp" --gen-suppressions=all)

# Passes when the log shows no error and nothing definitely lost.
check_log() {
  local what=$1 log=$2
  if ! grep -q 'ERROR SUMMARY: 0 errors' "$log"; then
    echo "$what: memcheck found errors (log follows)" >&2
    cat "$log" >&2
    return 1
  fi
  if grep -q 'definitely lost: [1-9]' "$log"; then
    echo "$what: memory definitely lost (log follows)" >&2
    cat "$log" >&2
    return 1
  fi
  grep -E 'ERROR SUMMARY|definitely lost|in use at exit|All heap blocks' "$log" | sed "s/^==[0-9]*== /  $what: /" >&2
}

# Renders the whole show from the data/ under $1; $2 names the run.
render_show() {
  local dir=$1 name=$2 status=0
  step "whole show rendered offline under memcheck at $fps fps ($name)"
  (cd "$dir" && "${memcheck[@]}" --log-file="$scratch/$name.vg" \
     "$root/$build/tools/capture/sava-capture" --to 184001 --fps "$fps" --null \
     >"$scratch/$name.out" 2>"$scratch/$name.err") || status=$?
  if [ "$status" -ne 0 ]; then
    echo "sava-capture under memcheck: exit status $status" >&2
    cat "$scratch/$name.err" "$scratch/$name.vg" >&2
    return 1
  fi
  check_log "$name" "$scratch/$name.vg"
}

render_show "$show_dir" capture
# Every picture at the least size the show needs: the tightest source
# rectangles the scenes may meet.
small_dir="$scratch/smallest"
mkdir -p "$small_dir"
"$build/tests/support/sava-test-data" "$small_dir" --smallest
render_show "$small_dir" capture-smallest

step "player under memcheck, ended by SIGTERM ${play_seconds}s after its sound starts"
audio="$scratch/audio.raw"
(
  cd "$show_dir"
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio" \
    exec "${memcheck[@]}" --log-file="$scratch/player.vg" "$root/$build/sava" \
    >"$scratch/player.out" 2>"$scratch/player.err"
) &
player=$!
# Start-up (decoding every picture) is slow under memcheck: wait for the
# first sound, with a bound.
for _ in $(seq 1 600); do
  [ -s "$audio" ] && break
  kill -0 "$player" 2>/dev/null || break
  sleep 0.5
done
if [ ! -s "$audio" ]; then
  echo "player under memcheck never started its sound" >&2
  cat "$scratch/player.err" "$scratch/player.vg" >&2 || true
  exit 1
fi
sleep "$play_seconds"
kill -TERM "$player" 2>/dev/null || true
status=0
wait "$player" || status=$?
player=""
if [ "$status" -ne 0 ]; then
  echo "player under memcheck: exit status $status" >&2
  cat "$scratch/player.err" "$scratch/player.vg" >&2
  exit 1
fi
check_log player "$scratch/player.vg"

step "all clean"
