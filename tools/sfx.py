#!/usr/bin/python3
"""Synthesises the game's action sounds, beats and the fallback ding.

Standard library only, fixed random seeds, so every run writes the same bytes.
Usage: sfx.py OUTDIR [NAME ...]   (no names: all of them)
"""
import math
import random
import struct
import sys
import wave

RATE = 22050
TAU = 2.0 * math.pi


# ---------------------------------------------------------------- building blocks

def buf(n):
    return [0.0] * n


FADE = 0.006


def mix(dst, src, at=0, gain=1.0):
    """Adds src into dst starting at sample `at`, dropping what runs past the end.
    The last 6 ms of src fade to zero, so an element whose envelope still sounds
    when its buffer ends dies away instead of stopping with a click."""
    n = len(src)
    f = min(n, secs(FADE))
    end = min(len(dst), at + n)
    for i in range(max(0, at), end):
        k = i - at
        left = n - k
        w = 0.5 - 0.5 * math.cos(math.pi * left / f) if left < f else 1.0
        dst[i] += gain * src[k] * w


def secs(t):
    return int(round(t * RATE))


class Biquad:
    """RBJ cookbook filter; kinds: lp, hp, bp (constant peak gain)."""

    def __init__(self, kind, freq, q):
        w = TAU * freq / RATE
        cw, sw = math.cos(w), math.sin(w)
        alpha = sw / (2.0 * q)
        if kind == "lp":
            b0, b1, b2 = (1 - cw) / 2, 1 - cw, (1 - cw) / 2
        elif kind == "hp":
            b0, b1, b2 = (1 + cw) / 2, -(1 + cw), (1 + cw) / 2
        else:
            b0, b1, b2 = alpha, 0.0, -alpha
        a0, a1, a2 = 1 + alpha, -2 * cw, 1 - alpha
        self.b = (b0 / a0, b1 / a0, b2 / a0)
        self.a = (a1 / a0, a2 / a0)
        self.x1 = self.x2 = self.y1 = self.y2 = 0.0

    def run(self, xs):
        b0, b1, b2 = self.b
        a1, a2 = self.a
        x1, x2, y1, y2 = self.x1, self.x2, self.y1, self.y2
        out = []
        for x in xs:
            y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2
            x2, x1, y2, y1 = x1, x, y1, y
            out.append(y)
        self.x1, self.x2, self.y1, self.y2 = x1, x2, y1, y2
        return out


def filt(xs, kind, freq, q=0.707):
    return Biquad(kind, freq, q).run(xs)


def noise(n, rng):
    return [rng.uniform(-1.0, 1.0) for _ in range(n)]


def env_exp(n, decay, attack=0.0015):
    """Quick linear attack, then exponential decay with time constant `decay` seconds."""
    a = max(1, secs(attack))
    out = []
    for i in range(n):
        t = i / RATE
        e = math.exp(-t / decay)
        if i < a:
            e *= i / a
        out.append(e)
    return out


def times(xs, ys):
    return [x * y for x, y in zip(xs, ys)]


def tone(n, freq_fn, shape="sine", phase=0.0):
    """Oscillator whose frequency follows freq_fn(t)."""
    out = []
    ph = phase
    for i in range(n):
        f = freq_fn(i / RATE)
        ph += f / RATE
        ph -= math.floor(ph)
        if shape == "sine":
            v = math.sin(TAU * ph)
        elif shape == "tri":
            v = 4.0 * abs(ph - 0.5) - 1.0
        elif shape == "saw":
            # band-limited (polyBLEP): a naive saw's reset is a full-scale jump every cycle
            v = 2.0 * ph - 1.0
            dt = f / RATE
            if ph < dt:
                x = ph / dt
                v -= x + x - x * x - 1.0
            elif ph > 1.0 - dt:
                x = (ph - 1.0) / dt
                v -= x * x + x + x + 1.0
        else:  # soft square
            v = math.tanh(4.0 * math.sin(TAU * ph))
        out.append(v)
    return out


def bell(freq, dur, decay, partials=((1.0, 1.0), (2.76, 0.45), (5.40, 0.22), (8.93, 0.08))):
    n = secs(dur)
    out = buf(n)
    for ratio, amp in partials:
        f = freq * ratio
        if f >= RATE / 2 * 0.9:
            continue
        d = decay / (1.0 + 0.6 * (ratio - 1.0))
        e = env_exp(n, d, attack=0.001)
        s = tone(n, lambda t, f=f: f)
        mix(out, times(s, e), 0, amp)
    return out


