"""End to end: a skin folder made in the editor from a picture, two WAVs and
two drawn hotspots runs in lum.exe under Wine, and a press inside each drawn
rectangle plays its own tone.

Run as: wine_folder_test.py LUM-EDITOR-HTML, inside the test session (see
tests/support/lumdriver.py), with LUM_EXE and LUM_PROBE set.
"""
import os
import sys

from selenium.webdriver.support.ui import Select

from editorcase import EditorCase, run_cases

import lumdriver
from lumdriver import HIGH, LOW
from skinfiles import picture, png_bytes, tone
from skinfolders import write

ORIGIN = (50, 50)
# Interiors drawn on the 120 x 60 picture, corners included, and their tones.
DRAWN = [((8, 10), (40, 45), "low.wav", LOW), ((70, 10), (110, 45), "high.wav", HIGH)]


class FolderFromTheEditor(EditorCase):
    def test_the_drawn_hotspots_play_their_tones_in_lum(self):
        lumdriver.require_session()
        sounds = [self.path("low.wav"), self.path("high.wav")]
        write(self.root, "low.wav", tone(LOW, seconds=1.0))
        write(self.root, "high.wav", tone(HIGH, seconds=1.0))
        write(self.root, "picture.png",
              png_bytes(picture(120, 60, lambda x, y: (0, 0, 0, 0) if x + y < 6 else (40 + x, 80, 120 + y, 255))))
        self.page.import_picture(self.path("picture.png"))
        self.page.add_sounds(sounds)
        Select(self.page.element("zoom")).select_by_value("2")
        for start, end, sound, _ in DRAWN:
            self.drag(start, end)
            action = Select(self.page.element("action"))
            # A new hotspot plays the folder's first sound until told otherwise.
            if action.first_selected_option.get_attribute("value") != sound:
                self.page.after_check(lambda: action.select_by_value(sound), sound)
        self.assertEqual([f[2] for f in self.page.findings()], ["no-exit"])
        self.page.save_zip(["lum.bmp", "lum.ini", "low.wav", "high.wav"])
        lum = lumdriver.start_lum(self.downloads)
        self.addCleanup(lum.stop)
        lum.wait_window()
        self.assertEqual(lum.rect(), (50, 50, 170, 110))
        for (x0, y0), (x1, y1), sound, frequency in DRAWN:
            other = HIGH if frequency == LOW else LOW
            for x, y in ((x0, y0), (x1, y1)):
                with self.subTest(sound=sound, corner=(x, y)):
                    samples = lumdriver.capture_sound(1.5, lambda: lumdriver.click(ORIGIN[0] + x, ORIGIN[1] + y))
                    lumdriver.assert_tones(samples, frequency, [other])
        self.assertEqual(lum.rect(), (50, 50, 170, 110))


if __name__ == "__main__":
    EditorCase.page_file = os.path.abspath(sys.argv.pop(1))
    run_cases()
