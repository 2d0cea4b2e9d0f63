"""The skin editor's page in headless Chromium, driven as a person would:
folder input, mouse drags on the canvas, the action list, keys, the picture
input and the save button's downloads.

Run as: editor_test.py LUM-EDITOR-HTML NATIVE-LUMCHECK DEMO-SKIN-SCRIPT
"""
import json
import os
import re
import struct
import subprocess
import sys
import wave as wave_file
import zipfile

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select

from audiofiles import encoded_tone
from editorcase import EditorCase, read, run_cases
from skinfiles import bitmap_bytes, picture, png_bytes

from skinfolders import (CODE_PAGE_FOLDERS, KEY, make_code_page_folder, make_every_kind_folder, make_folder, plain_skin,
                         wave, write)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))), "package"))
from MakePackage import FLAVOURS, stripped  # noqa: E402  (the package's own strip of lum.exe)

CHECKER = None


def bmp_pixels(data):
    """A 24-bit bottom-up BMP's pixels as rows, top row first, of (r, g, b)."""
    offset, size, width, height, planes, bits, compression = struct.unpack_from("<I I i i H H I", data, 10)
    assert (size, planes, bits, compression, height > 0) == (40, 1, 24, 0, True), (size, bits, compression, height)
    row_bytes = (3 * width + 3) // 4 * 4
    rows = []
    for stored in range(height):
        start = offset + stored * row_bytes
        rows.append([(data[start + 3 * x + 2], data[start + 3 * x + 1], data[start + 3 * x]) for x in range(width)])
    return rows[::-1]


class DrawAndSave(EditorCase):
    def test_a_drawn_hotspot_is_saved_as_a_new_line_and_the_others_are_kept(self):
        folder = self.demo()
        original = read(os.path.join(folder, "lum.ini"))
        self.page.open_folder(folder)
        Select(self.page.element("zoom")).select_by_value("2")
        # Hovering says what a press does: x = 12 is pad 1's left edge, outside it.
        self.assertEqual(self.press_text(13, 31), "line 1: tone-c.wav")
        self.assertEqual(self.press_text(12, 31), "drag")
        self.assertEqual(self.press_text(160, 10), "minimise")
        # The pixels dragged over become the hotspot's interior: (20, 5) to (60, 20).
        self.drag((60, 20), (20, 5))
        self.page.after_check(lambda: Select(self.page.element("action")).select_by_value("tone-e.wav"),
                              "the new action")
        self.assertEqual(self.press_text(20, 5), "line 6: tone-e.wav")
        self.assertEqual(self.press_text(19, 5), "drag")
        self.assertEqual(self.page.findings(), [])
        [saved] = self.page.save_downloads(["lum.ini"])
        self.assertEqual(read(saved), original + b"tone-e.wav 19 4 61 21\r\n")

    def test_a_name_the_program_would_split_is_refused_and_edits_undo(self):
        folder = self.demo()
        self.page.open_folder(folder)
        self.select_line(2)
        self.type_path("my tone.wav")
        self.assertIn("\"my tone.wav\" cannot be saved: the program would split the name at the space",
                      self.page.element("line-problem").text)
        self.assertEqual(self.page.status(), self.page.element("line-problem").text)
        self.select_line(3)
        self.keys(Keys.SHIFT, Keys.ARROW_LEFT)
        self.keys(Keys.ALT, Keys.ARROW_UP)
        self.keys(Keys.DELETE)
        self.assertEqual(self.page.lines(), ["tone-c.wav 12 30 68 80", "tone-e.wav 74 30 130 80", "MIN 150 4 170 20",
                                             "EXIT 175 4 195 20"])
        # Back to before the delete and the move, then the move again.
        for _ in range(2):
            self.keys(Keys.CONTROL, "z")
        self.keys(Keys.CONTROL, Keys.SHIFT, "z")
        [saved] = self.page.save_downloads(["lum.ini"])
        lines = read(saved).split(b"\n")
        self.assertEqual(lines[:3], [b"tone-c.wav 12 30 68 80\r", b"tone-g.wav 126 30 182 80\r", b"tone-e.wav 74 30 130 80\r"])

    def test_a_press_on_any_outline_grabs_its_edge_and_outlines_show_on_their_own_colour(self):
        folder = self.path("folder")
        make_folder(folder, ["a.wav 10 10 40 40", "b.wav 40 10 70 40"], bitmap_bytes([[(0, 80, 255)] * 100] * 60))
        self.page.open_folder(folder)
        # A sound's blue line alone would vanish on this blue picture: around y = 10 not every pixel is blue.
        column = self.page.driver.execute_script(
            "return [...document.getElementById('skin-canvas').getContext('2d').getImageData(25, 7, 1, 5).data]")
        self.assertNotEqual({tuple(column[i:i + 3]) for i in range(0, 20, 4)}, {(0, 80, 255)})
        self.drag((40, 25), (45, 25))
        self.drag((70, 25), (75, 25))
        self.assertEqual(self.page.lines(), ["a.wav 10 10 45 40", "b.wav 40 10 75 40"])

    def asks_on_reload(self):
        """Whether the page asked: chromedriver answers the question itself (docs/editor.md)."""
        self.page.driver.execute_script(
            "addEventListener('beforeunload', (e) => { sessionStorage.asked = e.defaultPrevented; })")
        self.page.load()
        return self.page.driver.execute_script("return sessionStorage.asked")

    def test_a_reload_asks_only_while_edits_or_added_sounds_are_unsaved(self):
        folder = self.demo()
        self.page.open_folder(folder)
        write(self.root, "bell.wav", wave())
        self.page.add_sounds([self.path("bell.wav")])
        self.assertEqual(self.asks_on_reload(), "true")
        self.page.open_folder(folder)
        self.select_line(1)
        self.keys(Keys.ARROW_RIGHT)
        self.page.save_downloads(["lum.ini"])
        self.assertEqual(self.asks_on_reload(), "false")


