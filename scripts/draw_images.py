#!/usr/bin/env python3
"""Draw Tessel's built-in pictures and write them as XPM files.

Everything is drawn procedurally here so the pictures can be regenerated
(and tweaked) without any image editor.  Plain Python 3, standard library
only.  Run from anywhere:

    python3 scripts/draw_images.py            # writes images/*.xpm
    python3 scripts/draw_images.py --check    # only re-parse existing files

Each file is a C array that can be included into one .cpp file and handed
to QPixmap, e.g. QPixmap(samplephoto_xpm).

A canvas is a list of rows; a pixel is an (r, g, b) tuple, or None for a
transparent pixel.
"""

import math
import os
import random
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
IMAGE_DIR = os.path.join(ROOT, "images")

# Named colours used by the small icons.
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
YELLOW = (255, 255, 0)


# ---------------------------------------------------------------------------
# Canvas and drawing helpers
# ---------------------------------------------------------------------------

def new_canvas(w, h, fill=None):
    return [[fill] * w for _ in range(h)]


def size(canvas):
    return len(canvas[0]), len(canvas)


def put(canvas, x, y, col):
    w, h = size(canvas)
    if 0 <= x < w and 0 <= y < h:
        canvas[y][x] = col


def get(canvas, x, y, outside=None):
    w, h = size(canvas)
    if 0 <= x < w and 0 <= y < h:
        return canvas[y][x]
    return outside


def fill_rect(canvas, x0, y0, x1, y1, col):
    """Fill the rectangle with corners (x0, y0) and (x1, y1), inclusive."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            put(canvas, x, y, col)


def line(canvas, x0, y0, x1, y1, col):
    """Bresenham line between two pixels, both ends included."""
    dx, dy = abs(x1 - x0), -abs(y1 - y0)
    sx = 1 if x0 < x1 else -1
    sy = 1 if y0 < y1 else -1
    err = dx + dy
    while True:
        put(canvas, x0, y0, col)
        if x0 == x1 and y0 == y1:
            break
        e2 = 2 * err
        if e2 >= dy:
            err += dy
            x0 += sx
        if e2 <= dx:
            err += dx
            y0 += sy


def inside_polygon(px, py, points):
    """Even-odd rule test of a point against a closed polygon."""
    inside = False
    n = len(points)
    for i in range(n):
        x0, y0 = points[i]
        x1, y1 = points[(i + 1) % n]
        if (y0 > py) != (y1 > py):
            xc = x0 + (py - y0) * (x1 - x0) / (y1 - y0)
            if px < xc:
                inside = not inside
    return inside


def polygon(canvas, points, col):
    """Fill a polygon given in grid coordinates.

    Pixel (x, y) covers the square [x, x+1) x [y, y+1); it is painted when
    its centre lies inside the polygon.
    """
    w, h = size(canvas)
    for y in range(h):
        for x in range(w):
            if inside_polygon(x + 0.5, y + 0.5, points):
                canvas[y][x] = col


def border_pixels(canvas, col):
    """Pixels of colour col that touch (4-neighbour) anything else."""
    w, h = size(canvas)
    out = []
    for y in range(h):
        for x in range(w):
            if canvas[y][x] != col:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                if get(canvas, x + dx, y + dy) != col:
                    out.append((x, y))
                    break
    return out


def outline(canvas, col, outline_col):
    """Turn the outer rim of a flat-filled shape into an outline."""
    for x, y in border_pixels(canvas, col):
        canvas[y][x] = outline_col


def mask_of(canvas, cols):
    cols = set(cols)
    return [[c in cols for c in row] for row in canvas]


def checker(canvas, x0, y0, x1, y1, col_a, col_b):
    """Fill a rectangle with a one-pixel checkerboard (a cheap dither)."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            put(canvas, x, y, col_a if (x + y) % 2 == 0 else col_b)


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c0, c1, t):
    """Linear blend between two colours (float tuples allowed)."""
    return tuple(lerp(a, b, t) for a, b in zip(c0, c1))


def scale(c, f):
    return tuple(v * f for v in c)


def to_rgb(c):
    return tuple(int(round(clamp(v, 0, 255))) for v in c)


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


