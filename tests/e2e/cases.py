"""End-to-end cases: the real lum.exe under Wine, in a fresh folder per case
with files generated here. Run one group with `python3 cases.py GroupName`
inside a session (see lumdriver), with tests/support on PYTHONPATH."""

import sys
import unittest

import lumdriver
from lumcase import HEIGHT, KEY_AREAS, WIDTH, LumCase, patterned_skin, screen
from lumdriver import HIGH, LOW, assert_tones, click, drag, move_pointer, capture_sound
from skinfiles import bitmap_bytes, bmp_file


def header_only_bitmap(width, height, bits=24, info_size=40, clr_used=0):
    """A BMP whose header promises a picture but that carries no pixel data."""
    return bmp_file(width, height, b"", bits, clr_used=clr_used, info_size=info_size)


# Files that start like bitmaps and lie about their size.
HOSTILE_BITMAPS = {
    "only-the-signature": b"BM",
    "file-header-only": header_only_bitmap(4, 4)[:14],
    "info-header-cut-short": header_only_bitmap(4, 4)[:30],
    "huge-info-size": header_only_bitmap(2, 2, info_size=0xFFFFFFF0) + bytes(16),
    "huge-colour-count": header_only_bitmap(2, 2, clr_used=0xFFFFFFFF) + bytes(16),
    "width-0x40000000": header_only_bitmap(0x40000000, 1),
    "4000x4000-without-pixels": header_only_bitmap(4000, 4000),
    "pixels-cut-short": bitmap_bytes([[(1, 2, 3)] * 9] * 9)[:-30],
}


class Appearance(LumCase):
    def test_window_shows_the_skin_at_50_50_with_its_size(self):
        self.write_skin_folder()
        state = self.start_shown()
        self.assertEqual(state["title"], "lum")
        self.assertEqual((state["visible"], state["iconic"]), ("1", "0"))
        style = int(state["style"], 16)
        self.assertTrue(style & 0x80000000, "not WS_POPUP")
        self.assertFalse(style & (0x00C00000 | 0x00040000), "has a caption or frame")
        self.assertTrue(int(state["exstyle"], 16) & 0x8, "not WS_EX_TOPMOST")
        self.assertTrue(int(state["exstyle"], 16) & 0x80000, "not WS_EX_LAYERED")
        self.assert_shows_skin()

    def test_pixels_after_a_colour_table_are_found(self):
        self.write_skin_folder(skin=bitmap_bytes(patterned_skin(WIDTH, HEIGHT, KEY_AREAS), clr_used=16))
        self.start_shown()
        self.assert_shows_skin()


class Sound(LumCase):
    def test_press_in_a_hotspot_plays_its_file_and_the_earlier_line_wins(self):
        self.write_skin_folder()
        self.start_shown()
        before = capture_sound(0.6)
        assert_tones(before, silent=[LOW, HIGH])
        assert_tones(capture_sound(1.5, lambda: click(*screen(20, 20))), LOW, [HIGH])
        self.assert_rect(50, 50)
        # (35, 20) lies in both rectangles: the earlier line's sound plays.
        assert_tones(capture_sound(1.5, lambda: click(*screen(35, 20))), LOW, [HIGH])
        assert_tones(capture_sound(1.5, lambda: click(*screen(50, 20))), HIGH, [LOW])
        self.assert_rect(50, 50)
        self.assertTrue(self.lum.running())

    def test_press_on_a_hotspot_edge_starts_a_drag_instead(self):
        self.write_skin_folder()
        self.start_shown()
        # x = 10 is the left edge of low.wav's rectangle, which holds only points strictly inside.
        samples = capture_sound(1.5, lambda: drag([screen(10, 20), screen(14, 22), screen(17, 25)]))
        assert_tones(samples, silent=[LOW, HIGH])
        self.assert_rect(57, 55)


class Dragging(LumCase):
    def test_drag_moves_the_window_by_the_pointer_movement_until_release(self):
        self.write_skin_folder()
        self.start_shown()
        # The press lands on key-colour pixels: they take presses like any other.
        drag([screen(55, 50), screen(65, 55), screen(80, 65), screen(95, 75)])
        self.assert_rect(90, 75)
        move_pointer(300, 300)
        self.assert_rect(90, 75)
        self.assert_shows_skin(90, 75)
        # One jump to 20 pixels left of the window: the captured pointer has a
        # negative window position and the window still follows it exactly.
        drag([(90 + 55, 75 + 50), (90 - 20, 75 + 50)])
        self.assert_rect(90 - 20 - 55, 75)


