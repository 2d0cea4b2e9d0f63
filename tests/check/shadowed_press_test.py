"""Ties the checker to the program: for a hotspot the checker reports as
shadowed, a press on it in the real lum.exe under Wine does what the earlier
hotspot does.

Run as: shadowed_press_test.py PATH-TO-LUMCHECK, inside the test session
(see tests/support/lumdriver.py); skips (77) without one.
"""
import os
import sys
import unittest

import lumdriver
from lumcase import LumCase, screen
from lumdriver import HIGH, LOW, assert_tones, capture_sound, click
from skinfolders import check_json

CHECKER = None
HOTSPOTS = ("low.wav 10 10 40 30\n"
            "high.wav 15 15 35 25\n"   # wholly inside line 1
            "EXIT 70 40 90 60\n")


class ShadowedPressTest(LumCase):
    def test_a_press_on_a_shadowed_hotspot_acts_for_the_earlier_line(self):
        self.write_skin_folder(ini=HOTSPOTS)
        status, report = check_json(CHECKER, self.folder)
        self.assertEqual(status, 1)
        self.assertEqual([(f["line"], f["kind"]) for f in report["findings"]], [(2, "shadowed")])
        self.assertIn("line 1", report["findings"][0]["message"])

        self.start_shown()
        # (25, 20) lies inside both rectangles.
        assert_tones(capture_sound(1.0, lambda: click(*screen(25, 20))), LOW, [HIGH])
        self.assert_rect(50, 50)


if __name__ == "__main__":
    CHECKER = os.path.abspath(sys.argv.pop(1))
    lumdriver.skip_without_session()
    unittest.main()
