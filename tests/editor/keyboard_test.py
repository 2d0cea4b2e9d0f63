"""The editor's page for the keyboard and a screen reader, in headless
Chromium: axe-core finds nothing in each state of the page, a board is made,
changed, tried and downloaded by keys alone with the focus never on the
page's body, single keys on a button change nothing, and the page reflows
at 320 CSS pixels.

Run as: keyboard_test.py LUM-EDITOR-HTML AXE-MIN-JS
"""
import os
import sys

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

from editorcase import EditorCase, run_cases
from skinfolders import make_folder, wave, write
from testskip import skip

AXE = None
RULES = ["wcag2a", "wcag2aa", "wcag21a", "wcag21aa", "best-practice"]


class KeyboardCase(EditorCase):
    def run_js(self, script, *args):
        return self.page.driver.execute_script(script, *args)

    def make_board(self, titles=("bell", "applause")):
        for n, title in enumerate(titles):
            write(self.path("sounds"), title + ".wav", wave(frames=bytes([n + 1, 0]) * 8000))
        self.page.new_board([self.path("sounds/%s.wav" % title) for title in titles])

    def focused(self):
        return self.run_js("const e = document.activeElement; return e === document.body ? 'body' : e.id || e.tagName")

    def press(self, *keys):
        """Keys to whatever has the focus, as a person types them."""
        ActionChains(self.page.driver).send_keys(*keys).perform()

    def chord(self, modifier, key):
        ActionChains(self.page.driver).key_down(modifier).send_keys(key).key_up(modifier).perform()

    def tab_to(self, id_, back=False):
        for _ in range(60):
            if self.focused() == id_:
                return
            if back:
                self.chord(Keys.SHIFT, Keys.TAB)
            else:
                self.press(Keys.TAB)
            self.assertNotEqual(self.focused(), "body", "Tab on the way to %s left the focus on the page" % id_)
        self.fail("Tab never reached " + id_)

    def step(self, keys, words, checked=True):
        """Keys that change the folder (unless not checked): the status line then names the change, and the focus
        is somewhere."""
        before = self.page.checks()
        keys()
        self.page.wait(lambda d: (self.page.checks() > before or not checked) and words in self.page.status(),
                       "the page to say " + words)
        self.assertNotEqual(self.focused(), "body")


class NoViolations(KeyboardCase):
    def violations(self):
        self.run_js(AXE)
        return self.page.driver.execute_async_script(
            "const done = arguments[arguments.length - 1];"
            "axe.run(document, { runOnly: { type: 'tag', values: arguments[0] } })"
            ".then(r => done(r.violations.map(v => v.id + ' ' + v.nodes.map(n => n.target.join(' ')).join(', '))),"
            "      e => done(['axe failed: ' + e]))", RULES)

    def test_axe_finds_nothing_in_any_state(self):
        self.assertEqual(self.violations(), [], "the empty page")
        make_folder(self.path("skin"), ["bell.wav 5 5 40 30", "MIN 50 5 60 15", "nowhere.wav 5 35 30 50"],
                    files={"bell.wav": wave()})
        self.page.open_folder(self.path("skin"))
        self.page.driver.find_element("css selector", "#lines li[data-line='1']").click()
        self.assertEqual(self.violations(), [], "a skin open, a finding shown")
        self.make_board()
        self.page.driver.find_element("css selector", "#pads li[data-pad='1']").click()
        self.page.wait(lambda d: self.run_js("const host = document.querySelector('#pad-wave > div');"
                                             "return host && host.shadowRoot.querySelector(\"[part~='region']\")"),
                       "the waveform and its part")
        self.assertEqual(self.violations(), [], "a board with a pad selected, its waveform and part drawn")
        self.page.element("try").click()
        self.assertEqual(self.violations(), [], "Try")
        self.run_js("const p = document.getElementById('progress'); p.hidden = false; p.max = 4; p.value = 1;")
        self.assertEqual(self.violations(), [], "a sound being read")
        write(self.root, "bad.zip", b"no zip")
        self.page.choose("open-board", [self.path("bad.zip")])
        self.page.wait(lambda d: "was not opened" in self.page.status(), "the refusal")
        self.assertEqual(self.violations(), [], "an error shown")