class MinimiseAndKeys(LumCase):
    def test_min_minimises_and_restoring_repaints_the_skin(self):
        self.write_skin_folder()
        self.start_shown()
        click(*screen(80, 12))
        state = self.lum.wait_window("iconic", timeout=5)
        self.assertEqual(state["iconic"], "1")
        # Without a window manager Wine shows a minimised unmanaged window as a
        # small bar at the bottom left: the skin is gone from its place.
        self.assertNotEqual(self.skin_mismatches(50, 50), [])
        self.assertEqual(lumdriver.probe("restore")["rc"], 0)
        self.lum.wait_window("restored", timeout=5)
        self.assert_rect(50, 50)
        self.assert_shows_skin()

    def test_other_keys_do_nothing_and_escape_ends_with_code_0(self):
        self.write_skin_folder()
        self.start_shown(expect_ended=True)
        self.lum.key("a", "Return", "space", "Tab", "F1", "q", "x")
        self.assertTrue(self.lum.running())
        self.assertEqual(self.lum.state()["visible"], "1")
        self.assert_rect(50, 50)
        self.lum.key("Escape")
        self.assert_exits_cleanly()

    def test_exit_hotspot_ends_with_code_0(self):
        self.write_skin_folder()
        self.start_shown(expect_ended=True)
        click(*screen(80, 50))
        self.assert_exits_cleanly()


class LoadFailures(LumCase):
    def expect_boxes(self, *texts):
        """The program shows these boxes in order (each answered with OK),
        never shows its window, and ends with exit code 0."""
        self.start(expect_ended=True)
        for text in texts:
            box = self.lum.message_box(press=False)
            state = self.lum.state()
            self.assertEqual(state.get("visible", "0"), "0", "the window was shown")
            self.assertEqual(box.get("text"), text, box)
            self.lum.message_box()
        self.assert_exits_cleanly()
        return box

    def test_missing_ini(self):
        self.write_skin_folder(ini=None)
        self.start(expect_ended=True)
        box = self.lum.message_box(press=False)
        self.assert_error_box(box, "no valid ini file!")
        self.assertEqual(self.lum.state().get("visible"), "0")
        self.lum.message_box()
        self.assert_exits_cleanly()

    def test_8_bit_skin(self):
        gray = [[(x * 9 % 256,) * 3 for x in range(20)] for _ in range(10)]
        self.write_skin_folder(skin=bitmap_bytes(gray, bits=8))
        self.assert_error_box(self.expect_boxes("no valid Bitmap!"), "no valid Bitmap!")

    def test_other_skins_that_are_not_24_bit_bottom_up(self):
        pixels = patterned_skin(6, 5, [])
        for name, skin in (("32-bit", bitmap_bytes(pixels, bits=32)),
                           ("top-down", bitmap_bytes(pixels, height_sign=-1))):
            with self.subTest(name):
                self.write_skin_folder(skin=skin)
                self.expect_boxes("no valid Bitmap!")

    def test_24_bit_skins_marked_compressed(self):
        # The system's drawing call refuses them, so the window would stay unpainted.
        pixels = patterned_skin(16, 8, [])
        for name, compression in (("BI_RLE8", 1), ("BI_BITFIELDS", 3), ("BI_JPEG", 4)):
            with self.subTest(name):
                self.write_skin_folder(skin=bitmap_bytes(pixels, compression=compression))
                self.expect_boxes("no valid Bitmap!")

    def test_text_file_as_skin(self):
        self.write_skin_folder(skin=b"ding.wav 1 2 3 4\r\nnot a picture\r\n")
        self.start(expect_ended=True)
        box = self.lum.message_box()
        self.assertEqual((box.get("text"), box.get("buttons")), ("This isn't a bitmap file!", "1"), box)
        self.assert_error_box(self.lum.message_box(), "no valid Bitmap!")
        self.assert_exits_cleanly()

    def test_ini_and_skin_both_fail(self):
        # The window is already destroyed when the skin fails, and no box is
        # shown after that, the reader's own included: exactly the first
        # message, then the end.
        for name, skin in (("missing skin", None), ("text as skin", b"not a picture\r\n")):
            with self.subTest(name):
                self.write_skin_folder(ini=None, skin=skin)
                self.start(expect_ended=True)
                self.assert_error_box(self.lum.message_box(), "no valid ini file!")
                self.assert_exits_cleanly()


