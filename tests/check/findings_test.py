"""The checker against skin folders made to provoke each kind of finding.

Run as: findings_test.py PATH-TO-LUMCHECK PATH-TO-DEMO-SKIN-SCRIPT
"""
import json
import os
import re
import resource
import signal
import struct
import subprocess
import sys
import tempfile
import unittest

from skinfiles import bitmap_bytes
from skinfolders import (CODE_PAGE_PLAYED, GOOD_WAVE, bitmap, check_json, kinds_by_line,
                         make_code_page_folder, make_every_kind_folder, make_folder, plain_skin, played_lines,
                         run_check, wave, write)

CHECKER = None
DEMO_SCRIPT = None
# What the checker finds in the folder of every kind, line by line.
EVERY_KIND_FINDINGS = [
    (0, "info", "no-exit"),
    (2, "error", "shadowed"),
    (3, "info", "partly-shadowed"),
    (4, "info", "empty-line"),
    (5, "error", "empty-rect"),
    (6, "error", "outside-skin"),
    (7, "warning", "partly-outside"),
    (8, "info", "over-see-through"),
    (9, "warning", "keyword-case"),
    (10, "error", "sound-missing"),
    (11, "error", "sound-unplayable"),
    (12, "error", "sound-network-path"),
    (13, "warning", "sound-absolute-path"),
    (14, "warning", "sound-codec"),
    (15, "error", "sound-missing"),
    (15, "warning", "name-cut"),
    (16, "error", "empty-rect"),
    (16, "warning", "split-line"),
]


def folder_snapshot(folder):
    snapshot = {}
    for base, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = os.path.join(base, name)
            info = os.lstat(path)
            snapshot[path] = (info.st_mode, info.st_size, info.st_mtime_ns)
    return snapshot


class CheckerTest(unittest.TestCase):
    def setUp(self):
        self.temp = tempfile.TemporaryDirectory()
        self.root = self.temp.name

    def tearDown(self):
        self.temp.cleanup()

    def folder(self, name, lines, skin=None, files=None):
        path = os.path.join(self.root, name)
        make_folder(path, lines, skin, files)
        return path


class EveryKindTest(CheckerTest):
    def test_each_kind_is_reported_at_its_line(self):
        folder = make_every_kind_folder(self.root)
        status, report = check_json(CHECKER, folder)
        self.assertEqual(status, 1)
        self.assertEqual(kinds_by_line(report), sorted(EVERY_KIND_FINDINGS))
        self.assertEqual(report["messages"], [])
        # The split line's rest fills slot 17 of its own.
        self.assertEqual([(s["slot"], s["line"], s["name"]) for s in report["hotspots"][15:]],
                         [(16, 16, "ding.wav"), (17, 16, "tail")])
        self.assertEqual(len(report["hotspots"][14]["name"]), 239)

    def test_json_and_text_tell_the_same(self):
        folder = make_every_kind_folder(self.root)
        _, report = check_json(CHECKER, folder)
        status, text, _ = run_check(CHECKER, folder)
        self.assertEqual(status, 1)
        for finding in report["findings"]:
            self.assertIn(f"line {finding['line']}", text)
            self.assertIn(f"{finding['kind']}: {finding['message']}", text)
        # Each table row: slot, line and action, then the rectangle and the name.
        rows = [line.split()[:3] for line in text.splitlines() if re.match(r" +\d+ +\d+  \S", line)]
        self.assertEqual(rows, [[str(s["slot"]), str(s["line"]), s["action"]] for s in report["hotspots"]])
        self.assertIn("Skin \"lum.bmp\": 100 x 60 pixels, 24 bits per pixel, 40-byte header, "
                      "0 colour-table entries, 6.7% see-through", text)
        self.assertEqual(report["skin"]["seeThroughPixels"], 400)

    def test_the_folder_is_left_as_it_was(self):
        folder = make_every_kind_folder(self.root)
        before = folder_snapshot(folder)
        status, _, _ = run_check(CHECKER, "--json", "--html", os.path.join(self.root, "page.html"), folder)
        self.assertEqual(status, 1)
        self.assertEqual(folder_snapshot(folder), before)
        self.assertTrue(os.path.getsize(os.path.join(self.root, "page.html")) > 0)

    def test_a_page_name_is_taken_from_where_the_checker_started(self):
        folder = make_every_kind_folder(self.root)
        previous = os.getcwd()
        os.chdir(self.root)
        try:
            status, _, _ = run_check(CHECKER, "--html", "page.html", "skin")
        finally:
            os.chdir(previous)
        self.assertEqual(status, 1)
        self.assertTrue(os.path.exists(os.path.join(self.root, "page.html")))
        self.assertFalse(os.path.exists(os.path.join(folder, "page.html")))


