"""A pad's part, chosen on its waveform or in its fields, and a pad recorded
from the microphone, in headless Chromium. Sounds are made by ffmpeg; the
microphone is Chromium's fake capture device playing a file made here.
What the board holds is read from the zip that Download board gives.

Run as: part_test.py LUM-EDITOR-HTML
"""
import io
import os
import re
import subprocess
import sys
import time
import wave
import zipfile

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from editorcase import EditorCase, read, run_cases
from editorpage import EditorPage
from testskip import require_programs


def ffmpeg(path, source, *filters):
    """An audio file made by ffmpeg from a lavfi source; its format follows the name."""
    command = ["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i", source]
    if filters:
        command += ["-af", ",".join(filters)]
    subprocess.run(command + [path], check=True, timeout=120)
    return path


def wave_of(data):
    """(seconds, frames as 16-bit numbers of the first channel) of a WAV's bytes."""
    with wave.open(io.BytesIO(data)) as w:
        frames = w.readframes(w.getnframes())
        samples = [int.from_bytes(frames[i:i + 2], "little", signed=True)
                   for i in range(0, len(frames), 2 * w.getnchannels())]
        return w.getnframes() / w.getframerate(), samples


def loudness(data, root):
    """(integrated LUFS, true peak dBTP) of a WAV's bytes by ffmpeg's ebur128 filter."""
    path = os.path.join(root, "measured.wav")
    with open(path, "wb") as out:
        out.write(data)
    report = subprocess.run(["ffmpeg", "-nostats", "-hide_banner", "-i", path, "-af", "ebur128=peak=true", "-f", "null", "-"],
                            capture_output=True, text=True, check=True, timeout=120).stderr
    summary = report[report.rindex("Summary:"):]
    return (float(re.search(r"I:\s+(-?[\d.]+) LUFS", summary).group(1)),
            float(re.search(r"True peak:\s+Peak:\s+(-?[\d.]+|-inf) dBFS", summary).group(1)))


def sine_volume(lufs):
    """ffmpeg's volume for its sine (1/8 of full scale) to reach this loudness at 997 Hz, mono."""
    return 8 * 10 ** ((lufs + 3.01) / 20)


class PartCase(EditorCase):
    def run_js(self, script, *args):
        return self.page.driver.execute_script(script, *args)

    def select_pad(self, index):
        self.run_js("document.querySelectorAll('#pads li')[arguments[0]].click()", index)

    def region(self):
        """The region of the waveform, once it is drawn."""
        def found(driver):
            host = driver.find_element(By.ID, "pad-wave").find_elements(By.CSS_SELECTOR, ":scope > div")
            return host and host[0].shadow_root.find_elements(By.CSS_SELECTOR, "[part~='region']")
        return self.page.wait(found, "the waveform and its part")[0]

    def part_fields(self):
        return [self.page.element(id_).get_attribute("value") for id_ in ("pad-start", "pad-end")]

    def type_into(self, id_, text):
        field = self.page.element(id_)
        field.send_keys(Keys.CONTROL, "a")
        field.send_keys(text, Keys.TAB)

    def until_status(self, text):
        self.page.wait(lambda d: text in self.page.status(), "the status to say %r" % text)

    def board_zip(self):
        """The path of the board's zip, downloaded afresh."""
        for name in os.listdir(self.downloads):
            os.remove(os.path.join(self.downloads, name))
        return self.page.download("download-board", ".zip")

    def board_bytes(self, sound):
        with zipfile.ZipFile(self.board_zip()) as board:
            return board.read(sound)

    def board_wave(self, sound):
        """The seconds and samples of the sound's WAV in the board's zip."""
        return wave_of(self.board_bytes(sound))


class ChosenPart(PartCase):
    def setUp(self):
        super().setUp()
        tone = ffmpeg(self.path("theme.wav"), "sine=frequency=440:duration=180:sample_rate=44100",
                      "adelay=1000", "volume=0.5")
        self.page.new_board([tone])
        self.select_pad(0)
        self.region()

    def test_the_fields_cut_the_sound_to_the_part_and_move_the_region(self):
        self.type_into("pad-start", "2")
        self.type_into("pad-end", "7")
        self.until_status("plays 2.00–7.00 s")
        self.assertEqual(self.part_fields(), ["2.00", "7.00"])
        left = float(self.region().value_of_css_property("left").removesuffix("px"))
        width = self.run_js("return document.getElementById('pad-wave').getBoundingClientRect().width")
        self.assertAlmostEqual(left / width, 2 / 181, delta=0.01)
        seconds, samples = self.board_wave("theme.wav")
        self.assertAlmostEqual(seconds, 5.0, delta=0.01)
        # Cut inside the tone, the part rises from nothing over its first 5 ms.
        rise = [max(map(abs, samples[i:i + 44])) for i in range(0, 441, 44)]
        self.assertLess(rise[0], 0.25 * rise[-1], "the first 5 ms by the millisecond: %s" % rise)
        self.assertEqual(rise[:6], sorted(rise[:6]), "the first 5 ms by the millisecond: %s" % rise)
        self.page.element("undo").click()
        self.page.wait(lambda d: self.part_fields() != ["2.00", "7.00"], "undo to give the part back")

    def test_dragging_the_region_moves_the_fields_with_it(self):
        self.type_into("pad-end", "30")
        self.until_status("plays")
        start, end = map(float, self.part_fields())
        width = self.run_js("return document.getElementById('pad-wave').getBoundingClientRect().width")
        ActionChains(self.page.driver).click_and_hold(self.region()).move_by_offset(20, 0).move_by_offset(
            round(width / 10) - 20, 0).release().perform()
        moved = 181 * round(width / 10) / width
        self.page.wait(lambda d: abs(float(self.part_fields()[0]) - (start + moved)) < 0.2, "the fields to follow")
        self.until_status("plays %.2f" % float(self.part_fields()[0]))
        after_start, after_end = map(float, self.part_fields())
        self.assertAlmostEqual(after_end - after_start, end - start, delta=0.011)
        seconds, _ = self.board_wave("theme.wav")
        self.assertAlmostEqual(seconds, end - start, delta=0.02)

    def test_a_part_outside_the_sound_is_refused_with_why(self):
        before = self.part_fields()
        self.type_into("pad-end", "500")
        self.until_status("must lie within the sound")
        self.page.wait(lambda d: self.part_fields() == before, "the fields to show the part again")


