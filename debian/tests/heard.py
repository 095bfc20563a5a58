#!/usr/bin/python3
"""Says whether each named recording of the game is heard, in that order, in
the sound that SDL's disk driver wrote (44.1 kHz, 16-bit, stereo), and fails
when one is not.

The recordings are resampled here, not as SDL does it, so they are found by
their normalised cross-correlation with the sound rather than byte for byte.
Their last 50 ms are left out: the driver's last buffer before the program
ends (the farewell's fade-out) need not reach the file.
"""
import sys
import wave
from pathlib import Path

import numpy as np

RATE = 44100
SOUNDS = Path(__file__).resolve().parents[2] / "assets" / "sounds"


def recording(name):
    with wave.open(str(SOUNDS / f"{name}.wav")) as w:
        frames = w.readframes(w.getnframes())
        width, rate, channels = w.getsampwidth(), w.getframerate(), w.getnchannels()
    if width == 1:
        samples = np.frombuffer(frames, np.uint8).astype(float) - 128
    else:
        samples = np.frombuffer(frames, np.int16).astype(float)
    samples = samples.reshape(-1, channels).mean(axis=1)
    times = np.arange(int(len(samples) * RATE / rate)) / RATE
    return np.interp(times, np.arange(len(samples)) / rate, samples)


def best_match(sound, pattern):
    """The place and the normalised correlation where `pattern` fits best."""
    n = len(sound) + len(pattern)
    size = 1 << (n - 1).bit_length()
    corr = np.fft.irfft(np.fft.rfft(sound, size) * np.conj(np.fft.rfft(pattern, size)), size)
    corr = corr[: len(sound) - len(pattern) + 1]
    energy = np.cumsum(np.concatenate(([0.0], sound**2)))
    window = energy[len(pattern):] - energy[: len(sound) - len(pattern) + 1]
    norm = np.linalg.norm(pattern)
    score = corr / (np.sqrt(np.maximum(window, 1e-9)) * norm)
    # Near silence the ratio is rounding noise.
    score[window < 1e-6 * norm**2] = 0
    at = int(np.argmax(score))
    return at, float(score[at])


def main():
    raw = np.frombuffer(Path(sys.argv[1]).read_bytes(), np.int16)
    sound = raw[: len(raw) // 2 * 2].reshape(-1, 2).astype(float).mean(axis=1)
    after = 0
    for name in sys.argv[2:]:
        pattern = recording(name)[: -RATE // 20]
        at, score = best_match(sound[after:], pattern)
        heard = score > 0.9
        print(f"{name}: {'heard' if heard else 'NOT heard'} at {(after + at) / RATE:.2f} s"
              f" (correlation {score:.3f})")
        if not heard:
            sys.exit(1)
        after += at + len(pattern)


if __name__ == "__main__":
    main()
