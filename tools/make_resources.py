#!/usr/bin/env python3
"""Draws Morvane's resource pictures and writes them into src/res/.

Every picture is drawn here from simple shapes (boxes, discs, capsules,
polygons, arcs) on small canvases, then written as BMP / ICO / CUR / AVI.
Only the standard library is used and the output is byte-for-byte
deterministic.

    python3 tools/make_resources.py            # draw, write, then self-check
    python3 tools/make_resources.py --check    # only check the existing files
"""
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.normpath(os.path.join(HERE, '..', 'src', 'res'))

# ---------------------------------------------------------------- palettes
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
       (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
       (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
       (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# Index names for the 16-colour pictures.
K, DR, DG, OL, NV, PU, TE, LG, DK, R, G, Y, B, M, C, W = range(16)


def make_pal256():
    """6x6x6 colour cube followed by greys and a few warm browns."""
    pal = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    extra = [(192, 192, 192), (128, 128, 128), (160, 160, 160), (224, 224, 224),
             (96, 96, 96), (64, 64, 64), (32, 32, 32), (240, 240, 240),
             (96, 56, 24), (128, 80, 32), (160, 104, 48), (192, 136, 64),
             (224, 176, 96), (240, 208, 128), (72, 40, 16), (176, 120, 56),
             (112, 160, 224), (144, 192, 240), (80, 136, 208), (176, 216, 248),
             (48, 96, 176), (32, 64, 144), (96, 176, 64), (64, 136, 48)]
    pal += extra
    g = 8
    while len(pal) < 256:          # fill the rest with a grey ramp
        if (g, g, g) not in pal:
            pal.append((g, g, g))
        g += 12
    return pal[:256]


PAL256 = make_pal256()

# ---------------------------------------------------------------- masks
# A mask is a set of (x, y) pixels.  Geometry uses "edge" coordinates:
# pixel (x, y) covers [x, x+1) x [y, y+1), so its centre is (x+.5, y+.5).


def box(x0, y0, x1, y1):
    """Inclusive pixel rectangle."""
    return {(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)}


def _area(x0, y0, x1, y1):
    for y in range(math.floor(y0) - 1, math.ceil(y1) + 1):
        for x in range(math.floor(x0) - 1, math.ceil(x1) + 1):
            yield x, y, x + 0.5, y + 0.5


def ellipse(cx, cy, rx, ry):
    return {(x, y) for x, y, px, py in _area(cx - rx, cy - ry, cx + rx, cy + ry)
            if ((px - cx) / rx) ** 2 + ((py - cy) / ry) ** 2 <= 1.0}


def disc(cx, cy, r):
    return ellipse(cx, cy, r, r)


def capsule(x0, y0, x1, y1, r):
    """Thick line with round ends: every pixel within r of the segment."""
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy or 1e-9
    out = set()
    for x, y, px, py in _area(min(x0, x1) - r, min(y0, y1) - r, max(x0, x1) + r, max(y0, y1) + r):
        t = max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / ll))
        if (px - x0 - t * dx) ** 2 + (py - y0 - t * dy) ** 2 <= r * r:
            out.add((x, y))
    return out


def poly(pts):
    """Filled polygon (even-odd rule), sampled at pixel centres."""
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    out = set()
    for x, y, px, py in _area(min(xs), min(ys), max(xs), max(ys)):
        px += 1e-3          # nudge so centres never sit exactly on an edge
        py += 1.7e-3
        inside = False
        for i in range(len(pts)):
            (ax, ay), (bx, by) = pts[i], pts[i - 1]
            if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
                inside = not inside
        if inside:
            out.add((x, y))
    return out


def arc(cx, cy, r0, r1, a0, a1):
    """Ring segment between radii r0..r1 and angles a0..a1 (degrees,
    counter-clockwise from east, screen y pointing down)."""
    out = set()
    for x, y, px, py in _area(cx - r1, cy - r1, cx + r1, cy + r1):
        d = math.hypot(px - cx, py - cy)
        if r0 <= d <= r1:
            a = math.degrees(math.atan2(cy - py, px - cx)) % 360
            if (a - a0) % 360 <= (a1 - a0) % 360:
                out.add((x, y))
    return out


def arc_arrow(cx, cy, r0, r1, a0, a1, grow, tip):
    """Curved arrow along a ring segment, head at angle a1 pointing onwards."""
    e = math.radians(a1)
    ux, uy = math.cos(e), -math.sin(e)            # outwards at the head
    vx, vy = -math.sin(e), -math.cos(e)           # direction of travel
    rm = (r0 + r1) / 2
    head = poly([(cx + ux * (r0 - grow), cy + uy * (r0 - grow)),
                 (cx + ux * (r1 + grow), cy + uy * (r1 + grow)),
                 (cx + ux * rm + vx * tip, cy + uy * rm + vy * tip)])
    return arc(cx, cy, r0, r1, a0, a1) | head


def rrect(x0, y0, x1, y1, r):
    """Rounded rectangle over the edge-coordinate box [x0,x1] x [y0,y1]."""
    return (poly([(x0 + r, y0), (x1 - r, y0), (x1 - r, y1), (x0 + r, y1)]) |
            poly([(x0, y0 + r), (x1, y0 + r), (x1, y1 - r), (x0, y1 - r)]) |
            disc(x0 + r, y0 + r, r) | disc(x1 - r, y0 + r, r) |
            disc(x0 + r, y1 - r, r) | disc(x1 - r, y1 - r, r))


def line(x0, y0, x1, y1):
    """One-pixel Bresenham line between pixel coordinates."""
    out = set()
    dx, dy = abs(x1 - x0), -abs(y1 - y0)
    sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
    err = dx + dy
    while True:
        out.add((x0, y0))
        if (x0, y0) == (x1, y1):
            return out
        e2 = 2 * err
        if e2 >= dy:
            err += dy
            x0 += sx
        if e2 <= dx:
            err += dx
            y0 += sy


N4 = ((1, 0), (-1, 0), (0, 1), (0, -1))
N8 = N4 + ((1, 1), (1, -1), (-1, 1), (-1, -1))


def rim(mask, nbrs=N4):
    """Pixels of the mask that touch the outside."""
    return {(x, y) for x, y in mask if any((x + a, y + b) not in mask for a, b in nbrs)}


def halo(mask, nbrs=N4):
    """Pixels just outside the mask."""
    return {(x + a, y + b) for x, y in mask for a, b in nbrs} - mask


def shift(mask, dx, dy):
    return {(x + dx, y + dy) for x, y in mask}


def mirror_x(mask, w):
    return {(w - 1 - x, y) for x, y in mask}


def pattern(rows, x0=0, y0=0, ch='#'):
    """Pixels marked with ch in a small text picture (used for glyphs)."""
    return {(x0 + x, y0 + y) for y, row in enumerate(rows) for x, c in enumerate(row) if c == ch}


# ---------------------------------------------------------------- canvas
class Canvas:
    """Grid of values: palette indices, RGB tuples, or None (transparent)."""

    def __init__(self, w, h, bg=None):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def get(self, x, y):
        return self.px[y][x] if 0 <= x < self.w and 0 <= y < self.h else None

    def fill(self, mask, c):
        for x, y in mask:
            if 0 <= x < self.w and 0 <= y < self.h:
                self.px[y][x] = c(x, y) if callable(c) else c

    def paint(self, mask, fill, edge=K, outline=None):
        """Fill a mask, draw its inner rim in `edge` and optionally a ring
        just outside it in `outline`."""
        self.fill(mask, fill)
        if edge is not None:
            self.fill(rim(mask), edge)
        if outline is not None:
            self.fill(halo(mask), outline)

    def blit(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                v = other.px[y][x]
                if v is not None:
                    self.fill({(ox + x, oy + y)}, v)


# ---------------------------------------------------------------- file writers
def _row_bytes(row, bpp):
    if bpp == 24:
        data = b''.join(bytes((b, g, r)) for r, g, b in row)
    elif bpp == 8:
        data = bytes(row)
    elif bpp == 4:
        row = list(row) + [0] * (len(row) % 2)
        data = bytes((row[i] << 4) | row[i + 1] for i in range(0, len(row), 2))
    elif bpp == 1:
        row = list(row) + [0] * (-len(row) % 8)
        data = bytes(sum(row[i + j] << (7 - j) for j in range(8)) for i in range(0, len(row), 8))
    return data + b'\0' * (-len(data) % 4)


def dib(rows, bpp, pal, height_field=None, and_rows=None):
    """BITMAPINFOHEADER + palette + bottom-up bits (+ AND mask for icons)."""
    h, w = len(rows), len(rows[0])
    bits = b''.join(_row_bytes(r, bpp) for r in reversed(rows))
    if and_rows is not None:
        bits += b''.join(_row_bytes(r, 1) for r in reversed(and_rows))
    ncol = len(pal) if pal else 0
    hdr = struct.pack('<IiiHHIIiiII', 40, w, height_field or h, 1, bpp, 0, len(bits), 2835, 2835,
                      ncol, 0)
    return hdr + b''.join(bytes((b, g, r, 0)) for r, g, b in (pal or [])) + bits


def write_bmp(name, cv, bpp, pal=None):
    body = dib(cv.px, bpp, pal)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(body), 0, 0, 14 + 40 + 4 * len(pal or []))
    save(name, head + body)


_nearest = {}


def quantise(v, pal):
    """Nearest palette index for an RGB tuple (first match wins ties)."""
    key = (v, tuple(pal))
    if key not in _nearest:
        _nearest[key] = min(range(len(pal)),
                            key=lambda i: sum((a - b) ** 2 for a, b in zip(v, pal[i])))
    return _nearest[key]


def icon_image(cv, bpp, pal):
    """Bits for one icon/cursor image; None pixels become transparent."""
    xor = [[0 if v is None else (quantise(v, pal) if isinstance(v, tuple) else v) for v in row]
           for row in cv.px]
    andm = [[1 if v is None else 0 for v in row] for row in cv.px]
    return dib(xor, bpp, pal, height_field=2 * cv.h, and_rows=andm)


def write_icon(name, images, kind=1, hotspot=(0, 0)):
    """images: list of (canvas, bpp, palette).  kind 1 = icon, 2 = cursor, whose hot spot is
    given for the first image and follows the others' sizes."""
    blobs = [icon_image(cv, bpp, pal) for cv, bpp, pal in images]
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for (cv, bpp, pal), blob in zip(images, blobs):
        ncol = len(pal) if len(pal) < 256 else 0
        scale = cv.w / images[0][0].w
        a, b = (1, bpp) if kind == 1 else (int(hotspot[0] * scale), int(hotspot[1] * scale))
        out += struct.pack('<BBBBHHII', cv.w % 256, cv.h % 256, ncol, 0, a, b, len(blob), offset)
        offset += len(blob)
    save(name, out + b''.join(blobs))


def chunk(fourcc, data):
    return fourcc + struct.pack('<I', len(data)) + data + b'\0' * (len(data) % 2)


def riff_list(kind, fourcc, data):
    return chunk(kind, fourcc + data)


def write_avi(name, frames, usec_per_frame, pal):
    """Uncompressed 8-bit AVI: one video stream, '00db' frames, idx1."""
    h, w = len(frames[0]), len(frames[0][0])
    fsize = ((w + 3) & ~3) * h
    bih = dib(frames[0], 8, pal)[:40 + 4 * len(pal)]
    avih = struct.pack('<IIIIIIIIII4I', usec_per_frame, fsize * 1000000 // usec_per_frame, 0,
                       0x10, len(frames), 0, 1, fsize, w, h, 0, 0, 0, 0)
    strh = struct.pack('<4s4sIHHIIIIIIIIhhhh', b'vids', b'DIB ', 0, 0, 0, 0,
                       usec_per_frame, 1000000, 0, len(frames), fsize, 0xFFFFFFFF, 0,
                       0, 0, w, h)
    hdrl = riff_list(b'LIST', b'hdrl', chunk(b'avih', avih) +
                     riff_list(b'LIST', b'strl', chunk(b'strh', strh) + chunk(b'strf', bih)))
    movi_data, index, pos = b'', b'', 4   # idx1 offsets count from the 'movi' tag
    for f in frames:
        bits = b''.join(_row_bytes(r, 8) for r in reversed(f))
        index += struct.pack('<4sIII', b'00db', 0x10, pos, len(bits))
        c = chunk(b'00db', bits)
        movi_data += c
        pos += len(c)
    body = hdrl + riff_list(b'LIST', b'movi', movi_data) + chunk(b'idx1', index)
    save(name, riff_list(b'RIFF', b'AVI ', body))


def save(name, data):
    with open(os.path.join(OUT, name), 'wb') as f:
        f.write(data)
    WRITTEN.append((name, len(data)))


WRITTEN = []

# ---------------------------------------------------------------- shared motifs


def floppy(cv, ox, oy, n):
    """Floppy disk of n x n pixels with its top-left corner at (ox, oy)."""
    e = n - 1
    body = box(ox, oy, ox + e, oy + e) - {(ox + e, oy)}
    cv.paint(body, NV)
    lw = n - 6                                    # label
    cv.fill(box(ox + 3, oy + 1, ox + 2 + lw, oy + n // 2 - 1), W)
    for ly in range(oy + 3, oy + n // 2 - 1, 2):
        cv.fill(box(ox + 4, ly, ox + 1 + lw, ly), DK)
    sy = oy + n - n // 3 - 1                       # metal shutter
    cv.fill(box(ox + 4, sy, ox + e - 3, oy + e - 1), LG)
    cv.fill(box(ox + e - 5, sy + 1, ox + e - 4, oy + e - 2), NV)


def magnifier(cv):
    """Lens in the top-left with the handle to the bottom right."""
    cv.paint(capsule(10.5, 10.5, 14, 14, 1.6), DR)
    cv.paint(disc(6.5, 6.5, 5.6), W)
    cv.fill(rim(disc(6.5, 6.5, 4.6)) - box(3, 3, 6, 6), LG)
    cv.fill({(3, 5), (3, 4), (4, 3), (5, 3)}, C)


def pencil(cv, x0, y0, x1, y1):
    """Yellow pencil running from the eraser end (x0,y0) to the tip (x1,y1)."""
    L = math.hypot(x1 - x0, y1 - y0)
    ux, uy = (x1 - x0) / L, (y1 - y0) / L
    bx, by = x1 - ux * 3, y1 - uy * 3            # where the sharpened cone starts
    cv.paint(capsule(x0, y0, bx, by, 1.5), Y)
    cv.fill(capsule(x0, y0, x0 + ux * 1.2, y0 + uy * 1.2, 1.5) - rim(capsule(x0, y0, bx, by, 1.5)), R)
    cone = poly([(bx - uy * 1.9, by + ux * 1.9), (bx + uy * 1.9, by - ux * 1.9), (x1, y1)])
    cv.paint(cone, W)
    cv.fill(capsule(x1 - ux * 0.8, y1 - uy * 0.8, x1 - ux * 0.8, y1 - uy * 0.8, 0.8), K)


def landscape(cv, x0, y0, x1, y1, mono=False):
    """A little picture: sky, sun, hills.  Works on 16-colour canvases
    (mono=True) and on RGB canvases with gradients."""
    w, h = x1 - x0 + 1, y1 - y0 + 1
    inside = box(x0, y0, x1, y1)
    if mono:
        cv.fill(inside, C)
        cv.fill(disc(x0 + w * 0.72, y0 + h * 0.3, max(0.8, w * 0.14)) & inside, Y)
        cv.fill(poly([(x0, y1 + 1), (x0, y0 + h * 0.6), (x0 + w * 0.35, y0 + h * 0.35),
                      (x0 + w * 0.8, y1 + 1)]) & inside, G)
        cv.fill(poly([(x0 + w * 0.4, y1 + 1), (x0 + w * 0.75, y0 + h * 0.55),
                      (x1 + 1, y0 + h * 0.75), (x1 + 1, y1 + 1)]) & inside, DG)
        return
    for y in range(y0, y1 + 1):                  # sky gradient
        t = (y - y0) / max(1, h - 1)
        cv.fill(box(x0, y, x1, y), mix((40, 90, 200), (170, 215, 250), t))
    sun = disc(x0 + w * 0.74, y0 + h * 0.28, w * 0.12) & inside
    cv.fill(halo(sun, N8) & inside, (250, 240, 170))
    cv.fill(sun, (255, 220, 40))
    far = poly([(x0 - 1, y0 + h * 0.75), (x0 + w * 0.3, y0 + h * 0.3),
                (x0 + w * 0.55, y0 + h * 0.62), (x0 + w * 0.7, y0 + h * 0.48),
                (x1 + 2, y0 + h * 0.78), (x1 + 2, y1 + 2), (x0 - 1, y1 + 2)]) & inside
    cv.fill(far, lambda x, y: mix((110, 100, 130), (80, 70, 100), (x - x0) / w))
    cv.fill({(x, y) for x, y in far if y < y0 + h * 0.42}, (245, 245, 250))   # snow cap
    hill = poly([(x0 - 1, y0 + h * 0.8), (x0 + w * 0.35, y0 + h * 0.66), (x0 + w * 0.7, y0 + h * 0.74),
                 (x1 + 2, y0 + h * 0.68), (x1 + 2, y1 + 2), (x0 - 1, y1 + 2)]) & inside
    cv.fill(hill, lambda x, y: mix((90, 180, 60), (30, 110, 40), (y - y0 - h * 0.66) / (h * 0.34)))


def wooden_frame(cv, x0, y0, x1, y1, bw):
    """Bevelled wooden frame bw pixels wide (top and left sides lit) holding
    a landscape; the inner row just under the frame is shaded."""
    for i in range(bw):
        for x, y in rim(box(x0 + i, y0 + i, x1 - i, y1 - i)):
            lit = y == y0 + i or x == x0 + i
            cv.fill({(x, y)}, (236, 192, 104) if lit else (150, 96, 42))
    cv.fill(rim(box(x0, y0, x1, y1)), (60, 34, 12))
    landscape(cv, x0 + bw, y0 + bw, x1 - bw, y1 - bw)
    cv.fill(box(x0 + bw, y0 + bw, x1 - bw, y0 + bw) | box(x0 + bw, y0 + bw, x0 + bw, y1 - bw),
            (90, 56, 24))


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(p + (q - p) * t)) for p, q in zip(a, b))


# ---------------------------------------------------------------- larger sizes
# The pictures for screens at 150 % and 200 % are made here, once, from the drawn pixels with an
# edge-following pixel-art enlargement: diagonals stay stepped lines instead of growing blocks,
# while straight strokes keep their square ends and corners (a plus stays a plus), and every value stays one of the picture's own (palette index, colour or transparent), so the
# 16-colour and monochrome formats still hold them. The program picks the nearest size; nothing
# is stretched while it runs.
def _near(cv, x, y):
    return cv.get(min(max(x, 0), cv.w - 1), min(max(y, 0), cv.h - 1))


def _square_corner(cv, x, y, dx, dy):
    """Whether pixel (x, y) is the corner of a 2 x 2 block of its value reaching towards (dx, dy):
    the square end of a straight stroke, or the inside of a notch between two, kept square."""
    p = cv.px[y][x]
    return _near(cv, x + dx, y) == p and _near(cv, x, y + dy) == p and _near(cv, x + dx, y + dy) == p


def _cut(cv, x, y, dx, dy):
    """Whether the corner of pixel (x, y) towards (-dx, -dy) takes its two equal sides' value: on a
    diagonal step, where the pixel between those sides (diagonally) is not theirs, unless the pixel
    is the square corner of a block."""
    side = _near(cv, x - dx, y)
    return _near(cv, x - dx, y - dy) != side and not _square_corner(cv, x, y, dx, dy)


def scale2x(cv):
    out = Canvas(cv.w * 2, cv.h * 2)
    for y in range(cv.h):
        for x in range(cv.w):
            p = cv.px[y][x]
            a, b, c, d = _near(cv, x, y - 1), _near(cv, x + 1, y), _near(cv, x - 1, y), _near(cv, x, y + 1)
            e = [p, p, p, p]
            if c == a and c != d and a != b and _cut(cv, x, y, 1, 1):
                e[0] = a
            if a == b and a != c and b != d and _cut(cv, x, y, -1, 1):
                e[1] = b
            if d == c and d != b and c != a and _cut(cv, x, y, 1, -1):
                e[2] = c
            if b == d and b != a and d != c and _cut(cv, x, y, -1, -1):
                e[3] = d
            out.px[2 * y][2 * x], out.px[2 * y][2 * x + 1] = e[0], e[1]
            out.px[2 * y + 1][2 * x], out.px[2 * y + 1][2 * x + 1] = e[2], e[3]
    return out


def scale3x(cv):
    out = Canvas(cv.w * 3, cv.h * 3)
    for y in range(cv.h):
        for x in range(cv.w):
            a, b, c = _near(cv, x - 1, y - 1), _near(cv, x, y - 1), _near(cv, x + 1, y - 1)
            d, e, f = _near(cv, x - 1, y), cv.px[y][x], _near(cv, x + 1, y)
            g, h, i = _near(cv, x - 1, y + 1), _near(cv, x, y + 1), _near(cv, x + 1, y + 1)
            # Corners are cut only on diagonal steps, as in scale2x.
            tl = d == b and b != f and d != h and _cut(cv, x, y, 1, 1)
            tr = b == f and b != d and f != h and _cut(cv, x, y, -1, 1)
            bl = d == h and d != b and h != f and _cut(cv, x, y, 1, -1)
            br = h == f and d != h and b != f and _cut(cv, x, y, -1, -1)
            cells = [d if tl else e, b if (tl and e != c) or (tr and e != a) else e, f if tr else e,
                     d if (tl and e != g) or (bl and e != a) else e, e,
                     f if (tr and e != i) or (br and e != c) else e,
                     d if bl else e, h if (bl and e != i) or (br and e != g) else e, f if br else e]
            for k, v in enumerate(cells):
                out.px[3 * y + k // 3][3 * x + k % 3] = v
    return out


def halve(cv):
    """Every 2 x 2 block to its most frequent value (the top-left one on a tie)."""
    out = Canvas((cv.w + 1) // 2, (cv.h + 1) // 2)
    for y in range(out.h):
        for x in range(out.w):
            block = [_near(cv, 2 * x + i, 2 * y + j) for j in (0, 1) for i in (0, 1)]
            out.px[y][x] = max(block, key=block.count)
    return out


def enlarge(cv, percent):
    """The picture at 100, 150 or 200 %."""
    return {100: lambda c: c, 150: lambda c: halve(scale3x(c)), 200: scale2x}[percent](cv)


SCALES = (150, 200)


def scaled_name(name, percent):
    stem, ext = os.path.splitext(name)
    return name if percent == 100 else '%s%d%s' % (stem, percent, ext)


# ---------------------------------------------------------------- toolbar images
def tb_open(cv):
    cv.paint(box(0, 3, 12, 13) | box(1, 2, 5, 3), OL)
    cv.fill(box(1, 4, 11, 4), Y)
    cv.paint(box(2, 5, 10, 9), W)
    cv.paint(poly([(3, 7), (16, 7), (13, 14), (0, 14)]), Y)


def tb_save(cv):
    floppy(cv, 1, 1, 14)


def tb_save_as(cv):
    floppy(cv, 0, 3, 13)
    pencil(cv, 14.5, 1.5, 6.5, 9.5)


def tb_print(cv):
    cv.paint(box(4, 1, 11, 8), W)
    cv.fill(box(5, 3, 10, 3) | box(5, 5, 9, 5), DK)
    cv.paint(box(0, 7, 15, 13), LG)
    cv.fill(box(1, 8, 14, 8), W)
    cv.fill(box(1, 12, 14, 12), DK)
    cv.fill(box(3, 10, 9, 10), K)
    cv.fill({(12, 10)}, G)
    cv.paint(box(3, 12, 12, 14), W)


def page(cv, x0, y0, x1, y1):
    ear = poly([(x1 - 2, y0), (x1 + 1, y0 + 3), (x1 + 1, y0)])
    cv.paint(box(x0, y0, x1, y1) - ear, W)
    cv.fill(line(x1 - 3, y0, x1 - 3, y0 + 3) | line(x1 - 3, y0 + 3, x1, y0 + 3), K)
    for ly in range(y0 + 3, y1 - 1, 2):
        cv.fill(box(x0 + 2, ly, x1 - (4 if ly < y0 + 4 else 2), ly), NV)


def tb_copy(cv):
    page(cv, 1, 0, 9, 11)
    page(cv, 6, 4, 14, 15)


A_GLYPH = ['##.', '..#', '.##', '#.#', '.##']
B_GLYPH = ['#..', '#..', '##.', '#.#', '#.#', '##.']


def tb_rename(cv):
    cv.paint(box(0, 3, 15, 12), W)
    cv.fill(box(2, 5, 10, 10), NV)                 # selected text "ab"
    cv.fill(pattern(A_GLYPH, 3, 5 + 1) | pattern(B_GLYPH, 7, 5), W)
    cv.fill(box(12, 4, 12, 11) | {(11, 4), (13, 4), (11, 11), (13, 11)}, K)   # text cursor


def big_arrow(cv, flip):
    """Fat green arrow pointing left (or right when flipped), shaded underneath."""
    m = box(8, 5, 14, 10)
    for x in range(1, 8):                          # the head widens by a row each column
        m |= box(x, 8 - x, x, 7 + x)
    if flip:
        m = mirror_x(m, 16)
    body = m - rim(m)
    cv.paint(m, G)
    cv.fill({(x, y) for x, y in body if y > 7 and (x, y + 1) not in body}, DG)


def tb_prev(cv):
    big_arrow(cv, False)


def tb_next(cv):
    big_arrow(cv, True)


def tb_slideshow(cv):
    tri = set()
    for x in range(0, 9):
        tri |= box(x, 1 + x * 6 // 8, x, 14 - x * 6 // 8)
    cv.paint(tri, G)
    cv.paint(box(8, 8, 15, 15), R)


def tb_zoom_out(cv):
    magnifier(cv)
    cv.fill(box(4, 6, 9, 7), K)


def tb_zoom_in(cv):
    magnifier(cv)
    cv.fill(box(4, 6, 9, 7) | box(6, 4, 7, 9), K)


def tb_zoom(cv):
    magnifier(cv)
    cv.fill(line(4, 9, 9, 4) | {(7, 4), (8, 4), (9, 5), (9, 6), (4, 7), (4, 8), (5, 9), (6, 9)}, K)


def tb_fullscreen(cv):
    cv.paint(box(4, 4, 11, 11), B)
    cv.fill(box(5, 5, 10, 5), NV)
    for fx, fy in ((0, 0), (1, 0), (0, 1), (1, 1)):
        a = poly([(0, 0), (5, 0), (0, 5)]) | line(2, 2, 3, 3)
        cv.fill({(15 - x if fx else x, 15 - y if fy else y) for x, y in a}, K)


def tb_capture_region(cv):
    for x, y in rim(box(1, 1, 11, 11)):
        cv.fill({(x, y)}, K if ((x + y) // 2) % 2 == 0 else W)
    cv.fill(box(8, 11, 10, 11) | box(12, 11, 15, 11) | box(11, 8, 11, 10) | box(11, 12, 11, 15), R)


ARROW = ['#', '##', '###', '####', '#####', '###', '#.##', '..##']


def cursor_arrow(cv, x0, y0):
    """Mouse pointer: white body with a black outline, tip at (x0, y0)."""
    m = pattern(ARROW, x0 + 1, y0 + 1)
    cv.fill(halo(m), K)
    cv.fill(m, W)


def tb_capture_window(cv):
    cv.paint(box(0, 1, 12, 11), W)
    cv.fill(box(1, 2, 11, 3), NV)
    cv.fill({(10, 2)}, W)
    cv.fill(box(1, 4, 11, 4), K)
    cursor_arrow(cv, 8, 5)


def tb_capture_screen(cv):
    cv.paint(box(0, 0, 13, 11), LG)                # monitor
    cv.paint(box(2, 2, 11, 9), TE)
    cv.fill({(3, 3), (4, 3), (3, 4)}, C)
    cv.paint(box(8, 8, 11, 10), DK)                # camera: viewfinder bump, body, lens
    cv.paint(box(5, 9, 15, 15), DK)
    cv.fill(box(6, 10, 14, 10), LG)
    cv.paint(disc(10.5, 12.5, 2.6), B)
    cv.fill({(10, 11), (9, 12)}, C)
    cv.fill(box(13, 11, 14, 11), Y)


QMARK = ['..####..', '.######.', '##....##', '##....##', '.....##.', '....##..', '...##...',
         '...##...', '........', '...##...', '...##...']


def tb_help(cv):
    m = pattern(QMARK, 4, 2)
    cv.fill(halo(m, N8), K)
    cv.fill(m, B)
    cv.fill({(6, 2), (7, 2), (5, 3)}, C)


# ---------------------------------------------------------------- menu images
def menu_update(cv):
    for a0 in (30, 210):                            # two chasing arrows
        cv.paint(arc_arrow(8, 8, 3.6, 6.8, a0, a0 + 105, 2.0, 4.6), G, K)


def menu_image_edit(cv):
    """Paint brush with a fresh red stroke under it."""
    stroke = capsule(2.5, 13.5, 6, 12.2, 1.0) | capsule(6, 12.2, 10, 14.2, 1.0) | \
        capsule(10, 14.2, 14, 12.5, 1.0)
    cv.fill(stroke, R)

    handle = line(14, 0, 10, 4) | line(15, 0, 11, 4)
    ferrule = capsule(9.5, 6.5, 8.5, 7.5, 1.5)
    head = capsule(7.2, 8.8, 4.2, 11.8, 1.7) | {(2, 13), (3, 13), (2, 12)}
    cv.fill(halo(handle | ferrule | head), K)
    cv.fill(handle, DR)
    cv.fill({(15, 0), (14, 1), (13, 2)}, R)        # light catching the handle
    cv.fill(ferrule, DK)
    cv.fill({(9, 6), (10, 6)} & ferrule, W)
    cv.fill(head, R)
    cv.fill(head & {(x, y) for x, y in head if x + y >= 16}, DR)


def desktop(cv):
    cv.paint(box(0, 1, 15, 13), TE)


def mini_picture(cv, x0, y0, x1, y1):
    cv.fill(rim(box(x0, y0, x1, y1)), K)
    landscape(cv, x0 + 1, y0 + 1, x1 - 1, y1 - 1, mono=True)


def menu_wall_center(cv):
    desktop(cv)
    mini_picture(cv, 4, 4, 11, 10)


def menu_wall_stretch(cv):
    desktop(cv)
    landscape(cv, 1, 2, 14, 12, mono=True)
    ar = box(3, 7, 12, 7) | poly([(2, 7.5), (5, 4.5), (5, 10.5)]) | poly([(14, 7.5), (11, 4.5), (11, 10.5)])
    cv.fill(halo(ar), W)
    cv.fill(ar, K)


def menu_wall_none(cv):
    desktop(cv)
    cv.fill(capsule(3, 3, 13, 12, 1.0) | capsule(13, 3, 3, 12, 1.0), R)


def menu_wall_tile(cv):
    desktop(cv)
    for x, y in ((1, 2), (8, 2), (1, 8), (8, 8)):
        landscape(cv, x, y, x + 5, y + 4, mono=True)


def menu_about(cv):
    cv.paint(disc(8, 8, 7.3), B, NV)
    cv.fill(box(7, 3, 8, 4) | box(6, 6, 8, 6) | box(7, 6, 8, 11) | box(6, 12, 9, 12), W)


# ---------------------------------------------------------------- icons
def icon_app(n):
    """Framed landscape with a magnifier, n x n (32 or 16)."""
    s = n / 32
    cv = Canvas(n, n)
    wooden_frame(cv, 0, round(3 * s), n - 1 - round(3 * s), n - 1 - round(5 * s), max(2, round(4 * s)))
    lc, lr = 21.5 * s, 6.8 * s                     # magnifier over the bottom-right corner
    cv.paint(capsule(25 * s, 25 * s, 30.5 * s, 30.5 * s, 2.2 * s), (96, 56, 24), (32, 32, 32))
    lens = disc(lc, lc, lr)
    cv.fill(lens, (176, 216, 248))
    cv.fill(rim(lens), (32, 32, 32))
    cv.fill(rim(lens - rim(lens)) & {(x, y) for x, y in lens if x + y < 2 * lc - 2 * s}, (255, 255, 255))
    return cv


def icon_cancel():
    cv = Canvas(32, 32)
    d = disc(16, 16, 15)
    cv.paint(d, R, DR)
    inner = rim(d - rim(d))                        # bevel: lit top-left, shaded bottom-right
    cv.fill({(x, y) for x, y in inner if x + y < 30}, W)
    cv.fill({(x, y) for x, y in inner if x + y > 34}, DR)
    cross = capsule(10.5, 10.5, 21.5, 21.5, 2.6) | capsule(21.5, 10.5, 10.5, 21.5, 2.6)
    cv.fill(shift(cross, 1, 1), DR)                # drop shadow
    cv.fill(cross, W)
    return cv


def icon_apply():
    cv = Canvas(32, 32)
    m = capsule(5.5, 17.5, 12.5, 24.5, 3.0) | capsule(12.5, 24.5, 26.5, 6.5, 3.0)
    cv.paint(m, G, DG)
    body = m - rim(m)                              # highlight along the upper-left edges
    cv.fill({(x, y) for x, y in rim(body) if (x - 1, y - 1) not in body}, W)
    return cv


# ---------------------------------------------------------------- cursors
def hand(open_hand):
    if open_hand:
        fingers = [capsule(12, 15, 10.6, 5.4, 2.15), capsule(15.9, 14, 15.8, 3.3, 2.15),
                   capsule(19.7, 14, 20.9, 4.8, 2.15), capsule(22.6, 16, 25.6, 9.0, 1.95),
                   capsule(11, 22, 4.6, 14.2, 2.2)]
        palm = rrect(9, 12, 24, 26, 4) | box(11, 24, 20, 28)
    else:
        fingers = [capsule(11.6, 12.4, 11.6, 17, 2.2), capsule(15.8, 11.2, 15.8, 17, 2.2),
                   capsule(20.0, 11.8, 20.0, 17, 2.2), capsule(23.9, 13.8, 23.9, 17, 2.0),
                   capsule(10.0, 21, 7.0, 17.0, 2.3)]
        palm = rrect(9, 15, 26, 26, 4) | box(11, 24, 21, 28)
    m = palm.union(*fingers)
    cv = Canvas(32, 32)
    cv.fill(m, W)
    cv.fill(rim(m), K)
    owner = {}                                     # each pixel belongs to its first finger
    for i, f in enumerate(fingers):
        for p in f - palm:
            owner.setdefault(p, i)
    cv.fill({(x, y) for (x, y), i in owner.items()
             if any(owner.get((x + a, y + b), i) > i for a, b in N4)}, K)
    return cv


def cursor_bits(cv):
    """Map the white/black/transparent canvas to 1-bpp palette indices."""
    out = Canvas(cv.w, cv.h)
    for y in range(cv.h):
        for x in range(cv.w):
            v = cv.px[y][x]
            out.px[y][x] = None if v is None else (1 if v == W else 0)
    return out


# ---------------------------------------------------------------- splash
FONT = {
    'M': '#...# ##.## #.#.# #.#.# #...# #...# #...#',
    'I': '.###. ..#.. ..#.. ..#.. ..#.. ..#.. .###.',
    '1': '..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###.',
    '2': '.###. #...# ....# ...#. ..#.. .#... #####',
    '5': '##### #.... ####. ....# ....# #...# .###.',
    '.': '..... ..... ..... ..... ..... .##.. .##..',
    ' ': '..... ..... ..... ..... ..... ..... .....',
    'a': '..... ..... .###. ....# .#### #...# .####',
    'c': '..... ..... .###. #.... #.... #...# .###.',
    'd': '....# ....# .##.# #..## #...# #...# .####',
    'e': '..... ..... .###. #...# ##### #.... .###.',
    'g': '..... ..... .#### #...# #...# #...# .#### ....# .###.',
    'i': '..#.. ..... .##.. ..#.. ..#.. ..#.. .###.',
    'm': '..... ..... ##.#. #.#.# #.#.# #.#.# #.#.#',
    'n': '..... ..... #.##. ##..# #...# #...# #...#',
    'o': '..... ..... .###. #...# #...# #...# .###.',
    'p': '..... ..... ####. #...# #...# #...# ####. #.... #....',
    'r': '..... ..... #.##. ##..# #.... #.... #....',
    's': '..... ..... .###. #.... .###. ....# ####.',
    't': '.#... .#... ###.. .#... .#... .#..# ..##.',
    'u': '..... ..... #...# #...# #...# #..## .##.#',
    'v': '..... ..... #...# #...# #...# .#.#. ..#..',
    'w': '..... ..... #...# #...# #.#.# #.#.# .#.#.',
    'A': '.###. #...# #...# ##### #...# #...# #...#',
    'E': '##### #.... #.... ####. #.... #.... #####',
    'N': '#...# ##..# #.#.# #..## #...# #...# #...#',
    'O': '.###. #...# #...# #...# #...# #...# .###.',
    'R': '####. #...# #...# ####. #.#.. #..#. #...#',
    'T': '##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#..',
    'Z': '##### ....# ...#. ..#.. .#... #.... #####',
    '0': '.###. #...# #..## #.#.# ##..# #...# .###.',
    '4': '...#. ..##. .#.#. #..#. ##### ...#. ...#.',
    '(': '...#. ..#.. .#... .#... .#... ..#.. ...#.',
    ')': '.#... ..#.. ...#. ...#. ...#. ..#.. .#...',
}


def text_mask(s, x0, y0, scale=1):
    m = set()
    for i, ch in enumerate(s):
        for x, y in pattern(FONT[ch].split(), 0, 0):
            m |= box(x0 + (i * 6 + x) * scale, y0 + y * scale,
                     x0 + (i * 6 + x) * scale + scale - 1, y0 + y * scale + scale - 1)
    return m


def splash():
    w, h = 228, 161
    cv = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            t = (y / h) * 0.8 + (x / w) * 0.2
            cv.px[y][x] = mix((18, 40, 110), (30, 130, 150), t)
    glow = ellipse(114, 48, 80, 40)
    cv.fill(glow, lambda x, y: mix(cv.px[y][x], (120, 170, 220),
                                    0.35 * (1 - ((x + .5 - 114) / 80) ** 2 - ((y + .5 - 48) / 40) ** 2)))
    # framed picture
    fx0, fy0, fx1, fy1 = 70, 14, 157, 79
    cv.fill(shift(box(fx0, fy0, fx1, fy1), 3, 3), lambda x, y: mix(cv.px[y][x], (0, 0, 0), 0.45))
    wooden_frame(cv, fx0, fy0, fx1, fy1, 7)
    # title and subtitle with a soft shadow
    title = 'Morvane 1.52'
    tx = (w - (len(title) * 6 - 1) * 2) // 2
    tm = text_mask(title, tx, 92, 2)
    cv.fill(shift(tm, 2, 2), lambda x, y: mix(cv.px[y][x], (0, 0, 0), 0.55))
    cv.fill(tm, lambda x, y: mix((255, 255, 255), (255, 214, 120), (y - 92) / 14))
    sub = 'Image viewer and screen capture'
    sx = (w - (len(sub) * 6 - 1)) // 2
    sm = text_mask(sub, sx, 120)
    cv.fill(shift(sm, 1, 1), lambda x, y: mix(cv.px[y][x], (0, 0, 0), 0.5))
    cv.fill(sm, (220, 235, 250))
    cv.fill(box(40, 113, 187, 113), lambda x, y: mix(cv.px[y][x], (255, 255, 255), 0.35))
    # the maker
    maker = '(c) 2004 ZENTARO'
    mx = (w - (len(maker) * 6 - 1)) // 2
    mm = text_mask(maker, mx, 141)
    cv.fill(shift(mm, 1, 1), lambda x, y: mix(cv.px[y][x], (0, 0, 0), 0.5))
    cv.fill(mm, (170, 200, 235))
    cv.fill(rim(box(0, 0, w - 1, h - 1)), (10, 20, 60))
    cv.fill(rim(box(1, 1, w - 2, h - 2)), (90, 140, 200))
    return cv


# ---------------------------------------------------------------- animation
def globe_frame(k, nframes):
    """Spinning globe circled by two arrows, 32 x 32, 8-bit indices."""
    cv = Canvas(32, 32, (192, 192, 192))
    phase = 0.5 * math.pi * k / nframes            # a quarter turn per loop; the land repeats
    cx = cy = 16
    r = 9.5
    for y in range(32):
        for x in range(32):
            nx, ny = (x + .5 - cx) / r, (y + .5 - cy) / r
            d = nx * nx + ny * ny
            if d > 1:
                continue
            nz = math.sqrt(1 - d)
            lon = math.atan2(nx, nz) + phase
            lat = math.asin(-ny)
            land = (math.sin(4 * lon + 0.8 * math.sin(3 * lat)) * math.cos(1.4 * lat) +
                    0.3 * math.sin(8 * lon + 3 * lat)) > 0.3
            light = 0.45 + 0.55 * max(0.0, -0.45 * nx - 0.5 * ny + 0.74 * nz)
            base = (60, 170, 60) if land else (40, 90, 210)
            cv.px[y][x] = mix((0, 0, 0), base, light)
    cv.fill(rim(disc(cx, cy, r)), (0, 0, 102))
    for a0 in (0, 180):
        a = a0 + 180 * k / nframes                  # the two arrows swap places each loop
        m = arc_arrow(cx, cy, 12.2, 15.2, a, a + 110, 1.6, 4.0)
        cv.fill(m, (255, 204, 0))
        cv.fill(rim(m), (102, 51, 0))
    return [[quantise(v, PAL256) for v in row] for row in cv.px]


# ---------------------------------------------------------------- main
TOOLBAR = [tb_open, tb_save, tb_save_as, tb_print, tb_copy, tb_rename, tb_prev, tb_next,
           tb_slideshow, tb_zoom_out, tb_zoom_in, tb_zoom, tb_fullscreen, tb_capture_region,
           tb_capture_window, tb_capture_screen, tb_help]
MENU = [('Update.bmp', menu_update), ('ImageEdit.bmp', menu_image_edit),
        ('WallCenter.bmp', menu_wall_center), ('WallStretch.bmp', menu_wall_stretch),
        ('WallNone.bmp', menu_wall_none), ('WallTile.bmp', menu_wall_tile),
        ('About.bmp', menu_about)]


def generate():
    os.makedirs(OUT, exist_ok=True)
    cells = []
    for draw in TOOLBAR:
        cv = Canvas(16, 16, LG)
        draw(cv)
        cells.append(cv)
    for percent in (100,) + SCALES:
        n = 16 * percent // 100
        strip = Canvas(n * len(TOOLBAR), n, LG)
        for i, cv in enumerate(cells):                 # each cell on its own: no bleeding across
            strip.blit(enlarge(cv, percent), n * i, 0)
        write_bmp(scaled_name('Toolbar.bmp', percent), strip, 4, VGA)
    for name, draw in MENU:
        cv = Canvas(16, 16, LG)
        draw(cv)
        for percent in (100,) + SCALES:
            write_bmp(scaled_name(name, percent), enlarge(cv, percent), 4, VGA)
    write_icon('Morvane.ico', [(icon_app(32), 8, PAL256), (icon_app(16), 8, PAL256)])
    for name, draw in (('Cancel.ico', icon_cancel), ('Apply.ico', icon_apply)):
        cv = draw()
        write_icon(name, [(enlarge(cv, percent), 4, VGA) for percent in (100,) + SCALES])
    mono = [(0, 0, 0), (255, 255, 255)]
    for name, open_hand in (('OpenHand.cur', True), ('ClosedHand.cur', False)):
        cv = hand(open_hand)
        write_icon(name, [(cursor_bits(enlarge(cv, percent)), 1, mono) for percent in (100,) + SCALES], 2,
                   (15, 15))
    cv = splash()
    for percent in (100,) + SCALES:
        write_bmp(scaled_name('Splash.bmp', percent), enlarge(cv, percent), 24)
    write_avi('Update.avi', [globe_frame(k, 8) for k in range(8)], 200000, PAL256)


# ---------------------------------------------------------------- self-check
class CheckError(Exception):
    pass


def expect(cond, what):
    if not cond:
        raise CheckError(what)


def check_dib(data, off, w, h, bpp, ncol, icon=False):
    size, bw, bh, planes, bc, comp = struct.unpack_from('<IiiHHI', data, off)
    expect(size == 40 and bw == w and bh == (2 * h if icon else h), 'header %dx%d' % (bw, bh))
    expect(planes == 1 and bc == bpp and comp == 0, 'bit depth %d' % bc)
    used = struct.unpack_from('<I', data, off + 32)[0]
    expect((used or (1 << bpp if bpp <= 8 else 0)) == ncol, 'palette size %d' % used)
    stride = ((w * bpp + 31) // 32) * 4
    bits = stride * h + ((((w + 31) // 32) * 4 * h) if icon else 0)
    return 40 + 4 * ncol + bits


def check_bmp(name, w, h, bpp):
    data = open(os.path.join(OUT, name), 'rb').read()
    magic, fsize, _, _, offbits = struct.unpack_from('<2sIHHI', data)
    expect(magic == b'BM' and fsize == len(data), 'file header')
    ncol = 16 if bpp == 4 else 0
    expect(offbits == 14 + 40 + 4 * ncol, 'bits offset')
    expect(14 + check_dib(data, 14, w, h, bpp, ncol) == len(data), 'file size')
    if bpp == 4:
        pal = [tuple(data[54 + 4 * i + j] for j in (2, 1, 0)) for i in range(16)]
        expect(pal == VGA, 'palette is not the standard 16 colours')
        stride = ((w * 4 + 31) // 32) * 4
        # light grey (the button face) must show as background around every 16x16 cell
        for cx in range(0, w, h):
            grey = 0
            for x, y in rim(box(cx, 0, cx + h - 1, h - 1)):
                byte = data[offbits + (h - 1 - y) * stride + x // 2]
                grey += (byte >> 4 if x % 2 == 0 else byte & 15) == LG
            expect(grey >= 15 * h // 16, 'cell at x=%d has little grey background' % cx)


def check_icon(name, kind, sizes, hotspot=None):
    """sizes: (width, bpp) per image; a cursor's hot spot is the first image's, scaled."""
    data = open(os.path.join(OUT, name), 'rb').read()
    res, typ, count = struct.unpack_from('<HHH', data)
    expect(res == 0 and typ == kind and count == len(sizes), 'directory')
    end = 6 + 16 * count
    for i, (w, bpp) in enumerate(sizes):
        bw, bh, nc, _, a, b, nbytes, off = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        expect(bw == w % 256 and bh == w % 256, 'entry size')
        if kind == 2:
            scale = w / sizes[0][0]
            expect((a, b) == (int(hotspot[0] * scale), int(hotspot[1] * scale)), 'hot spot %r' % ((a, b),))
        else:
            expect(a == 1 and b == bpp, 'entry depth')
        ncol = 1 << bpp
        expect(nc == (ncol if ncol < 256 else 0), 'entry colour count')
        expect(off == end and check_dib(data, off, w, w, bpp, ncol, icon=True) == nbytes, 'image size')
        end += nbytes
    expect(end == len(data), 'trailing bytes')


def check_avi(name, nframes, w, h, usec):
    data = open(os.path.join(OUT, name), 'rb').read()

    def chunks(lo, hi):
        while lo < hi:
            cid, size = struct.unpack_from('<4sI', data, lo)
            yield cid, lo + 8, size
            lo += 8 + size + (size & 1)

    expect(data[:4] == b'RIFF' and data[8:12] == b'AVI ', 'RIFF AVI')
    expect(struct.unpack_from('<I', data, 4)[0] + 8 == len(data), 'RIFF size')
    top = list(chunks(12, len(data)))
    expect([(c, data[o:o + 4]) for c, o, _ in top[:2]] == [(b'LIST', b'hdrl'), (b'LIST', b'movi')],
           'top-level lists')
    expect(top[2][0] == b'idx1', 'idx1')
    hdrl = list(chunks(top[0][1] + 4, top[0][1] + top[0][2]))
    expect(hdrl[0][0] == b'avih', 'avih')
    a = struct.unpack_from('<10I', data, hdrl[0][1])
    expect(a[0] == usec and a[4] == nframes and a[6] == 1 and (a[8], a[9]) == (w, h), 'avih values')
    expect(hdrl[1][0] == b'LIST' and data[hdrl[1][1]:hdrl[1][1] + 4] == b'strl', 'strl')
    strl = list(chunks(hdrl[1][1] + 4, hdrl[1][1] + hdrl[1][2]))
    expect([c for c, _, _ in strl] == [b'strh', b'strf'], 'strh/strf')
    expect(data[strl[0][1]:strl[0][1] + 4] == b'vids', 'vids stream')
    expect(struct.unpack_from('<I', data, strl[0][1] + 32)[0] == nframes, 'stream length')
    check_dib(data, strl[1][1], w, h, 8, 256)
    movi = top[1][1]
    frames = list(chunks(movi + 4, movi + top[1][2]))
    expect(len(frames) == nframes and all(c == b'00db' and s == w * h for c, _, s in frames),
           'frame chunks')
    idx = top[2]
    expect(idx[2] == 16 * nframes, 'index length')
    for i in range(nframes):
        cid, flags, off, size = struct.unpack_from('<4sIII', data, idx[1] + 16 * i)
        expect(cid == b'00db' and data[movi + off:movi + off + 4] == b'00db' and size == w * h,
               'index entry %d' % i)


def check():
    three = lambda n, bpp: [(n * p // 100, bpp) for p in (100,) + SCALES]
    checks = [(check_icon, ('Morvane.ico', 1, [(32, 8), (16, 8)])),
              (check_icon, ('Cancel.ico', 1, three(32, 4))), (check_icon, ('Apply.ico', 1, three(32, 4))),
              (check_icon, ('OpenHand.cur', 2, three(32, 1), (15, 15))),
              (check_icon, ('ClosedHand.cur', 2, three(32, 1), (15, 15))),
              (check_avi, ('Update.avi', 8, 32, 32, 200000))]
    for percent in (100,) + SCALES:
        n = 16 * percent // 100
        checks += [(check_bmp, (scaled_name('Toolbar.bmp', percent), 17 * n, n, 4)),
                   (check_bmp, (scaled_name('Splash.bmp', percent), (228 * percent + 99) // 100,
                                (161 * percent + 99) // 100, 24))]
        checks += [(check_bmp, (scaled_name(name, percent), n, n, 4)) for name, _ in MENU]
    bad = 0
    for fn, args in checks:
        try:
            fn(*args)
        except (CheckError, OSError, struct.error, IndexError) as e:
            print('FAIL %s: %s' % (args[0], e))
            bad += 1
    print('%d files checked, %d bad' % (len(checks), bad))
    return bad == 0


if __name__ == '__main__':
    if '--check' not in sys.argv[1:]:
        generate()
        for name, size in WRITTEN:
            print('wrote %-16s %6d bytes' % (name, size))
    sys.exit(0 if check() else 1)
