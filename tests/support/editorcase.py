"""What the editor's tests share: a fresh page per case in headless
Chromium, and pointer and key helpers at the page's zoom."""
import os
import subprocess
import sys
import tempfile
import unittest

from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.keys import Keys

from editorpage import EditorPage
from testskip import require_programs


def read(path):
    with open(path, "rb") as data:
        return data.read()


class EditorCase(unittest.TestCase):
    """A fresh page per case; the test script sets page_file (and demo_script) from its arguments."""
    page_file = demo_script = None

    def setUp(self):
        self.temp = tempfile.TemporaryDirectory()
        self.addCleanup(self.temp.cleanup)
        self.root = self.temp.name
        self.downloads = os.path.join(self.root, "downloads")
        os.makedirs(self.downloads)
        self.page = EditorPage(self.page_file, self.downloads)
        self.addCleanup(self.page.close)

    def path(self, name):
        return os.path.join(self.root, name)

    def pointer(self, x, y):
        """The viewport position of the middle of skin pixel (x, y) at the page's zoom."""
        box = self.page.driver.execute_script(
            "const r = document.getElementById('board').getBoundingClientRect(); return [r.left, r.top];")
        zoom = int(self.page.element("zoom").get_attribute("value"))
        return int(box[0] + x * zoom + zoom // 2), int(box[1] + y * zoom + zoom // 2)

    def drag(self, start, end):
        actions = ActionBuilder(self.page.driver)
        actions.pointer_action.move_to_location(*self.pointer(*start)).pointer_down()
        actions.pointer_action.move_to_location(*self.pointer(*end)).pointer_up()
        self.page.after_check(actions.perform, "the drawn hotspot")

    def press_text(self, x, y):
        actions = ActionBuilder(self.page.driver)
        actions.pointer_action.move_to_location(*self.pointer(x, y))
        actions.perform()
        return self.page.element("press").text

    def keys(self, *keys):
        self.page.after_check(lambda: self.page.element("viewport").send_keys(*keys), "the edit by keys")

    def type_path(self, text):
        """Types text over the selected line's path, then leaves the field."""
        path = self.page.element("path")
        path.send_keys(Keys.CONTROL, "a")
        path.send_keys(text, Keys.TAB)

    def select_line(self, number):
        self.page.driver.find_element("css selector", "#lines li[data-line='%d']" % number).click()

    def drop(self, files):
        """Drops files ([name, bytes]) on the page as a drag from the desktop would."""
        self.page.after_check(lambda: self.page.driver.execute_script(
            "const transfer = new DataTransfer();"
            "for (const [name, data] of arguments[0]) transfer.items.add(new File([new Uint8Array(data)], name));"
            "document.getElementById('viewport').dispatchEvent("
            "  new DragEvent('drop', { bubbles: true, cancelable: true, dataTransfer: transfer }));",
            [[name, list(data)] for name, data in files]), "the drop")

    def demo(self):
        folder = self.path("demo")
        subprocess.run([sys.executable, self.demo_script, folder], check=True, timeout=120)
        return folder


def run_cases():
    """Runs the script's cases, skipped where Chromium or its driver is missing."""
    require_programs("chromium", "chromedriver")
    unittest.main()
