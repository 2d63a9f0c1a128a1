#!/usr/bin/env python3
"""Draws the project's icons (our own artwork) and writes them as .ico files.

Run it after changing a drawing; the outputs are committed beside the
program they belong to:  python3 scripts/make-art.py
"""
import math
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def supersample(shade, size, factor=4):
    """Renders shade(x, y) -> (r, g, b, a) floats in 0..1 over the unit square."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(factor):
                for sx in range(factor):
                    x = (px + (sx + 0.5) / factor) / size
                    y = (py + (sy + 0.5) / factor) / size
                    r, g, b, a = shade(x, y)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = factor * factor
            a = acc[3] / n
            if a > 0:
                row.append((acc[0] / acc[3], acc[1] / acc[3], acc[2] / acc[3], a))
            else:
                row.append((0.0, 0.0, 0.0, 0.0))
        rows.append(row)
    return rows


def over(top, bottom):
    r1, g1, b1, a1 = top
    r2, g2, b2, a2 = bottom
    a = a1 + a2 * (1 - a1)
    if a == 0:
        return (0.0, 0.0, 0.0, 0.0)
    mix = lambda c1, c2: (c1 * a1 + c2 * a2 * (1 - a1)) / a
    return (mix(r1, r2), mix(g1, g2), mix(b1, b2), a)


def hsv(h, s, v):
    i = int(h * 6) % 6
    f = h * 6 - int(h * 6)
    p, q, t = v * (1 - s), v * (1 - f * s), v * (1 - (1 - f) * s)
    return [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][i]


def rings(x, y):
    """The saver: three tilted, semi-transparent rings on a night-blue disc."""
    cx, cy = x - 0.5, y - 0.5
    r = math.hypot(cx, cy)
    pixel = (0.0, 0.0, 0.0, 0.0)
    if r < 0.48:
        pixel = (0.02, 0.03, 0.18 + 0.25 * (0.48 - r), 1.0)
    for k, (tilt, hue) in enumerate([(0.0, 0.55), (1.05, 0.85), (2.1, 0.12)]):
        c, s = math.cos(tilt), math.sin(tilt)
        u, v = cx * c + cy * s, (-cx * s + cy * c) * 2.6
        d = abs(math.hypot(u, v) - 0.36)
        if d < 0.045:
            rr, gg, bb = hsv(hue, 0.7, 1.0)
            pixel = over((rr, gg, bb, 0.85 * (1 - d / 0.045) ** 0.5), pixel)
    if r < 0.07:
        pixel = over((1.0, 1.0, 0.9, 1.0), pixel)
    return pixel


def rings_small(x, y):
    """The saver at 16 x 16: the same rings, fewer and bolder, drawn for
    whole pixels (thin translucent rings would blur into a blob there)."""
    cx, cy = x - 0.5, y - 0.5
    r = math.hypot(cx, cy)
    pixel = (0.0, 0.0, 0.0, 0.0)
    if r < 0.5:
        pixel = (0.03, 0.05, 0.3, 1.0)
    for tilt, hue in [(0.0, 0.55), (1.05, 0.85), (2.1, 0.12)]:
        c, s = math.cos(tilt), math.sin(tilt)
        u, v = cx * c + cy * s, (-cx * s + cy * c) * 2.4
        if abs(math.hypot(u, v) - 0.4) < 0.06:
            pixel = hsv(hue, 0.75, 1.0) + (1.0,)
    if r < 0.1:
        pixel = (1.0, 1.0, 0.85, 1.0)
    return pixel


def glimmer(x, y):
    """The kit: a four-pointed glimmer star over a violet glow. Glow and star
    are opaque, with a golden rim to the star, so that the picture holds on
    systems that draw icons through their mask alone and in 16 colours."""
    cx, cy = x - 0.5, y - 0.5
    r = math.hypot(cx, cy)
    ax, ay = abs(cx), abs(cy)
    pixel = (0.0, 0.0, 0.0, 0.0)
    if r < 0.4:
        t = r / 0.4
        pixel = (0.62 - 0.37 * t, 0.32 - 0.24 * t, 0.92 - 0.42 * t, 1.0)
    star = ax ** 0.5 + ay ** 0.5
    edge = 0.62 ** 0.5 * 0.95
    if star < edge:
        if star > edge - 0.09:
            pixel = (0.95, 0.7, 0.15, 1.0)
        else:
            t = max(0.0, 1 - r / 0.35)
            pixel = (1.0, 0.95, 0.55 + 0.45 * t, 1.0)
    return pixel


def corners(x, y):
    """Quadrix: a monitor whose four screen corners glow."""
    pixel = (0.0, 0.0, 0.0, 0.0)
    # stand and foot
    if 0.44 < x < 0.56 and 0.72 < y < 0.84:
        pixel = (0.45, 0.45, 0.5, 1.0)
    if 0.28 < x < 0.72 and 0.82 < y < 0.9:
        pixel = (0.45, 0.45, 0.5, 1.0)
    # case and screen
    if 0.06 < x < 0.94 and 0.1 < y < 0.76:
        pixel = (0.78, 0.78, 0.82, 1.0)
    if 0.13 < x < 0.87 and 0.16 < y < 0.69:
        pixel = (0.05, 0.1, 0.35, 1.0)
        for (qx, qy, hue) in [(0.13, 0.16, 0.33), (0.87, 0.16, 0.0),
                              (0.87, 0.69, 0.33), (0.13, 0.69, 0.0)]:
            d = math.hypot(x - qx, (y - qy) * 1.2)
            if d < 0.2:
                rr, gg, bb = hsv(hue, 0.85, 1.0)
                pixel = over((rr, gg, bb, (1 - d / 0.2) ** 1.5), pixel)
    return pixel


# The sixteen colours every Windows display has: an icon's 16-colour images
# use them as they stand. Black comes first, for the pixels under the mask.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def colour_cube():
    """256 colours: the sixteen, a 6 x 6 x 6 cube (close to the halftone
    palette Windows draws 256-colour icons with) and greys."""
    colours = list(VGA)
    levels = (0, 51, 102, 153, 204, 255)
    for r in levels:
        for g in levels:
            for b in levels:
                if (r, g, b) not in colours:
                    colours.append((r, g, b))
    for step in range(1, 64):
        grey = (step * 255) // 64
        if len(colours) < 256 and (grey, grey, grey) not in colours:
            colours.append((grey, grey, grey))
    return colours


PALETTES = {4: VGA, 8: colour_cube()}


def nearest(palette, rgb):
    r, g, b = (round(c * 255) for c in rgb)
    return min(range(len(palette)),
               key=lambda i: 2 * (palette[i][0] - r) ** 2 + 4 * (palette[i][1] - g) ** 2
               + 3 * (palette[i][2] - b) ** 2)


def dib(rows, bits=32):
    """An icon image of 4, 8 or 32 bits: BITMAPINFOHEADER, bottom-up pixels,
    AND mask. Windows 95, 98 and NT 4 ignore alpha and draw an icon through
    its mask alone (screen AND mask, then XOR colour): a pixel of alpha below
    one half is masked out, and its colour is black so the XOR leaves the
    screen as it is."""
    size = len(rows)
    palette = PALETTES.get(bits, [])
    indices = [[nearest(palette, (r, g, b)) if a >= 0.5 else 0 for r, g, b, a in row]
               for row in rows] if palette else []
    if bits == 8:
        # Only the colours the image uses (black first, under the mask): the
        # pixels are the same, the table a fraction of 256 entries.
        used = sorted({i for row in indices for i in row} | {0})
        renumber = {old: new for new, old in enumerate(used)}
        indices = [[renumber[i] for i in row] for row in indices]
        palette = [palette[i] for i in used]
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0,
                         len(palette), 0)
    table = b"".join(bytes([b, g, r, 0]) for r, g, b in palette)
    stride = ((size * bits + 31) // 32) * 4
    pixels = bytearray()
    for y in reversed(range(size)):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(rows[y]):
            if bits == 32:
                rgb = (r, g, b) if a >= 0.5 else (0.0, 0.0, 0.0)
                line[4 * x:4 * x + 4] = bytes([round(rgb[2] * 255), round(rgb[1] * 255),
                                               round(rgb[0] * 255), round(a * 255)])
            else:
                bit = x * bits
                line[bit // 8] |= indices[y][x] << (8 - bits - bit % 8)
        pixels += line
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 0.5:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + table + bytes(pixels) + bytes(mask)


# The sizes that get 16- and 256-colour images beside the 32-bit one: those
# the systems without alpha draw.
LOW_COLOUR_SIZES = (16, 32)


def write_ico(path, shade, sizes=(32, 16, 48), small=None):
    """Writes an icon of shade(x, y) at each size: 32-bit images, plus 4- and
    8-bit ones at 16 and 32. small, when given, is the drawing for 16 x 16
    and below, where fine detail would blur."""
    entries = []
    for s in sizes:
        rows = supersample(small if small and s <= 16 else shade, s)
        for bits in ((4, 8, 32) if s in LOW_COLOUR_SIZES else (32,)):
            entries.append((s, bits, dib(rows, bits)))
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for s, bits, data in entries:
        colours = (1 << bits) % 256 if bits <= 8 else 0
        out += struct.pack("<BBBBHHII", s % 256, s % 256, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    for _, _, data in entries:
        out += data
    with open(path, "wb") as f:
        f.write(out)


# Drawings made for 16 x 16 where the large one would blur.
SMALL = {
    "installer/art/saver.ico": rings_small,
}


# quadrix.dll's service: tray icons by state (16 x 16) and the feedback marks
# drawn in a corner (22 x 16 picture with its mask beside it in one bitmap).
STATE_COLOURS = {
    "idle": (0.55, 0.62, 0.75),
    "suppressed": (0.9, 0.16, 0.12),
    "pending": (1.0, 0.72, 0.1),
    "starting": (0.2, 0.85, 0.3),
    "failed": (0.6, 0.6, 0.6),
}


def state_symbol(state, u, v):
    """The state's sign in unit coordinates around (0, 0), radius about 1."""
    r = math.hypot(u, v)
    if state == "suppressed":  # a no-entry sign: ring and bar
        return 0.62 < r < 0.95 or (r < 0.95 and abs(u) < 0.7 and abs(v) < 0.2)
    if state == "pending":  # an hourglass
        return abs(v) < 0.9 and abs(u) < 0.75 * abs(v) + 0.08
    if state == "starting":  # a play triangle
        return -0.6 < u < 0.8 and abs(v) < 0.8 * (0.8 - u) / 1.4
    if state == "failed":  # a cross
        return r < 0.95 and min(abs(u - v), abs(u + v)) < 0.3
    return r < 0.35  # idle: a dot


