"""The end-to-end cases' skin folder, a 101 x 67 board of five hotspots and
two tones, and their test case: a fresh folder per case, the real lum.exe
started in it under Wine and always ended afterwards."""

import os
import shutil
import tempfile
import unittest

import lumdriver
from lumdriver import HIGH, LOW, screenshot
from skinfiles import KEY, bitmap_bytes, png_bytes, tone

WIDTH, HEIGHT = 101, 67  # 101 pixels make rows with 1 pad byte
ORIGIN = (50, 50)
KEY_AREAS = [(0, 0, 8, 6), (45, 35, 60, 62), (100, 0, 101, 67)]
HOTSPOTS = ("low.wav 10 10 40 30\n"
            "high.wav 30 10 60 30\n"
            "MIN 70 5 90 20\n"
            "EXIT 70 40 90 60\n"
            "missing.wav 10 40 40 60\n")
PATTERNED = object()
# Without a compositing manager, Wine puts a layered window's colours on the
# screen as they are and drops the alpha: see-through pixels (colour 0 at
# alpha 1) come out black.
BLACK = (0, 0, 0)


def patterned_skin(width, height, key_areas):
    """Pixels that differ from their neighbours, so a shifted or mirrored
    picture cannot pass for the right one; key_areas are (left, top, right,
    bottom) boxes, right and bottom exclusive, painted in the key colour."""
    pixels = []
    for y in range(height):
        row = []
        for x in range(width):
            pixel = ((x * 5 + y) % 256, (y * 7 + 3 * x) % 256, (x * y + 11) % 251)
            if pixel == KEY:
                pixel = (254, 0, 255)
            if any(l <= x < r and t <= y < b for l, t, r, b in key_areas):
                pixel = KEY
            row.append(pixel)
        pixels.append(row)
    return pixels


def screen(x, y):
    """Screen position of a window pixel while the window is at ORIGIN."""
    return ORIGIN[0] + x, ORIGIN[1] + y


class LumCase(unittest.TestCase):
    """A fresh skin folder per case; the program is always ended afterwards."""

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="lum-e2e-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.lum = None
        self.expect_ended = False

    def tearDown(self):
        self.end_lum()

    def end_lum(self):
        if not self.lum:
            return
        lum, self.lum = self.lum, None
        still_running = lum.running()
        lum.stop()
        if still_running and self.expect_ended:
            self.fail("lum.exe had to be killed")

    def write(self, name, data):
        with open(os.path.join(self.folder, name), "wb") as out:
            out.write(data if isinstance(data, bytes) else data.encode())

    def write_skin_folder(self, ini=HOTSPOTS, skin=PATTERNED):
        """None for ini or skin leaves that file out."""
        for name in ("lum.ini", "lum.bmp"):
            if os.path.exists(os.path.join(self.folder, name)):
                os.remove(os.path.join(self.folder, name))
        if ini is not None:
            self.write("lum.ini", ini)
        self.skin = patterned_skin(WIDTH, HEIGHT, KEY_AREAS)
        if skin is PATTERNED:
            skin = bitmap_bytes(self.skin)
        if skin is not None:
            self.write("lum.bmp", skin)
        self.write("low.wav", tone(LOW))
        self.write("high.wav", tone(HIGH))

    def start(self, expect_ended=False):
        """expect_ended: the case ends the program itself, so having to kill it is a failure."""
        self.end_lum()
        self.expect_ended = expect_ended
        self.lum = lumdriver.start_lum(self.folder)
        return self.lum

    def start_shown(self, **options):
        lum = self.start(**options)
        state = lum.wait_window()
        self.assertEqual(lum.rect(), (50, 50, 50 + WIDTH, 50 + HEIGHT))
        return state

    def assert_rect(self, left, top):
        self.assertEqual(self.lum.rect(), (left, top, left + WIDTH, top + HEIGHT))

    def skin_mismatches(self, left, top, see_through=BLACK):
        """Pixels that differ from the skin, where key-colour pixels are to
        show the colour see_through within a step (alpha 1 may darken what
        lies behind by one)."""
        shot = screenshot(left, top, WIDTH, HEIGHT)
        wrong = []
        for y in range(HEIGHT):
            for x in range(WIDTH):
                want, got = self.skin[y][x], shot[y][x]
                if want == KEY:
                    want = see_through
                    if all(abs(a - b) <= 1 for a, b in zip(got, want)):
                        continue
                elif got == want:
                    continue
                wrong.append((x, y, want, got))
        if wrong and os.environ.get("LUM_E2E_ARTIFACTS"):
            # The screenshot, for a person to look at after the failure.
            os.makedirs(os.environ["LUM_E2E_ARTIFACTS"], exist_ok=True)
            with open(os.path.join(os.environ["LUM_E2E_ARTIFACTS"], self.id() + ".png"), "wb") as out:
                out.write(png_bytes(shot))
        return wrong

    def assert_shows_skin(self, left=50, top=50, see_through=BLACK):
        wrong = self.skin_mismatches(left, top, see_through)
        self.assertEqual(wrong[:5], [], "%d pixels differ from the skin" % len(wrong))

    def assert_error_box(self, box, text):
        seen = tuple(box.get(key) for key in ("text", "title", "buttons", "icon", "owner-class"))
        self.assertEqual(seen, (text, "Error", "1", "exclamation", "lumWin"), box)

    def assert_exits_cleanly(self):
        try:
            code = self.lum.exit_code()
        except lumdriver.DriverError:
            box = lumdriver.probe("message-box", 1, "keep")
            raise AssertionError("lum.exe did not end; a message box is open: %s" % box
                                 if box.get("found") == "1" else "lum.exe did not end")
        self.assertEqual(code, 0)
        self.assertEqual(lumdriver.probe("state")["found"], "0")
