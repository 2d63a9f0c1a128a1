#!/usr/bin/env python3
"""Checks every icon of the project as the systems it runs on draw it.

Windows 95, 98 and NT 4 draw an icon through its AND mask alone: the screen
is ANDed with the mask, then the image's colour is XORed on top, so a pixel
shows its colour where the mask is clear and the screen where the mask is
set and the colour under it black. Later systems blend the 32-bit images by
their alpha. For each icon this check wants 16-colour, 256-colour and 32-bit
images at 16 x 16 and 32 x 32 (the tray icons at 16 x 16 alone), and for
every image it renders the mask-only picture over several backgrounds and
compares it with its alpha rendering (its colours blended by the alpha of
the 32-bit image of the same size):
no pixel may differ by more than half the contrast, which holds only where
the mask is the alpha cut at one half and the colour under the mask is
black. On average, each rendering must also stay close to the 32-bit
image's own alpha rendering (a palette image pays for its few colours).

Usage: check_icons.py [--preview DIR] ICON.ico|FOLDER...
A folder stands for every .ico file under it, outside build folders.
With --preview it also writes each rendering, enlarged, as a PPM file.
"""
import os
import struct
import sys

BACKGROUNDS = [(0, 0, 0), (255, 255, 255), (0, 128, 128), (192, 192, 192)]
SIZES = (16, 32)
# The tray icons, which the service loads at 16 x 16 only.
SMALL_ONLY = ("tray-",)
DEPTHS = (4, 8, 32)
# A pixel drawn through its mask is either its colour or the screen; where
# the alpha lies between, the two renderings may differ by half the
# contrast, no more.
MAX_PIXEL_ERROR = 128
# Partial alpha belongs to the edges only, and the palettes are coarse.
MAX_MEAN_ERROR = {32: 12, 8: 28, 4: 56}


class IconImage:
    def __init__(self, size, bits, pixels, mask):
        self.size = size      # width = height
        self.bits = bits
        self.pixels = pixels  # rows from the top of (r, g, b, a)
        self.mask = mask      # rows from the top of 0 (opaque) / 1 (screen)


