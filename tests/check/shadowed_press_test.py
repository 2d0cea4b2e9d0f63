"""Ties the checker to the program: for a hotspot the checker reports as
shadowed, a press on it in the real lum.exe under Wine does what the earlier
hotspot does.

Run as: shadowed_press_test.py PATH-TO-LUMCHECK, inside the test session
(see tests/support/lumdriver.py); skips (77) without one.
"""
import os
import shutil
import sys
import tempfile
import unittest

import lumdriver
import skinfiles
from skinfolders import check_json

CHECKER = None
WIDTH, HEIGHT = 101, 67
LOW, HIGH = 440, 1320  # whole numbers of cycles in the driver's 50 ms blocks
HEARD, SILENT = 3000, 300
HOTSPOTS = ("low.wav 10 10 40 30\n"
            "high.wav 15 15 35 25\n"   # wholly inside line 1
            "EXIT 70 40 90 60\n")


class ShadowedPressTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="lumcheck-e2e-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        with open(os.path.join(self.folder, "lum.ini"), "w") as out:
            out.write(HOTSPOTS)
        with open(os.path.join(self.folder, "lum.bmp"), "wb") as out:
            out.write(skinfiles.bitmap_bytes(skinfiles.patterned_skin(WIDTH, HEIGHT, [(0, 0, 8, 6)])))
        skinfiles.write_tone(os.path.join(self.folder, "low.wav"), LOW)
        skinfiles.write_tone(os.path.join(self.folder, "high.wav"), HIGH)

    def test_a_press_on_a_shadowed_hotspot_acts_for_the_earlier_line(self):
        status, report = check_json(CHECKER, self.folder)
        self.assertEqual(status, 1)
        self.assertEqual([(f["line"], f["kind"]) for f in report["findings"]], [(2, "shadowed")])
        self.assertIn("line 1", report["findings"][0]["message"])

        lum = lumdriver.start_lum(self.folder)
        try:
            lum.wait_window()
            # (25, 20) lies inside both rectangles; the window sits at (50, 50).
            samples = lumdriver.capture_sound(1.0, lambda: lumdriver.click(50 + 25, 50 + 20))
            levels = (lumdriver.tone_level(samples, LOW), lumdriver.tone_level(samples, HIGH))
            self.assertGreater(levels[0], HEARD, "got levels %s, expected line 1's tone" % (levels,))
            self.assertLess(levels[1], SILENT, "got levels %s, expected no tone of line 2" % (levels,))
            self.assertEqual(lum.rect(), (50, 50, 50 + WIDTH, 50 + HEIGHT))
        finally:
            lum.stop()


if __name__ == "__main__":
    CHECKER = os.path.abspath(sys.argv.pop(1))
    lumdriver.skip_without_session()
    unittest.main()
