#!/usr/bin/python3
"""What a screen reader gets of the toy, read over AT-SPI on the test's own
session bus: the toy and its five parts, each part pressed through its action
(the press heard through SDL's disk driver, or the window it opens seen), the
options with the bar named by its label, the table in place order, the name
prompt's field and buttons. Usage: accessibility_test.py PROGRAM"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

import pyatspi

PROGRAM = sys.argv.pop(1)
TITLE = "Wendrake Vuruz Erireviru Simulator"
GERMAN_PARTS = [
    "Tippen: Schnipphebel, Taste T",
    "Rollen: Drehrad, Taste R",
    "Drehen: Drehknopf, Taste D",
    "Ziehen: Zuggriff, Taste Z",
    "Klopfen: großer Knopf, Taste K oder Leertaste",
]


def wait_for(what, timeout=15.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        found = what()
        if found:
            return found
        time.sleep(0.1)
    return None


def children(acc):
    return [acc.getChildAtIndex(i) for i in range(acc.childCount)]


def walk(acc):
    yield acc
    for child in children(acc):
        yield from walk(child)


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def press(acc):
    action = acc.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index("Press"))


class Toy:
    """The program copied into a folder of its own, with its sound on a file."""

    def __init__(self, table=None):
        self.folder = tempfile.mkdtemp()
        shutil.copy(PROGRAM, self.folder)
        if table is not None:
            with open(os.path.join(self.folder, "highscore.dat"), "wb") as f:
                f.write(table)
        self.audio = os.path.join(self.folder, "audio.raw")
        env = dict(os.environ, QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=self.audio,
                   XDG_RUNTIME_DIR=self.folder)
        self.process = subprocess.Popen([os.path.join(self.folder, "vuruz")], env=env)
        self.app = wait_for(self.find_app)

    def find_app(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in children(desktop):
            try:
                if app.get_process_id() == self.process.pid:
                    return app
            except Exception:
                pass
        return None

    def window(self, name, role=None):
        def find():
            for w in children(self.app):
                if w.name == name and (role is None or w.getRole() == role):
                    return w
            return None
        return wait_for(find)

    def loud_bytes(self):
        try:
            with open(self.audio, "rb") as f:
                data = f.read()
        except FileNotFoundError:
            return 0
        return sum(1 for (s,) in struct.iter_unpack("<h", data[: len(data) // 2 * 2]) if s)

    def close(self):
        self.process.kill()
        self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


class ScreenReader(unittest.TestCase):
    def setUp(self):
        self.toy = None

    def tearDown(self):
        if self.toy:
            self.toy.close()

    def parts(self):
        toy = self.toy.window(TITLE, pyatspi.ROLE_FRAME)
        self.assertIsNotNone(toy, "the toy window is not named after the game")
        return toy, [c for c in children(toy) if c.getRole() == pyatspi.ROLE_PUSH_BUTTON]

    def test_the_toy_its_parts_and_the_options(self):
        self.toy = Toy()
        self.assertIsNotNone(self.toy.app, "the program did not show up over AT-SPI")
        self.assertEqual(self.toy.app.name, TITLE)
        toy, parts = self.parts()
        self.assertIn("Maustaste", toy.description)
        self.assertIn("Optionen", toy.description)
        self.assertEqual([p.name for p in parts], GERMAN_PARTS)
        # Nothing else of the toy is read: the picture and the shaping control.
        self.assertEqual([c for c in children(toy) if showing(c) and c not in parts], [])

        # The mode part announces the mode: heard on the device.
        before = self.toy.loud_bytes()
        press(parts[0])
        self.assertTrue(wait_for(lambda: self.toy.loud_bytes() > before, 10),
                        "pressing the mode part played nothing")

        # The options part opens the options, named although the caption is blank.
        press(parts[1])
        options = self.toy.window("Optionen", pyatspi.ROLE_DIALOG)
        self.assertIsNotNone(options, "no dialog named Optionen")
        read = [(a.getRoleName(), a.name) for a in walk(options) if a != options and showing(a)]
        bar = [a for a in walk(options) if a.getRole() == pyatspi.ROLE_SCROLL_BAR]
        self.assertEqual(len(bar), 1)
        self.assertEqual(bar[0].name, "Timer-Empfindlichkeit: 800 ms")
        self.assertEqual(bar[0].queryValue().currentValue, 800)
        names = [name for _, name in read]
        for control in ["Programm beenden", "Zurück", "High Score", "Deutsch", "Englisch"]:
            self.assertIn(control, names)
        self.assertFalse([n for n in names if "W E N D R A K E" in n],
                         "the decoration is read: %s" % names)

        # English chosen: the parts name the English keys.
        english = [a for a in walk(options) if a.name == "Englisch"][0]
        english.queryAction().doAction(0)
        self.assertTrue(wait_for(lambda: self.parts()[1][0].name ==
                                 "Tippen: Schnipphebel, Taste F", 5),
                        [p.name for p in self.parts()[1]])

        # "High Score" shows the table, one line per place from the first.
        table_button = [a for a in walk(options) if a.name == "High Score"][0]
        table_button.queryAction().doAction(0)
        table = self.toy.window("High Score", pyatspi.ROLE_DIALOG)
        self.assertIsNotNone(table, "no table")
        lines = [a.name for a in walk(table) if a != table and showing(a) and a.name]
        self.assertEqual(lines, ["%d. Vuruz Erireviru, 20 Punkte" % n for n in range(1, 11)])

    def test_the_name_prompt(self):
        # A table of negative points: a game lost with 0 points gets in.
        record = b"Alt".ljust(20, b" ") + struct.pack("<h", -1)
        self.toy = Toy(table=record * 10)
        _, parts = self.parts()
        press(parts[4])  # start; the command times out unanswered
        prompt = self.toy.window("Neue High Score", pyatspi.ROLE_DIALOG)
        self.assertIsNotNone(prompt, "no name prompt")
        field = [a for a in walk(prompt) if a.getRole() == pyatspi.ROLE_TEXT]
        self.assertEqual([f.name for f in field], ["Name"])
        buttons = [a.name for a in walk(prompt) if a.getRole() == pyatspi.ROLE_PUSH_BUTTON]
        self.assertEqual(sorted(buttons), ["Abbrechen", "OK"])


if __name__ == "__main__":
    unittest.main()