def tray_icon(state):
    """A screen whose top-left corner carries the state's colour and sign."""
    colour = STATE_COLOURS[state]

    def shade(x, y):
        pixel = (0.0, 0.0, 0.0, 0.0)
        if 0.04 < x < 0.96 and 0.1 < y < 0.84:
            pixel = (0.8, 0.8, 0.85, 1.0)
        if 0.12 < x < 0.88 and 0.18 < y < 0.76:
            pixel = (0.06, 0.1, 0.3, 1.0)
        if 0.4 < x < 0.6 and 0.84 <= y < 0.94:
            pixel = (0.5, 0.5, 0.55, 1.0)
        u, v = (x - 0.42) / 0.34, (y - 0.44) / 0.34
        if math.hypot(u, v) < 1.15:
            pixel = over((0.0, 0.0, 0.0, 0.8), pixel)
        if state_symbol(state, u, v):
            pixel = (colour[0], colour[1], colour[2], 1.0)
        return pixel
    return shade


def mark_picture(state):
    """A small badge: a dark rounded plate with the state's sign."""
    colour = STATE_COLOURS[state]

    def shade(x, y):
        # the unit square holds 22 x 16 pixels: stretch x back
        px, py = x * 22, y * 16
        dx = max(abs(px - 11) - 3, 0.0)
        dy = max(abs(py - 8) - 0, 0.0)
        if math.hypot(dx, dy) > 7.5:
            return (0.0, 0.0, 0.0, 0.0)
        pixel = (0.08, 0.08, 0.12, 1.0)
        if math.hypot(dx, dy) > 6.3:
            pixel = (colour[0], colour[1], colour[2], 1.0)
        if state_symbol(state, (px - 11) / 5.5, (py - 8) / 5.5):
            pixel = (colour[0], colour[1], colour[2], 1.0)
        return pixel
    return shade


