#!/usr/bin/env python3
"""Draws every picture of Zendra's windows and controls into resources/.

Standard library only. Run from anywhere: python3 tools/make_artwork.py [output folder]
Bitmaps are 24-bit BMP; the window icon is an .ico with seven images. Shapes are
anti-aliased by sampling each pixel on a 4 x 4 grid.
"""
import math
import os
import struct
import sys

KEY = (255, 0, 255)  # transparent / window key colour
SAMPLES = 4


# ---------------------------------------------------------------- colours

def mix(a, b, t):
    """Linear blend of two colours, t = 0 gives a, 1 gives b."""
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def grad(stops, t):
    """Colour at t on a gradient given as [(position, colour), ...] sorted by position."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 1.0)
    return stops[-1][1]


def grey(v, tint=(0, 0, 0)):
    return (v + tint[0], v + tint[1], v + tint[2])


def scale(c, f):
    return tuple(min(255.0, x * f) for x in c)


def clamp01(x):
    return 0.0 if x < 0 else 1.0 if x > 1 else x


# ---------------------------------------------------------------- shapes (predicates on real coordinates)

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def rrect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        dx = max(x0 + r - x, 0, x - (x1 - r))
        dy = max(y0 + r - y, 0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r
    return inside


def segment(ax, ay, bx, by, width):
    def inside(x, y):
        vx, vy = bx - ax, by - ay
        t = clamp01(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy))
        px, py = ax + t * vx - x, ay + t * vy - y
        return px * px + py * py <= (width / 2) ** 2
    return inside


def polyline(points, width):
    parts = [segment(*points[i], *points[i + 1], width) for i in range(len(points) - 1)]
    return lambda x, y: any(p(x, y) for p in parts)


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def intersect(a, b):
    return lambda x, y: a(x, y) and b(x, y)


def ring(outer, inner):
    return minus(outer, inner)


# ---------------------------------------------------------------- canvas

class Canvas:
    """RGBA pixels as floats (colour 0..255, alpha 0..1)."""

    def __init__(self, w, h, fill=(255, 255, 255), alpha=1.0):
        self.w, self.h = w, h
        self.px = [[float(fill[0]), float(fill[1]), float(fill[2]), alpha] for _ in range(w * h)]

    def get(self, x, y):
        return tuple(self.px[y * self.w + x][:3])

    def set(self, x, y, c, a=1.0):
        self.px[y * self.w + x] = [float(c[0]), float(c[1]), float(c[2]), a]

    def blend(self, x, y, c, a):
        if a <= 0:
            return
        p = self.px[y * self.w + x]
        out_a = a + p[3] * (1 - a)
        if out_a <= 0:
            return
        for i in range(3):
            p[i] = (c[i] * a + p[i] * p[3] * (1 - a)) / out_a
        p[3] = out_a

    def fill_rows(self, colour_of_row):
        for y in range(self.h):
            c = colour_of_row(y)
            for x in range(self.w):
                self.set(x, y, c)

    def fill_cols(self, colour_of_col):
        for x in range(self.w):
            c = colour_of_col(x)
            for y in range(self.h):
                self.set(x, y, c)

    def coverage(self, shape, x, y):
        n = 0
        for sy in range(SAMPLES):
            for sx in range(SAMPLES):
                if shape(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES):
                    n += 1
        return n / (SAMPLES * SAMPLES)

    def paint(self, shape, colour, opacity=1.0):
        """Blends colour(x, y) (a colour, or a function of the pixel centre) over the shape."""
        for y in range(self.h):
            for x in range(self.w):
                cov = self.coverage(shape, x, y)
                if cov <= 0:
                    continue
                c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                a = opacity
                if len(c) == 4:
                    a *= c[3]
                    c = c[:3]
                self.blend(x, y, c, cov * a)

    def copy(self):
        other = Canvas(self.w, self.h)
        other.px = [p[:] for p in self.px]
        return other

    def mirrored(self):
        other = self.copy()
        for y in range(self.h):
            for x in range(self.w):
                other.px[y * self.w + x] = self.px[y * self.w + self.w - 1 - x][:]
        return other

    def crop(self, x0, y0, w, h):
        other = Canvas(w, h)
        for y in range(h):
            for x in range(w):
                other.px[y * w + x] = self.px[(y0 + y) * self.w + x0 + x][:]
        return other

    def paste(self, other, x0, y0):
        for y in range(other.h):
            for x in range(other.w):
                self.px[(y0 + y) * self.w + x0 + x] = other.px[y * other.w + x][:]

    def rgb8(self, x, y):
        p = self.px[y * self.w + x]
        return tuple(int(round(min(255.0, max(0.0, v)))) for v in p[:3])

    def rgba8(self, x, y):
        p = self.px[y * self.w + x]
        r, g, b = self.rgb8(x, y)
        return r, g, b, int(round(clamp01(p[3]) * 255))


def avoid_key(img):
    """Nudges any pixel that came out as the key colour by chance, so only deliberate key pixels carry it."""
    for y in range(img.h):
        for x in range(img.w):
            if img.rgb8(x, y) == KEY:
                img.set(x, y, (254, 0, 254))


# ---------------------------------------------------------------- file writers

def bmp24(img):
    row_bytes = (img.w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(img.h - 1, -1, -1):
        row = bytearray()
        for x in range(img.w):
            r, g, b = img.rgb8(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        pixels += row
    header = struct.pack("<IiiHHIIiiII", 40, img.w, img.h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 54) + header + pixels


def and_mask(img, opaque):
    row_bytes = ((img.w + 31) // 32) * 4
    out = bytearray()
    for y in range(img.h - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(img.w):
            if not opaque(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return out


def ico_image_32(img):
    data = bytearray()
    for y in range(img.h - 1, -1, -1):
        for x in range(img.w):
            r, g, b, a = img.rgba8(x, y)
            data += bytes((b, g, r, a))
    mask = and_mask(img, lambda x, y: img.rgba8(x, y)[3] > 0)
    header = struct.pack("<IiiHHIIiiII", 40, img.w, img.h * 2, 1, 32, 0, len(data) + len(mask), 0, 0, 0, 0)
    return header + data + mask


def median_cut(colours, count):
    """Palette of at most `count` colours for a list of (r, g, b) tuples."""
    boxes = [colours]
    while len(boxes) < count:
        best, best_range, best_axis = None, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for axis in range(3):
                values = [c[axis] for c in box]
                rng = max(values) - min(values)
                if rng > best_range:
                    best, best_range, best_axis = i, rng, axis
        if best is None or best_range <= 0:
            break
        box = sorted(boxes.pop(best), key=lambda c: c[best_axis])
        half = len(box) // 2
        boxes += [box[:half], box[half:]]
    palette = []
    for box in boxes:
        n = len(box)
        palette.append(tuple(int(round(sum(c[i] for c in box) / n)) for i in range(3)))
    return palette


def nearest(palette, c):
    return min(range(len(palette)),
               key=lambda i: (palette[i][0] - c[0]) ** 2 + (palette[i][1] - c[1]) ** 2 + (palette[i][2] - c[2]) ** 2)


def ico_image_8(img, palette):
    """8-bit palettised image; pixels under half opacity are left to the AND mask. The
    half-transparent edge is pre-blended onto white, the usual desktop and title-bar background."""
    data = bytearray()
    row_pad = ((img.w + 3) & ~3) - img.w
    for y in range(img.h - 1, -1, -1):
        for x in range(img.w):
            r, g, b, a = img.rgba8(x, y)
            if a < 128:
                data.append(0)
            else:
                f = a / 255
                data.append(nearest(palette, (r * f + 255 * (1 - f), g * f + 255 * (1 - f), b * f + 255 * (1 - f))))
        data += b"\0" * row_pad
    mask = and_mask(img, lambda x, y: img.rgba8(x, y)[3] >= 128)
    pal = bytearray()
    for r, g, b in palette + [(0, 0, 0)] * (256 - len(palette)):
        pal += bytes((b, g, r, 0))
    header = struct.pack("<IiiHHIIiiII", 40, img.w, img.h * 2, 1, 8, 0, len(data) + len(mask), 0, 0, 256, 0)
    return header + pal + data + mask


def ico_file(images):
    """images: list of (canvas, bits) with bits 8 or 32."""
    opaque_8 = []
    for img, bits in images:
        if bits == 8:
            for y in range(img.h):
                for x in range(img.w):
                    r, g, b, a = img.rgba8(x, y)
                    if a >= 128:
                        f = a / 255
                        opaque_8.append((r * f + 255 * (1 - f), g * f + 255 * (1 - f), b * f + 255 * (1 - f)))
    palette = [(0, 0, 0)] + median_cut(opaque_8, 255) if opaque_8 else [(0, 0, 0)]
    blobs = [ico_image_8(img, palette) if bits == 8 else ico_image_32(img) for img, bits in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for (img, bits), blob in zip(images, blobs):
        colours = 0  # 0 means 256 or more in the directory entry
        out += struct.pack("<BBBBHHII", img.w % 256, img.h % 256, colours, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


# ---------------------------------------------------------------- shared look

GRAPHITE = (-3, -1, 3)  # a faint cool tint for the greys of the bars


class Bar:
    """A title bar's look: one colour per row (the middle pieces repeat them across), and the edge colour
    that the end pieces put round their corners."""

    def __init__(self, height, active, tall):
        self.height = height
        self.active = active
        self.tall = tall

    def edge(self):
        return grey(0x86 if self.active else 0xa8, GRAPHITE)

    def row(self, y):
        if self.active:
            outline, highlight, top, bottom, line = 0x9a, 0xf6, 0xe8, 0xba, 0x68
        else:
            outline, highlight, top, bottom, line = 0xb4, 0xfb, 0xf3, 0xdc, 0xa0
        if y == 0:
            return grey(outline, GRAPHITE)
        if y == 1:
            return grey(highlight, GRAPHITE)
        if y == self.height - 1:
            return grey(line, GRAPHITE)
        t = (y - 2) / max(1, self.height - 4)
        if self.tall:
            # A gentle sheen through the caption row, then an even fall towards the toolbar's bottom line.
            stops = [(0.0, top), (0.38, top - (top - bottom) * 0.28), (1.0, bottom)]
        else:
            stops = [(0.0, top), (1.0, bottom)]
        return grey(grad([(p, (v, v, v)) for p, v in stops], t)[0], GRAPHITE)


def bar_mid(bar, width):
    img = Canvas(width, bar.height)
    img.fill_rows(bar.row)
    return img


def bar_left_end(bar, key_rows):
    """8-pixel left end: the bar's rows, an outline down the outer edge and round the corner, and
    key_rows[r] key pixels at the start of row r."""
    w = 8
    img = bar_mid(bar, w)
    edge = bar.edge()
    keyed = lambda x, y: 0 <= y < len(key_rows) and x < key_rows[y]
    outside = lambda x, y: x < 0 or y < 0 or keyed(x, y)
    for y in range(1, bar.height - 1):
        for x in range(w):
            if keyed(x, y):
                continue
            side = outside(x - 1, y) or outside(x, y - 1)
            diagonal = outside(x - 1, y - 1) or outside(x + 1, y - 1) or outside(x - 1, y + 1)
            if side:
                img.set(x, y, mix(img.get(x, y), edge, 0.85))
            elif diagonal:
                img.set(x, y, mix(img.get(x, y), edge, 0.35))
    for y, n in enumerate(key_rows):
        for x in range(n):
            img.set(x, y, KEY)
    return img


def bar_pieces(height, tall, key_rows, active_mid_width):
    """(active left, mid, right, inactive left, mid, right) pictures of one bar variant."""
    out = []
    for active, mid_width in ((True, active_mid_width), (False, 2)):
        bar = Bar(height, active, tall)
        left = bar_left_end(bar, key_rows)
        out += [left, bar_mid(bar, mid_width), left.mirrored()]
    return out


# ---------------------------------------------------------------- window buttons

DISC_COLOURS = {
    # base, rim, bottom glow, symbol
    "close": ((0xd8, 0x2c, 0x1e), (0x8c, 0x14, 0x0c), (0xff, 0x96, 0x78), (0x5a, 0x06, 0x02)),
    "min": ((0xe4, 0x9a, 0x0e), (0x9a, 0x5e, 0x04), (0xff, 0xe0, 0x6a), (0x6a, 0x3a, 0x00)),
    "zoom": ((0x40, 0xa4, 0x28), (0x20, 0x6a, 0x12), (0xb0, 0xf0, 0x70), (0x10, 0x48, 0x06)),
    "grey": ((0xc4, 0xc6, 0xca), (0x8e, 0x90, 0x96), (0xf2, 0xf3, 0xf5), (0x60, 0x60, 0x60)),
    "faint": ((0xd6, 0xd8, 0xdb), (0xa6, 0xa8, 0xad), (0xf7, 0xf8, 0xf9), (0x80, 0x80, 0x80)),
}


def symbol_shape(kind, cx, cy):
    """The x, - or + that a window button shows under the pointer."""
    if kind == "close":
        d = 2.4
        return union(segment(cx - d, cy - d, cx + d, cy + d, 1.5), segment(cx - d, cy + d, cx + d, cy - d, 1.5))
    if kind == "min":
        return segment(cx - 3.0, cy, cx + 3.0, cy, 1.7)
    if kind == "zoom":
        return union(segment(cx - 3.0, cy, cx + 3.0, cy, 1.6), segment(cx, cy - 3.0, cx, cy + 3.0, 1.6))
    return None


def window_button(bar, colours, symbol=None, pressed=False):
    # The tall bar's buttons cover its caption row only (22 rows); the slim bar's its full height.
    img = bar_mid(bar, 14).crop(0, 0, 14, 22 if bar.tall else bar.height)
    cx, cy, r = 7.0, 11.0, 5.6
    base, rim, glow, sym = DISC_COLOURS[colours]
    if pressed:
        base, rim, glow, sym = scale(base, 0.72), scale(rim, 0.70), scale(glow, 0.78), scale(sym, 0.6)
    # A faint groove round the disc sets it into the bar.
    img.paint(intersect(circle(cx, cy + 0.4, r + 0.6), lambda x, y: 1.0 <= x <= 13.0), (0, 0, 0, 0.10))
    img.paint(circle(cx, cy, r), rim)

    def body(x, y):
        # Saturated colour with light welling up from the bottom edge.
        d = math.hypot(x - cx, y - (cy + r * 0.9)) / (r * 1.2)
        return mix(glow, base, clamp01(d) ** 0.55)
    img.paint(circle(cx, cy, r - 1.0), body)
    # The glossy highlight: a white lens across the top of the disc, fading downwards.
    img.paint(ellipse(cx, cy - r * 0.46, r * 0.62, r * 0.40),
              lambda x, y: (255, 255, 255, 0.92 - 0.55 * clamp01((y - (cy - r * 0.86)) / (r * 0.8))))
    if symbol:
        img.paint(symbol_shape(symbol, cx, cy + 0.3), sym, 0.9)
    avoid_key(img)
    return img


def window_buttons(height, tall):
    active, inactive = Bar(height, True, tall), Bar(height, False, tall)
    out = []
    for kind in ("close", "min", "zoom"):
        out += [window_button(active, kind),
                window_button(active, kind, symbol=kind),
                window_button(active, kind, symbol=kind, pressed=True)]
    out.append(window_button(active, "grey"))
    out.append(window_button(inactive, "faint"))
    return out


# ---------------------------------------------------------------- tabs (27 x 22 over the tall bar's rows 26..47)

TAB_TOP = 26
AQUA_BLUE = [(0.0, (0xd0, 0xe6, 0xff)), (0.48, (0x86, 0xb8, 0xf2)), (0.52, (0x4c, 0x8c, 0xe6)),
             (1.0, (0x9c, 0xd4, 0xff))]


def tab_background(pressed):
    """A transparent canvas; `tab_finish` turns it into a keyed bitmap."""
    img = Canvas(27, 22, (0, 0, 0), 0.0)
    if pressed:
        # A sunken rounded well behind the symbol, like a pressed toolbar button.
        img.paint(rrect(1.0, 0.5, 26.0, 21.5, 4.0), lambda x, y: grey(0xa6 - 0x10 * y / 22, GRAPHITE))
        img.paint(rrect(1.0, 0.5, 26.0, 2.0, 1.0), (0x60, 0x64, 0x6c, 0.35))
    return img


def tab_finish(img):
    """Tabs are drawn with the key colour transparent, so they suit the active and the inactive bar.
    Half-covered edge pixels are blended onto the active bar's rows behind them; faint ones become key."""
    bar = Bar(54, True, True)
    for y in range(img.h):
        for x in range(img.w):
            a = img.px[y * img.w + x][3]
            if a < 0.3:
                img.set(x, y, KEY)
            else:
                img.set(x, y, mix(bar.row(TAB_TOP + y), img.get(x, y), clamp01(a)))
    return img


