#!/usr/bin/python3
"""Checks the rendered artwork in src/layouts/art/rendered/.

    /usr/bin/python3 tests/art/test_art.py

Opens every picture, the icon, the cursor, the logo and the NS码 help file
and checks what the program relies on: exact sizes, five equal frames per
button strip, the design's named colours where the windows need them, no
mask-colour pixel in a strip, valid icon and cursor containers, and that
generate.py reproduces the committed files byte for byte.
Needs Pillow (Debian: python3-pil).
"""

import math
import os
import struct
import subprocess
import sys
import tempfile
import unittest

from PIL import Image

REPO = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
ART = os.path.join(REPO, "src", "layouts", "art")
RENDERED = os.path.join(ART, "rendered")
GENERATOR = os.path.join(ART, "generate.py")
SHEET = os.path.join(REPO, "docs", "art-contact-sheet.png")
FONT_FILE = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"


def c(value):
    return ((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF)


BODY = c(0xEAEEF0)
WINDOW_OUTLINE = c(0xC4C4C4)
SEPARATOR = c(0xC1C7CB)
ACCENT = c(0x6DBD00)
PALE_GREEN = c(0xC5E599)
MAGENTA = (255, 0, 255)
WHITE = (255, 255, 255)

# Buttons on the grass, at their window pixels (5260 twips = 350.67 px).
CLOSE_AT = (351, 0)
MINIMISE_AT = (320, 0)

STRIPS = {  # name: (strip size, frame size)
    "light_bar.png": ((350, 26), (70, 26)),
    "green_bar.png": ((1065, 36), (213, 36)),
    "violet_bar.png": ((1065, 36), (213, 36)),
    "close.png": ((140, 28), (28, 28)),
    "minimise.png": ((140, 28), (28, 28)),
    "gear.png": ((130, 26), (26, 26)),
    "power_icon.png": ((130, 26), (26, 26)),
    "hide.png": ((130, 26), (26, 26)),
    "shutdown_tile.png": ((420, 84), (84, 84)),
    "restart_tile.png": ((420, 84), (84, 84)),
    "logoff_tile.png": ((420, 84), (84, 84)),
}
NEARLY_SAME = {"hide.png", "shutdown_tile.png", "restart_tile.png", "logoff_tile.png"}
HOVER_OUTLINED = ["light_bar.png", "gear.png", "power_icon.png", "hide.png",
                  "shutdown_tile.png", "restart_tile.png", "logoff_tile.png"]


def load(name):
    img = Image.open(os.path.join(RENDERED, name))
    img.load()
    return img


def frame(img, index):
    """Frame 1..5 of a strip."""
    w = img.width // 5
    return img.crop(((index - 1) * w, 0, index * w, img.height))


def differing(a, b):
    pa, pb = a.load(), b.load()
    return [(x, y) for y in range(a.height) for x in range(a.width) if pa[x, y] != pb[x, y]]


def straight_border(img, corner=3):
    """Border pixels of an image, leaving out `corner` pixels at each corner."""
    w, h = img.size
    pts = [(x, 0) for x in range(corner, w - corner)] + [(x, h - 1) for x in range(corner, w - corner)]
    pts += [(0, y) for y in range(corner, h - corner)] + [(w - 1, y) for y in range(corner, h - corner)]
    return pts


def luminance(rgb):
    def lin(v):
        v /= 255.0
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = rgb
    return 0.2126 * lin(r) + 0.7152 * lin(g) + 0.0722 * lin(b)


def mean(img, box):
    region = img.crop(box)
    px = list(region.getdata())
    return tuple(sum(p[i] for p in px) / len(px) for i in range(3))


def ink(img, test):
    """Pixels of img for which test(rgb) holds."""
    px = img.load()
    return {(x, y) for y in range(img.height) for x in range(img.width) if test(px[x, y][:3])}


class WindowArt(unittest.TestCase):
    def setUp(self):
        self.img = load("form1_background.png")

    def test_size_and_depth(self):
        self.assertEqual(self.img.size, (380, 290))
        self.assertEqual(self.img.mode, "RGB")

    def test_outline_on_all_four_edges(self):
        w, h = self.img.size
        px = self.img.load()
        edge = [(x, 0) for x in range(w)] + [(x, h - 1) for x in range(w)]
        edge += [(0, y) for y in range(h)] + [(w - 1, y) for y in range(h)]
        wrong = [p for p in edge if px[p] != WINDOW_OUTLINE]
        self.assertEqual(wrong, [], "outline pixels not #C4C4C4")

    def test_flat_body_from_row_130(self):
        px = self.img.load()
        wrong = [(x, y) for y in range(130, 248) for x in range(1, 379) if px[x, y] != BODY]
        self.assertEqual(wrong[:5], [], "%d body pixels are not #EAEEF0" % len(wrong))

    def test_fade_reaches_the_body_exactly_at_row_130(self):
        px = self.img.load()
        self.assertTrue(any(px[x, 129] != BODY for x in range(1, 379)),
                        "row 129 is already flat body colour")

    def test_separator_and_footer(self):
        px = self.img.load()
        for x in range(1, 379):
            self.assertEqual(px[x, 248], SEPARATOR, "separator at x=%d" % x)
            self.assertEqual(px[x, 249], c(0xD4DBDF), "footer top at x=%d" % x)
            self.assertEqual(px[x, 288], c(0xE6EDF1), "footer bottom at x=%d" % x)
        column = [px[190, y] for y in range(249, 289)]
        for upper, lower in zip(column, column[1:]):
            self.assertTrue(all(a <= b for a, b in zip(upper, lower)), "footer must shade evenly downwards")
        for y in range(249, 289):
            self.assertEqual(len({px[x, y] for x in range(1, 379)}), 1, "footer row %d is not flat" % y)

    def test_grass_band_is_green_and_textured(self):
        top = self.img.crop((1, 1, 379, 45))
        r, g, b = mean(top, (0, 0, top.width, top.height))
        self.assertGreater(g, r + 40)
        self.assertGreater(g, b + 80)
        lum = [0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2] for p in top.getdata()]
        m = sum(lum) / len(lum)
        spread = math.sqrt(sum((v - m) ** 2 for v in lum) / len(lum))
        self.assertGreater(spread, 8, "the grass band looks flat, not textured")
        # A fresh lawn: lighter than the accent green where no shade lies.
        self.assertGreater(luminance(mean(self.img, (300, 1, 379, 40))), luminance(ACCENT))

    def test_title_stays_readable(self):
        # The title label is drawn at 8,8 (137 x 17) in #80FF80.
        bg = mean(self.img, (8, 8, 145, 25))
        contrast = (luminance(c(0x80FF80)) + 0.05) / (luminance(bg) + 0.05)
        self.assertGreaterEqual(contrast, 3.0, "title contrast %.2f" % contrast)


