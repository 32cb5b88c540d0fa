#!/usr/bin/env python3
"""Offsets between picture and sound in a measured run of sava --sync-test.

Usage: analyze.py PIXELS RECORDING [STALL_NS]
PIXELS: lines "ns brightness" (pixel_poll); RECORDING.raw/.times (record).
The flash on screen is 255 on the beat and fades to 0 over 100 ms, so each
look at a fading flash tells when its beat was on screen; the click starts
on the beat's sample. Prints, per beat, picture minus sound in ms (positive:
the picture late), then median, spread and trend (ms per s)."""
import statistics
import struct
import sys

BEAT_MS = 500
FLASH_MS = 100


def sound_onsets(prefix):
    raw = open(prefix + '.raw', 'rb').read()
    ends = [int(line) for line in open(prefix + '.times')]
    left = struct.unpack('<%dh' % (len(raw) // 2), raw)[0::2]
    onsets = []
    quiet = 0
    for i, v in enumerate(left):
        if abs(v) > 2000 and quiet > 441 * 20:
            block = i // 441
            if block < len(ends):
                onsets.append(ends[block] - (440 - i % 441) * 1e9 / 44100)
        quiet = 0 if abs(v) > 2000 else quiet + 1
    return onsets


def picture_beats(path):
    looks = [tuple(map(int, line.split())) for line in open(path) if line.strip()]
    beats, current = [], []
    for t, b in looks:
        if 20 <= b <= 250:
            # the beat was on screen (100 - b * 100 / 255) ms before
            current.append(t - (FLASH_MS - b * FLASH_MS / 255.0) * 1e6)
        elif b < 5 and current:
            beats.append(statistics.median(current))
            current = []
    return beats


def main():
    pixels, recording = sys.argv[1], sys.argv[2]
    stall = int(sys.argv[3]) if len(sys.argv) > 3 else None
    onsets = sound_onsets(recording)
    beats = picture_beats(pixels)
    if not onsets or not beats:
        print('no flashes or no clicks found', file=sys.stderr)
        return 1
    # Each click with the flash nearest to it (a flash or a click missed
    # under load leaves its partner out rather than mispaired).
    best = {}
    for p in beats:
        a = min(onsets, key=lambda o: abs(o - p))
        if abs(a - p) < BEAT_MS / 2 * 1e6 and (a not in best or abs(p - a) < abs(best[a])):
            best[a] = p - a
    pairs = sorted((a, off / 1e6) for a, off in best.items())
    t0 = pairs[0][0]
    for a, off in pairs:
        print('%9.3f s  %+7.1f ms' % ((a - t0) / 1e9, off))

    def summary(name, part):
        if len(part) < 3:
            return
        offs = [o for _, o in part]
        xs = [(a - t0) / 1e9 for a, _ in part]
        mx, my = statistics.mean(xs), statistics.mean(offs)
        slope = sum((x - mx) * (y - my) for x, y in zip(xs, offs)) / max(1e-9, sum((x - mx) ** 2 for x in xs))
        print('%s: %d moments, median %+.1f ms, spread %+.1f..%+.1f ms, trend %+.3f ms/s' %
              (name, len(offs), statistics.median(offs), min(offs), max(offs), slope))

    if stall is None:
        summary('all', pairs)
    else:
        summary('before the stall', [p for p in pairs if p[0] < stall])
        summary('after the stall (from 2 s on)', [p for p in pairs if p[0] > stall + 2e9])
    return 0


if __name__ == '__main__':
    sys.exit(main())
