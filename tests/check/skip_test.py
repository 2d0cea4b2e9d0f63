"""A test that cannot run for a missing tool is reported skipped, not passed:
every Python test of the build is registered with exit code 77 as its
SKIP_RETURN_CODE, and the page tests, run as ctest runs them but with
Chromium hidden from PATH, end with that code.

Run as: skip_test.py CTEST BUILD_FOLDER
"""
import json
import os
import subprocess
import sys
import tempfile
import unittest

CTEST = BUILD = None
SKIP = "77"


def registered_tests():
    listing = subprocess.run([CTEST, "--test-dir", BUILD, "--show-only=json-v1"], capture_output=True, check=True,
                             timeout=60).stdout
    return json.loads(listing)["tests"]


def properties(test):
    return {p["name"]: p["value"] for p in test.get("properties", [])}


def path_without(programs, scratch):
    """PATH with each folder that holds one of the programs replaced by a
    folder of links to everything else in it."""
    folders = []
    for number, folder in enumerate(os.environ["PATH"].split(os.pathsep)):
        if not any(os.path.exists(os.path.join(folder, name)) for name in programs):
            folders.append(folder)
            continue
        stand_in = os.path.join(scratch, str(number))
        os.makedirs(stand_in)
        for name in os.listdir(folder):
            if name not in programs:
                os.symlink(os.path.join(folder, name), os.path.join(stand_in, name))
        folders.append(stand_in)
    return os.pathsep.join(folders)


def is_python(test):
    return os.path.basename(test["command"][0]).startswith("python")


class MissingTools(unittest.TestCase):
    def test_every_python_test_reports_exit_77_as_skipped(self):
        python = [t for t in registered_tests() if is_python(t)]
        self.assertGreater(len(python), 10)
        wrong = [t["name"] for t in python if str(properties(t).get("SKIP_RETURN_CODE")) != SKIP]
        self.assertEqual(wrong, [])

    def test_a_page_test_without_chromium_ends_skipped(self):
        pages = [t for t in registered_tests() if t["name"].endswith("-in-chromium")]
        self.assertTrue(pages)
        with tempfile.TemporaryDirectory() as scratch:
            hidden = path_without({"chromium", "chromedriver"}, scratch)
            for test in pages:
                with self.subTest(test=test["name"]):
                    values = properties(test)
                    environment = dict(os.environ, PATH=hidden)
                    environment.update(value.split("=", 1) for value in values.get("ENVIRONMENT", []))
                    ran = subprocess.run(test["command"], cwd=values.get("WORKING_DIRECTORY", BUILD), env=environment,
                                         capture_output=True, text=True, timeout=120)
                    self.assertEqual(str(ran.returncode), SKIP, ran.stdout + ran.stderr)
                    self.assertIn("skipped: chromium", ran.stdout)


if __name__ == "__main__":
    CTEST, BUILD = sys.argv[1:3]
    del sys.argv[1:3]
    unittest.main()
