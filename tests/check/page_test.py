"""The checker's preview page in a real browser: headless Chromium takes a
screenshot, and its pixels are compared with the skin and the hotspots.

Run as: page_test.py PATH-TO-LUMCHECK
"""
import os
import subprocess
import sys
import tempfile
import unittest

from skinfolders import KEY, bitmap, make_folder, run_check, wave
from testskip import require_programs

CHECKER = BROWSER = None
BOARD_LEFT, BOARD_TOP = 24, 24  # where the page puts the picture, at scale 1
CHECKER_SQUARE, CHECKER_DARK, CHECKER_LIGHT = 8, (204, 204, 204), (255, 255, 255)
OUTLINE = {"sound": (0, 80, 255), "minimise": (0, 160, 0), "exit": (224, 0, 0)}
WIDTH, HEIGHT = 120, 80
SHOT_WIDTH, SHOT_HEIGHT = 400, 300

# Line, action and rectangle of each hotspot; line 4 is shadowed by line 1.
HOTSPOTS = [
    (1, "sound", "ding.wav", (40, 10, 100, 60)),
    (2, "exit", "EXIT", (50, 64, 90, 78)),
    (3, "minimise", "MIN", (4, 4, 26, 26)),
    (4, "sound", "ding.wav", (60, 20, 80, 40)),
]


def skin_colour(x, y):
    """Magenta left of x = 30, elsewhere a pattern that no outline colour matches."""
    return KEY if x < 30 else (100 + x, 60 + y, 90)


def checker_colour(x, y):
    return CHECKER_LIGHT if (x // CHECKER_SQUARE + y // CHECKER_SQUARE) % 2 else CHECKER_DARK


class Screenshot:
    def __init__(self, path):
        raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True,
                             check=True, timeout=60).stdout
        self.width, self.height = SHOT_WIDTH, SHOT_HEIGHT
        self.raw = raw
        assert len(raw) == 3 * SHOT_WIDTH * SHOT_HEIGHT, len(raw)

    def skin_pixel(self, x, y):
        """The page pixel over skin pixel (x, y)."""
        offset = 3 * ((BOARD_TOP + y) * self.width + BOARD_LEFT + x)
        return tuple(self.raw[offset:offset + 3])


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory()
        root = cls.temp.name
        folder = os.path.join(root, "skin")
        lines = [f"{name} {l} {t} {r} {b}" for _, _, name, (l, t, r, b) in HOTSPOTS]
        make_folder(folder, lines, bitmap(WIDTH, HEIGHT, skin_colour), {"ding.wav": wave()})
        cls.page = os.path.join(root, "page.html")
        status, _, err = run_check(CHECKER, "--html", cls.page, folder)
        assert status == 1, err  # line 4 is shadowed
        shot = os.path.join(root, "shot.png")
        profile = os.path.join(root, "profile")
        subprocess.run([BROWSER, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                        "--no-first-run", "--disable-background-networking", "--disable-component-update",
                        "--disable-sync", "--user-data-dir=" + profile, "--force-device-scale-factor=1",
                        "--force-color-profile=srgb", "--hide-scrollbars", "--screenshot=" + shot,
                        f"--window-size={SHOT_WIDTH},{SHOT_HEIGHT}", "file://" + cls.page],
                       capture_output=True, timeout=120, check=True)
        cls.shot = Screenshot(shot)

    @classmethod
    def tearDownClass(cls):
        cls.temp.cleanup()

    def test_outlines_lie_exactly_on_the_hotspot_edges(self):
        for line, action, _, (left, top, right, bottom) in HOTSPOTS:
            colour = OUTLINE[action]
            with self.subTest(line=line):
                for x in range(left, right + 1):
                    self.assertEqual(self.shot.skin_pixel(x, top), colour, (x, top))
                    self.assertEqual(self.shot.skin_pixel(x, bottom), colour, (x, bottom))
                for y in range(top, bottom + 1):
                    self.assertEqual(self.shot.skin_pixel(left, y), colour, (left, y))
                    self.assertEqual(self.shot.skin_pixel(right, y), colour, (right, y))

    def test_pixels_beside_an_outline_show_the_skin(self):
        left, top, right, bottom = HOTSPOTS[0][3]
        # Below the line-number tag, on both sides of the left and right edges.
        for y in range(top + 16, bottom):
            for x in (left - 1, left + 1, right - 1, right + 1):
                self.assertEqual(self.shot.skin_pixel(x, y), skin_colour(x, y), (x, y))

    def test_see_through_pixels_show_the_checkerboard(self):
        left, top, right, bottom = HOTSPOTS[2][3]
        checked = set()
        for y in range(HEIGHT):
            for x in range(30):
                if left <= x <= right and top <= y <= bottom:
                    continue
                self.assertEqual(self.shot.skin_pixel(x, y), checker_colour(x, y), (x, y))
                checked.add(checker_colour(x, y))
        self.assertEqual(checked, {CHECKER_DARK, CHECKER_LIGHT})

    def test_a_hotspot_without_interior_has_no_outline(self):
        folder = os.path.join(self.temp.name, "flat")
        make_folder(folder, ["MIN 0 0 50 0"], bitmap(WIDTH, HEIGHT, skin_colour))
        page = os.path.join(self.temp.name, "flat.html")
        run_check(CHECKER, "--html", page, folder)
        with open(page, encoding="utf-8") as html:
            self.assertEqual(html.read().count("id=\"slot-1\""), 0)

    def test_page_is_self_contained(self):
        with open(self.page, encoding="utf-8") as page:
            html = page.read()
        self.assertNotIn("http:", html)
        self.assertNotIn("https:", html)
        self.assertNotIn("<link", html)
        self.assertNotIn("src=\"file", html)
        self.assertIn("src=\"data:image/png;base64,", html)
        # Each finding points at its outline, and the sound is linked by file URL.
        self.assertIn("<a href=\"#slot-4\">line 4</a>", html)
        self.assertIn("href=\"file:///", html)
        self.assertIn("/skin/ding.wav\" data-sound", html)
        # Hovering shows the line and name, the rectangle and each finding, a line each.
        title = html[html.index("id=\"slot-4\""):].split("title=\"", 1)[1].split("\"", 1)[0]
        lines = title.split("\n")
        self.assertEqual(lines[:2], ["line 4: ding.wav", "rectangle 60, 20, 80, 40"])
        self.assertTrue(lines[2].startswith("error shadowed: Every point"), lines)


if __name__ == "__main__":
    CHECKER = os.path.abspath(sys.argv.pop(1))
    BROWSER, _ = require_programs("chromium", "convert")
    unittest.main()
