#!/usr/bin/python3
"""Draws the editor's three bitmaps from code and writes them next to the resource script.

    resources/panel.bmp   128  368 x 412, 8-bit palette: the whole panel with every label
    resources/knob.bmp    129  32 x 3232, 8-bit palette: 101 knob pictures stacked vertically
    resources/switch.bmp  130  16 x 32, 24-bit: off picture over on picture

Run it after changing anything here (needs python3-pil and fonts-dejavu-core) and commit
the BMP files: the build only embeds them. The output is deterministic.
`--out DIR` writes the files elsewhere; `--preview out.png` also writes a picture of the
panel with its controls at their default positions.

Knobs are drawn with colour keying: pure white (255, 255, 255) is transparent. So the strip's
background is pure white, no knob pixel comes near white, every picture covers exactly the same
pixels (a knob redraws over its previous picture without the panel), and the knob's edge is
smoothed against BOX_GREY, the panel colour behind every knob.
"""

import math
import os
import sys

from PIL import Image, ImageDraw, ImageFont

from layout import (BOXES, DISPLAYS, FOOTER_TEXT, KNOB_DEFAULTS, KNOBS, LABELS, PANEL_H,
                    PANEL_W, SWITCH, TITLE_TEXT, BOX_TITLES)

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.dirname(HERE)
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

PANEL_GREY = 206
BOX_GREY = 172
BLACK = 0
WHITE = 255

KNOB_SIZE = 32
KNOB_FRAMES = 101
# Highest grey a knob pixel may have: well below white even after a display with 5 bits per
# channel rounds it.
KNOB_MAX = 232


# ---------------------------------------------------------------- panel

def font(size):
    return ImageFont.truetype(FONT, size)