def write_mark_bmp(path, shade, width=22, height=16, factor=4):
    """A palette bitmap, picture left (black where clear) and mask right
    (black where the picture covers the screen, white where it leaves it)."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc, alpha = [0.0, 0.0, 0.0], 0.0
            for sy in range(factor):
                for sx in range(factor):
                    r, g, b, a = shade((px + (sx + 0.5) / factor) / width,
                                       (py + (sy + 0.5) / factor) / height)
                    acc = [acc[0] + r * a, acc[1] + g * a, acc[2] + b * a]
                    alpha += a
            alpha /= factor * factor
            colour = [c / (alpha * factor * factor) for c in acc] if alpha > 0 else [0, 0, 0]
            row.append((colour, alpha >= 0.5))
        rows.append(row)
    picture = []
    for row in rows:
        line = []
        for colour, opaque in row:
            r, g, b = colour if opaque else (0, 0, 0)
            line.append((round(r * 255), round(g * 255), round(b * 255)))
        line += [(0, 0, 0) if opaque else (255, 255, 255) for _, opaque in row]
        picture.append(line)
    write_indexed_bmp(path, picture)


SERVICE_ICONS = {"hotcorners/art/tray-%s.ico" % s: tray_icon(s) for s in STATE_COLOURS}
SERVICE_MARKS = {"hotcorners/art/mark-%s.bmp" % s: mark_picture(s)
                 for s in STATE_COLOURS if s != "idle"}


def write_service_art():
    os.makedirs(os.path.join(ROOT, "hotcorners/art"), exist_ok=True)
    write_ico(os.path.join(ROOT, "hotcorners/art/quadrix.ico"), corners)
    # The service loads its tray icons at 16 x 16 only: a larger image
    # would never be drawn.
    for name, shade in SERVICE_ICONS.items():
        write_ico(os.path.join(ROOT, name), shade, sizes=(16,))
    for name, shade in SERVICE_MARKS.items():
        write_mark_bmp(os.path.join(ROOT, name), shade)



# The corner picker of quadrix.dll (and the saver's own corner control):
# a monitor picture with its mask beside it, and the three corner markers.
# Shades take pixel coordinates; bitmaps are palette BMP files.
def render(shade, width, height, factor=4):
    """Renders shade(x, y) -> (r, g, b, a) over width x height pixels."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(factor):
                for sx in range(factor):
                    r, g, b, a = shade(px + (sx + 0.5) / factor, py + (sy + 0.5) / factor)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3] / (factor * factor)
            row.append((acc[0] / acc[3], acc[1] / acc[3], acc[2] / acc[3], a) if a > 0
                       else (0.0, 0.0, 0.0, 0.0))
        rows.append(row)
    return rows


