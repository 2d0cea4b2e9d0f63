#!/usr/bin/env python3
"""Writes a demo skin folder: lum.bmp, lum.ini and three short tones.

The picture is drawn here from simple shapes: a dark panel with rounded,
see-through (magenta) corners and a see-through notch, three pads that play a
tone each, and the minimise and exit buttons. Its width, 203, is not a
multiple of 4, so every stored row carries pad bytes.

A folder that already holds other files of these names, someone's own skin,
is left as it was. Each file is written beside its place and renamed over
it, so that none is ever left half written.
"""
import os
import sys
import tempfile

from skinfiles import KEY, bitmap_bytes, tone

WIDTH, HEIGHT = 203, 90
PANEL = (38, 42, 54)
EDGE = (90, 98, 120)

# Each pad: its rectangle (left, top, right, bottom), colour, tone file and
# frequency. A hotspot holds only points strictly inside its rectangle.
PADS = [
    ((12, 30, 68, 80), (60, 120, 230), "tone-c.wav", 523.25),
    ((74, 30, 130, 80), (60, 190, 110), "tone-e.wav", 659.25),
    ((136, 30, 192, 80), (240, 150, 40), "tone-g.wav", 783.99),
]
MIN_RECT = (150, 4, 170, 20)
EXIT_RECT = (175, 4, 195, 20)


def inside_rounded(x, y, radius):
    cx = min(max(x, radius), WIDTH - 1 - radius)
    cy = min(max(y, radius), HEIGHT - 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def draw():
    pixels = [[KEY] * WIDTH for _ in range(HEIGHT)]  # top row first
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if inside_rounded(x, y, 14):
                inner = 2 <= x < WIDTH - 2 and 2 <= y < HEIGHT - 2
                pixels[y][x] = PANEL if inner else EDGE
            if (x - 101) ** 2 + y ** 2 <= 10 ** 2:
                pixels[y][x] = KEY  # the notch at the top edge
    for number, ((left, top, right, bottom), colour, _, _) in enumerate(PADS, start=1):
        fill(pixels, left, top, right, bottom, colour)
        # One to three light bars tell the pads apart.
        for bar in range(number):
            bx = (left + right) // 2 - 4 * number + 8 * bar + 2
            fill(pixels, bx, top + 12, bx + 4, bottom - 12, (235, 235, 235))
    fill(pixels, *MIN_RECT, (200, 200, 80))
    fill(pixels, MIN_RECT[0] + 4, MIN_RECT[3] - 6, MIN_RECT[2] - 4, MIN_RECT[3] - 4, PANEL)
    fill(pixels, *EXIT_RECT, (210, 60, 60))
    for i in range(10):
        pixels[EXIT_RECT[1] + 3 + i][EXIT_RECT[0] + 5 + i] = (255, 255, 255)
        pixels[EXIT_RECT[1] + 3 + i][EXIT_RECT[2] - 6 - i] = (255, 255, 255)
    return pixels


def fill(pixels, left, top, right, bottom, colour):
    for y in range(top, bottom):
        for x in range(left, right):
            pixels[y][x] = colour


def skin_files():
    """{name: bytes} of every file of the demo skin."""
    lines = [f"{name} {left} {top} {right} {bottom}"
             for (left, top, right, bottom), _, name, _ in PADS]
    lines.append("MIN {} {} {} {}".format(*MIN_RECT))
    lines.append("EXIT {} {} {} {}".format(*EXIT_RECT))
    files = {"lum.bmp": bitmap_bytes(draw()), "lum.ini": ("\r\n".join(lines) + "\r\n").encode("ascii")}
    for _, _, name, frequency in PADS:
        files[name] = tone(frequency, seconds=1.0, fade=400)
    return files


def differs(path, data):
    if not os.path.lexists(path):
        return False
    if not os.path.isfile(path):
        return True
    with open(path, "rb") as old:
        return old.read() != data


def write_whole(path, data):
    part = tempfile.NamedTemporaryFile(dir=os.path.dirname(path), prefix=".demo-", delete=False)
    try:
        with part:
            part.write(data)
            part.flush()
            os.fsync(part.fileno())
        os.chmod(part.name, 0o644)
        os.replace(part.name, path)
    except BaseException:
        os.remove(part.name)
        raise


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: MakeDemoSkin.py OUTPUT-FOLDER")
    folder = sys.argv[1]
    files = skin_files()
    taken = [name for name, data in files.items() if differs(os.path.join(folder, name), data)]
    if taken:
        sys.exit(f"MakeDemoSkin: {folder} already holds other files named {', '.join(taken)}; "
                 "nothing was written (name a new folder)")
    os.makedirs(folder, exist_ok=True)
    for name, data in files.items():
        write_whole(os.path.join(folder, name), data)


main()
