#!/usr/bin/env python3
"""Draws the saver's built-in logo (our own artwork): a 256 x 256, 24-bit
bitmap that the rings carry on one of their discs.

Run it after changing the drawing; the output is committed beside the saver:
    python3 scripts/make-logo.py            (writes saver/art/logo.bmp)
"""
import math
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SIZE = 256


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def orbit(u, v, tilt, radius, squash):
    """Distance of (u, v) from an ellipse turned by tilt."""
    c, s = math.cos(tilt), math.sin(tilt)
    x, y = u * c + v * s, (-u * s + v * c) / squash
    return abs(math.hypot(x, y) - radius) * squash


def shade(x, y):
    """The logo at (x, y) in the unit square, as (r, g, b) in 0..1."""
    u, v = x - 0.5, y - 0.5
    r = math.hypot(u, v)
    # Night sky: violet in the middle, deep blue towards the rim.
    colour = mix((0.22, 0.08, 0.38), (0.02, 0.03, 0.14), min(1.0, r / 0.5))
    # Three orbits, each a soft band with a bright core.
    for tilt, tint in ((0.35, (1.0, 0.78, 0.25)), (1.40, (0.35, 0.85, 1.0)),
                       (2.45, (1.0, 0.40, 0.75))):
        d = orbit(u, v, tilt, 0.34, 0.42)
        if d < 0.03:
            colour = mix(colour, tint, (1 - d / 0.03) ** 1.5)
    # A small sun where the orbits meet, with a four-pointed glint.
    glow = max(0.0, 1 - r / 0.11) ** 2
    glint = max(0.0, 1 - abs(u) * 40) * max(0.0, 1 - abs(v) / 0.2) + \
        max(0.0, 1 - abs(v) * 40) * max(0.0, 1 - abs(u) / 0.2)
    colour = mix(colour, (1.0, 0.97, 0.85), min(1.0, glow + glint * 0.8))
    return colour


def render(size, factor=3):
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            for sy in range(factor):
                for sx in range(factor):
                    c = shade((px + (sx + 0.5) / factor) / size,
                              (py + (sy + 0.5) / factor) / size)
                    for i in range(3):
                        acc[i] += c[i]
            n = factor * factor
            row.append(tuple(max(0, min(255, int(a / n * 255 + 0.5))) for a in acc))
        rows.append(row)
    return rows


def bitmap(rows):
    """A bottom-up 24-bit BMP file (BITMAPINFOHEADER, no palette)."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels),
                       2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


def main():
    out = os.path.join(ROOT, "saver", "art", "logo.bmp")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    os.makedirs(os.path.dirname(out), exist_ok=True)
    with open(out, "wb") as f:
        f.write(bitmap(render(SIZE)))
    print(out)


if __name__ == "__main__":
    main()
