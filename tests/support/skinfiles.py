"""Writers for the files a skin folder holds: bitmaps (good and hostile),
tones as WAV files and hotspot files. Python's standard library only."""

import math
import struct
import wave

KEY = (255, 0, 255)


def bmp_file(width, height, pixel_data, bits=24, table=b"", clr_used=0, compression=0, info_size=40):
    """A BMP file: the file header, a 40-byte info header of these fields
    (biSize says info_size), the colour table and the pixel data as given."""
    info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression, len(pixel_data),
                       2835, 2835, clr_used, 0)
    offset = 14 + len(info) + len(table)
    return b"BM" + struct.pack("<IHHI", offset + len(pixel_data), 0, 0, offset) + info + table + pixel_data


def bitmap_bytes(pixels, bits=24, height_sign=1, clr_used=0, compression=0):
    """A bottom-up BMP of `pixels` (rows top to bottom of (r, g, b)); -1 as
    height_sign stores it top-down. bits 8 writes a grey 256-entry colour
    table and the red channel as index; clr_used puts an unused colour table
    of that many entries before the pixels of a 24- or 32-bit picture;
    compression only marks the uncompressed pixels as compressed."""
    height = len(pixels)
    width = len(pixels[0])
    row_bytes = (width * bits // 8 + 3) // 4 * 4
    rows = []
    for row in reversed(pixels) if height_sign > 0 else pixels:
        if bits == 24:
            data = b"".join(bytes((b, g, r)) for r, g, b in row)
        elif bits == 32:
            data = b"".join(bytes((b, g, r, 0)) for r, g, b in row)
        else:
            data = bytes(r for r, _, _ in row)
        rows.append(data + bytes(row_bytes - len(data)))
    table = b"".join(bytes((i, i, i, 0)) for i in range(256)) if bits == 8 else bytes(4 * clr_used)
    return bmp_file(width, height * height_sign, b"".join(rows), bits, table, clr_used, compression)


def header_only_bitmap(width, height, bits=24, info_size=40, clr_used=0):
    """A BMP whose header promises a picture but that carries no pixel data."""
    return bmp_file(width, height, b"", bits, clr_used=clr_used, info_size=info_size)


def hostile_bitmaps():
    """Files that start like bitmaps and lie about their size: name -> bytes."""
    return {
        "only-the-signature": b"BM",
        "file-header-only": header_only_bitmap(4, 4)[:14],
        "info-header-cut-short": header_only_bitmap(4, 4)[:30],
        "huge-info-size": header_only_bitmap(2, 2, info_size=0xFFFFFFF0) + bytes(16),
        "huge-colour-count": header_only_bitmap(2, 2, clr_used=0xFFFFFFFF) + bytes(16),
        "width-0x40000000": header_only_bitmap(0x40000000, 1),
        "4000x4000-without-pixels": header_only_bitmap(4000, 4000),
        "pixels-cut-short": bitmap_bytes([[(1, 2, 3)] * 9] * 9)[:-30],
    }


def write_tone(path, frequency, seconds=0.3, rate=22050):
    """A mono 16-bit sine tone."""
    frames = b"".join(
        struct.pack("<h", int(12000 * math.sin(2 * math.pi * frequency * i / rate)))
        for i in range(int(rate * seconds)))
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(frames)


def patterned_skin(width, height, key_areas):
    """Pixels that differ from their neighbours, so a shifted or mirrored
    picture cannot pass for the right one; key_areas are (left, top, right,
    bottom) boxes, right and bottom exclusive, painted in the key colour."""
    pixels = []
    for y in range(height):
        row = []
        for x in range(width):
            pixel = ((x * 5 + y) % 256, (y * 7 + 3 * x) % 256, (x * y + 11) % 251)
            if pixel == KEY:
                pixel = (254, 0, 255)
            if any(l <= x < r and t <= y < b for l, t, r, b in key_areas):
                pixel = KEY
            row.append(pixel)
        pixels.append(row)
    return pixels
