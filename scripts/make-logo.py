#!/usr/bin/env python3
"""Draws the saver's built-in logo (our own artwork): a 256 x 256 picture in
24-bit colour that the rings carry on one of their discs.

Run it after changing the drawing; the output is committed beside the saver:
    python3 scripts/make-logo.py     (writes saver/art/logo.bmp and logo.pack)

logo.bmp is the picture as a plain bitmap, to look at and to test against;
the saver carries logo.pack, the same pixels without loss in a quarter of the
room (saver/rings/logo_pack.h reads it): each colour channel is predicted
from its left, upper and upper-left neighbours (left + upper - upper-left,
clamped), and the differences (modulo 256) are Huffman coded, one code per
channel. A smooth drawing like this one has thousands of colours, so a
256-colour bitmap would lose some, and RLE has no runs to find.
"""
import heapq
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


def code_lengths(counts):
    """Huffman code lengths (symbol -> bits) for the symbols' counts."""
    heap = [(n, [s]) for s, n in counts.items() if n]
    if len(heap) == 1:
        return {heap[0][1][0]: 1}
    lengths = {s: 0 for _, (s,) in heap}
    heapq.heapify(heap)
    while len(heap) > 1:
        n1, s1 = heapq.heappop(heap)
        n2, s2 = heapq.heappop(heap)
        for s in s1 + s2:
            lengths[s] += 1
        heapq.heappush(heap, (n1 + n2, s1 + s2))
    if max(lengths.values()) > 24:
        sys.exit("make-logo: a code is longer than the reader takes (24 bits)")
    return lengths


def canonical(lengths):
    """symbol -> (code, bits), codes assigned in (length, symbol) order."""
    codes, code, previous = {}, 0, 0
    for s in sorted(lengths, key=lambda s: (lengths[s], s)):
        code <<= lengths[s] - previous
        codes[s] = (code, lengths[s])
        previous = lengths[s]
        code += 1
    return codes


def differences(rows):
    """Per channel, each sample minus its prediction, modulo 256, in the
    order the reader decodes them (rows from the top, R, G, B per pixel)."""
    height, width = len(rows), len(rows[0])
    out = []
    for y in range(height):
        for x in range(width):
            for c in range(3):
                a = rows[y][x - 1][c] if x else 0
                b = rows[y - 1][x][c] if y else 0
                d = rows[y - 1][x - 1][c] if x and y else 0
                guess = max(0, min(255, a + b - d))
                out.append((c, (rows[y][x][c] - guess) & 255))
    return out


def packed(rows):
    """The logo as the saver carries it: "ORBL", width and height (16 bits
    each, little-endian), 3 x 256 code lengths (R, G, B; 0 for an unused
    difference), then the codes, most significant bit first."""
    diffs = differences(rows)
    tables = []
    for c in range(3):
        counts = {}
        for channel, v in diffs:
            if channel == c:
                counts[v] = counts.get(v, 0) + 1
        tables.append(code_lengths(counts))
    codes = [canonical(t) for t in tables]
    out = bytearray(b"ORBL" + struct.pack("<HH", len(rows[0]), len(rows)))
    for t in tables:
        out += bytes(t.get(v, 0) for v in range(256))
    bits, count = 0, 0
    for c, v in diffs:
        code, length = codes[c][v]
        bits, count = (bits << length) | code, count + length
        while count >= 8:
            count -= 8
            out.append((bits >> count) & 255)
        bits &= (1 << count) - 1
    if count:
        out.append((bits << (8 - count)) & 255)
    return bytes(out)


def main():
    folder = os.path.join(ROOT, "saver", "art")
    if len(sys.argv) > 1:
        folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    rows = render(SIZE)
    for name, data in (("logo.bmp", bitmap(rows)), ("logo.pack", packed(rows))):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        print(os.path.join(folder, name), len(data))


if __name__ == "__main__":
    main()
