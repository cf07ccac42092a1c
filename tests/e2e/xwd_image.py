#!/usr/bin/env python3
"""Region statistics of X window dumps (xwd's format), for machines without ImageMagick.

  xwd_image.py mean FILE W H X Y         -> "r g b", the region's mean channels in 0..1
  xwd_image.py diff FILE_A FILE_B W H X Y -> the regions' root-mean-square difference in 0..1
  xwd_image.py ppm FILE OUT.ppm           -> the whole image as a binary PPM
  xwd_image.py png FILE OUT.png           -> the whole image as a PNG

Reads the ZPixmap dumps of 24- and 32-bit TrueColor windows that `xwd -silent` writes; the
region is clipped to the image. Only the standard library is used.
"""
import struct
import sys
import zlib


def read_xwd(path):
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 100:
        sys.exit(f"xwd_image: {path}: too short for a window dump")
    fields = struct.unpack(">25I", data[:100])
    header_size, version, pixmap_format = fields[0], fields[1], fields[2]
    width, height = fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14], fields[15], fields[16]
    ncolors = fields[19]
    if version != 7 or pixmap_format != 2 or bits_per_pixel not in (24, 32):
        sys.exit(f"xwd_image: {path}: not a 24/32-bit ZPixmap window dump")
    offset = header_size + 12 * ncolors
    if len(data) < offset + bytes_per_line * height:
        sys.exit(f"xwd_image: {path}: pixel data is short")
    step = bits_per_pixel // 8
    order = "big" if byte_order == 1 else "little"

    def channel(mask):
        shift = (mask & -mask).bit_length() - 1
        return shift, mask >> shift

    shifts = [channel(m) for m in (red_mask, green_mask, blue_mask)]

    def pixel(x, y):
        start = offset + y * bytes_per_line + x * step
        value = int.from_bytes(data[start:start + step], order)
        return [((value >> s) & m) / m for s, m in shifts]

    return width, height, pixel


def region(width, height, w, h, x, y):
    x0, y0 = max(0, x), max(0, y)
    x1, y1 = min(width, x + w), min(height, y + h)
    if x1 <= x0 or y1 <= y0:
        sys.exit("xwd_image: the region lies outside the image")
    return [(px, py) for py in range(y0, y1) for px in range(x0, x1)]


def png(width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    pixels = zlib.compress(b"".join(b"\0" + row for row in rows), 9)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", pixels) + chunk(b"IEND", b"")


def main(argv):
    if len(argv) == 7 and argv[1] == "mean":
        width, height, pixel = read_xwd(argv[2])
        points = region(width, height, *map(int, argv[3:7]))
        sums = [0.0, 0.0, 0.0]
        for px, py in points:
            for c, v in enumerate(pixel(px, py)):
                sums[c] += v
        print(" ".join(f"{s / len(points):.6f}" for s in sums))
    elif len(argv) == 8 and argv[1] == "diff":
        wa, ha, pa = read_xwd(argv[2])
        wb, hb, pb = read_xwd(argv[3])
        points = region(min(wa, wb), min(ha, hb), *map(int, argv[4:8]))
        total = 0.0
        for px, py in points:
            total += sum((a - b) ** 2 for a, b in zip(pa(px, py), pb(px, py)))
        print(f"{(total / (3 * len(points))) ** 0.5:.6f}")
    elif len(argv) == 4 and argv[1] in ("ppm", "png"):
        width, height, pixel = read_xwd(argv[2])
        rows = []
        for py in range(height):
            rows.append(bytes(round(255 * v) for px in range(width) for v in pixel(px, py)))
        with open(argv[3], "wb") as f:
            if argv[1] == "ppm":
                f.write(b"P6\n%d %d\n255\n" % (width, height))
                f.write(b"".join(rows))
            else:
                f.write(png(width, height, rows))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