def rle8(lines):
    """BI_RLE8 data of bottom-up rows of palette indices: runs of a repeated
    index, literal stretches of at least three between them, an end-of-line
    code after each row and end-of-bitmap at the end."""
    out = bytearray()
    for line in lines:
        i, literal = 0, []

        def flush():
            if len(literal) >= 3:
                out.extend([0, len(literal)] + literal + ([0] if len(literal) % 2 else []))
            else:
                for index in literal:
                    out.extend([1, index])
            literal.clear()
        while i < len(line):
            run = 1
            while i + run < len(line) and line[i + run] == line[i] and run < 255:
                run += 1
            if run >= 3:
                flush()
                out.extend([run, line[i]])
            else:
                literal.extend(line[i:i + run])
                if len(literal) >= 250:
                    flush()
            i += run
        flush()
        out.extend([0, 0])
    out[-2:] = bytes([0, 1])
    return bytes(out)


def write_indexed_bmp(path, rows):
    """A palette BMP of rows of (r, g, b) bytes holding at most 256 colours:
    4 bits a pixel for up to 16 colours, else 8, and run-length coded when
    that is smaller. Exactly the colours given: nothing is lost."""
    colours = sorted({pixel for row in rows for pixel in row})
    assert len(colours) <= 256, path
    index = {colour: i for i, colour in enumerate(colours)}
    height, width = len(rows), len(rows[0])
    bits = 4 if len(colours) <= 16 else 8
    lines = [[index[pixel] for pixel in row] for row in reversed(rows)]
    stride = (width * bits + 31) // 32 * 4
    pixels = bytearray()
    for line in lines:
        if bits == 4:
            line = line + [0] * (len(line) % 2)
            packed = bytes(line[i] << 4 | line[i + 1] for i in range(0, len(line), 2))
        else:
            packed = bytes(line)
        pixels += packed + bytes(stride - len(packed))
    compression = 0
    if bits == 8:
        coded = rle8(lines)
        if len(coded) < len(pixels):
            pixels, compression = coded, 1
    palette = b"".join(bytes([b, g, r, 0]) for r, g, b in colours)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(pixels), 2835,
                       2835, len(colours), 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + palette + bytes(pixels))


def write_bmp(path, rows):
    """A palette BMP of opaque (r, g, b) rows of 0..1 values."""
    write_indexed_bmp(path, [[tuple(round(c * 255) for c in pixel) for pixel in row]
                             for row in rows])


