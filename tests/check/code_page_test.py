"""What lum.exe does with names in a Windows ANSI code page, against what
each checker says: lum.exe runs under Wine in a system of code page 1252 and
one of 1251 (Wine takes its ANSI code page from the locale), a press on each
sound line of the code-page folders tells whether its file played, and
lumcheck (native, under node, and the Windows build under Wine in the same
locale, told no code page) must say of each line that it plays exactly
when it did.

Run as: code_page_test.py NATIVE-LUMCHECK LUMCHECK-JS WINDOWS-LUMCHECK-EXE,
inside the test session (see tests/support/lumdriver.py); skips (77) without one.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import lumdriver
from lumdriver import LOW, run_console, windows_path
from skinfiles import tone
from skinfolders import CODE_PAGE_FOLDERS, CODE_PAGE_PLAYED, make_code_page_folder, played_lines, write

NATIVE = NODE = WINDOWS = None
# The locale that gives Wine each code page; scripts/setup generates ru_RU.UTF-8.
LOCALES = {1252: "C.UTF-8", 1251: "ru_RU.UTF-8"}
ORIGIN = (50, 50)


def middle(line):
    fields = line.split()
    left, top, right, bottom = map(int, fields[1:5])
    return (left + right) // 2, (top + bottom) // 2


def checker_report(command):
    return json.loads(run_console(command)[1])


class CodePageTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="lum-code-page-")
        self.addCleanup(shutil.rmtree, self.root, True)
        self.locale = {name: os.environ.get(name) for name in ("LANG", "LC_ALL")}
        self.addCleanup(self.restore_locale)

    def restore_locale(self):
        for name, value in self.locale.items():
            if value is None:
                os.environ.pop(name, None)
            else:
                os.environ[name] = value

    def lines_lum_played(self, folder, lines):
        lum = lumdriver.start_lum(folder)
        try:
            lum.wait_window()
            played = []
            for number, line in enumerate(lines, 1):
                x, y = middle(line)
                samples = lumdriver.capture_sound(1.5, lambda: lumdriver.click(ORIGIN[0] + x, ORIGIN[1] + y))
                if lumdriver.tone_heard(samples, LOW):
                    played.append(number)
            return played
        finally:
            lum.stop()

    def test_each_checker_says_which_lines_lum_plays(self):
        available = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.lower()
        for page, locale in LOCALES.items():
            with self.subTest(page=page):
                self.assertIn(locale.lower().replace("utf-8", "utf8"), available,
                              "the locale %s is missing: run scripts/setup" % locale)
                folder = make_code_page_folder(self.root, page)
                for name in CODE_PAGE_FOLDERS[page][1]:
                    write(folder, name, tone(LOW, seconds=1.0))
                os.environ["LANG"] = os.environ["LC_ALL"] = locale
                lines = [line.decode("latin-1") for line in CODE_PAGE_FOLDERS[page][0]]
                played = self.lines_lum_played(folder, lines)
                self.assertEqual(played, CODE_PAGE_PLAYED[page], "lum.exe played these lines")
                option = ["--json", "--code-page", str(page)]
                said = {
                    "native": played_lines(checker_report([NATIVE, *option, folder])),
                    "node": played_lines(checker_report(["node", NODE, *option, folder])),
                    # Told no code page, as a user runs it: the system's, like lum.exe.
                    "windows": played_lines(checker_report(["wine", WINDOWS, "--json", windows_path(folder)])),
                }
                self.assertEqual(said, {name: played for name in said})


if __name__ == "__main__":
    NATIVE, NODE, WINDOWS = map(os.path.abspath, sys.argv[1:4])
    del sys.argv[1:4]
    lumdriver.skip_without_session()
    unittest.main()
