#!/usr/bin/env bash
# Measures how far picture and sound of the show are apart as heard: a
# private PulseAudio with a null sink and an Xvfb display, the show played on
# them (SDL_AUDIODRIVER=pulseaudio), the sink's monitor recorded and the
# window's middle polled, both with monotonic time stamps; analyze.py finds
# the moments where a flash and a sharp onset come together in both, against
# the show rendered by sava-capture. A tool, not a test.
#
#   scripts/sync/measure.sh [--from MS] [--seconds N] [--stall MS] [--audio-delay MS]
#                           [--keys KEY...] [--keep DIR] [--build DIR] [--sava PATH]
#
# --from starts the show at MS (default 30000, where the flashes begin).
# --stall stops the player (SIGSTOP) for MS milliseconds half way through.
# --keys presses keys (xdotool names, e.g. KP_Add) in the window half way
# through instead, one every 100 ms.
# With either, the figures are given before and from 2 s after.
# --keep copies what was polled and recorded into DIR (analyze.py reads it).
# PULSE_LATENCY_MSEC, when set, asks the sound server for that latency.
# Installs what it needs (the sound server, Xvfb, the X11 and PulseAudio
# client libraries the helpers are built with) and builds the player and
# its helpers in DIR (default build/) unless --sava names another player.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
from=30000 seconds=60 stall=0 delay= keys=() keep= build=$here/../../build sava=
while [ $# -gt 0 ]; do
  case $1 in
    --from) from=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --keys) shift; while [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; do keys+=("$1"); shift; done ;;
    --stall) stall=$2; shift 2 ;;
    --audio-delay) delay=$2; shift 2 ;;
    --keep) keep=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --sava) sava=$2; shift 2 ;;
    *) echo "measure.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
"$here/../install-deps.sh"
"$here/../install-deps.sh" pulseaudio xvfb x11-utils xdotool libpulse-dev libx11-dev python3 python3-numpy
cmake -S "$here/../.." -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target sava sava-capture sava-sync-pixel-poll sava-sync-record >/dev/null
work=$(mktemp -d)
pids=()
cleanup() {
  # The player and the helpers first, then the servers they use.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
sava=${sava:-$build/sava}
pixel_poll=$build/tools/sync_measure/sava-sync-pixel-poll
record=$build/tools/sync_measure/sava-sync-record
capture=$build/tools/capture/sava-capture
for program in "$sava" "$pixel_poll" "$record" "$capture"; do
  [ -x "$program" ] || { echo "measure.sh: $program is not built" >&2; exit 1; }
done

export XDG_RUNTIME_DIR=$work HOME=$work XDG_CONFIG_HOME=$work/config
export PULSE_SERVER=unix:$work/pulse.sock
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --system=false \
  -L "module-null-sink sink_name=measure rate=44100" \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$work/pulse.sock" >"$work/pulse.log" 2>&1 &
pids+=($!)
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 640x480x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do
  [ -S "$work/pulse.sock" ] && xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done

length=$((seconds + 3))
"$record" measure.monitor "$work/sound" "$length" &
recording=$!
pids+=($recording)
args=(--windowed --data "$build/data" --from "$from")
[ -n "$delay" ] && args+=(--audio-delay "$delay")
SDL_AUDIODRIVER=pulseaudio SDL_VIDEODRIVER=x11 "$sava" "${args[@]}" >"$work/sava.log" 2>&1 &
player=$!
pids+=($player)
"$pixel_poll" "$length" >"$work/pixels" &
poll=$!
pids+=($poll)
stall_at=
if [ "$stall" -gt 0 ]; then
  sleep $((seconds / 2))
  stall_at=$(python3 -c 'import time; print(time.monotonic_ns())')
  kill -STOP "$player"
  sleep "$(python3 -c "print($stall / 1000)")"
  kill -CONT "$player"
elif [ ${#keys[@]} -gt 0 ]; then
  sleep $((seconds / 2))
  stall_at=$(python3 -c 'import time; print(time.monotonic_ns())')
  for window in $(xdotool search --onlyvisible --name .); do xdotool windowfocus "$window"; done
  for key in "${keys[@]}"; do xdotool key "$key"; sleep 0.1; done
fi
wait "$poll" || true
wait "$recording" || true
kill "$player" 2>/dev/null || true
[ -z "$keep" ] || { mkdir -p "$keep" && cp "$work/pixels" "$work"/sound.* "$keep/" && echo "$stall_at" >"$keep/event"; }
# Debian's python3, which has numpy, rather than one earlier on the PATH.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
to=$((from + (length + 1) * 1000))
[ "$to" -le 184000 ] || to=184000  # the show's end
"$python" "$here/analyze.py" "$capture" "$build/data" "$from" "$to" \
  "${delay:-0}" "$work/pixels" "$work/sound" $stall_at
