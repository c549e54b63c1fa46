#!/usr/bin/python3
"""Regenerates every picture and texture of the game into resources/textures/.

Run from the repository root with Debian's interpreter:

    /usr/bin/python3 tools/content/make_pictures.py

Everything is drawn from fixed seeds, so two runs give byte-identical files.
Pictures with an aspect suffix come as "_43" (1024 x 768) and "_169"
(1920 x 1080).  Level textures are tileable squares of 512 pixels; the two
normal maps ("brickwall_normal.png", "stone_normal.png") are tangent-space,
RGB = n * 0.5 + 0.5, made from the same height fields as their colour maps.
"""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from PIL import Image  # noqa: E402

import pictures_screens as screens  # noqa: E402
import pictures_sky as sky  # noqa: E402
import pictures_textures as tex  # noqa: E402
from pictures_noise import normal_map  # noqa: E402

OUT = os.path.join(os.path.dirname(os.path.dirname(HERE)), "resources", "textures")

ASPECTS = (("_43", 1024, 768), ("_169", 1920, 1080))
JPEG_QUALITY = 85


def write_unfiltered_png(img, path):
    """Writes an RGB or RGBA PNG whose rows all use filter type 0 (none).

    The full-screen pictures are large areas of flat colour: without per-row filters they
    compress as well as with them, and decode about four times faster, which the game's
    start-up (it decodes all six at launch) feels."""
    channels = {"RGB": 3, "RGBA": 4}[img.mode]
    width, height = img.size
    data = img.tobytes()
    stride = width * channels
    raw = b"".join(b"\x00" + data[y * stride:(y + 1) * stride] for y in range(height))

    def chunk(kind, payload):
        return (struct.pack(">I", len(payload)) + kind + payload +
                struct.pack(">I", zlib.crc32(kind + payload) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 6 if channels == 4 else 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def save(img, name, fast_decode=False):
    path = os.path.join(OUT, name)
    ext = os.path.splitext(name)[1].lower()
    if ext == ".jpg":
        img.convert("RGB").save(path, "JPEG", quality=JPEG_QUALITY, optimize=True)
    elif ext == ".png" and fast_decode:
        write_unfiltered_png(img, path)
    elif ext == ".png":
        img.save(path, "PNG", optimize=True)
    elif ext == ".tga":
        img.convert("RGB").save(path, "TGA")
    else:
        raise ValueError(name)
    print("  %-26s %5d x %-5d %s %7d bytes" % (name, img.size[0], img.size[1], img.mode,
                                               os.path.getsize(path)))


def rgb(array):
    return Image.fromarray(array, "RGB")


def make_level_textures():
    colour, height = tex.brickwall()
    save(rgb(colour), "brickwall.jpg")
    save(rgb(normal_map(height, 4.0)), "brickwall_normal.png")
    colour, height = tex.stone()
    save(rgb(colour), "stone.jpg")
    save(rgb(normal_map(height, 5.0)), "stone_normal.png")
    save(rgb(tex.paving()), "floor07.jpg")
    save(rgb(tex.terracotta()), "floor07b.jpg")
    save(rgb(tex.grass()), "grass.jpg")
    save(rgb(tex.sand()), "sand.jpg")
    save(rgb(tex.crate()), "crate.jpg")
    save(rgb(tex.wood()), "wood.jpg")
    save(rgb(tex.roof()), "roof.jpg")
    save(rgb(tex.metal()), "metal.jpg")


def make_model_textures():
    save(rgb(tex.chocolate()), "chocolate.jpg")
    save(rgb(tex.milk_label()), "milk.png")
    save(rgb(tex.umbrella_fabric()), "umbrella.png")
    save(rgb(tex.duck()), "duckCM.tga")


def make_sky():
    for i, face in enumerate(sky.sky_faces(512), start=1):
        save(rgb(face), "sky%d.jpg" % i)


def make_screens():
    for suffix, w, h in ASPECTS:
        save(screens.menu_background(w, h), "menu%s.jpg" % suffix)
        for kind in ("death", "stage_complete", "mission_complete"):
            save(screens.splash_picture(w, h, kind), "%s%s.png" % (kind, suffix), fast_decode=True)
    save(screens.menu_pill(False), "menu_entry.png")
    save(screens.menu_pill(True), "menu_entry_selected.png")


def make_hud_and_sprites():
    save(screens.hud_life(), "hud_life.png")
    save(screens.hud_lifebar(), "hud_lifebar.png")
    save(screens.hud_sundetector(), "hud_sundetector.png")
    save(screens.hud_detector(), "hud_detector.png")
    save(screens.umbrella_icon(), "umbrella_icon.png")
    save(screens.sun_sprite(), "sun.png")
    save(screens.star_marker(), "star.png")


def main():
    os.makedirs(OUT, exist_ok=True)
    print("Writing pictures to " + OUT)
    make_level_textures()
    make_model_textures()
    make_sky()
    make_hud_and_sprites()
    make_screens()
    return 0


if __name__ == "__main__":
    sys.exit(main())