class PageFileTest(CheckerTest):
    """--html never costs the user a file: not the skin's, not the old page."""

    def skin_bytes(self, folder):
        return {name: open(os.path.join(folder, name), "rb").read() for name in sorted(os.listdir(folder))}

    def test_the_skins_own_files_are_refused_in_every_spelling(self):
        folder = self.folder("skin", ["ding.wav 1 1 20 20", "sub/Dong.wav 30 1 50 20", "EXIT 60 1 80 20"],
                             files={"ding.wav": GOOD_WAVE, "sub/dong.wav": GOOD_WAVE})
        os.symlink(folder, os.path.join(self.root, "link"))
        os.symlink(os.path.join(folder, "lum.ini"), os.path.join(self.root, "page.html"))
        os.mkdir(os.path.join(self.root, "elsewhere"))
        before = folder_snapshot(folder)
        spellings = ["skin/lum.ini", "skin/./lum.ini", "elsewhere/../skin/lum.ini", "link/lum.ini",
                     "page.html", "skin/lum.bmp", "skin/ding.wav", "skin/sub/dong.wav"]
        for spelling in spellings:
            with self.subTest(spelling):
                done = subprocess.run([CHECKER, "--html", spelling, "skin"], cwd=self.root, capture_output=True,
                                      timeout=60)
                self.assertEqual(done.returncode, 2, done.stderr)
                self.assertIn(b"skin's own files", done.stderr)
        # The case of the report: the page named lum.ini, asked for inside the folder.
        done = subprocess.run([CHECKER, "--html", "lum.ini", "."], cwd=folder, capture_output=True, timeout=60)
        self.assertEqual(done.returncode, 2, done.stderr)
        self.assertEqual(folder_snapshot(folder), before)
        self.assertEqual(sorted(os.listdir(self.root)), ["elsewhere", "link", "page.html", "skin"])

    def test_a_write_that_fails_leaves_the_old_page(self):
        folder = self.folder("skin", ["EXIT 1 1 20 20"])
        page = os.path.join(self.root, "page.html")
        write(self.root, "page.html", b"the page of yesterday\n" * 100)

        # The file-size limit stops the write midway, as a full disk would; the
        # signal it sends is ignored, so the write itself reports the failure.
        def limit_file_size():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (1024, 1024))

        done = subprocess.run([CHECKER, "--html", page, folder], capture_output=True, timeout=60,
                              preexec_fn=limit_file_size)
        self.assertEqual(done.returncode, 2, done.stderr)
        with open(page, "rb") as old:
            self.assertEqual(old.read(), b"the page of yesterday\n" * 100)
        self.assertEqual(sorted(os.listdir(self.root)), ["page.html", "skin"])


class PreviewLimitTest(CheckerTest):
    """A skin larger than the page can show gets a sentence instead of a picture."""

    def board_of(self, width, height):
        """What the page shows above its details, cut short: a picture is megabytes."""
        skin = bitmap_bytes([[(90, 90, 90)] * width] * height)
        folder = self.folder(f"skin{width}x{height}", ["EXIT 0 0 9 9"], skin)
        page = os.path.join(self.root, "page.html")
        status, _, err = run_check(CHECKER, "--html", page, folder, timeout=300)
        self.assertIn(status, (0, 1), err)
        with open(page, encoding="utf-8") as html:
            text = html.read()
        board = text[text.index("<body>"):text.index("<div id=\"details\">")]
        return board[:200] + ("<a class=\"spot" in board) * " (with outlines)"

    def expect_sentence(self, width, height):
        self.assertEqual(self.board_of(width, height),
                         f"<body>\n<p id=\"board-missing\">The skin is {width} x {height} pixels, more than this "
                         "page shows (16777216 pixels, at most 1000000 a side), so there is no picture; its "
                         "hotspots are listed below.</p>\n")

    def test_the_longest_side_and_one_past_it(self):
        self.assertTrue(self.board_of(1000000, 1).startswith("<body>\n<div id=\"board\" style=\"width:1000000px;"
                                                             "height:1px\">\n<img src=\"data:image/png;base64,"))
        self.expect_sentence(1000001, 1)
        self.expect_sentence(1, 1000001)

    def test_one_pixel_more_than_the_page_shows(self):
        self.expect_sentence(24929, 673)  # 2^24 + 1 pixels


