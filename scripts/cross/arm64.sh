#!/usr/bin/env bash
# Cross-builds the whole program for arm64 Linux (player, sava-capture and
# the tests; the kernels take the scalar path there) against Debian's arm64
# multiarch libraries, runs the tests under qemu-user, and checks that
# sava-capture under qemu draws the very frames of the native x86-64 build in
# three short windows. The data are the native build's (the generator is not
# cross-built). Installs the native build's packages, the cross compiler,
# qemu-user and the arm64 libraries when missing, the run-time ones qemu
# loads included. With --build-only it stops once the programs are built
# (the release does this).
#
#   scripts/cross/arm64.sh [--build-only]
#
# Environment: ARM64_BUILD_DIR (default build-arm64), NATIVE_BUILD_DIR (the
# native build whose sava-capture and data are the reference, default build;
# built when missing), JOBS (-j, default 2).
set -euo pipefail
cd "$(dirname "$0")/../.."
dir=${ARM64_BUILD_DIR:-build-arm64}
native=${NATIVE_BUILD_DIR:-build}
jobs=${JOBS:-2}
build_only=0
case "${1:-}" in
  --build-only) build_only=1 ;;
  "") ;;
  *) echo "usage: $0 [--build-only]" >&2; exit 2 ;;
esac

# The native build's packages first: its generator makes the data and its
# sava-capture draws the reference frames.
scripts/install-deps.sh
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx arm64; then
  $sudo dpkg --add-architecture arm64
  $sudo apt-get update -qq
fi
# The cross compiler's own libstdc++ lives in its tree, where plain qemu does
# not look: the programs load the multiarch copies of the run-time libraries.
scripts/install-deps.sh python3 g++-aarch64-linux-gnu qemu-user \
  libc6:arm64 libgcc-s1:arm64 libstdc++6:arm64 \
  libsdl1.2-compat-dev:arm64 libpng-dev:arm64 libjpeg62-turbo-dev:arm64 libmpg123-dev:arm64 \
  zlib1g-dev:arm64 libmp3lame-dev:arm64

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
configured=$(cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/scripts/cross/aarch64-linux-gnu.cmake" \
  -DSAVA_EFFECTS_ONLY=OFF -DSAVA_GTEST_SOURCE_DIR=/usr/src/googletest)
if ! grep -qx -- '-- Effect kernels: scalar' <<<"$configured"; then
  echo "arm64 build did not configure the scalar kernels alone:" >&2
  grep -- 'Effect kernels' <<<"$configured" >&2 || true
  exit 1
fi
cmake --build "$dir" -j"$jobs"
[ "$build_only" = 1 ] && exit 0

# The tests run under qemu, and so do the programs they start through the
# test support library. Left out: a test that starts a program through a
# shell instead, and the ones that compare the sound after the decoder starts
# again (the music's repeat, a seek, --from) with one fresh decoding, sample
# for sample: Debian's arm64 libmpg123 rounds a few samples of a restarted
# decoding by 1 differently. The pictures never differ; the sound is checked
# within 1 below. Left out too: the tests that run the whole show ahead to
# find what reduced flashing softens, which take longer than a test may
# under emulation (the frames check below covers a softened stretch).
skip='Capture\.ClosedReaderOfRawFramesIsReportedAsABrokenPipe'
skip+='|DecoderTest\.RestartReplaysTheStreamExactly|SoundtrackRealTime\.CallbackThreadAndClockReaderShareOnlyTheClock'
skip+='|SoundtrackTest\.(ShortTrackRepeatsWithoutAGap|TagsAroundTheMusicDoNotReachTheSeam|SeekingStartsSampleExactlyAnywhereInTheRepeatedMusic)'
skip+='|SoundtrackTest\.(MonoIsPlayedOnBothChannels|ChunkMustFitTheQueue|SoundtracksOpenAtOnceReadIndependently)'
skip+='|SoundtrackTest\.(SeeksOnAVariableBitRateTrackMatchTheContinuousSound|StreamedFilePlaysAsTheWholeFileWhereItsBytesAreHere)'
skip+='|Capture\.(SoundIsSampleAligned|LateStartSeeksTheRepeatedSoundtrack|VideoHasTheRightLengthRateAndSound)'
skip+='|Preview\.(PauseHandsOutSilenceThenPictureAndSoundGoOnWhereTheSoundStopped|FromStartsTheMusicAtItsSampleAndDrawsTheFirstFrameAsCaptureDoes)'
skip+='|SessionTest\.(ReducedFlashingTurnedOnMidShowShowsWhatAStartWithItShows|FollowingASearchShowsTheFramesTheWholeSearchGives)'
skip+='|Preview\.(ReducedFlashingShowsWhatCaptureWritesWithIt|ReducedFlashingWithOtherPicturesShowsWhatCaptureWrites)'
skip+='|Preview\.(SeeksPlayFromTheirSampleAndDrawWhatCaptureDrawsUnderTheOverlay|LoopNeverPassesTheNextCue)'
ctest --test-dir "$dir" --output-on-failure -j"$jobs" -E "$skip"

# The frames: arm64 under qemu against the native build.
scripts/install-deps.sh
cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" -j"$jobs" --target assets sava-capture
data=$native/data
[ -f "$data/rinnu.mp3" ] || { echo "no generated data/ in the native build $native" >&2; exit 1; }
failed=0
# A cue start (the mobile computing scene), the middle of the panorama, the
# end screen, and reduced flashing easing into a blurred sequence (the whole
# show run ahead under qemu first, to find what to soften).
for window in "64000 65000" "150000 151000" "182000 184000" "113500 115000 --reduce-flashing"; do
  read -r from to extra <<<"$window"
  args=(--data "$data" --from "$from" --to "$to" $extra --raw -)
  want=$("$native/tools/capture/sava-capture" "${args[@]}" | sha256sum)
  got=$(qemu-aarch64 "$dir/tools/capture/sava-capture" "${args[@]}" | sha256sum)
  if [ "$want" = "$got" ]; then
    echo "arm64 frames $from..$to ms${extra:+ $extra}: equal to x86-64"
  else
    echo "arm64 frames $from..$to ms${extra:+ $extra}: DIFFER from x86-64" >&2
    failed=1
  fi
done
# The sound of the show's last seconds: equal, or within 1 a sample.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
args=(--data "$data" --from 176000 --to 184000 --wav)
"$native/tools/capture/sava-capture" "${args[@]}" "$scratch/native.wav"
qemu-aarch64 "$dir/tools/capture/sava-capture" "${args[@]}" "$scratch/arm64.wav"
if report=$(scripts/lib/wav-within-one.py "$scratch/native.wav" "$scratch/arm64.wav"); then
  echo "arm64 sound 176000..184000 ms: $report"
else
  echo "arm64 sound 176000..184000 ms: $report" >&2
  failed=1
fi
exit "$failed"
