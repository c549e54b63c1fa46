#!/usr/bin/python3
"""Makes the glyph atlas the game draws its words and numbers from.

Run from the repository root with Debian's interpreter:

    /usr/bin/python3 tools/content/make_font.py

Writes resources/textures/font_atlas.png (RGBA, power-of-two sides) and
resources/textures/font_atlas.txt beside it (where each glyph lies in the
picture and how far the pen moves after it).  The glyphs are DejaVu Sans Bold,
drawn large enough to stay sharp as headlines at 1920 x 1080 and drawn smaller
(linear filtering between mipmaps) at 800 x 600.  They are white, so the
program's colour tints them (the HUD's cream, a highlight), with a dark
chocolate rim and a soft shadow like the HUD's lettering, so they read over
bright sky and dark shade alike.  Two runs give byte-identical files.
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import numpy as np  # noqa: E402
from PIL import Image, ImageDraw  # noqa: E402

from pictures_screens import BOLD, Canvas, blurred, font, shifted  # noqa: E402

OUT = os.path.join(os.path.dirname(os.path.dirname(HERE)), "resources", "textures")
PICTURE = "font_atlas.png"
METRICS = "font_atlas.txt"

SIZE = 56              # em size in atlas pixels
RIM = 3                # outline width
SHADOW = (2, 3)        # shadow offset (right, down)
SHADOW_BLUR = 1.5
RIM_COLOUR = (36, 18, 6)
SHADOW_COLOUR = (20, 10, 2)
SHADOW_OPACITY = 0.6
GAP = 8                # empty atlas pixels between glyphs and at the edges, so the smaller
                       # mipmap levels do not mix neighbours
ATLAS_WIDTH = 1024

# Printable ASCII, the degree sign and the multiplication sign.
CODE_POINTS = list(range(32, 127)) + [0xB0, 0xD7]


def glyph_picture(ch, fnt):
    """The glyph drawn with its pen at a known point of a generous canvas: returns the RGBA
    pixels cropped to where anything shows, and the crop's offset from the pen on the
    baseline (None for a glyph that shows nothing, such as the space)."""
    side = SIZE * 3
    pen = (SIZE, 2 * SIZE)

    def mask(stroke):
        img = Image.new("L", (side, side), 0)
        ImageDraw.Draw(img).text(pen, ch, font=fnt, fill=255, anchor="ls",
                                 stroke_width=stroke, stroke_fill=255)
        return np.asarray(img, float) / 255.0

    fill = mask(0)
    rim = mask(RIM)
    shadow = blurred(shifted(rim, SHADOW[0], SHADOW[1]), SHADOW_BLUR)
    # Transparent pixels keep the rim's colour, so linear filtering fades the rim out
    # rather than into white or black.
    cv = Canvas(side, side, RIM_COLOUR, 0.0)
    cv.over(SHADOW_COLOUR, shadow, SHADOW_OPACITY)
    cv.over(RIM_COLOUR, rim)
    cv.over((255, 255, 255), fill)
    pixels = np.asarray(cv.image(True))
    shows = np.argwhere(pixels[:, :, 3] > 0)
    if len(shows) == 0:
        return None, None
    (y0, x0), (y1, x1) = shows.min(axis=0), shows.max(axis=0) + 1
    return pixels[y0:y1, x0:x1], (int(x0 - pen[0]), int(y0 - pen[1]))


def pack(sizes):
    """Shelves left to right, top to bottom, in code point order: each glyph's top-left
    corner in the atlas, and the atlas height (a power of two)."""
    x, y, shelf = GAP, GAP, 0
    places = []
    for w, h in sizes:
        if x + w + GAP > ATLAS_WIDTH:
            x, y, shelf = GAP, y + shelf + GAP, 0
        places.append((x, y))
        x += w + GAP
        shelf = max(shelf, h)
    used = y + shelf + GAP
    height = 1
    while height < used:
        height *= 2
    return places, height


def main():
    fnt = font(BOLD, SIZE)
    glyphs = []
    for cp in CODE_POINTS:
        pixels, offset = glyph_picture(chr(cp), fnt)
        glyphs.append((cp, pixels, offset, fnt.getlength(chr(cp))))

    inked = [g for g in glyphs if g[1] is not None]
    places, height = pack([(g[1].shape[1], g[1].shape[0]) for g in inked])
    atlas = np.zeros((height, ATLAS_WIDTH, 4), np.uint8)
    atlas[:, :, :3] = RIM_COLOUR
    rects = {}
    for (cp, pixels, offset, _), (x, y) in zip(inked, places):
        h, w = pixels.shape[:2]
        atlas[y:y + h, x:x + w] = pixels
        rects[cp] = (x, y, w, h)

    # The line box holds every glyph's picture, rim and shadow included, so text drawn in it
    # never reaches outside the box that measuring it gives.
    top = min(g[2][1] for g in inked)
    bottom = max(g[2][1] + g[1].shape[0] for g in inked)
    baseline = -top

    Image.fromarray(atlas, "RGBA").save(os.path.join(OUT, PICTURE), "PNG", optimize=True)
    lines = [
        "# %s: DejaVu Sans Bold at %d px, white with a dark rim and shadow." % (PICTURE, SIZE),
        "# atlas WIDTH HEIGHT; size EM_PIXELS; line HEIGHT BASELINE (baseline below the line's top);",
        "# glyph CODE_POINT X Y W H OFFSET_X OFFSET_Y ADVANCE: the rectangle in the picture (pixels",
        "# from its top-left corner), its top-left corner from the pen on the line's top, and how",
        "# far the pen moves; all in atlas pixels. A glyph with nothing to show has W and H 0.",
        "atlas %d %d" % (ATLAS_WIDTH, height),
        "size %d" % SIZE,
        "line %d %d" % (bottom - top, baseline),
    ]
    for cp, pixels, offset, advance in glyphs:
        x, y, w, h = rects.get(cp, (0, 0, 0, 0))
        ox, oy = offset if offset else (0, 0)
        lines.append("glyph %d %d %d %d %d %d %d %.2f" % (cp, x, y, w, h, ox, oy + baseline, advance))
    with open(os.path.join(OUT, METRICS), "w", encoding="ascii", newline="\n") as out:
        out.write("\n".join(lines) + "\n")
    for name in (PICTURE, METRICS):
        path = os.path.join(OUT, name)
        print("  %-26s %7d bytes" % (name, os.path.getsize(path)))
    print("  %d glyphs, atlas %d x %d, line %d px" % (len(glyphs), ATLAS_WIDTH, height, bottom - top))


if __name__ == "__main__":
    main()
