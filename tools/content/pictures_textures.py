"""Surface textures: level materials, model skins and the two normal maps.

Each function returns an (h, w, 3) uint8 array (rows top to bottom); the
normal-mapped ones also return their height field.  Tileable textures are
built only from periodic fields so that they repeat without seams.
"""

import numpy as np
from PIL import Image, ImageDraw, ImageFont

from pictures_noise import (rng, spectral_noise, fbm,
                            worley, blur_periodic, mix, smoothstep, to_u8)

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"


def _grid(h, w):
    y = np.arange(h)[:, None] * np.ones((1, w))
    x = np.arange(w)[None, :] * np.ones((h, 1))
    return y, x


# ---------------------------------------------------------------- brick wall

def brickwall(size=512):
    rows, per_row = 8, 4
    bh = size // rows
    bw = size // per_row
    mortar = 5.0
    y, x = _grid(size, size)
    row = (y // bh).astype(int)
    sx = (x + (row % 2) * (bw // 2)) % size
    col = (sx // bw).astype(int)
    ly = y - row * bh + 0.5
    lx = sx - col * bw + 0.5
    edge = np.minimum(np.minimum(lx, bw - lx), np.minimum(ly, bh - ly)) - mortar * 0.5
    chips = spectral_noise(size, size, 11, beta=1.2, low=8)
    edge = edge - (chips - 0.5) * 3.0
    mask = smoothstep(0.0, 2.5, edge)
    bevel = smoothstep(0.0, 7.0, edge)

    brick_id = row * per_row + col
    r = rng(12)
    palette = np.array([[150, 66, 46], [166, 80, 56], [136, 58, 42], [176, 94, 64],
                        [158, 74, 52], [124, 54, 40], [170, 88, 60]], dtype=float)
    pick = r.randint(0, len(palette), rows * per_row)
    bright = 0.88 + 0.2 * r.random_sample(rows * per_row)
    base = palette[pick][brick_id] * bright[brick_id][..., None]

    grain = spectral_noise(size, size, 13, beta=0.6, low=16)
    blotch = fbm(size, size, 4, 4, 5, 14)
    brick = base * (0.82 + 0.22 * grain[..., None]) * (0.9 + 0.16 * blotch[..., None])
    soot = smoothstep(0.55, 0.9, spectral_noise(size, size, 15, beta=1.6, low=1))
    brick = mix(brick, brick * 0.62, soot * 0.5)
    mortar_col = mix((150, 144, 132), (192, 186, 172), spectral_noise(size, size, 16, beta=0.8, low=4))
    colour = mix(mortar_col, brick, mask)
    # a touch of ambient occlusion along the joints
    colour *= (0.78 + 0.22 * bevel)[..., None]

    height = 0.15 * (1 - mask) + mask * (0.55 + 0.45 * bevel) + 0.05 * grain + 0.03 * chips
    return to_u8(colour), height


# ---------------------------------------------------------------- stone wall

def stone(size=512):
    f1, f2, ids = worley(size, size, 6, 6, 21, jitter=0.75)
    gap = f2 - f1
    rough = spectral_noise(size, size, 22, beta=1.1, low=4)
    gap = gap + (rough - 0.5) * 6.0
    mask = smoothstep(2.0, 5.0, gap)
    dome = np.sqrt(np.clip(gap / 26.0, 0.0, 1.0))

    r = rng(23)
    n = 36
    tone = 0.8 + 0.35 * r.random_sample(n)
    warm = r.random_sample(n)
    base = mix((118, 116, 112), (140, 128, 110), warm[ids]) * tone[ids][..., None]
    speck = spectral_noise(size, size, 24, beta=0.3, low=32)
    layer = fbm(size, size, 6, 6, 4, 25)
    stone_col = base * (0.78 + 0.3 * speck[..., None]) * (0.9 + 0.15 * layer[..., None])
    moss = smoothstep(0.6, 0.85, fbm(size, size, 3, 3, 5, 26)) * (1 - dome) * 0.7
    stone_col = mix(stone_col, (78, 92, 52), moss)
    gap_col = np.array([58, 54, 50], dtype=float)
    colour = mix(gap_col * np.ones((size, size, 1)), stone_col, mask)
    colour *= (0.72 + 0.28 * dome)[..., None]

    height = mask * (0.35 + 0.6 * dome) + 0.06 * speck + 0.05 * layer
    return to_u8(colour), height


# ---------------------------------------------------------------- paving

def paving(size=512):
    """Large square slabs, light warm grey (floor07)."""
    slabs = 4
    s = size // slabs
    y, x = _grid(size, size)
    r_ = y // s
    c_ = x // s
    ly = y - r_ * s + 0.5
    lx = x - c_ * s + 0.5
    edge = np.minimum(np.minimum(lx, s - lx), np.minimum(ly, s - ly)) - 2.0
    chips = spectral_noise(size, size, 31, beta=1.2, low=8)
    edge = edge - (chips - 0.5) * 2.5
    mask = smoothstep(0.0, 2.0, edge)
    bevel = smoothstep(0.0, 6.0, edge)
    ids = (r_ * slabs + c_).astype(int)
    r = rng(32)
    tone = 0.9 + 0.16 * r.random_sample(slabs * slabs)
    base = np.array([188, 180, 166], dtype=float) * tone[ids][..., None]
    speck = spectral_noise(size, size, 33, beta=0.2, low=48)
    stain = fbm(size, size, 4, 4, 5, 34)
    slab = base * (0.86 + 0.2 * speck[..., None]) * (0.88 + 0.16 * stain[..., None])
    joint = np.array([92, 86, 78], dtype=float) * (0.9 + 0.2 * chips[..., None])
    colour = mix(joint, slab, mask) * (0.85 + 0.15 * bevel)[..., None]
    return to_u8(colour)


def terracotta(size=512):
    """Smaller tiles in two alternating tones (floor07b)."""
    n = 8
    s = size // n
    y, x = _grid(size, size)
    r_ = (y // s).astype(int)
    c_ = (x // s).astype(int)
    ly = y - r_ * s + 0.5
    lx = x - c_ * s + 0.5
    edge = np.minimum(np.minimum(lx, s - lx), np.minimum(ly, s - ly)) - 1.5
    mask = smoothstep(0.0, 1.5, edge)
    bevel = smoothstep(0.0, 5.0, edge)
    checker = ((r_ + c_) % 2).astype(float)
    r = rng(41)
    tone = 0.9 + 0.18 * r.random_sample(n * n)
    ids = r_ * n + c_
    base = mix((178, 92, 58), (214, 182, 132), checker) * tone[ids][..., None]
    clay = spectral_noise(size, size, 42, beta=0.7, low=8)
    wear = fbm(size, size, 4, 4, 5, 43)
    tile = base * (0.88 + 0.16 * clay[..., None]) * (0.9 + 0.14 * wear[..., None])
    grout = np.array([170, 160, 144], dtype=float) * np.ones((size, size, 1))
    colour = mix(grout, tile, mask) * (0.86 + 0.14 * bevel)[..., None]
    return to_u8(colour)


# ---------------------------------------------------------------- ground

def grass(size=512):
    patches = fbm(size, size, 3, 3, 6, 51)
    clumps = spectral_noise(size, size, 52, beta=0.9, low=12)
    r = rng(53)
    # short blades: random specks smeared in a few directions
    blades = np.zeros((size, size))
    for k, (dy, dx) in enumerate(((1, 0), (1, 1), (1, -1), (2, 1), (2, -1))):
        speck = (r.random_sample((size, size)) > 0.93).astype(float)
        stroke = np.zeros((size, size))
        for t in range(6):
            stroke += np.roll(np.roll(speck, t * dy, axis=0), t * dx, axis=1) * (1.0 - t / 7.0)
        blades += stroke
    blades = np.clip(blur_periodic(blades, 0.5) / 1.6, 0.0, 1.0)
    fine = spectral_noise(size, size, 54, beta=0.3, low=64)
    colour = mix((52, 92, 26), (104, 146, 46), patches)
    colour = mix(colour, (136, 146, 64), smoothstep(0.72, 0.95, patches) * 0.4)
    light = 0.58 + 0.2 * clumps + 0.5 * blades + 0.12 * fine
    colour = colour * light[..., None]
    colour = mix(colour, colour * 0.85, smoothstep(0.2, 0.0, patches))
    return to_u8(colour)


def sand(size=512):
    warp = spectral_noise(size, size, 61, beta=1.5, low=1)
    y, x = _grid(size, size)
    phase = 2 * np.pi * (7 * x / size + 3 * y / size) + 5.0 * warp
    ripple = 0.5 + 0.5 * np.sin(phase)
    ripple = ripple ** 1.5
    grain = rng(62).random_sample((size, size))
    grain = 0.6 * grain + 0.4 * blur_periodic(grain, 0.8)
    tone = fbm(size, size, 4, 4, 5, 63)
    colour = mix((196, 168, 118), (228, 204, 156), tone)
    colour = colour * (0.9 + 0.1 * ripple[..., None]) * (0.88 + 0.18 * grain[..., None])
    return to_u8(colour)


# ---------------------------------------------------------------- wood

def _grain(h, w, seed, along_x=True, lines=48):
    """Wood grain: wavy growth lines plus fine streaks, running along x or y.

    The line count is whole, and the warp is periodic, so the grain tiles.
    """
    if along_x:
        across = (np.arange(h)[:, None] + 0.5) / h * np.ones((1, w))
        stretch = (1.0, 6.0)
    else:
        across = (np.arange(w)[None, :] + 0.5) / w * np.ones((h, 1))
        stretch = (6.0, 1.0)
    warp = spectral_noise(h, w, seed, beta=2.0, low=1, aniso=stretch)
    knots = spectral_noise(h, w, seed + 1, beta=1.2, low=3, aniso=stretch)
    phase = lines * across + 4.0 * warp + 1.5 * knots
    growth = (0.5 + 0.5 * np.cos(2 * np.pi * phase)) ** 6
    streak = spectral_noise(h, w, seed + 2, beta=0.6, low=8,
                            aniso=(1.0, 12.0) if along_x else (12.0, 1.0))
    return np.clip(0.65 * growth + 0.45 * streak, 0.0, 1.0)


def wood(size=512):
    """Planks running along x, staggered butt joints (roofs, awnings)."""
    planks = 8
    ph = size // planks
    y, x = _grid(size, size)
    row = (y // ph).astype(int)
    r = rng(71)
    joint_at = r.randint(0, size, planks)
    ly = y - row * ph + 0.5
    lx = (x - joint_at[row]) % size + 0.5
    seam_y = np.minimum(ly, ph - ly)
    seam_x = np.minimum(lx, size - lx)
    edge = np.minimum(seam_y, seam_x * 1.0)
    mask = smoothstep(0.5, 2.0, edge)
    bevel = smoothstep(0.0, 5.0, edge)
    grain = _grain(size, size, 72)
    tone = 0.85 + 0.25 * r.random_sample(planks)
    hue = r.random_sample(planks)
    base = mix((150, 100, 58), (176, 126, 76), hue[row]) * tone[row][..., None]
    dark = (82, 52, 28)
    colour = mix(base, np.array(dark, float) * tone[row][..., None], grain * 0.55)
    weather = fbm(size, size, 4, 4, 5, 73)
    colour = mix(colour, (128, 118, 104), smoothstep(0.7, 0.95, weather) * 0.18)
    colour = mix(np.array([46, 30, 18], float) * np.ones((size, size, 1)), colour, mask)
    colour *= (0.8 + 0.2 * bevel)[..., None]
    return to_u8(colour)


def crate(size=512):
    """One face of a wooden crate: frame, vertical boards and a diagonal brace."""
    y, x = _grid(size, size)
    frame = 56
    boards = 4
    grain_v = _grain(size, size, 81, along_x=False, lines=40)
    grain_h = _grain(size, size, 83, along_x=True, lines=40)
    # diagonal grain: sample the horizontal grain along the brace direction
    r = rng(85)
    base_light = np.array([196, 150, 92], float)
    base_dark = np.array([112, 74, 40], float)

    def wood_of(grain, tone):
        return mix(base_light * tone, base_dark * tone, grain * 0.6)

    inner = (x >= frame) & (x < size - frame) & (y >= frame) & (y < size - frame)
    bw = (size - 2 * frame) / boards
    board = np.clip(((x - frame) // bw).astype(int), 0, boards - 1)
    tones = 0.86 + 0.2 * r.random_sample(boards)
    colour = wood_of(grain_v, 1.0) * tones[board][..., None]
    # board gaps
    bx = (x - frame) - board * bw
    gap = np.minimum(bx, bw - bx)
    colour = np.where((inner & (gap < 2.0))[..., None], (50, 32, 18), colour)

    # diagonal brace from bottom-left to top-right of the inner area
    d = np.abs((x - frame) - ((size - frame) - y)) / np.sqrt(2.0)
    brace = inner & (d < 34)
    colour = np.where(brace[..., None], wood_of(grain_h, 1.04) * 1.05, colour)
    brace_edge = inner & (np.abs(d - 34) < 2.0)
    colour = np.where(brace_edge[..., None], (60, 38, 20), colour)

    # frame: horizontal bars top and bottom, vertical bars on the sides
    top_bottom = (y < frame) | (y >= size - frame)
    sides = ~top_bottom & ((x < frame) | (x >= size - frame))
    colour = np.where(top_bottom[..., None], wood_of(grain_h, 0.95), colour)
    colour = np.where(sides[..., None], wood_of(grain_v, 0.92), colour)
    # frame outlines and mitre-free butt joints
    outline = ((np.abs(y - frame) < 2) | (np.abs(y - (size - frame)) < 2)) & ~((x < 2) | (x >= size - 2))
    outline |= ((np.abs(x - frame) < 2) | (np.abs(x - (size - frame)) < 2)) & (y > frame) & (y < size - frame)
    outer = (x < 3) | (x >= size - 3) | (y < 3) | (y >= size - 3)
    colour = np.where((outline | outer)[..., None], (48, 30, 16), colour)

    # nails at the frame corners and along the bars
    nails = []
    for cx in (frame // 2, size - frame // 2):
        for cy in (frame // 2, size - frame // 2, size // 2):
            nails.append((cx, cy))
    for cx in (size // 2,):
        for cy in (frame // 2, size - frame // 2):
            nails.append((cx, cy))
    for cx, cy in nails:
        dd = np.sqrt((x - cx) ** 2 + (y - cy) ** 2)
        head = dd < 6
        shade = np.clip(1.0 - (x - cx + y - cy) / 14.0, 0.5, 1.3)
        colour = np.where(head[..., None], np.array([92, 90, 88], float) * shade[..., None], colour)
        ring = (dd >= 6) & (dd < 8)
        colour = np.where(ring[..., None], colour * 0.6, colour)

    dirt = fbm(size, size, 3, 3, 5, 86)
    colour = colour * (0.86 + 0.18 * dirt[..., None])
    return to_u8(colour)


# ---------------------------------------------------------------- roof tiles

def roof(size=512):
    rows = 8
    th = size // rows
    tw = 64
    y, x = _grid(size, size)
    # start half a row down so the wrap falls in the middle of a tile
    y = (y + th // 2) % size
    r = rng(91)
    tones = 0.84 + 0.24 * r.random_sample((rows, size // tw))
    over = 0.25 * th

    def tile_coords(row):
        sx = (x + (row % 2) * (tw // 2)) % size
        col = (sx // tw).astype(int)
        lx = sx - col * tw + 0.5
        return col, lx

    row = (y // th).astype(int)
    ly = y - row * th + 0.5
    col, lx = tile_coords(row)
    u = (lx - tw / 2) / (tw / 2)
    arc = th - over * (1.0 - np.sqrt(np.clip(1.0 - u * u, 0.0, 1.0)))
    below = ly > arc
    # pixels under the rounded lower edge show the top of the next row's tile
    nrow = (row + 1) % rows
    ncol, nlx = tile_coords(nrow)
    nly = ly - th
    own_col = np.where(below, ncol, col)
    own_row = np.where(below, nrow, row)
    tly = np.where(below, nly, ly)
    tlx = np.where(below, nlx, lx)
    t = (tly + over) / (th + over)          # 0 at the hidden top, 1 at the lower edge
    tu = (tlx - tw / 2) / (tw / 2)

    base = np.array([170, 76, 46], float) * tones[own_row, own_col][..., None]
    clay = spectral_noise(size, size, 92, beta=0.7, low=8)
    lichen = smoothstep(0.72, 0.9, fbm(size, size, 8, 8, 4, 93))
    colour = base * (0.55 + 0.5 * t[..., None]) * (0.88 + 0.2 * clay[..., None])
    # each tile is a little barrel: lighter down the middle
    colour *= (1.0 - 0.18 * tu[..., None] ** 2)
    colour = mix(colour, (132, 128, 84), lichen * 0.22)
    # shadow cast by the tile above onto the one below its edge
    dist_below = np.where(below, ly - arc, 1e3)
    colour *= (1.0 - 0.55 * np.exp(-dist_below / 5.0))[..., None]
    # side gaps between tiles in the same row
    gap = np.minimum(tlx, tw - tlx)
    colour *= (0.6 + 0.4 * smoothstep(0.5, 2.5, gap))[..., None]
    return to_u8(colour)


# ---------------------------------------------------------------- metal

def metal(size=512):
    y, x = _grid(size, size)
    brushed = spectral_noise(size, size, 101, beta=0.5, low=2, aniso=(1.0, 24.0))
    smudge = fbm(size, size, 3, 3, 5, 102)
    colour = np.array([150, 156, 162], float) * (0.85 + 0.2 * brushed[..., None]) * (0.9 + 0.12 * smudge[..., None])
    plate = size // 2
    py = y % plate + 0.5
    px = x % plate + 0.5
    seam = np.minimum(np.minimum(py, plate - py), np.minimum(px, plate - px))
    colour *= (0.55 + 0.45 * smoothstep(0.5, 2.5, seam))[..., None]
    # a highlight just inside each seam, as if the plate edge were bevelled
    colour *= (1.0 + 0.12 * np.exp(-np.abs(seam - 4.0) / 1.5))[..., None]
    # rivets in rows beside every seam
    inset = 14
    step = 64

    def offset_to(v, centres, period):
        best = None
        for c in centres:
            o = (v + 0.5 - c + period / 2) % period - period / 2
            best = o if best is None else np.where(np.abs(o) < np.abs(best), o, best)
        return best

    oy1 = offset_to(y, (inset, plate - inset), plate)
    ox1 = offset_to(x, (step / 2,), step)
    ox2 = offset_to(x, (inset, plate - inset), plate)
    oy2 = offset_to(y, (step / 2,), step)
    d1 = np.sqrt(ox1 ** 2 + oy1 ** 2)
    d2 = np.sqrt(ox2 ** 2 + oy2 ** 2)
    first = d1 <= d2
    d = np.where(first, d1, d2)
    ox = np.where(first, ox1, ox2)
    oy = np.where(first, oy1, oy2)
    rivet = d < 5.5
    # lit from the upper left
    shade = np.clip(1.0 - (ox + oy) / 9.0, 0.55, 1.45)
    colour = np.where(rivet[..., None], np.array([170, 174, 178], float) * shade[..., None], colour)
    colour *= (1.0 - 0.35 * ((d >= 5.5) & (d < 7.5)))[..., None]
    return to_u8(colour)


# ---------------------------------------------------------------- model skins

def chocolate(size=512):
    low = fbm(size, size, 3, 3, 4, 111)
    swirl = spectral_noise(size, size, 112, beta=1.4, low=2)
    fine = spectral_noise(size, size, 113, beta=0.3, low=64)
    band = 0.5 + 0.5 * np.sin(2 * np.pi * 5 * swirl)
    colour = np.array([122, 72, 40], float)
    colour = colour * (0.93 + 0.1 * low[..., None]) * (0.97 + 0.05 * band[..., None]) * (0.97 + 0.05 * fine[..., None])
    return to_u8(colour)


def umbrella_fabric(size=512):
    stripes = 8
    y, x = _grid(size, size)
    sw = size / stripes
    # half a stripe across, so the wrap falls in the middle of a stripe
    x = (x + sw / 2) % size
    idx = (x // sw).astype(int) % stripes
    palette = np.array([[228, 44, 52], [252, 244, 226], [255, 196, 32], [252, 244, 226],
                        [36, 130, 226], [252, 244, 226], [255, 196, 32], [252, 244, 226]], float)
    colour = palette[idx]
    lx = x - (x // sw) * sw + 0.5
    edge = np.minimum(lx, sw - lx)
    colour *= (0.82 + 0.18 * smoothstep(0.0, 3.0, edge))[..., None]
    # woven cloth: fine crossing threads
    weave = 0.5 + 0.25 * np.sin(2 * np.pi * x / 4.0) * np.sin(2 * np.pi * y / 4.0)
    colour *= (0.92 + 0.08 * weave[..., None])
    return to_u8(colour)


def milk_label(size=512):
    """A wrap-around label for a milk carton or bottle."""
    img = Image.new("RGB", (size, size), (250, 250, 246))
    d = ImageDraw.Draw(img)
    blue = (40, 104, 196)
    light = (170, 206, 240)
    # top and bottom bands with a wavy edge that repeats across the width
    waves = 4
    top_edge = [(int(i), int(118 + 10 * np.sin(2 * np.pi * waves * i / size))) for i in range(0, size + 1, 4)]
    d.polygon([(0, 0), (size, 0)] + top_edge[::-1], fill=light)
    top_edge2 = [(int(i), int(96 + 10 * np.sin(2 * np.pi * waves * i / size + 1.2))) for i in range(0, size + 1, 4)]
    d.polygon([(0, 0), (size, 0)] + top_edge2[::-1], fill=blue)
    bottom = [(int(i), int(size - 70 + 8 * np.sin(2 * np.pi * waves * i / size + 0.5))) for i in range(0, size + 1, 4)]
    d.polygon(bottom + [(size, size), (0, size)], fill=blue)
    # cow spots scattered in the white field
    r = rng(131)
    for _ in range(9):
        cx = int(r.randint(0, size))
        cy = int(r.randint(150, size - 110))
        rad = int(r.randint(10, 24))
        pts = []
        for k in range(14):
            a = 2 * np.pi * k / 14
            rr = rad * (0.75 + 0.5 * r.random_sample())
            pts.append((cx + rr * np.cos(a), cy + rr * 0.8 * np.sin(a)))
        for off in (-size, 0, size):
            d.polygon([(px + off, py) for px, py in pts], fill=(226, 230, 236))
    font = ImageFont.truetype(FONT_DIR + "DejaVuSans-Bold.ttf", 132)
    small = ImageFont.truetype(FONT_DIR + "DejaVuSans-Bold.ttf", 34)
    d.text((size // 2, 292), "MILK", font=font, fill=blue, anchor="mm",
           stroke_width=6, stroke_fill=(255, 255, 255))
    d.text((size // 2, 384), "FRESH  &  COOL", font=small, fill=(60, 130, 210), anchor="mm")
    # a milk drop above the lettering: a round belly drawn under a pointed tip
    cx, cy = size // 2, 196
    tip = (cx, cy - 44)
    d.polygon([(cx - 19, cy - 4), tip, (cx + 19, cy - 4)], fill=blue)
    d.ellipse((cx - 24, cy - 18, cx + 24, cy + 30), fill=blue)
    d.polygon([(cx - 13, cy - 6), (cx, cy - 34), (cx + 13, cy - 6)], fill=(255, 255, 255))
    d.ellipse((cx - 18, cy - 12, cx + 18, cy + 24), fill=(255, 255, 255))
    d.ellipse((cx - 10, cy - 2, cx - 2, cy + 10), fill=light)
    d.text((size // 2, size - 36), "1 LITRE", font=small, fill=(255, 255, 255), anchor="mm")
    return np.asarray(img)


def duck(size=256):
    """Rubber duck skin.

    Layout (u to the right, v up, as the game samples it): u < 0.75 yellow
    body, u >= 0.75 orange beak; a black eye with a white glint centred at
    u = 0.375, v = 0.75.
    """
    y, x = _grid(size, size)
    shade = fbm(size, size, 2, 2, 4, 141)
    colour = mix((246, 200, 28), (255, 226, 70), shade)
    beak = x >= size * 0.75
    colour = np.where(beak[..., None], mix((236, 112, 24), (250, 146, 40), shade), colour)
    seam = np.abs(x - size * 0.75) < 1.5
    colour = np.where(seam[..., None], colour * 0.85, colour)
    ex, ey = size * 0.375, size * 0.25          # v = 0.75 is a quarter down the picture
    de = np.sqrt((x + 0.5 - ex) ** 2 + (y + 0.5 - ey) ** 2)
    colour = np.where((de < 18)[..., None], (20, 18, 16), colour)
    dg = np.sqrt((x + 0.5 - ex + 5) ** 2 + (y + 0.5 - ey + 6) ** 2)
    colour = np.where((dg < 5)[..., None], (250, 250, 250), colour)
    return to_u8(colour)
