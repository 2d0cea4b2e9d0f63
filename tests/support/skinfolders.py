"""Builds skin folders for the checker's tests from the files skinfiles writes."""
import json
import os
import subprocess

from skinfiles import KEY, bitmap_bytes, picture, wave


def bitmap(width, height, colour_at, bit_count=24, top_down=False):
    """A BMP file of width x height whose pixel (x, y), top row first, is colour_at(x, y)."""
    return bitmap_bytes(picture(width, height, colour_at), bit_count, -1 if top_down else 1)


def plain_skin(width=100, height=60):
    """An opaque grey picture with a magenta block at x 80..99, y 40..59."""
    return bitmap(width, height, lambda x, y: KEY if x >= 80 and y >= 40 else (90, 90, 90))


def write(folder, name, data):
    path = os.path.join(folder, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data if isinstance(data, bytes) else data.encode("latin-1"))


def make_folder(folder, ini_lines, skin=None, files=None):
    """lum.ini from lines joined by LF, lum.bmp, and any further files."""
    os.makedirs(folder, exist_ok=True)
    if ini_lines is not None:
        write(folder, "lum.ini", "".join(line + "\n" for line in ini_lines))
    write(folder, "lum.bmp", plain_skin() if skin is None else skin)
    for name, data in (files or {}).items():
        write(folder, name, data)


def run_check(checker, *args, timeout=60):
    """The checker's exit status, standard output and standard error."""
    done = subprocess.run([checker, *args], capture_output=True, timeout=timeout)
    return done.returncode, done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")


def check_json(checker, folder):
    status, out, err = run_check(checker, "--json", folder)
    return status, json.loads(out)


def kinds_by_line(report):
    return sorted((f["line"], f["level"], f["kind"]) for f in report["findings"])


GOOD_WAVE = wave()
MP3_BYTES = b"ID3\x03\x00\x00\x00\x00\x00\x10" + b"\xff\xfb\x90\x64" + bytes(200)

# One case of every kind of finding that belongs to a hotspot line, each on a
# known line; findings_test.py lists the findings.
EVERY_KIND_LINES = [
    "ding.wav 10 10 40 30",             # 1 fine
    "ding.wav 15 15 35 25",             # 2 shadowed by line 1
    "ding.wav 30 5 50 20",              # 3 partly shadowed by lines 1 and 2
    "",                                 # 4 empty line
    "MIN 0 0 50",                       # 5 empty rectangle
    "EXIT 200 200 300 300",             # 6 outside the 100 x 60 picture
    "ding.wav 90 0 120 20",             # 7 partly outside
    "ding.wav 82 42 98 58",             # 8 over the magenta corner
    "min 50 30 60 40",                  # 9 keyword in the wrong case
    "gone.wav 60 30 70 40",             # 10 missing sound
    "mp3.wav 50 40 60 50",              # 11 an MP3 named .wav
    "\\\\server\\share\\x.wav 60 40 70 50",  # 12 network path
    "../outside.wav 70 30 80 40",       # 13 leaves the folder
    "odd.wav 0 40 10 50",               # 14 a codec Windows may lack
    "a" * 240 + " 1 2 3 4",             # 15 name cut (and so missing)
    ("ding.wav 20 35 30 45" + " " * 240)[:256] + "tail",  # 16 split line
]


def make_every_kind_folder(root):
    folder = os.path.join(root, "skin")
    make_folder(folder, EVERY_KIND_LINES, files={
        "ding.wav": GOOD_WAVE,
        "mp3.wav": MP3_BYTES,
        "odd.wav": wave(tag=0x55, bits=0),
    })
    write(root, "outside.wav", GOOD_WAVE)
    return folder


# Names in Windows ANSI code pages, each line with what lum.exe did with it
# under Wine in a system of that code page (tests/check/code_page_test.py
# presses them): the file names on disk are UTF-8.
CODE_PAGE_FOLDERS = {
    1252: ([b"caf\xe9.wav 10 10 40 30",         # plays caf\u00e9.wav
            b"caf\xc3\xa9.wav 50 10 90 30",      # UTF-8: looks for caf\u00c3\u00a9.wav, plays nothing
            b"\x81.wav 10 40 40 60",            # a byte the page leaves out: plays \u0081.wav
            b"\xc0\xc1.wav 50 40 90 60",        # looks for \u00c0\u00c1.wav, plays nothing
            b"\xc9T\xc9.wav 41 10 49 30",        # case beyond ASCII: plays \u00e9t\u00e9.wav
            b"\x8cUF.wav 41 40 49 60",          # plays \u0153uf.wav
            b"ETE.wav 10 31 40 39",             # accents kept: plays nothing
            b"\xb5.wav 50 31 90 39"],           # \u00b5 is not \u039c, whose lower case is \u03bc: plays nothing
           ["caf\u00e9.wav", "\u0081.wav", "\u0410\u0411.wav", "\u00e9t\u00e9.wav", "\u0153uf.wav", "\u039c.wav"]),
    1251: ([b"\xc0\xc1.wav 10 10 40 30",         # plays \u0410\u0411.wav
            b"caf\xe9.wav 50 10 90 30",          # looks for caf\u0439.wav, plays nothing
            b"\x98.wav 10 40 40 60"],           # plays \u0098.wav
           ["\u0410\u0411.wav", "caf\u00e9.wav", "\u0098.wav"]),
}
# Per code page, the lines whose sound lum.exe played.
CODE_PAGE_PLAYED = {1252: [1, 3, 5, 6], 1251: [1, 3]}


def make_code_page_folder(root, code_page):
    lines, files = CODE_PAGE_FOLDERS[code_page]
    folder = os.path.join(root, "cp%d" % code_page)
    make_folder(folder, None, files={name: GOOD_WAVE for name in files})
    write(folder, "lum.ini", b"".join(line + b"\n" for line in lines) + b"EXIT 0 0 5 5\n")
    return folder


def played_lines(report):
    """The sound lines that the checker says a press plays."""
    return [h["line"] for h in report["hotspots"] if h["action"] == "sound" and h["acts"]]
