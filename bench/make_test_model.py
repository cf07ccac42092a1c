#!/usr/bin/env python3
"""Writes a binary STL torus of about N triangles (2 * U * V), for the model bake benchmark."""
import math
import struct
import sys


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_test_model.py TRIANGLES OUT.stl")
    target = int(sys.argv[1])
    v = max(3, int(math.sqrt(target / 2 / 2.5)))
    u = max(3, target // (2 * v))
    big, small = 1.0, 0.35

    def point(i, j):
        a = 2 * math.pi * (i % u) / u
        b = 2 * math.pi * (j % v) / v
        r = big + small * math.cos(b)
        return (r * math.cos(a), small * math.sin(b), r * math.sin(a))

    with open(sys.argv[2], "wb") as out:
        out.write(b"torus".ljust(80, b" "))
        out.write(struct.pack("<I", 2 * u * v))
        for i in range(u):
            for j in range(v):
                p00, p10 = point(i, j), point(i + 1, j)
                p01, p11 = point(i, j + 1), point(i + 1, j + 1)
                for tri in ((p00, p01, p11), (p00, p11, p10)):
                    out.write(struct.pack("<3f", 0, 0, 0))
                    for p in tri:
                        out.write(struct.pack("<3f", *p))
                    out.write(b"\0\0")


main()
