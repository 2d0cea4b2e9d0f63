"""The download as a person uses it: the zip unpacked into a fresh folder, one
flavour's lum.exe run in the zip's demo folder under Wine (a pad press is
heard, Escape ends it with exit code 0), and that flavour's lumcheck.exe on
the same folder.

Run as: unpacked_test.py ZIP FLAVOUR VERSION, FLAVOUR being x64 or x86,
inside the test session (see tests/support/lumdriver.py); LUM_PROBE names the
probe of the matching build.
"""
import os
import shutil
import sys
import tempfile
import unittest
import zipfile

import lumdriver

ZIP, FLAVOUR, VERSION = sys.argv[1:4]
# The first pad of the demo skin: its centre, and its tone (tone-c.wav).
FIRST_PAD = (40, 55)
FIRST_PAD_TONE = 523.25


def run_windows(program, *arguments):
    code, output = lumdriver.run_console(["wine", program, *arguments], timeout=120)
    return code, output.decode(errors="replace")


class UnpackedZip(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="lum-package-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        with zipfile.ZipFile(ZIP) as archive:
            archive.extractall(self.folder)
        self.demo = os.path.join(self.folder, "demo")
        self.lum = None

    def tearDown(self):
        if self.lum:
            self.lum.stop()

    def test_lum_plays_the_demo_and_ends_on_escape(self):
        os.environ["LUM_EXE"] = os.path.join(self.folder, FLAVOUR, "lum.exe")
        self.lum = lumdriver.start_lum(self.demo)
        self.lum.wait_window()
        left, top, _, _ = self.lum.rect()
        # Room for the first sound of a fresh prefix, which waits for Wine's audio set-up.
        sound = lumdriver.capture_sound(3.0, lambda: lumdriver.click(left + FIRST_PAD[0], top + FIRST_PAD[1]))
        lumdriver.assert_tones(sound, FIRST_PAD_TONE)
        self.lum.key("Escape")
        self.assertEqual(self.lum.exit_code(), 0)

    def test_lumcheck_passes_the_demo_and_tells_its_version(self):
        checker = os.path.join(self.folder, FLAVOUR, "lumcheck.exe")
        code, report = run_windows(checker, lumdriver.windows_path(self.demo))
        self.assertEqual(code, 0, report)
        self.assertEqual(run_windows(checker, "--version"), (0, "lumcheck %s\n" % VERSION))


if __name__ == "__main__":
    lumdriver.skip_unless_it_runs(os.environ["LUM_PROBE"])
    unittest.main(argv=[sys.argv[0], "-v"])