def page_shape(x0, y0, w, h, fold=3.0):
    return polygon([(x0, y0), (x0 + w - fold, y0), (x0 + w, y0 + fold), (x0 + w, y0 + h), (x0, y0 + h)])


def draw_page(img, x0, y0, w, h, fold=3.0, shade=1.0):
    outline = page_shape(x0, y0, w, h, fold)
    inner = page_shape(x0 + 1, y0 + 1, w - 2, h - 2, max(0.5, fold - 0.8))
    img.paint(page_shape(x0 + 0.6, y0 + 1.0, w, h, fold), (0, 0, 0, 0.16))  # soft drop
    img.paint(outline, scale((0x70, 0x76, 0x80), shade))
    img.paint(inner, lambda x, y: scale(mix((0xff, 0xff, 0xff), (0xe4, 0xe8, 0xee), (y - y0) / h), shade))
    img.paint(polygon([(x0 + w - fold, y0), (x0 + w - fold, y0 + fold), (x0 + w, y0 + fold)]),
              scale((0xc8, 0xcc, 0xd4), shade))
    for k in range(3):
        ly = y0 + 4.5 + 2.5 * k
        if ly < y0 + h - 2:
            img.paint(segment(x0 + 2.5, ly, x0 + w - 2.5 - (1.5 if k == 2 else 0), ly, 0.9),
                      scale((0x9c, 0xa8, 0xba), shade))


