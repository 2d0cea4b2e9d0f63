"""End to end: a board made in the editor from sounds in five formats,
downloaded as its zip and unzipped, runs in the zip's own lum.exe under Wine
with a compositing manager: each pad plays its source's tone, levelled (a
source 26 dB quieter plays as loud as the others), the stop pad
ends a long tone, MIN minimises and EXIT ends the
program with code 0. The native lumcheck finds no error in the folder.

Run as: wine_board_test.py LUM-EDITOR-HTML LUMCHECK PICTURE, inside the test
session (see tests/support/lumdriver.py), with LUM_EXE (the 64-bit build,
which takes the zip's program's place where 32-bit programs cannot run) and
LUM_PROBE set. PICTURE is where the screenshot of the running board goes.
"""
import math
import os
import shutil
import statistics
import subprocess
import sys
import zipfile

from editorcase import EditorCase, run_cases

import lumdriver
from audiofiles import encoded_tone
from lumdriver import RATE, SILENT, amplitude
from skinfolders import check_json

# Source files and their tones: no tone a whole multiple of another, and no
# two within 10% of each other, so that a pad playing another pad's sound
# cannot pass for its own.
TONES = {"Bell.mp3": 410, "Horn.ogg": 530, "Chime.flac": 670, "Gong.m4a": 850, "Whistle.opus": 1030}
# The chime comes in 26 dB quieter than the others; levelled, it plays
# within this of the pads' median. The strength read off one capture
# varies by a few dB (one run read a levelled pad 6.3 dB under the rest),
# so the quiet pad is held to the median, not each pad to the loudest.
QUIET = ("Chime.flac", 0.2)
LEVELLED_WITHIN_DB = 6
LONG = ("Drone.mp3", 1260)
LONG_SECONDS = 10
BAND = (200, 2000)
# The window of samples whose spectrum is scanned: 0.19 s.
WINDOW = 4096
BACKDROP = (60, 140, 200)


