#!/usr/bin/env python3
"""Write tests/data/progressive-16384.jpg: a progressive JPEG of a few
hundred bytes whose header claims 16384 x 16384 pixels in three full-size
colour components.

A progressive decoder keeps the coefficients of the whole picture in memory
before it can show anything, even at 1/8 scale: about 1.5 GB for this
header. The file tells whether the picture loader refuses such a picture
within its memory budget. Only the header matters; the scan data belongs to
an 8 x 8 picture and simply ends early.

Needs cjpeg (Debian: libjpeg-turbo-progs). Run from anywhere:

    python3 scripts/craft_progressive_jpeg.py
"""

import os
import struct
import subprocess

SIDE = 16384
HERE = os.path.dirname(os.path.abspath(__file__))
TARGET = os.path.join(HERE, "..", "tests", "data", "progressive-16384.jpg")


def tiny_progressive_jpeg():
    ppm = b"P6\n8 8\n255\n" + bytes(range(192))
    return subprocess.run(["cjpeg", "-progressive", "-sample", "1x1", "-quality", "50"],
                          input=ppm, stdout=subprocess.PIPE, check=True).stdout


def claim_size(jpeg, side):
    """Rewrites the height and width of the progressive frame header (SOF2)."""
    at = jpeg.index(b"\xff\xc2")
    # marker (2), length (2), precision (1), then height and width
    return jpeg[:at + 5] + struct.pack(">HH", side, side) + jpeg[at + 9:]


def main():
    data = claim_size(tiny_progressive_jpeg(), SIDE)
    os.makedirs(os.path.dirname(TARGET), exist_ok=True)
    with open(TARGET, "wb") as f:
        f.write(data)
    print("%s: %d bytes" % (os.path.normpath(TARGET), len(data)))


if __name__ == "__main__":
    main()
