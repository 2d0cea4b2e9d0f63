"""Heavy use of the real lum.exe under Wine: a burst of presses on a sound
hotspot, one drag of 2,000 pointer moves, 20 minimise/restore cycles, presses
during a drag, releases without a press, and a skin and a hotspot file far
larger than usual. After each the program must still answer, must sit where
the pointer put it, and must end with exit code 0 on Escape. (The only box it
could show while running is the sound message, and Wine's sound service never
refuses a file, so no case here looks for boxes.) Run one group with
`python3 stress.py GroupName` inside a session (see tests/support/lumdriver.py)."""

import sys
import time
import unittest

import lumdriver
from lumdriver import LOW, assert_tones, run, click, move_pointer, capture_sound, tone_heard, screenshot
from lumcase import LumCase, screen, HOTSPOTS, WIDTH, HEIGHT
from skinfiles import KEY, bmp_file

SOUND_POINT = (20, 20)  # inside low.wav's rectangle
MIN_POINT = (80, 12)
DRAG_POINT = (55, 50)   # inside no rectangle


class StressCase(LumCase):
    def wait_rect(self, left, top, timeout=15.0):
        """The window's place once it stops changing: a burst of events may
        still be queued when the pointer has long arrived."""
        deadline = time.monotonic() + timeout
        while True:
            rect = self.lum.rect()
            if rect == (left, top, left + WIDTH, top + HEIGHT) or time.monotonic() > deadline:
                break
            time.sleep(0.2)
        self.assert_rect(left, top)

    def assert_still_answers_and_ends_on_escape(self):
        self.assertTrue(self.lum.running())
        self.lum.key("Escape")
        self.assert_exits_cleanly()


class Presses(StressCase):
    def test_300_presses_in_quick_succession_on_a_sound_hotspot(self):
        self.write_skin_folder()
        self.start_shown(expect_ended=True)
        x, y = screen(*SOUND_POINT)
        run(["xdotool", "mousemove", str(x), str(y), "click", "--repeat", "300", "--delay", "5", "1"], 60)
        self.wait_rect(50, 50)
        # The sound service still plays after the burst. On a busy machine the
        # program may still be working through the queued presses, each of
        # which stops the last sound and starts the next, so a press is tried
        # a few times before the service counts as silent.
        for _ in range(5):
            samples = capture_sound(1.0, lambda: click(x, y))
            if tone_heard(samples, LOW):
                break
        assert_tones(samples, LOW)
        self.assert_still_answers_and_ends_on_escape()

    def test_presses_of_every_button_during_a_drag_leave_it_to_the_left_release(self):
        self.write_skin_folder()
        self.start_shown(expect_ended=True)
        x, y = screen(*DRAG_POINT)
        # A second left press while the first is held need not reach the
        # window (X passes a press of a button already down on to no one), but
        # trying must do no harm; the middle and right buttons do reach it.
        run(["xdotool", "mousemove", str(x), str(y), "mousedown", "1",
             "sleep", "0.1", "mousemove", str(x + 30), str(y + 10),
             "sleep", "0.1", "mousedown", "1", "click", "3", "click", "2",
             "sleep", "0.1", "mousemove", str(x + 60), str(y + 40),
             "sleep", "0.1", "click", "3", "mousedown", "2",
             "sleep", "0.1", "mousemove", str(x + 90), str(y + 20),
             "sleep", "0.1", "mouseup", "2", "mouseup", "1"], 30)
        self.wait_rect(50 + 90, 50 + 20)
        # The drag ended with the left release: moving on leaves the window.
        move_pointer(700, 600)
        self.wait_rect(50 + 90, 50 + 20)
        self.assert_still_answers_and_ends_on_escape()

    def test_releases_without_a_press_do_nothing(self):
        self.write_skin_folder()
        self.start_shown(expect_ended=True)
        x, y = screen(*DRAG_POINT)
        # Pressed outside the window and released over it: the window sees
        # only the release. Then releases with no button down at all.
        run(["xdotool", "mousemove", "700", "600", "mousedown", "1", "sleep", "0.1",
             "mousemove", str(x), str(y), "sleep", "0.1", "mouseup", "1", "sleep", "0.1",
             "mouseup", "1", "mousemove", str(x + 5), str(y + 5), "mouseup", "1"], 30)
        move_pointer(600, 500)
        self.wait_rect(50, 50)
        # A real drag afterwards still works.
        lumdriver.drag([(x, y), (x + 10, y + 10), (x + 20, y + 15)])
        self.wait_rect(70, 65)
        self.assert_still_answers_and_ends_on_escape()


def drag_path(start, count):
    """count pointer positions from start: a widening zigzag that ends at a
    known point, all on a 1280 x 1024 screen."""
    x0, y0 = start
    points = []
    for i in range(count - 1):
        swing = 20 + (i * 7) % 300
        points.append((x0 + 200 + (swing if i % 2 else -swing) // 2 + i % 97,
                       y0 + 150 + (i * 13) % 400 - 200 + (i % 2) * 5))
    points.append((x0 + 411, y0 + 333))
    return points