class TableLimitsTest(CheckerTest):
    def test_lines_past_the_32nd_slot_are_listed_once(self):
        lines = [f"ding.wav {2 * i} 0 {2 * i + 2} 2" for i in range(31)] + ["EXIT 0 10 20 30"]
        lines += ["ding.wav 40 40 50 50", "", "ding.wav 40 40 50 50"]
        status, report = check_json(CHECKER, self.folder("full", lines, files={"ding.wav": GOOD_WAVE}))
        self.assertEqual(status, 1)
        self.assertEqual(kinds_by_line(report), [(33, "error", "beyond-slot-limit")])
        self.assertIn("lines 33 and 35", report["findings"][0]["message"])
        self.assertEqual(len(report["hotspots"]), 32)

    def test_keyword_with_a_carriage_return_is_a_sound(self):
        # "bell" has a keyword's length, not its letters.
        folder = self.folder("cr", None, files={"bell": GOOD_WAVE})
        write(folder, "lum.ini", b"MIN\r 1 1 20 20\nEXIT 30 1 50 20\nbell 1 30 20 50\n")
        status, report = check_json(CHECKER, folder)
        self.assertEqual(kinds_by_line(report), [(1, "warning", "keyword-case")])
        self.assertIn("carriage return", report["findings"][0]["message"])

    def test_crlf_lines_give_the_same_table(self):
        lf = self.folder("lf", None)
        crlf = self.folder("crlf", None)
        text = "ding.wav 10 10 40 30\nEXIT 50 10 70 30\n"
        write(lf, "lum.ini", text)
        write(crlf, "lum.ini", text.replace("\n", "\r\n"))
        for folder in (lf, crlf):
            write(folder, "ding.wav", GOOD_WAVE)
        _, a = check_json(CHECKER, lf)
        _, b = check_json(CHECKER, crlf)
        self.assertEqual(a, b)
        self.assertEqual(a["findings"], [])


class LoadFailureTest(CheckerTest):
    """Start-up messages exactly as the program shows them, and never a crash."""

    def expect(self, folder, messages, reasons):
        status, report = check_json(CHECKER, folder)
        self.assertEqual(status, 1)
        self.assertEqual(report["messages"], messages)
        fails = [f for f in report["findings"] if f["kind"] == "load-fails"]
        self.assertEqual(len(fails), len(reasons), fails)
        for finding, reason in zip(fails, reasons):
            self.assertEqual((finding["line"], finding["level"]), (0, "error"))
            self.assertIn(reason, finding["message"])
        return report

    def test_hotspot_file_missing_or_not_a_file(self):
        self.expect(self.folder("none", None), ["no valid ini file!"], ["no such file"])
        folder = self.folder("dir", None)
        os.mkdir(os.path.join(folder, "lum.ini"))
        self.expect(folder, ["no valid ini file!"], ["a folder"])
        folder = self.folder("fifo", None)
        os.mkfifo(os.path.join(folder, "lum.ini"))
        self.expect(folder, ["no valid ini file!"], ["not a plain file"])

    def test_skin_faults_each_named(self):
        cases = {
            "text": (b"just some text\n", ["This isn't a bitmap file!", "no valid Bitmap!"],
                     "shows \"This isn't a bitmap file!\" and then \"no valid Bitmap!\" and closes"),
            "tiny": (b"BM" + bytes(20), ["no valid Bitmap!"], "too short for its headers"),
            "32bit": (bitmap(4, 4, lambda x, y: (0, 0, 0), bit_count=32), ["no valid Bitmap!"], "32 bits"),
            "topdown": (bitmap(4, 4, lambda x, y: (0, 0, 0), top_down=True), ["no valid Bitmap!"], "top-down"),
            "cut": (plain_skin()[:500], ["no valid Bitmap!"], "too short for the pixels"),
        }
        for name, (skin, messages, reason) in cases.items():
            with self.subTest(name):
                report = self.expect(self.folder(name, ["EXIT 1 1 9 9"], skin), messages, [reason])
                self.assertFalse(report["skin"]["loaded"])
                # The program closes at once: no hotspot acts, and there is nothing to end.
                self.assertEqual([h["acts"] for h in report["hotspots"]], [False])
                self.assertEqual([f["kind"] for f in report["findings"]], ["load-fails"])

    def test_a_page_is_written_without_a_skin(self):
        folder = self.folder("nopage", ["EXIT 1 1 9 9"], b"GIF89a")
        page = os.path.join(self.root, "page.html")
        status, _, _ = run_check(CHECKER, "--html", page, folder)
        self.assertEqual(status, 1)
        with open(page, encoding="utf-8") as html:
            text = html.read()
        self.assertIn("The skin could not be loaded", text)
        self.assertIn("load-fails", text)

    def test_skin_as_a_broken_link(self):
        folder = self.folder("link", ["EXIT 1 1 9 9"])
        os.remove(os.path.join(folder, "lum.bmp"))
        os.symlink("nowhere.bmp", os.path.join(folder, "lum.bmp"))
        self.expect(folder, ["no valid Bitmap!"], ["broken link"])

    def test_after_the_hotspot_file_fails_no_later_message_is_seen(self):
        folder = self.folder("both", None, b"not a bitmap")
        report = self.expect(folder, ["no valid ini file!"], ["no such file", "the window is already gone"])
        self.assertEqual(report["hotspots"], [])