def blue_arrow(img, points, shade=1.0):
    """A glossy blue arrow given as a polygon."""
    shape = polygon(points)
    ys = [p[1] for p in points]
    top, bottom = min(ys), max(ys)
    img.paint(shape, scale((0x1e, 0x4c, 0x9c), shade))
    # The fill keeps a rim: it covers only points whose four neighbours 0.7 pixels away are inside too.
    img.paint(lambda x, y: shape(x - 0.7, y) and shape(x + 0.7, y) and shape(x, y - 0.7) and shape(x, y + 0.7),
              lambda x, y: scale(grad(AQUA_BLUE, (y - top) / max(1.0, bottom - top)), shade))


def draw_piece(img, x0, y0, w, h, shade):
    """One piece of a cut page: a short sheet with a line of text."""
    img.paint(rrect(x0 + 0.6, y0 + 1.0, x0 + w + 0.6, y0 + h + 1.0, 0.6), (0, 0, 0, 0.16))
    img.paint(rrect(x0, y0, x0 + w, y0 + h, 0.6), scale((0x70, 0x76, 0x80), shade))
    img.paint(rrect(x0 + 1, y0 + 1, x0 + w - 1, y0 + h - 1, 0.3),
              lambda x, y: scale(mix((0xff, 0xff, 0xff), (0xe4, 0xe8, 0xee), (y - y0) / h), shade))
    img.paint(segment(x0 + 2.5, y0 + h / 2, x0 + w - 2.5, y0 + h / 2, 0.9), scale((0x9c, 0xa8, 0xba), shade))


