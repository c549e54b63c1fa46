"""Full-screen pictures (menu, splash), HUD parts and the two sprites.

Layouts are given in units of a 1024 x 768 screen and scaled by the picture
height, centred horizontally, so the 4:3 and 16:9 versions match.
"""

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

from pictures_noise import rng, smoothstep, mix, to_u8

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"
BOLD = FONT_DIR + "DejaVuSans-Bold.ttf"
REGULAR = FONT_DIR + "DejaVuSans.ttf"

CHOC_DARK = (62, 32, 14)
CHOC = (100, 54, 26)
CHOC_LIGHT = (150, 90, 48)
CREAM = (250, 236, 208)
SUN_YELLOW = (255, 206, 64)


def font(path, px):
    return ImageFont.truetype(path, max(6, int(round(px))))


class Canvas:
    """Straight-alpha RGBA image in floats, with 'over' compositing."""

    def __init__(self, w, h, colour=(0, 0, 0), alpha=1.0):
        self.w, self.h = w, h
        self.rgb = np.ones((h, w, 3)) * np.asarray(colour, float)
        self.a = np.full((h, w), float(alpha))

    def over(self, colour, mask, opacity=1.0):
        """Paint colour (an RGB triple or an (h, w, 3) field) through mask."""
        sa = np.clip(mask * opacity, 0.0, 1.0)
        col = np.asarray(colour, float)
        if col.ndim == 1:
            col = np.ones((self.h, self.w, 3)) * col
        da = self.a
        oa = sa + da * (1.0 - sa)
        safe = np.where(oa > 1e-6, oa, 1.0)
        blended = (col * sa[..., None] + self.rgb * (da * (1.0 - sa))[..., None]) / safe[..., None]
        # fully transparent pixels keep their colour (seen when drawn without blending)
        self.rgb = np.where((oa > 1e-6)[..., None], blended, self.rgb)
        self.a = oa

    def image(self, with_alpha):
        rgb = to_u8(self.rgb)
        if not with_alpha:
            return Image.fromarray(rgb, "RGB")
        a = np.clip(np.round(self.a * 255.0), 0, 255).astype(np.uint8)
        return Image.fromarray(np.dstack([rgb, a]), "RGBA")


def shape_mask(w, h, draw_fn, ss=3):
    """Anti-aliased coverage mask: draw_fn(draw, k) paints 255 at scale k."""
    big = Image.new("L", (w * ss, h * ss), 0)
    draw_fn(ImageDraw.Draw(big), ss)
    small = big.resize((w, h), Image.BOX)
    return np.asarray(small, float) / 255.0


def text_mask(w, h, xy, text, fnt, anchor="mm", stroke=0):
    img = Image.new("L", (w, h), 0)
    ImageDraw.Draw(img).text(xy, text, font=fnt, fill=255, anchor=anchor,
                             stroke_width=int(round(stroke)), stroke_fill=255)
    return np.asarray(img, float) / 255.0


def blurred(mask, radius):
    img = Image.fromarray(np.clip(np.round(mask * 255), 0, 255).astype(np.uint8), "L")
    return np.asarray(img.filter(ImageFilter.GaussianBlur(radius)), float) / 255.0


def shifted(mask, dx, dy):
    out = np.zeros_like(mask)
    h, w = mask.shape
    dx, dy = int(round(dx)), int(round(dy))
    ys, yd = (slice(0, h - dy), slice(dy, h)) if dy >= 0 else (slice(-dy, h), slice(0, h + dy))
    xs, xd = (slice(0, w - dx), slice(dx, w)) if dx >= 0 else (slice(-dx, w), slice(0, w + dx))
    out[yd, xd] = mask[ys, xs]
    return out


def star_points(cx, cy, r_out, r_in, n=5, rot=-np.pi / 2):
    pts = []
    for k in range(2 * n):
        r = r_out if k % 2 == 0 else r_in
        a = rot + np.pi * k / n
        pts.append((cx + r * np.cos(a), cy + r * np.sin(a)))
    return pts


def grid(w, h):
    y = (np.arange(h) + 0.5)[:, None] * np.ones((1, w))
    x = (np.arange(w) + 0.5)[None, :] * np.ones((h, 1))
    return y, x


