#!/usr/bin/python3
"""Renders every picture of Quorvel lock, and the NS码 help file.

    /usr/bin/python3 src/layouts/art/generate.py [--out DIR] [--sheet FILE]

Writes the pictures, the icon, the cursor, the logo and "NS码.txt" into
src/layouts/art/rendered/ (or DIR) and a contact sheet of all of them into
docs/art-contact-sheet.png (or FILE). The rendered files are committed, so
building the program needs neither Python nor Pillow.

Needs Pillow (Debian: python3-pil) and the WenQuanYi Micro Hei font
(Debian: fonts-wqy-microhei). The output is the same, byte for byte, on every
run: textures come from fixed seeds, PNGs carry no time chunk, the JPEG no
EXIF, and text is laid out with Pillow's own layout engine.

Shapes are drawn at a multiple of their size and scaled down, which smooths
their edges. Elements whose colour is part of the design (outlines, faces,
the body colour) are painted through pixel-aligned masks scaled with a box
filter, so those colours come out exactly.
"""

import argparse
import io
import math
import os
import random
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", "..", ".."))

# ---------------------------------------------------------------------------
# Design parameters
# ---------------------------------------------------------------------------

FONT_FILE = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

SS = 4  # supersampling factor for smooth shapes

# The setup window.
WINDOW_SIZE = (380, 290)
BODY = 0xEAEEF0            # flat body colour
WINDOW_OUTLINE = 0xC4C4C4  # one-pixel frame around the window
SEPARATOR = 0xC1C7CB       # line between body and footer
SEPARATOR_ROW = 248
FOOTER_TOP = 0xD4DBDF      # row 249
FOOTER_BOTTOM = 0xE6EDF1   # row 288
FOOTER_ROWS = (249, 288)

# The grass band at the top of the window.
GRASS_SEED = 20260117
GRASS_HEIGHT = 130         # body colour reached exactly at this row
GRASS_FULL_UNTIL = 52      # full-strength grass above this row, then the fade
GRASS_GROUND_TOP = 0x58A810     # colour between the blades, top of the band
GRASS_GROUND_BOTTOM = 0x45920A  # ... and further down
GRASS_BLADE_DARK = 0x4A9A0A
GRASS_BLADE_MID = 0x78C612
GRASS_BLADE_LIGHT = 0xA4DE48
GRASS_BLADE_TIP = 0xCDF08A
GRASS_BLADES = 9000
GRASS_BLADE_LENGTH = (5.0, 15.0)
GRASS_BLADE_WIDTH = (1.0, 2.0)
GRASS_LEAN = 0.45           # largest sideways lean of a blade, in radians
GRASS_NOISE = 6             # per-pixel brightness jitter, +/- levels
# Shade over the top left corner, behind the title label (which the program
# draws at 8,8 in #80FF80), so the light green text stays readable: full
# shade up to TITLE_SHADE_FULL, none beyond TITLE_SHADE_END (window pixels).
TITLE_SHADE_FULL = (150, 24)
TITLE_SHADE_END = (300, 58)
TITLE_SHADE_STRENGTH = 0.58     # brightness kept under the title

# Buttons sitting on the grass: their window positions in pixels. 5260 and
# 4800 twips are 350.67 and 320 pixels; the close button lands on column 351.
CLOSE_AT = (351, 0)
MINIMISE_AT = (320, 0)
CAPTION_BUTTON = 28
CLOSE_HOVER = 0xDF1C05
CLOSE_PRESSED = 0xCD2D09
CAPTION_GLYPH = 0xFFFFFF
MINIMISE_BAR = (8, 14, 11, 2)   # x, y, width, height of the bar in a frame
MINIMISE_HOVER_LIGHTEN = 0.22   # blend towards white for the hover frame
MINIMISE_PRESSED_DARKEN = 0.72  # brightness kept in the pressed frame

# Pages sliding over the body: window rows 40..249.
PAGE_SIZE = (380, 210)
PAGE_TOP = 40

# Logo frame panel.
LOGO_FRAME_SIZE = 120
LOGO_FRAME_INNER = (10, 10, 100)  # x, y, size of the body-coloured square
LOGO_FRAME_SHADOW = 0x9AA3A8      # shadow colour right at the square's edge
LOGO_FRAME_SHADOW_ALPHA = 0.55
LOGO_FRAME_SHADOW_WIDTH = 10

# Light buttons (footer bar buttons and icon tiles).
LIGHT_FACE = 0xF0F0F0
LIGHT_OUTLINE_TOP = 0xD2D2D2
LIGHT_OUTLINE_BOTTOM = 0xC6C6C6
LIGHT_HIGHLIGHT = 0xFFFFFF
HOVER_FACE = 0xFAFAFA
HOVER_OUTLINE = 0x6DBD00
HOVER_INNER = 0xC5E599
PRESSED_OUTLINE = 0xCBCBCB
PRESSED_LOWER_OUTLINE = 0xDCDCDC
PRESSED_INNER_TOP = 0xE1E1E1
PRESSED_INNER_SIDE = 0xEAEAEA
ICON_PRESSED_OUTLINE = 0xADADAD
ICON_PRESSED_FACE = 0xE9E9E9
ICON_GLYPH = 0x6B6B6B
ICON_GLYPH_HOVER = 0x555555
HIDE_DIMMED_HEAD = 0x8C8C8C  # a few pixels of the hide arrow, disabled frames
FOOTER_BUTTON_ROW = 256      # window row of the footer buttons' top edge

# The colour a transparent button leaves out of its shape.
MASK_COLOUR = 0xFF00FF

# Wide bars: green on the setup window's body, violet on the lock window.
WIDE_BAR_SIZE = (213, 36)
WIDE_BAR_RADIUS = 5
GREEN_BAR = {  # frame: (face, outline, inner line)
    1: (0x81DE5B, 0x6DBD00, 0xC5E599),
    2: (0x94E373, 0x82C726, 0xD2ECB1),
    3: (0x6EBD4D, 0x5CA100, 0xA5D688),
    "ground": BODY,
}
VIOLET_BAR = {
    1: (0xB85BDE, 0x5000BD, 0xB999E5),
    2: (0xC273E3, 0x6B26C7, 0xCBB2EC),
    3: (0x9C4DBD, 0x4500A1, 0xA283D0),
    # The mask colour: the bar is a transparent button, so its rounded
    # corners show whatever lies beneath, the lock window's colour or picture.
    "ground": MASK_COLOUR,
}

# Big tiles on the power page.
TILE = 84
TILE_RADIUS = 4
TILE_OUTLINE = 0xD2D2D2
TILE_PRESSED_OUTLINE = 0xBDBDBD
TILE_FACE_TOP = 0xFAFAFA
TILE_FACE_BOTTOM = 0xEDEDED
TILE_HOVER_FACE_TOP = 0xFFFFFF
TILE_HOVER_FACE_BOTTOM = 0xF5F5F5
TILE_PRESSED_FACE_TOP = 0xEBEBEB
TILE_PRESSED_FACE_BOTTOM = 0xE2E2E2
SHUTDOWN_RED = (0xF2473B, 0xC41E12)   # top and bottom of the symbol
RESTART_GREEN = (0x5DCB45, 0x2F9A22)
LOGOFF_AMBER = (0xFFCD2A, 0xFF8A00)

# The monitor with the keyhole (icon, logo, about page).
MONITOR_BEZEL = 0x151515
MONITOR_BEZEL_EDGE = 0x3C3C3C
MONITOR_SCREEN = (0x8FE23A, 0x56AE00)  # screen gradient, top to bottom
MONITOR_KEYHOLE = 0x000000