def chime(notes, step, dur, decay, gain=1.0):
    """Quick rising arpeggio of bells: the 'well done' sparkle of the answer sounds."""
    n = secs(step * (len(notes) - 1) + dur)
    out = buf(n)
    for k, f in enumerate(notes):
        mix(out, bell(f, dur, decay), secs(step * k), gain * (0.8 + 0.2 * k / max(1, len(notes) - 1)))
    return out


# ---------------------------------------------------------------- drums

def kick(rng, dur=0.28, f0=150.0, f1=48.0, decay=0.11):
    n = secs(dur)
    body = tone(n, lambda t: f1 + (f0 - f1) * math.exp(-t / 0.03))
    out = times(body, env_exp(n, decay, attack=0.001))
    click = times(filt(noise(secs(0.006), rng), "lp", 3000), env_exp(secs(0.006), 0.002, 0.0003))
    mix(out, click, 0, 0.35)
    return out


def snare(rng, dur=0.22, decay=0.07, bright=1.0):
    n = secs(dur)
    hiss = filt(filt(noise(n, rng), "hp", 900), "lp", 6500 * bright)
    out = times(hiss, env_exp(n, decay, attack=0.0008))
    skin = times(tone(n, lambda t: 185.0 + 40.0 * math.exp(-t / 0.02)), env_exp(n, 0.045, attack=0.0008))
    mix(out, skin, 0, 0.7)
    return out


def hat(rng, dur=0.06, decay=0.018, open_=False):
    n = secs(dur if not open_ else 0.2)
    s = filt(noise(n, rng), "hp", 6000)
    return times(s, env_exp(n, decay if not open_ else 0.07, attack=0.0005))


def tom(rng, freq, dur=0.3, decay=0.12):
    n = secs(dur)
    body = tone(n, lambda t: freq * (1.0 + 0.5 * math.exp(-t / 0.025)))
    out = times(body, env_exp(n, decay, attack=0.001))
    thud = times(filt(noise(secs(0.02), rng), "lp", 1800), env_exp(secs(0.02), 0.006, 0.0005))
    mix(out, thud, 0, 0.4)
    return out


def woodblock(freq, dur=0.08):
    n = secs(dur)
    out = times(tone(n, lambda t: freq), env_exp(n, 0.018, attack=0.0005))
    mix(out, times(tone(n, lambda t: freq * 2.7), env_exp(n, 0.008, 0.0005)), 0, 0.3)
    return out


def clap(rng, dur=0.18):
    n = secs(dur)
    src = filt(noise(n, rng), "bp", 1400, 1.2)
    e = buf(n)
    for k, off in enumerate((0.0, 0.009, 0.018, 0.027)):
        start = secs(off)
        decay = 0.004 if k < 3 else 0.05
        for i in range(start, n):
            e[i] += math.exp(-(i - start) / RATE / decay)
    return times(src, e)


# ---------------------------------------------------------------- the sounds

def flick(rng, n, bright=False):
    """A flick of a sprung handle: a snap and a short springy twang."""
    out = buf(n)
    snap = times(filt(noise(secs(0.012), rng), "hp", 2500 if bright else 1500),
                 env_exp(secs(0.012), 0.003, 0.0003))
    mix(out, snap, 0, 0.8)
    base = 420.0 if bright else 260.0
    m = secs(0.26)
    twang = tone(m, lambda t: base * (1.0 + 0.9 * math.exp(-t / 0.02)) * (1.0 + 0.04 * math.sin(TAU * 28 * t) * math.exp(-t / 0.1)), "tri")
    twang = filt(twang, "lp", 2500 if bright else 1600)
    mix(out, times(twang, env_exp(m, 0.07, 0.002)), secs(0.004), 0.6)
    return out