def right_arrow(x0, x1, cy):
    """A chunky arrow pointing right from x0 to x1 around the line y = cy."""
    head = x1 - 4.0
    return [(x0, cy - 1.6), (head, cy - 1.6), (head, cy - 4.0), (x1, cy), (head, cy + 4.0), (head, cy + 1.6),
            (x0, cy + 1.6)]


def tab_split(pressed):
    img = tab_background(pressed)
    s = 0.86 if pressed else 1.0
    # One page becomes two pieces.
    draw_page(img, 1.5, 3.0, 10, 15, shade=s)
    draw_piece(img, 18.5, 3.0, 7, 6.5, s)
    draw_piece(img, 18.5, 11.5, 7, 6.5, s)
    blue_arrow(img, right_arrow(9.0, 18.0, 10.5), s)
    return tab_finish(img)


def tab_join(pressed):
    img = tab_background(pressed)
    s = 0.86 if pressed else 1.0
    # Two pieces become one page.
    draw_piece(img, 1.5, 3.0, 7, 6.5, s)
    draw_piece(img, 1.5, 11.5, 7, 6.5, s)
    draw_page(img, 15.5, 3.0, 10, 15, shade=s)
    blue_arrow(img, right_arrow(6.5, 15.5, 10.5), s)
    return tab_finish(img)


def tab_prefs(pressed):
    img = tab_background(pressed)
    s = 0.86 if pressed else 1.0
    cx, cy = 13.5, 11.0
    teeth = []
    for k in range(16):
        a = k * math.pi / 8 + math.pi / 16
        rad = 8.6 if k % 2 == 0 else 6.4
        for da in (-0.17, 0.17):
            teeth.append((cx + rad * math.cos(a + da), cy + rad * math.sin(a + da)))
    gear = minus(polygon(teeth), circle(cx, cy, 2.6))
    img.paint(lambda x, y: gear(x - 0.5, y - 0.9), (0, 0, 0, 0.18))
    img.paint(gear, scale((0x5a, 0x60, 0x6a), s))
    inner = lambda x, y: gear(x, y) and gear(x - 0.8, y) and gear(x + 0.8, y) and gear(x, y - 0.8) and gear(x, y + 0.8)
    img.paint(inner, lambda x, y: scale(grad([(0.0, (0xfa, 0xfb, 0xfc)), (0.5, (0xc6, 0xcb, 0xd3)),
                                              (1.0, (0x98, 0x9f, 0xaa))], (y - cy + 8) / 16), s))
    img.paint(ring(circle(cx, cy, 3.6), circle(cx, cy, 2.6)), scale((0x70, 0x76, 0x80), s), 0.8)
    return tab_finish(img)


