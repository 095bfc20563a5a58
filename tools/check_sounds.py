#!/usr/bin/python3
"""Checks the recordings against the catalogue: format, rate, length, level, ends.

Prints one row per sound and exits non-zero if any check fails.
Usage: check_sounds.py [ASSETS_DIR]
"""
import math
import os
import struct
import sys
import wave

# name: (rate, catalogue data bytes)
CATALOGUE = {
    "AH-NO": (44100, 65388), "CMDSM_DREHEN": (22050, 14262), "CMDSM_KLOPFEN": (22050, 17958),
    "CMDSM_ROLLEN": (22050, 16026), "CMDSM_TIPPEN": (22050, 13940), "CMDSM_ZIEHEN": (22050, 11894),
    "CMDVM_DREHEN": (22050, 21272), "CMDVM_KLOPFEN": (22050, 21820), "CMDVM_ROLLEN": (22050, 17230),
    "CMDVM_TIPPEN": (22050, 16542), "CMDVM_ZIEHEN": (22050, 16332), "DOITBETTER": (44100, 169456),
    "EN_GAMEOVER": (44100, 65044), "EN_SORRY": (44100, 34710), "ENDBEAT1": (22050, 88484),
    "FEHLER": (22050, 49562), "FLICK-IT": (44100, 35142), "GAMEOVER": (22050, 30386),
    "MACHSBESSER": (22050, 78710), "NOTGOOD": (44100, 75692), "OHBOY": (44100, 69016),
    "OHMANN": (22050, 35410), "OHNEIN": (22050, 42518), "PULL-IT": (44100, 30694),
    "RHYRHYTHM1": (22050, 20714), "RHYRHYTHM2": (22050, 21526), "RHYSTART1": (22050, 81270),
    "SNDDREHEN": (22050, 13658), "SNDKLOPFEN": (22050, 16090), "SNDROLLEN": (22050, 18170),
    "SNDTIPPEN": (22050, 18304), "SNDZIEHEN": (22050, 16994), "SOLO": (22050, 22662),
    "SONICHT": (22050, 34690), "SORRY": (22050, 28330), "SOUNDMODUS": (22050, 40526),
    "SPIN-IT": (44100, 35956), "TWIST-IT": (44100, 35178), "VOICEMODUS": (22050, 36836),
    "ZOK-IT": (44100, 35034),
}


def db(x):
    return 20.0 * math.log10(x) if x > 0 else -999.0


def inspect(path):
    with open(path, "rb") as f:
        head = f.read(12)
    assert head[:4] == b"RIFF" and head[8:12] == b"WAVE", "not RIFF WAVE"
    with wave.open(path, "rb") as w:
        rate, ch, width, n = w.getframerate(), w.getnchannels(), w.getsampwidth(), w.getnframes()
        raw = w.readframes(n)
    xs = struct.unpack("<%dh" % n, raw)
    peak = max(abs(x) for x in xs) / 32768.0
    clipped = sum(1 for x in xs if abs(x) >= 32767)
    loud = [i for i, x in enumerate(xs) if abs(x) > 32768 * 0.03]  # -30 dBFS
    first = loud[0] / rate * 1000 if loud else -1
    last = loud[-1] / rate * 1000 if loud else -1
    edge = max(abs(xs[0]), abs(xs[-1])) / 32768.0
    return rate, ch, width * 8, n, peak, clipped, first, last, edge


def main():
    assets = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "assets")
    bad = 0
    print("%-14s %6s %8s %8s %7s %7s %9s %9s  %s" %
          ("name", "rate", "cat ms", "our ms", "diff%", "peakdB", "sound on", "sound off", "problems"))
    rows = [(name, os.path.join(assets, "sounds", name + ".wav"), CATALOGUE[name]) for name in sorted(CATALOGUE)]
    rows.append(("ding", os.path.join(assets, "ding.wav"), (22050, None)))
    for name, path, (cat_rate, cat_bytes) in rows:
        problems = []
        rate, ch, bits, n, peak, clipped, first, last, edge = inspect(path)
        ours = n * 1000.0 / rate
        cat_ms = round(cat_bytes * 1000.0 / (cat_rate * 2)) if cat_bytes else 300
        diff = (ours - cat_ms) / cat_ms * 100.0
        if rate != cat_rate: problems.append("rate")
        if ch != 1: problems.append("channels")
        if bits != 16: problems.append("bits")
        if abs(diff) > 10.0: problems.append("length")
        if clipped: problems.append("clipped %d" % clipped)
        if peak < 0.5: problems.append("quiet")
        if first < 0: problems.append("silent")
        if edge > 0.01: problems.append("click at an end")
        if first >= 0 and (ours - last) < 15: problems.append("sound runs to the end")
        bad += bool(problems)
        print("%-14s %6d %8d %8.0f %+7.1f %7.2f %9.0f %9.0f  %s" %
              (name, rate, cat_ms, ours, diff, db(peak), first, last, ", ".join(problems) or "ok"))
    sys.exit(1 if bad else 0)


if __name__ == "__main__":
    main()