class Levelled(PartCase):
    def test_every_pad_is_levelled_to_one_loudness_under_the_true_peak_ceiling(self):
        sounds = {
            "quiet": ffmpeg(self.path("quiet.wav"), "sine=frequency=997:duration=5", "volume=%f" % sine_volume(-35)),
            "loud": ffmpeg(self.path("loud.mp3"), "sine=frequency=997:duration=5", "volume=%f" % sine_volume(-8)),
            "square": ffmpeg(self.path("square.flac"), "aevalsrc=0.708*sgn(sin(2*PI*440*t)):s=44100:d=5"),
            # A tone at -26 LUFS with clicks 20 dB above it: the gain to -16
            # LUFS takes them past full scale, and the limiter holds them.
            "clicks": ffmpeg(self.path("clicks.wav"), "aevalsrc=0.0708*sin(2*PI*440*t)+0.5*lt(mod(t\\,0.25)\\,0.0005):s=44100:d=5"),
        }
        before = {name: loudness(read(path), self.root) for name, path in sounds.items()}
        # Raised to -16 LUFS, the clicks would pass full scale by some 5 dB.
        self.assertGreater(before["clicks"][1] - before["clicks"][0] - 10, 4, before["clicks"])
        self.page.new_board(list(sounds.values()))
        with zipfile.ZipFile(self.board_zip()) as board:
            levelled = {name: loudness(board.read(name + ".wav"), self.root) for name in sounds}
        for name, (lufs, peak) in levelled.items():
            with self.subTest(sound=name, before=before[name]):
                self.assertAlmostEqual(lufs, -16, delta=1 if name == "clicks" else 0.5)
                self.assertLessEqual(peak, -1.0)

    def test_a_leading_silence_is_cut_and_a_wave_left_whole_and_unlevelled_is_kept_byte_for_byte(self):
        late = ffmpeg(self.path("late.wav"), "sine=frequency=440:duration=2:sample_rate=44100", "adelay=1000", "volume=4")
        self.page.new_board([late])
        _, samples = self.board_wave("late.wav")
        first = next(i for i, v in enumerate(samples) if abs(v) >= 32768 * 10 ** (-50 / 20))
        self.assertLessEqual(first / 44100, 0.02)
        self.select_pad(0)
        self.region()
        self.type_into("pad-start", "0")
        self.until_status("plays 0.00–")
        self.page.element("pad-level").click()
        self.until_status("not levelled")
        with open(late, "rb") as source:
            self.assertEqual(self.board_bytes("late.wav"), source.read())

    def test_a_board_opened_again_is_not_cut_or_levelled_again(self):
        tone = ffmpeg(self.path("tone.mp3"), "sine=frequency=523:duration=3", "adelay=500", "volume=0.5")
        self.page.new_board([tone])
        first = self.board_zip()
        with open(first, "rb") as zipped:
            before = zipped.read()
        self.page.after_check(lambda: self.page.choose("open-board", [first]), "the zip to open")
        self.assertIn("a board of 1 pad", self.page.status())
        with open(self.board_zip(), "rb") as zipped:
            self.assertEqual(zipped.read(), before)


FAKE_MICROPHONE = ("--use-fake-ui-for-media-stream", "--use-fake-device-for-media-stream",
                   "--autoplay-policy=no-user-gesture-required")


class Recorded(PartCase):
    def recording_page(self, *arguments):
        self.page.close()
        self.page = EditorPage(self.page_file, self.downloads, arguments=arguments)

    def test_a_recording_becomes_a_pad_of_what_was_heard(self):
        heard = ffmpeg(self.path("heard.wav"), "sine=frequency=440:duration=2:sample_rate=48000",
                       "adelay=700", "apad=pad_dur=8", "volume=2")
        self.recording_page(*FAKE_MICROPHONE, "--use-file-for-fake-audio-capture=%s%%noloop" % heard)
        self.page.element("record").click()
        self.page.wait(lambda d: float(self.run_js("return document.getElementById('record-level').value")) > 0.1,
                       "the meter to show the tone")
        time.sleep(3.5)
        self.page.element("record").click()
        self.page.wait(lambda d: len(self.run_js("return [...document.querySelectorAll('#pads li')]")) == 2,
                       "the recording's pad")
        seconds, _ = self.board_wave("Recording.wav")
        self.assertAlmostEqual(seconds, 2.0, delta=0.1)

    def test_a_refused_microphone_leaves_the_board_as_it_was(self):
        self.recording_page("--use-fake-device-for-media-stream", "--deny-permission-prompts")
        tone = ffmpeg(self.path("bell.wav"), "sine=frequency=660:duration=1:sample_rate=44100")
        self.page.new_board([tone])
        lines = self.page.lines()
        self.page.element("record").click()
        self.until_status("The microphone was not allowed, so nothing was recorded.")
        self.assertEqual(self.page.lines(), lines)
        self.assertFalse(self.page.element("undo").is_enabled())


if __name__ == "__main__":
    require_programs("ffmpeg")
    EditorCase.page_file = os.path.abspath(sys.argv[1])
    del sys.argv[1]
    run_cases()