# ---------------------------------------------------------------- menu

def _title(cv, cx, cy, s, text="Tavo"):
    w, h = cv.w, cv.h
    f = font(BOLD, 200 * s)
    fill = text_mask(w, h, (cx, cy), text, f)
    rim = text_mask(w, h, (cx, cy), text, f, stroke=8 * s)
    shadow = blurred(shifted(rim, 7 * s, 10 * s), 6 * s)
    cv.over((30, 14, 4), shadow, 0.6)
    cv.over(CREAM, rim)
    y, _ = grid(w, h)
    top, bottom = cy - 80 * s, cy + 80 * s
    grad = mix(CHOC_LIGHT, CHOC_DARK, smoothstep(top, bottom, y))
    cv.over(grad, fill)
    # a soft glossy band across the upper part of the letters
    gloss = fill * np.exp(-((y - (cy - 42 * s)) / (14 * s)) ** 2) * 0.18
    cv.over((255, 255, 255), gloss)


def _pill(cv, cx, cy, pw, ph, s, selected, label):
    w, h = cv.w, cv.h
    box = (cx - pw / 2, cy - ph / 2, cx + pw / 2, cy + ph / 2)

    def rect(d, k, grow=0.0):
        d.rounded_rectangle([(box[0] - grow) * k, (box[1] - grow) * k,
                             (box[2] + grow) * k, (box[3] + grow) * k],
                            radius=(ph / 2 + grow) * k, fill=255)

    outer = shape_mask(w, h, lambda d, k: rect(d, k, 4 * s))
    inner = shape_mask(w, h, lambda d, k: rect(d, k))
    f = font(BOLD, 44 * s)
    if selected:
        glow = blurred(outer, 18 * s)
        cv.over((255, 240, 170), glow, 0.9)
        cv.over(CHOC_DARK, outer)
        y, _ = grid(w, h)
        cv.over(mix((255, 230, 120), (250, 176, 40), smoothstep(box[1], box[3], y)), inner)
        t = text_mask(w, h, (cx, cy + 2 * s), label, f)
        cv.over(CHOC_DARK, t)
        # little arrows either side point at the chosen entry
        for side in (-1, 1):
            ax = cx + side * (pw / 2 + 30 * s)

            def tri(d, k, ax=ax, side=side):
                d.polygon([((ax + side * 14 * s) * k, cy * k),
                           ((ax - side * 14 * s) * k, (cy - 16 * s) * k),
                           ((ax - side * 14 * s) * k, (cy + 16 * s) * k)], fill=255)
            m = shape_mask(w, h, tri)
            cv.over(CHOC_DARK, blurred(m, 2 * s), 0.5)
            cv.over(SUN_YELLOW, m)
    else:
        cv.over(CREAM, outer, 0.55)
        cv.over(CHOC_DARK, inner, 0.72)
        t = text_mask(w, h, (cx, cy + 2 * s), label, f)
        cv.over((236, 222, 196), t, 0.9)


def _sun_position(w, h, s):
    # right of the title in both aspects
    return max(0.8 * w, w / 2 + 380 * s), 0.25 * h


