#!/usr/bin/env python3
"""Writes the seeds of the dct_image fuzzer's corpus that stress its bounds (the other seeds are
kept as they are): a payload that fills its container's window exactly behind trailing zero
widths, that payload one byte short, a container declaring far more than the image needs, and
empty planes with a huge other side. Run from the repository root: python3 fuzz/dct_image_corpus.py"""
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "dct_image")
STRUCTURED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "dct_structured")


def chunk(payload):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    data = c.compress(payload) + c.flush()
    return data + struct.pack("<II", zlib.crc32(payload) & 0xffffffff, len(payload))


def header(width, height, bits):
    out = b"DCT\n" + ("%d %d\n" % (width, height)).encode()
    out += struct.pack(">64i", *bits)
    for k, b in enumerate(bits):
        out += b"".join(struct.pack(">f", float(i) * 8.0) for i in range(1 << b))
    return out


def container(chunks, start, repeat=1):
    n = len(chunks) * repeat
    at, offsets, sizes = start + 6 + 8 * n, [], []
    for c in chunks:
        offsets.append(at)
        sizes.append(len(c))
        at += len(c)
    offsets, sizes = offsets * repeat, sizes * repeat
    return (b"EZ" + struct.pack(">i", n) + struct.pack(">%di" % n, *offsets) +
            struct.pack(">%di" % n, *sizes) + b"".join(chunks))


def dct_file(width, height, bits, chunks, repeat=1):
    head = header(width, height, bits)
    return head + container(chunks, len(head), repeat)


def main():
    os.makedirs(OUT, exist_ok=True)
    os.makedirs(STRUCTURED, exist_ok=True)
    eight = [8] + [0] * 63
    payload = bytes((i * 7) & 0xff for i in range(32768))
    seeds = {
        # 2048 x 1024, widths {8, 0, ...}: 32768 payload bytes, one full window.
        "window_exact": dct_file(2048, 1024, eight, [chunk(payload)]),
        "window_short": dct_file(2048, 1024, eight, [chunk(payload[:-1])]),
        # 16 x 16 needs 4 bytes; 16400 entries at one window declare 537 MB.
        "bomb": dct_file(16, 16, eight, [chunk(b"\0" * 32768)], repeat=16400),
        "zero_height_huge_width": dct_file(2147483640, 0, [0] * 64, []),
        "zero_width_huge_height": dct_file(0, 2147483640, [0] * 64, []),
    }
    for name, data in seeds.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    # The structured harness reads its choices from the bytes: a few starting points.
    for name, data in {"window_mode": b"\x01\x01" + bytes(range(64)) * 4,
                       "free_mode": b"\x00\x00" + bytes(range(255, 0, -3)) * 2,
                       "short_chunks": b"\x00\x02\x10\x10\x00" + b"\x05" * 200}.items():
        with open(os.path.join(STRUCTURED, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
