#!/usr/bin/python3
"""Writes the picture seeds in corpus/pictures: tiny real JPEG, PNG and GIF
files covering the paths the loader takes (baseline, progressive and
EXIF-turned JPEG; RGB, palette and 16-bit grey PNG; still and animated GIF),
and a few hundred bytes of progressive JPEG that claim 16384 x 16384
pixels: without the loader's memory budget the decoder would take about
800 MB for it, even when asked for a preview, so every run checks the budget.
Likewise a progressive JPEG claiming 2048 x 2048 pixels whose last scan
repeats a thousand times within the fuzzer's input length: every scan is a
pass over all the picture's coefficients, so without the loader's bound on
scans one input runs past the fuzzer's time limit.
RAW files take the loader through exiv2: TIFF-based ones whose preview is a
plain JPEG, a DNG's strip, or the scan bomb above, and CR3-like ISO media
files, one of them boxes nested two thousand deep. The fuzz target feeds
every input as a RAW and as a video's .THM as well.
HEIF seeds are built box by box around one 64 x 64 HEVC picture: a single
picture with a thumbnail, clean aperture, turn and mirror; an honest grid;
a grid whose `ispe` says 256 x 192 while its own output is 8192 x 8192,
which a decoder trusting the `ispe` builds whole (several hundred MB); a
grid of 4096 tiles, a grid made of itself and a clean aperture over zero
(both end libheif 1.15 by a signal), and a primary picture of 30000 x 30000
whose thumbnail must still show.
The JPEGs need cjpeg (Debian's libjpeg-turbo-progs)."""

import importlib.util
import os
import struct
import subprocess
import zlib

WIDTH, HEIGHT = 16, 12
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "pictures")


def colour(x, y):
    return (x * 16, y * 21, (x + y) * 9 % 256)


def ppm():
    pixels = bytes(c for y in range(HEIGHT) for x in range(WIDTH) for c in colour(x, y))
    return b"P6\n%d %d\n255\n" % (WIDTH, HEIGHT) + pixels


def jpeg(*options):
    return subprocess.run(["cjpeg", "-quality", "75", *options], input=ppm(),
                          stdout=subprocess.PIPE, check=True).stdout


def with_exif_orientation(data, orientation):
    ifd = struct.pack("<H", 1) + struct.pack("<HHIHH", 0x0112, 3, 1, orientation, 0)
    tiff = b"II*\x00" + struct.pack("<I", 8) + ifd + struct.pack("<I", 0)
    body = b"Exif\x00\x00" + tiff
    return data[:2] + b"\xff\xe1" + struct.pack(">H", len(body) + 2) + body + data[2:]


def with_claimed_size(data, width, height):
    frame = data.index(b"\xff\xc2")  # the progressive frame header
    size = struct.pack(">HH", height, width)
    return data[:frame + 5] + size + data[frame + 9:]


def with_repeated_last_scan(data, times):
    """The last scan (start-of-scan marker up to the end marker) repeated."""
    scan = data.rindex(b"\xff\xda")
    end = data.rindex(b"\xff\xd9")
    return data[:end] + data[scan:end] * times + data[end:]


def png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def png(depth, colour_type, rows, extra=b""):
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, depth, colour_type, 0, 0, 0)
    raw = b"".join(b"\x00" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + extra
            + png_chunk(b"IDAT", zlib.compress(raw)) + png_chunk(b"IEND", b""))


def png_rgb():
    return png(8, 2, [bytes(c for x in range(WIDTH) for c in colour(x, y)) for y in range(HEIGHT)])


def png_palette():
    palette = png_chunk(b"PLTE", bytes([0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255]))
    alpha = png_chunk(b"tRNS", bytes([0, 128]))
    return png(8, 3, [bytes((x + y) % 4 for x in range(WIDTH)) for y in range(HEIGHT)],
               palette + alpha)


def png_grey16():
    return png(16, 0, [b"".join(struct.pack(">H", x * 4000 + y * 300) for x in range(WIDTH))
                       for y in range(HEIGHT)])


