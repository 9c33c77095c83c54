#!/usr/bin/env python3
"""Draw Tessel's desktop icon and write it as images/tessel.png (128 x 128).

Four tiles of the beach photograph of the main window, each a different
part of it, laid out two by two on a rounded slate: a picture manager's
thumbnail grid.  Plain Python 3, standard library only:

    python3 scripts/draw_icon.py
"""

import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from draw_images import IMAGE_DIR, BeachScene, mix, render, to_rgb  # noqa: E402

SIZE = 128
SLATE = (48, 56, 66)
SLATE_EDGE = (28, 32, 38)
MARGIN, RADIUS = 6, 18
TILE, GAP = 52, 4


def in_rounded_square(x, y, lo, hi, radius):
    cx = min(max(x, lo + radius), hi - radius)
    cy = min(max(y, lo + radius), hi - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def slate(x, y):
    """The rounded background with a darker rim; None outside it."""
    lo, hi = MARGIN, SIZE - MARGIN
    if not in_rounded_square(x, y, lo, hi, RADIUS):
        return None
    if not in_rounded_square(x, y, lo + 2, hi - 2, RADIUS - 2):
        return SLATE_EDGE
    return mix(SLATE, (70, 80, 94), 1.0 - y / SIZE)


def tile_shade(scene, left):
    """A square part of the photograph, starting at column `left`."""
    side = float(scene.H)
    return lambda x, y: scene(left + x * side / TILE, y * side / TILE)


def draw_icon():
    img = [[None if (c := slate(x + 0.5, y + 0.5)) is None else to_rgb(c)
            for x in range(SIZE)] for y in range(SIZE)]
    scene = BeachScene()
    start = (SIZE - 2 * TILE - GAP) // 2
    lefts = [0.0, 25.0, 12.0, 20.0]
    for i, left in enumerate(lefts):
        tile = render(TILE, TILE, tile_shade(scene, left), samples=2)
        x0 = start + (i % 2) * (TILE + GAP)
        y0 = start + (i // 2) * (TILE + GAP)
        for y in range(TILE):
            for x in range(TILE):
                img[y0 + y][x0 + x] = to_rgb(tile[y][x])
    return img


def png_bytes(img):
    """An RGBA PNG of the canvas; None pixels become transparent."""
    h, w = len(img), len(img[0])
    raw = bytearray()
    for row in img:
        raw.append(0)
        for c in row:
            raw.extend((0, 0, 0, 0) if c is None else (c[0], c[1], c[2], 255))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    path = os.path.join(IMAGE_DIR, "tessel.png")
    with open(path, "wb") as f:
        f.write(png_bytes(draw_icon()))
    print("wrote", path)


if __name__ == "__main__":
    main()
