#!/usr/bin/python3
"""Draws the desktop icon into packaging/icons/ (tavo_256.png, tavo_48.png).

Run from the repository root with Debian's interpreter (make_all.sh does):

    /usr/bin/python3 tools/content/make_icons.py

The icon is the menu's look in a rounded square: a sky over chocolate hills, the sun, and a
glossy chocolate "T" whose top melts in drips. Each size is drawn at its own scale (not
shrunk from the large one), so the 48 pixel icon keeps crisp edges. Fixed drawing, no
randomness: two runs give byte-identical files.
"""

import os
import sys

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from pictures_noise import mix, smoothstep  # noqa: E402
from pictures_screens import (BOLD, CHOC_DARK, CHOC_LIGHT, CREAM, Canvas, blurred,  # noqa: E402
                              font, grid, shape_mask, shifted, text_mask)

OUT = os.path.join(os.path.dirname(os.path.dirname(HERE)), "packaging", "icons")


def icon(size):
    s = size / 256.0
    cv = Canvas(size, size, (0, 0, 0), 0.0)
    y, x = grid(size, size)
    margin = 8 * s

    def tile(d, k):
        d.rounded_rectangle([margin * k, margin * k, (size - margin) * k, (size - margin) * k],
                            radius=44 * s * k, fill=255)
    body = shape_mask(size, size, tile)
    cv.over((40, 20, 6), blurred(shifted(body, 0, 4 * s), 4 * s), 0.45)
    sky = mix((60, 134, 214), (255, 224, 168), smoothstep(margin, 0.8 * size, y))
    cv.over(sky, body)

    # the sun, up on the right, with a soft glow
    sx, sy = 0.74 * size, 0.27 * size
    r = np.sqrt((x - sx) ** 2 + (y - sy) ** 2) / s
    cv.over((255, 236, 150), np.exp(-(r / 52.0) ** 2) * body, 0.8)
    cv.over(mix((255, 252, 220), (255, 206, 64), smoothstep(0, 30, r)), smoothstep(31, 29, r) * body)

    # a chocolate hill along the bottom
    top = 0.80 * size + 0.05 * size * np.sin(2 * np.pi * x / size * 0.9 + 0.6)
    hill = smoothstep(top - 1.0, top + 1.0, y) * body
    cv.over(mix((132, 78, 42), (58, 30, 12), smoothstep(top, size, y)), hill)

    # the melting "T": cream rim, chocolate fill darkening downwards, drips from its bar
    f = font(BOLD, 200 * s)
    cx, cy = 0.46 * size, 0.56 * size
    letter = text_mask(size, size, (cx, cy), "T", f)
    drips = [(-52, 34, 16), (-14, 56, 18), (40, 26, 14), (60, 46, 14)]
    bar = cy - 66 * s

    def draw_drips(d, k):
        for dx, length, width in drips:
            px = (cx + dx * s) * k
            w2 = width * s * k / 2
            d.rectangle([px - w2, bar * k, px + w2, (bar + length * s) * k], fill=255)
            d.ellipse([px - w2, (bar + length * s) * k - w2, px + w2, (bar + length * s) * k + w2], fill=255)
    fill = np.maximum(letter, shape_mask(size, size, draw_drips))
    rim = np.clip(blurred(fill, 3.5 * s) * 3.0, 0.0, 1.0)
    cv.over((30, 14, 4), blurred(shifted(rim, 3 * s, 5 * s), 3 * s), 0.5)
    cv.over(CREAM, rim)
    cv.over(mix(CHOC_LIGHT, CHOC_DARK, smoothstep(cy - 70 * s, cy + 70 * s, y)), fill)
    gloss = fill * np.exp(-((x - (cx - 30 * s)) / (8 * s)) ** 2) * smoothstep(bar + 20 * s, bar + 40 * s, y)
    cv.over((255, 255, 255), gloss, 0.25)
    return cv.image(True)


def main():
    os.makedirs(OUT, exist_ok=True)
    print("Writing icons to " + OUT)
    for size in (256, 48):
        path = os.path.join(OUT, "tavo_%d.png" % size)
        icon(size).save(path, "PNG", optimize=True)
        print("  %-26s %5d x %-5d %7d bytes" % (os.path.basename(path), size, size, os.path.getsize(path)))


if __name__ == "__main__":
    main()