def _menu_background(w, h, s):
    y, x = grid(w, h)
    horizon = 0.66 * h
    cv = Canvas(w, h)
    sky = mix((60, 134, 214), (150, 200, 238), smoothstep(0, horizon * 0.8, y))
    sky = mix(sky, (255, 224, 168), smoothstep(horizon * 0.45, horizon, y))
    cv.rgb = sky

    # sun with a slow burst of rays
    sx, sy = _sun_position(w, h, s)
    dx, dy = x - sx, y - sy
    r = np.sqrt(dx * dx + dy * dy) / s
    ang = np.arctan2(dy, dx)
    rays = (0.5 + 0.5 * np.cos(18 * ang)) ** 3 * np.exp(-r / 420.0) * smoothstep(80, 140, r)
    cv.over((255, 246, 200), rays, 0.35)
    cv.over((255, 236, 150), np.exp(-(r / 190.0) ** 2), 0.7)
    disc = smoothstep(88, 84, r)
    cv.over(mix((255, 252, 220), (255, 214, 80), smoothstep(0, 86, r)), disc)

    # rolling hills of chocolate
    phase = rng(7).random_sample(6) * 2 * np.pi
    xs = x / w
    back_top = 0.70 * h + 0.035 * h * np.sin(2 * np.pi * 1.3 * xs + phase[0]) + 0.015 * h * np.sin(2 * np.pi * 3.7 * xs + phase[1])
    front_top = 0.82 * h + 0.04 * h * np.sin(2 * np.pi * 0.9 * xs + phase[2]) + 0.012 * h * np.sin(2 * np.pi * 4.3 * xs + phase[3])
    for top, base, dark in ((back_top, (132, 78, 42), (98, 54, 26)), (front_top, (96, 52, 24), (58, 30, 12))):
        m = smoothstep(top - 1.0, top + 1.0, y)
        col = mix(base, dark, smoothstep(top, top + 0.2 * h, y))
        cv.over(col, m)
        sheen = np.exp(-((y - top - 9 * s) / (4.0 * s)) ** 2) * m
        cv.over((236, 190, 140), sheen, 0.45)

    # chocolate melting down from the top edge
    r2 = rng(8)
    band = 0.035 * h
    cv.over(CHOC, smoothstep(band + 1.0, band - 1.0, y))
    drips = []
    xpos = -20 * s
    while xpos < w + 20 * s:
        xpos += (40 + 70 * r2.random_sample()) * s
        length = (20 + 110 * r2.random_sample() ** 2) * s
        # keep the drips short above the title and in front of the sun
        if abs(xpos - w / 2) < 300 * s:
            length = min(length, 50 * s)
        if abs(xpos - sx) < 120 * s:
            length = min(length, 32 * s)
        drips.append((xpos, (22 + 14 * r2.random_sample()) * s, band + length))

    def draw_drips(d, k):
        for dxp, dw, length in drips:
            d.rectangle([(dxp - dw / 2) * k, 0, (dxp + dw / 2) * k, length * k], fill=255)
            d.ellipse([(dxp - dw / 2) * k, (length - dw / 2) * k, (dxp + dw / 2) * k, (length + dw / 2) * k], fill=255)
            # a web of chocolate between the drip and the band
            d.ellipse([(dxp - dw) * k, (band - dw * 0.6) * k, (dxp + dw) * k, (band + dw * 0.5) * k], fill=255)
    m = shape_mask(w, h, draw_drips, ss=2)
    cv.over(mix(CHOC, CHOC_DARK, smoothstep(0, 0.2 * h, y)), m)

    def draw_shine(d, k):
        for dxp, dw, length in drips:
            d.rounded_rectangle([(dxp - dw * 0.32) * k, (band * 0.3) * k, (dxp - dw * 0.14) * k, (length - dw * 0.2) * k],
                                radius=dw * 0.1 * k, fill=255)
    cv.over((214, 160, 110), shape_mask(w, h, draw_shine, ss=2), 0.5)
    return cv


# The gamepad's buttons, one short line between the controls of play and the keyboard's hint on
# the menu pictures.
PAD_CONTROLS = "Gamepad:  stick walk   A jump   X/RB run   B/LB push box   D-pad choose   Start confirm"


# The menu's layout, in picture heights (the game mirrors it: MenuLayout in
# src/game/MenuState.cpp). The background holds the title and the controls; the game draws the
# entries on it, as many as it offers, each a pill picture with its label in the game's text.
MENU_TITLE_Y = 0.27
MENU_PILL_W, MENU_PILL_H = 300, 50  # pixels of a picture 768 high
MENU_PILL_MARGIN_X, MENU_PILL_MARGIN_Y = 60, 24  # room for the glow and the arrows
MENU_PILL_SCALE = 2  # the pill pictures are drawn at twice that size, sharp at 1080 lines