class SoundFileTest(CheckerTest):
    def sound_findings(self, files, links=(), fifos=()):
        names = list(files) + [n for n, _ in links] + list(fifos)
        lines = [f"{name} {4 * i} 0 {4 * i + 3} 3" for i, name in enumerate(names)] + ["EXIT 0 10 20 30"]
        folder = self.folder("sounds", lines, files={n: d for n, d in files.items() if d is not None})
        for name, data in files.items():
            if data is None:
                os.makedirs(os.path.join(folder, name))
        for name, target in links:
            os.symlink(target, os.path.join(folder, name))
        for name in fifos:
            os.mkfifo(os.path.join(folder, name))
        status, report = check_json(CHECKER, folder)
        found = {}
        for finding in report["findings"]:
            found.setdefault(names[finding["line"] - 1], []).append((finding["kind"], finding["message"]))
        return status, report, found

    def test_broken_sound_files_are_unplayable(self):
        files = {
            "zero.wav": b"",
            "huge.wav": wave(data_size=0xFFFFFFFF),
            "shortfmt.wav": wave(fmt_size=8),
            "nofmt.wav": b"RIFF\x0c\x00\x00\x00WAVEdata\x00\x00\x00\x00",
            "mute.wav": wave(channels=0),
            "norate.wav": wave(rate=0),
            "aiff.wav": b"FORM\x00\x00\x00\x04AIFF",
            "folder.wav": None,
            # Plays: 120 KB of chunks of every size up to 30 in front, some
            # of whose headers lie across the ends of the checker's reads.
            "late.wav": wave()[:12] + b"".join(b"junk" + struct.pack("<I", n % 31) + bytes(n % 31 + n % 31 % 2)
                                               for n in range(5000)) + wave()[12:],
        }
        status, _, found = self.sound_findings(files, links=[("link.wav", "nowhere.wav")],
                                               fifos=["pipe.wav"])
        self.assertEqual(status, 1)
        self.assertNotIn("late.wav", found)
        reasons = {"zero.wav": "empty", "huge.wav": "4294967295 bytes", "shortfmt.wav": "8 bytes",
                   "nofmt.wav": "no fmt chunk", "mute.wav": "0 channels", "norate.wav": "sample rate of 0",
                   "aiff.wav": "not a RIFF WAVE", "folder.wav": "cannot be opened",
                   "link.wav": "cannot be opened", "pipe.wav": "cannot be opened"}
        for name, reason in reasons.items():
            with self.subTest(name):
                self.assertEqual(len(found[name]), 1, found[name])
                kind, message = found[name][0]
                self.assertEqual(kind, "sound-unplayable")
                self.assertIn(reason, message)

    def test_paths_resolved_as_windows_would(self):
        files = {"Sub/Ding.WAV": GOOD_WAVE, "sub\\ding.wav": None, "sub/./DING.wav": None,
                 "C:\\sounds\\x.wav": None, "//server/x.wav": None, "sub/../../gone.wav": None,
                 "\\??\\UNC\\server\\x.wav": None, "/??/UNC/server/x.wav": None}
        lines = list(files)
        folder = self.folder("paths", [f"{n} {4 * i} 0 {4 * i + 3} 3" for i, n in enumerate(lines)] +
                             ["EXIT 0 10 20 30"], files={"Sub/Ding.WAV": GOOD_WAVE})
        status, report = check_json(CHECKER, folder)
        self.assertEqual(status, 1)
        # Win32 path conversion passes \??\ on unchanged, with backslashes only.
        self.assertEqual(kinds_by_line(report), [
            (4, "warning", "sound-absolute-path"),
            (5, "error", "sound-network-path"),
            (6, "error", "sound-missing"),
            (6, "warning", "sound-absolute-path"),
            (7, "error", "sound-network-path"),
            (8, "error", "sound-missing"),
            (8, "warning", "sound-absolute-path"),
        ])
        notes = [s.get("note", "") for s in report["hotspots"]]
        self.assertIn("differ in case", notes[1])
        self.assertIn("differ in case", notes[2])
        self.assertIn("not looked for", notes[3])
        _, text, _ = run_check(CHECKER, folder)
        self.assertIn("differ in case", text)