class SavesInPlace(EditorCase):
    """Open folder… and Save on a folder the page writes in place: the folder
    picker's answer is a stand-in folder in memory, which the test reads and
    changes as the disk."""

    STAND_IN = read(os.path.join(os.path.dirname(os.path.abspath(__file__)), "standin_directory.js")).decode()
    TEXT = b"EXIT 0 0 20 20\n"

    def open_in_place(self, entries):
        def as_lists(folder):
            return {name: as_lists(v) if isinstance(v, dict) else list(v) for name, v in folder.items()}

        self.page.driver.execute_script(self.STAND_IN, "skin", as_lists(entries))
        self.page.element("open-folder").click()

    def disk(self):
        return {name: bytes(data) for name, data in self.page.driver.execute_script(
            "return Object.fromEntries([...standInFolder.entries].map(([n, v]) => [n, Array.from(v)]))").items()}

    def change_on_disk(self, name, data):
        self.page.driver.execute_script("standInFolder.entries.set(arguments[0], new Uint8Array(arguments[1]))",
                                        name, list(data))

    def status_after(self, action, words):
        self.page.driver.execute_script("document.getElementById('status').textContent = ''")
        action()
        self.page.wait(lambda d: words in self.page.status(), repr(words))
        return self.page.status()

    def save(self, words="Saved lum.ini"):
        return self.status_after(self.page.element("save").click, words)

    def test_a_second_save_keeps_the_backup_of_the_file_opened(self):
        self.page.after_check(lambda: self.open_in_place({"lum.ini": self.TEXT, "lum.bmp": plain_skin()}), "the folder")
        self.select_line(1)
        for left in (1, 2):
            self.keys(Keys.ARROW_RIGHT)
            self.save()
            self.assertEqual(self.disk()["lum.ini"], b"EXIT %d 0 %d 20\n" % (left, left + 20))
            self.assertEqual(self.disk()["lum.ini.bak"], self.TEXT)

    def test_add_sounds_keeps_playable_waves_renames_on_a_clash_and_names_what_it_cannot_decode(self):
        drum = wave()
        self.page.after_check(lambda: self.open_in_place(
            {"lum.ini": b"drum.wav 1 1 9 9\n", "lum.bmp": plain_skin(), "drum.wav": drum}), "the folder")
        undecodable = {"lum.ini": b"EXIT 0 0 9 9\n", "lum.bmp": plain_skin(), "lum.ini.bak": b"x"}
        sounds = {"drum.wav": drum, "Drum.WAV": wave(b"\1\0" * 64), "new.wav": wave(b"\2\0" * 64)}
        for name, data in {**undecodable, **sounds}.items():
            write(self.path("in"), name, data)
        self.page.add_sounds([self.path("in/" + name) for name in {**undecodable, **sounds}])
        self.assertIn("Added 3 sound files; saving", self.page.status())
        self.assertIn("\"Drum.WAV\" as Drum-2.wav", self.page.status())
        for name in undecodable:
            self.assertIn("\"%s\" is no audio this browser can decode (" % name, self.page.status())
        self.status_after(self.page.element("save").click, "Saved")
        # Saved, they are the folder's own: none can be removed here.
        self.assertEqual(self.page.driver.find_elements(By.CSS_SELECTOR, "#sounds .remove-sound"), [])
        self.assertEqual(self.disk(), {"lum.ini": b"drum.wav 1 1 9 9\n", "lum.bmp": plain_skin(), "drum.wav": drum,
                                       "Drum-2.wav": sounds["Drum.WAV"], "new.wav": sounds["new.wav"]})

    def test_a_go_ahead_is_for_one_save_of_what_was_on_disk(self):
        self.page.after_check(lambda: self.open_in_place({"lum.ini": self.TEXT, "lum.bmp": plain_skin()}), "the folder")
        self.select_line(1)
        self.keys(Keys.ARROW_RIGHT)
        self.change_on_disk("lum.ini", b"outside 1")
        self.save("changed on disk")
        self.keys(Keys.CONTROL, "z")
        self.save("changed on disk")
        self.change_on_disk("lum.ini", b"outside 2")
        self.save("changed on disk")
        self.assertEqual(self.disk()["lum.ini"], b"outside 2")
        self.save()
        self.assertEqual((self.disk()["lum.ini"], self.disk()["lum.ini.bak"]), (self.TEXT, b"outside 2"))

    def test_a_folder_without_lum_ini_gets_none_and_a_lum_ini_folder_is_named(self):
        self.page.after_check(lambda: self.open_in_place({"lum.bmp": plain_skin()}), "the folder")
        self.save("No lum.ini was written")
        self.assertEqual(set(self.disk()), {"lum.bmp"})
        message = self.status_after(lambda: self.open_in_place({"lum.ini": {"a.wav": wave()}, "lum.bmp": plain_skin()}),
                                    "lum.ini is a folder")
        self.assertIn("rename that folder", message)


