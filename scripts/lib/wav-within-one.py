#!/usr/bin/env python3
"""Compares two 16-bit WAV files of sava-capture --wav: same size and header,
every sample equal or within 1. Prints how many differ; exit status 1 if
any differs by more (or the files do not match in shape).

    scripts/lib/wav-within-one.py A.wav B.wav
"""
import struct
import sys

a, b = (open(p, "rb").read() for p in sys.argv[1:3])
if len(a) != len(b) or a[:44] != b[:44]:
    sys.exit(f"sizes or headers differ: {len(a)} and {len(b)} bytes")
n = (len(a) - 44) // 2
x = struct.unpack(f"<{n}h", a[44:44 + 2 * n])
y = struct.unpack(f"<{n}h", b[44:44 + 2 * n])
off = sum(1 for p, q in zip(x, y) if p != q)
worst = max((abs(p - q) for p, q in zip(x, y)), default=0)
print(f"{off} of {n} samples differ, by at most {worst}")
sys.exit(1 if worst > 1 else 0)
