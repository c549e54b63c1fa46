"""The sky box: six cube-map faces sampled from one sky function of direction.

The game decodes every picture with the origin at the lower left, so the
first row it hands to OpenGL is the bottom row of the file, and that row
becomes t = 0 of the face.  The faces here are laid out for the plain
OpenGL cube-map lookup with the world direction (x right, y up, z towards
the viewer), in the order +X, -X, +Y, -Y, +Z, -Z (sky1 .. sky6).  Every
texel is the sky function evaluated at the direction through its centre, so
neighbouring faces meet without seams.  (Viewed as ordinary pictures the
side faces therefore look upside down: that is what the lookup expects.)
"""

import numpy as np

from pictures_noise import rng, smoothstep, mix, to_u8


def face_directions(face, n):
    """Directions through the texel centres of one face, indexed [row, col]
    where row 0 is the first row OpenGL receives (t = 0)."""
    t = (np.arange(n) + 0.5) / n
    s = (np.arange(n) + 0.5) / n
    b = (2 * t - 1)[:, None] * np.ones((1, n))
    a = (2 * s - 1)[None, :] * np.ones((n, 1))
    one = np.ones((n, n))
    if face == 0:
        d = (one, -b, -a)
    elif face == 1:
        d = (-one, -b, a)
    elif face == 2:
        d = (a, one, b)
    elif face == 3:
        d = (a, -one, -b)
    elif face == 4:
        d = (a, -b, one)
    else:
        d = (-a, -b, -one)
    d = np.stack(d, axis=-1)
    return d / np.linalg.norm(d, axis=-1, keepdims=True)


class PlaneNoise:
    """Value noise at arbitrary points of the plane (lattice wraps at 256)."""

    def __init__(self, seed, size=256):
        self.size = size
        self.lattice = rng(seed).random_sample((size, size))

    def sample(self, x, y):
        n = self.size
        x0 = np.floor(x)
        y0 = np.floor(y)
        tx = x - x0
        ty = y - y0
        tx = tx * tx * (3 - 2 * tx)
        ty = ty * ty * (3 - 2 * ty)
        xi = x0.astype(np.int64) % n
        yi = y0.astype(np.int64) % n
        xj = (xi + 1) % n
        yj = (yi + 1) % n
        L = self.lattice
        top = L[yi, xi] * (1 - tx) + L[yi, xj] * tx
        bot = L[yj, xi] * (1 - tx) + L[yj, xj] * tx
        return top * (1 - ty) + bot * ty

    def fbm(self, x, y, octaves, gain=0.5):
        total = 0.0
        amp = 1.0
        norm = 0.0
        for o in range(octaves):
            # rotate each octave a little so the lattice does not line up
            ang = 0.7 * o
            c, s = np.cos(ang), np.sin(ang)
            xr = (x * c - y * s) * (2 ** o) + 17.3 * o
            yr = (x * s + y * c) * (2 ** o) + 5.1 * o
            total = total + amp * self.sample(xr, yr)
            norm += amp
            amp *= gain
        return total / norm


def sky_colour(d, clouds, hills_noise):
    x, y, z = d[..., 0], d[..., 1], d[..., 2]
    pix = 2.0 / 512.0            # about one texel of angle, for soft edges

    # -------- sky above the horizon
    e = np.clip(y, 0.0, 1.0)
    zenith = np.array([46, 104, 196], float)
    mid = np.array([104, 162, 226], float)
    horizon = np.array([206, 226, 240], float)
    sky = mix(horizon, mid, smoothstep(0.0, 0.35, e))
    sky = mix(sky, zenith, smoothstep(0.25, 1.0, e))

    # soft cumulus on a plane above the viewer
    h = np.maximum(y, 0.02) + 0.08
    px = x / h * 2.6
    pz = z / h * 2.6
    dens = clouds.fbm(px + 40.0, pz + 40.0, 6)
    dens = dens + 0.05 * clouds.fbm(px * 0.25 + 90.0, pz * 0.25 + 10.0, 2)
    cover = smoothstep(0.6, 0.76, dens)
    thick = smoothstep(0.64, 0.88, dens)
    cover *= smoothstep(0.04, 0.3, y)            # thin out towards the horizon
    cloud_col = mix((255, 255, 255), (184, 196, 214), thick * 0.8)
    sky = mix(sky, cloud_col, cover * 0.92)

    # -------- distant hills and the ground below the horizon
    az = np.arctan2(z, x)
    ridge = 0.0
    for k, (amp, freq) in enumerate(((0.036, 3), (0.024, 7), (0.01, 13), (0.004, 29))):
        ridge = ridge + amp * (0.5 + 0.5 * np.sin(freq * az + hills_noise[k]))
    horiz_len = np.sqrt(x * x + z * z) + 1e-9
    elev = np.arctan2(y, horiz_len)
    hill_mask = 1.0 - smoothstep(ridge - pix, ridge + pix, elev)
    hill_col = mix((150, 176, 172), (118, 150, 126), smoothstep(ridge, ridge - 0.03, elev))
    col = mix(sky, hill_col, hill_mask)

    ground_mask = 1.0 - smoothstep(-pix, pix, elev)
    ground_col = mix((126, 146, 112), (84, 104, 62), smoothstep(0.0, -0.4, elev))
    ground_col = mix(ground_col, (70, 84, 50), smoothstep(-0.4, -1.0, elev))
    gh = np.maximum(-y, 0.02) + 0.05
    fields = clouds.fbm(x / gh * 1.5 + 130.0, z / gh * 1.5 + 70.0, 4)
    ground_col = ground_col * (0.9 + 0.2 * fields[..., None] * smoothstep(0.0, -0.2, elev)[..., None])
    col = mix(col, ground_col, ground_mask)
    return col


def sky_faces(n=512, seed=2024):
    clouds = PlaneNoise(seed)
    phases = rng(seed + 1).random_sample(4) * 2 * np.pi
    faces = []
    for face in range(6):
        d = face_directions(face, n)
        col = sky_colour(d, clouds, phases)
        # row 0 here is t = 0, which the game reads from the bottom of the file
        faces.append(to_u8(col[::-1]))
    return faces
