#!/usr/bin/env python3
"""Draws the program's icon, a disc with an upward arrow, as 16-colour PNG files.

The pictures are plain geometry evaluated at pixel centres, so the same script gives the same
bytes on every machine. Run it from any folder; it writes korvel-upgrade-48.png,
korvel-upgrade-32.png and korvel-upgrade-16.png next to itself (the 48-pixel one is for
desktops that install a larger icon).
"""
import math
import os
import struct
import zlib

# The 16 colours of the standard VGA palette.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
TRANSPARENT, BLACK, DARK_GREEN, GREY, SILVER, GREEN, CYAN, WHITE = 0, 0, 2, 8, 7, 10, 14, 15
# Index 0 doubles as the transparent background; the outline uses dark grey instead of black.
OUTLINE = 8
ARROW_EDGE = 2


def disc_pixel(x, y, size):
    centre = (size - 1) / 2.0
    radius = size / 2.0 - 0.5
    d = math.hypot(x - centre, y - centre)
    if d > radius:
        return None
    if d > radius - max(1.0, size / 32.0):
        return OUTLINE
    if d < size * 0.09:
        return None  # the centre hole shows the background
    if d < size * 0.16:
        return OUTLINE
    # A light band across the data area gives the pressed surface its sheen.
    if abs((x - centre) + (y - centre)) < size * 0.12 and d < radius * 0.8:
        return WHITE
    if (x - centre) - (y - centre) > size * 0.35:
        return CYAN
    return SILVER


def arrow_pixel(x, y, size):
    """An upward arrow in the lower right quarter: head triangle over a shaft."""
    s = size / 32.0
    left, right = 17 * s, 31 * s
    mid = (left + right - 1) / 2.0
    head_top, head_bottom = 14 * s, 22 * s
    shaft_half, shaft_bottom = max(2.6 * s, 2.0), 31 * s
    if head_top <= y < head_bottom:
        half = (y - head_top + 0.5) * (right - left) / 2.0 / (head_bottom - head_top)
        if abs(x - mid) <= half:
            return GREEN if abs(x - mid) <= half - 1.0 and y > head_top + s else ARROW_EDGE
    if head_bottom <= y < shaft_bottom and abs(x - mid) <= shaft_half:
        inner = abs(x - mid) <= shaft_half - 1.0 and y < shaft_bottom - 1.0
        return GREEN if inner else ARROW_EDGE
    return None


def picture(size):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            colour = arrow_pixel(x, y, size)
            if colour is None:
                colour = disc_pixel(x, y, size)
            row.append(TRANSPARENT if colour is None else colour)
        rows.append(row)
    return rows


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    raw = b""
    for row in rows:
        packed = bytes((row[i] << 4) | (row[i + 1] if i + 1 < width else 0)
                       for i in range(0, width, 2))
        raw += b"\x00" + packed
    header = struct.pack(">IIBBBBB", width, height, 4, 3, 0, 0, 0)  # 4-bit palette
    palette = b"".join(bytes(c) for c in PALETTE)
    alpha = bytes([0] + [255] * 15)  # index 0 is transparent
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(png_chunk(b"IHDR", header))
        out.write(png_chunk(b"PLTE", palette))
        out.write(png_chunk(b"tRNS", alpha))
        out.write(png_chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(png_chunk(b"IEND", b""))


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    for size in (48, 32, 16):
        write_png(os.path.join(here, "korvel-upgrade-%d.png" % size), picture(size))