class Policy(EditorCase):
    # Functions on window that a blank page lacks: the model's factory alone
    # (asked before Selenium's own calls leave theirs).
    PAGE_FUNCTIONS = ("const frame = document.body.appendChild(document.createElement('iframe'));"
                      "const blank = new Set(Object.getOwnPropertyNames(frame.contentWindow)); frame.remove();"
                      "return Object.getOwnPropertyNames(window).filter(n => !blank.has(n) && typeof window[n] === 'function')")

    def test_the_page_works_with_only_its_own_scripts_no_eval_and_no_globals(self):
        html = read(EditorCase.page_file).decode()
        policy = re.search(r'http-equiv="Content-Security-Policy"\s+content="([^"]*)"', html).group(1)
        sources = dict(directive.split(None, 1) for directive in policy.split("; "))["script-src"].split()
        self.assertEqual([s for s in sources if not s.startswith("'sha256-")], ["'wasm-unsafe-eval'"])
        self.assertEqual(len(sources) - 1, html.count("<script>"))
        self.assertEqual(self.page.driver.execute_script(self.PAGE_FUNCTIONS), ["LumModel"])
        folder = self.path("folder")
        make_folder(folder, ["gone.wav 1 1 9 9", "EXIT 20 20 30 30"], plain_skin())
        self.page.open_folder(folder)
        self.select_line(1)
        self.keys(Keys.ARROW_RIGHT)
        self.assertEqual([f[:3] for f in self.page.findings()], [[1, "error", "sound-missing"]])
        self.assertEqual(self.page.policy_refusals(), [])