class CodePageTest(CheckerTest):
    def test_names_are_found_as_a_system_of_that_code_page_finds_them(self):
        # Per page, the missing lines and the other page, tried in the
        # default's, then the model's order, whose reading names a file there.
        found_in = {1252: {2: None, 4: 1251, 7: None, 8: None}, 1251: {2: 1252}}
        for page, played in CODE_PAGE_PLAYED.items():
            with self.subTest(page):
                status, out, _ = run_check(CHECKER, "--json", "--code-page", str(page), make_code_page_folder(self.root, page))
                report = json.loads(out)
                self.assertEqual(report["codePage"], page)
                self.assertEqual(played_lines(report), played)
                self.assertEqual({f["line"]: f.get("foundInCodePage") for f in report["findings"]
                                  if f["kind"] == "sound-missing"}, found_in[page])
        _, report = check_json(CHECKER, os.path.join(self.root, "cp1252"))
        self.assertEqual([h["name"] for h in report["hotspots"]][:4],
                         ["caf\u00e9.wav", "caf\u00c3\u00a9.wav", "\u0081.wav", "\u00c0\u00c1.wav"])
        self.assertEqual(kinds_by_line(report), [(2, "error", "sound-missing"), (2, "warning", "sound-name-utf8"),
                                                 (4, "error", "sound-missing"), (7, "error", "sound-missing"),
                                                 (8, "error", "sound-missing")])
        self.assertIn("code page 1251 (Cyrillic), the name is \"\u0410\u0411.wav\"", report["findings"][2]["message"])
        self.assertIn("as \"caf\u00c3\u00a9.wav\" and looks for a file of that name",
                      [f["message"] for f in report["findings"] if f["kind"] == "sound-name-utf8"][0])

    def test_a_double_byte_name_is_split_into_folders_only_after_it_is_read(self):
        # The second byte of \u8868 in code page 932 is 0x5C, a backslash on its own.
        folder = self.folder("cp932", None, files={"\u8868.wav": GOOD_WAVE})
        write(folder, "lum.ini", b"\x95\x5c.wav 1 1 9 9\n\xaa.wav 1 11 9 19\nEXIT 20 20 30 30\n")
        _, out, _ = run_check(CHECKER, "--json", "--code-page", "932", folder)
        self.assertEqual(kinds_by_line(json.loads(out)), [(2, "error", "sound-missing")])
        _, out, _ = run_check(CHECKER, "--json", "--code-page", "1253", folder)
        self.assertEqual(kinds_by_line(json.loads(out)), [(1, "error", "sound-missing"),
                                                         (2, "error", "sound-name-not-text")])

    def test_no_control_character_reaches_the_terminal(self):
        folder = make_code_page_folder(self.root, 1252)
        done = subprocess.run([CHECKER, folder], capture_output=True, timeout=60)
        self.assertIn("  caf\u00e9.wav\n".encode(), done.stdout)
        self.assertIn(b"  ?.wav\n", done.stdout)
        done = subprocess.run([CHECKER, "--json", folder], capture_output=True, timeout=60)
        self.assertIn(b'"name": "\\u0081.wav"', done.stdout)
        for output in (done.stdout, subprocess.run([CHECKER, folder], capture_output=True, timeout=60).stdout):
            text = output.decode("utf-8")
            self.assertEqual([c for c in text if c != "\n" and (ord(c) < 0x20 or 0x7F <= ord(c) < 0xA0)], [])

    def test_only_windows_ansi_code_pages_are_taken(self):
        folder = make_code_page_folder(self.root, 1252)
        for page in ("65001", "437", "1252x", "4294968548", ""):
            with self.subTest(page):
                status, out, err = run_check(CHECKER, "--code-page", page, folder)
                self.assertEqual((status, out), (2, ""))
                self.assertIn("874, 932, 936, 949, 950, 1250,", err)