def render(w, h, shade, samples=3):
    """Supersample a continuous scene function shade(x, y) -> colour."""
    canvas = new_canvas(w, h)
    n = samples * samples
    for y in range(h):
        for x in range(w):
            acc = [0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    c = shade(x + (sx + 0.5) / samples, y + (sy + 0.5) / samples)
                    acc[0] += c[0]
                    acc[1] += c[1]
                    acc[2] += c[2]
            canvas[y][x] = (acc[0] / n, acc[1] / n, acc[2] / n)
    return canvas


def add_noise(canvas, rng, sigma_at, chroma=0.35):
    """Film-grain style noise: mostly luminance, a little colour.

    sigma_at(x, y) gives the grain strength at each pixel.  Transparent
    pixels are left alone.  Result is rounded to 8-bit colours.
    """
    w, h = size(canvas)
    for y in range(h):
        for x in range(w):
            c = canvas[y][x]
            if c is None:
                continue
            s = sigma_at(x, y)
            lum = rng.gauss(0.0, s)
            canvas[y][x] = to_rgb(tuple(v + lum + rng.gauss(0.0, s * chroma)
                                        for v in c))


def distance_to_segment(px, py, ax, ay, bx, by):
    """Distance from P to segment AB and the position t along it."""
    vx, vy = bx - ax, by - ay
    ll = vx * vx + vy * vy
    t = 0.0 if ll == 0 else clamp(((px - ax) * vx + (py - ay) * vy) / ll)
    dx, dy = px - (ax + t * vx), py - (ay + t * vy)
    return math.hypot(dx, dy), t


# ---------------------------------------------------------------------------
# A tiny bitmap font for captions
# ---------------------------------------------------------------------------

FONT_5X7 = {
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    "c": [".....", ".....", ".###.", "#....", "#....", "#...#", ".###."],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "h": ["#....", "#....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}


def text_pixels(text, x, y):
    """Pixel positions covered by text drawn with FONT_5X7 at (x, y)."""
    out = []
    for ch in text:
        glyph = FONT_5X7[ch]
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == "#":
                    out.append((x + gx, y + gy))
        x += len(glyph[0]) + 1
    return out


def draw_text(canvas, text, x, y, col, shadow=None):
    if shadow is not None:
        for px, py in text_pixels(text, x + 1, y + 1):
            put(canvas, px, py, shadow)
    for px, py in text_pixels(text, x, y):
        put(canvas, px, py, col)


# ---------------------------------------------------------------------------
# Colour reduction
# ---------------------------------------------------------------------------

def median_cut(histogram, n):
    """Split a colour histogram into exactly n boxes.

    histogram maps (r, g, b) -> pixel count.  Returns a list of boxes, each
    a list of (colour, count).  Raises if there are fewer than n colours.
    """
    if len(histogram) < n:
        raise ValueError("only %d colours, cannot make %d" % (len(histogram), n))
    boxes = [list(histogram.items())]

    def priority(box):
        if len(box) < 2:
            return -1.0
        spread = max(max(c[i] for c, _ in box) - min(c[i] for c, _ in box)
                     for i in range(3))
        weight = sum(k for _, k in box)
        return spread * spread * weight

    prio = [priority(boxes[0])]
    while len(boxes) < n:
        i = max(range(len(boxes)), key=lambda j: prio[j])
        box = boxes[i]
        ranges = [max(c[ch] for c, _ in box) - min(c[ch] for c, _ in box)
                  for ch in range(3)]
        ch = ranges.index(max(ranges))
        box.sort(key=lambda item: (item[0][ch], item[0]))
        # Split at the weighted median, keeping both halves non-empty.
        total = sum(k for _, k in box)
        acc, cut = 0, 1
        for j, (_, k) in enumerate(box):
            acc += k
            if acc * 2 >= total:
                cut = j + 1
                break
        cut = min(max(cut, 1), len(box) - 1)
        boxes[i:i + 1] = [box[:cut], box[cut:]]
        prio[i:i + 1] = [priority(box[:cut]), priority(box[cut:])]
    return boxes


def reduce_colours(canvas, n):
    """Reduce the opaque pixels of canvas to exactly n distinct colours."""
    hist = {}
    for row in canvas:
        for c in row:
            if c is not None:
                hist[c] = hist.get(c, 0) + 1
    boxes = median_cut(hist, n)
    mapping = {}
    used = set()
    for box in boxes:
        total = sum(k for _, k in box)
        avg = [sum(c[i] * k for c, k in box) / total for i in range(3)]
        rep = to_rgb(avg)
        # Two boxes may average to the same colour; nudge until unique.
        step = 0
        while rep in used:
            step += 1
            ch = step % 3
            delta = (step + 2) // 3 * (1 if step % 2 else -1)
            rep = to_rgb(tuple(avg[i] + (delta if i == ch else 0)
                               for i in range(3)))
        used.add(rep)
        for c, _ in box:
            mapping[c] = rep
    for row in canvas:
        for x, c in enumerate(row):
            if c is not None:
                row[x] = mapping[c]


# ---------------------------------------------------------------------------
# XPM output and read-back
# ---------------------------------------------------------------------------

# Printable characters usable as colour keys: no quote, no backslash, no
# question mark (keeps trigraph-like sequences out of the strings) and no
# space (reserved for the transparent colour).
KEY_CHARS = (".#+@$%&*=-;>,')!~{]^/(_:<[}|"
             "0123456789abcdefghijklmnopqrstuvwxyz"
             "ABCDEFGHIJKLMNOPQRSTUVWXYZ`")
assert len(set(KEY_CHARS)) == len(KEY_CHARS) == 91


def colour_keys(count, cpp):
    keys = []
    if cpp == 1:
        keys = list(KEY_CHARS)
    else:
        keys = [a + b for a in KEY_CHARS for b in KEY_CHARS]
    if count > len(keys):
        raise ValueError("too many colours for %d chars per pixel" % cpp)
    return keys[:count]


def luminance(c):
    return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]


def write_xpm(name, canvas, cpp):
    """Write images/<name>.xpm as a C array named <name>_xpm."""
    w, h = size(canvas)
    colours = {c for row in canvas for c in row}
    opaque = sorted((c for c in colours if c is not None),
                    key=lambda c: (-luminance(c), c))
    keys = {}
    if None in colours:
        keys[None] = " " * cpp
    for c, k in zip(opaque, colour_keys(len(opaque), cpp)):
        keys[c] = k

    lines = ["/* XPM */",
             "static const char *const %s_xpm[] = {" % name,
             '"%d %d %d %d",' % (w, h, len(keys), cpp)]
    if None in keys:
        lines.append('"%s c None",' % keys[None])
    for c in opaque:
        lines.append('"%s c #%02X%02X%02X",' % ((keys[c],) + c))
    for y, row in enumerate(canvas):
        text = "".join(keys[c] for c in row)
        lines.append('"%s"%s' % (text, "," if y < h - 1 else ""))
    lines.append("};")
    path = os.path.join(IMAGE_DIR, name + ".xpm")
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    return path


def parse_xpm(path):
    """Read an XPM back; return (name, w, h, ncolours, cpp, pixel count)."""
    with open(path) as f:
        text = f.read()
    m = re.search(r"static const char \*const (\w+)\[\] = \{", text)
    if not m:
        raise ValueError("%s: no array declaration" % path)
    strings = re.findall(r'"((?:[^"\\])*)"', text[m.end():])
    w, h, ncol, cpp = (int(v) for v in strings[0].split())
    table = strings[1:1 + ncol]
    rows = strings[1 + ncol:]
    keys = {}
    for entry in table:
        key, rest = entry[:cpp], entry[cpp:].split()
        if rest[0] != "c" or len(rest) != 2:
            raise ValueError("%s: bad colour entry %r" % (path, entry))
        if key in keys:
            raise ValueError("%s: duplicate key %r" % (path, key))
        if not all(32 <= ord(ch) < 127 and ch not in '"\\' for ch in key):
            raise ValueError("%s: bad key %r" % (path, key))
        keys[key] = rest[1]
    if len(rows) != h:
        raise ValueError("%s: %d rows, expected %d" % (path, len(rows), h))
    pixels = 0
    for row in rows:
        if len(row) != w * cpp:
            raise ValueError("%s: row of length %d" % (path, len(row)))
        for i in range(0, len(row), cpp):
            if row[i:i + cpp] not in keys:
                raise ValueError("%s: undeclared key %r" % (path, row[i:i + cpp]))
            pixels += 1
    return m.group(1), w, h, ncol, cpp, pixels


# ---------------------------------------------------------------------------
# Main window pictures
# ---------------------------------------------------------------------------

class BeachScene:
    """The beach photograph as a continuous function of (x, y)."""

    W, H = 100, 75
    HORIZON = 30.0
    SUN = (21.0, 11.0)
    CLOUDS = [  # (cx, cy, rx, ry) blobs; each cloud is a group of blobs
        (50, 9.5, 6.5, 2.4), (57, 7.5, 5.0, 3.0), (64, 9.0, 6.0, 2.6),
        (58, 10.8, 10.0, 2.0),
        (80, 17.0, 5.0, 2.0), (86, 15.5, 4.0, 2.6), (91, 17.2, 5.0, 1.9),
        (33, 22.0, 5.5, 1.4), (39, 21.4, 3.0, 1.5),
    ]
    PARASOL = (44.0, 44.5)     # top of the pole / centre of the canopy rim
    PALM_BASE = (88.0, 71.0)
    PALM_TOP = (79.0, 25.0)

    def __init__(self):
        tx, ty = self.PALM_TOP
        self.fronds = []
        # (angle in degrees, length, droop)
        for ang, length, droop in ((-165, 16, 9), (-130, 12, 7), (-95, 7, 3),
                                   (-55, 12, 7), (-15, 15, 9), (160, 12, 6),
                                   (25, 13, 7)):
            a = math.radians(ang)
            pts = []
            for i in range(13):
                t = i / 12.0
                pts.append((tx + math.cos(a) * length * t,
                            ty + math.sin(a) * length * t + droop * t * t))
            xs = [p[0] for p in pts]
            ys = [p[1] for p in pts]
            bbox = (min(xs) - 2, min(ys) - 2, max(xs) + 2, max(ys) + 2)
            self.fronds.append((pts, bbox))

    # -- pieces of the scene -------------------------------------------------

    def shore(self, x):
        return 48.0 + 1.6 * math.sin(x * 0.09 + 1.0) + 0.7 * math.sin(x * 0.31)

    def sky(self, x, y):
        t = clamp(y / self.HORIZON) ** 0.85
        col = mix((34, 92, 182), (182, 216, 238), t)
        d = math.hypot(x - self.SUN[0], y - self.SUN[1])
        col = mix(col, (255, 236, 190), 0.75 * math.exp(-(d / 9.0) ** 2))
        col = mix(col, (255, 253, 236), smoothstep(4.6, 3.6, d))
        dens = 0.0
        low = 0.0
        for cx, cy, rx, ry in self.CLOUDS:
            e = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2
            g = math.exp(-1.4 * e)
            dens += g
            low = max(low, g * clamp((y - cy) / ry * 0.8 + 0.4))
        a = smoothstep(0.35, 0.9, dens)
        if a > 0:
            cloud = mix((252, 252, 250), (186, 196, 214), clamp(low))
            col = mix(col, cloud, a * 0.95)
        return col

    def sea(self, x, y, shore_y):
        t = clamp((y - self.HORIZON) / (shore_y - self.HORIZON))
        col = mix((26, 78, 132), (46, 150, 166), t ** 0.9)
        # Wave ripples, stretched near the horizon for some perspective.
        f = 0.9 - 0.45 * t
        r = math.sin(x * f + y * 2.3 + 2.0 * math.sin(x * 0.11 + y * 0.9))
        col = scale(col, 0.93 + 0.09 * r * (0.4 + 0.6 * t))
        # A line of breaking foam some way out.
        foam_y = shore_y - 5.0 + 0.8 * math.sin(x * 0.21)
        foam = math.exp(-((y - foam_y) / 0.6) ** 2) * (0.5 + 0.5 * math.sin(x * 0.7))
        col = mix(col, (226, 240, 242), 0.6 * foam)
        # Sun glitter on the water below the sun.
        spread = 2.5 + 6.0 * t
        g = math.exp(-((x - self.SUN[0]) / spread) ** 2)
        sparkle = max(0.0, math.sin(x * 2.3 + y * 3.7) * math.sin(y * 1.9 + x * 0.7))
        col = mix(col, (255, 246, 220), clamp(g * sparkle * 0.9))
        # Haze right at the horizon.
        col = mix(col, (176, 208, 226), math.exp(-(y - self.HORIZON) / 1.2) * 0.7)
        return col

    def sand(self, x, y, shore_y):
        t = clamp((y - shore_y) / (self.H - shore_y))
        col = mix((214, 188, 140), (240, 214, 166), t)
        col = scale(col, 1.0 + 0.04 * math.sin(x * 0.07 + y * 0.25)
                    + 0.03 * math.sin(x * 0.23 - y * 0.4))
        # Wet sand and the foam edge at the waterline.
        wet = smoothstep(shore_y + 3.0, shore_y + 0.5, y)
        col = mix(col, (168, 148, 112), 0.7 * wet)
        # Shadow of the parasol.
        px, _ = self.PARASOL
        e = ((x - px - 5.0) / 9.0) ** 2 + ((y - 64.5) / 2.2) ** 2
        col = scale(col, 1.0 - 0.3 * smoothstep(1.2, 0.7, e))
        # Shadow of the palm leaves, cast to the right like the parasol's.
        e = ((x - 97.0) / 8.0) ** 2 + ((y - 72.0) / 1.8) ** 2
        col = scale(col, 1.0 - 0.22 * smoothstep(1.2, 0.6, e))
        return col

    def parasol(self, x, y):
        px, py = self.PARASOL
        # Pole, slightly slanted.
        pole_x = px + (y - py) * 0.08
        if py - 5.5 <= y <= 65.0 and abs(x - pole_x) < 0.5:
            return mix((120, 96, 70), (70, 54, 40), clamp(x - pole_x + 0.5))
        # Canopy: half ellipse with a scalloped rim.
        dx = (x - px) / 10.5
        if abs(dx) >= 1.0:
            return None
        top = py - 5.8 * math.sqrt(1.0 - dx * dx)
        rim = py + 0.6 * abs(math.sin(dx * math.pi * 3.0))
        if not (top <= y <= rim):
            return None
        ang = math.atan2(y - (py + 3.0), x - px)
        red = int((ang + math.pi) / (math.pi / 7.0)) % 2 == 0
        col = (214, 38, 40) if red else (246, 240, 232)
        light = 1.08 - 0.32 * clamp((dx + 1.0) / 2.0) - 0.12 * clamp((y - top) / 6.0)
        return scale(col, light)

    def palm(self, x, y):
        # Leaves first: they hang in front of the trunk top.
        best = None
        for pts, (bx0, by0, bx1, by1) in self.fronds:
            if not (bx0 <= x <= bx1 and by0 <= y <= by1):
                continue
            n = len(pts) - 1
            for i in range(n):
                d, tt = distance_to_segment(x, y, pts[i][0], pts[i][1],
                                            pts[i + 1][0], pts[i + 1][1])
                t = (i + tt) / n
                width = (0.5 + 1.9 * math.sin(math.pi * min(1.0, t * 1.15))) \
                    * (0.65 + 0.35 * abs(math.sin(t * 34.0)))
                if d < width and (best is None or d / width < best[0]):
                    best = (d / width, t)
        if best is not None:
            rel, t = best
            col = mix((66, 140, 56), (22, 78, 34), clamp(rel * 0.8 + t * 0.4))
            return col
        # Coconuts.
        tx, ty = self.PALM_TOP
        for cx, cy in ((tx - 1.0, ty + 1.6), (tx + 1.2, ty + 1.8), (tx + 0.1, ty + 2.6)):
            d = math.hypot(x - cx, y - cy)
            if d < 1.1:
                return mix((118, 84, 40), (60, 42, 22), clamp(d))
        # Trunk: a gently curved, banded column.
        bx, by = self.PALM_BASE
        if ty <= y <= by:
            s = (by - y) / (by - ty)
            cx = bx + (tx - bx) * (0.35 * s + 0.65 * s * s)
            half = 1.5 - 0.7 * s
            if abs(x - cx) < half:
                side = (x - cx) / half
                col = mix((150, 118, 80), (84, 62, 40), clamp(side * 0.5 + 0.5))
                if (s * 22.0) % 1.0 < 0.28:
                    col = scale(col, 0.78)
                return col
        return None

    # -- whole scene ---------------------------------------------------------

    def __call__(self, x, y):
        col = self.palm(x, y)
        if col is not None:
            return col
        col = self.parasol(x, y)
        if col is not None:
            return col
        if y < self.HORIZON:
            return self.sky(x, y)
        shore_y = self.shore(x)
        if y < shore_y - 1.0:
            return self.sea(x, y, shore_y)
        if y < shore_y:
            # Foam where the water runs up the sand.
            a = 0.75 + 0.25 * math.sin(x * 1.3)
            return mix(self.sand(x, y, shore_y), (240, 246, 246), a)
        return self.sand(x, y, shore_y)

    def grain(self, x, y):
        if y < self.HORIZON:
            return 2.6
        return 5.0 if y < self.shore(x) else 9.0


def draw_samplephoto():
    rng = random.Random(20240611)
    scene = BeachScene()
    img = render(scene.W, scene.H, scene, samples=3)
    add_noise(img, rng, scene.grain)
    # A few darker grains scattered over the sand.
    for _ in range(140):
        x = rng.randrange(scene.W)
        y = rng.randrange(56, scene.H)
        c = img[y][x]
        img[y][x] = to_rgb(scale(c, rng.uniform(0.72, 0.88)))
    draw_text(img, "Beach", 5, 63, (255, 255, 255), shadow=(52, 40, 28))
    reduce_colours(img, 1292)
    return img


def draw_thumbnail():
    """A tiny landscape photo: sky, sea and sand."""
    rng = random.Random(77)
    w, h = 15, 12

    def shade(x, y):
        horizon, shore = 5.0, 8.0 + 0.4 * math.sin(x * 0.6)
        if y < horizon:
            col = mix((40, 100, 190), (170, 210, 238), y / horizon)
            d = math.hypot(x - 4.0, y - 2.0)
            return mix(col, (255, 248, 214), smoothstep(2.0, 0.8, d))
        if y < shore:
            col = mix((30, 86, 140), (52, 152, 168), (y - horizon) / (shore - horizon))
            return scale(col, 0.92 + 0.1 * math.sin(x * 1.7 + y * 3.0))
        if y < shore + 0.6:
            return (236, 242, 240)
        return mix((206, 182, 136), (238, 212, 164), (y - shore) / (h - shore))

    img = render(w, h, shade, samples=4)
    add_noise(img, rng, lambda x, y: 6.0, chroma=0.6)
    reduce_colours(img, 176)
    return img


def draw_folder():
    """A shaded yellow folder, 15 x 13, transparent around it."""
    rng = random.Random(5)
    w, h = 15, 13
    img = new_canvas(w, h)
    # Shape: back with a tab, then the front panel.
    back = [(0, 2), (1, 1), (6, 1), (7, 2), (14, 2), (14, 12), (0, 12)]
    front = [(0, 5), (15, 5), (15, 13), (0, 13)]
    mask = new_canvas(w, h, 0)
    polygon(mask, back, 1)
    polygon(mask, [(0.2, 1.2), (1.2, 0.2), (5.8, 0.2), (6.8, 1.2), (6.8, 2.5), (0.2, 2.5)], 1)
    polygon(mask, front, 2)
    for y in range(h):
        for x in range(w):
            m = mask[y][x]
            if m == 0:
                continue
            edge = any(get(mask, x + dx, y + dy, 0) == 0
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if m == 1:
                col = mix((236, 186, 52), (198, 140, 20), (x + y) / 26.0)
            else:
                col = mix((255, 236, 120), (232, 172, 36), (y - 5) / 7.0)
                col = scale(col, 1.0 - 0.012 * x)
                if y == 5:
                    col = (255, 250, 196)   # light catching the front edge
            if edge:
                col = mix((176, 112, 8), (120, 70, 0), (x + y) / 26.0)
            img[y][x] = col
    add_noise(img, rng, lambda x, y: 3.0)
    reduce_colours(img, 66)          # plus the transparent colour: 67
    return img


def left_arrow_points(w, h, head_len, shaft_half, tip_x=0.0):
    """A left-pointing arrow as a polygon in grid coordinates."""
    cy = h / 2.0
    base = tip_x + head_len
    return [(tip_x, cy), (base, 0.0), (base, cy - shaft_half),
            (w, cy - shaft_half), (w, cy + shaft_half),
            (base, cy + shaft_half), (base, h)]


def draw_deleteall():
    """Red arrow pointing left across a dark red bar: 'delete all'."""
    rng = random.Random(9)
    w, h = 15, 10
    img = new_canvas(w, h)
    # The bar, shaded like a rounded rod.
    for y in range(h):
        for x in range(2, 5):
            col = mix((140, 20, 20), (70, 0, 0), (x - 2) / 2.0)
            img[y][x] = scale(col, 1.0 - 0.03 * y)
    arrow = new_canvas(w, h, False)
    polygon(arrow, left_arrow_points(w, h, 8.0, 2.0, tip_x=-1.0), True)
    for y in range(h):
        for x in range(w):
            if not arrow[y][x]:
                continue
            edge = any(not get(arrow, x + dx, y + dy, False)
                       for dx, dy in ((1, 0), (0, 1)))
            col = mix((255, 110, 96), (206, 16, 16), y / (h - 1.0))
            if edge:
                col = scale(col, 0.7)
            img[y][x] = col
    add_noise(img, rng, lambda x, y: 4.0)
    reduce_colours(img, 22)          # plus the transparent colour: 23
    return img


def draw_copy():
    """Blue arrow pointing right, 3 colours."""
    w, h = 15, 10
    img = new_canvas(w, h)
    pts = [(w - x, y) for x, y in left_arrow_points(w, h, 6.0, 2.0)]
    fill = (48, 96, 232)
    polygon(img, pts, fill)
    outline(img, fill, (0, 0, 128))
    return img


def draw_delete():
    """Red arrow pointing left, lit from the upper left: 9 colours."""
    w, h = 15, 10
    shape = new_canvas(w, h, False)
    polygon(shape, left_arrow_points(w, h, 6.0, 2.0), True)
    img = new_canvas(w, h)
    for y in range(h):
        for x in range(w):
            if not shape[y][x]:
                continue
            col = mix((255, 128, 112), (176, 0, 0), (y + 0.2 * x) / 11.8)
            if not get(shape, x, y + 1, False) or not get(shape, x + 1, y, False):
                col = scale(col, 0.55)
            elif not get(shape, x, y - 1, False) or not get(shape, x - 1, y, False):
                col = mix(col, (255, 210, 200), 0.4)
            img[y][x] = col
    reduce_colours(img, 8)           # plus the transparent colour: 9
    return img


def draw_newfolder():
    """Yellow folder with a black rim and a sparkle: 4 colours."""
    w, h = 17, 15
    img = new_canvas(w, h)
    dark = (192, 160, 0)
    # Tab and back.
    fill_rect(img, 1, 4, 6, 6, BLACK)
    fill_rect(img, 2, 5, 5, 6, dark)
    # Body.
    fill_rect(img, 0, 6, 13, 14, BLACK)
    fill_rect(img, 1, 7, 12, 13, YELLOW)
    fill_rect(img, 1, 7, 12, 7, dark)
    fill_rect(img, 12, 8, 12, 13, dark)
    fill_rect(img, 1, 13, 12, 13, dark)
    # Sparkle over the upper right corner.
    line(img, 14, 0, 14, 4, BLACK)
    line(img, 12, 2, 16, 2, BLACK)
    put(img, 13, 1, BLACK)
    put(img, 15, 1, BLACK)
    put(img, 13, 3, BLACK)
    put(img, 15, 3, BLACK)
    return img


# ---------------------------------------------------------------------------
# File selection dialog pictures
# ---------------------------------------------------------------------------

def draw_returnarrow():
    """Enter-key arrow: head at the lower left, shaft bending up at right."""
    w, h = 24, 16
    img = new_canvas(w, h)
    fill = (0x80, 0x80, 0x80)
    pts = [(1, 10), (8, 4), (8, 8), (18, 8), (18, 1), (22, 1), (22, 12),
           (8, 12), (8, 16)]
    polygon(img, pts, fill)
    outline(img, fill, (0x00, 0x00, 0x40))
    return img


def draw_cross():
    """Red diagonal cross with a teal edge and grey drop shadow."""
    w, h = 24, 16
    red, teal, grey = (0xFF, 0, 0), (0, 0x80, 0x80), (0x80, 0x80, 0x80)
    shape = new_canvas(w, h, False)
    for y in range(h):
        for x in range(w):
            px, py = x + 0.5, y + 0.5
            d1, _ = distance_to_segment(px, py, 5.5, 1.5, 17.5, 13.5)
            d2, _ = distance_to_segment(px, py, 17.5, 1.5, 5.5, 13.5)
            shape[y][x] = min(d1, d2) < 1.5
    img = new_canvas(w, h)
    for y in range(h):
        for x in range(w):
            if shape[y][x]:
                img[y][x] = red if get(shape, x + 1, y + 1, False) else teal
            elif get(shape, x - 1, y - 1, False) or get(shape, x, y - 1, False):
                img[y][x] = grey
    return img


def draw_fdnewfolder():
    """Closed folder, yellow/white checkered, with a spark, on light grey."""
    w, h = 17, 15
    bg = (0xDC, 0xDC, 0xDC)
    img = new_canvas(w, h, bg)
    # Tab.
    fill_rect(img, 1, 4, 6, 6, BLACK)
    checker(img, 2, 5, 5, 6, YELLOW, WHITE)
    # Body.
    fill_rect(img, 0, 6, 13, 14, BLACK)
    checker(img, 1, 7, 12, 13, YELLOW, WHITE)
    # Spark.
    line(img, 14, 0, 14, 4, BLACK)
    line(img, 12, 2, 16, 2, BLACK)
    put(img, 13, 1, BLACK)
    put(img, 15, 1, BLACK)
    put(img, 13, 3, BLACK)
    put(img, 15, 3, BLACK)
    put(img, 14, 2, YELLOW)
    return img


def draw_sheet(img):
    """The white page with a dog-eared corner, shared by two icons."""
    grey, light = (0x7F, 0x7F, 0x7F), (0xBF, 0xBF, 0xBF)
    left, right, top, bottom, fold = 2, 13, 0, 15, 9
    fill_rect(img, left, top, right, bottom, WHITE)
    # Cut the corner off and draw the turned-down flap.
    for y in range(top, top + right - fold + 1):
        for x in range(fold, right + 1):
            if x - fold > y - top:
                put(img, x, y, None)
            elif x - fold == y - top:
                put(img, x, y, BLACK)
            else:
                put(img, x, y, light)
    line(img, fold, top, fold, top + right - fold, grey)
    line(img, fold, top + right - fold, right, top + right - fold, BLACK)
    # Edges and inner shadow.
    line(img, left, top, fold, top, grey)
    line(img, left, top, left, bottom, grey)
    line(img, right - 1, top + right - fold + 1, right - 1, bottom - 1, light)
    line(img, left + 1, bottom - 1, right - 1, bottom - 1, light)
    line(img, right, top + right - fold, right, bottom, BLACK)
    line(img, left, bottom, right, bottom, BLACK)


def draw_fileicon():
    img = new_canvas(16, 16)
    draw_sheet(img)
    return img


def draw_diricon():
    w, h = 16, 16
    img = new_canvas(w, h)
    yellow, grey, line_col = YELLOW, (0xCC, 0xCC, 0xCC), (0x99, 0x99, 0x99)
    # Tab.
    line(img, 2, 2, 6, 2, line_col)
    put(img, 1, 3, line_col)
    put(img, 7, 3, line_col)
    checker(img, 2, 3, 6, 4, yellow, grey)
    put(img, 1, 4, yellow)
    # Body outline.
    line(img, 0, 4, 0, 14, line_col)
    line(img, 7, 4, 14, 4, line_col)
    line(img, 14, 4, 14, 14, line_col)
    line(img, 0, 14, 14, 14, line_col)
    # White band under the tab, then the checkered body.
    line(img, 1, 5, 13, 5, WHITE)
    checker(img, 1, 6, 13, 13, yellow, grey)
    # Shadow.
    line(img, 15, 5, 15, 15, BLACK)
    line(img, 1, 15, 15, 15, BLACK)
    return img


def draw_linkicon():
    img = new_canvas(16, 16)
    draw_sheet(img)
    dark, mid, light, face = ((0x30, 0x30, 0x30), (0x60, 0x60, 0x60),
                              (0x90, 0x90, 0x90), (0xC3, 0xC3, 0xC3))
    # The little framed box in the lower left corner.
    fill_rect(img, 0, 8, 7, 15, face)
    line(img, 0, 8, 7, 8, light)
    line(img, 0, 8, 0, 15, light)
    line(img, 7, 8, 7, 15, dark)
    line(img, 0, 15, 7, 15, dark)
    # An arrow heading up and to the right.
    arrow = ["..####",
             "....##",
             "...#.#",
             "..#..#",
             ".#....",
             "#....."]
    for y, row in enumerate(arrow):
        for x, bit in enumerate(row):
            if bit == "#":
                put(img, 1 + x, 9 + y, dark)
    # A soft shadow under the arrow's stem.
    for x, y in ((2, 14), (3, 13), (4, 12)):
        put(img, x, y, mid)
    return img


def draw_parenticon():
    """Pale yellow folder with an arrow going up and then right."""
    w, h = 15, 13
    pale = (0xFF, 0xFF, 0x99)
    img = new_canvas(w, h)
    # Tab.
    line(img, 1, 0, 5, 0, BLACK)
    put(img, 0, 1, BLACK)
    put(img, 6, 1, BLACK)
    line(img, 1, 1, 5, 1, pale)
    # Body.
    fill_rect(img, 0, 2, 14, 12, BLACK)
    fill_rect(img, 1, 3, 13, 11, pale)
    # Arrow: up from the bottom, then right into the head.
    fill_rect(img, 3, 6, 4, 10, BLACK)
    fill_rect(img, 3, 6, 9, 7, BLACK)
    line(img, 9, 4, 9, 9, BLACK)
    line(img, 10, 5, 10, 8, BLACK)
    line(img, 11, 6, 11, 7, BLACK)
    return img


# ---------------------------------------------------------------------------
# Configuration dialog pictures
# ---------------------------------------------------------------------------

def draw_clearleft():
    """Red arrow pointing left, with a dark rim and a highlight."""
    w, h = 24, 16
    img = new_canvas(w, h)
    fill = (0xFF, 0, 0)
    polygon(img, left_arrow_points(w - 1, h, 9.0, 3.0, tip_x=1.0), fill)
    rim = border_pixels(img, fill)
    for x, y in rim:
        img[y][x] = (0x80, 0, 0)
    # Highlight along the upper inside edges.
    for x, y in border_pixels(img, fill):
        if get(img, x, y - 1) != fill:
            img[y][x] = (0xFF, 0x80, 0x80)
    return img


# ---------------------------------------------------------------------------

# name -> (drawing function, width, height, chars per pixel, colours or None)
PICTURES = [
    ("samplephoto", draw_samplephoto, 100, 75, 2, 1292),
    ("deleteall", draw_deleteall, 15, 10, 1, 23),
    ("folder", draw_folder, 15, 13, 2, 67),
    ("thumbnail", draw_thumbnail, 15, 12, 2, 176),
    ("copy", draw_copy, 15, 10, 1, 3),
    ("delete", draw_delete, 15, 10, 1, 9),
    ("newfolder", draw_newfolder, 17, 15, 1, 4),
    ("returnarrow", draw_returnarrow, 24, 16, 1, None),
    ("cross", draw_cross, 24, 16, 1, None),
    ("fdnewfolder", draw_fdnewfolder, 17, 15, 1, None),
    ("fileicon", draw_fileicon, 16, 16, 1, None),
    ("diricon", draw_diricon, 16, 16, 1, None),
    ("linkicon", draw_linkicon, 16, 16, 1, None),
    ("parenticon", draw_parenticon, 15, 13, 1, None),
    ("clearleft", draw_clearleft, 24, 16, 1, None),
]


def check(name, w, h, cpp, ncolours):
    path = os.path.join(IMAGE_DIR, name + ".xpm")
    var, pw, ph, pn, pcpp, pixels = parse_xpm(path)
    problems = []
    if var != name + "_xpm":
        problems.append("variable %s" % var)
    if (pw, ph, pcpp) != (w, h, cpp):
        problems.append("size %dx%d cpp %d" % (pw, ph, pcpp))
    if ncolours is not None and pn != ncolours:
        problems.append("%d colours instead of %d" % (pn, ncolours))
    if pixels != w * h:
        problems.append("%d pixels" % pixels)
    if problems:
        raise SystemExit("%s: %s" % (path, ", ".join(problems)))
    print("ok  %-16s %3dx%-3d %4d colours, %d char(s)/pixel" % (name + ".xpm", pw, ph, pn, pcpp))


def main(argv):
    only_check = "--check" in argv
    os.makedirs(IMAGE_DIR, exist_ok=True)
    for name, draw, w, h, cpp, ncolours in PICTURES:
        if not only_check:
            img = draw()
            if size(img) != (w, h):
                raise SystemExit("%s drawn at %dx%d" % ((name,) + size(img)))
            write_xpm(name, img, cpp)
        check(name, w, h, cpp, ncolours)


if __name__ == "__main__":
    main(sys.argv[1:])
