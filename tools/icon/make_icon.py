#!/usr/bin/env python3
"""Draws the intro's icon: the block letters HTN in plasma colours on the show's dark blue.

Writes resources/htn.ico (16, 32 and 48 pixels) and resources/htn_small.ico (16 pixels) as
32-bit icons. Run from anywhere: python3 tools/icon/make_icon.py
"""
import math
import os
import struct

# Letters on a 5 x 5 grid of cells, in the same block style as the logo.
GLYPHS = {
    "H": ["#...#", "#...#", "#####", "#...#", "#...#"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#.."],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#"],
}


def plasma(x, y):
    v = (math.sin(0.9 * x) + math.sin(1.1 * y) + math.sin(0.6 * (x + y))) / 3.0
    a = 2.0 * math.pi * v
    return tuple(0.5 + 0.5 * math.sin(a + k * 2.0943951) for k in range(3))


def pixel(size, px, py):
    """RGBA of one pixel, rows counted from the top."""
    u = (px + 0.5) / size
    v = (py + 0.5) / size
    d = math.hypot(u - 0.5, v - 0.5)
    bg = 0.06 + 0.25 * (1.0 - min(1.0, 1.6 * d))
    colour = (0.08 * bg * 3.0, 0.16 * bg * 3.0, 0.32 * bg * 3.0)
    # Three letters of 5 cells with one-cell gaps: 17 cells across, centred vertically.
    cell = 17.0 / 0.94
    gx = (u - 0.03) * cell
    gy = (v - 0.5) * cell + 2.5
    letter = int(gx // 6)
    cx = int(gx - 6 * letter)
    cy = int(math.floor(gy))
    if 0 <= letter < 3 and 0 <= cx < 5 and 0 <= cy < 5 and gx >= 0:
        if GLYPHS["HTN"[letter]][cy][cx] == "#":
            colour = plasma(gx, gy)
    return tuple(int(round(255 * max(0.0, min(1.0, c)))) for c in colour) + (255,)


def icon_image(size):
    """One ICO entry: BITMAPINFOHEADER, bottom-up BGRA rows, then an all-opaque AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for py in range(size - 1, -1, -1):
        row = bytearray()
        for px in range(size):
            r, g, b, a = pixel(size, px, py)
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(mask_stride * size)
    return header + b"".join(rows) + mask


def write_ico(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    resources = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")
    write_ico(os.path.join(resources, "htn.ico"), [16, 32, 48])
    write_ico(os.path.join(resources, "htn_small.ico"), [16])
