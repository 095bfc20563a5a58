#!/usr/bin/python3
"""Prints what an offline recogniser hears in every spoken recording.

English: pocketsphinx with its US English model and its full open vocabulary
(no hint what was said). German: the same acoustic model limited to a grammar of
the game's German phrases, spelt with English phones: it must pick the right one.
Needs Debian's pocketsphinx, pocketsphinx-en-us and sox. Prints Markdown tables.
Usage: hear_voices.py [ASSETS_DIR] [english|german]
"""
import os
import re
import subprocess
import sys
import tempfile

ENGLISH = [
    ("FLICK-IT", "flick it"), ("SPIN-IT", "spin it"), ("TWIST-IT", "twist it"),
    ("PULL-IT", "pull it"), ("NOTGOOD", "not good"), ("DOITBETTER", "do it better / come on you can do it better"),
    ("OHBOY", "oh boy"), ("AH-NO", "ah no"), ("EN_SORRY", "sorry"), ("EN_GAMEOVER", "game over"),
]
# DOITBETTER and MACHSBESSER were read shorter before; both readings count.
# "Zok" is no English word, so the open vocabulary cannot get it right; it is
# listed for what the recogniser makes of it, and not counted.
UNCOUNTED = [("ZOK-IT", "zok it")]

GERMAN = [
    ("CMDVM_TIPPEN", "tippen"), ("CMDVM_ROLLEN", "rollen"), ("CMDVM_DREHEN", "drehen"),
    ("CMDVM_ZIEHEN", "ziehen"), ("CMDVM_KLOPFEN", "klopfen"), ("SONICHT", "so nicht"),
    ("MACHSBESSER", "machs besser / komm schon machs besser"), ("OHMANN", "oh mann"), ("OHNEIN", "oh nein"),
    ("SORRY", "sorry"), ("SOUNDMODUS", "soundmodus"), ("VOICEMODUS", "voicemodus"),
    ("SOLO", "solo"), ("GAMEOVER", "spiel vorbei"),
]
# German words in the English model's phones: close enough for a grammar to choose.
GERMAN_PHONES = {
    "tippen": ["T IH P AH N"], "rollen": ["R AO L AH N", "R OW L AH N", "R AO L N", "HH AO L AH N", "G AO L AH N"], "drehen": ["D R EY AH N", "D R EY N", "D ER EY AH N"],
    "ziehen": ["T S IY AH N", "T S IY N"], "klopfen": ["K L AO P F AH N", "K L AO F AH N"],
    "so": ["Z OW", "S OW"], "nicht": ["N IH K T", "N IH SH T"], "machs": ["M AA K S", "M AA HH S"],
    "besser": ["B EH S ER", "B EH S AH"], "komm": ["K AO M"], "schon": ["SH OW N"], "oh": ["OW"], "mann": ["M AA N"], "nein": ["N AY N"],
    "sorry": ["S AO R IY", "Z AO R IY", "S AA R IY", "Z AA R IY"], "soundmodus": ["S AW N D M OW D UH S", "S AW N T M OW D UH S"],
    "voicemodus": ["V OY S M OW D UH S"], "solo": ["Z OW L OW", "S OW L OW"],
    "spiel": ["SH P IY L"], "vorbei": ["F AO R B AY", "F ER B AY"],
}

MODEL = "/usr/share/pocketsphinx/model/en-us"


def words(text):
    return re.sub(r"[^a-z' ]", " ", text.lower()).split()


def heard_right(heard, said):
    """A phrase with a longer and a shorter reading ("a / b") is right in either."""
    return any(words(heard) == words(one) for one in said.split(" / "))


def recognise(wav, extra):
    """Runs the recogniser on a 16 kHz copy padded with a little silence."""
    with tempfile.TemporaryDirectory() as tmp:
        pcm = os.path.join(tmp, "in.wav")
        subprocess.run(["sox", "-R", wav, "-r", "16000", "-c", "1", "-b", "16", pcm,
                        "pad", "0.3", "0.3"], check=True)
        out = subprocess.run(["pocketsphinx_continuous", "-infile", pcm, "-logfn", "/dev/null",
                              "-hmm", MODEL + "/en-us"] + extra,
                             capture_output=True, text=True, check=False).stdout
    return " ".join(line.strip() for line in out.splitlines() if line.strip())


def main():
    assets = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "assets")
    sounds = os.path.join(assets, "sounds")
    only = sys.argv[2] if len(sys.argv) > 2 else None
    open_vocab = ["-lm", MODEL + "/en-us.lm.bin", "-dict", MODEL + "/cmudict-en-us.dict"]

    if only != "german":
        english(sounds, open_vocab)
    if only != "english":
        german(sounds)


def english(sounds, open_vocab):
    right = 0
    print("| English recording | said | heard (open vocabulary) | right |")
    print("|---|---|---|---|")
    for name, said in ENGLISH + UNCOUNTED:
        heard = recognise(os.path.join(sounds, name + ".wav"), open_vocab)
        ok = heard_right(heard, said)
        counted = (name, said) in ENGLISH
        right += ok and counted
        print("| %s | %s | %s | %s |" % (name, said, heard or "(nothing)",
                                         ("yes" if ok else "no") if counted else "not counted"))
    print("\nEnglish heard right: %d of %d\n" % (right, len(ENGLISH)))


def german(sounds):
    with tempfile.TemporaryDirectory() as tmp:
        dic = os.path.join(tmp, "german.dict")
        with open(dic, "w") as f:
            for word, spellings in sorted(GERMAN_PHONES.items()):
                for k, phones in enumerate(spellings):
                    f.write("%s %s\n" % (word if k == 0 else "%s(%d)" % (word, k + 1), phones))
        gram = os.path.join(tmp, "german.gram")
        with open(gram, "w") as f:
            f.write("#JSGF V1.0;\ngrammar german;\npublic <phrase> = %s;\n"
                    % " | ".join(one for _, said in GERMAN for one in said.split(" / ")))
        closed = ["-jsgf", gram, "-dict", dic]
        good = 0
        print("| German recording | said | heard (closed grammar) | right |")
        print("|---|---|---|---|")
        for name, said in GERMAN:
            heard = recognise(os.path.join(sounds, name + ".wav"), closed)
            ok = heard_right(heard, said)
            good += ok
            print("| %s | %s | %s | %s |" % (name, said, heard or "(nothing)", "yes" if ok else "no"))
        print("\nGerman heard right: %d of %d" % (good, len(GERMAN)))


if __name__ == "__main__":
    main()