def ratchet(rng, n, bright=False, clicks=11):
    """A spinning wheel's pawl clicking over the teeth, slowing down."""
    out = buf(n)
    t = 0.004
    gap = 0.022
    centre = 3400.0 if bright else 2300.0
    for _ in range(clicks):
        m = secs(0.018)
        c = filt(noise(m, rng), "bp", centre, 4.0)
        c = times(c, env_exp(m, 0.0035, 0.0003))
        ring = times(tone(m, lambda _t: centre * 0.5), env_exp(m, 0.004, 0.0003))
        mix(c, ring, 0, 0.25)
        mix(out, c, secs(t), 1.0)
        t += gap
        gap *= 1.09
        if t > n / RATE - 0.03:
            break
    return out


def creak(rng, n, bright=False):
    """A twisted knob's stick-slip creak: an irregular pulse train through wooden resonances."""
    dur = n / RATE
    src = buf(n)
    t = 0.006
    while t < dur - 0.04:
        i = secs(t)
        if i < n:
            src[i] = 1.0
        prog = t / dur
        rate = (55.0 + 60.0 * math.sin(math.pi * prog)) * (1.4 if bright else 1.0)
        t += (1.0 / rate) * (1.0 + 0.15 * rng.uniform(-1.0, 1.0))
    res = buf(n)
    for f, q, g in ((520.0, 8.0, 1.0), (1150.0, 9.0, 0.7), (2300.0, 7.0, 0.35 if not bright else 0.7)):
        mix(res, filt(src, "bp", f * (1.25 if bright else 1.0), q), 0, g)
    swell = [math.sin(math.pi * min(1.0, i / (n * 0.93))) ** 0.6 for i in range(n)]
    return times(res, swell)


def zip_(rng, n, bright=False):
    """A pull: a quick zip sliding upwards."""
    dur = n / RATE
    m = secs(dur * 0.75)
    f0, f1 = (140.0, 520.0) if not bright else (220.0, 900.0)
    buzz = tone(m, lambda t: f0 + (f1 - f0) * (t / (dur * 0.75)) ** 1.4, "saw")
    grain = filt(noise(m, rng), "bp", 2600 if not bright else 3800, 1.5)
    body = [0.55 * b + 0.45 * g for b, g in zip(buzz, grain)]
    body = filt(body, "lp", 3500 if not bright else 6000)
    envl = [math.sin(math.pi * min(1.0, i / m)) ** 0.7 for i in range(m)]
    out = buf(n)
    mix(out, times(body, envl), secs(0.004), 1.0)
    snap = times(filt(noise(secs(0.015), rng), "hp", 1800), env_exp(secs(0.015), 0.003, 0.0003))
    mix(out, snap, secs(0.004) + m - secs(0.01), 0.5)
    return out


def knock(rng, n, at=(0.004, 0.17), freq=170.0):
    """Knuckles on the toy's button: two woody knocks."""
    out = buf(n)
    for k, t0 in enumerate(at):
        m = secs(0.2)
        body = tone(m, lambda t: freq * (1.0 + 0.3 * math.exp(-t / 0.01)))
        body = times(body, env_exp(m, 0.04, 0.0008))
        wood = filt(noise(m, rng), "bp", freq * 2.6, 3.0)
        wood = times(wood, env_exp(m, 0.015, 0.0005))
        mix(body, wood, 0, 0.9)
        mix(out, body, secs(t0), 1.0 if k == 0 else 0.9)
    return out


def buzz(rng, n):
    """The error sound: a soft, beating double buzz that sinks a little."""
    out = buf(n)
    parts = ((0.004, 0.30), (0.40, 0.68))
    for start, length in parts:
        m = secs(length)
        a = tone(m, lambda t: 116.0 - 10.0 * t, "square")
        b = tone(m, lambda t: 110.0 - 10.0 * t, "saw")
        s = [0.55 * x + 0.45 * y for x, y in zip(a, b)]
        s = filt(filt(s, "lp", 1400, 0.9), "hp", 70)
        rel = secs(0.05)
        envl = [min(1.0, i / secs(0.008), (m - i) / rel) for i in range(m)]
        mix(out, times(s, envl), secs(start), 1.0)
    return out


