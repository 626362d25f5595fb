#!/usr/bin/env python3
"""Draw the pictures of the sample driver package.

    Logo.bmp     140 x 54   banner logo shown at the top right of the wizard pages
    Left.bmp     169 x 295  side artwork of the welcome page
    about.bmp    140 x 54   logo of the driver's About page (UIConfig.txt, Logo=)
    printer.bmp  169 x 295  picture of the printer on that page (UIConfig.txt, Picture=)

All are written as 24-bit uncompressed Windows bitmaps (BITMAPFILEHEADER +
BITMAPINFOHEADER, bottom-up rows, each row padded to a multiple of 4 bytes),
the plain format that the wizard loads from a file.

Usage:
    python3 scripts/make-sample-art.py [output-folder] [--png preview-folder]

The output folder defaults to resources/package next to this script's folder.
With --png, a PNG copy of each picture is written to the preview folder as
well (handy for a quick look; the PNGs are not part of the package).

Standard library only; the output is byte-for-byte reproducible.
"""

import os
import struct
import sys
import zlib

SS = 4  # supersampling factor per axis: shapes are drawn at 4x and averaged down


# --------------------------------------------------------------------------
# Canvas
# --------------------------------------------------------------------------

class Canvas:
    """An RGB canvas drawn at SS x SS subpixels per output pixel.

    All coordinates given to the drawing methods are in output pixels
    (floats allowed); a subpixel is painted when its centre lies inside
    the shape.
    """

    def __init__(self, width, height, colour=(255, 255, 255)):
        self.width = width
        self.height = height
        self.sw = width * SS
        self.sh = height * SS
        self.px = [[list(colour) for _ in range(self.sw)] for _ in range(self.sh)]

    # -- helpers ----------------------------------------------------------

    def _span(self, lo, hi, limit):
        """Subpixel indices whose centres lie in [lo, hi) (output pixels)."""
        a = max(0, int((lo * SS) - 0.5 + 0.999999))
        b = min(limit, int((hi * SS) - 0.5 + 0.999999))
        return range(a, b)

    def _put(self, x, y, colour, alpha):
        p = self.px[y][x]
        if alpha >= 1.0:
            p[0], p[1], p[2] = colour
        else:
            for i in range(3):
                p[i] = p[i] + (colour[i] - p[i]) * alpha

    # -- shapes -----------------------------------------------------------

    def rect(self, x0, y0, x1, y1, colour, alpha=1.0):
        for sy in self._span(y0, y1, self.sh):
            for sx in self._span(x0, x1, self.sw):
                self._put(sx, sy, colour, alpha)

    def round_rect(self, x0, y0, x1, y1, r, colour, alpha=1.0):
        for sy in self._span(y0, y1, self.sh):
            cy = (sy + 0.5) / SS
            for sx in self._span(x0, x1, self.sw):
                cx = (sx + 0.5) / SS
                dx = max(x0 + r - cx, 0.0, cx - (x1 - r))
                dy = max(y0 + r - cy, 0.0, cy - (y1 - r))
                if dx * dx + dy * dy <= r * r:
                    self._put(sx, sy, colour, alpha)

    def circle(self, cx, cy, r, colour, alpha=1.0):
        for sy in self._span(cy - r, cy + r, self.sh):
            y = (sy + 0.5) / SS
            for sx in self._span(cx - r, cx + r, self.sw):
                x = (sx + 0.5) / SS
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self._put(sx, sy, colour, alpha)

    def polygon(self, points, colour, alpha=1.0):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        n = len(points)
        for sy in self._span(min(ys), max(ys), self.sh):
            y = (sy + 0.5) / SS
            # even-odd scanline crossings
            cross = []
            for i in range(n):
                ax, ay = points[i]
                bx, by = points[(i + 1) % n]
                if (ay <= y < by) or (by <= y < ay):
                    cross.append(ax + (y - ay) * (bx - ax) / (by - ay))
            cross.sort()
            for k in range(0, len(cross) - 1, 2):
                for sx in self._span(cross[k], cross[k + 1], self.sw):
                    self._put(sx, sy, colour, alpha)

    def vgradient(self, x0, y0, x1, y1, stops):
        """Vertical gradient; stops = [(t, (r, g, b)), ...] with t from 0 to 1."""
        for sy in self._span(y0, y1, self.sh):
            t = ((sy + 0.5) / SS - y0) / float(y1 - y0)
            colour = _interp(stops, t)
            for sx in self._span(x0, x1, self.sw):
                self._put(sx, sy, colour, 1.0)

    def text(self, x, y, s, scale, colour, alpha=1.0, spacing=1):
        """Pixel-font text; (x, y) is the top-left corner, scale = pixel size."""
        for ch in s:
            glyph = FONT.get(ch, FONT['?'])
            for row, bits in enumerate(glyph):
                for col, bit in enumerate(bits):
                    if bit == '#':
                        self.rect(x + col * scale, y + row * scale,
                                  x + (col + 1) * scale, y + (row + 1) * scale,
                                  colour, alpha)
            x += (len(glyph[0]) + spacing) * scale
        return x

    # -- output -----------------------------------------------------------

    def pixels(self):
        """Average the subpixels down to output pixels: rows of (r, g, b), top first."""
        out = []
        n = SS * SS
        for y in range(self.height):
            row = []
            src_rows = self.px[y * SS:(y + 1) * SS]
            for x in range(self.width):
                r = g = b = 0.0
                for sr in src_rows:
                    for p in sr[x * SS:(x + 1) * SS]:
                        r += p[0]
                        g += p[1]
                        b += p[2]
                row.append((_clamp(r / n), _clamp(g / n), _clamp(b / n)))
            out.append(row)
        return out