class LargeSkins(EditorCase):
    LARGEST_PIXELS = 2 ** 27
    # The page offers scripts nothing of the editor: the model's module is
    # kept as it is made, by a script that runs before the page's own.
    KEEP_MODULE = """
        let factory;
        Object.defineProperty(window, "LumModel", { configurable: true, set(made) { factory = made; },
          get() { return (options) => factory(options).then((m) => (window.keptModule = m)); } });"""

    def open_and_nudge(self):
        folder = self.path("folder")
        make_folder(folder, ["EXIT 0 0 20 20"], plain_skin())
        self.page.open_folder(folder)
        self.select_line(1)
        self.keys(Keys.ARROW_RIGHT)

    def test_the_page_works_with_its_memory_past_2_gib(self):
        # Memory taken up to past 2 GiB (in blocks the allocator grants: one
        # of 2 GiB or more it refuses): what the page allocates from now on
        # lies above 2 GiB.
        self.page.run_before_load(self.KEEP_MODULE)
        self.page.load()
        self.assertTrue(self.page.driver.execute_script(
            "const m = window.keptModule; if (!m._malloc(1 << 30) || !m._malloc(1 << 30)) return false;"
            "while ((m._malloc(64) >>> 0) < 2 ** 31); return true;"))
        self.open_and_nudge()
        self.assertEqual(self.press_text(5, 5), "exit")
        self.assertEqual(self.page.lines(), ["EXIT 1 0 21 20"])
        self.page.import_picture(self.write_png("small.png", 30, 20))
        self.assertEqual(self.page.skin(), "30 × 20")

    def test_a_picture_past_the_largest_is_refused_before_the_model_and_the_work_is_kept(self):
        self.open_and_nudge()
        height = self.LARGEST_PIXELS // 16384 + 1
        self.page.choose("picture-input", [self.write_png("large.png", 16384, height)])
        self.page.wait(lambda d: "16384 × %d pixels; a skin can have at most" % height in self.page.status(),
                       "the refusal")
        self.assertEqual(self.page.skin(), "100 × 60")
        self.keys(Keys.ARROW_RIGHT)
        [saved] = self.page.save_downloads(["lum.ini"])
        self.assertEqual(read(saved), b"EXIT 2 0 22 20\n")

    def test_a_skin_past_the_largest_is_checked_but_not_shown(self):
        folder = self.path("huge")
        make_folder(folder, ["EXIT 0 0 20 20"], bitmap_bytes([[(0, 0, 0)] * 16384] * (self.LARGEST_PIXELS // 16384 + 1)))
        self.page.open_folder(folder)
        self.assertEqual(self.press_text(5, 5), "exit")
        self.assertIn("skin 16384 × 8193, too large to show here", self.page.status())

    def write_png(self, name, width, height):
        write(self.root, name, png_bytes([[(128, 128, 128, 255)] * width] * height))
        return self.path(name)


class FindingsAsTheChecker(EditorCase):
    def test_findings_shown_equal_lumcheck_json(self):
        every = make_every_kind_folder(self.path("every"))
        # The page sees only the folder: a sound outside it is missing for both.
        os.remove(self.path("every/outside.wav"))
        folders = {"every kind": every, "demo": self.demo(), "no lum.ini": self.path("noini"),
                   "text as lum.bmp": self.path("text"), "40 lines and CR LF": self.path("forty")}
        make_folder(folders["no lum.ini"], None)
        make_folder(folders["text as lum.bmp"], ["EXIT 1 1 9 9"], b"not a picture\r\n")
        make_folder(folders["40 lines and CR LF"], None, files={"s.wav": wave()})
        write(folders["40 lines and CR LF"], "lum.ini", "s.wav 1 1 9 9\r\n" * 40)
        for name, folder in folders.items():
            with self.subTest(name):
                self.page.open_folder(folder)
                done = subprocess.run([CHECKER, "--json", folder], capture_output=True, timeout=60)
                expected = [[f["line"], f["level"], f["kind"], f["message"]] for f in json.loads(done.stdout)["findings"]]
                self.assertEqual(self.page.findings(), expected)

    def test_findings_in_each_code_page_equal_lumcheck_json(self):
        for page in CODE_PAGE_FOLDERS:
            with self.subTest(page):
                folder = make_code_page_folder(self.root, page)
                self.page.open_folder(folder)
                if self.page.element("code-page").get_attribute("value") != str(page):
                    self.page.after_check(lambda: Select(self.page.element("code-page")).select_by_value(str(page)),
                                          "code page %d" % page)
                done = subprocess.run([CHECKER, "--json", "--code-page", str(page), folder], capture_output=True,
                                      timeout=60)
                expected = [[f["line"], f["level"], f["kind"], f["message"]] for f in json.loads(done.stdout)["findings"]]
                self.assertEqual(self.page.findings(), expected)


class RoundTrip(EditorCase):
    def load_and_save(self, name, text):
        folder = self.path("folder-" + name)
        make_folder(folder, None, plain_skin(), {"lum.ini": text})
        self.page.open_folder(folder)
        return folder

    def saved(self):
        [path] = self.page.save_downloads(["lum.ini"])
        data = read(path)
        os.remove(path)
        return data

    def test_an_edit_leaves_every_other_byte_as_loaded(self):
        # CR LF, LF, a blank line, a lone CR before a CR LF, and no final line break.
        rest = b"MIN 30 0 40 10\n\r\nding.wav,1,1,9,9 ; bell\r\r\n"
        self.load_and_save("mixed", b"EXIT 0 0 20 20\r\n" + rest + b"last.wav 50 0 60 10")
        for line in (1, 5):
            self.select_line(line)
            self.keys(Keys.ARROW_RIGHT)
        self.assertEqual(self.saved(), b"EXIT 1 0 21 20\r\n" + rest + b"last.wav 51 0 61 10")

    def test_a_number_past_the_32_bit_limits_is_refused_not_wrapped(self):
        self.load_and_save("limits", b"a.wav 10 10 2147483646 40\n")
        self.select_line(1)
        self.keys(Keys.ARROW_RIGHT)
        for keys in ((Keys.ARROW_RIGHT,), (Keys.CONTROL, Keys.ARROW_RIGHT)):
            self.page.element("viewport").send_keys(*keys)
            self.assertIn("from -2147483648 to 2147483647", self.page.status())
        self.assertEqual(self.saved(), b"a.wav 11 10 2147483647 40\n")

    def test_edits_keep_the_bytes_of_the_other_lines(self):
        self.load_and_save("end-of-text", b"ding.wav 1 1 9 9\n\x1aEXIT 0 0 20 20\n")
        self.page.after_check(lambda: self.page.element("new-hotspot").click(), "the new hotspot")
        # In the middle of the 100 x 60 skin, which is smaller than the view.
        self.assertEqual(self.saved(), b"ding.wav 1 1 9 9\nsound.wav 39 19 60 40\r\n\x1aEXIT 0 0 20 20\n")
        self.load_and_save("no-final-newline", b"a\r1 2 3 4\nEXIT 0 0 20 20")
        self.select_line(2)
        self.keys(Keys.ALT, Keys.ARROW_UP)
        self.assertEqual(self.saved(), b"EXIT 0 0 20 20\r\na\r1 2 3 4\n")


class NamesInTheCodePage(EditorCase):
    """Names are bytes in the chosen Windows ANSI code page: shown and matched
    decoded, typed ones written in the page, and an edit rewrites only the
    fields it changes."""

    TEXT = b"caf\xe9.wav 10 10 40 40\ndrum.wav,50,50,80,80 ; the drum\nA\xe9 60 5 90 30\nMIN 1 2\n"

    def open_issue_folder(self):
        folder = self.path("names")
        make_folder(folder, None, plain_skin(100, 100), {"lum.ini": self.TEXT, "caf\u00e9.wav": wave(), "drum.wav": wave()})
        self.page.open_folder(folder)

    def names(self):
        return [line.rsplit(" ", 4)[0] for line in self.page.lines()]

    def test_nudge_resize_action_and_undo_change_only_their_bytes(self):
        self.open_issue_folder()
        self.assertEqual(self.names(), ["caf\u00e9.wav", "drum.wav", "A\u00e9", "MIN"])
        self.assertEqual([f[:3] for f in self.page.findings()], [[0, "info", "no-exit"], [3, "error", "sound-missing"], [4, "error", "empty-rect"]])
        for line in (1, 2, 3, 4):
            self.select_line(line)
            self.keys(Keys.ARROW_RIGHT)
        self.select_line(2)
        self.keys(Keys.CONTROL, Keys.ARROW_DOWN)
        self.select_line(3)
        self.page.after_check(lambda: Select(self.page.element("action")).select_by_value("caf\u00e9.wav"),
                              "the new action")
        self.keys(Keys.CONTROL, "z")
        self.keys(Keys.CONTROL, Keys.SHIFT, "z")
        [saved] = self.page.save_downloads(["lum.ini"])
        self.assertEqual(read(saved), b"caf\xe9.wav 11 10 41 40\ndrum.wav,51,50,81,81 ; the drum\n"
                                      b"caf\xe9.wav 61 5 91 30\nMIN 2 2 1\n")

    def test_typed_names_are_written_in_the_chosen_code_page(self):
        self.open_issue_folder()
        self.select_line(3)
        self.type_path("\u0410\u0411.wav")
        self.assertIn("cannot be saved: code page 1252 has no character \"\u0410\"",
                      self.page.element("line-problem").text)
        self.page.after_check(lambda: Select(self.page.element("code-page")).select_by_value("1251"), "code page 1251")
        self.assertEqual(Select(self.page.element("code-page")).first_selected_option.text, "1251 Cyrillic")
        self.assertEqual(self.names()[:3], ["caf\u0439.wav", "drum.wav", "A\u0439"])
        self.select_line(3)
        self.page.after_check(lambda: self.type_path("\u0410\u0411.wav"), "the typed name")
        [saved] = self.page.save_downloads(["lum.ini"])
        self.assertEqual(read(saved).split(b"\n")[2], b"\xc0\xc1.wav 60 5 90 30")
        # Read in 1252, the first name finds caf\u00e9.wav: its finding offers that page.
        switch = self.page.driver.find_element(By.CSS_SELECTOR, "#findings [data-line='1'] .code-page-switch")
        self.page.after_check(switch.click, "code page 1252")
        self.assertEqual(self.page.element("code-page").get_attribute("value"), "1252")
        self.assertEqual(self.names()[0], "caf\u00e9.wav")


class SoundsFromAnyAudio(EditorCase):
    def test_any_audio_becomes_a_pcm_wave_under_a_name_new_can_use_and_can_be_removed(self):
        folder = self.path("folder")
        make_folder(folder, ["EXIT 0 0 20 20"], plain_skin(), {"a b.wav": wave()})
        self.page.open_folder(folder)
        self.page.add_sounds([encoded_tone(self.path("bell ring.mp3"), 440, 0.5),
                              encoded_tone(self.path("surround.flac"), 660, 0.5, "5.1")])
        self.assertIn("\"bell ring.mp3\" as bell-ring.wav.", self.page.status())
        # "a b.wav" comes first, but a line cannot name it: New takes the next.
        self.page.after_check(lambda: self.page.element("new-hotspot").click(), "the new hotspot")
        self.assertEqual(self.page.lines()[1].split()[0], "bell-ring.wav")
        made = self.page.save_zip(["bell-ring.wav", "surround.wav"])
        for path, channels in zip(made, (1, 2)):
            with wave_file.open(path) as sound:  # which reads 16-bit PCM alone
                self.assertEqual((sound.getnchannels(), sound.getframerate(), sound.getsampwidth()), (channels, 44100, 2))
        sounds = "return [...document.querySelectorAll('#sounds li')].map(e => e.textContent)"
        self.assertEqual(self.page.driver.execute_script(sounds), ["a b.wav", "bell-ring.wav Remove", "surround.wav Remove"])
        self.page.after_check(self.page.driver.find_element(By.CSS_SELECTOR, "#sounds .remove-sound").click, "the removal")
        self.assertEqual(self.page.driver.execute_script(sounds), ["a b.wav", "surround.wav Remove"])
        self.assertEqual([f[2] for f in self.page.findings()], ["sound-missing"])


class PictureImport(EditorCase):
    def test_a_png_with_transparency_becomes_a_24_bit_skin(self):
        def colour(x, y):
            if x < 3:
                return (10, 20, 30, 127 if y == 0 else 0)      # see-through, also just below half
            if x < 5:
                return (*KEY, 255 if y else 128)              # opaque magenta, also just at half
            return (x * 20, y * 30, 200, 255)

        write(self.root, "picture.png", png_bytes(picture(13, 5, colour)))
        self.page.import_picture(self.path("picture.png"))
        self.assertIn("10 opaque magenta pixels became (254, 0, 254)", self.page.status())
        self.page.after_check(lambda: self.page.element("new-hotspot").click(), "the new hotspot")
        saved = self.page.save_zip(["lum.bmp", "lum.ini"])
        expected = [[KEY if x < 3 else (254, 0, 254) if x < 5 else (x * 20, y * 30, 200) for x in range(13)]
                    for y in range(5)]
        self.assertEqual(bmp_pixels(read(saved[0])), expected)
        done = subprocess.run([CHECKER, "--json", self.downloads], capture_output=True, timeout=60)
        skin = json.loads(done.stdout)["skin"]
        self.assertEqual((skin["loaded"], skin["seeThroughPixels"]), (True, 15))

    def test_a_dropped_picture_and_dropped_sounds_do_what_their_buttons_do(self):
        self.drop([("picture.png", png_bytes([[(1, 2, 3, 255)] * 13] * 5))])
        self.assertEqual(self.page.skin(), "13 × 5")
        self.drop([("a.wav", wave()), ("b.WAV", wave())])
        self.assertIn("Added 2 sound files", self.page.status())

    def test_pictures_that_cannot_be_skins_are_refused(self):
        write(self.root, "broken.png", b"\x89PNG\r\n\x1a\nthis is no picture")
        write(self.root, "wide.png", png_bytes([[(0, 0, 0, 255)] * 16385]))
        for name, words in (("broken.png", "is not a picture this browser can read"),
                            ("wide.png", "16385 × 1 pixels; a skin can have at most 16384")):
            with self.subTest(name):
                self.page.choose("picture-input", [self.path(name)])
                self.page.wait(lambda d: words in self.page.status(), "the refusal of " + name)
                self.assertEqual(self.page.skin(), "")
        self.assertEqual(os.listdir(self.downloads), [])


class Board(EditorCase):
    TITLES = ["drum", "caf\u00e9 bell", "\u0437\u0432\u043e\u043d\u043e\u043a"]

    def sounds(self, titles):
        for title in titles:
            write(self.path("sounds"), title + ".wav", wave())
        return [self.path("sounds/%s.wav" % title) for title in titles]

    def board_program(self):
        """lum.exe of the page's 32-bit build, stripped as the package strips it."""
        cache = read(os.path.join(os.path.dirname(EditorCase.page_file), "CMakeCache.txt")).decode()
        build = re.search(r"^LUM_WIN32_BUILD:\w+=(.*)$", cache, re.M).group(1)
        strip = {folder: program for folder, _, program in FLAVOURS}["x86"]
        return stripped(os.path.join(build, "src/window/lum.exe"), strip, self.root)

    def test_a_board_from_sounds_downloads_as_one_zip(self):
        self.page.choose("board-input", self.sounds(["s%d" % n for n in range(30)]))
        self.page.wait(lambda d: "at most 29 sounds" in self.page.status(), "the refusal")
        self.assertEqual(self.page.skin(), "")
        # Dropped on a page with no folder, sounds make a board as the board input does.
        self.drop([(title + ".wav", wave()) for title in self.TITLES])
        lines = [line.split(" ") for line in self.page.lines()]
        names = [line[0] for line in lines]
        self.assertEqual(names[:2] + names[3:], ["drum.wav", "cafe-bell.wav", "stop.wav", "MIN", "EXIT"])
        zip_path = self.page.download("download-board", ".zip")
        with zipfile.ZipFile(zip_path) as board:
            self.assertEqual(sorted(board.namelist()),
                             sorted(["lum.exe", "README.txt", "lum.ini", "lum.bmp", "lum-board.json"] + names[:4]))
            self.assertTrue(all(name.isascii() for name in board.namelist() + [os.path.basename(zip_path)]))
            self.assertEqual(board.read("lum.exe"), self.board_program())
            self.assertNotIn(b"\n", board.read("README.txt").replace(b"\r\n", b""))
            board.extractall(self.path("board"))
        # Each pad's press area lies within one colour of its own; the corners are see-through.
        pixels = bmp_pixels(read(self.path("board/lum.bmp")))
        pad_colours = set()
        for left, top, right, bottom in ([int(n) for n in line[1:]] for line in lines[:4]):
            corners = {pixels[y][x] for x in (left, right - 1) for y in (top, bottom - 1)}
            self.assertEqual(len(corners), 1)
            pad_colours |= corners
        self.assertEqual(len(pad_colours), 4)
        self.assertEqual({pixels[y][x] for x in (0, -1) for y in (0, -1)}, {KEY})
        stop = read(self.path("board/stop.wav"))
        data = stop.index(b"data")
        self.assertGreater(struct.unpack_from("<I", stop, data + 4)[0], 0)
        self.assertEqual(set(stop[data + 8:]), {0})
        # A board downloaded is saved; renamed since, it is not: another one asks first, and a no keeps it.
        self.page.after_check(lambda: self.page.driver.execute_script(
            "const name = document.getElementById('board-name'); name.value = 'Quiz';"
            "name.dispatchEvent(new Event('change', { bubbles: true }));"), "the new name")
        lines = [line.split(" ") for line in self.page.lines()]
        self.page.driver.execute_script("window.asked = 0; window.confirm = () => { window.asked++; return false; }")
        self.page.choose("board-input", self.sounds(["other"]))
        self.page.wait(lambda d: d.execute_script("return window.asked") == 1, "the question")
        self.assertEqual([line.split(" ") for line in self.page.lines()], lines)
        self.assertEqual(self.page.policy_refusals(), [])

    def test_a_name_outside_ascii_is_not_zipped(self):
        make_folder(self.path("folder"), ["caf\u00e9.wav 1 1 9 9"], files={"caf\u00e9.wav": wave()})
        self.page.open_folder(self.path("folder"))
        self.page.element("download-board").click()
        self.page.wait(lambda d: "\"caf\u00e9.wav\" cannot go into the zip" in self.page.status(), "the refusal")
        self.assertEqual(os.listdir(self.downloads), [])


if __name__ == "__main__":
    EditorCase.page_file, CHECKER, EditorCase.demo_script = map(os.path.abspath, sys.argv[1:4])
    del sys.argv[1:4]
    run_cases()