def rounded_box(x, y, left, top, right, bottom, radius):
    """True inside the rectangle with rounded corners."""
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return math.hypot(x - cx, y - cy) <= radius


def monitor(x, y):
    """The picker's monitor, 184 x 170: its screen (16, 17)-(169, 130) is
    painted over with the desktop colour by the control."""
    pixel = (0.0, 0.0, 0.0, 0.0)
    if rounded_box(x, y, 56, 155, 128, 168, 4):          # foot
        pixel = (0.52, 0.52, 0.56, 1.0)
    if 80 <= x <= 104 and 142 <= y <= 158:                # neck
        shade = 0.5 + 0.1 * (1 - abs(x - 92) / 12)
        pixel = (shade, shade, shade + 0.04, 1.0)
    if rounded_box(x, y, 4, 5, 181, 145, 7):              # case, lit from above
        t = (y - 5) / 140
        shade = 0.86 - 0.14 * t
        pixel = (shade, shade, shade + 0.03, 1.0)
        if not rounded_box(x, y, 6, 7, 179, 143, 6):
            pixel = (0.5, 0.5, 0.55, 1.0)
    if 13 <= x <= 172 and 14 <= y <= 133:                 # bezel around the screen
        pixel = (0.3, 0.3, 0.34, 1.0)
    if math.hypot(x - 164, y - 138) < 2.2:                # power light
        pixel = (0.2, 0.85, 0.3, 1.0)
    return pixel


def monitor_with_mask(width=184, height=170):
    """Picture left (black where transparent), mask right (white there)."""
    rows = render(monitor, width, height)
    out = []
    for row in rows:
        picture = [(r, g, b) if a >= 0.5 else (0.0, 0.0, 0.0) for r, g, b, a in row]
        mask = [(0.0, 0.0, 0.0) if a >= 0.5 else (1.0, 1.0, 1.0) for _, _, _, a in row]
        out.append(picture + mask)
    return out


def marker(fill, sign):
    """A 24 x 22 tile in the fill colour with a white sign(x, y) on it."""
    def shade(x, y):
        pixel = (0.0, 0.0, 0.0, 0.0)
        if rounded_box(x, y, 1, 1, 23, 21, 4):
            t = y / 22
            pixel = tuple(c * (1.1 - 0.3 * t) for c in fill) + (1.0,)
            pixel = tuple(min(1.0, c) for c in pixel)
            if not rounded_box(x, y, 2, 2, 22, 20, 3):
                pixel = (0.15, 0.15, 0.15, 1.0)
            elif sign(x - 12, y - 11):
                pixel = (1.0, 1.0, 1.0, 1.0)
        return pixel
    return shade


def sign_default(x, y):
    return abs(y) < 1.6 and abs(x) < 6            # a dash: nothing happens


def sign_now(x, y):
    return -4 < x < 6 and abs(y) < (6 - x) * 0.55  # play: start the saver


def sign_never(x, y):
    r = math.hypot(x, y)
    return 4.2 < r < 7 or (r < 7 and abs(x + y) < 1.6)  # no entry


def flatten(rows, backdrop=(0.0, 0.5, 0.5)):
    """Opaque rows: partial alpha over the desktop colour of a fresh system."""
    return [[tuple(c * a + d * (1 - a) for c, d in zip((r, g, b), backdrop)) for r, g, b, a in row]
            for row in rows]


PICKER_ART = {
    "hotcorners/art/monitor.bmp": monitor_with_mask,
    "hotcorners/art/marker-default.bmp": lambda: flatten(render(marker((0.62, 0.62, 0.66), sign_default), 24, 22)),
    "hotcorners/art/marker-now.bmp": lambda: flatten(render(marker((0.15, 0.62, 0.25), sign_now), 24, 22)),
    "hotcorners/art/marker-never.bmp": lambda: flatten(render(marker((0.8, 0.16, 0.14), sign_never), 24, 22)),
}


ART = {
    "installer/art/saver.ico": rings,
    "installer/art/kit.ico": glimmer,
    "installer/art/quadrix.ico": corners,
}

if __name__ == "__main__":
    for name, shade in ART.items():
        write_ico(os.path.join(ROOT, name), shade, small=SMALL.get(name))
        print("wrote", name, file=sys.stderr)
    write_service_art()
    print("wrote hotcorners/art", file=sys.stderr)
    for name, draw in PICKER_ART.items():
        write_bmp(os.path.join(ROOT, name), draw())
        print("wrote", name, file=sys.stderr)