def menu_background(w, h):
    s = h / 768.0
    cv = _menu_background(w, h, s)
    cx = w / 2
    ty = MENU_TITLE_Y * h
    _title(cv, cx, ty, s)
    f = font(BOLD, 30 * s)
    sub = text_mask(w, h, (cx, ty + 118 * s), "Keep to the shade!", f)
    halo = text_mask(w, h, (cx, ty + 118 * s), "Keep to the shade!", f, stroke=3 * s)
    cv.over((255, 248, 230), blurred(halo, 4 * s), 0.9)
    cv.over(CHOC, sub)
    _controls_line(cv, cx, 0.84 * h, s, CONTROLS)
    hint = text_mask(w, h, (cx, 0.95 * h), "UP / DOWN  choose      ENTER  confirm      ESC  quit", font(BOLD, 22 * s))
    cv.over(CREAM, hint, 0.8)
    pad = text_mask(w, h, (cx, 0.89 * h), PAD_CONTROLS, font(BOLD, 17 * s))
    cv.over(CREAM, pad, 0.8)
    return cv.image(False)


def menu_pill(selected):
    """One entry's pill without its label, on a transparent picture with room around it."""
    s = MENU_PILL_SCALE
    w = (MENU_PILL_W + 2 * MENU_PILL_MARGIN_X) * s
    h = (MENU_PILL_H + 2 * MENU_PILL_MARGIN_Y) * s
    cv = Canvas(w, h, alpha=0.0)
    _pill(cv, w / 2, h / 2, MENU_PILL_W * s, MENU_PILL_H * s, s, selected, "")
    return cv.image(True)


# The controls of play, as (key, what it does) pairs: keys in sun yellow, deeds in cream. The
# mouse turns the camera, as players expect; the README lists every control.
CONTROLS = [("W A S D", "walk"), ("SHIFT", "run"), ("SPACE", "jump"), ("LEFT BUTTON", "push"),
            ("WHEEL", "zoom"), ("BACKSPACE", "back to start")]


def _controls_line(cv, cx, cy, s, pairs):
    """One line of key / deed pairs on a dark rounded band, centred on (cx, cy); the type
    shrinks if the line would not fit the picture's width."""
    w, h = cv.w, cv.h
    size = 18 * s
    while True:
        key_font, deed_font = font(BOLD, size), font(REGULAR, size)
        gap, space = 0.9 * size, 0.3 * size
        parts = []
        for key, deed in pairs:
            parts.append((key, key_font, SUN_YELLOW, space))
            parts.append((deed, deed_font, CREAM, gap))
        total = sum(f.getlength(t) + after for t, f, _, after in parts) - gap
        if total + 2 * size <= 0.94 * w or size <= 12 * s:
            break
        size *= 0.95
    x = cx - total / 2
    pad_x, pad_y = size, 0.95 * size
    band = shape_mask(w, h, lambda d, k: d.rounded_rectangle(
        [(x - pad_x) * k, (cy - pad_y) * k, (x + total + pad_x) * k, (cy + pad_y) * k],
        radius=pad_y * k, fill=255))
    cv.over(CHOC_DARK, band, 0.72)
    for text, fnt, colour, after in parts:
        cv.over(colour, text_mask(w, h, (x, cy), text, fnt, anchor="lm"))
        x += fnt.getlength(text) + after


# ---------------------------------------------------------------- splash pictures

SPLASH = {
    "death": dict(veil=(58, 22, 8), veil_a=0.45, panel=(80, 40, 18), rim=(246, 214, 160),
                  title="You melted!", title_col=(255, 214, 110),
                  lines=["Press ENTER to try again"], line_col=CREAM, drips=True),
    "stage_complete": dict(veil=(60, 34, 12), veil_a=0.35, panel=(255, 214, 96), rim=CHOC_DARK,
                           title="Stage complete!", title_col=CHOC_DARK,
                           lines=["On to the next level!", "Press ENTER to continue"], line_col=(112, 62, 26),
                           stars=True),
    "mission_complete": dict(veil=(40, 22, 8), veil_a=0.45, panel=(252, 246, 230), rim=CHOC,
                             title="Mission complete!", title_col=CHOC,
                             lines=["You made it through the sunshine.", "Press ENTER to return to the menu"],
                             line_col=(112, 62, 26), stars=True),
}