def tab_about(pressed):
    img = tab_background(pressed)
    s = 0.86 if pressed else 1.0
    cx, cy, r = 13.5, 11.0, 8.5
    img.paint(circle(cx + 0.4, cy + 0.9, r), (0, 0, 0, 0.18))
    img.paint(circle(cx, cy, r), scale((0x1c, 0x4a, 0x9a), s))
    img.paint(circle(cx, cy, r - 1.0),
              lambda x, y: scale(mix((0xa8, 0xdc, 0xff), (0x2a, 0x70, 0xd8), clamp01(math.hypot(x - cx, y - cy - 5) / 11)), s))
    img.paint(ellipse(cx, cy - 4.2, 5.4, 3.4), lambda x, y: (255, 255, 255, 0.85 - 0.6 * clamp01((y - cy + 7.6) / 6)))
    img.paint(circle(cx, cy - 4.0, 1.25), (255, 255, 255))
    img.paint(union(rrect(cx - 1.1, cy - 1.5, cx + 1.1, cy + 5.0, 0.4), rrect(cx - 2.4, cy - 1.5, cx + 0.5, cy - 0.4, 0.2),
                    rrect(cx - 2.4, cy + 4.0, cx + 2.4, cy + 5.0, 0.2)), (255, 255, 255))
    return tab_finish(img)


# ---------------------------------------------------------------- logo and icon

def logo(size, background=None):
    """The program's mark: an Aqua-blue glossy tile with a white page split by a dashed cut.
    background None gives a transparent canvas (for the icon)."""
    img = Canvas(size, size, background or (255, 255, 255), 1.0 if background else 0.0)
    k = size / 48.0
    if size >= 32:
        m, r = 3.0 * k, 9.0 * k
        x0, y0, x1, y1 = m, m * 0.7, size - m, size - m * 1.3
    else:
        # Small images use the whole square: a margin would only make the mark smaller.
        r = 4.0 * size / 16
        x0, y0, x1, y1 = 0.5, 0.5, size - 0.5, size - 0.5
    if size >= 32:
        img.paint(rrect(x0 + 0.3 * k, y0 + 2.2 * k, x1 + 0.3 * k, y1 + 2.2 * k, r), (0, 0, 0, 0.20))
        img.paint(rrect(x0, y0 + 1.2 * k, x1, y1 + 1.2 * k, r), (0, 0, 0, 0.12))
    tile = rrect(x0, y0, x1, y1, r)
    img.paint(tile, (0x1a, 0x48, 0x96))
    inner = rrect(x0 + max(1.0, k), y0 + max(1.0, k), x1 - max(1.0, k), y1 - max(1.0, k), r - k)
    img.paint(inner, lambda x, y: grad([(0.0, (0x9c, 0xd0, 0xff)), (0.5, (0x3a, 0x84, 0xe8)),
                                         (0.5001, (0x23, 0x6c, 0xda)), (1.0, (0x7e, 0xcc, 0xff))],
                                        (y - y0) / (y1 - y0)))
    # The page, in two pieces with a gap; small images enlarge it about the centre so it stays readable.
    c = 1.0 if size >= 32 else 1.3
    u = lambda v: size / 2 + (v - 24) * k * c  # a position of the 48-pixel design
    d = k * c                                   # a length of the 48-pixel design
    px0, px1 = u(14), u(34)
    top, cut, bottom = u(9), u(24.5), u(39)
    fold = 6 * d
    top_piece = polygon([(px0, top), (px1 - fold, top), (px1, top + fold), (px1, cut - 1.6 * d), (px0, cut - 1.6 * d)])
    bottom_piece = rrect(px0 + 1.6 * d, cut + 1.6 * d, px1 + 1.6 * d, bottom, 0.4 * d)
    for piece in (top_piece, bottom_piece):
        img.paint(lambda x, y, p=piece: p(x - 0.6 * d, y - 1.0 * d), (0x0a, 0x24, 0x58, 0.35))
        img.paint(piece, lambda x, y: mix((0xff, 0xff, 0xff), (0xdc, 0xe6, 0xf4), clamp01((y - top) / (bottom - top))))
    img.paint(polygon([(px1 - fold, top), (px1 - fold, top + fold), (px1, top + fold)]), (0xb4, 0xc4, 0xdc))
    if size >= 32:
        for j in range(3):
            ly = u(14.5 + 3.2 * j)
            img.paint(segment(px0 + 3 * d, ly, px1 - (3 + 3 * (j == 2)) * d, ly, 1.2 * d), (0x8c, 0xa8, 0xd0))
        img.paint(segment(px0 + 4.6 * d, u(31), px1 - 1.4 * d, u(31), 1.2 * d), (0x8c, 0xa8, 0xd0))
    # The gloss over the upper half of the tile.
    img.paint(intersect(inner, ellipse(size / 2, y0 - 4 * k, (x1 - x0) * 0.62, (y1 - y0) * 0.52)),
              lambda x, y: (255, 255, 255, 0.55 - 0.45 * clamp01((y - y0) / ((y1 - y0) * 0.48))))
    # The cut: a red dashed line across the tile.
    dash = 3.0 * d
    xs = u(8)
    while xs < u(40):
        img.paint(segment(xs, cut, min(xs + dash * 0.6, u(40)), cut, max(1.0, 1.4 * d)), (0xe6, 0x3a, 0x22))
        xs += dash
    if background:
        avoid_key(img)
    return img


