#!/usr/bin/env python3
"""Offsets between picture and sound in a measured run of the show.

Usage: analyze.py CAPTURE DATA FROM_MS TO_MS DELAY_MS PIXELS RECORDING [STALL_NS]

CAPTURE, DATA: sava-capture and the show's data, which render the reference:
the frames and the sound of show time FROM_MS..TO_MS as the show makes them.
PIXELS: lines "ns brightness" (sava-sync-pixel-poll: the window's middle);
RECORDING.raw and .times (sava-sync-record: the sound heard, lines "frames ns").
DELAY_MS: the audio delay the player started with (where to look for the picture).

The moments measured are those where the middle of the picture lights up and
the sound starts sharply at once. At each:
- the sound: the rendered sound around it is found in the recording by
  cross-correlation, which tells the monotonic time at which its show time
  was heard;
- the picture: each frame shown while the flash fades is looked at first at
  a known monotonic time, and its brightness, matched against a render of the
  fading flash at 1000 frames a second, tells its own show time (to about a
  millisecond, however far apart the frames came). A moment counts only
  where most frames agree on it and where the fade looks the same at other
  frame rates: an effect that draws over the frame before looks different
  at the player's rate than in the render, and cannot be matched.
Each side gives the monotonic time of show time 0; their difference is the
offset (positive: the picture late). Prints the offset at every moment, then
median, worst and trend (ms per s) of all; when STALL_NS (the monotonic time the
player was stopped, or keys were pressed) is given, also before it and
from 2 s after it."""
import statistics
import subprocess
import sys
import wave

import numpy as np

RATE = 44100
WIDTH, HEIGHT = 400, 300
# The region sava-sync-pixel-poll averages: x 180..219, y 200..239.
REGION = (slice(200, 240), slice(180, 220))
# A flash: the middle brightens by this much from one frame at 60 fps to the next.
FLASH_RISE = 60
# A sharp onset: the sound's level in the 15 ms after the flash against the 30 ms before.
ONSET_RATIO = 3.0
# The stretch after a flash's start rendered at 1000 fps and matched against.
FADE_MS = 300
# A shown frame counts when its brightness lies within this many ms of show time.
MATCH_SPAN_MS = 6
# The frames looked at: from this many ms before the moment is expected on
# screen to as long after its fade.
LOOK_REACH_MS = 120
# A moment's picture counts when at least this many frames were matched and
# at least two thirds of them agree within this many ms of their median.
LEAST_FRAMES = 3
AGREE_MS = 3
# Rates at which the fade is rendered as well: a moment whose fade looks
# different at them (an effect that draws over the frame before, whose look
# depends on how many frames came before) cannot be matched and is left out.
CHECK_RATES = (50, 60, 75)
# The sound is followed in steps of 100 ms, each 50 ms of it looked for up to
# 3 s after where it would be without a gap, matching at this level...
TRACK_STEP = RATE // 10
TRACK_TEMPLATE = RATE // 20
TRACK_REACH = RATE * 3
TRACK_MATCH = 0.995
# ...and as far before it as a server may drop.
TRACK_NEAR = RATE // 4


def brightness(frame):
    g = (np.frombuffer(frame, dtype=np.uint32).reshape(HEIGHT, WIDTH)[REGION] >> 8) & 0xFF
    return int(g.sum()) // g.size


def render(capture, data, from_ms, to_ms, fps, wav=None):
    """The middle's brightness of every frame (and the sound into `wav`)."""
    args = [capture, '--data', data, '--from', str(from_ms), '--to', str(to_ms), '--fps', str(fps), '--raw', '-']
    if wav:
        args += ['--wav', wav]
    size = WIDTH * HEIGHT * 4
    levels = []
    with subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL) as run:
        while len(frame := run.stdout.read(size)) == size:
            levels.append(brightness(frame))
    if run.returncode != 0:
        raise RuntimeError('%s ended with status %d' % (capture, run.returncode))
    return levels


def mono(samples):
    return samples.reshape(-1, 2).astype(np.float64).mean(axis=1)


def read_wav(path):
    with wave.open(path) as w:
        return mono(np.frombuffer(w.readframes(w.getnframes()), dtype='<i2'))


def level(sound, start, end):
    part = sound[max(0, start):max(0, end)]
    return float(np.sqrt(np.mean(part ** 2))) if len(part) else 0.0