def splash_picture(w, h, kind):
    look = SPLASH[kind]
    s = h / 768.0
    cv = Canvas(w, h, look["veil"], look["veil_a"])
    cx, cy = w / 2, h / 2
    pw, ph = 760 * s, 300 * s
    box = (cx - pw / 2, cy - ph / 2, cx + pw / 2, cy + ph / 2)

    def panel(d, k, grow=0.0):
        d.rounded_rectangle([(box[0] - grow) * k, (box[1] - grow) * k, (box[2] + grow) * k, (box[3] + grow) * k],
                            radius=(30 * s + grow) * k, fill=255)
    outer = shape_mask(w, h, lambda d, k: panel(d, k, 6 * s), ss=2)
    inner = shape_mask(w, h, lambda d, k: panel(d, k), ss=2)
    cv.over((0, 0, 0), blurred(shifted(outer, 0, 10 * s), 14 * s), 0.45)
    cv.over(look["rim"], outer)

    if not look.get("drips"):
        cv.over(look["panel"], inner, 0.94)
    else:
        r = rng(301)
        drips = []
        for i in range(9):
            dxp = box[0] + 60 * s + i * (pw - 120 * s) / 8 + (r.random_sample() - 0.5) * 30 * s
            drips.append((dxp, (16 + 14 * r.random_sample()) * s, (30 + 90 * r.random_sample()) * s))

        top = box[3] - 3 * s

        def draw(d, k):
            for dxp, dw, length in drips:
                # a flared root on the rim, a straight run and a round bead at the end
                d.ellipse([(dxp - dw) * k, (top - dw * 0.5) * k, (dxp + dw) * k, (top + dw * 0.6) * k], fill=255)
                d.rectangle([(dxp - dw / 2) * k, top * k, (dxp + dw / 2) * k, (top + length) * k], fill=255)
                bead = dw * 0.62
                d.ellipse([(dxp - bead) * k, (top + length - bead) * k, (dxp + bead) * k, (top + length + bead) * k], fill=255)

        def shine(d, k):
            for dxp, dw, length in drips:
                d.rounded_rectangle([(dxp - dw * 0.3) * k, (top + dw * 0.6) * k, (dxp - dw * 0.1) * k, (top + length) * k],
                                    radius=dw * 0.1 * k, fill=255)
        # the drips are part of the panel body, painted in one go with it
        body = np.maximum(inner, shape_mask(w, h, draw, ss=2))
        cv.over(look["panel"], body, 0.94)
        cv.over((170, 108, 64), shape_mask(w, h, shine, ss=2), 0.6)

    if look.get("stars"):
        # a row of stars sitting on the top rim of the panel, like a badge
        stars = ((cx - 130 * s, box[1] - 4 * s, 24 * s), (cx, box[1] - 12 * s, 38 * s), (cx + 130 * s, box[1] - 4 * s, 24 * s))

        def draw(d, k, grow=0.0):
            for sx, sy, rr in stars:
                d.polygon([(px * k, py * k) for px, py in star_points(sx, sy, rr + grow, (rr + grow) * 0.45)], fill=255)
        rim = shape_mask(w, h, lambda d, k: draw(d, k, 5 * s))
        m = shape_mask(w, h, draw)
        cv.over(CHOC_DARK, rim)
        cv.over((255, 188, 36) if kind == "mission_complete" else (255, 250, 224), m)

    title_y = cy - 52 * s if len(look["lines"]) < 2 else cy - 70 * s
    # the headline shrinks, if need be, to stay inside the panel
    size = 78 * s
    while font(BOLD, size).getlength(look["title"]) > pw - 90 * s:
        size -= 2 * s
    ft = font(BOLD, size)
    t = text_mask(w, h, (cx, title_y), look["title"], ft)
    cv.over((0, 0, 0), blurred(shifted(t, 3 * s, 4 * s), 3 * s), 0.35)
    cv.over(look["title_col"], t)
    fl = font(BOLD, 32 * s)
    ly = title_y + 92 * s
    for line in look["lines"]:
        m = text_mask(w, h, (cx, ly), line, fl)
        cv.over(look["line_col"], m)
        ly += 50 * s
    return cv.image(True)


# ---------------------------------------------------------------- HUD

