#!/usr/bin/python3
"""Checks the recordings: format, rate and sample count as the game expects them,
loudness (one target for all, even within each group), true peak, clicks and dead air.

Prints one row per sound and a row per group, and exits non-zero if any check fails.
Needs python3-numpy.
Usage: check_sounds.py [ASSETS_DIR]
"""
import os
import sys
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import loudness as L  # noqa: E402

# name: (rate, data bytes); the lengths set the game's pace, so they must not move
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
DING = (22050, 13230)

GROUP_SPREAD_LU = 1.0
ALL_SPREAD_LU = 2.0


def group(name):
    if name.startswith("CMDVM_"):
        return "German commands"
    if name.endswith("-IT"):
        return "English commands"
    if name.startswith("SND"):
        return "answer sounds"
    if name.startswith("RHY") or name == "ENDBEAT1":
        return "beats"
    if name.startswith("CMDSM_") or name in ("FEHLER", "ding"):
        return "action sounds"
    return "remarks and announcements"


def main():
    assets = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "assets")
    rows = [(n, os.path.join(assets, "sounds", n + ".wav"), CATALOGUE[n]) for n in sorted(CATALOGUE)]
    rows.append(("ding", os.path.join(assets, "ding.wav"), DING))
    bad = 0
    levels = {}
    print("%-14s %6s %7s %7s %7s %6s %5s %5s  %s" %
          ("name", "rate", "samples", "M-max", "integr", "dBTP", "lead", "tail", "problems"))
    for name, path, (rate_want, data_bytes) in rows:
        problems = []
        with wave.open(path, "rb") as w:
            fmt = (w.getnchannels(), w.getsampwidth(), w.getcomptype())
        rate, xs = L.read(path)
        if fmt != (1, 2, "NONE"):
            problems.append("not 16-bit mono PCM")
        if rate != rate_want:
            problems.append("rate %d" % rate)
        if len(xs) != data_bytes // 2:
            problems.append("%d samples, not %d" % (len(xs), data_bytes // 2))
        m = L.momentary_max(xs, rate)
        levels[name] = m
        tp = L.true_peak(xs)
        lead, tail = L.dead_air(xs, rate)
        if abs(m - L.TARGET_LUFS) > L.TOLERANCE_LU:
            problems.append("loudness %+.1f LU off" % (m - L.TARGET_LUFS))
        if tp > L.MAX_TRUE_PEAK + 0.05:  # 16-bit rounding
            problems.append("true peak")
        if lead > L.MAX_LEAD_MS:
            problems.append("%.0f ms silence before" % lead)
        if tail > L.MAX_TAIL_MS:
            problems.append("%.0f ms dead air at the end" % tail)
        hits = L.clicks(xs, rate)
        if hits:
            problems.append("click at %s ms" % ", ".join(str(t) for t in hits[:4]))
        bad += bool(problems)
        print("%-14s %6d %7d %7.1f %7.1f %6.1f %5.0f %5.0f  %s" %
              (name, rate, len(xs), m, L.integrated(xs, rate), tp, lead, tail, ", ".join(problems) or "ok"))

    print()
    groups = {}
    for name, m in levels.items():
        groups.setdefault(group(name), []).append(m)
    for g, ms in sorted(groups.items()):
        spread = max(ms) - min(ms)
        verdict = "ok" if spread <= GROUP_SPREAD_LU else "spread above %.0f LU" % GROUP_SPREAD_LU
        bad += spread > GROUP_SPREAD_LU
        print("%-26s %2d files  %6.1f .. %6.1f LUFS  spread %4.1f LU  %s" % (g, len(ms), min(ms), max(ms), spread, verdict))
    ms = list(levels.values())
    spread = max(ms) - min(ms)
    bad += spread > ALL_SPREAD_LU
    print("%-26s %2d files  %6.1f .. %6.1f LUFS  spread %4.1f LU  %s" %
          ("all", len(ms), min(ms), max(ms), spread, "ok" if spread <= ALL_SPREAD_LU else "spread above 2 LU"))
    sys.exit(1 if bad else 0)


if __name__ == "__main__":
    main()
