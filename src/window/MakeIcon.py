#!/usr/bin/env python3
"""Writes the program's icon file from its text picture.

The picture is 32 lines of 32 characters; each character is one pixel in one
of the 16 standard colours below, or '.' for a see-through pixel. The icon
file holds that one 32 x 32, 4-bit image with its AND mask.
"""
import struct
import sys

SIZE = 32
# The 16-colour palette in its usual order; the letters name the pixels.
PALETTE = [
    ("k", (0, 0, 0)), ("m", (128, 0, 0)), ("g", (0, 128, 0)), ("o", (128, 128, 0)),
    ("n", (0, 0, 128)), ("p", (128, 0, 128)), ("t", (0, 128, 128)), ("s", (192, 192, 192)),
    ("a", (128, 128, 128)), ("r", (255, 0, 0)), ("l", (0, 255, 0)), ("y", (255, 255, 0)),
    ("b", (0, 0, 255)), ("f", (255, 0, 255)), ("c", (0, 255, 255)), ("w", (255, 255, 255)),
]
INDEX = {letter: i for i, (letter, _) in enumerate(PALETTE)}
SEE_THROUGH = "."


def read_picture(path):
    with open(path, encoding="ascii") as source:
        rows = [line.rstrip("\n") for line in source]
    if len(rows) != SIZE or any(len(row) != SIZE for row in rows):
        sys.exit(f"{path}: the picture must be {SIZE} lines of {SIZE} characters")
    for y, row in enumerate(rows):
        for x, letter in enumerate(row):
            if letter != SEE_THROUGH and letter not in INDEX:
                sys.exit(f"{path}:{y + 1}:{x + 1}: unknown colour letter {letter!r}")
    return rows


def icon_image(rows):
    # A DIB of double height: the colour rows, then the AND mask, both bottom-up.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in PALETTE)
    colours = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        indexes = [INDEX.get(letter, 0) for letter in row]
        colours += bytes((indexes[x] << 4) | indexes[x + 1] for x in range(0, SIZE, 2))
        bits = "".join("1" if letter == SEE_THROUGH else "0" for letter in row)
        mask += int(bits, 2).to_bytes(SIZE // 8, "big")
    return header + palette + bytes(colours) + bytes(mask)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: MakeIcon.py PICTURE.txt OUTPUT.ico")
    image = icon_image(read_picture(sys.argv[1]))
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    with open(sys.argv[2], "wb") as out:
        out.write(directory + entry + image)


main()