class ByKeysAlone(KeyboardCase):
    def test_a_board_is_changed_tried_and_downloaded_with_the_focus_kept(self):
        self.make_board()
        self.tab_to("viewport")
        self.press(Keys.ARROW_RIGHT)
        self.press(Keys.ARROW_RIGHT)
        self.assertEqual(self.run_js("return document.getElementById('viewport').getAttribute('aria-activedescendant')"),
                         "spot-2")
        self.assertIn("applause: plays", self.run_js("return document.getElementById('spot-2').textContent"))
        self.press(Keys.ENTER)
        self.page.wait(lambda d: self.focused() == "pad-label", "the label field to take the focus")
        self.chord(Keys.CONTROL, "a")
        self.step(lambda: self.press("Big hand", Keys.ENTER), "labelled \"Big hand\"")
        self.assertEqual(self.focused(), "pad-label")
        self.tab_to("viewport", back=True)
        self.step(lambda: self.chord(Keys.ALT, Keys.ARROW_LEFT), "Pad \"Big hand\" moved to 1st place")
        self.assertEqual(self.run_js("return [...document.querySelectorAll('#pads li')].map(e => e.textContent)")[:2],
                         ["Big hand", "bell"])
        self.run_js("window.played = 0; HTMLMediaElement.prototype.play = function () { window.played++;"
                    " return Promise.resolve(); };")
        self.press("t")
        self.press(" ")
        self.page.wait(lambda d: "playing \"Big hand\"" in self.page.status(), "the pad to play")
        self.assertEqual(self.focused(), "viewport")
        self.tab_to("pads")
        self.step(lambda: self.press(Keys.DELETE), "Pad \"Big hand\" removed")
        self.assertEqual(self.focused(), "pads")
        self.assertEqual(self.run_js("return document.querySelector('#pads [aria-selected=true]').textContent"), "bell")
        self.tab_to("download-board", back=True)
        self.press(Keys.ENTER)
        self.page.wait(lambda d: any(n.endswith(".zip") for n in os.listdir(self.downloads)), "the download")
        self.assertEqual(self.run_js("return window.mouse || 0"), 0)

    def setUp(self):
        super().setUp()
        # Any mouse event at all would be a step not taken by keys.
        self.page.driver.execute_script(
            "for (const type of ['mousedown', 'pointerdown', 'click'])"
            "  document.addEventListener(type, e => { if (e.detail > 0) window.mouse = (window.mouse || 0) + 1; }, true);")

    def test_a_control_that_goes_away_leaves_the_focus_with_its_list(self):
        # Removing the last pad disables its Remove button; Edit as skin hides the pads' whole panel, and the
        # canvas, which shows the same skin, takes the focus.
        self.make_board(("bell",))
        self.tab_to("pads")
        self.press(Keys.HOME)
        self.tab_to("pad-remove")
        self.step(lambda: self.press(Keys.ENTER), "Pad \"bell\" removed")
        self.assertEqual(self.focused(), "pads")
        self.tab_to("edit-as-skin")
        self.press(Keys.ENTER)
        self.page.wait(lambda d: not self.page.element("board-panel").is_displayed(), "the skin's lines")
        self.assertEqual(self.focused(), "viewport")

    def test_single_keys_on_buttons_and_fields_change_nothing(self):
        make_folder(self.path("skin"), ["bell.wav 5 5 40 30", "MIN 50 5 60 15"], files={"bell.wav": wave()})
        self.page.open_folder(self.path("skin"))
        self.page.element("lines").send_keys(Keys.DOWN)
        lines, checks = self.page.lines(), self.page.checks()
        buttons = self.run_js("return [...document.querySelectorAll('button, input[type=checkbox], input[type=file]')]"
                              ".filter(e => e.id && !e.disabled && e.getClientRects().length).map(e => e.id)")
        self.assertIn("save", buttons)
        for id_ in buttons:
            with self.subTest(id_):
                self.run_js("document.getElementById(arguments[0]).focus()", id_)
                self.press("n", Keys.BACKSPACE, Keys.DELETE)
                self.assertEqual(self.page.lines(), lines)
                self.assertEqual(self.page.checks(), checks)
        # The path field's Ctrl+Z undoes its own typing, not the lines.
        self.page.element("path").send_keys("x")
        self.chord(Keys.CONTROL, "z")
        self.assertEqual(self.page.lines(), lines)

    def test_a_skin_by_keys_and_the_focus_after_a_removal(self):
        make_folder(self.path("skin"), ["bell.wav 5 5 40 30", "bell.wav 45 5 70 30", "MIN 80 5 90 15"],
                    files={"bell.wav": wave()})
        self.page.open_folder(self.path("skin"))
        self.tab_to("viewport")
        self.press("]")
        self.press("]")
        self.page.wait(lambda d: self.run_js("return document.querySelector('#lines [aria-selected=true]')"
                                             ".dataset.line") == "2", "the second hotspot")
        self.step(lambda: self.press(Keys.ARROW_RIGHT), "Line 2: bell.wav 46 5 71 30")
        self.step(lambda: self.press(Keys.DELETE), "Line 2: bell.wav 46 5 71 30 deleted")
        self.assertEqual(self.focused(), "viewport")
        self.assertEqual(self.run_js("return document.querySelector('#lines [aria-selected=true]').textContent").split()[1],
                         "MIN")
        self.step(lambda: self.press(Keys.ESCAPE), "Nothing selected", checked=False)


class Reflowed(KeyboardCase):
    def test_at_320_css_pixels_nothing_scrolls_sideways_and_the_board_is_there(self):
        self.make_board()
        self.page.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                         {"width": 320, "height": 640, "deviceScaleFactor": 1, "mobile": False})
        self.page.wait(lambda d: self.run_js("return innerWidth") == 320, "the narrow window")
        self.assertLessEqual(self.run_js("return document.documentElement.scrollWidth"), 320)
        self.assertGreater(self.run_js("return document.getElementById('viewport').clientHeight"), 100)


if __name__ == "__main__":
    EditorCase.page_file, AXE_FILE = map(os.path.abspath, sys.argv[1:3])
    del sys.argv[1:3]
    if not os.path.exists(AXE_FILE):
        skip("axe-core not found (scripts/setup's npm ci installs it)")
    with open(AXE_FILE, encoding="utf-8") as axe:
        AXE = axe.read()
    run_cases()
