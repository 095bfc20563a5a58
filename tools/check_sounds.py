#!/usr/bin/python3
"""Checks the recordings: format, rate and sample count as the catalogue
(assets/sounds/catalogue.tsv) has them,
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



def catalogue(assets):
    """(name, path, rate, samples) for every row of assets/sounds/catalogue.tsv."""
    rows = []
    with open(os.path.join(assets, "sounds", "catalogue.tsv"), encoding="utf-8") as f:
        lines = [line.rstrip("\n") for line in f if line.strip() and not line.startswith("#")]
    for line in lines[1:]:
        kind, name, rate, samples = line.split("\t")
        if kind == "WAVE":
            rows.append((name, os.path.join(assets, "sounds", name + ".wav"), int(rate), int(samples)))
        else:
            rows.append((os.path.splitext(name)[0], os.path.join(assets, name), int(rate), int(samples)))
    return rows


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
    rows = catalogue(assets)
    bad = 0
    levels = {}
    print("%-14s %6s %7s %7s %7s %6s %5s %5s  %s" %
          ("name", "rate", "samples", "M-max", "integr", "dBTP", "lead", "tail", "problems"))
    for name, path, rate_want, samples_want in rows:
        problems = []
        with wave.open(path, "rb") as w:
            fmt = (w.getnchannels(), w.getsampwidth(), w.getcomptype())
        rate, xs = L.read(path)
        if fmt != (1, 2, "NONE"):
            problems.append("not 16-bit mono PCM")
        if rate != rate_want:
            problems.append("rate %d" % rate)
        if len(xs) != samples_want:
            problems.append("%d samples, not %d" % (len(xs), samples_want))
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
