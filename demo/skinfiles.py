"""Writes the files of a skin folder and the pictures around one: BMP (the
24-bit skins lum reads, and 8- or 32-bit, top-down or damaged ones), WAV
(tones, and files with any field wrong) and PNG. Python's standard library
only. The demo skin is written with it, and so are the tests' and the
benchmarks' files: they find this folder on PYTHONPATH.

A picture is a list of rows, top row first, of (r, g, b) or (r, g, b, a).
Rows that are one and the same list are turned into bytes once, so a large
picture of few distinct rows, such as [[colour] * width] * height, is cheap."""

import math
import struct
import zlib

KEY = (255, 0, 255)


def picture(width, height, colour_at):
    """The picture whose pixel (x, y) is colour_at(x, y)."""
    return [[colour_at(x, y) for x in range(width)] for y in range(height)]


def row_bytes(pixels, convert):
    """convert(row) for each row, once for each distinct row object."""
    done = {}
    for row in pixels:
        if id(row) not in done:
            done[id(row)] = convert(row)
        yield done[id(row)]


def bmp_file(width, height, pixel_data, bits=24, table=b"", clr_used=0, compression=0, info_size=40):
    """A BMP file: the file header, a 40-byte info header of these fields
    (biSize says info_size), the colour table and the pixel data as given."""
    info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression, len(pixel_data),
                       2835, 2835, clr_used, 0)
    offset = 14 + len(info) + len(table)
    return b"BM" + struct.pack("<IHHI", offset + len(pixel_data), 0, 0, offset) + info + table + pixel_data


def bitmap_bytes(pixels, bits=24, height_sign=1, clr_used=0, compression=0):
    """A bottom-up BMP of `pixels`; -1 as height_sign stores it top-down.
    bits 8 writes a grey 256-entry colour table and the red channel as index;
    clr_used puts an unused colour table of that many entries before the
    pixels of a 24- or 32-bit picture; compression only marks the
    uncompressed pixels as compressed."""
    height, width = len(pixels), len(pixels[0])
    pad = bytes(-(width * bits // 8) % 4)
    if bits == 24:
        convert = lambda row: b"".join(bytes((b, g, r)) for r, g, b in row) + pad
    elif bits == 32:
        convert = lambda row: b"".join(bytes((b, g, r, 0)) for r, g, b in row) + pad
    else:
        convert = lambda row: bytes(p[0] for p in row) + pad
    data = b"".join(row_bytes(pixels[::-1] if height_sign > 0 else pixels, convert))
    table = b"".join(bytes((i, i, i, 0)) for i in range(256)) if bits == 8 else bytes(4 * clr_used)
    return bmp_file(width, height * height_sign, data, bits, table, clr_used, compression)


def png_bytes(pixels):
    """A PNG of `pixels`: RGB for (r, g, b), RGBA for (r, g, b, a)."""
    height, width, channels = len(pixels), len(pixels[0]), len(pixels[0][0])
    packer = zlib.compressobj(1)
    data = [packer.compress(row) for row in row_bytes(pixels, lambda row: b"\0" + bytes(c for p in row for c in p))]

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", width, height, 8, 6 if channels == 4 else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", b"".join(data) + packer.flush())
            + chunk(b"IEND", b""))


def wave(frames=b"\0\0" * 64, tag=1, channels=1, rate=8000, bits=16, fmt_size=16, data_size=None):
    """A RIFF WAVE file of these frames; every field can be made wrong on purpose."""
    fmt = struct.pack("<HHIIHH", tag, channels, rate, rate * channels * max(bits, 8) // 8,
                      channels * max(bits, 8) // 8, bits)
    fmt = (fmt + bytes(max(0, fmt_size - len(fmt))))[:fmt_size]
    size = len(frames) if data_size is None else data_size
    body = b"WAVE" + b"fmt " + struct.pack("<I", fmt_size) + fmt + b"data" + struct.pack("<I", size) + frames
    return b"RIFF" + struct.pack("<I", len(body)) + body


def tone(frequency, seconds=0.3, rate=22050, fade=0):
    """A mono 16-bit sine tone, rising from and falling to silence over
    `fade` samples at its ends when asked to (no click)."""
    count = int(rate * seconds)
    ramp = (lambda i: min(1.0, i / fade, (count - i) / fade)) if fade else (lambda i: 1.0)
    samples = [int(12000 * ramp(i) * math.sin(2 * math.pi * frequency * i / rate)) for i in range(count)]
    return wave(struct.pack("<%dh" % count, *samples), rate=rate)