def gif_lzw(indices):
    # Two colour bits: codes stay three bits wide because a clear code
    # follows every second pixel, before the table can grow.
    clear, end = 4, 5
    codes = []
    for i in range(0, len(indices), 2):
        codes += [clear] + indices[i:i + 2]
    codes.append(end)
    bits = "".join(format(code, "03b")[::-1] for code in codes)
    bits += "0" * (-len(bits) % 8)
    data = bytes(int(bits[i:i + 8][::-1], 2) for i in range(0, len(bits), 8))
    blocks = b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255]
                      for i in range(0, len(data), 255))
    return b"\x02" + blocks + b"\x00"


def gif_frame(shift, delay):
    control = b"\x21\xf9\x04\x00" + struct.pack("<H", delay) + b"\x00\x00"
    descriptor = b"\x2c" + struct.pack("<HHHH", 0, 0, WIDTH, HEIGHT) + b"\x00"
    indices = [(x + y + shift) % 4 for y in range(HEIGHT) for x in range(WIDTH)]
    return control + descriptor + gif_lzw(indices)


def gif(frames):
    screen = struct.pack("<HH", WIDTH, HEIGHT) + b"\x81\x00\x00"
    palette = bytes([0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0, 255])
    loop = b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00" if frames > 1 else b""
    body = b"".join(gif_frame(shift, 10) for shift in range(frames))
    return b"GIF89a" + screen + palette + loop + body + b"\x3b"


def scan_bomb(progressive, limit=16384):
    claimed = with_claimed_size(progressive, 2048, 2048)
    scan = claimed.rindex(b"\xff\xda")
    times = (limit - len(claimed)) // (claimed.rindex(b"\xff\xd9") - scan)
    return with_repeated_last_scan(claimed, times)