class DemoSkinTest(CheckerTest):
    def test_the_demo_skin_is_clean(self):
        folder = os.path.join(self.root, "demo")
        subprocess.run([sys.executable, DEMO_SCRIPT, folder], check=True, timeout=120)
        status, report = check_json(CHECKER, folder)
        self.assertEqual((status, report["findings"], report["messages"]), (0, [], []))
        self.assertEqual([s["action"] for s in report["hotspots"]],
                         ["sound", "sound", "sound", "minimise", "exit"])
        status, text, _ = run_check(CHECKER, folder)
        self.assertEqual(status, 0)
        self.assertIn("Findings: none", text)


    def test_the_demo_script_keeps_a_skin_that_is_there(self):
        folder = os.path.join(self.root, "mine")
        write(folder, "lum.ini", b"mine.wav 1 1 20 20\r\n")
        done = subprocess.run([sys.executable, DEMO_SCRIPT, folder], capture_output=True, timeout=120)
        self.assertNotEqual(done.returncode, 0)
        self.assertIn(b"lum.ini", done.stderr)
        self.assertEqual(os.listdir(folder), ["lum.ini"])
        with open(os.path.join(folder, "lum.ini"), "rb") as ini:
            self.assertEqual(ini.read(), b"mine.wav 1 1 20 20\r\n")
        # Its own demo folder, made again, is no one else's skin.
        demo = os.path.join(self.root, "demo")
        for _ in range(2):
            subprocess.run([sys.executable, DEMO_SCRIPT, demo], check=True, capture_output=True, timeout=120)
        self.assertEqual(sorted(os.listdir(demo)), ["lum.bmp", "lum.ini", "tone-c.wav", "tone-e.wav", "tone-g.wav"])


class UsageTest(CheckerTest):
    def test_usage_and_unusable_folders(self):
        status, out, _ = run_check(CHECKER, "--help")
        self.assertEqual((status, out), (0, "usage: lumcheck [--version] [--json] [--code-page N] [--html FILE] [DIR]\n"))
        plain = os.path.join(self.root, "plain")
        write(self.root, "plain", b"x")
        for args in (["--bogus"], ["a", "b"], ["--html"], [os.path.join(self.root, "nope")], [plain]):
            with self.subTest(args=args):
                status, out, err = run_check(CHECKER, *args)
                self.assertEqual(status, 2)
                self.assertEqual(out, "")
                self.assertEqual(err.count("\n"), 1, err)

    def test_default_folder_is_the_current_one(self):
        folder = self.folder("here", ["EXIT 1 1 20 20"])
        done = subprocess.run([CHECKER], cwd=folder, capture_output=True, timeout=60)
        self.assertEqual(done.returncode, 0, done.stdout)
        self.assertIn(b"Findings: none", done.stdout)


if __name__ == "__main__":
    CHECKER = os.path.abspath(sys.argv.pop(1))
    DEMO_SCRIPT = os.path.abspath(sys.argv.pop(1))
    unittest.main()
