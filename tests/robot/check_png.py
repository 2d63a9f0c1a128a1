#!/usr/bin/env python3
"""The robot's PNG writer read back by zlib: every picture decodes to the
pixels written, and a flat picture is a small fraction of its raw size."""
import os
import struct
import subprocess
import sys
import tempfile
import zlib


def expected(width, height):
    out = bytearray()
    noise = 1
    for y in range(height):
        for x in range(width):
            if y < height // 3:
                out += bytes((40, 80, 120))
            elif y < 2 * height // 3:
                out += bytes((x & 255, y & 255, (x + y) & 255))
            else:
                for _ in range(3):
                    noise = (noise * 1103515245 + 12345) & 0xFFFFFFFF
                    out.append(noise >> 24)
    return bytes(out)


def decode(data):
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "signature"
    pos, idat, size = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        assert zlib.crc32(kind + body) == crc, f"CRC of {kind}"
        if kind == b"IHDR":
            size = struct.unpack(">II", body[:8])
            assert body[8:] == bytes((8, 2, 0, 0, 0)), "8-bit RGB"
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height = size
    raw = zlib.decompress(idat)
    stride = 1 + 3 * width
    assert len(raw) == stride * height, "rows"
    assert all(raw[y * stride] == 0 for y in range(height)), "filter none"
    return width, height, b"".join(raw[y * stride + 1:(y + 1) * stride] for y in range(height))


def main():
    sample = sys.argv[1]
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        for width, height in [(1, 1), (2, 3), (7, 5), (300, 9), (640, 480), (1024, 768)]:
            path = os.path.join(folder, f"{width}x{height}.png")
            subprocess.run([sample, path, str(width), str(height)], check=True)
            data = open(path, "rb").read()
            got = decode(data)
            if got != (width, height, expected(width, height)):
                print(f"{width}x{height}: pixels differ")
                failures += 1
            # Two thirds flat or smooth: far below the raw size.
            raw = 3 * width * height
            if raw > 100000 and len(data) > raw // 2:
                print(f"{width}x{height}: {len(data)} bytes of {raw} raw")
                failures += 1
            print(f"{width}x{height}: {len(data)} bytes")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