class PageArt(unittest.TestCase):
    def test_page_continues_the_window(self):
        page = load("page.png")
        window = load("form1_background.png")
        self.assertEqual(page.size, (380, 210))
        self.assertIn(page.mode, ("RGB", "RGBA"))
        if page.mode == "RGBA":
            self.assertEqual(page.getextrema()[3], (255, 255), "page must be fully opaque")
        page = page.convert("RGB")
        pp, wp = page.load(), window.load()
        wrong = [(x, y) for y in range(0, 208) for x in range(1, 379) if pp[x, y] != wp[x, y + 40]]
        self.assertEqual(wrong[:5], [], "page rows must repeat window rows 40..247")
        # One separator row only: the bottom one; the row above it is body.
        self.assertEqual({pp[x, 208] for x in range(1, 379)}, {(0xEA, 0xEE, 0xF0)})
        self.assertEqual({pp[x, 209] for x in range(1, 379)}, {(0xC1, 0xC7, 0xCB)})
        for y in range(210):
            self.assertEqual(pp[0, y], WINDOW_OUTLINE)
            self.assertEqual(pp[379, y], WINDOW_OUTLINE)
        for x in range(1, 379):
            self.assertEqual(pp[x, 209], SEPARATOR, "bottom row at x=%d" % x)
            self.assertEqual(pp[x, 100], BODY)

    def test_about_page(self):
        about = load("about_page.png")
        page = load("page.png").convert("RGB")
        self.assertEqual(about.size, (380, 210))
        if about.mode == "RGBA":
            self.assertEqual(about.getextrema()[3], (255, 255))
        about = about.convert("RGB")
        ap, pp = about.load(), page.load()
        # The frame of the page is kept.
        for y in range(210):
            self.assertEqual(ap[0, y], WINDOW_OUTLINE)
            self.assertEqual(ap[379, y], WINDOW_OUTLINE)
        for x in range(380):
            self.assertEqual(ap[x, 209], pp[x, 209])
        # A monitor on the left: a green screen with a black keyhole.
        left = about.crop((10, 10, 140, 150))
        self.assertGreater(len(ink(left, lambda p: p[1] > 150 and p[0] < 170 and p[2] < 80)), 1500)
        self.assertGreater(len(ink(left, lambda p: max(p) < 40)), 800)
        # White name on the grass to the right.
        name = about.crop((145, 2, 378, 55))
        self.assertGreater(len(ink(name, lambda p: min(p) >= 245)), 300)
        # Red tag at the lower left.
        tag = about.crop((1, 130, 120, 200))
        self.assertGreater(len(ink(tag, lambda p: p[0] > 190 and p[1] < 80 and p[2] < 80)), 150)
        # Text lines below the name and along the bottom.
        self.assertGreater(len(differing(about.crop((145, 90, 378, 140)), page.crop((145, 90, 378, 140)))), 300)
        self.assertGreater(len(differing(about.crop((60, 180, 320, 205)), page.crop((60, 180, 320, 205)))), 150)