def icon_images():
    images = [(logo(s), 8) for s in (48, 32, 16)]
    images += [(logo(s), 32) for s in (64, 48, 32, 24)]
    return images


# ---------------------------------------------------------------- push button (15 x 23 caps, key transparent)

AQUA_WHITE = {
    "outline": (0x80, 0x84, 0x8c), "top_line": None,
    "body": [(0.0, (0xff, 0xff, 0xff)), (0.45, (0xf0, 0xf1, 0xf3)), (0.5, (0xe2, 0xe4, 0xe8)),
             (1.0, (0xfc, 0xfd, 0xff))],
    "gloss": 0.6,
}
AQUA_PRESSED = {
    "outline": (0x1a, 0x3c, 0x7c), "top_line": (0x10, 0x2c, 0x66),
    "body": [(0.0, (0xb4, 0xd6, 0xff)), (0.45, (0x74, 0xaa, 0xf0)), (0.5, (0x3c, 0x80, 0xe2)),
             (1.0, (0x9a, 0xd8, 0xff))],
    "gloss": 0.5,
}
AQUA_DISABLED = {
    "outline": (0xbc, 0xbe, 0xc2), "top_line": None,
    "body": [(0.0, (0xfd, 0xfd, 0xfd)), (1.0, (0xfa, 0xfa, 0xfa))],
    "gloss": 0.0,
}

BUTTON_H = 23


def button_strip(style, width):
    """A whole pill of the given width; caps and middles are cut from it."""
    img = Canvas(width, BUTTON_H, (255, 255, 255))
    r = 11.0
    outer = rrect(0.5, 0.5, width - 0.5, BUTTON_H - 0.5, r)
    inner = rrect(1.5, 1.5, width - 1.5, BUTTON_H - 1.5, r - 1.0)
    body = style["body"]
    img.paint(outer, style["outline"])
    img.paint(inner, lambda x, y: grad(body, (y - 1.5) / (BUTTON_H - 3)))
    if style["top_line"]:
        img.paint(intersect(inner, lambda x, y: y < 2.6), style["top_line"], 0.75)
    if style["gloss"]:
        gloss = rrect(4.5, 2.0, width - 4.5, 10.5, 6.0)
        img.paint(intersect(inner, gloss), lambda x, y: (255, 255, 255, style["gloss"] * (1 - clamp01((y - 2) / 9)) + 0.15))
    # Pixels the pill covers less than half are the key; partly covered rim pixels are softened towards white.
    for y in range(BUTTON_H):
        for x in range(width):
            cov = img.coverage(outer, x, y)
            if cov < 0.35:
                img.set(x, y, KEY)
            elif cov < 0.85:
                img.set(x, y, mix((0xff, 0xff, 0xff), img.get(x, y), 0.35 + 0.65 * cov))
    return img


def button_pieces(style, mid_width):
    strip = button_strip(style, 30 + mid_width)
    left = strip.crop(0, 0, 15, BUTTON_H)
    mid = strip.crop(15, 0, mid_width, BUTTON_H)
    right = strip.crop(15 + mid_width, 0, 15, BUTTON_H)
    return [left, mid, right]


def pinstripe():
    img = Canvas(16, 42)
    rows = [(0xee, 0xee, 0xee), (0xff, 0xff, 0xff), (0xee, 0xee, 0xee), (0xe4, 0xe4, 0xe6)]
    img.fill_rows(lambda y: rows[y % 4])
    return img


# ---------------------------------------------------------------- check box strip

CHECK_LOOKS = ("normal", "hover", "pressed", "disabled")


