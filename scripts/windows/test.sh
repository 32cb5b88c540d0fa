#!/usr/bin/env bash
# Checks the Windows programs under wine, headless, as a user meets them:
# sava-capture.exe draws the native frames (three windows: a cue start, a
# scene middle, the end screen) and the native sound (equal, or within 1 a
# sample: the decoders may round differently); every output to standard
# output as the native one; the null device NUL as an output, the other
# device names refused; sava.exe's --help and a misuse; the player with
# SDL's dummy drivers plays the end of the show and ends by itself; a
# missing picture is reported. Run scripts/windows/build.sh first. Prints
# "N passed, N failed"; exit status 1 if any failed.
#
# Environment: NATIVE_BUILD_DIR (default build).
set -uo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps.sh || exit 1
scripts/install-deps.sh python3 wine64 wine || exit 1
native=${NATIVE_BUILD_DIR:-build}
root=$PWD/build-windows
version=$(sed -n 's/^project(sava VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
programs=$root/sava-$version-windows-x86_64
capture_exe=$programs/sava-capture.exe
player_exe=$programs/sava.exe
for f in "$capture_exe" "$player_exe" "$native/tools/capture/sava-capture"; do
  [ -f "$f" ] || { echo "missing $f: run scripts/windows/build.sh first" >&2; exit 1; }
done
data=$programs/data

# A wine prefix of its own, made once (about 700 MB, in build-windows/).
export WINEPREFIX=$root/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || wineboot --init >/dev/null 2>&1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

passed=0 failed=0
check() {  # check NAME COMMAND...: passes when the command succeeds
  local name=$1 started=$SECONDS
  shift
  if "$@" > "$scratch/out" 2>&1; then
    passed=$((passed + 1))
    echo "ok    $name ($((SECONDS - started)) s)"
  else
    failed=$((failed + 1))
    echo "FAIL  $name"
    sed 's/^/      /' "$scratch/out" | tail -n 20
  fi
}

same_frames() {  # FROM TO
  local args=(--from "$1" --to "$2" --raw -)
  local want got
  want=$("$native/tools/capture/sava-capture" --data "$data" "${args[@]}" | sha256sum)
  got=$(timeout 300 wine "$capture_exe" --data "$data" "${args[@]}" | sha256sum)
  echo "native $want, windows $got"
  [ "$want" = "$got" ]
}

same_sound() {  # FROM TO: every sample equal or within 1
  "$native/tools/capture/sava-capture" --data "$data" --from "$1" --to "$2" --wav "$scratch/native.wav" &&
    (cd "$scratch" && timeout 300 wine "$capture_exe" --data "$data" --from "$1" --to "$2" --wav windows.wav) &&
    scripts/lib/wav-within-one.py "$scratch/native.wav" "$scratch/windows.wav"
}

# Every kind of output to standard output: the bytes the native capture
# writes there (the sound within 1 a sample), none added on the way.
same_on_standard_output() {  # KIND
  local args=(--data "$data" --from 64000 --to 65100 --fps 10 "--$1" -)
  "$native/tools/capture/sava-capture" "${args[@]}" > "$scratch/native.$1" &&
    timeout 300 wine "$capture_exe" "${args[@]}" > "$scratch/windows.$1" || return 1
  echo "native $(wc -c < "$scratch/native.$1") bytes, windows $(wc -c < "$scratch/windows.$1") bytes"
  if [ "$1" = wav ]; then
    scripts/lib/wav-within-one.py "$scratch/native.$1" "$scratch/windows.$1"
  else
    cmp "$scratch/native.$1" "$scratch/windows.$1"
  fi
}

# Runs a program under wine; passes when it ends with `status` and its
# standard error (or output) holds `text` (if not empty).
status_and_text() {  # STATUS TEXT PROGRAM ARGS...
  local want=$1 text=$2
  shift 2
  timeout 120 wine "$@" > "$scratch/stdout" 2> "$scratch/stderr"
  local status=$?
  cat "$scratch/stdout" "$scratch/stderr"
  echo "status $status"
  [ "$status" = "$want" ] && { [ -z "$text" ] || grep -qF -- "$text" "$scratch/stdout" "$scratch/stderr"; }
}

# An output named after a device of Windows: the null device takes the
# output and the capture succeeds; any other device is refused with one line
# before anything is drawn; no file of that name is made.
device_output() {  # STATUS TEXT OPTION NAME
  rm -rf "$scratch/devices" && mkdir "$scratch/devices" &&
    (cd "$scratch/devices" &&
      status_and_text "$1" "$2" "$capture_exe" --data "$data" --from 64000 --to 64100 "$3" "$4") || return 1
  [ "$1" = 0 ] || [ "$(wc -l < "$scratch/stderr")" = 1 ] || return 1
  [ -z "$(ls -A "$scratch/devices")" ] || { ls -l "$scratch/devices"; return 1; }
}

missing_picture() {
  cp -r "$data" "$scratch/data"
  local victim
  victim=$(cd "$scratch/data" && ls | grep -v '\.mp3$' | head -n 1)
  rm "$scratch/data/$victim"
  (cd "$scratch" && status_and_text 1 "Couldn't load data/$victim" "$player_exe" --windowed) &&
    [ "$(wc -l < "$scratch/stderr")" = 1 ]
}

check "frames of a cue start (64.0 s to 65.0 s)" same_frames 64000 65000
check "frames of a scene middle (150.0 s to 151.0 s)" same_frames 150000 151000
check "frames of the end screen (182.0 s to 184.0 s)" same_frames 182000 184000
check "sound (64.0 s to 70.0 s) within 1 a sample" same_sound 64000 70000
for kind in raw wav sheet; do
  check "--$kind - gives standard output the native bytes" same_on_standard_output "$kind"
done
check "--raw NUL is the null device" device_output 0 "" --raw NUL
check "--wav nul.wav is the null device" device_output 0 "" --wav nul.wav
check "--raw CON is refused" device_output 1 "CON: a device of Windows" --raw CON
check "--wav aux.wav is refused" device_output 1 "aux.wav: a device of Windows" --wav aux.wav
check "--sheet com1.png is refused" device_output 1 "com1.png: a device of Windows" --sheet com1.png
check "sava.exe --help" status_and_text 0 "--windowed" "$player_exe" --help
check "sava.exe misuse ends with status 2" status_and_text 2 "sava --help lists the options" "$player_exe" --scale 0
check "sava-capture.exe misuse ends with status 2" status_and_text 2 "sava-capture --help" "$capture_exe" --fps x
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
check "sava.exe plays the end of the show and ends by itself" \
  status_and_text 0 "" "$player_exe" --windowed --data "$data" --from 182000
check "sava.exe reports a missing picture" missing_picture

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
