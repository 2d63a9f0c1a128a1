#!/usr/bin/env python3
"""Checks the hot-corners module's bitmaps as its drawing code uses them.

Each picture is stored beside its mask in one bitmap (picture left, mask
right). The module copies the screen, ANDs the mask over it, then XORs the
picture: so the mask may hold only black (the picture covers) and white (the
screen shows), and the picture must be black wherever the mask is white.
The files are palette bitmaps, the monitor run-length coded; this reader
decodes them on its own (1, 4 and 8 bits, RLE8 and RLE4), so a fault of the
writer in scripts/make-art.py shows here as well as on the screen.

Usage: check_bitmaps.py ROOT
"""
import os
import struct
import sys

# name: (width, height, has a mask half)
EXPECTED = {
    "monitor.bmp": (368, 170, True),
    "marker-default.bmp": (24, 22, False),
    "marker-now.bmp": (24, 22, False),
    "marker-never.bmp": (24, 22, False),
    "mark-suppressed.bmp": (44, 16, True),
    "mark-failed.bmp": (44, 16, True),
    "mark-starting.bmp": (44, 16, True),
    "mark-pending.bmp": (44, 16, True),
}
BLACK, WHITE = (0, 0, 0), (255, 255, 255)


def rle_rows(data, width, height, bits):
    """Decodes RLE8 or RLE4 into bottom-up rows of palette indices."""
    rows = [[0] * width for _ in range(height)]
    x = y = i = 0

    def put(index):
        nonlocal x
        if y >= height or x >= width:
            raise ValueError("run beyond the picture at row %d" % y)
        rows[y][x] = index
        x += 1

    def nibbles(byte, count):
        return [byte >> 4, byte & 15][:count] if bits == 4 else [byte]

    while i + 1 < len(data):
        count, value = data[i], data[i + 1]
        i += 2
        if count:
            for n in range(count):
                put(nibbles(value, 2)[n % 2] if bits == 4 else value)
        elif value == 0:
            x, y = 0, y + 1
        elif value == 1:
            return rows
        elif value == 2:
            x, y = x + data[i], y + data[i + 1]
            i += 2
        else:
            size = value if bits == 8 else (value + 1) // 2
            literal = data[i:i + size]
            for n in range(value):
                put(literal[n] if bits == 8 else nibbles(literal[n // 2], 2)[n % 2])
            i += size + (size % 2)
    raise ValueError("no end-of-bitmap code")


def read_bmp(path):
    """Rows from the top of (r, g, b)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError("not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    (size, width, height, planes, bits, compression, _, _, _, used) = struct.unpack_from(
        "<IiiHHIIiiI", data, 14)
    if size != 40 or planes != 1 or height <= 0 or bits not in (1, 4, 8):
        raise ValueError("not a bottom-up palette bitmap")
    colours = used or (1 << bits)
    palette = [tuple(reversed(data[54 + 4 * c:54 + 4 * c + 3])) for c in range(colours)]
    pixels = data[offset:]
    if compression in (1, 2):
        if (compression, bits) not in ((1, 8), (2, 4)):
            raise ValueError("compression %d with %d bits" % (compression, bits))
        rows = rle_rows(pixels, width, height, bits)
    elif compression == 0:
        stride = (width * bits + 31) // 32 * 4
        rows = []
        for y in range(height):
            line = pixels[y * stride:(y + 1) * stride]
            rows.append([(line[x * bits // 8] >> (8 - bits - x * bits % 8)) & ((1 << bits) - 1)
                         for x in range(width)])
    else:
        raise ValueError("compression %d" % compression)
    return [[palette[index] for index in row] for row in reversed(rows)]


def faults_of(path, width, height, masked):
    rows = read_bmp(path)
    if (len(rows[0]), len(rows)) != (width, height):
        return ["%d x %d, not %d x %d" % (len(rows[0]), len(rows), width, height)]
    if not masked:
        return []
    faults, half = [], width // 2
    for y, row in enumerate(rows):
        for x in range(half):
            picture, mask = row[x], row[half + x]
            if mask not in (BLACK, WHITE):
                faults.append("mask at (%d, %d) is %s, neither black nor white" % (x, y, mask))
            elif mask == WHITE and picture != BLACK:
                faults.append("picture at (%d, %d) is %s where the screen shows" % (x, y, picture))
    return faults


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    folder = os.path.join(root, "hotcorners", "art")
    total = 0
    for name, (width, height, masked) in sorted(EXPECTED.items()):
        try:
            faults = faults_of(os.path.join(folder, name), width, height, masked)
        except (OSError, ValueError, IndexError, struct.error) as error:
            faults = [str(error)]
        for fault in faults[:5]:
            print("%s: %s" % (name, fault))
        total += len(faults)
    print("%d bitmap(s) checked, %d fault(s)" % (len(EXPECTED), total))
    return 1 if total else 0


if __name__ == "__main__":
    sys.exit(main())