def text_width(s, scale, spacing=1):
    w = 0
    for ch in s:
        w += (len(FONT.get(ch, FONT['?'])[0]) + spacing) * scale
    return w - spacing * scale if s else 0


def _clamp(v):
    return max(0, min(255, int(round(v))))


def _interp(stops, t):
    t = max(0.0, min(1.0, t))
    for i in range(len(stops) - 1):
        t0, c0 = stops[i]
        t1, c1 = stops[i + 1]
        if t <= t1:
            f = 0.0 if t1 == t0 else (t - t0) / (t1 - t0)
            return tuple(c0[k] + (c1[k] - c0[k]) * f for k in range(3))
    return stops[-1][1]


# --------------------------------------------------------------------------
# Pixel font (7 rows; glyph widths vary)
# --------------------------------------------------------------------------

_FONT_SRC = {
    'R': ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    'i': [".#.", "...", "##.", ".#.", ".#.", ".#.", "###"],
    'l': ["##.", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    'o': [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    'A': [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    'C': [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    'D': ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    'E': ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    'I': ["###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    'N': ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    'O': [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'P': ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    'S': [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    'T': ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    'U': ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'V': ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    'H': ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    'M': ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    'L': ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    'W': ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"],
    '5': ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    '8': [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    '0': [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    '/': ["....#", "....#", "...#.", "..#..", ".#...", "#....", "#...."],
    '-': ["....", "....", "....", "####", "....", "....", "...."],
    '.': [".", ".", ".", ".", ".", ".", "#"],
    ' ': ["..", "..", "..", "..", "..", "..", ".."],
    '?': [".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."],
}
FONT = _FONT_SRC


# --------------------------------------------------------------------------
# Pictures
# --------------------------------------------------------------------------

NAVY = (16, 52, 110)
BLUE = (30, 96, 186)
SKY = (88, 156, 226)
GREY = (120, 128, 140)
PAPER = (255, 255, 255)
INK = (150, 160, 175)
LED = (70, 200, 110)


def draw_receipt_printer(c, x, y, w, h, body, body_dark, slot, paper, ink, led,
                         paper_up=0.0, teeth=4):
    """A stylised receipt printer seen from the front, paper coming out the top.

    (x, y, w, h) is the printer body; paper_up is how far the receipt rises
    above the body.
    """
    # receipt: a strip narrower than the body with a zig-zag tear edge on top
    px0 = x + w * 0.22
    px1 = x + w * 0.78
    ptop = y - paper_up
    pts = [(px0, y + h * 0.30)]
    step = (px1 - px0) / (teeth * 2)
    edge_y = ptop + step
    for i in range(teeth * 2 + 1):
        pts.append((px0 + i * step, edge_y if i % 2 == 0 else ptop))
    pts.append((px1, y + h * 0.30))
    c.polygon(pts, paper)
    # printed lines on the receipt
    line_h = max(1.0, h * 0.045)
    ly = ptop + step * 2.2
    widths = [0.80, 0.55, 0.70, 0.40, 0.65, 0.80, 0.50]
    i = 0
    while ly + line_h < y - line_h and i < 40:
        fw = widths[i % len(widths)]
        c.rect(px0 + (px1 - px0) * 0.12, ly,
               px0 + (px1 - px0) * (0.12 + 0.76 * fw), ly + line_h, ink)
        ly += line_h * 2.4
        i += 1
    # body with a darker lower half (the paper compartment)
    r = min(w, h) * 0.16
    c.round_rect(x, y, x + w, y + h, r, body)
    c.round_rect(x, y + h * 0.55, x + w, y + h, r, body_dark)
    c.rect(x, y + h * 0.55, x + w, y + h * 0.55 + r, body_dark)
    # paper exit slot across the top
    c.round_rect(x + w * 0.14, y + h * 0.14, x + w * 0.86, y + h * 0.26,
                 h * 0.05, slot)
    # status lamp and a button
    c.circle(x + w * 0.82, y + h * 0.40, max(1.2, h * 0.055), led)
    c.round_rect(x + w * 0.12, y + h * 0.36, x + w * 0.36, y + h * 0.44,
                 h * 0.03, body_dark)


def draw_mark(c, colour):
    """The rounded square of the printer mark, 37 x 37 at the left of a logo."""
    c.round_rect(3, 8, 40, 45, 7, colour)


def draw_mark_printer(c):
    """The white printer inside the mark."""
    draw_receipt_printer(c, 8.5, 24, 26, 16, body=(255, 255, 255),
                         body_dark=(214, 226, 242), slot=NAVY, paper=(255, 255, 255),
                         ink=SKY, led=LED, paper_up=11, teeth=3)


def make_logo():
    """140 x 54, white: a small printer mark followed by the word Rillo."""
    W, H = 140, 54
    c = Canvas(W, H, (255, 255, 255))
    # mark: blue rounded square holding a white printer
    draw_mark(c, BLUE)
    c.round_rect(3, 27, 40, 45, 7, NAVY, alpha=0.35)
    draw_mark_printer(c)
    # word mark, scale 4 pixels per font pixel
    word = "Rillo"
    scale = 4
    wx = 45
    c.text(wx, 9, word, scale, NAVY)
    # a thin rule and the tag line in the 1-pixel font
    tag = "POS PRINTERS"
    tw = text_width(tag, 1)
    ww = text_width(word, scale)
    c.rect(wx, 41, wx + ww, 42, SKY)
    c.text(wx + (ww - tw) / 2.0, 44, tag, 1, GREY)
    return c


def make_left():
    """169 x 295: blue vertical gradient with a receipt printer and the word mark."""
    W, H = 169, 295
    c = Canvas(W, H)
    c.vgradient(0, 0, W, H, [(0.0, (74, 140, 214)), (0.55, (28, 86, 170)),
                             (1.0, (10, 38, 86))])
    # soft light circles in the background
    c.circle(140, 40, 70, (255, 255, 255), alpha=0.06)
    c.circle(20, 250, 90, (255, 255, 255), alpha=0.04)
    # a faint floor under the printer
    c.round_rect(22, 183, 147, 193, 5, (0, 0, 0), alpha=0.18)
    # the printer: light body, receipt rising out of it
    draw_receipt_printer(c, 30, 122, 109, 66, body=(244, 247, 251),
                         body_dark=(206, 216, 230), slot=(40, 52, 72),
                         paper=(255, 255, 255), ink=(150, 168, 196), led=LED,
                         paper_up=78, teeth=6)
    # word mark and caption
    word = "Rillo"
    scale = 4
    ww = text_width(word, scale)
    c.text((W - ww) / 2.0, 214, word, scale, (255, 255, 255))
    c.rect((W - ww) / 2.0, 247, (W + ww) / 2.0, 248, (255, 255, 255), alpha=0.5)
    for i, line in enumerate(("THERMAL RECEIPT", "PRINTER DRIVER")):
        tw = text_width(line, 1)
        c.text((W - tw) / 2.0, 255 + i * 11, line, 1, (214, 230, 250))
    return c


def make_about():
    """140 x 54, pale blue: the printer mark and the word mark over "DRIVER"."""
    W, H = 140, 54
    c = Canvas(W, H, (236, 243, 252))
    draw_mark(c, NAVY)
    draw_mark_printer(c)
    word = "Rillo"
    scale = 4
    wx = 45
    c.text(wx, 7, word, scale, BLUE)
    ww = text_width(word, scale)
    tag = "DRIVER"
    tw = text_width(tag, 2)
    c.text(wx + (ww - tw) / 2.0, 38, tag, 2, NAVY)
    return c


def make_printer():
    """169 x 295, light: the receipt printer large, its model under it."""
    W, H = 169, 295
    c = Canvas(W, H)
    c.vgradient(0, 0, W, H, [(0.0, (250, 252, 255)), (1.0, (214, 226, 242))])
    c.round_rect(18, 205, 151, 217, 6, (0, 0, 0), alpha=0.12)
    draw_receipt_printer(c, 24, 130, 121, 80, body=(60, 70, 86),
                         body_dark=(36, 44, 58), slot=(12, 16, 24),
                         paper=(255, 255, 255), ink=(150, 168, 196), led=LED,
                         paper_up=96, teeth=7)
    for i, (line, scale) in enumerate((("RILLO-58", 2), ("THERMAL RECEIPT", 1), ("PRINTER", 1))):
        tw = text_width(line, scale)
        c.text((W - tw) / 2.0, 232 + i * 16 + (4 if i else 0), line, scale, NAVY if i == 0 else GREY)
    return c


# --------------------------------------------------------------------------
# File writers
# --------------------------------------------------------------------------

def bmp_bytes(rows):
    """24-bit BI_RGB bitmap, bottom-up, rows padded to 4 bytes."""
    h = len(rows)
    w = len(rows[0])
    stride = (w * 3 + 3) & ~3
    pad = b"\0" * (stride - w * 3)
    data = bytearray()
    for row in reversed(rows):
        for r, g, b in row:
            data += bytes((b, g, r))
        data += pad
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(data), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data),
                              2835, 2835, 0, 0)
    return file_header + info_header + bytes(data)


def png_bytes(rows):
    h = len(rows)
    w = len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for px in row:
            raw += bytes(px)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = os.path.join(os.path.dirname(here), "resources", "package")
    png_dir = None
    args = list(argv)
    if "--png" in args:
        i = args.index("--png")
        if i + 1 >= len(args):
            sys.stderr.write("--png needs a folder\n")
            return 2
        png_dir = args[i + 1]
        del args[i:i + 2]
    if args:
        out_dir = args[0]

    os.makedirs(out_dir, exist_ok=True)
    for name, maker, size in (("Logo.bmp", make_logo, (140, 54)),
                              ("Left.bmp", make_left, (169, 295)),
                              ("about.bmp", make_about, (140, 54)),
                              ("printer.bmp", make_printer, (169, 295))):
        rows = maker().pixels()
        assert (len(rows[0]), len(rows)) == size, name
        path = os.path.join(out_dir, name)
        with open(path, "wb") as f:
            f.write(bmp_bytes(rows))
        print("wrote %s (%d x %d)" % (path, size[0], size[1]))
        if png_dir:
            os.makedirs(png_dir, exist_ok=True)
            ppath = os.path.join(png_dir, os.path.splitext(name)[0] + ".png")
            with open(ppath, "wb") as f:
                f.write(png_bytes(rows))
            print("wrote %s" % ppath)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