def text_mask(text, size, spacing=0):
    """Text as a coverage mask with 8 levels, so the panel keeps to a small palette.
    Returns the mask and the ink's offset from the drawing origin."""
    f = font(size)
    # Every line of one size starts at the ascenders' top, so neighbouring labels share a
    # baseline whatever letters they hold.
    top = f.getbbox("Hbdfhklt")[1]
    if spacing == 0:
        left, _, right, bottom = f.getbbox(text)
        mask = Image.new("L", (right - left, bottom - top), 0)
        ImageDraw.Draw(mask).text((-left, -top), text, font=f, fill=255)
    else:
        widths = [f.getlength(c) for c in text]
        width = int(math.ceil(sum(widths) + spacing * (len(text) - 1))) + 2
        bottom = f.getbbox(text)[3]
        mask = Image.new("L", (width, bottom - top), 0)
        draw = ImageDraw.Draw(mask)
        x = 0.0
        for c, w in zip(text, widths):
            draw.text((round(x), -top), c, font=f, fill=255)
            x += w + spacing
        bbox = mask.getbbox()
        mask = mask.crop((bbox[0], 0, bbox[2], mask.height))
    return mask.point(lambda v: round(v / 255 * 8) * 255 // 8)


def put_text(img, text, size, x, y, anchor="left", spacing=0):
    """Draws black text with its ascenders' top at y, starting at x (or centred on it, or
    ending at it); returns the box the ink covers."""
    mask = text_mask(text, size, spacing)
    if anchor == "centre":
        x = int(round(x - mask.width / 2))
    elif anchor == "right":
        x = x - mask.width
    img.paste(BLACK, (x, y), mask)
    return (x, y, x + mask.width, y + mask.height)


def grey(v):
    return (v, v, v)


def shaded_box(draw, l, t, r, b):
    """A darker box outlined in black, its edges lit from the top left; (r, b) inclusive."""
    draw.rectangle((l, t, r, b), fill=grey(BOX_GREY), outline=grey(BLACK))
    draw.line((l + 1, t + 1, r - 1, t + 1), fill=grey(218))
    draw.line((l + 1, t + 1, l + 1, b - 1), fill=grey(218))
    draw.line((l + 2, b - 1, r - 1, b - 1), fill=grey(128))
    draw.line((r - 1, t + 2, r - 1, b - 1), fill=grey(128))


def overlaps(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def draw_panel():
    img = Image.new("RGB", (PANEL_W, PANEL_H), grey(PANEL_GREY))
    draw = ImageDraw.Draw(img)

    # Title band and footer band: engraved lines part them from the boxes.
    draw.line((0, 0, PANEL_W - 1, 0), fill=grey(236))
    draw.line((0, 0, 0, PANEL_H - 1), fill=grey(236))
    draw.line((0, PANEL_H - 1, PANEL_W - 1, PANEL_H - 1), fill=grey(120))
    draw.line((PANEL_W - 1, 0, PANEL_W - 1, PANEL_H - 1), fill=grey(120))
    ink = [put_text(img, TITLE_TEXT, 18, PANEL_W // 2, 5, "centre", spacing=3)]
    ink.append(put_text(img, FOOTER_TEXT, 10, PANEL_W // 2, 397, "centre"))

    for l, t, r, b in BOXES:
        shaded_box(draw, l, t, r, b)
    # Outer boxes cast a short shadow onto the panel.
    for l, t, r, b in BOXES[:3]:
        draw.line((l + 2, b + 1, r + 1, b + 1), fill=grey(150))
        draw.line((r + 1, t + 2, r + 1, b + 1), fill=grey(150))

    for text, x, y, anchor in BOX_TITLES:
        ink.append(put_text(img, text, 12, x, y, anchor))
    for text, x, y in LABELS:
        ink.append(put_text(img, text, 10, x, y, "centre"))

    for l, t, r, b in DISPLAYS:
        draw.rectangle((l, t, r - 1, b - 1), outline=grey(BLACK))

    controls = KNOBS + DISPLAYS + [SWITCH]
    for box in ink:
        for c in controls:
            if overlaps(box, (c[0] - 1, c[1] - 1, c[2] + 1, c[3] + 1)):
                sys.exit("lettering %s touches the control at %s" % (box, c))
    return img


# ---------------------------------------------------------------- knob

def smoothstep(e0, e1, x):
    t = min(max((x - e0) / (e1 - e0), 0.0), 1.0)
    return t * t * (3 - 2 * t)


def ring_noise(r):
    """Brushing: fine concentric streaks, a fixed function of the radius."""
    return (3.0 * math.sin(r * 7.3) + 2.0 * math.sin(r * 13.1 + 1.0)
            + 1.5 * math.sin(r * 23.7 + 2.0))


RADIUS = 14.6
CENTRE = 16.0
SUB = 4  # supersampling per axis


def knob_surface(dx, dy):
    """Grey of the knob body at an offset from the centre (y down), pointer not included."""
    r = math.hypot(dx, dy)
    phi = math.atan2(dy, dx)
    light = -(dx + dy) / (RADIUS * math.sqrt(2))  # 1 towards the top left
    if r > RADIUS - 1.3:  # dark rim
        return 70 + 25 * light
    if r > RADIUS - 3.5:  # bevelled skirt, lit from the top left
        return 150 + 55 * light
    # Brushed face: a conical sheen that stays with the light, and streaks.
    sheen = 22 * math.cos(2 * (phi + math.pi / 4)) ** 2 - 8
    return 178 + 18 * light + sheen + ring_noise(r)


def pointer_distance(dx, dy, angle):
    """Distance from the pointer line for a pointer at `angle` (clockwise from up)."""
    ux, uy = math.sin(angle), -math.cos(angle)
    along = dx * ux + dy * uy
    along_clamped = min(max(along, 4.0), RADIUS - 4.2)
    return math.hypot(dx - along_clamped * ux, dy - along_clamped * uy)


def knob_body():
    """Per pixel: the pointer-free colour sums and coverage, and the subsamples on the knob.
    The same for every frame, which is what keeps every frame's silhouette identical."""
    body = []
    for y in range(KNOB_SIZE):
        for x in range(KNOB_SIZE):
            samples, shadow = [], 0
            for sy in range(SUB):
                for sx in range(SUB):
                    dx = x + (sx + 0.5) / SUB - CENTRE
                    dy = y + (sy + 0.5) / SUB - CENTRE
                    if math.hypot(dx, dy) <= RADIUS:
                        samples.append((dx, dy, knob_surface(dx, dy)))
                    elif math.hypot(dx - 0.8, dy - 1.2) <= RADIUS:
                        shadow += 1
            body.append((x + 0.5 - CENTRE, y + 0.5 - CENTRE, samples, shadow))
    return body


def knob_frame(body, index):
    angle = math.radians(-135 + 270 * index / (KNOB_FRAMES - 1))
    n = SUB * SUB
    pixels = []
    for cx, cy, samples, shadow in body:
        if not samples and shadow == 0:
            pixels.append(WHITE)
            continue
        # Only subsamples near the pointer line need the (costly) distance.
        near = pointer_distance(cx, cy, angle) < 2.2
        colour = 0.0
        for dx, dy, surface in samples:
            ink = smoothstep(1.35, 0.65, pointer_distance(dx, dy, angle)) if near else 0.0
            colour += surface * (1 - ink) + 8 * ink
        # Edge pixels mix with the box grey the knob sits on, never with the white key.
        cover = len(samples)
        v = (colour + shadow * BOX_GREY * 0.55 + (n - cover - shadow) * BOX_GREY) / n
        pixels.append(int(round(min(max(v, 0), KNOB_MAX))))
    return pixels


def draw_knob_strip():
    strip = Image.new("L", (KNOB_SIZE, KNOB_SIZE * KNOB_FRAMES), WHITE)
    body = knob_body()
    for i in range(KNOB_FRAMES):
        frame = Image.new("L", (KNOB_SIZE, KNOB_SIZE))
        frame.putdata(knob_frame(body, i))
        strip.paste(frame, (0, i * KNOB_SIZE))
    return strip


# ---------------------------------------------------------------- switch

def draw_switch():
    img = Image.new("RGB", (16, 32), grey(0))
    draw = ImageDraw.Draw(img)
    # Off: light square standing out of the panel.
    draw.rectangle((0, 0, 15, 15), fill=grey(212), outline=grey(0))
    draw.line((1, 1, 14, 1), fill=grey(246))
    draw.line((1, 1, 1, 14), fill=grey(246))
    draw.line((1, 14, 14, 14), fill=grey(110))
    draw.line((14, 1, 14, 14), fill=grey(110))
    draw.line((2, 13, 13, 13), fill=grey(160))
    draw.line((13, 2, 13, 13), fill=grey(160))
    # On: darker square pressed in, shadow on the upper left edges.
    draw.rectangle((0, 16, 15, 31), fill=grey(128), outline=grey(0))
    draw.line((1, 17, 14, 17), fill=grey(64))
    draw.line((1, 17, 1, 30), fill=grey(64))
    draw.line((2, 18, 13, 18), fill=grey(96))
    draw.line((2, 18, 2, 29), fill=grey(96))
    draw.line((1, 30, 14, 30), fill=grey(176))
    draw.line((14, 17, 14, 30), fill=grey(176))
    return img


# ---------------------------------------------------------------- output

def to_palette(img):
    """Exact 8-bit palette image from an RGB or grey image of at most 256 colours."""
    rgb = img.convert("RGB")
    colours = sorted({c for _, c in rgb.getcolors(1 << 24)})
    if len(colours) > 256:
        sys.exit("%d colours do not fit an 8-bit palette" % len(colours))
    index = {c: i for i, c in enumerate(colours)}
    out = Image.new("P", img.size)
    out.putpalette([v for c in colours for v in c] + [0] * (3 * (256 - len(colours))))
    out.putdata([index[c] for c in rgb.getdata()])
    return out


def preview(panel, strip, switch, path):
    """The panel roughly as the editor shows it: knobs keyed on white, black displays."""
    out = panel.convert("RGB")
    key = strip.point(lambda v: 0 if v == WHITE else 255)
    # Knob positions at the parameters' defaults.
    for (l, t, _, _), value in zip(KNOBS, KNOB_DEFAULTS):
        top = int(value * (KNOB_FRAMES - 1) + 0.5) * KNOB_SIZE
        box = (0, top, KNOB_SIZE, top + KNOB_SIZE)
        out.paste(strip.crop(box).convert("RGB"), (l, t), key.crop(box))
    for l, t, r, b in DISPLAYS:
        ImageDraw.Draw(out).rectangle((l, t, r - 1, b - 1), fill=grey(0))
    out.paste(switch.crop((0, 0, 16, 16)), SWITCH[:2])
    out.save(path)


def main():
    args = sys.argv[1:]
    out, preview_path = OUT, None
    while len(args) >= 2 and args[0] in ("--out", "--preview"):
        if args[0] == "--out":
            out = args[1]
        else:
            preview_path = args[1]
        args = args[2:]
    if args:
        sys.exit("usage: generate.py [--out DIR] [--preview FILE.png]")
    panel, strip, switch = draw_panel(), draw_knob_strip(), draw_switch()
    to_palette(panel).save(os.path.join(out, "panel.bmp"))
    to_palette(strip).save(os.path.join(out, "knob.bmp"))
    switch.save(os.path.join(out, "switch.bmp"))
    if preview_path:
        preview(panel, strip, switch, preview_path)


if __name__ == "__main__":
    main()
