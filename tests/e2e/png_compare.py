#!/usr/bin/env python3
"""Mean absolute difference per channel of two PNG pictures of the same size, in 1/255 units.

  png_compare.py A.png B.png    prints "r g b max_abs differing_pixels width height"
  png_compare.py A.png B.png W H X Y
                                the same within the W x H region whose top left corner is (X, Y)
  png_compare.py --mean A.png   prints the mean of each channel (0..1), "r g b width height"

Reads what codec/png_writer writes: 8-bit RGB, not interlaced, rows with filter type 0.
"""
import struct
import sys
import zlib


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"png_compare: {path}: not a PNG file")
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    if header is None or header[2:] != (8, 2, 0, 0, 0):
        sys.exit(f"png_compare: {path}: not 8-bit RGB without interlace")
    width, height = header[0], header[1]
    raw = zlib.decompress(idat)
    row = width * 3
    if len(raw) != (row + 1) * height:
        sys.exit(f"png_compare: {path}: wrong amount of pixel data")
    pixels = bytearray()
    for y in range(height):
        if raw[(row + 1) * y] != 0:
            sys.exit(f"png_compare: {path}: row filter other than 0")
        pixels += raw[(row + 1) * y + 1:(row + 1) * (y + 1)]
    return width, height, pixels


def crop(width, height, pixels, w, h, x, y):
    if w < 1 or h < 1 or x < 0 or y < 0 or x + w > width or y + h > height:
        sys.exit(f"png_compare: region {w}x{h}+{x}+{y} is not inside {width}x{height}")
    out = bytearray()
    for row in range(y, y + h):
        out += pixels[3 * (row * width + x):3 * (row * width + x + w)]
    return w, h, out


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--mean":
        w, h, a = read_png(sys.argv[2])
        means = [sum(a[c::3]) / (255.0 * w * h) for c in range(3)]
        print(" ".join(f"{m:.4f}" for m in means), w, h)
        return
    if len(sys.argv) not in (3, 7):
        sys.exit("usage: png_compare.py A.png B.png [W H X Y] | --mean A.png")
    wa, ha, a = read_png(sys.argv[1])
    wb, hb, b = read_png(sys.argv[2])
    if (wa, ha) != (wb, hb):
        sys.exit(f"png_compare: sizes differ: {wa}x{ha} and {wb}x{hb}")
    if len(sys.argv) == 7:
        region = [int(v) for v in sys.argv[3:7]]
        wb, hb, b = crop(wa, ha, b, *region)
        wa, ha, a = crop(wa, ha, a, *region)
    sums = [0, 0, 0]
    largest = 0
    differing = 0
    for p in range(wa * ha):
        d = [abs(a[3 * p + c] - b[3 * p + c]) for c in range(3)]
        for c in range(3):
            sums[c] += d[c]
        largest = max(largest, max(d))
        differing += any(d)
    n = wa * ha
    print(" ".join(f"{s / n:.4f}" for s in sums), largest, differing, wa, ha)


main()