def raw_like(preview, strips=False):
    """A TIFF-based RAW of scripts/make_raw_like.py holding `preview`."""
    path = os.path.join(HERE, "..", "scripts", "make_raw_like.py")
    spec = importlib.util.spec_from_file_location("make_raw_like", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    head, _ = module.build(6, 256, [preview], strips)
    return bytes(head) + bytes(range(256))


def raw_seeds(baseline, progressive):
    return {
        "raw-like.cr2": raw_like(baseline),
        "dng-strips.dng": raw_like(baseline, strips=True),
        "raw-scan-bomb.cr2": raw_like(scan_bomb(progressive, 16384 - 1024)),
    }


def box(kind, payload):
    return struct.pack(">I", 8 + len(payload)) + kind + payload


def cr3_seeds(baseline):
    canon = bytes.fromhex("85c0b687820f11e08111f4ce462b6a48")
    ftyp = box(b"ftyp", b"crx " + struct.pack(">I", 1) + b"crx isom")
    moov = box(b"moov", box(b"uuid", canon + box(b"CNCV", b"CanonCR3_001/00.09.00/00.00.00")))
    preview = box(b"uuid", bytes(16) + box(b"PRVW", bytes(8) + baseline))
    nested = box(b"mdat", b"")
    for _ in range(2000):
        nested = box(b"moov", nested)
    return {
        "cr3-like.cr3": ftyp + moov + preview + box(b"mdat", bytes(64)),
        "cr3-nested.cr3": ftyp + nested,
    }


# A 64 x 64 picture in four colours, as libheif's HEVC encoder wrote it: its
# decoder configuration (the body of an hvcC box) and its coded bytes.
HEVC_CONFIG = bytes.fromhex(
    "0103700000000000000000001ef000fcfdf8f800000f03200001001840010c01ffff0370"
    "0000030090000003000003001eba0240210001002b42010103700000030090000003000003"
    "001ea020810596e939292e6e04040c08000003000800000300084022000100064401c0718112")
HEVC_PICTURE = bytes.fromhex(
    "000000252801ac66958a7dafdcfc7dc03248ff2e4d4597eb12f7fe8b8013fc2c7b7ebfa42d"
    "69a3bc47")


def full_box(kind, body, version=0, flags=0):
    return box(kind, struct.pack(">I", version << 24 | flags) + body)


def ispe(width, height):
    return full_box(b"ispe", struct.pack(">II", width, height))


def heif(items, properties, references):
    """items: (id, type, data, property indices, hidden); references: (type,
    from, [to]). The primary picture is item 1."""
    infe = b"".join(full_box(b"infe", struct.pack(">HH", item, 0) + kind + b"\0", 2, hidden)
                    for item, kind, _, _, hidden in items)
    ipma = b"".join(struct.pack(">HB", item, len(props)) + bytes(0x80 | p for p in props)
                    for item, _, _, props, _ in items)
    iref = b"".join(box(kind, struct.pack(">HH", source, len(to))
                        + b"".join(struct.pack(">H", t) for t in to))
                    for kind, source, to in references)

    def meta(data_start):
        places, offset = b"", data_start
        for item, _, data, _, _ in items:
            places += struct.pack(">HHHII", item, 0, 1, offset, len(data))
            offset += len(data)
        return full_box(b"meta", b"".join([
            full_box(b"hdlr", b"\0" * 4 + b"pict" + b"\0" * 13),
            full_box(b"pitm", struct.pack(">H", 1)),
            full_box(b"iloc", b"\x44\x00" + struct.pack(">H", len(items)) + places),
            full_box(b"iinf", struct.pack(">H", len(items)) + infe),
            box(b"iprp", box(b"ipco", b"".join(properties))
                + full_box(b"ipma", struct.pack(">I", len(items)) + ipma)),
            full_box(b"iref", iref)]))

    ftyp = box(b"ftyp", b"heic\0\0\0\0mif1heic")
    start = len(ftyp) + len(meta(0)) + 8
    return ftyp + meta(start) + box(b"mdat", b"".join(data for _, _, data, _, _ in items))


def heif_single(declared=(64, 64), aperture=(60, 1, 40, 1)):
    clap = box(b"clap", struct.pack(">IIIIiIiI", *aperture, 0, 1, 0, 1))
    properties = [box(b"hvcC", HEVC_CONFIG), ispe(*declared), clap, box(b"irot", b"\x01"),
                  box(b"imir", b"\x01"), ispe(64, 64)]
    items = [(1, b"hvc1", HEVC_PICTURE, [1, 2, 3, 4, 5], 0),
             (2, b"hvc1", HEVC_PICTURE, [1, 6], 0)]
    return heif(items, properties, [(b"thmb", 2, [1])])


def heif_grid(rows, columns, declared, output):
    """A grid of `rows` x `columns` copies of one tile."""
    width, height = output
    grid = bytes([0, 0, rows - 1, columns - 1]) + struct.pack(">HH", width, height)
    properties = [box(b"hvcC", HEVC_CONFIG), ispe(64, 64), ispe(*declared)]
    items = [(1, b"grid", grid, [3], 0), (2, b"hvc1", HEVC_PICTURE, [1, 2], 1)]
    return heif(items, properties, [(b"dimg", 1, [2] * (rows * columns))])


def heif_grid_of_itself():
    grid = bytes([0, 0, 0, 0]) + struct.pack(">HH", 64, 64)
    items = [(1, b"grid", grid, [1], 0)]
    return heif(items, [ispe(64, 64)], [(b"dimg", 1, [1])])


def heif_seeds():
    return {
        "single.heic": heif_single(),
        "huge-primary.heic": heif_single(declared=(30000, 30000), aperture=(30000, 1, 30000, 1)),
        "clap-zero.heic": heif_single(aperture=(60, 0, 40, 0)),
        "grid.heic": heif_grid(2, 2, (128, 128), (128, 128)),
        "grid-lying.heic": heif_grid(32, 32, (256, 192), (8192, 8192)),
        "grid-many-tiles.heic": heif_grid(64, 64, (4096, 4096), (4096, 4096)),
        "grid-of-itself.heic": heif_grid_of_itself(),
    }


def main():
    baseline = jpeg()
    progressive = jpeg("-progressive")
    seeds = {
        "baseline.jpg": baseline,
        "progressive.jpg": progressive,
        "exif-turned.jpg": with_exif_orientation(baseline, 6),
        "rgb.png": png_rgb(),
        "palette-alpha.png": png_palette(),
        "grey16.png": png_grey16(),
        "still.gif": gif(1),
        "animated.gif": gif(2),
        "progressive-16384.jpg": with_claimed_size(progressive, 16384, 16384),
        "scan-bomb.jpg": scan_bomb(progressive),
        **heif_seeds(),
    }
    seeds.update(raw_seeds(baseline, progressive))
    seeds.update(cr3_seeds(baseline))
    os.makedirs(OUT, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