def loudest_window(samples):
    """The WINDOW samples around the loudest 50 ms of the capture."""
    block = RATE // 20
    starts = range(0, max(1, len(samples) - block + 1), block)
    loudest = max(starts, key=lambda s: sum(abs(v) for v in samples[s:s + block]))
    start = max(0, min(loudest - WINDOW // 2, len(samples) - WINDOW))
    return samples[start:start + WINDOW]


def dominant_frequency(samples):
    """The strongest frequency of the band and its amplitude: a scan in 5 Hz
    steps over the loudest part, then in steps of 0.25 Hz around the best."""
    window = loudest_window(samples)
    coarse = max(range(BAND[0], BAND[1] + 1, 5), key=lambda f: amplitude(window, f))
    fine = max((coarse - 5 + 0.25 * i for i in range(41)), key=lambda f: amplitude(window, f))
    return fine, amplitude(window, fine)


def wait_quiet():
    """Waits until the sink is silent: the recorder hands over what the
    sink played just before it started, so the end of the last tone would
    otherwise be measured with the next."""
    for _ in range(10):
        if max(map(abs, lumdriver.capture_sound(0.3, lead=0))) < SILENT:
            return
    raise AssertionError("the sink is still not silent after 3 s")


def centre(hotspot):
    rect = hotspot["rect"]
    return (rect["left"] + rect["right"]) // 2, (rect["top"] + rect["bottom"]) // 2


class BoardFromTheEditor(EditorCase):
    lumcheck = picture = None

    def test_the_downloaded_board_plays_each_tone_stops_minimises_and_exits(self):
        lumdriver.require_session()
        sources = [encoded_tone(self.path(name), frequency, 1.5, volume=QUIET[1] if name == QUIET[0] else 4)
                   for name, frequency in TONES.items()]
        sources.append(encoded_tone(self.path(LONG[0]), LONG[1], LONG_SECONDS))
        self.page.new_board(sources)
        board = self.path("board")
        with zipfile.ZipFile(self.page.download("download-board", ".zip")) as archive:
            archive.extractall(board)
        self.play_board(board, {os.path.splitext(name)[0] + ".wav": tone
                                for name, tone in list(TONES.items()) + [LONG]})

    def play_board(self, board, tones):
        """Runs the board folder's lum.exe and presses every hotspot that
        lumcheck lists; `tones` gives each pad's sound name its tone, the
        long tone last."""
        _, report = check_json(self.lumcheck, board)
        self.assertEqual([f for f in report["findings"] if f["level"] == "error"], [])
        hotspots = report["hotspots"]
        pads = {h["name"]: h for h in hotspots if h["action"] == "sound"}
        self.assertTrue(set(tones) <= set(pads), "pads %s" % sorted(pads))
        stop = [h for name, h in pads.items() if name not in tones]
        self.assertEqual(len(stop), 1, "one pad besides the sources' (the stop pad): %s" % sorted(pads))
        self.assertTrue(all(h["acts"] for h in hotspots))
        program = self.runnable(os.path.join(board, "lum.exe"))

        compositor = lumdriver.Compositor()
        self.addCleanup(compositor.stop)
        width, height = report["skin"]["width"], report["skin"]["height"]
        backdrop = lumdriver.Backdrop(20, 20, width + 60, height + 60, BACKDROP)
        self.addCleanup(backdrop.stop)
        lum = lumdriver.start_lum(board, program)
        self.addCleanup(lum.stop)
        lum.wait_window()
        left, top, _, _ = lum.rect()
        self.save_picture(width + 100, height + 100)

        def press(hotspot, seconds=2.0):
            x, y = centre(hotspot)
            return lumdriver.capture_sound(seconds, lambda: lumdriver.click(left + x, top + y))

        strengths = {}
        for name, tone in tones.items():
            with self.subTest(pad=name):
                wait_quiet()
                found, strengths[name] = dominant_frequency(press(pads[name]))
                self.assertGreater(strengths[name], lumdriver.HEARD, "%s: nothing heard (%.0f Hz strongest)" % (name, found))
                self.assertLess(abs(found - tone) / tone, 0.05, "%s plays %.1f Hz, not %d Hz" % (name, found, tone))
        median = statistics.median(strengths.values())
        below = {name: round(20 * math.log10(median / s), 1) for name, s in strengths.items()}
        quiet = os.path.splitext(QUIET[0])[0] + ".wav"
        self.assertLess(below[quiet], LEVELLED_WITHIN_DB, "dB below the pads' median: %s" % below)
        # The long tone, pressed last, still plays: the stop pad ends it.
        lumdriver.assert_tones(lumdriver.capture_sound(0.5), LONG[1])
        lumdriver.assert_tones(press(stop[0], 2.5)[RATE:], silent=[LONG[1]])

        actions = {h["action"]: h for h in hotspots}
        x, y = centre(actions["minimise"])
        lumdriver.click(left + x, top + y)
        self.assertEqual(lum.wait_window("iconic", timeout=5)["iconic"], "1")
        self.assertEqual(lumdriver.probe("restore")["rc"], 0)
        lum.wait_window("restored", timeout=5)
        x, y = centre(actions["exit"])
        lumdriver.click(left + x, top + y)
        self.assertEqual(lum.exit_code(), 0)

    def runnable(self, program):
        """The zip's program, or the 64-bit build in its place where this
        machine runs no 32-bit programs."""
        if os.environ.get("LUM_NO_32BIT") and lumdriver.is_32_bit_program(program):
            shutil.copyfile(os.environ["LUM_EXE"], program)
            print("%s: the board runs with the 64-bit lum.exe in the place of the zip's" % os.environ["LUM_NO_32BIT"])
        return program

    def save_picture(self, width, height):
        """The running board over the backdrop, for a person to look at (docs/lum-board.png)."""
        os.makedirs(os.path.dirname(self.picture), exist_ok=True)
        subprocess.run(["import", "-window", "root", "-crop", "%dx%d+0+0" % (width, height), self.picture],
                       check=True, timeout=30)
        print("screenshot: %s" % self.picture)


if __name__ == "__main__":
    EditorCase.page_file = os.path.abspath(sys.argv.pop(1))
    BoardFromTheEditor.lumcheck = os.path.abspath(sys.argv.pop(1))
    BoardFromTheEditor.picture = os.path.abspath(sys.argv.pop(1))
    run_cases()