def _hud_panel(w, h):
    """Rounded translucent panel; transparent pixels keep the rim colour so
    the panel still looks right when the HUD is drawn without blending."""
    cv = Canvas(w, h, (226, 196, 150), 0.0)
    outer = shape_mask(w, h, lambda d, k: d.rounded_rectangle([1 * k, 1 * k, (w - 1) * k, (h - 1) * k], radius=22 * k, fill=255), ss=4)
    inner = shape_mask(w, h, lambda d, k: d.rounded_rectangle([4 * k, 4 * k, (w - 4) * k, (h - 4) * k], radius=19 * k, fill=255), ss=4)
    cv.over((226, 196, 150), outer)
    y, _ = grid(w, h)
    cv.over(mix((96, 54, 28), (52, 26, 10), smoothstep(0, h, y)), inner, 1.0)
    # the panel body is slightly see-through; the rim stays solid
    cv.a = np.minimum(cv.a, 1.0 - inner * (1.0 - 200.0 / 255.0))
    return cv


def hud_life():
    w, h = 256, 128
    k = 1.28                       # texture pixels per screen pixel (200 x 100 on screen)
    cv = _hud_panel(w, h)
    # slot for the life bar, which the HUD draws at x 25..175, y 42..58 of the panel
    x0, x1, y0, y1 = 25 * k, 175 * k, 42 * k, 58 * k
    slot_o = shape_mask(w, h, lambda d, q: d.rectangle([(x0 - 3) * q, (y0 - 3) * q, (x1 + 3) * q, (y1 + 3) * q], fill=255), ss=4)
    slot_i = shape_mask(w, h, lambda d, q: d.rectangle([x0 * q, y0 * q, x1 * q, y1 * q], fill=255), ss=4)
    cv.over((236, 214, 178), slot_o)
    cv.over((28, 14, 6), slot_i)
    # ticks under the slot at every quarter
    for i in range(5):
        tx = x0 + (x1 - x0) * i / 4
        m = shape_mask(w, h, lambda d, q, tx=tx: d.rectangle([(tx - 1) * q, (y1 + 6) * q, (tx + 1) * q, (y1 + (14 if i % 2 == 0 else 10)) * q], fill=255), ss=4)
        cv.over((236, 214, 178), m)
    # heart and label
    t = text_mask(w, h, (w / 2 + 12, 33), "LIFE", font(BOLD, 24))
    cv.over(CREAM, t)

    def heart(d, q, cx=w / 2 - 42, cy=33, r=7):
        d.ellipse([(cx - 2 * r) * q, (cy - r - 3) * q, cx * q, (cy + r - 3) * q], fill=255)
        d.ellipse([cx * q, (cy - r - 3) * q, (cx + 2 * r) * q, (cy + r - 3) * q], fill=255)
        d.polygon([((cx - 2 * r + 0.6) * q, (cy - 1) * q), ((cx + 2 * r - 0.6) * q, (cy - 1) * q), (cx * q, (cy + 2 * r + 1) * q)], fill=255)
    cv.over((236, 64, 52), shape_mask(w, h, heart, ss=4))
    return cv.image(True)


def hud_sundetector():
    w, h = 256, 128
    k = 1.28
    cv = _hud_panel(w, h)
    # the needle moves from x 28 (full sun) to x 172 (shade), covering y 30..50
    x0, x1, y0, y1 = 28 * k, 173 * k, 30 * k, 50 * k
    frame = shape_mask(w, h, lambda d, q: d.rectangle([(x0 - 3) * q, (y0 - 3) * q, (x1 + 3) * q, (y1 + 3) * q], fill=255), ss=4)
    band = shape_mask(w, h, lambda d, q: d.rectangle([x0 * q, y0 * q, x1 * q, y1 * q], fill=255), ss=4)
    cv.over((236, 214, 178), frame)
    _, x = grid(w, h)
    u = np.clip((x - x0) / (x1 - x0), 0, 1)
    hot = mix((236, 52, 24), (255, 214, 60), smoothstep(0.0, 0.45, u))
    col = mix(hot, (60, 110, 206), smoothstep(0.45, 1.0, u))
    cv.over(col, band)
    for i in range(5):
        tx = x0 + (x1 - x0) * i / 4
        m = shape_mask(w, h, lambda d, q, tx=tx: d.rectangle([(tx - 1) * q, (y1 + 6) * q, (tx + 1) * q, (y1 + (14 if i % 2 == 0 else 10)) * q], fill=255), ss=4)
        cv.over((236, 214, 178), m)
    # sun on the left end, cloud (shade) on the right end
    sx, sy = 17.0, (y0 + y1) / 2

    def sun(d, q):
        d.ellipse([(sx - 6) * q, (sy - 6) * q, (sx + 6) * q, (sy + 6) * q], fill=255)
        for a in range(8):
            ang = a * np.pi / 4
            d.line([((sx + 8.5 * np.cos(ang)) * q, (sy + 8.5 * np.sin(ang)) * q),
                    ((sx + 12 * np.cos(ang)) * q, (sy + 12 * np.sin(ang)) * q)], fill=255, width=int(2 * q))
    cv.over(SUN_YELLOW, shape_mask(w, h, sun, ss=4))
    cx_, cy_ = w - 17.0, (y0 + y1) / 2

    def cloud(d, q):
        for ox, oy, r in ((-5, 2, 5.5), (1, -2, 7), (6, 2, 5)):
            d.ellipse([(cx_ + ox - r) * q, (cy_ + oy - r) * q, (cx_ + ox + r) * q, (cy_ + oy + r) * q], fill=255)
        d.rectangle([(cx_ - 9) * q, (cy_ + 1) * q, (cx_ + 10) * q, (cy_ + 7) * q], fill=255)
    cv.over((170, 196, 236), shape_mask(w, h, cloud, ss=4))
    t = text_mask(w, h, (w / 2, 98), "SUN", font(BOLD, 24))
    cv.over(CREAM, t)
    return cv.image(True)


