"""Drives lum-editor.html in headless Chromium through Selenium (Debian's
python3-selenium and chromium-driver), from disk as a user opens it.

Downloads go to a folder of the caller's: Chromium takes its download folder
from the profile's preferences, asks before a page's second download unless
the content setting for automatic downloads allows it, and writes each file
first as "*.crdownload", renaming it once complete. Every wait is bounded."""
import os
import shutil
import tempfile
import time
import zipfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

WAIT = 30


class EditorPage:
    def __init__(self, page, downloads, width=1280, height=900, before_load=None, arguments=()):
        self.profile = tempfile.mkdtemp(prefix="lum-editor-profile-")
        self.downloads = downloads
        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which("chromium")
        for argument in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run",
                         "--disable-background-networking", "--disable-component-update", "--disable-sync",
                         "--force-device-scale-factor=1", "--user-data-dir=" + self.profile,
                         "--window-size=%d,%d" % (width, height), *arguments):
            options.add_argument(argument)
        options.add_experimental_option("prefs", {
            "download.default_directory": downloads,
            "download.prompt_for_download": False,
            "profile.default_content_setting_values.automatic_downloads": 1,
        })
        # The console, where Chromium reports what the page's policy refused.
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        service = Service(shutil.which("chromedriver"))
        try:
            self.driver = webdriver.Chrome(service=service, options=options)
        except Exception:
            shutil.rmtree(self.profile, ignore_errors=True)
            raise
        self.driver.set_page_load_timeout(WAIT)
        self.driver.set_script_timeout(WAIT)
        self.url = "file://" + os.path.abspath(page)
        if before_load:
            self.run_before_load(before_load)
        self.load()

    def load(self):
        self.driver.get(self.url)
        self.wait(lambda d: d.execute_script("return document.body.dataset.ready") == "1", "the model to load")

    def run_before_load(self, script):
        """Runs script in every page loaded from now on, before the page's own."""
        self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": script})

    def close(self):
        try:
            self.driver.quit()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)

    def wait(self, condition, what, timeout=WAIT):
        try:
            return WebDriverWait(self.driver, timeout, poll_frequency=0.05).until(condition)
        except Exception as error:
            status = self.driver.execute_script("return document.getElementById('status').textContent")
            raise AssertionError("waited %s s for %s; the page says: %s" % (timeout, what, status)) from error

    def element(self, id_):
        return self.driver.find_element(By.ID, id_)

    def checks(self):
        return int(self.driver.execute_script("return document.body.dataset.checks || '0'"))

    def after_check(self, action, what):
        """Runs action and waits until the page has checked the folder again."""
        before = self.checks()
        action()
        self.wait(lambda d: self.checks() > before, what)

    def choose(self, id_, paths):
        """Chooses files in a file input afresh: chromedriver adds them to what it holds."""
        self.driver.execute_script("document.getElementById(arguments[0]).value = ''", id_)
        self.element(id_).send_keys("\n".join(map(os.path.abspath, paths)))

    def open_folder(self, folder):
        """Through folder-input: every file of the folder, as the browser's folder picker gives them."""
        self.after_check(lambda: self.choose("folder-input", [folder]), "the folder to load")

    def import_picture(self, path):
        self.after_check(lambda: self.choose("picture-input", [path]), "the picture to load")

    def add_sounds(self, paths):
        self.after_check(lambda: self.choose("sound-input", paths), "the sounds to be added")

    def new_board(self, paths, timeout=WAIT):
        """A board from these sounds through board-input: waits until the page
        is no longer busy and has checked the board."""
        before = self.checks()
        self.choose("board-input", paths)
        self.wait(lambda d: self.checks() > before and not d.execute_script("return 'busy' in document.body.dataset"),
                  "the board from %d sounds" % len(paths), timeout)

    def lines(self):
        """The line list as shown: each line's name and rectangle."""
        return self.driver.execute_script(
            "return [...document.querySelectorAll('#lines > li[data-line]')].map(e => "
            "e.textContent.trim().replace(/^\\d+\\s+/, ''))")

    def skin(self):
        """The size of the skin the canvas shows, as "width × height"; "" for none."""
        return self.element("skin-canvas").get_attribute("data-skin") or ""

    def findings(self):
        return self.driver.execute_script(
            "return [...document.querySelectorAll('#findings > *')].map(e => "
            "[Number(e.dataset.line), e.dataset.level, e.dataset.kind, e.title])")

    def policy_refusals(self):
        return [entry["message"] for entry in self.driver.get_log("browser")
                if "Content Security Policy" in entry["message"]]

    def status(self):
        return self.element("status").text

    def save_downloads(self, names):
        """Presses save and waits until each named file is complete in the download folder."""
        self.element("save").click()
        paths = [os.path.join(self.downloads, name) for name in names]
        self.wait(lambda d: all(os.path.exists(p) for p in paths) and not any(
            n.endswith(".crdownload") for n in os.listdir(self.downloads)), "the downloads of %s" % names)
        time.sleep(0.2)
        return paths

    def save_zip(self, names):
        """Presses save, which gives one zip for more than one file, unzips it
        into the download folder and answers the paths of the named files."""
        with zipfile.ZipFile(self.download("save", ".zip")) as saved:
            saved.extractall(self.downloads)
        return [os.path.join(self.downloads, name) for name in names]

    def download(self, button, suffix):
        """Presses the button and waits for the one complete download whose name ends with suffix."""
        self.element(button).click()

        def done(_):
            names = os.listdir(self.downloads)
            found = [n for n in names if n.endswith(suffix)]
            return len(found) == 1 and not any(n.endswith(".crdownload") for n in names) and found[0]
        name = self.wait(done, "a download ending %s" % suffix)
        time.sleep(0.2)
        return os.path.join(self.downloads, name)
