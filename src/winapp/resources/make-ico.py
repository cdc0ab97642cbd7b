#!/usr/bin/env python3
"""Packs the program's 16-colour PNG pictures into one Windows icon file (.ico).

    make-ico.py OUTPUT.ico INPUT-32.png INPUT-16.png ...

Each input must be a palette PNG of at most 16 colours (src/app/resources/make-icons.py draws
them); its palette entries with alpha 0 become the transparent pixels of the icon's mask. The
icon holds one 4-bit image per input, in the order given, each a DIB with its XOR bitmap and
AND mask as Windows reads them.
"""
import struct
import sys
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
# Refuse pictures that no icon of this program has, rather than loop over an absurd size.
MAX_SIDE = 256


class PictureError(Exception):
    pass


def read_chunks(data):
    if not data.startswith(PNG_SIGNATURE):
        raise PictureError("not a PNG file")
    offset = len(PNG_SIGNATURE)
    while offset + 12 <= len(data):
        (length,) = struct.unpack(">I", data[offset:offset + 4])
        kind = data[offset + 4:offset + 8]
        body = data[offset + 8:offset + 8 + length]
        if len(body) != length:
            raise PictureError("chunk %r runs past the end of the file" % kind)
        yield kind, body
        if kind == b"IEND":
            return
        offset += 12 + length
    raise PictureError("no IEND chunk")


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def unfilter(raw, stride, height):
    """Undoes the PNG row filters; with fewer than 8 bits a pixel the byte distance is 1."""
    rows, previous, offset = [], bytes(stride), 0
    for _ in range(height):
        if offset + 1 + stride > len(raw):
            raise PictureError("image data too short")
        kind, line = raw[offset], bytearray(raw[offset + 1:offset + 1 + stride])
        offset += 1 + stride
        for i in range(stride):
            left = line[i - 1] if i > 0 else 0
            up = previous[i]
            upper_left = previous[i - 1] if i > 0 else 0
            if kind == 0:
                predictor = 0
            elif kind == 1:
                predictor = left
            elif kind == 2:
                predictor = up
            elif kind == 3:
                predictor = (left + up) // 2
            elif kind == 4:
                predictor = paeth(left, up, upper_left)
            else:
                raise PictureError("unknown row filter %d" % kind)
            line[i] = (line[i] + predictor) & 0xFF
        rows.append(bytes(line))
        previous = line
    return rows


def read_palette_png(path):
    """Returns (width, height, palette [(r, g, b)], transparent index set, rows of indices)."""
    with open(path, "rb") as source:
        data = source.read()
    header, palette, alpha, compressed = None, [], b"", b""
    for kind, body in read_chunks(data):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body) - 2, 3)]
        elif kind == b"tRNS":
            alpha = body
        elif kind == b"IDAT":
            compressed += body
    if header is None:
        raise PictureError("no IHDR chunk")
    width, height, depth, colour_type, _, _, interlace = header
    if colour_type != 3 or depth not in (1, 2, 4) or interlace != 0:
        raise PictureError("not a non-interlaced palette PNG of at most 16 colours")
    if not (0 < width <= MAX_SIDE and 0 < height <= MAX_SIDE):
        raise PictureError("size %dx%d is not an icon size" % (width, height))
    if not 0 < len(palette) <= 16:
        raise PictureError("palette of %d colours" % len(palette))
    stride = (width * depth + 7) // 8
    rows = unfilter(zlib.decompress(compressed), stride, height)
    per_byte = 8 // depth
    mask = (1 << depth) - 1
    pixels = []
    for line in rows:
        row = []
        for x in range(width):
            shift = 8 - depth * (x % per_byte + 1)
            index = (line[x // per_byte] >> shift) & mask
            if index >= len(palette):
                raise PictureError("pixel refers to palette entry %d of %d" % (index, len(palette)))
            row.append(index)
        pixels.append(row)
    transparent = {i for i, a in enumerate(alpha) if a == 0}
    return width, height, palette, transparent, pixels


def padded(row_bytes):
    return row_bytes + bytes(-len(row_bytes) % 4)


def icon_image(width, height, palette, transparent, pixels):
    """One icon image: BITMAPINFOHEADER (height doubled for the mask), 16 RGBQUADs, the 4-bit
    XOR bitmap and the 1-bit AND mask, both bottom-up with rows padded to 4 bytes."""
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    colours = palette + [(0, 0, 0)] * (16 - len(palette))
    quads = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    xor, and_mask = b"", b""
    for row in reversed(pixels):
        # A transparent pixel is black in the XOR bitmap, so the screen shows through unchanged.
        shown = [0 if index in transparent else index for index in row] + [0]
        xor += padded(bytes((shown[x] << 4) | (shown[x + 1] if x + 1 < width else 0)
                            for x in range(0, width, 2)))
        bits = bytearray((width + 7) // 8)
        for x, index in enumerate(row):
            if index in transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_mask += padded(bytes(bits))
    return info + quads + xor + and_mask


def icon_file(pictures):
    """ICONDIR, one ICONDIRENTRY a picture, then the images in the same order."""
    images = [icon_image(*picture) for picture in pictures]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for (width, height, *_), image in zip(pictures, images):
        # A side of 256 is written as 0 in the one-byte fields.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 16, 0, 1, 4,
                               len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main(arguments):
    if len(arguments) < 2:
        sys.stderr.write("usage: make-ico.py OUTPUT.ico INPUT.png...\n")
        return 2
    output, inputs = arguments[0], arguments[1:]
    try:
        pictures = [read_palette_png(path) for path in inputs]
    except (OSError, PictureError, zlib.error) as error:
        sys.stderr.write("make-ico.py: %s\n" % error)
        return 1
    with open(output, "wb") as target:
        target.write(icon_file(pictures))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