def hud_lifebar():
    w, h = 256, 32
    y = (np.arange(h) + 0.5)[:, None] * np.ones((1, w))
    col = mix((255, 240, 180), (246, 170, 40), smoothstep(0, h * 0.45, y))
    col = mix(col, (176, 88, 18), smoothstep(h * 0.45, h, y))
    edge = (y < 1.5) | (y > h - 1.5)
    col = np.where(edge[..., None], (110, 54, 14), col)
    a = np.full((h, w), 255, np.uint8)
    return Image.fromarray(np.dstack([to_u8(col), a]), "RGBA")


def hud_detector():
    """The sun needle: a cream pointer with a dark outline, triangles above and below the
    gradient band and a bar across it. Drawn 16 x 32 screen pixels, 2 texture pixels each."""
    w, h = 32, 64
    cx = w / 2

    def shape(d, q, grow):
        g = grow
        d.polygon([((cx - 13 - g) * q, (1 - g) * q), ((cx + 13 + g) * q, (1 - g) * q), (cx * q, (14 + g) * q)], fill=255)
        d.polygon([((cx - 13 - g) * q, (h - 1 + g) * q), ((cx + 13 + g) * q, (h - 1 + g) * q), (cx * q, (h - 14 - g) * q)], fill=255)
        d.rectangle([(cx - 5 - g) * q, 8 * q, (cx + 5 + g) * q, (h - 8) * q], fill=255)

    cv = Canvas(w, h, CHOC_DARK, 0.0)
    cv.over(CHOC_DARK, shape_mask(w, h, lambda d, q: shape(d, q, 2.5), ss=4))
    cv.over((255, 250, 236), shape_mask(w, h, lambda d, q: shape(d, q, 0.0), ss=4))
    return cv.image(True)