class LogoFrame(unittest.TestCase):
    def test_square_and_shadow(self):
        img = load("logo_frame.png")
        self.assertEqual(img.size, (120, 120))
        self.assertEqual(img.mode, "RGB")
        px = img.load()
        wrong = [(x, y) for y in range(10, 110) for x in range(10, 110) if px[x, y] != BODY]
        self.assertEqual(wrong[:5], [], "inner square must be exactly #EAEEF0")
        for y in (60, 15, 104):
            # Darkest right at the square, fading out to the body colour.
            row = [sum(px[x, y]) for x in range(0, 10)]
            self.assertLess(row[9], sum(BODY) - 40, "no shadow beside the square at row %d" % y)
            self.assertTrue(all(a >= b for a, b in zip(row, row[1:])), "shadow must fade outwards")
            self.assertLessEqual(sum(BODY) - row[0], 6)
        for corner in ((0, 0), (119, 0), (0, 119), (119, 119)):
            self.assertLessEqual(sum(BODY) - sum(px[corner]), 6)
        below = [sum(px[60, y]) for y in range(110, 120)]
        self.assertTrue(all(a <= b for a, b in zip(below, below[1:])))


class Strips(unittest.TestCase):
    def test_sizes_and_frames(self):
        for name, (size, fsize) in STRIPS.items():
            with self.subTest(strip=name):
                img = load(name)
                self.assertEqual(img.size, size)
                self.assertEqual(img.mode, "RGB", "strips are 24-bit")
                self.assertEqual(img.width % 5, 0)
                self.assertEqual((img.width // 5, img.height), fsize)

    def test_disabled_frames_match_normal(self):
        for name in STRIPS:
            with self.subTest(strip=name):
                img = load(name)
                f1, f4, f5 = frame(img, 1), frame(img, 4), frame(img, 5)
                diff = differing(f1, f4)
                if name in NEARLY_SAME:
                    self.assertLessEqual(len(diff), 36, "frame 4 differs in %d pixels" % len(diff))
                else:
                    self.assertEqual(diff, [], "frame 4 must equal frame 1")
                self.assertEqual(differing(f4, f5), [], "frame 5 must equal frame 4")
                self.assertNotEqual(differing(f1, frame(img, 2)), [], "hover frame must differ")
                self.assertNotEqual(differing(f1, frame(img, 3)), [], "pressed frame must differ")

    def test_hide_differs_only_inside_the_arrow(self):
        img = load("hide.png")
        f1 = frame(img, 1)
        diff = differing(f1, frame(img, 4))
        self.assertTrue(diff, "the disabled hide frame shows a few lighter arrow pixels")
        px = f1.load()
        for p in diff:
            self.assertLess(max(px[p]), 160, "pixel %s outside the arrow" % (p,))

    def test_mask_colour_only_where_a_transparent_bar_is_cut(self):
        for name in STRIPS:
            with self.subTest(strip=name):
                colours = {p for p in load(name).getdata()}
                if name != "violet_bar.png":
                    self.assertNotIn(MAGENTA, colours)
                    continue
                # The violet bar's corners are cut out: exact mask colour, and
                # no blend of it with the bar that would show pink.
                self.assertIn(MAGENTA, colours)
                pinkish = {p for p in colours if p != MAGENTA and p[0] > 170 and p[1] < 40 and p[2] > 170}
                self.assertEqual(pinkish, set())

    def test_hover_outline_is_accent_green(self):
        for name in HOVER_OUTLINED:
            with self.subTest(strip=name):
                f2 = frame(load(name), 2)
                px = f2.load()
                corner = 5 if name.endswith("_tile.png") else 3  # the big tiles are more rounded
                wrong = [p for p in straight_border(f2, corner) if px[p] != ACCENT]
                self.assertEqual(wrong[:5], [], "hover border must be #6DBD00")
                w, h = f2.size
                self.assertEqual(px[w // 2, 1], PALE_GREEN, "pale green inner line")

    def test_light_bar(self):
        img = load("light_bar.png")
        f1, f2, f3 = frame(img, 1), frame(img, 2), frame(img, 3)
        self.assertEqual(f1.getpixel((35, 13)), c(0xF0F0F0))
        self.assertEqual(f1.getpixel((35, 0)), c(0xD2D2D2))
        self.assertEqual(f1.getpixel((35, 25)), c(0xC6C6C6))
        for y in range(1, 25):
            self.assertIn(f1.getpixel((0, y)), [(v, v, v) for v in range(0xC6, 0xD3)])
        self.assertEqual(f1.getpixel((35, 1)), WHITE)
        self.assertEqual(f2.getpixel((35, 13)), c(0xFAFAFA))
        self.assertEqual(f3.getpixel((35, 0)), c(0xCBCBCB))
        self.assertEqual(f3.getpixel((35, 13)), c(0xF0F0F0))
        # Pressed in: the lower inner edge is lighter than the upper one.
        self.assertGreater(sum(f3.getpixel((35, 24))), sum(f3.getpixel((35, 1))))

    def check_wide_bar(self, name, colours, ground):
        img = load(name)
        for n, (face, outline, inner) in colours.items():
            f = frame(img, n)
            px = f.load()
            self.assertEqual(px[106, 18], c(face), "%s frame %d face" % (name, n))
            wrong = [p for p in straight_border(f, corner=6) if px[p] != c(outline)]
            self.assertEqual(wrong[:5], [], "%s frame %d outline" % (name, n))
            if inner is not None:
                self.assertEqual(px[106, 1], c(inner))
            for corner in ((0, 0), (212, 0), (0, 35), (212, 35)):
                self.assertEqual(px[corner], c(ground), "%s frame %d corner %s" % (name, n, corner))

    def test_green_bar(self):
        self.check_wide_bar("green_bar.png", {1: (0x81DE5B, 0x6DBD00, 0xC5E599),
                                              2: (0x94E373, 0x82C726, None),
                                              3: (0x6EBD4D, 0x5CA100, None)}, 0xEAEEF0)

    def test_violet_bar(self):
        self.check_wide_bar("violet_bar.png", {1: (0xB85BDE, 0x5000BD, 0xB999E5),
                                               2: (0xC273E3, 0x6B26C7, None),
                                               3: (0x9C4DBD, 0x4500A1, None)}, 0xFF00FF)

    def test_close_button(self):
        img = load("close.png")
        window = load("form1_background.png")
        f1, f2, f3 = frame(img, 1), frame(img, 2), frame(img, 3)
        x, y = CLOSE_AT
        ground = window.crop((x, y, x + 28, y + 28))
        # Frame 1 is the window's own grass, away from the white cross.
        same = [(px, py) for py in range(28) for px in range(28)
                if not (6 <= px <= 22 and 6 <= py <= 22)]
        wrong = [p for p in same if f1.getpixel(p) != ground.getpixel(p)]
        self.assertEqual(wrong[:5], [], "close frame 1 must continue the window's grass")
        self.assertEqual(f2.getpixel((3, 24)), c(0xDF1C05))
        self.assertEqual(f3.getpixel((3, 24)), c(0xCD2D09))
        for f in (f1, f2, f3):
            cross = ink(f, lambda p: p == WHITE)
            self.assertGreater(len(cross), 12)
            self.assertIn((13, 13), cross)
            self.assertIn((10, 10), cross)
            self.assertIn((17, 10), cross)
            xs = [p[0] for p in cross]
            self.assertAlmostEqual(sum(xs) / len(xs), 13.5, delta=0.6, msg="cross must be centred")

    def test_minimise_button(self):
        img = load("minimise.png")
        window = load("form1_background.png")
        f1, f2, f3 = frame(img, 1), frame(img, 2), frame(img, 3)
        x, y = MINIMISE_AT
        ground = window.crop((x, y, x + 28, y + 28))
        away = [(px, py) for py in list(range(0, 11)) + list(range(21, 28)) for px in range(28)]
        wrong = [p for p in away if f1.getpixel(p) != ground.getpixel(p)]
        self.assertEqual(wrong[:5], [], "minimise frame 1 must continue the window's grass")
        bar = {(bx, by) for bx in range(8, 19) for by in range(14, 16)}
        self.assertEqual(ink(f1, lambda p: p == WHITE), bar)
        self.assertEqual(ink(f2, lambda p: p == WHITE), bar)
        self.assertEqual(ink(f3, lambda p: p == WHITE), {(bx + 1, by + 1) for bx, by in bar})
        lum = lambda f: luminance(mean(f, (0, 1, 28, 12)))  # noqa: E731
        self.assertGreater(lum(f2), lum(f1) * 1.1, "hover grass is lighter")
        self.assertLess(lum(f3), lum(f1) * 0.9, "pressed grass is darker")

    def test_icon_tiles(self):
        for name in ("gear.png", "power_icon.png", "hide.png"):
            with self.subTest(strip=name):
                img = load(name)
                f1, f3 = frame(img, 1), frame(img, 3)
                self.assertEqual(f1.getpixel((13, 0)), c(0xD2D2D2))
                self.assertEqual(f1.getpixel((13, 25)), c(0xC6C6C6))
                self.assertEqual(f1.getpixel((13, 1)), WHITE)
                self.assertLess(sum(f3.getpixel((13, 0))), sum(f1.getpixel((13, 0))), "pressed outline is darker")
                glyph = ink(f1.crop((3, 3, 23, 23)), lambda p: max(p) < 140 and max(p) - min(p) < 12)
                self.assertGreater(len(glyph), 25, "grey symbol missing")

    def test_big_tiles(self):
        hues = {"shutdown_tile.png": lambda p: p[0] > 170 and p[1] < 100 and p[2] < 100,
                "restart_tile.png": lambda p: p[1] > 130 and p[0] < 130 and p[2] < 110,
                "logoff_tile.png": lambda p: p[0] > 220 and 120 < p[1] < 220 and p[2] < 90}
        for name, test in hues.items():
            with self.subTest(strip=name):
                img = load(name)
                f1, f3 = frame(img, 1), frame(img, 3)
                px = f1.load()
                wrong = [p for p in straight_border(f1, corner=5) if px[p] != c(0xD2D2D2)]
                self.assertEqual(wrong[:5], [], "tile outline must be #D2D2D2")
                self.assertEqual(px[0, 0], BODY, "rounded corner shows the page body")
                s1, s3 = ink(f1, test), ink(f3, test)
                self.assertGreater(len(s1), 500, "large coloured symbol missing")
                moved = {(x + 1, y + 1) for x, y in s1}
                self.assertGreater(len(moved & s3) / len(s1), 0.9, "pressed symbol moves 1 px right and down")
                self.assertLess(len(s1 & s3) / len(s1), len(moved & s3) / len(s1))
                # An empty centre for the burst and the power ring alike.
                if name != "restart_tile.png":
                    self.assertNotIn((42, 44), s1)


class Logo(unittest.TestCase):
    def test_logo_jpeg(self):
        path = os.path.join(RENDERED, "logo.jpg")
        with open(path, "rb") as fh:
            data = fh.read()
        self.assertEqual(data[:2], b"\xff\xd8")
        self.assertIn(b"\xff\xc0", data, "baseline JPEG expected")
        self.assertNotIn(b"\xff\xc2", data, "progressive JPEG")
        self.assertNotIn(b"Exif", data)
        img = load("logo.jpg").convert("RGB")
        self.assertEqual(img.size, (100, 100))
        for corner in ((0, 0), (99, 0), (0, 99), (99, 99)):
            self.assertLessEqual(max(abs(a - b) for a, b in zip(img.getpixel(corner), BODY)), 6)
        screen = ink(img, lambda p: p[1] > 150 and p[0] < 170 and p[2] < 80)
        self.assertGreater(len(screen), 1500, "green screen missing")
        self.assertLess(max(img.getpixel((50, 38))), 60, "black keyhole at the screen's centre")


def read_dir(data):
    reserved, typ, count = struct.unpack_from("<HHH", data, 0)
    entries = []
    for i in range(count):
        w, h, colours, res, a, b, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        entries.append((w or 256, h or 256, colours, a, b, size, offset))
    return reserved, typ, entries


class IconAndCursor(unittest.TestCase):
    def test_icon(self):
        with open(os.path.join(RENDERED, "quorvel.ico"), "rb") as fh:
            data = fh.read()
        reserved, typ, entries = read_dir(data)
        self.assertEqual((reserved, typ), (0, 1))
        self.assertEqual([(e[0], e[1], e[4]) for e in entries],
                         [(16, 16, 8), (48, 48, 32), (32, 32, 32), (16, 16, 32)])
        for w, h, colours, planes, bpp, size, offset in entries:
            self.assertEqual(planes, 1)
            self.assertLessEqual(offset + size, len(data))
            hdr = struct.unpack_from("<IiiHHIIiiII", data, offset)
            self.assertEqual(hdr[0], 40, "BMP payload with BITMAPINFOHEADER")
            self.assertEqual((hdr[1], hdr[2], hdr[4]), (w, 2 * h, bpp))
            palette = 4 * 256 if bpp == 8 else 0
            xor = ((w * bpp + 31) // 32) * 4 * h
            andm = ((w + 31) // 32) * 4 * h
            self.assertEqual(size, 40 + palette + xor + andm)
        # Every image shows the monitor: opaque body, clear corners around it,
        # a green screen and a black keyhole at its centre.
        ico = Image.open(os.path.join(RENDERED, "quorvel.ico"))
        for index, entry in enumerate(ico.ico.entry):
            img = ico.ico.frame(index).convert("RGBA")
            w, h = img.size
            alphas = {p[3] for p in img.getdata()}
            self.assertIn(0, alphas)
            self.assertIn(255, alphas)
            green = ink(img, lambda p: p[1] > 140 and p[0] < 170 and p[2] < 80)
            self.assertGreater(len(green), w * h // 6, "green screen at %dx%d" % (w, h))
            keyhole = img.getpixel((w // 2, int(h * 0.42)))
            self.assertEqual(keyhole[3], 255)
            self.assertLess(max(keyhole[:3]), 70, "keyhole at %dx%d" % (w, h))

    def test_cursor(self):
        with open(os.path.join(RENDERED, "hand.cur"), "rb") as fh:
            data = fh.read()
        reserved, typ, entries = read_dir(data)
        self.assertEqual((reserved, typ, len(entries)), (0, 2, 1))
        w, h, colours, hot_x, hot_y, size, offset = entries[0]
        self.assertEqual((w, h), (32, 32))
        self.assertEqual((hot_x, hot_y), (5, 0))
        self.assertEqual(offset + size, len(data))
        hdr = struct.unpack_from("<IiiHHIIiiII", data, offset)
        self.assertEqual((hdr[0], hdr[1], hdr[2], hdr[4]), (40, 32, 64, 1))
        stride = 4
        xor = data[offset + 48: offset + 48 + stride * 32]
        andm = data[offset + 48 + stride * 32: offset + 48 + 2 * stride * 32]
        self.assertEqual(len(andm), stride * 32)

        def bit(mask, x, y):  # rows are stored bottom-up
            return (mask[(31 - y) * stride + x // 8] >> (7 - x % 8)) & 1
        opaque = {(x, y) for y in range(32) for x in range(32) if not bit(andm, x, y)}
        self.assertIn((5, 0), opaque, "the hot spot is on the finger tip")
        self.assertEqual({x for x, y in opaque if y == 0}, {5, 6}, "one narrow finger tip at the top")
        white = {p for p in opaque if bit(xor, *p)}
        self.assertGreater(len(white), 100, "a white hand")
        self.assertGreater(len(opaque - white), 40, "with a black outline")
        self.assertFalse(any(bit(xor, x, y) for y in range(32) for x in range(32) if (x, y) not in opaque),
                         "no inverting pixels")
        Image.open(os.path.join(RENDERED, "hand.cur")).load()


class HelpFile(unittest.TestCase):
    def test_help_text(self):
        with open(os.path.join(RENDERED, "NS码.txt"), "rb") as fh:
            data = fh.read()
        self.assertTrue(data.startswith(b"\xef\xbb\xbf"), "UTF-8 byte-order mark")
        body = data[3:]
        self.assertEqual(body.count(b"\n"), body.count(b"\r\n"), "every line ends in CRLF")
        self.assertEqual(body.count(b"\r"), body.count(b"\r\n"))
        text = body.decode("utf-8")
        for phrase in ("QuorvelNC.exe", "NS码", "NC码", "设置NS码", "确定", "忘记密码？", "验证", "1000"):
            self.assertIn(phrase, text)
        self.assertNotIn("TODO", text)


class Reproducible(unittest.TestCase):
    def test_generator_reproduces_committed_files(self):
        if not os.path.isfile(FONT_FILE):
            self.skipTest("WenQuanYi Micro Hei not installed (%s); cannot re-render" % FONT_FILE)
        with tempfile.TemporaryDirectory() as tmp:
            out = os.path.join(tmp, "rendered")
            sheet = os.path.join(tmp, "sheet.png")
            run = subprocess.run([sys.executable, GENERATOR, "--out", out, "--sheet", sheet],
                                 capture_output=True, text=True)
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertEqual(sorted(os.listdir(out)), sorted(os.listdir(RENDERED)))
            for name in sorted(os.listdir(out)):
                with open(os.path.join(out, name), "rb") as a, open(os.path.join(RENDERED, name), "rb") as b:
                    self.assertTrue(a.read() == b.read(), "%s differs from a fresh render" % name)
            with open(sheet, "rb") as a, open(SHEET, "rb") as b:
                self.assertTrue(a.read() == b.read(), "docs/art-contact-sheet.png is out of date")


if __name__ == "__main__":
    suite = unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__])
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    skipped = len(result.skipped)
    passed = result.testsRun - failed - skipped
    if skipped:
        print("art: %d skipped" % skipped)
    print("art: %d passed, %d failed" % (passed, failed))
    sys.exit(1 if failed else 0)