def beat_start(rng, n):
    """A lively one-bar drum intro: a driving groove that rolls down the toms into
    the first command, leaving the last sixteenth for the hits to ring out."""
    out = buf(n)
    q = n / RATE / 4.0
    s16 = q / 4.0
    for k in range(10):
        mix(out, hat(rng), secs(0.002 + k * s16), 0.3 if k % 2 else 0.4)
    mix(out, hat(rng, open_=True), secs(0.002), 0.4)
    for t, g in ((0.0, 1.0), (0.5 * q, 0.8), (1.5 * q, 0.85), (2.0 * q, 0.95)):
        mix(out, kick(rng), secs(0.002 + t), g)
    mix(out, snare(rng), secs(q), 0.8)
    mix(out, snare(rng, decay=0.04), secs(1.75 * q), 0.35)
    mix(out, snare(rng), secs(2.0 * q), 0.8)
    for k, f in enumerate((330.0, 294.0, 247.0, 196.0)):
        mix(out, tom(rng, f, dur=0.25, decay=0.09), secs(2.5 * q + k * s16), 0.6 + 0.05 * k)
    for k in range(2):
        mix(out, snare(rng, dur=0.11, decay=0.03), secs(3.5 * q + k * s16 / 2.0), 0.6 + 0.2 * k)
    mix(out, kick(rng, dur=0.2), secs(3.5 * q), 0.7)
    return out


def beat_one(rng, n):
    """The beat under a command: kick, hat, snare, hat."""
    out = buf(n)
    s = n / RATE / 4.0
    mix(out, kick(rng, dur=0.2), secs(0.002), 1.0)
    mix(out, hat(rng), secs(s), 0.4)
    mix(out, snare(rng, dur=0.16, decay=0.05), secs(2 * s), 0.75)
    mix(out, hat(rng), secs(3 * s), 0.4)
    mix(out, hat(rng), secs(3.5 * s), 0.25)
    return out


def beat_two(rng, n):
    """The beat after a right answer: a clap and woodblocks, lighter than the command beat."""
    out = buf(n)
    s = n / RATE / 4.0
    mix(out, kick(rng, dur=0.18, f0=170.0, f1=60.0, decay=0.07), secs(0.002), 0.7)
    mix(out, woodblock(880.0), secs(0.002), 0.45)
    mix(out, woodblock(660.0), secs(s), 0.4)
    mix(out, clap(rng, dur=0.14), secs(2 * s), 0.8)
    mix(out, woodblock(990.0), secs(3 * s), 0.45)
    mix(out, hat(rng), secs(2.5 * s), 0.25)
    mix(out, hat(rng), secs(3.5 * s), 0.25)
    return out


def wah(xs, low, high, length):
    """A muted-trumpet 'wah': a resonant low-pass that opens and closes over the note."""
    out = []
    block = 32
    for start in range(0, len(xs), block):
        t = start / RATE
        opened = math.sin(math.pi * min(1.0, t / length)) ** 0.8
        f = Biquad("lp", low + (high - low) * opened, 2.5)
        if out:
            f.x1, f.x2, f.y1, f.y2 = state
        out.extend(f.run(xs[start:start + block]))
        state = (f.x1, f.x2, f.y1, f.y2)
    return out


def end_beat(rng, n):
    """The lost game's closing beat: falling toms and a sinking 'wah wah wah-waah'."""
    out = buf(n)
    notes = ((0.004, 0.36, 196.0), (0.40, 0.36, 185.0), (0.80, 0.36, 174.6), (1.20, 0.78, 164.8))
    for k, (start, length, f) in enumerate(notes):
        m = secs(length)
        last = k == len(notes) - 1

        def fq(t, f=f, last=last):
            wob = 0.012 * math.sin(TAU * 5.5 * t) * min(1.0, t / 0.2) if last else 0.0
            return f * (1.0 + wob - (0.05 * t if last else 0.0))

        s = wah(tone(m, fq, "saw"), 380.0, 1300.0, length)
        envl = [min(1.0, i / secs(0.03), (m - i) / secs(0.08)) for i in range(m)]
        mix(out, times(s, envl), secs(start), 0.5)
        mix(out, tom(rng, f * 0.75, dur=0.35), secs(start), 0.6)
    mix(out, kick(rng, dur=0.5, decay=0.18), secs(1.2), 0.9)
    mix(out, snare(rng, dur=0.4, decay=0.15), secs(1.2), 0.35)
    return out


def ding(rng, n):
    out = buf(n)
    mix(out, bell(1318.5, n / RATE, 0.07), secs(0.002), 1.0)
    return out