def check_cell(value, look):
    img = Canvas(16, 17, (255, 255, 255))
    box_out = rrect(1.5, 1.5, 14.5, 14.5, 3.0)
    box_in = rrect(2.5, 2.5, 13.5, 13.5, 2.2)
    blue = value in (1, 2)
    if look == "disabled":
        outline = (0xc4, 0xc6, 0xca)
        body = [(0.0, (0xfc, 0xfc, 0xfc)), (1.0, (0xf2, 0xf3, 0xf4))] if not blue else \
               [(0.0, (0xe6, 0xef, 0xfa)), (1.0, (0xd4, 0xe2, 0xf4))]
        gloss = 0.0
    elif blue:
        outline = (0x1c, 0x46, 0x90) if look != "hover" else (0x14, 0x3c, 0x8a)
        body = [(0.0, (0xc0, 0xdc, 0xff)), (0.45, (0x80, 0xb4, 0xf4)), (0.5, (0x48, 0x8c, 0xe8)), (1.0, (0xa4, 0xdc, 0xff))]
        if look == "hover":
            body = [(p, scale(c, 1.12)) for p, c in body]
        if look == "pressed":
            body = [(p, scale(c, 0.78)) for p, c in body]
        gloss = 0.55
    else:
        outline = {"normal": (0x84, 0x88, 0x90), "hover": (0x4a, 0x80, 0xcc), "pressed": (0x5c, 0x62, 0x6c)}[look]
        body = [(0.0, (0xff, 0xff, 0xff)), (0.45, (0xf0, 0xf1, 0xf3)), (0.5, (0xe0, 0xe2, 0xe6)), (1.0, (0xfc, 0xfd, 0xff))]
        if look == "hover":
            body = [(0.0, (0xff, 0xff, 0xff)), (0.45, (0xee, 0xf4, 0xfc)), (0.5, (0xda, 0xe6, 0xf6)), (1.0, (0xf4, 0xfa, 0xff))]
        if look == "pressed":
            body = [(0.0, (0xd8, 0xda, 0xde)), (0.45, (0xc8, 0xcb, 0xd0)), (0.5, (0xb8, 0xbc, 0xc4)), (1.0, (0xd4, 0xd8, 0xe0))]
        gloss = 0.55 if look != "pressed" else 0.3
    img.paint(rrect(1.5, 2.3, 14.5, 15.3, 3.0), (0, 0, 0, 0.10))
    img.paint(box_out, outline)
    img.paint(box_in, lambda x, y: grad(body, (y - 2.5) / 11.0))
    if gloss:
        img.paint(intersect(box_in, rrect(3.5, 3.0, 12.5, 7.5, 2.0)),
                  lambda x, y: (255, 255, 255, gloss * (1 - clamp01((y - 3) / 5)) + 0.1))
    mark = (0x14, 0x18, 0x24) if look != "disabled" else (0x9a, 0xa4, 0xb4)
    if value == 1:
        tick = polyline([(4.6, 8.0), (7.2, 10.9), (12.6, 3.4)], 2.0)
        if look != "disabled":
            img.paint(lambda x, y: tick(x, y - 0.8), (255, 255, 255, 0.35))
        img.paint(tick, mark)
    elif value == 2:
        img.paint(rrect(4.5, 7.0, 11.5, 9.2, 0.8), mark)
    avoid_key(img)
    return img


def checkbox_strip():
    strip = Canvas(16, 17 * 12)
    for value in range(3):
        for i, look in enumerate(CHECK_LOOKS):
            strip.paste(check_cell(value, look), 0, 17 * (value * 4 + i))
    return strip


# ---------------------------------------------------------------- piece list

HEADER = [(0.0, (0xdc, 0xec, 0xff)), (0.12, (0xc8, 0xe0, 0xfc)), (0.5, (0xa6, 0xcb, 0xf6)), (0.53, (0x8c, 0xbc, 0xf2)),
          (1.0, (0xb8, 0xdc, 0xff))]
HEADER_LINE = (0x6c, 0x90, 0xc0)


def header_row(y):
    if y == 16:
        return HEADER_LINE
    return grad(HEADER, y / 15.0)


def list_header():
    img = Canvas(123, 17)
    img.fill_rows(header_row)
    return img


def list_header_corner():
    img = Canvas(15, 17)
    img.fill_rows(header_row)
    # A divider where the scroll column starts (3 pixels in), then a slightly deeper blue over the column.
    for y in range(16):
        img.set(3, y, mix(header_row(y), HEADER_LINE, 0.75))
        img.set(4, y, mix(header_row(y), (255, 255, 255), 0.45))
        for x in range(5, 15):
            img.set(x, y, mix(header_row(y), (0x70, 0xa0, 0xe0), 0.12))
    return img


def list_stripe():
    img = Canvas(2, 18, (237, 243, 254))
    return img


TRACK = [(0xa6, 0xa8, 0xad), (0xc8, 0xca, 0xce), (0xd8, 0xda, 0xde), (0xe2, 0xe4, 0xe8), (0xe8, 0xea, 0xee),
         (0xec, 0xee, 0xf1), (0xef, 0xf0, 0xf3), (0xf1, 0xf2, 0xf5), (0xf3, 0xf4, 0xf6), (0xf4, 0xf5, 0xf7),
         (0xee, 0xef, 0xf2), (0xdc, 0xde, 0xe2)]
COLUMN_BACK = (0xfb, 0xfb, 0xfc)  # behind the channel's rounded ends


def list_track():
    img = Canvas(12, 32)
    img.fill_cols(lambda x: TRACK[x])
    return img


def channel_end(height, top):
    """The channel's rounded end, `top` True for the upper end. Column 0 stays the separator line."""
    img = Canvas(12, height)
    img.fill_cols(lambda x: TRACK[x])
    r = 5.0
    if top:
        chan = rrect(1.0, 1.0, 12.0 + r, height + r, r)
        edge = ring(chan, rrect(2.0, 2.0, 12.0 + r, height + r, r - 1.0))
    else:
        chan = rrect(1.0, -r, 12.0 + r, height - 1.0, r)
        edge = ring(chan, rrect(2.0, -r, 12.0 + r, height - 2.0, r - 1.0))
    for y in range(height):
        for x in range(1, 12):
            cov = img.coverage(chan, x, y)
            img.set(x, y, mix(COLUMN_BACK, TRACK[x], cov))
    # The rim only where the end curves; along the straight sides the channel's own columns carry on.
    bend = (lambda x, y: y < 1.0 + r) if top else (lambda x, y: y > height - 1.0 - r)
    img.paint(intersect(edge, bend), (0xb4, 0xb6, 0xbc), 0.7)
    return img


def list_track_cap():
    return channel_end(13, top=True)


