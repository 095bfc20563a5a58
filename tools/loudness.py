"""Loudness, true peak, click and dead-air measurements for the game's recordings.

Loudness follows ITU-R BS.1770 (K-weighting, 400 ms blocks); numpy only, so the
check runs on any machine with Debian's python3-numpy. The game's sounds are short
(many shorter than one 400 ms block), so the level we match is the maximum
momentary loudness: the loudest 400 ms window, a short sound padded with silence.
"""
import math
import struct
import wave

import numpy as np

TARGET_LUFS = -20.0     # maximum momentary loudness of every recording
TOLERANCE_LU = 0.5      # each file within this of the target
MAX_TRUE_PEAK = -1.0    # dBTP
SILENCE_DBFS = -50.0    # a 10 ms stretch quieter than this is silence
MAX_LEAD_MS = 40.0      # silence allowed before the sound starts
MAX_TAIL_MS = 200.0     # silence allowed after it has died away


def read(path):
    """Returns (rate, samples as floats in [-1, 1))."""
    with wave.open(path, "rb") as w:
        rate, n = w.getframerate(), w.getnframes()
        raw = w.readframes(n)
    xs = np.array(struct.unpack("<%dh" % n, raw), dtype=np.float64) / 32768.0
    return rate, xs


def write(path, rate, xs):
    """Writes floats in [-1, 1] as 16-bit mono PCM, rounded (no dither, so the bytes repeat)."""
    q = np.clip(np.round(np.asarray(xs) * 32768.0), -32768, 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(q.tobytes())


def _biquad(xs, b, a):
    b0, b1, b2 = b
    a1, a2 = a
    out = np.empty_like(xs)
    x1 = x2 = y1 = y2 = 0.0
    for i, x in enumerate(xs.tolist()):
        y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2
        x2, x1, y2, y1 = x1, x, y1, y
        out[i] = y
    return out


def k_weight(xs, rate):
    """BS.1770's two stages (high shelf, then high pass), designed for any rate by
    the bilinear transform; at 48 kHz they give the standard's coefficients."""
    k = math.tan(math.pi * 1681.974450955533 / rate)
    q, vh = 0.7071752369554196, 10.0 ** (3.999843853973347 / 20.0)
    vb = vh ** 0.4996667741545416
    a0 = 1.0 + k / q + k * k
    ys = _biquad(xs, ((vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0),
                 (2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0))
    k = math.tan(math.pi * 38.13547087602444 / rate)
    q = 0.5003270373238773
    a0 = 1.0 + k / q + k * k
    return _biquad(ys, (1.0, -2.0, 1.0), (2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0))


def _lufs(mean_square):
    return -0.691 + 10.0 * math.log10(mean_square) if mean_square > 0 else -math.inf


def _blocks(xs, rate, hop):
    """Mean squares of the K-weighted signal in 400 ms windows, padded with silence."""
    win = int(round(0.4 * rate))
    z = k_weight(xs, rate)
    padded = np.concatenate([np.zeros(win), z * z, np.zeros(win)])
    c = np.concatenate([[0.0], np.cumsum(padded)])
    starts = np.arange(0, len(padded) - win + 1, hop)
    return (c[starts + win] - c[starts]) / win


def momentary_max(xs, rate):
    return _lufs(float(np.max(_blocks(xs, rate, max(1, rate // 200)))))


def integrated(xs, rate):
    """Gated integrated loudness (blocks overlap by 75 %; -70 LUFS and -10 LU gates)."""
    win = int(round(0.4 * rate))
    z = k_weight(xs, rate)
    if len(z) < win:
        z = np.concatenate([z, np.zeros(win - len(z))])
    hop = win // 4
    ms = np.array([np.mean(z[s:s + win] ** 2) for s in range(0, len(z) - win + 1, hop)])
    ms = ms[ms > 10.0 ** ((-70.0 + 0.691) / 10.0)]
    if not len(ms):
        return -math.inf
    rel = 10.0 ** ((_lufs(float(np.mean(ms))) - 10.0 + 0.691) / 10.0)
    ms = ms[ms > rel]
    return _lufs(float(np.mean(ms)))


def _upsample4(xs):
    taps = 12
    t = np.arange(-taps * 4, taps * 4 + 1) / 4.0
    h = np.sinc(t) * np.kaiser(len(t), 8.0)
    up = np.zeros(len(xs) * 4)
    up[::4] = xs
    return np.convolve(up, h, mode="same")


def true_peak(xs):
    """dBTP by 4x oversampling, as BS.1770 describes."""
    p = float(np.max(np.abs(_upsample4(xs))))
    return 20.0 * math.log10(p) if p > 0 else -math.inf


def clicks(xs, rate, ratio=8.0, floor=0.02):
    """Times (ms) where the waveform jumps or a sounding element stops dead.

    A hard cut (or a jump between two takes) is one large step among small ones.
    A real transient, the onset of a snap or a hit, is followed by more fast
    movement, so the steps around it are large too; the reset of a buzz or the
    pulse of a voice comes back every few milliseconds, so it is not alone.
    A stop is a level that falls by more than 25 dB within a millisecond after
    holding steady (a fade or a natural decay falls over several).
    """
    found = []
    d = np.abs(np.diff(xs))
    w = max(8, int(rate * 0.002))
    sq = np.concatenate([np.zeros(w + 3), d * d, np.zeros(w + 3)])
    c = np.concatenate([[0.0], np.cumsum(sq)])
    idx = np.arange(len(d)) + w + 3
    # steps in the window around i, leaving out i and its two neighbours each side
    around = (c[idx + w + 1] - c[idx - w] - (c[idx + 3] - c[idx - 2])) / (2 * w - 4)
    local = np.sqrt(np.maximum(around, 1e-12))
    span = int(rate * 0.02)
    for i in np.nonzero((d > floor) & (d > ratio * local))[0]:
        near = np.concatenate([d[max(0, i - span):max(0, i - 3)], d[i + 4:i + span]])
        if not len(near) or np.max(near) < 0.5 * d[i]:
            found.append(round(i * 1000.0 / rate))
    m = max(1, rate // 1000)
    n = len(xs) // m
    level = 20.0 * np.log10(np.sqrt(np.mean(xs[:n * m].reshape(n, m) ** 2, axis=1)) + 1e-9)
    for k in range(4, n - 2):
        if (level[k] > -45.0 and level[k - 4] - level[k] < 10.0
                and level[k] - max(level[k + 1], level[k + 2]) > 25.0):
            found.append(k + 1)
    return sorted(set(found))


def dead_air(xs, rate):
    """(leading, trailing) silence in ms, judged on 10 ms RMS windows."""
    w = max(1, rate // 100)
    n = len(xs) // w
    if n == 0:
        return 0.0, 0.0
    rms = np.sqrt(np.mean(xs[:n * w].reshape(n, w) ** 2, axis=1))
    loud = np.nonzero(rms > 10.0 ** (SILENCE_DBFS / 20.0))[0]
    if not len(loud):
        return len(xs) * 1000.0 / rate, len(xs) * 1000.0 / rate
    lead = loud[0] * w * 1000.0 / rate
    tail = (len(xs) - (loud[-1] + 1) * w) * 1000.0 / rate
    return lead, tail
