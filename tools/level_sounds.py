#!/usr/bin/python3
"""Brings recordings to the game's one loudness (maximum momentary loudness) with the
true peak under the ceiling, and writes them as 16-bit PCM of the same length.

A sound whose peaks would pass the ceiling at that loudness gets a fast, smooth
peak limiter (1.5 ms look-ahead, no distortion of the waveform's shape beyond
the few peaks) rather than less level. Deterministic: same input, same bytes.
Usage: level_sounds.py OUTDIR IN.wav...
"""
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import loudness as L  # noqa: E402

CEILING_DBTP = L.MAX_TRUE_PEAK - 0.3  # room for the rounding to 16 bits


def limit(xs, rate, ceiling):
    up = np.abs(L._upsample4(xs)).reshape(len(xs), 4).max(axis=1)
    need = np.minimum(1.0, ceiling / np.maximum(up, 1e-12))
    if need.min() >= 1.0:
        return xs
    w = max(1, int(rate * 0.0015))
    pad = np.concatenate([np.ones(w), need, np.ones(w)])
    lowest = np.min(np.lib.stride_tricks.sliding_window_view(pad, 2 * w + 1), axis=1)
    # averaging over no more than the minimum's own span keeps every sample at or
    # under what it needs
    pad = np.concatenate([np.ones(w), lowest, np.ones(w)])
    smooth = np.convolve(pad, np.ones(2 * w + 1) / (2 * w + 1), mode="valid")
    return xs * smooth


def level(xs, rate):
    ceiling = 10.0 ** (CEILING_DBTP / 20.0)
    gain = 1.0
    ys = xs
    for _ in range(8):
        ys = xs * gain
        for _ in range(3):
            ys = limit(ys, rate, ceiling)
        off = L.TARGET_LUFS - L.momentary_max(ys, rate)
        if abs(off) < 0.05:
            break
        gain *= 10.0 ** (off / 20.0)
    return ys


def main():
    outdir = sys.argv[1]
    for path in sys.argv[2:]:
        rate, xs = L.read(path)
        ys = level(xs, rate)
        L.write(os.path.join(outdir, os.path.basename(path)), rate, ys)


if __name__ == "__main__":
    main()
