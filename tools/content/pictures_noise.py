"""Noise and image helpers for the picture generator.

Everything here is deterministic: every random source takes an explicit seed,
and the tileable fields are periodic over the whole image so that textures
repeat without seams.
"""

import numpy as np


def rng(seed):
    return np.random.RandomState(seed)


def normalise(a):
    lo = float(a.min())
    hi = float(a.max())
    if hi - lo < 1e-12:
        return np.zeros_like(a)
    return (a - lo) / (hi - lo)


def spectral_noise(h, w, seed, beta=1.0, low=1.0, high=None, aniso=(1.0, 1.0)):
    """Periodic fractal noise made by shaping white noise in Fourier space.

    beta is the slope of the amplitude spectrum (1/f^beta); low and high cut
    the frequency band in cycles per tile.  aniso scales the frequency along
    (y, x) so that streaky fields (grain, brushed metal) come out naturally.
    Result is normalised to 0..1.
    """
    white = rng(seed).standard_normal((h, w))
    fy = np.fft.fftfreq(h) * h * aniso[0]
    fx = np.fft.fftfreq(w) * w * aniso[1]
    f = np.sqrt(fy[:, None] ** 2 + fx[None, :] ** 2)
    amp = np.zeros_like(f)
    band = f >= low
    if high is not None:
        band &= f <= high
    amp[band] = 1.0 / np.power(f[band], beta)
    field = np.real(np.fft.ifft2(np.fft.fft2(white) * amp))
    return normalise(field)


def _smooth(t):
    return t * t * (3.0 - 2.0 * t)


def value_noise(h, w, cells_y, cells_x, seed):
    """Periodic value noise with cells_y x cells_x lattice cells per tile."""
    lattice = rng(seed).random_sample((cells_y, cells_x))
    y = (np.arange(h) + 0.5) / h * cells_y
    x = (np.arange(w) + 0.5) / w * cells_x
    y0 = np.floor(y).astype(int)
    x0 = np.floor(x).astype(int)
    ty = _smooth(y - y0)[:, None]
    tx = _smooth(x - x0)[None, :]
    y0m = y0 % cells_y
    y1m = (y0 + 1) % cells_y
    x0m = x0 % cells_x
    x1m = (x0 + 1) % cells_x
    a = lattice[np.ix_(y0m, x0m)]
    b = lattice[np.ix_(y0m, x1m)]
    c = lattice[np.ix_(y1m, x0m)]
    d = lattice[np.ix_(y1m, x1m)]
    return (a * (1 - tx) + b * tx) * (1 - ty) + (c * (1 - tx) + d * tx) * ty


def fbm(h, w, base_y, base_x, octaves, seed, gain=0.5):
    """Sum of periodic value-noise octaves, normalised to 0..1."""
    total = np.zeros((h, w))
    amp = 1.0
    for o in range(octaves):
        total += amp * value_noise(h, w, base_y << o, base_x << o, seed + 101 * o)
        amp *= gain
    return normalise(total)


def worley(h, w, cells_y, cells_x, seed, jitter=0.85):
    """Periodic cellular noise.

    Returns (f1, f2, cell_id) in pixel units: the distance to the nearest and
    second nearest feature point and the index of the nearest point's cell.
    One feature point per lattice cell, wrapped at the tile edges.
    """
    r = rng(seed)
    off = 0.5 + (r.random_sample((cells_y, cells_x, 2)) - 0.5) * jitter
    ch = h / cells_y
    cw = w / cells_x
    yy = (np.arange(h) + 0.5)[:, None] * np.ones((1, w))
    xx = (np.arange(w) + 0.5)[None, :] * np.ones((h, 1))
    cy = np.floor(yy / ch).astype(int)
    cx = np.floor(xx / cw).astype(int)
    f1 = np.full((h, w), 1e9)
    f2 = np.full((h, w), 1e9)
    ids = np.zeros((h, w), dtype=int)
    for dy in (-1, 0, 1):
        for dx in (-1, 0, 1):
            ny = cy + dy
            nx = cx + dx
            my = ny % cells_y
            mx = nx % cells_x
            py = (ny + off[my, mx, 0]) * ch
            px = (nx + off[my, mx, 1]) * cw
            d = np.sqrt((yy - py) ** 2 + (xx - px) ** 2)
            cid = my * cells_x + mx
            closer = d < f1
            f2 = np.where(closer, f1, np.minimum(f2, d))
            ids = np.where(closer, cid, ids)
            f1 = np.where(closer, d, f1)
    return f1, f2, ids


def blur_periodic(a, radius):
    """Gaussian blur with wrap-around, done in Fourier space (keeps tiling)."""
    if radius <= 0:
        return a
    h, w = a.shape
    fy = np.fft.fftfreq(h)
    fx = np.fft.fftfreq(w)
    g = np.exp(-2.0 * (np.pi * radius) ** 2 * (fy[:, None] ** 2 + fx[None, :] ** 2))
    return np.real(np.fft.ifft2(np.fft.fft2(a) * g))


def normal_map(height, strength):
    """Tangent-space normals from a periodic height field.

    Image rows run top to bottom, while the game samples with the origin at
    the lower left, so +v (the bitangent) points up the picture.  The result
    is the usual RGB = n * 0.5 + 0.5 encoding (green = up).
    """
    dhdx = (np.roll(height, -1, axis=1) - np.roll(height, 1, axis=1)) * 0.5
    dhdrow = (np.roll(height, -1, axis=0) - np.roll(height, 1, axis=0)) * 0.5
    nx = -dhdx * strength
    ny = dhdrow * strength          # d/dv = -d/drow
    nz = np.ones_like(height)
    length = np.sqrt(nx * nx + ny * ny + nz * nz)
    n = np.stack([nx / length, ny / length, nz / length], axis=-1)
    return np.clip(np.round((n * 0.5 + 0.5) * 255.0), 0, 255).astype(np.uint8)


def to_u8(rgb):
    return np.clip(np.round(rgb), 0, 255).astype(np.uint8)


def mix(c0, c1, t):
    """Blend two colours (or colour fields) by a scalar field t of shape (h, w)."""
    c0 = np.asarray(c0, dtype=float)
    c1 = np.asarray(c1, dtype=float)
    t = np.asarray(t, dtype=float)[..., None]
    return c0 + (c1 - c0) * t


def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)