def arrow_button(height, pointing_up, top_border):
    img = Canvas(12, height)
    img.fill_rows(lambda y: grad([(0.0, (0xfb, 0xfb, 0xfc)), (0.5, (0xee, 0xef, 0xf1)), (0.52, (0xe2, 0xe4, 0xe7)),
                                  (1.0, (0xf0, 0xf1, 0xf3))], y / max(1, height - 1)))
    for y in range(height):
        img.set(0, y, TRACK[0])
    if top_border:
        for x in range(12):
            img.set(x, 0, (0xa6, 0xa8, 0xad))
    cx, cy = 6.5, (height + (1 if top_border else 0)) / 2.0
    if pointing_up:
        tri = polygon([(cx - 3.5, cy + 2.0), (cx + 3.5, cy + 2.0), (cx, cy - 2.5)])
    else:
        tri = polygon([(cx - 3.5, cy - 2.0), (cx + 3.5, cy - 2.0), (cx, cy + 2.5)])
    img.paint(lambda x, y: tri(x, y - 1.0), (255, 255, 255, 0.8))
    img.paint(tri, (0x3c, 0x40, 0x48))
    return img


def list_arrow_up():
    img = Canvas(12, 21)
    img.paste(channel_end(7, top=False), 0, 0)
    img.paste(arrow_button(14, True, True), 0, 7)
    return img


def list_arrow_down():
    return arrow_button(14, False, True)


def list_thumb():
    img = Canvas(11, 23)
    img.fill_cols(lambda x: TRACK[x])
    capsule = rrect(1.0, 0.5, 11.0, 22.5, 5.0)
    inner = rrect(2.0, 1.5, 10.0, 21.5, 4.0)
    img.paint(capsule, (0x1e, 0x4a, 0x96))
    across = [(0.0, (0x4a, 0x86, 0xdc)), (0.22, (0xd8, 0xec, 0xff)), (0.42, (0x86, 0xbc, 0xf6)),
              (0.5, (0x4c, 0x90, 0xea)), (1.0, (0x9e, 0xd6, 0xff))]
    img.paint(inner, lambda x, y: grad(across, (x - 2.0) / 8.0))
    # Three grip lines in the middle.
    for gy in (9.5, 11.5, 13.5):
        img.paint(segment(4.0, gy, 8.0, gy, 0.8), (0x2a, 0x5a, 0xa8), 0.55)
        img.paint(segment(4.0, gy + 0.9, 8.0, gy + 0.9, 0.6), (255, 255, 255), 0.45)
    return img


# ---------------------------------------------------------------- the whole set

def pictures():
    """(file name, canvas) for every bitmap, in the order of the resource IDs."""
    out = []
    leopard = bar_pieces(54, True, [5, 3, 2, 1, 1], active_mid_width=7)
    tiger = bar_pieces(23, False, [6, 4, 3, 2, 1, 1], active_mid_width=2)
    bar_names = ["active_left", "active_mid", "active_right", "inactive_left", "inactive_mid", "inactive_right"]
    button_names = ["close", "close_hover", "close_pressed", "min", "min_hover", "min_pressed",
                    "zoom", "zoom_hover", "zoom_pressed", "button_disabled", "button_inactive"]
    for variant, pieces, height, tall in (("leopard", leopard, 54, True), ("tiger", tiger, 23, False)):
        out += [(f"{variant}_{n}", p) for n, p in zip(bar_names, pieces)]
        out += [(f"{variant}_{n}", p) for n, p in zip(button_names, window_buttons(height, tall))]
    for name, draw in (("split", tab_split), ("join", tab_join), ("prefs", tab_prefs), ("about", tab_about)):
        out += [(f"tab_{name}", draw(False)), (f"tab_{name}_down", draw(True))]
    out.append(("logo", logo(48, background=(255, 255, 255))))
    for look, style, mid in (("normal", AQUA_WHITE, 2), ("pressed", AQUA_PRESSED, 2), ("disabled", AQUA_DISABLED, 3)):
        left, middle, right = button_pieces(style, mid)
        out += [(f"aqua_{look}_left", left), (f"aqua_{look}_mid", middle), (f"aqua_{look}_right", right)]
    out.append(("aqua_pinstripe", pinstripe()))
    out.append(("checkbox_cells", checkbox_strip()))
    out += [("list_header", list_header()), ("list_header_corner", list_header_corner()),
            ("list_stripe", list_stripe()), ("list_thumb", list_thumb()), ("list_arrow_up", list_arrow_up()),
            ("list_arrow_down", list_arrow_down()), ("list_track", list_track()),
            ("list_track_cap", list_track_cap())]
    return out


def resource_script(names):
    """The resource script: every bitmap under the ID named after its file (IDB_ + upper case)."""
    lines = ["// Zendra's pictures and window icon. Written by tools/make_artwork.py; edit that, not this.",
             "#pragma code_page(65001)",
             '#include "Artwork.h"',
             "",
             'IDI_ZENDRA ICON "zendra.ico"',
             ""]
    width = max(len(n) for n in names) + 4
    for name in names:
        lines.append(f'{("IDB_" + name.upper()).ljust(width)} BITMAP "bmp/{name}.bmp"')
    return "\n".join(lines) + "\n"


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    bmp_dir = os.path.join(root, "bmp")
    os.makedirs(bmp_dir, exist_ok=True)
    pictures_list = pictures()
    for name, img in pictures_list:
        with open(os.path.join(bmp_dir, name + ".bmp"), "wb") as f:
            f.write(bmp24(img))
    with open(os.path.join(root, "zendra.ico"), "wb") as f:
        f.write(ico_file(icon_images()))
    with open(os.path.join(root, "Zendra.rc"), "w", encoding="utf-8", newline="\n") as f:
        f.write(resource_script([name for name, _ in pictures_list]))
    print(f"pictures written to {os.path.normpath(root)}")


if __name__ == "__main__":
    main()
