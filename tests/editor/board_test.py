"""A board in the editor's page, in headless Chromium: made from sounds,
changed as a board maker changes it (labels, colours, order, removal, new
and replaced sounds), downloaded and opened again, through the page's own
controls. The face is read off the canvas at zoom 1, one skin pixel per
CSS pixel.

Run as: board_test.py LUM-EDITOR-HTML
"""
import base64
import json
import os
import shutil
import sys
import zipfile

from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select

from editorcase import EditorCase, read, run_cases
from skinfolders import wave, write

TITLES = ["bell", "applause", "drum roll", "gong"]
BOARD_FILE = "lum-board.json"


def long_wave(value, seconds=3):
    """A mono 8 kHz WAV of one sample value, so that each sound's bytes are its own."""
    return wave(frames=bytes([value, 0]) * int(8000 * seconds))


class BoardCase(EditorCase):
    def make_board(self, titles=TITLES):
        paths = []
        for n, title in enumerate(titles):
            write(self.path("sounds"), title + ".wav", long_wave(n + 1))
            paths.append(self.path("sounds/%s.wav" % title))
        self.page.new_board(paths)

    def run_js(self, script, *args):
        return self.page.driver.execute_script(script, *args)

    def lines(self):
        """Each line as [name, left, top, right, bottom]."""
        return [[line.split(" ")[0]] + [int(n) for n in line.split(" ")[1:5]] for line in self.page.lines()]

    def pads(self):
        return self.run_js("return [...document.querySelectorAll('#pads li')].map(e => e.textContent)")

    def face(self):
        """The canvas's pixels as rows of (r, g, b)."""
        data = self.run_js(
            "const c = document.getElementById('skin-canvas'), d = c.getContext('2d').getImageData(0, 0, c.width, c.height);"
            "let s = ''; for (let i = 0; i < d.data.length; i += 8192) s += String.fromCharCode(...d.data.subarray(i, i + 8192));"
            "return [c.width, btoa(s)];")
        width, pixels = data[0], base64.b64decode(data[1])
        return [[tuple(pixels[(y * width + x) * 4:(y * width + x) * 4 + 3]) for x in range(width)]
                for y in range(len(pixels) // 4 // width)]

    @staticmethod
    def block(face, rect):
        """The pixels inside the line's rectangle, clear of its outline."""
        _, left, top, right, bottom = rect
        return [row[left + 2:right - 2] for row in face[top + 2:bottom - 2]]

    def edit(self, action, what):
        self.page.after_check(action, what)

    def select_pad(self, index):
        self.page.driver.find_elements(By.CSS_SELECTOR, "#pads li")[index].click()
        self.page.wait(lambda d: d.find_elements(By.CSS_SELECTOR, "#pads li.selected[data-pad='%d']" % index),
                       "pad %d to be selected" % index)

    def type_into(self, id_, text):
        field = self.page.element(id_)
        field.send_keys(Keys.CONTROL, "a")
        self.edit(lambda: field.send_keys(text, Keys.TAB), "the edit of " + id_)

    def download(self):
        for name in os.listdir(self.downloads):
            os.remove(os.path.join(self.downloads, name))
        return read(self.page.download("download-board", ".zip"))

    def open_zip(self, data, name="board.zip"):
        write(self.root, name, data)
        self.page.after_check(lambda: self.page.choose("open-board", [self.path(name)]), "the zip to open")


class ChangedAsABoard(BoardCase):
    def test_a_label_edit_repaints_its_pad_and_leaves_the_lines(self):
        self.make_board()
        lines, before = self.lines(), self.face()
        self.select_pad(1)
        self.assertEqual(self.page.element("pad-label").get_attribute("value"), "applause")
        self.assertIn("0:03.0", self.page.element("pad-sound").text)
        self.type_into("pad-label", "Big hand")
        after = self.face()
        self.assertEqual(self.lines(), lines)
        self.assertNotEqual(self.block(after, lines[1]), self.block(before, lines[1]))
        for other in (0, 2, 3):
            self.assertEqual(self.block(after, lines[other]), self.block(before, lines[other]))
        self.assertEqual(self.pads()[1], "Big hand")
        self.edit(self.page.element("undo").click, "the undo")
        self.assertEqual(self.block(self.face(), lines[1]), self.block(before, lines[1]))

    def test_a_pad_moved_takes_its_colour_label_and_sound_to_its_new_place(self):
        self.make_board()
        lines, before = self.lines(), self.face()
        first = self.block(before, lines[0])
        # Dragged from the first pad's place onto the last pad's.
        actions = ActionBuilder(self.page.driver)
        centre = lambda line: ((line[1] + line[3]) // 2, (line[2] + line[4]) // 2)
        actions.pointer_action.move_to_location(*self.pointer(*centre(lines[0]))).pointer_down()
        actions.pointer_action.move_to_location(*self.pointer(*centre(lines[3]))).pointer_up()
        self.edit(actions.perform, "the drag")
        moved = self.lines()
        self.assertEqual([line[0] for line in moved[:4]], ["applause.wav", "drum-roll.wav", "gong.wav", "bell.wav"])
        self.assertEqual([line[1:] for line in moved], [line[1:] for line in lines])
        after = self.face()
        self.assertEqual(self.block(after, moved[3]), first)
        self.assertEqual(self.block(after, moved[0]), self.block(before, lines[1]))
        # Earlier by its button: one place back.
        self.edit(self.page.element("pad-earlier").click, "the move")
        self.assertEqual(self.pads()[:4], ["applause", "drum roll", "bell", "gong"])
        self.assertEqual(self.block(self.face(), self.lines()[2]), first)

    def test_a_removed_pad_takes_its_line_paint_and_sound_and_new_sounds_make_pads(self):
        self.make_board()
        colour = lambda face, line: face[line[2] + 4][line[1] + 4]
        before = self.face()
        removed_colour = colour(before, self.lines()[1])
        self.select_pad(1)
        self.edit(self.page.element("pad-remove").click, "the removal")
        self.assertIn("Pad \"applause\" removed", self.page.status())
        self.assertNotIn("applause.wav", self.run_js("return document.getElementById('sounds').textContent"))
        lines, face = self.lines(), self.face()
        self.assertEqual([line[0] for line in lines], ["bell.wav", "drum-roll.wav", "gong.wav", "stop.wav", "MIN", "EXIT"])
        self.assertNotIn(removed_colour, {pixel for row in face for pixel in row})
        self.assertEqual(len({colour(face, line) for line in lines[:4]}), 4)
        write(self.root, "board.zip", self.download())
        with zipfile.ZipFile(self.path("board.zip")) as board:
            self.assertNotIn("applause.wav", board.namelist())
            self.assertEqual(json.loads(board.read(BOARD_FILE))["pads"][1]["label"], "drum roll")
        write(self.root, "new/one.wav", long_wave(9))
        write(self.root, "new/two.wav", long_wave(10))
        self.page.add_sounds([self.path("new/one.wav"), self.path("new/two.wav")])
        self.assertEqual(self.pads(), ["bell", "drum roll", "gong", "one", "two", "■ Stop"])
        self.assertEqual([line[0] for line in self.lines()][3:6], ["one.wav", "two.wav", "stop.wav"])

    def test_a_replaced_sound_keeps_the_pads_label_and_place_and_the_panel_speaks_of_pads(self):
        self.make_board()
        self.assertFalse(self.page.element("line-editor").is_displayed())
        self.select_pad(2)
        Select(self.page.element("pad-colour")).select_by_visible_text("Blue")
        self.page.wait(lambda d: self.page.element("pad-colour").get_attribute("value") == "#1565c0", "the colour")
        write(self.root, "new/crash.wav", long_wave(20, 1.5))
        self.edit(lambda: self.page.choose("pad-replace", [self.path("new/crash.wav")]), "the replacement")
        self.assertEqual(self.pads()[2], "drum roll")
        self.assertEqual(self.lines()[2][0], "crash.wav")
        self.assertIn("0:01.5", self.page.element("pad-sound").text)
        self.assertEqual(self.run_js("return document.querySelector('#sounds').textContent.includes('drum-roll.wav')"), False)
        # Edit as a skin: the lines are offered, and undo makes it a board again.
        self.edit(self.page.element("edit-as-skin").click, "the change to a skin")
        self.assertTrue(self.page.element("line-editor").is_displayed())
        self.assertFalse(self.page.element("board-panel").is_displayed())
        self.edit(self.page.element("undo").click, "the undo")
        self.assertTrue(self.page.element("board-panel").is_displayed())


class OpenedAgain(BoardCase):
    def test_the_zip_opens_as_the_same_board_and_downloads_again_byte_for_byte(self):
        self.make_board()
        self.type_into("board-name", "Quiz night")
        self.select_pad(0)
        self.type_into("pad-label", "Ding \u00e9 \u0437\u0432\u043e\u043d")
        first = self.download()
        size = len(first)
        shown = "%d kB" % max(1, round(size / 1e3)) if size < 1e6 else "%.1f MB" % (size / 1e6)
        self.page.wait(lambda d: self.page.element("download-board").text == "Download board (%s)" % shown,
                       "the zip's size on its button")
        lines, pads = self.lines(), self.pads()
        self.open_zip(first, "Quiz-night.zip")
        self.assertEqual(self.pads(), pads)
        self.assertEqual(self.lines(), lines)
        self.assertEqual(self.page.element("board-name").get_attribute("value"), "Quiz night")
        self.assertEqual(self.download(), first)
        # Unzipped as common tools do, into one top folder, and zipped again.
        folder = self.path("unzipped/Quiz night")
        with zipfile.ZipFile(self.path("Quiz-night.zip")) as board:
            board.extractall(folder)
        shutil.make_archive(self.path("again"), "zip", self.path("unzipped"))
        self.open_zip(read(self.path("again.zip")), "again.zip")
        self.assertEqual(self.pads(), pads)

    def test_a_bad_board_file_opens_as_a_skin_with_a_sentence(self):
        self.make_board()
        with zipfile.ZipFile(self.download_path()) as board:
            board.extractall(self.path("board"))
        good = json.loads(read(self.path("board/" + BOARD_FILE)))
        many = dict(good, pads=[dict(good["pads"][0])] * 40)
        cases = {
            "damaged": (b"{ not json", "is damaged"),
            "version": (json.dumps(dict(good, version=7)).encode(), "version 7"),
            "missing sound": (json.dumps(dict(good, pads=[dict(good["pads"][0], sound="nowhere.wav")])).encode(),
                              "\"nowhere.wav\", which is not in the folder"),
            "too many": (json.dumps(many).encode(), "40 pads"),
            "huge label": (json.dumps(dict(good, name="x" * 10 * 2 ** 20)).encode(), "at most"),
        }
        for name, (data, words) in cases.items():
            with self.subTest(name):
                write(self.path("board"), BOARD_FILE, data)
                self.page.open_folder(self.path("board"))
                self.assertIn(words, self.page.status())
                self.assertIn("opens as a plain skin", self.page.status())
                self.assertFalse(self.page.element("board-panel").is_displayed())
                self.assertEqual(len(self.page.lines()), 7)
        with self.subTest("lines changed since"):
            write(self.path("board"), BOARD_FILE, json.dumps(good).encode())
            with open(self.path("board/lum.ini"), "ab") as ini:
                ini.write(b"EXIT 0 0 5 5\r\n")
            self.page.open_folder(self.path("board"))
            self.assertIn("was changed after", self.page.status())

    def download_path(self):
        write(self.root, "made.zip", self.download())
        return self.path("made.zip")

    def test_hostile_zips_are_refused_with_the_entry_named(self):
        cases = {"../evil.wav": "..", "CON.wav": "CON", "a/b/c.wav": "c.wav"}
        for entry, words in cases.items():
            with self.subTest(entry):
                with zipfile.ZipFile(self.path("bad.zip"), "w") as bad:
                    bad.writestr("lum.ini", "EXIT 0 0 9 9\r\n")
                    bad.writestr(entry, wave())
                self.page.choose("open-board", [self.path("bad.zip")])
                self.page.wait(lambda d: "was not opened" in self.page.status(), "the refusal of " + entry)
                self.assertIn(words, self.page.status())
                self.assertEqual(self.page.skin(), "")


class TriedAsLumPlays(BoardCase):
    def test_a_press_on_a_second_pad_stops_the_first_and_the_stop_pad_stops_it(self):
        self.make_board()
        self.run_js("window.played = []; const play = HTMLMediaElement.prototype.play;"
                    "HTMLMediaElement.prototype.play = function () { window.played.push(this); return play.call(this); };")
        self.page.element("try").click()
        lines = self.lines()
        press = lambda line: self.press(((line[1] + line[3]) // 2, (line[2] + line[4]) // 2))
        press(lines[0])
        self.page.wait(lambda d: "playing \"bell\"" in self.page.status(), "the first sound")
        press(lines[1])
        self.page.wait(lambda d: "playing \"applause\"" in self.page.status(), "the second sound")
        playing = "return window.played.map(a => !a.paused)"
        self.assertEqual(self.run_js(playing), [False, True])
        press(lines[4])
        self.page.wait(lambda d: "stop pad" in self.page.status(), "the stop pad")
        self.assertEqual(self.run_js(playing)[:2], [False, False])
        press(lines[5])
        self.assertIn("minimised", self.page.status())

    def press(self, point):
        actions = ActionBuilder(self.page.driver)
        actions.pointer_action.move_to_location(*self.pointer(*point)).pointer_down().pointer_up()
        actions.perform()


if __name__ == "__main__":
    EditorCase.page_file = os.path.abspath(sys.argv[1])
    del sys.argv[1]
    run_cases()