def umbrella_icon(size=64):
    ss = 8
    big = size * ss
    canopy = Image.new("L", (big, big), 0)
    d = ImageDraw.Draw(canopy)
    cx, top, rad = big / 2, big * 0.12, big * 0.44
    d.pieslice([cx - rad, top, cx + rad, top + 2 * rad], 180, 360, fill=255)
    # scalloped hem: bite small half-circles out of the straight lower edge
    hem_y = top + rad
    n = 4
    seg = 2 * rad / n
    for i in range(n):
        bx = cx - rad + seg * (i + 0.5)
        d.ellipse([bx - seg / 2, hem_y - seg * 0.28, bx + seg / 2, hem_y + seg * 0.28], fill=0)
    cm = np.asarray(canopy, float) / 255.0
    y = (np.arange(big) + 0.5)[:, None] * np.ones((1, big))
    x = (np.arange(big) + 0.5)[None, :] * np.ones((big, 1))
    ang = np.arctan2(y - (top + rad), x - cx)
    gore = (((ang + np.pi) / (np.pi / n)).astype(int)) % 2
    col = np.where(gore[..., None] == 0, np.array([230, 46, 52], float), np.array([255, 246, 228], float))
    shade = 1.0 - 0.25 * smoothstep(top, hem_y, y)
    col *= shade[..., None]

    handle = Image.new("L", (big, big), 0)
    hd = ImageDraw.Draw(handle)
    lw = int(big * 0.06)
    hd.line([(cx, top - big * 0.06), (cx, big * 0.8)], fill=255, width=lw)
    hook_r = big * 0.09
    hd.arc([cx - 2 * hook_r, big * 0.8 - hook_r, cx, big * 0.8 + hook_r], 0, 180, fill=255, width=lw)
    hm = np.asarray(handle, float) / 255.0

    outline = Image.fromarray(np.clip(np.maximum(cm, hm) * 255, 0, 255).astype(np.uint8)).filter(ImageFilter.MaxFilter(2 * int(ss * 1.5) + 1))
    om = np.asarray(outline, float) / 255.0

    cv = Canvas(big, big, (40, 20, 8), 0.0)
    cv.over((40, 20, 8), om)
    cv.over((88, 50, 24), hm)
    cv.over(col, cm)
    img = cv.image(True)
    return img.resize((size, size), Image.LANCZOS)


# ---------------------------------------------------------------- sprites

def sun_sprite(size=256):
    y, x = grid(size, size)
    c = size / 2
    r = np.sqrt((x - c) ** 2 + (y - c) ** 2) / (size / 2)      # 0 centre, 1 edge
    ang = np.arctan2(y - c, x - c)
    core = smoothstep(0.24, 0.2, r)
    glow = np.exp(-(r / 0.34) ** 2)
    halo = np.exp(-(r / 0.5) ** 2) * 0.3
    rays = (0.5 + 0.5 * np.cos(12 * ang)) ** 4 * np.exp(-r / 0.35) * 0.35
    fade = smoothstep(1.0, 0.85, r)                            # nothing reaches the edge
    alpha = np.clip(core + glow * 0.85 + halo + rays, 0.0, 1.0) * fade
    col = mix((255, 252, 236), (255, 214, 110), smoothstep(0.15, 0.55, r))
    # only the all but invisible fringe goes to black (kind to additive blending)
    col = col * smoothstep(0.0, 0.03, alpha)[..., None]
    a = np.clip(np.round(alpha * 255.0), 0, 255).astype(np.uint8)
    return Image.fromarray(np.dstack([to_u8(col), a]), "RGBA")


def star_marker(size=256):
    """Projected below power-ups: a golden star in a ring, on transparent black.
    A clear margin keeps the edge empty, because textures repeat."""
    c = size / 2
    star = shape_mask(size, size, lambda d, k: d.polygon(
        [(px * k, py * k) for px, py in star_points(c, c, size * 0.33, size * 0.14)], fill=255), ss=4)
    ring = shape_mask(size, size, lambda d, k: (
        d.ellipse([(c - size * 0.43) * k, (c - size * 0.43) * k, (c + size * 0.43) * k, (c + size * 0.43) * k], fill=255),
        d.ellipse([(c - size * 0.39) * k, (c - size * 0.39) * k, (c + size * 0.39) * k, (c + size * 0.39) * k], fill=0)), ss=4)
    glow = blurred(np.maximum(star, ring), size / 40)
    y, x = grid(size, size)
    r = np.sqrt((x - c) ** 2 + (y - c) ** 2) / (size / 2)
    cv = Canvas(size, size, (0, 0, 0), 0.0)
    cv.over((255, 200, 60), glow, 0.8)
    cv.over((255, 214, 72), ring)
    cv.over(mix((255, 252, 220), (255, 196, 40), smoothstep(0.0, 0.6, r)), star)
    img = cv.image(True)
    arr = np.asarray(img).copy()
    # empty pixels are black, so additive use works as well
    fade = smoothstep(0.0, 0.05, arr[..., 3:4] / 255.0)
    arr[..., :3] = np.round(arr[..., :3] * fade).astype(np.uint8)
    margin = size // 32
    arr[:margin] = 0
    arr[-margin:] = 0
    arr[:, :margin] = 0
    arr[:, -margin:] = 0
    return Image.fromarray(arr, "RGBA")
