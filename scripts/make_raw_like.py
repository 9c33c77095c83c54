#!/usr/bin/env python3
"""Write a file laid out as a camera RAW (DNG-like TIFF): IFD 0 holds the
sensor data (filler bytes, never meant to be decoded) and the orientation
tag, and one sub-IFD per given JPEG holds that JPEG as a preview, the way
cameras embed theirs. The previews come right after the IFDs and the sensor
data last, as in camera files, so a reader that wants a preview need not
touch the bulk of the file. With --strips each preview is instead the strip
of a reduced-resolution IFD (JPEG compressed, sized by the JPEG's own
header), the way DNG files carry theirs.

    python3 scripts/make_raw_like.py OUT --orientation 6 \\
        --sensor-bytes 25000000 small.jpg large.jpg

Python standard library only; the tests and benchmarks make the JPEGs.
"""

import argparse
import struct

SHORT, LONG, ASCII, BYTE = 3, 4, 2, 1
SENSOR_WIDTH = 4000


def ifd(entries, next_offset=0):
    """One IFD of (tag, type, count, 4-byte value field) entries."""
    out = struct.pack("<H", len(entries))
    for tag, kind, count, value in sorted(entries):
        out += struct.pack("<HHI", tag, kind, count) + value
    return out + struct.pack("<I", next_offset)


def long_value(value):
    return struct.pack("<I", value)


def short_value(value):
    return struct.pack("<HH", value, 0)


def ifd_size(count):
    return 2 + 12 * count + 4


def jpeg_size(jpeg):
    """(width, height) from the JPEG's frame header."""
    at = 2
    while at + 9 < len(jpeg):
        marker, length = jpeg[at + 1], struct.unpack(">H", jpeg[at + 2:at + 4])[0]
        if marker in (0xc0, 0xc1, 0xc2):
            height, width = struct.unpack(">HH", jpeg[at + 5:at + 9])
            return width, height
        at += 2 + length
    raise ValueError("no frame header in the JPEG")


def preview_entries(jpeg, at, strips):
    if not strips:
        return [
            (254, LONG, 1, long_value(1)),           # NewSubfileType: a preview
            (259, SHORT, 1, short_value(6)),         # Compression: JPEG
            (513, LONG, 1, long_value(at)),          # JPEGInterchangeFormat
            (514, LONG, 1, long_value(len(jpeg))),   # JPEGInterchangeFormatLength
        ]
    width, height = jpeg_size(jpeg)
    return [
        (254, LONG, 1, long_value(1)),               # reduced resolution
        (256, LONG, 1, long_value(width)),
        (257, LONG, 1, long_value(height)),
        (258, SHORT, 1, short_value(8)),
        (259, SHORT, 1, short_value(7)),             # Compression: JPEG (DNG's)
        (262, SHORT, 1, short_value(6)),             # YCbCr
        (273, LONG, 1, long_value(at)),              # StripOffsets
        (277, SHORT, 1, short_value(3)),
        (278, LONG, 1, long_value(height)),          # RowsPerStrip
        (279, LONG, 1, long_value(len(jpeg))),       # StripByteCounts
    ]


def build(orientation, sensor_bytes, previews, strips=False):
    sub_entries = len(preview_entries(previews[0], 0, strips))
    ifd0_entries = 14
    ifd0_at = 8
    subs_at = ifd0_at + ifd_size(ifd0_entries)
    extra_at = subs_at + len(previews) * ifd_size(sub_entries)
    make = b"Tessel\0\0"
    model = b"RAW-like\0\0"
    make_at = extra_at
    model_at = make_at + len(make)
    sub_list_at = model_at + len(model)
    data_at = sub_list_at + 4 * len(previews)

    offsets = []
    for jpeg in previews:
        offsets.append(data_at)
        data_at += len(jpeg) + (len(jpeg) & 1)
    sensor_at = data_at
    height = max(1, sensor_bytes // (2 * SENSOR_WIDTH))

    subs = b""
    for jpeg, at in zip(previews, offsets):
        subs += ifd(preview_entries(jpeg, at, strips))
    ifd0 = ifd([
        (254, LONG, 1, long_value(0)),               # the full-resolution image
        (256, LONG, 1, long_value(SENSOR_WIDTH)),
        (257, LONG, 1, long_value(height)),
        (258, SHORT, 1, short_value(16)),
        (259, SHORT, 1, short_value(1)),
        (262, SHORT, 1, short_value(32803)),         # colour filter array
        (271, ASCII, len(make), long_value(make_at)),
        (272, ASCII, len(model), long_value(model_at)),
        (273, LONG, 1, long_value(sensor_at)),       # StripOffsets
        (274, SHORT, 1, short_value(orientation)),
        (277, SHORT, 1, short_value(1)),
        (279, LONG, 1, long_value(sensor_bytes)),    # StripByteCounts
        (330, LONG, len(previews),                   # SubIFDs
         long_value(subs_at) if len(previews) == 1 else long_value(sub_list_at)),
        (50706, BYTE, 4, bytes([1, 4, 0, 0])),       # DNGVersion
    ])
    assert len(ifd0) == ifd_size(ifd0_entries)
    sub_list = b"".join(long_value(subs_at + i * ifd_size(sub_entries))
                        for i in range(len(previews)))
    out = bytearray(b"II*\0" + long_value(ifd0_at) + ifd0 + subs + make + model + sub_list)
    for jpeg in previews:
        out += jpeg + b"\0" * (len(jpeg) & 1)
    assert len(out) == sensor_at
    return out, sensor_at


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("out")
    parser.add_argument("previews", nargs="+", help="JPEG files, each one preview")
    parser.add_argument("--orientation", type=int, default=1)
    parser.add_argument("--sensor-bytes", type=int, default=1 << 20)
    parser.add_argument("--strips", action="store_true",
                        help="previews as strips of reduced-resolution IFDs (DNG)")
    args = parser.parse_args()
    previews = []
    for path in args.previews:
        with open(path, "rb") as f:
            previews.append(f.read())
    head, _ = build(args.orientation, args.sensor_bytes, previews, args.strips)
    with open(args.out, "wb") as f:
        f.write(head)
        # Filler that is neither black nor compressible by a file system.
        block = bytes((i * 7919) & 0xff for i in range(1 << 16))
        left = args.sensor_bytes
        while left > 0:
            f.write(block[:min(left, len(block))])
            left -= len(block)


if __name__ == "__main__":
    main()
