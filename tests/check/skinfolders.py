"""Builds skin folders for the checker's tests: bitmaps, sounds, hotspot files."""
import json
import os
import struct
import subprocess

KEY = (255, 0, 255)


def bitmap(width, height, colour_at, bit_count=24, top_down=False):
    """A BMP file of width x height whose pixel (x, y), top row first, is colour_at(x, y)."""
    row_bytes = (3 * width + 3) // 4 * 4
    rows = []
    for y in range(height):
        line = bytearray()
        for x in range(width):
            r, g, b = colour_at(x, y)
            line += bytes((b, g, r))
        rows.append(bytes(line) + bytes(row_bytes - len(line)))
    data = b"".join(rows if top_down else reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bit_count,
                       0, len(data), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54) + info + data


def wave(frames=b"\0\0" * 64, tag=1, channels=1, rate=8000, bits=16, fmt_size=16,
         data_size=None):
    """A RIFF WAVE file; every field can be made wrong on purpose."""
    fmt = struct.pack("<HHIIHH", tag, channels, rate, rate * channels * max(bits, 8) // 8,
                      channels * max(bits, 8) // 8, bits)
    fmt = (fmt + bytes(max(0, fmt_size - len(fmt))))[:fmt_size]
    size = len(frames) if data_size is None else data_size
    body = b"WAVE" + b"fmt " + struct.pack("<I", fmt_size) + fmt + b"data" + struct.pack("<I", size) + frames
    return b"RIFF" + struct.pack("<I", len(body)) + body


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