def read_dib(data, size_hint):
    (header, width, height2, planes, bits, compression) = struct.unpack_from("<IiiHHI", data, 0)
    if header != 40 or planes != 1 or compression != 0:
        raise ValueError("not a plain BITMAPINFOHEADER image")
    if width != size_hint or height2 != 2 * width:
        raise ValueError("size %d x %d does not match the directory" % (width, height2 // 2))
    size = width
    offset = header
    palette = []
    if bits <= 8:
        colours = struct.unpack_from("<I", data, 32)[0] or (1 << bits)
        for i in range(colours):
            b, g, r, _ = data[offset + 4 * i: offset + 4 * i + 4]
            palette.append((r, g, b, 255))
        offset += 4 * colours
    stride = ((size * bits + 31) // 32) * 4
    rows = []
    for y in range(size):
        row_at = offset + (size - 1 - y) * stride
        row = []
        for x in range(size):
            if bits == 32:
                b, g, r, a = data[row_at + 4 * x: row_at + 4 * x + 4]
                row.append((r, g, b, a))
            elif bits == 24:
                b, g, r = data[row_at + 3 * x: row_at + 3 * x + 3]
                row.append((r, g, b, 255))
            else:
                bit = x * bits
                index = (data[row_at + bit // 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1)
                row.append(palette[index])
        rows.append(row)
    offset += stride * size
    mask_stride = ((size + 31) // 32) * 4
    if len(data) < offset + mask_stride * size:
        raise ValueError("the AND mask is missing")
    mask = []
    for y in range(size):
        row_at = offset + (size - 1 - y) * mask_stride
        mask.append([(data[row_at + x // 8] >> (7 - x % 8)) & 1 for x in range(size)])
    return IconImage(size, bits, rows, mask)


def read_ico(path):
    with open(path, "rb") as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise ValueError("not an icon file")
    images = []
    for i in range(count):
        w, _, colours, _, _, bits, length, offset = struct.unpack_from("<BBBBHHII", data,
                                                                        6 + 16 * i)
        image = read_dib(data[offset:offset + length], w or 256)
        if image.bits != bits:
            raise ValueError("directory says %d bits, image has %d" % (bits, image.bits))
        if image.bits <= 8 and colours != (1 << image.bits) % 256:
            raise ValueError("directory colour count %d for %d bits" % (colours, image.bits))
        images.append(image)
    return images


def mask_rendering(image, background):
    """What a system without alpha shows: (screen AND mask) XOR colour."""
    out = []
    for y in range(image.size):
        row = []
        for x in range(image.size):
            r, g, b, _ = image.pixels[y][x]
            screen = background if image.mask[y][x] else (0, 0, 0)
            row.append((screen[0] ^ r, screen[1] ^ g, screen[2] ^ b))
        out.append(row)
    return out


def alpha_rendering(image, alpha_of, background):
    """The image's colours blended over the background by the alpha of
    alpha_of, as a system with alpha shows a 32-bit image."""
    out = []
    for row, alpha_row in zip(image.pixels, alpha_of.pixels):
        out.append([tuple(round(c * a / 255 + k * (255 - a) / 255)
                          for c, k in zip((r, g, b), background))
                    for (r, g, b, _), (_, _, _, a) in zip(row, alpha_row)])
    return out


def compare(got, want):
    worst, total, count = 0, 0, 0
    for got_row, want_row in zip(got, want):
        for p, q in zip(got_row, want_row):
            d = max(abs(a - b) for a, b in zip(p, q))
            worst = max(worst, d)
            total += d
            count += 1
    return worst, total / count


def write_ppm(path, picture):
    size = len(picture)
    zoom = max(1, 128 // size)
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (size * zoom, size * zoom))
        for row in picture:
            line = b"".join(bytes(p) * zoom for p in row)
            f.write(line * zoom)


def check(path, preview=None):
    """The faults of one icon file, as text lines."""
    faults = []
    name = os.path.basename(path)
    try:
        images = read_ico(path)
    except (ValueError, struct.error, IndexError) as e:
        return ["%s: %s" % (name, e)]
    found = {(i.size, i.bits): i for i in images}
    sizes = (16,) if name.startswith(SMALL_ONLY) else SIZES
    for size in sizes:
        for bits in DEPTHS:
            if (size, bits) not in found:
                faults.append("%s: no %d-bit image at %d x %d" % (name, bits, size, size))
    for image in images:
        reference = found.get((image.size, 32))
        if reference is None:
            faults.append("%s: no 32-bit image at %d x %d to compare with"
                          % (name, image.size, image.size))
            continue
        for background in BACKGROUNDS:
            got = mask_rendering(image, background)
            own = alpha_rendering(image, reference, background)
            want = alpha_rendering(reference, reference, background)
            worst, _ = compare(got, own)
            _, mean = compare(got, want)
            label = "%s: %d x %d, %d bits, over %s" % (name, image.size, image.size, image.bits,
                                                        background)
            if worst > MAX_PIXEL_ERROR:
                faults.append("%s: a pixel differs by %d from its alpha rendering" % (label, worst))
            if mean > MAX_MEAN_ERROR.get(image.bits, 12):
                faults.append("%s: pixels differ by %.1f on average from the 32-bit image"
                              % (label, mean))
            if preview:
                stem = "%s-%d-%d-%02x%02x%02x" % ((name, image.size, image.bits) + background)
                write_ppm(os.path.join(preview, stem + "-mask.ppm"), got)
                write_ppm(os.path.join(preview, stem + "-alpha.ppm"), want)
    return faults


def icon_files(folder):
    found = []
    for parent, folders, files in os.walk(folder):
        folders[:] = sorted(f for f in folders if not f.startswith(".") and f != "build")
        found += [os.path.join(parent, f) for f in sorted(files) if f.lower().endswith(".ico")]
    return found


def main(argv):
    preview = None
    if len(argv) > 2 and argv[1] == "--preview":
        preview = argv[2]
        argv = argv[2:]
    paths = []
    for arg in argv[1:]:
        paths += icon_files(arg) if os.path.isdir(arg) else [arg]
    if not paths:
        print(__doc__, file=sys.stderr)
        return 2
    faults = []
    for path in paths:
        faults += check(path, preview)
    for fault in faults:
        print(fault)
    print("%d icon(s) checked, %d fault(s)" % (len(paths), len(faults)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