# About page texts.
ABOUT_NAME = "Quorvel锁屏"
ABOUT_SLOGAN = "简单 · 快速 · 可靠的锁屏工具"
ABOUT_WEB = "官方网站：www.quorvel.example"
ABOUT_MAIL = "电子邮件：support@quorvel.example"
ABOUT_RIGHTS = "© 2026 Quorvel. 保留所有权利。"
ABOUT_BETA = "BETA"
ABOUT_BETA_RED = 0xE0251B
ABOUT_TEXT = 0x55616A
ABOUT_SLOGAN_COLOUR = 0x3E7F0C
ABOUT_RIGHTS_COLOUR = 0x8C979E

LOGO_JPEG_QUALITY = 92

# The hand cursor, hot spot at the tip of the index finger.
# X black, o white, anything else transparent.
HAND_HOTSPOT = (5, 0)
HAND = [
    ".....XX..........",
    "....XooX.........",
    "....XooX.........",
    "....XooX.........",
    "....XooXXX.......",
    "....XooXooXXX....",
    "....XooXooXooX...",
    "....XooXooXooXXX.",
    "....XooXooXooXooX",
    ".XX.XooXooXooXooX",
    "XooXXooXooXooXooX",
    "XoooXoooooooooooX",
    ".XooXoooooooooooX",
    ".XoooooooooooooX.",
    "..XooooooooooooX.",
    "..XooooooooooooX.",
    "...XoooooooooooX.",
    "...XooooooooooX..",
    "....XoooooooooX..",
    "....XoooooooooX..",
    "....XXXXXXXXXXX..",
]

# The help file beside the program; written as UTF-8 with a byte-order mark
# and CRLF line ends so that Notepad opens it correctly.
HELP_FILE = "NS码.txt"
HELP_TEXT = """\
Quorvel锁屏工具 —— NS码使用说明
==============================

一、什么是NS码？

NS码是您为自己设置的“找回密码”用的恢复码。
它由4个字符组成，数值必须大于1000，例如 2580。
设置了NS码以后，即使忘记了锁屏密码，也能用与它配套的NC码（解锁码）解除锁定。


二、如何设置NS码

1. 锁屏之前，在主界面左下角点击齿轮按钮“设置”，打开设置页。
2. 在“设置NS码”一栏输入4位NS码，例如 2580。
   （不足4位、或数值不大于1000的，例如 0999、1000，都不能使用。）
3. 点击“确定”保存。
   如果NS码不符合要求，程序会提示“为了能够找回密码,您必须正确设置NS码！”，
   请改正后再点“确定”。

小提示：程序每次启动后，只有打开过设置页（或在其中输入过NS码），
才会用到保存的NS码。锁屏之前没有打开过设置页时，程序按NS码为 0 处理，
这时请用“QuorvelNC.exe 0”计算NC码。


三、NS码与NC码

NC码（解锁码）是由NS码按照固定的规则算出来的，与您的NS码相配。
锁屏程序自己不会显示NC码，需要用配套工具 QuorvelNC.exe 算出来。


四、忘记密码时怎么办

1. 由电脑的主人（或管理这台电脑的人）在另一台电脑上运行配套工具，
   在命令提示符中输入：

       QuorvelNC.exe 2580

   （把 2580 换成您设置的NS码），屏幕上会显示对应的NC码。
2. 回到被锁定的电脑，在锁屏界面点击“忘记密码？”。
3. 在输入框中输入NC码，然后点击“验证”。
4. NC码正确时，锁定立即解除，锁屏程序随之退出。
   NC码不对时会提示“对不起,NC码验证失败！”，可以重新输入。


五、请注意

* 请务必记住您的NS码，或把它写下来放在安全的地方。
  忘记了NS码，也就无法算出NC码。
* 不要把NS码和 QuorvelNC.exe 交给不信任的人：
  知道NS码并拥有这个工具的人，都能解开您的锁屏。
* 修改NS码后，旧的NC码随即失效，请用新的NS码重新计算。

祝您使用愉快！
Quorvel
"""


# ---------------------------------------------------------------------------
# Small helpers
# ---------------------------------------------------------------------------