class HostileBitmaps(LumCase):
    def test_lying_bitmaps_are_rejected_without_crash_or_hang(self):
        for name, skin in HOSTILE_BITMAPS.items():
            with self.subTest(name):
                self.write_skin_folder(skin=skin)
                self.start(expect_ended=True)
                self.assert_error_box(self.lum.message_box(), "no valid Bitmap!")
                self.assert_exits_cleanly()


class IniFormats(LumCase):
    def test_awkward_ini_still_gives_the_hotspots_its_lines_describe(self):
        lines = [b"low.wav\t10,10 ,40\t30\r\n",             # slot 0: tabs, commas, CR LF
                 b"y" * 300 + b"\r\n",                      # slots 1 and 2: read in two pieces
                 b"high.wav 30 10 60\x00 30\r\n"]            # slot 3: the 0 byte ends its fields
        lines += [b"filler.wav 0 0 1 1\r\n"] * 27             # slots 4 to 30
        lines += [b"MIN,70,5,90,20\r\n",                     # slot 31, the last one stored
                  b"EXIT 70 40 90 60\r\n"]                   # a 33rd line: ignored
        self.write_skin_folder(ini=b"".join(lines))
        self.start_shown()
        sound = capture_sound(1.5, lambda: click(*screen(20, 20)))
        assert_tones(sound, LOW)
        # high.wav lost its bottom edge to the 0 byte: a press there drags.
        drag([screen(50, 20), screen(53, 21)])
        self.assert_rect(53, 51)
        # The ignored EXIT line leaves a press there a drag too.
        drag([(53 + 80, 51 + 50), (50 + 80, 50 + 50)])
        self.assert_rect(50, 50)
        self.assertTrue(self.lum.running())
        click(*screen(80, 12))
        self.assertEqual(self.lum.wait_window("iconic", timeout=5)["iconic"], "1")


class Compositor(LumCase):
    """A compositing manager puts each window's own surface on the screen, as
    every Windows since 8 does, over a window of one colour: the see-through
    pixels show that colour, and presses act as without one."""
    BACKDROP = (32, 96, 160)
    BACKDROP_PLACE = (20, 20, 400, 300)  # the window's place, and where the drag takes it

    @classmethod
    def setUpClass(cls):
        lumdriver.require_session()
        cls.compositor = lumdriver.Compositor()

    @classmethod
    def tearDownClass(cls):
        cls.compositor.stop()

    def setUp(self):
        super().setUp()
        self.backdrop = lumdriver.Backdrop(*self.BACKDROP_PLACE, self.BACKDROP)
        self.addCleanup(self.backdrop.stop)

    def assert_see_through(self, left=50, top=50):
        self.assert_shows_skin(left, top, see_through=self.BACKDROP)

    def test_see_through_pixels_show_what_lies_behind_and_presses_act_as_before(self):
        self.write_skin_folder()
        self.start_shown(expect_ended=True)
        self.assert_see_through()
        samples = capture_sound(1.5, lambda: click(*screen(20, 20)))
        assert_tones(samples, LOW)
        # (50, 40) lies in a key-colour area: the press reaches the window.
        drag([screen(50, 40), screen(70, 55), screen(90, 70)])
        self.assert_rect(90, 80)
        self.assert_see_through(90, 80)
        click(90 + 80, 80 + 12)
        self.lum.wait_window("iconic", timeout=5)
        self.assertEqual(lumdriver.probe("restore")["rc"], 0)
        self.lum.wait_window("restored", timeout=5)
        self.assert_rect(90, 80)
        self.assert_see_through(90, 80)
        self.lum.key("Escape")
        self.assert_exits_cleanly()
        self.start_shown(expect_ended=True)
        click(*screen(80, 50))
        self.assert_exits_cleanly()


if __name__ == "__main__":
    lumdriver.require_session()
    unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[1:])