def answer(kind):
    """Answer sounds: the action's own sound made brighter, with a rising chime on top."""
    chimes = {
        "TIPPEN": (1046.5, 1568.0),
        "ROLLEN": (1174.7, 1760.0),
        "DREHEN": (987.8, 1480.0),
        "ZIEHEN": (880.0, 1318.5),
        "KLOPFEN": (1318.5, 1975.5),
    }

    def make(rng, n):
        dur = n / RATE
        out = buf(n)
        if kind == "TIPPEN":
            mix(out, flick(rng, n, bright=True), 0, 0.8)
        elif kind == "ROLLEN":
            mix(out, ratchet(rng, n, bright=True, clicks=7), 0, 0.7)
        elif kind == "DREHEN":
            mix(out, creak(rng, secs(dur * 0.6), bright=True), 0, 0.7)
        elif kind == "ZIEHEN":
            mix(out, zip_(rng, secs(dur * 0.55), bright=True), 0, 0.7)
        else:
            mix(out, knock(rng, secs(0.2), at=(0.004,), freq=240.0), 0, 0.9)
        lo, hi = chimes[kind]
        step = 0.06
        c = chime((lo, hi), step, dur - 0.1 - step, 0.09, gain=0.55)
        mix(out, c, secs(0.085), 1.0)
        return out

    return make


SOUNDS = {
    # name: (maker, samples at 22050 Hz, seed)
    "CMDSM_TIPPEN": (lambda r, n: flick(r, n), 6970, 101),
    "CMDSM_ROLLEN": (lambda r, n: ratchet(r, n), 8013, 102),
    "CMDSM_DREHEN": (lambda r, n: creak(r, n), 7131, 103),
    "CMDSM_ZIEHEN": (lambda r, n: zip_(r, n), 5947, 104),
    "CMDSM_KLOPFEN": (lambda r, n: knock(r, n), 8979, 105),
    "SNDTIPPEN": (answer("TIPPEN"), 9152, 201),
    "SNDROLLEN": (answer("ROLLEN"), 9085, 202),
    "SNDDREHEN": (answer("DREHEN"), 6829, 203),
    "SNDZIEHEN": (answer("ZIEHEN"), 8497, 204),
    "SNDKLOPFEN": (answer("KLOPFEN"), 8045, 205),
    "FEHLER": (buzz, 24781, 301),
    "RHYSTART1": (beat_start, 40635, 401),
    "RHYRHYTHM1": (beat_one, 10357, 402),
    "RHYRHYTHM2": (beat_two, 10763, 403),
    "ENDBEAT1": (end_beat, 44242, 404),
    "ding": (ding, 6615, 501),
}


DRIVE = {"CMDSM_TIPPEN": 2.5, "CMDSM_ROLLEN": 1.8, "CMDSM_DREHEN": 1.5, "RHYRHYTHM2": 2.0, "ding": 1.6}


def finish(xs, drive=1.0, peak_db=-1.0, fade_in=0.003, fade_out=0.012):
    """Normalises to the given peak and fades both ends so nothing clicks.
    A drive above 1 rounds off the sharpest transients first, so a sound made of
    short snaps is not much quieter than the others."""
    n = len(xs)
    if drive > 1.0:
        top = max(abs(x) for x in xs) or 1.0
        k = math.tanh(drive)
        xs = [math.tanh(drive * x / top) / k for x in xs]
    fi, fo = secs(fade_in), secs(fade_out)
    for i in range(min(fi, n)):
        xs[i] *= i / fi
    for i in range(min(fo, n)):
        xs[n - 1 - i] *= i / fo
    peak = max(abs(x) for x in xs) or 1.0
    g = (10.0 ** (peak_db / 20.0)) * 32767.0 / peak
    return [max(-32767, min(32767, int(round(x * g)))) for x in xs]


def write(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(struct.pack("<%dh" % len(samples), *samples))


def main():
    outdir = sys.argv[1]
    names = sys.argv[2:] or list(SOUNDS)
    for name in names:
        maker, n, seed = SOUNDS[name]
        rng = random.Random(seed)
        xs = maker(rng, n)
        assert len(xs) == n, name
        write("%s/%s.wav" % (outdir, name), finish(xs, DRIVE.get(name, 1.0)))


if __name__ == "__main__":
    main()