class Dragging(StressCase):
    def test_one_drag_of_2000_pointer_moves_ends_where_the_pointer_says(self):
        self.write_skin_folder()
        self.start_shown(expect_ended=True)
        start = screen(*DRAG_POINT)
        command = ["xdotool", "mousemove", str(start[0]), str(start[1]), "mousedown", "1"]
        for x, y in drag_path(start, 2000):
            command += ["mousemove", str(x), str(y)]
        run(command + ["sleep", "0.2", "mouseup", "1"], 120)
        self.wait_rect(50 + 411, 50 + 333)
        move_pointer(20, 20)
        self.wait_rect(50 + 411, 50 + 333)
        self.assert_shows_skin(50 + 411, 50 + 333)
        self.assert_still_answers_and_ends_on_escape()


class MinimiseCycles(StressCase):
    def test_20_minimise_and_restore_cycles(self):
        self.write_skin_folder()
        self.start_shown(expect_ended=True)
        for cycle in range(20):
            click(*screen(*MIN_POINT))
            self.assertEqual(self.lum.wait_window("iconic", timeout=5)["iconic"], "1", "cycle %d" % cycle)
            self.assertEqual(lumdriver.probe("restore")["rc"], 0, "cycle %d" % cycle)
            self.lum.wait_window("restored", timeout=5)
        self.wait_rect(50, 50)
        self.assert_shows_skin()
        self.assert_still_answers_and_ends_on_escape()


BIG_WIDTH, BIG_HEIGHT = 4000, 3000
BIG_KEY = (100, 60, 140, 80)  # left, top, right, bottom (exclusive) in key colour


def big_pixel(x, y):
    """The large skin's pixel (r, g, b); red never reaches 255, so only the
    key box is magenta."""
    if BIG_KEY[0] <= x < BIG_KEY[2] and BIG_KEY[1] <= y < BIG_KEY[3]:
        return KEY
    return x % 251, y % 241, (x + y) % 256


def big_skin_bytes():
    """The 4,000 x 3,000 skin as a file, built a row at a time (36 MB)."""
    red = bytes(x % 251 for x in range(BIG_WIDTH))
    ramp = bytes(range(256)) * (BIG_WIDTH // 256 + 2)
    rows = []
    for y in reversed(range(BIG_HEIGHT)):
        row = bytearray(3 * BIG_WIDTH)
        row[0::3] = ramp[y % 256:y % 256 + BIG_WIDTH]
        row[1::3] = bytes([y % 241]) * BIG_WIDTH
        row[2::3] = red
        if BIG_KEY[1] <= y < BIG_KEY[3]:
            row[3 * BIG_KEY[0]:3 * BIG_KEY[2]] = bytes(reversed(KEY)) * (BIG_KEY[2] - BIG_KEY[0])
        rows.append(bytes(row))  # 12,000 bytes: no row padding
    return bmp_file(BIG_WIDTH, BIG_HEIGHT, b"".join(rows))


class LargeFiles(StressCase):
    def test_skin_of_4000_by_3000_pixels_starts_and_shows(self):
        self.write_skin_folder(skin=big_skin_bytes())
        self.start(expect_ended=True)
        self.lum.wait_window(timeout=60)
        self.assertEqual(self.lum.rect(), (50, 50, 50 + BIG_WIDTH, 50 + BIG_HEIGHT))
        # The part on the screen, key box included, is the skin.
        shot = screenshot(50, 50, 200, 120)
        wrong = [(x, y) for y in range(120) for x in range(200)
                 if (shot[y][x] == KEY if big_pixel(x, y) == KEY
                     else shot[y][x] != big_pixel(x, y))]
        self.assertEqual(wrong[:5], [], "%d pixels differ from the skin" % len(wrong))
        self.assert_still_answers_and_ends_on_escape()

    def test_hotspot_file_of_100000_lines_starts_and_its_first_lines_work(self):
        lines = HOTSPOTS + "filler.wav 0 0 1 1\r\n" * (100000 - 5) + "EXIT 0 0 101 67\r\n"
        self.write_skin_folder(ini=lines)
        self.start(expect_ended=True)
        self.lum.wait_window(timeout=60)
        self.assert_rect(50, 50)
        self.assert_shows_skin()
        samples = capture_sound(1.0, lambda: click(*screen(*SOUND_POINT)))
        assert_tones(samples, LOW)
        # The last line, far beyond the 32 stored, is no hotspot: a press drags.
        lumdriver.drag([screen(*DRAG_POINT), screen(DRAG_POINT[0] + 4, DRAG_POINT[1] + 3)])
        self.wait_rect(54, 53)
        self.assert_still_answers_and_ends_on_escape()


if __name__ == "__main__":
    lumdriver.require_session()
    unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[1:])
