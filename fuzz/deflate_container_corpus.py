#!/usr/bin/env python3
"""Writes the seed corpus of the deflate_container fuzzer: small containers made with zlib,
whole and broken. Run from the repository root: python3 fuzz/deflate_container_corpus.py"""
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "deflate_container")


def chunk(payload, level=9, strategy=zlib.Z_DEFAULT_STRATEGY):
    c = zlib.compressobj(level, zlib.DEFLATED, -15, 9, strategy)
    data = c.compress(payload) + c.flush()
    return data + struct.pack("<II", zlib.crc32(payload) & 0xffffffff, len(payload))


def container(chunks, start=0):
    n = len(chunks)
    offsets, at = [], start + 6 + 8 * n
    for c in chunks:
        offsets.append(at)
        at += len(c)
    head = b"EZ" + struct.pack(">i", n) + struct.pack(">%di" % n, *offsets)
    return head + struct.pack(">%di" % n, *[len(c) for c in chunks]) + b"".join(chunks)


def repeated(stored, count, start=0):
    """A container of count table entries that all point at one stored chunk."""
    at = start + 6 + 8 * count
    return (b"EZ" + struct.pack(">i", count) + struct.pack(">%di" % count, *([at] * count)) +
            struct.pack(">%di" % count, *([len(stored)] * count)) + stored)


def main():
    os.makedirs(OUT, exist_ok=True)
    text = b"float4 main(float2 uv : TEXCOORD0) : COLOR { return tex2D(map, uv) * k; }\n" * 12
    runs = bytes(range(64)) * 4 + b"\0" * 300
    seeds = {
        "empty": container([]),
        "dynamic": container([chunk(text)]),
        "fixed": container([chunk(text, strategy=zlib.Z_FIXED)]),
        "stored": container([chunk(runs[:200], level=0)]),
        "rle": container([chunk(runs, strategy=zlib.Z_RLE)]),
        "three_chunks": container([chunk(text[i:i + 300]) for i in range(0, 900, 300)]),
    }
    bad_crc = bytearray(seeds["dynamic"])
    bad_crc[-8] ^= 0xff
    seeds["bad_crc"] = bytes(bad_crc)
    seeds["truncated"] = seeds["three_chunks"][:-40]
    seeds["huge_count"] = b"EZ" + struct.pack(">i", 0x7fffffff) + b"\0" * 16
    big_size = bytearray(seeds["dynamic"])
    big_size[10:14] = struct.pack(">i", 70000)
    seeds["big_stored_size"] = bytes(big_size)
    # Payloads that fill their windows exactly, one byte short and one byte over.
    window = (runs * 64)[:32768]
    seeds["window_exact"] = container([chunk(window)])
    seeds["window_short"] = container([chunk(window[:-1])])
    seeds["window_over"] = container([chunk(window), chunk(b"w")])
    # A bomb: 16400 entries at one window of zeros declare 537 MB in a file of 131 KB.
    seeds["bomb"] = repeated(chunk(b"\0" * 32768), 16400)
    for name, data in seeds.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