def find_moments(levels, sound, from_ms):
    """Show times (ms, at 60 fps) where a flash starts with a sharp onset."""
    moments = []
    for i in range(1, len(levels)):
        if levels[i] - levels[i - 1] < FLASH_RISE:
            continue
        ms = from_ms + round(i * 1000 / 60)
        at = round((ms - 17 - from_ms) * RATE / 1000)  # the onset lies within the frame before
        before = level(sound, at - 30 * RATE // 1000, at)
        after = level(sound, at, at + 32 * RATE // 1000)
        if after > 500 and after > ONSET_RATIO * max(before, 1.0):
            moments.append(ms - 17)
    return moments


def normalized_correlation(signal, template):
    """At every offset of `template` in `signal`: their correlation, 1 where
    the signal is the template (up to its level)."""
    n = 1 << int(np.ceil(np.log2(len(signal) + len(template))))
    c = np.fft.irfft(np.fft.rfft(signal, n) * np.conj(np.fft.rfft(template, n)), n)[:len(signal) - len(template) + 1]
    energy = np.concatenate(([0.0], np.cumsum(signal ** 2)))
    window = energy[len(template):] - energy[:len(signal) - len(template) + 1]
    return c / np.sqrt(np.maximum(window, 1e-9) * float(np.sum(template ** 2)))


class Recording:
    def __init__(self, prefix):
        self.sound = mono(np.fromfile(prefix + '.raw', dtype='<i2'))
        marks = np.loadtxt(prefix + '.times', dtype=np.int64, ndmin=2)
        self.frames, self.ns = marks[:, 0], marks[:, 1]

    def heard_ns(self, frame):
        """When frame `frame` was heard: the time stamps near it, each moved
        to that frame at the sample rate, their median (reads come late now
        and then, the sound itself does not)."""
        near = np.abs(self.frames - frame) < 2 * RATE
        if not near.any():
            near = np.ones(len(self.frames), dtype=bool)
        return float(np.median(self.ns[near] + (frame - self.frames[near]) * 1e9 / RATE))


def first_loud(sound):
    loud = np.nonzero(np.abs(sound) > 100)[0]
    return int(loud[0]) if len(loud) else None


def track_sound(recording, reference, from_ms, moments):
    """The frame of the recording where the reference's sound at each moment
    was heard: {ms: frame}. The recording is the show's sound with silence
    where the player fell behind (a stall, a starved audio thread) and short
    stretches missing where the server dropped what came too late, so it is
    followed step by step, each step's sound looked for around where the
    step before was found: the nearest place that matches within
    TRACK_NEAR, else the first one after (the music repeats itself, so a
    place further on is never taken while a nearer one matches)."""
    rec = first_loud(recording.sound)
    ref = first_loud(reference)
    if rec is None or ref is None:
        return {}
    positions = sorted(set(list(range(ref, len(reference), TRACK_STEP)) +
                           [round((ms - from_ms) * RATE / 1000) for ms in moments]))
    found = {}
    for p in positions:
        template = reference[p:p + TRACK_TEMPLATE]
        if p < ref or len(template) < TRACK_TEMPLATE or level(template, 0, len(template)) < 300:
            continue
        expected = rec + (p - ref)
        lo = max(0, expected - TRACK_NEAR)
        part = recording.sound[lo:expected + TRACK_TEMPLATE + TRACK_REACH]
        if len(part) < TRACK_TEMPLATE:
            break
        ncc = normalized_correlation(part, template)
        good = np.nonzero(ncc > TRACK_MATCH)[0] + lo - expected
        if not len(good):
            continue
        near = good[np.abs(good) <= TRACK_NEAR]
        k = int(near[np.argmin(np.abs(near))] if len(near) else good[0])
        # The best match among the frames next to it.
        k += int(np.argmax(ncc[k + expected - lo:k + expected - lo + 44]))
        rec, ref = expected + k, p
        found[p] = rec
    return {ms: found[p] for ms in moments if (p := round((ms - from_ms) * RATE / 1000)) in found}


def picture_anchor(looks, curve, ms, expected_ns):
    """Monotonic ns at which show time 0 was on screen, from the frames shown
    while the flash at `ms` fades (the curve: its brightness per ms from ms),
    looked for around `expected_ns` (where show time 0 was heard)."""
    times, levels = looks
    lo = np.searchsorted(times, expected_ns + (ms - LOOK_REACH_MS) * 1e6)
    hi = np.searchsorted(times, expected_ns + (ms + len(curve) + LOOK_REACH_MS) * 1e6)
    anchors = []
    for i in range(max(lo, 1), hi):
        if levels[i] == levels[i - 1]:
            continue  # the same frame looked at again
        match = np.nonzero(curve == levels[i])[0]
        if len(match) and match[-1] - match[0] <= MATCH_SPAN_MS:
            anchors.append(times[i] - (ms + float(match.mean())) * 1e6)
    if len(anchors) < LEAST_FRAMES:
        return None
    middle = float(np.median(anchors))
    agreeing = [a for a in anchors if abs(a - middle) <= AGREE_MS * 1e6]
    if 3 * len(agreeing) < 2 * len(anchors):
        return None
    return float(np.median(agreeing))


def same_at_any_rate(capture, data, curve, ms):
    """Whether the fade's frames at CHECK_RATES (each rendered from a second
    before) have the brightness the curve gives at their show times."""
    for fps in CHECK_RATES:
        start = ms - 1000
        for i, seen in enumerate(render(capture, data, start, ms + len(curve), fps)):
            t = start + i * 1000 // fps
            if t >= ms and seen != curve[t - ms]:
                return False
    return True


def summary(name, part, t0):
    if len(part) < 3:
        print('%s: %d moments, too few' % (name, len(part)))
        return
    xs = np.array([(t - t0) / 1e9 for t, _, _ in part])
    offs = np.array([o for _, _, o in part])
    slope = np.polyfit(xs, offs, 1)[0]
    print('%s: %d moments, median %+.1f ms, worst %+.1f ms (%+.1f..%+.1f), trend %+.3f ms/s' %
          (name, len(offs), statistics.median(offs), offs[np.argmax(np.abs(offs))], offs.min(), offs.max(), slope))


def main():
    if len(sys.argv) not in (8, 9):
        print(__doc__.split('\n\n')[1], file=sys.stderr)
        return 2
    capture, data, from_ms, to_ms, delay_ms, pixels, prefix = sys.argv[1:8]
    from_ms, to_ms, delay_ms = int(from_ms), int(to_ms), int(delay_ms)
    stall = int(sys.argv[8]) if len(sys.argv) > 8 else None
    wav = prefix + '.reference.wav'
    moments = find_moments(render(capture, data, from_ms, to_ms, 60, wav), read_wav(wav), from_ms)
    reference = read_wav(wav)
    recording = Recording(prefix)
    looks = np.loadtxt(pixels, dtype=np.int64, ndmin=2)
    if looks.shape[0] == 0 or looks.shape[1] != 2:
        print('analyze.py: no looks at the window in %s' % pixels, file=sys.stderr)
        return 1
    looks = (looks[:, 0], looks[:, 1])
    heard_at = track_sound(recording, reference, from_ms, moments)
    rows = []
    for i, ms in enumerate(moments):
        if ms not in heard_at:
            continue
        heard = recording.heard_ns(heard_at[ms]) - ms * 1e6
        # The fade until the next moment at most.
        span = min(FADE_MS, moments[i + 1] - ms if i + 1 < len(moments) else FADE_MS)
        curve = np.array(render(capture, data, ms, ms + span, 1000))
        if not same_at_any_rate(capture, data, curve, ms):
            continue
        shown = picture_anchor(looks, curve, ms, heard + delay_ms * 1e6)
        if shown is None:
            continue
        rows.append((heard + ms * 1e6, ms, (shown - heard) / 1e6))
    if not rows:
        print('analyze.py: no moment found in both picture and sound', file=sys.stderr)
        return 1
    t0 = rows[0][0]
    for t, ms, off in rows:
        print('%8.3f s  show %6d ms  %+7.1f ms' % ((t - t0) / 1e9, ms, off))
    summary('all', rows, t0)
    if stall is not None:
        summary('before', [r for r in rows if r[0] < stall], t0)
        summary('from 2 s after', [r for r in rows if r[0] > stall + 2e9], t0)
    return 0


if __name__ == '__main__':
    sys.exit(main())