def rgb(value):
    return ((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF)


def mix(a, b, t):
    """Colour a towards b by t (0..1); a and b are RGB tuples or ints."""
    if isinstance(a, int):
        a = rgb(a)
    if isinstance(b, int):
        b = rgb(b)
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def font(size, mono=False):
    return ImageFont.truetype(FONT_FILE, size, index=1 if mono else 0,
                              layout_engine=ImageFont.Layout.BASIC)


def vertical_gradient(size, top, bottom):
    w, h = size
    img = Image.new("RGB", size)
    draw = ImageDraw.Draw(img)
    for y in range(h):
        t = y / (h - 1) if h > 1 else 0.0
        draw.line([(0, y), (w - 1, y)], fill=mix(top, bottom, t))
    return img


def mask(size, paint, scale=SS, sharp=False):
    """Coverage mask of a shape drawn by paint(draw, k) at `scale` times the
    size, where k is the scale to multiply coordinates with. A box filter keeps
    pixel-aligned edges exact; Lanczos gives smoother curves."""
    w, h = size
    big = Image.new("L", (w * scale, h * scale), 0)
    paint(ImageDraw.Draw(big), scale)
    return big.resize(size, Image.BOX if sharp else Image.LANCZOS)


def fill(img, coverage, colour):
    """Paints colour (or an RGB image of the same size) through a mask."""
    if isinstance(colour, Image.Image):
        img.paste(colour, (0, 0), coverage)
    else:
        img.paste(rgb(colour) if isinstance(colour, int) else colour,
                  (0, 0, img.width, img.height), coverage)


def round_caps(draw, points, width, k):
    """A thick polyline with round caps, coordinates scaled by k."""
    pts = [(x * k, y * k) for x, y in points]
    draw.line(pts, fill=255, width=int(round(width * k)), joint="curve")
    r = width * k / 2
    for x, y in (pts[0], pts[-1]):
        draw.ellipse([x - r, y - r, x + r, y + r], fill=255)


def arc_stroke(draw, cx, cy, radius, width, start, end, k, caps=True):
    """An arc of a circle (centre line `radius`) drawn `width` thick, angles
    in degrees clockwise from three o'clock."""
    r_out = (radius + width / 2) * k
    draw.arc([cx * k - r_out, cy * k - r_out, cx * k + r_out, cy * k + r_out],
             start, end, fill=255, width=int(round(width * k)))
    if caps:
        r = width * k / 2
        for a in (start, end):
            px = (cx + radius * math.cos(math.radians(a))) * k
            py = (cy + radius * math.sin(math.radians(a))) * k
            draw.ellipse([px - r, py - r, px + r, py + r], fill=255)


# ---------------------------------------------------------------------------
# Grass
# ---------------------------------------------------------------------------

def value_noise(size, cells, rng, spread):
    """Smooth brightness field: a coarse random grid scaled up bicubically."""
    coarse = Image.new("L", cells)
    coarse.putdata([int(128 + rng.uniform(-spread, spread)) for _ in range(cells[0] * cells[1])])
    return coarse.resize(size, Image.BICUBIC)


def grass_texture():
    """The lawn texture in window coordinates, 380 x GRASS_HEIGHT, before it
    fades into the body. Every picture on the grass samples this."""
    w, h = WINDOW_SIZE[0], GRASS_HEIGHT
    rng = random.Random(GRASS_SEED)
    k = SS
    big = vertical_gradient((w * k, h * k), GRASS_GROUND_TOP, GRASS_GROUND_BOTTOM)
    draw = ImageDraw.Draw(big)

    # Blades from the back (top) to the front (bottom): lower blades overlap
    # the ones above them, as on a lawn seen from a low angle.
    blades = []
    for _ in range(GRASS_BLADES):
        base_y = rng.uniform(-2.0, h + 14.0)
        blades.append((base_y, rng.uniform(-4.0, w + 4.0), rng.random(), rng.random(),
                       rng.random(), rng.random(), rng.random()))
    blades.sort(key=lambda b: b[0])
    for base_y, base_x, r_len, r_w, r_lean, r_tone, r_bend in blades:
        length = GRASS_BLADE_LENGTH[0] + (GRASS_BLADE_LENGTH[1] - GRASS_BLADE_LENGTH[0]) * r_len
        width = GRASS_BLADE_WIDTH[0] + (GRASS_BLADE_WIDTH[1] - GRASS_BLADE_WIDTH[0]) * r_w
        lean = (r_lean * 2 - 1) * GRASS_LEAN
        bend = (r_bend * 2 - 1) * 0.35
        # Tone: blades nearer the front catch more light.
        depth = min(max(base_y / h, 0.0), 1.0)
        t = min(max(r_tone * 0.8 + depth * 0.15 + 0.05, 0.0), 1.0)
        if t < 0.35:
            colour = mix(GRASS_BLADE_DARK, GRASS_BLADE_MID, t / 0.35)
        elif t < 0.8:
            colour = mix(GRASS_BLADE_MID, GRASS_BLADE_LIGHT, (t - 0.35) / 0.45)
        else:
            colour = mix(GRASS_BLADE_LIGHT, GRASS_BLADE_TIP, (t - 0.8) / 0.2)
        mid_angle = lean + bend * 0.5
        tip_angle = lean + bend
        mx = base_x + math.sin(mid_angle) * length * 0.5
        my = base_y - math.cos(mid_angle) * length * 0.5
        tx = mx + math.sin(tip_angle) * length * 0.5
        ty = my - math.cos(tip_angle) * length * 0.5
        half = width / 2
        poly = [(base_x - half, base_y), (mx - half * 0.6, my), (tx, ty),
                (mx + half * 0.6, my), (base_x + half, base_y)]
        draw.polygon([(x * k, y * k) for x, y in poly], fill=colour)
        if t > 0.45:
            # A thin lit edge on one side of the brighter blades.
            shine = mix(colour, GRASS_BLADE_TIP, 0.45)
            side = half * 0.45 if lean < 0 else -half * 0.45
            draw.line([((base_x + side) * k, base_y * k), ((mx + side * 0.6) * k, my * k),
                       (tx * k, ty * k)], fill=shine, width=max(1, int(k * 0.5)))

    img = big.resize((w, h), Image.LANCZOS)

    # Broad patches of light and shade, then fine grain.
    patches = value_noise((w, h), (14, 6), rng, 40)
    grain = [int(rng.uniform(-GRASS_NOISE, GRASS_NOISE + 1)) for _ in range(w * h)]
    px = img.load()
    pp = patches.load()
    for y in range(h):
        for x in range(w):
            f = 1.0 + (pp[x, y] - 128) / 128 * 0.16
            n = grain[y * w + x]
            r, g, b = px[x, y]
            px[x, y] = (min(255, max(0, int(r * f + n))),
                        min(255, max(0, int(g * f + n))),
                        min(255, max(0, int(b * f + n * 0.5))))

    # Shade over the top left corner, behind the title, easing out along
    # rounded contours.
    (fx, fy), (ex, ey) = TITLE_SHADE_FULL, TITLE_SHADE_END
    for y in range(h):
        for x in range(w):
            d = math.hypot(max(0.0, x - fx) / (ex - fx), max(0.0, y - fy) / (ey - fy))
            if d < 1.0:
                s = 1.0 - d * d * (3 - 2 * d)
                keep = 1.0 - (1.0 - TITLE_SHADE_STRENGTH) * s
                r, g, b = px[x, y]
                px[x, y] = (int(r * keep), int(g * keep), int(b * keep))
    return img


def grass_alpha(y):
    """How much grass shows at window row y (1 = all, 0 = body colour)."""
    if y < GRASS_FULL_UNTIL:
        return 1.0
    if y >= GRASS_HEIGHT:
        return 0.0
    t = (y - GRASS_FULL_UNTIL) / (GRASS_HEIGHT - GRASS_FULL_UNTIL)
    # Eases out, yet still tints the last row before GRASS_HEIGHT.
    return (1.0 - t) * (1.0 - 0.5 * t)


def grass_over_body(grass):
    """The window's top area: the lawn fading into the body colour."""
    w, h = grass.size
    body = Image.new("RGB", (w, h), rgb(BODY))
    alpha = Image.new("L", (w, h))
    draw = ImageDraw.Draw(alpha)
    for y in range(h):
        draw.line([(0, y), (w - 1, y)], fill=int(round(255 * min(1.0, grass_alpha(y)))))
    return Image.composite(grass, body, alpha)


# ---------------------------------------------------------------------------
# Window and panels
# ---------------------------------------------------------------------------

def footer_colour(row):
    a, b = FOOTER_ROWS
    return mix(FOOTER_TOP, FOOTER_BOTTOM, (row - a) / (b - a))


def window_background(grass):
    w, h = WINDOW_SIZE
    img = Image.new("RGB", (w, h), rgb(BODY))
    img.paste(grass_over_body(grass), (0, 0))
    draw = ImageDraw.Draw(img)
    draw.line([(0, SEPARATOR_ROW), (w - 1, SEPARATOR_ROW)], fill=rgb(SEPARATOR))
    for row in range(FOOTER_ROWS[0], FOOTER_ROWS[1] + 1):
        draw.line([(0, row), (w - 1, row)], fill=footer_colour(row))
    draw.rectangle([0, 0, w - 1, h - 1], outline=rgb(WINDOW_OUTLINE))
    return img


def page_background(window):
    """A page slid to the window's left edge covers window rows 40..249; it
    repeats the window's body there and closes with the separator's colour in
    its bottom row alone, so that the line under an open page stays one pixel
    (the window's own separator row lies under the page's body)."""
    w, h = PAGE_SIZE
    img = window.crop((0, PAGE_TOP, w, PAGE_TOP + h))
    draw = ImageDraw.Draw(img)
    draw.line([(0, SEPARATOR_ROW - PAGE_TOP), (w - 1, SEPARATOR_ROW - PAGE_TOP)], fill=rgb(BODY))
    draw.line([(0, h - 1), (w - 1, h - 1)], fill=rgb(SEPARATOR))
    draw.line([(0, 0), (0, h - 1)], fill=rgb(WINDOW_OUTLINE))
    draw.line([(w - 1, 0), (w - 1, h - 1)], fill=rgb(WINDOW_OUTLINE))
    return img


def logo_frame():
    size = LOGO_FRAME_SIZE
    x0, y0, inner = LOGO_FRAME_INNER
    img = Image.new("RGB", (size, size), rgb(BODY))
    px = img.load()
    shadow = rgb(LOGO_FRAME_SHADOW)
    body = rgb(BODY)
    width = LOGO_FRAME_SHADOW_WIDTH
    for y in range(size):
        for x in range(size):
            # Distance from the square, with softly rounded outer corners.
            dx = max(x0 - x, 0, x - (x0 + inner - 1))
            dy = max(y0 - y, 0, y - (y0 + inner - 1))
            if dx == 0 and dy == 0:
                continue
            d = math.hypot(dx, dy) - 0.5
            t = max(0.0, 1.0 - d / width)
            a = LOGO_FRAME_SHADOW_ALPHA * t ** 2.3
            px[x, y] = mix(body, shadow, a)
    return img


# ---------------------------------------------------------------------------
# Monitor with keyhole
# ---------------------------------------------------------------------------

def monitor_rgba(size, bezel, screen, neck, base, radius, keyhole_scale=1.0, edge=True):
    """A black monitor with a green screen showing a black keyhole, drawn on a
    transparent square of `size`. Rectangles are (x0, y0, x1, y1) pixel edges."""
    w = h = size
    solid = Image.new("RGB", (w, h), rgb(MONITOR_BEZEL))

    def rect_mask(r, rad):
        return mask((w, h), lambda d, k: d.rounded_rectangle(
            [r[0] * k, r[1] * k, r[2] * k - 1, r[3] * k - 1], radius=rad * k, fill=255), scale=8, sharp=True)

    def union(*masks):
        out = Image.new("L", (w, h), 0)
        for m in masks:
            out = Image.composite(Image.new("L", (w, h), 255), out, m)
        return out

    body = union(rect_mask(bezel, radius), rect_mask(neck, 0),
                 rect_mask(base, min(radius, (base[3] - base[1]) / 2)))
    # A faint lighter rim along the bezel's top edge gives it some depth.
    if edge:
        rim = rect_mask((bezel[0], bezel[1], bezel[2], bezel[1] + 1), radius)
        fill(solid, rim, MONITOR_BEZEL_EDGE)
    sx0, sy0, sx1, sy1 = screen
    gradient = Image.new("RGB", (w, h))
    gradient.paste(vertical_gradient((w, max(1, sy1 - sy0)), MONITOR_SCREEN[0], MONITOR_SCREEN[1]), (0, sy0))
    fill(solid, rect_mask(screen, max(0.0, radius - 1.5) * 0.6), gradient)

    # Keyhole: a round head over a flared stem, centred on the screen.
    cx = (sx0 + sx1) / 2
    cy = (sy0 + sy1) / 2
    sh = (sy1 - sy0) * keyhole_scale
    head_r = sh * 0.19
    head_cy = cy - sh * 0.12
    stem_top = head_cy + head_r * 0.4
    stem_bottom = cy + sh * 0.30
    half_top = head_r * 0.42
    half_bottom = head_r * 0.72

    def keyhole(d, k):
        d.ellipse([(cx - head_r) * k, (head_cy - head_r) * k,
                   (cx + head_r) * k, (head_cy + head_r) * k], fill=255)
        d.polygon([((cx - half_top) * k, stem_top * k), ((cx + half_top) * k, stem_top * k),
                   ((cx + half_bottom) * k, stem_bottom * k), ((cx - half_bottom) * k, stem_bottom * k)],
                  fill=255)
    fill(solid, mask((w, h), keyhole, scale=8), MONITOR_KEYHOLE)

    img = solid.convert("RGBA")
    img.putalpha(body)
    return img


# Pixel-snapped geometry for the icon sizes: bezel, screen, neck, base, radius.
ICON_GEOMETRY = {
    48: ((2, 5, 46, 36), (5, 8, 43, 33), (20, 36, 28, 41), (11, 41, 37, 45), 2.5),
    32: ((1, 3, 31, 24), (3, 5, 29, 22), (13, 24, 19, 27), (7, 27, 25, 30), 2.0),
    16: ((0, 1, 16, 12), (1, 2, 15, 11), (6, 12, 10, 14), (3, 14, 13, 16), 1.0),
}


def icon_image(size):
    bezel, screen, neck, base, radius = ICON_GEOMETRY[size]
    return monitor_rgba(size, bezel, screen, neck, base, radius,
                        keyhole_scale=1.15 if size == 16 else 1.0, edge=size >= 32)


def scaled_monitor(width):
    """The monitor at any width, for the logo and the about page."""
    s = width / 44.0  # design units: the 48 px icon's bezel is 44 wide

    def r(x0, y0, x1, y1):
        return (round(x0 * s), round(y0 * s), round(x1 * s), round(y1 * s))
    size = round(48 * s)
    return monitor_rgba(size, r(2, 5, 46, 36), r(4.5, 7.5, 43.5, 33.5), r(20, 36, 28, 41),
                        r(11, 41, 37, 45), 2.5 * s)


# ---------------------------------------------------------------------------
# Light buttons: footer bars and icon tiles
# ---------------------------------------------------------------------------

def light_frame(w, h, state, icon=False, ground_row=None):
    """One frame of a light button: state 1 normal, 2 hover, 3 pressed. Icon
    tiles press in with a darker outline and face than the footer bars.
    ground_row(y) is the colour behind the button at its row y."""
    ground_row = ground_row or footer_ground
    img = Image.new("RGB", (w, h))
    draw = ImageDraw.Draw(img)
    if state == 1:
        face, inner_top, inner_side, inner_bottom = LIGHT_FACE, LIGHT_HIGHLIGHT, LIGHT_HIGHLIGHT, LIGHT_HIGHLIGHT
        outline = [mix(LIGHT_OUTLINE_TOP, LIGHT_OUTLINE_BOTTOM, y / (h - 1)) for y in range(h)]
    elif state == 2:
        face, inner_top, inner_side, inner_bottom = HOVER_FACE, HOVER_INNER, HOVER_INNER, HOVER_INNER
        outline = [rgb(HOVER_OUTLINE)] * h
    else:
        face = ICON_PRESSED_FACE if icon else LIGHT_FACE
        inner_top, inner_side, inner_bottom = PRESSED_INNER_TOP, PRESSED_INNER_SIDE, LIGHT_HIGHLIGHT
        out = ICON_PRESSED_OUTLINE if icon else PRESSED_OUTLINE
        outline = [rgb(out)] * (h - 1) + [rgb(PRESSED_LOWER_OUTLINE)]
    draw.rectangle([0, 0, w - 1, h - 1], fill=rgb(face))
    for y in range(h):
        draw.point([(0, y), (w - 1, y)], fill=outline[y])
    draw.line([(0, 0), (w - 1, 0)], fill=outline[0])
    draw.line([(0, h - 1), (w - 1, h - 1)], fill=outline[h - 1])
    draw.line([(1, 1), (w - 2, 1)], fill=rgb(inner_top))
    draw.line([(1, 2), (1, h - 3)], fill=rgb(inner_side))
    draw.line([(w - 2, 2), (w - 2, h - 3)], fill=rgb(inner_side))
    draw.line([(1, h - 2), (w - 2, h - 2)], fill=rgb(inner_bottom))
    # Softly rounded corners: the corner pixel is half ground, half outline.
    for (x, y), (ix, iy) in (((0, 0), (1, 1)), ((w - 1, 0), (w - 2, 1)),
                             ((0, h - 1), (1, h - 2)), ((w - 1, h - 1), (w - 2, h - 2))):
        img.putpixel((x, y), mix(ground_row(y), outline[y], 0.45))
        img.putpixel((ix, iy), mix(img.getpixel((ix, iy)), outline[y], 0.35))
    return img


def footer_ground(y):
    return footer_colour(FOOTER_BUTTON_ROW + y)


def strip(frames):
    w, h = frames[0].size
    out = Image.new("RGB", (w * len(frames), h))
    for i, f in enumerate(frames):
        out.paste(f, (i * w, 0))
    return out


def light_bar_strip():
    f1 = light_frame(70, 26, 1)
    return strip([f1, light_frame(70, 26, 2), light_frame(70, 26, 3), f1.copy(), f1.copy()])


def glyph_gear(d, k):
    cx = cy = 13.0
    teeth, r_out, r_body, r_hole = 8, 7.6, 5.6, 2.3
    pts = []
    for i in range(teeth):
        a = 2 * math.pi * i / teeth
        half_tip, half_root = 0.23, 0.36  # angular half widths (radians)
        for ang, rad in ((a - math.pi / teeth, r_body), (a - half_root, r_body), (a - half_tip, r_out),
                         (a + half_tip, r_out), (a + half_root, r_body)):
            pts.append(((cx + rad * math.cos(ang)) * k, (cy + rad * math.sin(ang)) * k))
    d.polygon(pts, fill=255)
    d.ellipse([(cx - r_hole) * k, (cy - r_hole) * k, (cx + r_hole) * k, (cy + r_hole) * k], fill=0)


def glyph_power(d, k):
    arc_stroke(d, 13.0, 13.5, 5.6, 1.9, 312, 228, k)
    round_caps(d, [(13.0, 6.3), (13.0, 12.0)], 1.9, k)


def glyph_hide_shaft(d, k):
    round_caps(d, [(8.2, 8.2), (16.6, 16.6)], 1.9, k)


def glyph_hide_head(d, k):
    d.rectangle([17 * k, 11 * k, 19 * k - 1, 19 * k - 1], fill=255)
    d.rectangle([11 * k, 17 * k, 19 * k - 1, 19 * k - 1], fill=255)


def glyph_hide_worn(d, k):
    """The few pixels of the hide arrow that the disabled frames show
    lighter: the head's corner and the ends of its two arms."""
    for x0, y0, x1, y1 in ((17, 17, 19, 19), (17, 11, 19, 12), (11, 17, 12, 19)):
        d.rectangle([x0 * k, y0 * k, x1 * k - 1, y1 * k - 1], fill=255)


def icon_strip(glyph, worn=None):
    """Five frames of a 26 x 26 icon tile; glyph is a list of painters.
    worn, if given, paints the pixels that the disabled frames show lighter."""
    frames = []
    masks = [mask((26, 26), g, scale=8) for g in glyph]
    for state, colour in ((1, ICON_GLYPH), (2, ICON_GLYPH_HOVER), (3, ICON_GLYPH)):
        f = light_frame(26, 26, state, icon=True)
        for m in masks:
            fill(f, m, colour)
        frames.append(f)
    f4 = frames[0].copy()
    if worn is not None:
        fill(f4, mask((26, 26), worn, sharp=True), HIDE_DIMMED_HEAD)
    return strip(frames + [f4, f4.copy()])


# ---------------------------------------------------------------------------
# Wide bars
# ---------------------------------------------------------------------------

def wide_bar_strip(palette):
    w, h = WIDE_BAR_SIZE
    transparent = palette["ground"] == MASK_COLOUR
    frames = []
    for n in (1, 2, 3):
        face, outline, inner = palette[n]
        # A transparent bar's edge blends into its own outline, never into
        # the mask colour: a blend would show as a pink speck.
        img = Image.new("RGB", (w, h), rgb(outline if transparent else palette["ground"]))
        shape = None
        for inset, colour in ((0, outline), (1, inner), (2, face)):
            m = mask((w, h), lambda d, k, i=inset: d.rounded_rectangle(
                [i * k, i * k, (w - i) * k - 1, (h - i) * k - 1],
                radius=(WIDE_BAR_RADIUS - i) * k, fill=255), sharp=True)
            fill(img, m, colour)
            shape = shape or m
        if transparent:
            fill(img, shape.point(lambda v: 255 if v < 128 else 0), MASK_COLOUR)
        frames.append(img)
    return strip(frames + [frames[0].copy(), frames[0].copy()])


# ---------------------------------------------------------------------------
# Caption buttons on the grass
# ---------------------------------------------------------------------------

def close_glyph(d, k):
    a, b = 9.5, 18.5
    round_caps(d, [(a, a), (b, b)], 1.7, k)
    round_caps(d, [(a, b), (b, a)], 1.7, k)


def glyph_on(ground, painter, offset=(0, 0), shadow=True):
    """White glyph over ground, with a soft dark shadow when the ground is
    the busy grass."""
    img = ground.copy()
    size = img.size
    m = mask(size, painter, scale=8)
    if offset != (0, 0):
        m = m.transform(size, Image.AFFINE, (1, 0, -offset[0], 0, 1, -offset[1]))
    if shadow:
        sh = m.transform(size, Image.AFFINE, (1, 0, -0.6, 0, 1, -0.9), Image.BILINEAR)
        sh = sh.filter(ImageFilter.GaussianBlur(1.1)).point(lambda v: int(v * 0.55))
        fill(img, sh, 0x0E2A00)
    fill(img, m, CAPTION_GLYPH)
    return img


def keep_window_edge(frame):
    """The caption buttons cover the window's top row; every frame repeats
    the window outline there so the edge stays unbroken."""
    ImageDraw.Draw(frame).line([(0, 0), (frame.width - 1, 0)], fill=rgb(WINDOW_OUTLINE))
    return frame


def close_strip(window):
    x, y = CLOSE_AT
    n = CAPTION_BUTTON
    ground = window.crop((x, y, x + n, y + n))
    f1 = keep_window_edge(glyph_on(ground, close_glyph))
    f2 = keep_window_edge(glyph_on(Image.new("RGB", (n, n), rgb(CLOSE_HOVER)), close_glyph, shadow=False))
    f3 = keep_window_edge(glyph_on(Image.new("RGB", (n, n), rgb(CLOSE_PRESSED)), close_glyph, shadow=False))
    return strip([f1, f2, f3, f1.copy(), f1.copy()])


def minimise_frame(ground, shift):
    img = ground.copy()
    bx, by, bw, bh = MINIMISE_BAR
    bx += shift
    by += shift
    draw = ImageDraw.Draw(img)
    # A soft shadow under the bar, then the bar itself in exact white.
    shade = Image.new("L", img.size, 0)
    ImageDraw.Draw(shade).rectangle([bx, by + 1, bx + bw - 1, by + bh], fill=150)
    shade = shade.filter(ImageFilter.GaussianBlur(0.9))
    fill(img, shade, 0x0E2A00)
    draw.rectangle([bx, by, bx + bw - 1, by + bh - 1], fill=rgb(CAPTION_GLYPH))
    return keep_window_edge(img)


def minimise_strip(window):
    x, y = MINIMISE_AT
    n = CAPTION_BUTTON
    ground = window.crop((x, y, x + n, y + n))
    lighter = Image.blend(ground, Image.new("RGB", (n, n), (255, 255, 255)), MINIMISE_HOVER_LIGHTEN)
    darker = ground.point(lambda v: int(v * MINIMISE_PRESSED_DARKEN))
    f1 = minimise_frame(ground, 0)
    return strip([f1, minimise_frame(lighter, 0), minimise_frame(darker, 1), f1.copy(), f1.copy()])


# ---------------------------------------------------------------------------
# Power page tiles
# ---------------------------------------------------------------------------

def tile_frame(state):
    n = TILE
    if state == 1:
        outline, inner, top, bottom = TILE_OUTLINE, LIGHT_HIGHLIGHT, TILE_FACE_TOP, TILE_FACE_BOTTOM
    elif state == 2:
        outline, inner, top, bottom = HOVER_OUTLINE, HOVER_INNER, TILE_HOVER_FACE_TOP, TILE_HOVER_FACE_BOTTOM
    else:
        outline, inner, top, bottom = TILE_PRESSED_OUTLINE, PRESSED_INNER_SIDE, TILE_PRESSED_FACE_TOP, \
            TILE_PRESSED_FACE_BOTTOM
    img = Image.new("RGB", (n, n), rgb(BODY))
    for inset, colour in ((0, outline), (1, inner), (2, vertical_gradient((n, n), top, bottom))):
        m = mask((n, n), lambda d, k, i=inset: d.rounded_rectangle(
            [i * k, i * k, (n - i) * k - 1, (n - i) * k - 1], radius=(TILE_RADIUS - i) * k, fill=255), sharp=True)
        fill(img, m, colour)
    return img


def symbol_power(d, k):
    cx, cy = 42.0, 43.5
    arc_stroke(d, cx, cy, 20.0, 7.0, 310, 230, k)
    round_caps(d, [(cx, 17.5), (cx, 40.0)], 7.0, k)


def symbol_restart(d, k):
    cx, cy, r, wdt = 42.0, 42.0, 19.0, 7.0
    start, end = 172.0, 118.0 + 360.0  # clockwise from the left round to the lower left
    arc_stroke(d, cx, cy, r, wdt, start, end, k, caps=False)
    a = math.radians(start)
    ex, ey = cx + r * math.cos(a), cy + r * math.sin(a)
    d.ellipse([(ex - wdt / 2) * k, (ey - wdt / 2) * k, (ex + wdt / 2) * k, (ey + wdt / 2) * k], fill=255)
    # Arrow head at the lower left end, pointing on round the circle.
    a = math.radians(end)
    ex, ey = cx + r * math.cos(a), cy + r * math.sin(a)
    tx, ty = -math.sin(a), math.cos(a)     # clockwise tangent
    nx, ny = math.cos(a), math.sin(a)      # outward normal
    back, fwd, half = 2.0, 11.0, 10.5
    bx, by = ex - tx * back, ey - ty * back
    pts = [(bx + nx * half, by + ny * half), (ex + tx * fwd, ey + ty * fwd), (bx - nx * half, by - ny * half)]
    d.polygon([(x * k, y * k) for x, y in pts], fill=255)


def symbol_logoff(d, k):
    cx, cy = 42.0, 42.0
    rays, r_in, r_out, wdt = 12, 12.5, 23.5, 5.6
    for i in range(rays):
        a = 2 * math.pi * i / rays - math.pi / 2
        round_caps(d, [(cx + r_in * math.cos(a), cy + r_in * math.sin(a)),
                       (cx + r_out * math.cos(a), cy + r_out * math.sin(a))], wdt, k)


def tile_strip(symbol, colours):
    n = TILE
    paint = vertical_gradient((n, n), colours[0], colours[1])
    m = mask((n, n), symbol)
    shadow = m.transform((n, n), Image.AFFINE, (1, 0, 0, 0, 1, -1.5), Image.BILINEAR) \
        .filter(ImageFilter.GaussianBlur(1.6)).point(lambda v: int(v * 0.22))
    frames = []
    for state in (1, 2, 3):
        f = tile_frame(state)
        sm, mm, pt = shadow, m, paint
        if state == 3:  # pressed: the symbol sinks one pixel right and down
            move = (1, 0, -1, 0, 1, -1)
            sm = shadow.transform((n, n), Image.AFFINE, move)
            mm = m.transform((n, n), Image.AFFINE, move)
            pt = paint.transform((n, n), Image.AFFINE, move)
        fill(f, sm, 0x404040)
        fill(f, mm, pt)
        frames.append(f)
    return strip(frames + [frames[0].copy(), frames[0].copy()])


# ---------------------------------------------------------------------------
# About page
# ---------------------------------------------------------------------------

def text_with_shadow(img, xy, text, fnt, colour, shadow_alpha=150, blur=1.6, offset=(1, 1)):
    w, h = img.size
    sh = Image.new("L", (w, h), 0)
    ImageDraw.Draw(sh).text((xy[0] + offset[0], xy[1] + offset[1]), text, font=fnt, fill=shadow_alpha)
    sh = sh.filter(ImageFilter.GaussianBlur(blur))
    fill(img, sh, 0x0C2600)
    ImageDraw.Draw(img).text(xy, text, font=fnt, fill=rgb(colour))


def about_page(page):
    img = page.copy()
    draw = ImageDraw.Draw(img)

    # Monitor on the left, with a soft shadow on the ground below it.
    mon = scaled_monitor(104)
    mx, my = 18, 24
    sh = Image.new("L", img.size, 0)
    foot = my + round(45 * mon.width / 48.0)  # bottom edge of the monitor's base
    ImageDraw.Draw(sh).ellipse([mx + 12, foot - 6, mx + mon.width - 12, foot + 5], fill=120)
    sh = sh.filter(ImageFilter.GaussianBlur(4))
    fill(img, sh, 0x5A6670)
    img.paste(mon, (mx, my), mon)

    # Name, slogan, contact lines.
    left = 152
    name_font = font(38)
    text_with_shadow(img, (left, 6), ABOUT_NAME, name_font, 0xFFFFFF, shadow_alpha=190, blur=2.2,
                     offset=(1, 2))
    draw.text((left + 2, 62), ABOUT_SLOGAN, font=font(13), fill=rgb(ABOUT_SLOGAN_COLOUR))
    draw.line([(left + 2, 88), (360, 88)], fill=mix(BODY, 0x9AA6AD, 0.45))
    small = font(12)
    draw.text((left + 2, 100), ABOUT_WEB, font=small, fill=rgb(ABOUT_TEXT))
    draw.text((left + 2, 120), ABOUT_MAIL, font=small, fill=rgb(ABOUT_TEXT))

    # BETA tag at the lower left.
    tag_font = font(12)
    tw = draw.textlength(ABOUT_BETA, font=tag_font)
    tx0, ty0, th = 22, 156, 19
    tx1 = tx0 + int(tw) + 16
    m = mask(img.size, lambda d, k: d.rounded_rectangle([tx0 * k, ty0 * k, tx1 * k - 1, (ty0 + th) * k - 1],
                                                        radius=4 * k, fill=255), sharp=True)
    fill(img, m, ABOUT_BETA_RED)
    # Letter-spaced and doubled one pixel across for a bold look.
    x = tx0 + 8
    for ch in ABOUT_BETA:
        draw.text((x, ty0 + 2), ch, font=tag_font, fill=(255, 255, 255))
        draw.text((x + 1, ty0 + 2), ch, font=tag_font, fill=(255, 255, 255))
        x += draw.textlength(ch, font=tag_font) + 1

    # Rights notice along the bottom, above the separator row.
    rf = font(11)
    rw = draw.textlength(ABOUT_RIGHTS, font=rf)
    draw.text(((img.width - rw) / 2, 186), ABOUT_RIGHTS, font=rf, fill=rgb(ABOUT_RIGHTS_COLOUR))
    return img


# ---------------------------------------------------------------------------
# Logo
# ---------------------------------------------------------------------------

def logo():
    n = 100
    img = Image.new("RGB", (n, n), rgb(BODY))
    # A gentle light spot behind the monitor, fading into the body colour.
    glow = Image.new("L", (n, n), 0)
    ImageDraw.Draw(glow).ellipse([10, 2, 90, 80], fill=200)
    glow = glow.filter(ImageFilter.GaussianBlur(14))
    fill(img, glow, 0xFAFCFD)
    # The monitor keeps to the upper two thirds: the window's "忘记密码？"
    # link is drawn over the logo's rows 78 to 95 and must stay readable.
    sh = Image.new("L", (n, n), 0)
    ImageDraw.Draw(sh).ellipse([28, 64, 72, 72], fill=110)
    sh = sh.filter(ImageFilter.GaussianBlur(3))
    fill(img, sh, 0x7D888F)
    mon = scaled_monitor(66)
    img.paste(mon, ((n - mon.width) // 2, 5), mon)
    return img


# ---------------------------------------------------------------------------
# Icon and cursor containers
# ---------------------------------------------------------------------------

def _row_bytes(bits_per_row):
    return ((bits_per_row + 31) // 32) * 4


def _and_mask(opaque, w, h):
    """1-bit AND mask, bottom-up: 1 where the pixel is transparent."""
    stride = _row_bytes(w)
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if not opaque(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def _dib_header(w, h, bpp, image_bytes, colours):
    return struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bpp, 0, image_bytes, 0, 0, colours, 0)


def dib_32(img):
    w, h = img.size
    px = img.load()
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[x, y]
            if a == 0:
                r = g = b = 0
            xor += bytes((b, g, r, a))
    andm = _and_mask(lambda x, y: px[x, y][3] > 0, w, h)
    return _dib_header(w, h, 32, len(xor) + len(andm), 0) + bytes(xor) + andm


def dib_8(img):
    """8-bit palettised image with a 1-bit transparency mask, from RGBA."""
    w, h = img.size
    px = img.load()
    opaque = lambda x, y: px[x, y][3] >= 128  # noqa: E731
    palette = [(0, 0, 0)]
    index = {(0, 0, 0): 0}
    pixels = {}
    for y in range(h):
        for x in range(w):
            if opaque(x, y):
                c = px[x, y][:3]
                if c not in index:
                    index[c] = len(palette)
                    palette.append(c)
                pixels[x, y] = index[c]
    if len(palette) > 256:
        raise ValueError("too many colours for an 8-bit icon image")
    pal = bytearray()
    for i in range(256):
        r, g, b = palette[i] if i < len(palette) else (0, 0, 0)
        pal += bytes((b, g, r, 0))
    stride = _row_bytes(w * 8)
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            row[x] = pixels.get((x, y), 0)
        xor += row
    andm = _and_mask(opaque, w, h)
    return _dib_header(w, h, 8, len(xor) + len(andm), 256) + bytes(pal) + bytes(xor) + andm


def ico_file(entries):
    """entries: list of (width, height, colour_count, bpp, payload)."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for w, h, colours, bpp, payload in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, colours, 0, 1, bpp, len(payload), offset)
        offset += len(payload)
    for entry in entries:
        out += entry[4]
    return bytes(out)


def program_icon():
    # The 8-bit image has only on/off transparency: dib_8 keeps the pixels
    # that are at least half opaque.
    entries = [(16, 16, 0, 8, dib_8(icon_image(16)))]
    for size in (48, 32, 16):
        entries.append((size, size, 0, 32, dib_32(icon_image(size))))
    return ico_file(entries)


def hand_cursor():
    w = h = 32
    rows = HAND + ["." * 17] * (h - len(HAND))

    def at(x, y):
        line = rows[y]
        return line[x] if x < len(line) else "."
    if at(*HAND_HOTSPOT) != "X":
        raise ValueError("the hot spot must lie on the finger tip")
    stride = _row_bytes(w)
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if at(x, y) == "o":
                row[x // 8] |= 0x80 >> (x % 8)
        xor += row
    andm = _and_mask(lambda x, y: at(x, y) in "Xo", w, h)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    payload = _dib_header(w, h, 1, len(xor) + len(andm), 2) + palette + bytes(xor) + andm
    out = bytearray(struct.pack("<HHH", 0, 2, 1))
    out += struct.pack("<BBBBHHII", w, h, 2, 0, HAND_HOTSPOT[0], HAND_HOTSPOT[1], len(payload), 22)
    return bytes(out + payload)


def hand_preview():
    img = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    for y, line in enumerate(HAND):
        for x, c in enumerate(line):
            if c == "X":
                img.putpixel((x, y), (0, 0, 0, 255))
            elif c == "o":
                img.putpixel((x, y), (255, 255, 255, 255))
    return img


def help_file_bytes():
    text = HELP_TEXT.replace("\r\n", "\n").replace("\n", "\r\n")
    return b"\xef\xbb\xbf" + text.encode("utf-8")


# ---------------------------------------------------------------------------
# Contact sheet
# ---------------------------------------------------------------------------

def checker(size, cell=8):
    img = Image.new("RGB", size, (255, 255, 255))
    d = ImageDraw.Draw(img)
    for y in range(0, size[1], cell):
        for x in range(0, size[0], cell):
            if (x // cell + y // cell) % 2:
                d.rectangle([x, y, x + cell - 1, y + cell - 1], fill=(214, 214, 214))
    return img


def on_checker(rgba, zoom=1):
    if zoom != 1:
        rgba = rgba.resize((rgba.width * zoom, rgba.height * zoom), Image.NEAREST)
    bg = checker(rgba.size)
    bg.paste(rgba, (0, 0), rgba)
    return bg


def framed_strip(img, frames, zoom):
    """A strip split into its frames with gaps, each frame numbered."""
    fw = img.width // frames
    big = img.resize((img.width * zoom, img.height * zoom), Image.NEAREST)
    gap = 8
    out = Image.new("RGB", (frames * fw * zoom + (frames - 1) * gap, img.height * zoom + 14), (255, 255, 255))
    d = ImageDraw.Draw(out)
    f = font(10)
    for i in range(frames):
        x = i * (fw * zoom + gap)
        out.paste(big.crop((i * fw * zoom, 0, (i + 1) * fw * zoom, big.height)), (x, 14))
        d.text((x, 0), str(i + 1), font=f, fill=(120, 120, 120))
    return out


def mock_window(files, grass_title=True, page=None, tiles=False):
    """The setup window put together from its parts, as the program shows it."""
    win = files["form1_background.png"].copy()
    d = ImageDraw.Draw(win)
    if page is not None:
        win.paste(page, (0, PAGE_TOP))
    else:
        frame = files["logo_frame.png"]
        win.paste(frame, (16, 128))
        win.paste(files["logo.jpg"], (26, 138))
        win.paste(files["green_bar.png"].crop((0, 0, 213, 36)), (144, 203))
        f = font(12)
        d.text((144, 136), "请定义密码：", font=f, fill=(0, 0, 0))
        d.text((144, 176), "请确认密码：", font=f, fill=(0, 0, 0))
        for y in (128, 168):
            d.rectangle([216, y, 352, y + 24], fill=rgb(BODY), outline=(200, 206, 210))
        d.text((144 + 92, 212), "锁", font=f, fill=(0, 0, 0))
        d.text((144 + 110, 212), "屏", font=f, fill=(0, 0, 0))
    if tiles:
        for name, x in (("shutdown_tile.png", 33), ("restart_tile.png", 147), ("logoff_tile.png", 260)):
            win.paste(files[name].crop((0, 0, 84, 84)), (x, PAGE_TOP + 88))
        f = font(12)
        for text, x, colour in (("关机", 64, 0xFF0000), ("重新启动", 166, 0x00FF00), ("注销", 290, 0xFF8000)):
            d.text((x, PAGE_TOP + 176), text, font=f, fill=rgb(colour))
    if grass_title:
        d.text((8, 8), "Quorvel锁屏工具 1.0 Beta", font=font(12), fill=(0x80, 0xFF, 0x80))
    win.paste(files["minimise.png"].crop((0, 0, 28, 28)), MINIMISE_AT)
    win.paste(files["close.png"].crop((0, 0, 28, 28)), CLOSE_AT)
    win.paste(files["gear.png"].crop((0, 0, 26, 26)), (24, 256))
    win.paste(files["power_icon.png"].crop((0, 0, 26, 26)), (56, 256))
    bar = files["light_bar.png"].crop((0, 0, 70, 26)).copy()
    ImageDraw.Draw(bar).text((23, 6), "关于", font=font(12), fill=(0, 0, 0))
    win.paste(bar, (301, 256))
    return win


def contact_sheet(files, icons, cursor):
    items = []
    label_font = font(13)
    note_font = font(11)

    def add(title, img, note=""):
        items.append((title, img, note))

    add("setup window, composed from its parts", mock_window(files), "380 × 290 (mock-up; text by the program)")
    add("power page slid in", mock_window(files, page=files["page.png"], tiles=True), "page.png at y 40 with tiles")
    for name in ("form1_background.png", "page.png", "about_page.png"):
        im = files[name]
        add(name, im, "%d × %d" % im.size)
    add("logo_frame.png", files["logo_frame.png"].resize((240, 240), Image.NEAREST), "120 × 120, shown 2×")
    add("logo.jpg", files["logo.jpg"].resize((200, 200), Image.NEAREST), "100 × 100, shown 2×")
    strips = [("light_bar.png", 2), ("green_bar.png", 1), ("violet_bar.png", 1), ("close.png", 3),
              ("minimise.png", 3), ("gear.png", 4), ("power_icon.png", 4), ("hide.png", 4),
              ("shutdown_tile.png", 1), ("restart_tile.png", 1), ("logoff_tile.png", 1)]
    for name, zoom in strips:
        im = files[name]
        add(name, framed_strip(im, 5, zoom), "%d × %d, five frames of %d × %d%s" % (
            im.width, im.height, im.width // 5, im.height, ", shown %d×" % zoom if zoom > 1 else ""))
    ic = Image.new("RGB", (48 * 4 + 32 * 4 + 16 * 4 * 2 + 60, 48 * 4), (255, 255, 255))
    x = 0
    for label, im in icons:
        z = on_checker(im, 4)
        ic.paste(z, (x, 0))
        x += z.width + 20
    add("quorvel.ico", ic, "16 × 16 8-bit, 48 × 48, 32 × 32, 16 × 16 32-bit (shown 4×)")
    add("hand.cur", on_checker(cursor, 6), "32 × 32 monochrome, hot spot (5, 0) (shown 6×)")

    margin = 24
    col_w = max(860, max(im.width for _, im, _ in items))
    heights = [28 + im.height + 18 for _, im, _ in items]
    sheet = Image.new("RGB", (col_w + 2 * margin, sum(heights) + 2 * margin + 40), (255, 255, 255))
    d = ImageDraw.Draw(sheet)
    d.text((margin, margin), "Quorvel lock — artwork (generated by src/layouts/art/generate.py)",
           font=font(16), fill=(40, 40, 40))
    y = margin + 40
    for (title, im, note), hgt in zip(items, heights):
        d.text((margin, y), title, font=label_font, fill=(30, 30, 30))
        tw = d.textlength(title, font=label_font)
        d.text((margin + tw + 12, y + 2), note, font=note_font, fill=(120, 120, 120))
        sheet.paste(im, (margin, y + 22))
        d.rectangle([margin - 1, y + 21, margin + im.width, y + 22 + im.height], outline=(220, 220, 220))
        y += hgt
    return sheet


# ---------------------------------------------------------------------------

def render_all():
    """All rendered files as {name: bytes}, plus the images for the sheet."""
    grass = grass_texture()
    window = window_background(grass)
    page = page_background(window)
    images = {
        "form1_background.png": window,
        "page.png": page,
        "about_page.png": about_page(page),
        "logo_frame.png": logo_frame(),
        "light_bar.png": light_bar_strip(),
        "green_bar.png": wide_bar_strip(GREEN_BAR),
        "violet_bar.png": wide_bar_strip(VIOLET_BAR),
        "close.png": close_strip(window),
        "minimise.png": minimise_strip(window),
        "gear.png": icon_strip([glyph_gear]),
        "power_icon.png": icon_strip([glyph_power]),
        "hide.png": icon_strip([glyph_hide_shaft, glyph_hide_head], worn=glyph_hide_worn),
        "shutdown_tile.png": tile_strip(symbol_power, SHUTDOWN_RED),
        "restart_tile.png": tile_strip(symbol_restart, RESTART_GREEN),
        "logoff_tile.png": tile_strip(symbol_logoff, LOGOFF_AMBER),
    }
    out = {name: png_bytes(img) for name, img in images.items()}
    out["logo.jpg"] = jpeg_bytes(logo())
    images["logo.jpg"] = Image.open(io.BytesIO(out["logo.jpg"])).convert("RGB")
    out["quorvel.ico"] = program_icon()
    # The same icon for X11 desktops (the window's icon, the menu entry).
    out["icon_48.png"] = png_bytes(icon_image(48))
    out["hand.cur"] = hand_cursor()
    out[HELP_FILE] = help_file_bytes()
    small8 = eight_bit_preview(icon_image(16))
    icons = [("16 8-bit", small8)] + [(str(s), icon_image(s)) for s in (48, 32, 16)]
    return out, images, icons, hand_preview()


def eight_bit_preview(img):
    """What the 8-bit icon image shows: the pixels kept solid, no others."""
    px = img.load()
    out = Image.new("RGBA", img.size, (0, 0, 0, 0))
    for y in range(img.height):
        for x in range(img.width):
            r, g, b, a = px[x, y]
            if a >= 128:
                out.putpixel((x, y), (r, g, b, 255))
    return out


def png_bytes(img):
    buf = io.BytesIO()
    img.save(buf, "PNG", optimize=False, compress_level=9)
    return buf.getvalue()


def jpeg_bytes(img):
    # Baseline, full-resolution colour, no EXIF: the same bytes every run.
    buf = io.BytesIO()
    img.save(buf, "JPEG", quality=LOGO_JPEG_QUALITY, optimize=False, progressive=False, subsampling=0)
    return buf.getvalue()


def main(argv=None):
    parser = argparse.ArgumentParser(description="Render the Quorvel lock artwork.")
    parser.add_argument("--out", default=os.path.join(HERE, "rendered"),
                        help="folder for the rendered files (default: rendered/ beside this script)")
    parser.add_argument("--sheet", default=os.path.join(REPO, "docs", "art-contact-sheet.png"),
                        help="where to write the contact sheet (default: docs/art-contact-sheet.png)")
    args = parser.parse_args(argv)
    if not os.path.isfile(FONT_FILE):
        sys.exit("generate.py: font not found: %s (Debian package fonts-wqy-microhei)" % FONT_FILE)
    files, images, icons, cursor = render_all()
    os.makedirs(args.out, exist_ok=True)
    for name in sorted(files):
        with open(os.path.join(args.out, name), "wb") as fh:
            fh.write(files[name])
    if args.sheet:
        os.makedirs(os.path.dirname(os.path.abspath(args.sheet)), exist_ok=True)
        with open(args.sheet, "wb") as fh:
            fh.write(png_bytes(contact_sheet(images, icons, cursor)))
    print("wrote %d files to %s" % (len(files), args.out))


if __name__ == "__main__":
    main()
