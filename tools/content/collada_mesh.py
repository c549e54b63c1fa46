"""Procedural triangle meshes for the Collada writer.

A Mesh is a list of parts; each part has one material and its own vertex
arrays (position, normal, texture coordinate) and triangle index list.
Everything is plain Python floats so that the written files do not depend
on numpy's printing or on the machine.
"""

import math


def _sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def _cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def _norm(a):
    length = math.sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2])
    if length < 1e-12:
        return (0.0, 1.0, 0.0)
    return (a[0] / length, a[1] / length, a[2] / length)


# ---------------------------------------------------------------- matrices
# 4x4 matrices are row-major lists of 16 floats, as Collada writes them:
# a point p is transformed as M * (p, 1) with the translation in column 3.

def identity():
    return [1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0]


def mat_mul(a, b):
    out = [0.0] * 16
    for r in range(4):
        for c in range(4):
            out[r * 4 + c] = sum(a[r * 4 + k] * b[k * 4 + c] for k in range(4))
    return out


def translate(x, y, z):
    m = identity()
    m[3], m[7], m[11] = float(x), float(y), float(z)
    return m


def scale(x, y=None, z=None):
    if y is None:
        y = z = x
    m = identity()
    m[0], m[5], m[10] = float(x), float(y), float(z)
    return m


def rotate(axis, degrees):
    """Right-handed rotation about 'x', 'y' or 'z'."""
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    m = identity()
    if axis == 'x':
        m[5], m[6], m[9], m[10] = c, -s, s, c
    elif axis == 'y':
        m[0], m[2], m[8], m[10] = c, s, -s, c
    else:
        m[0], m[1], m[4], m[5] = c, -s, s, c
    return m


def chain(*mats):
    out = identity()
    for m in mats:
        out = mat_mul(out, m)
    return out


def xform_point(m, p):
    return (m[0] * p[0] + m[1] * p[1] + m[2] * p[2] + m[3],
            m[4] * p[0] + m[5] * p[1] + m[6] * p[2] + m[7],
            m[8] * p[0] + m[9] * p[1] + m[10] * p[2] + m[11])


def xform_normal(m, n):
    # Inverse transpose of the upper 3x3; the meshes only use rotations and
    # scales, for which the cofactor matrix gives the right direction.
    a, b, c = m[0], m[1], m[2]
    d, e, f = m[4], m[5], m[6]
    g, h, i = m[8], m[9], m[10]
    cof = (e * i - f * h, f * g - d * i, d * h - e * g,
           c * h - b * i, a * i - c * g, b * g - a * h,
           b * f - c * e, c * d - a * f, a * e - b * d)
    return _norm((cof[0] * n[0] + cof[3] * n[1] + cof[6] * n[2],
                  cof[1] * n[0] + cof[4] * n[1] + cof[7] * n[2],
                  cof[2] * n[0] + cof[5] * n[1] + cof[8] * n[2]))


# ---------------------------------------------------------------- mesh data

class Part:
    def __init__(self, material):
        self.material = material
        self.pos = []
        self.nrm = []
        self.uv = []
        self.tris = []

    def vertex(self, p, n, uv):
        self.pos.append((float(p[0]), float(p[1]), float(p[2])))
        self.nrm.append(_norm(n))
        self.uv.append((float(uv[0]), float(uv[1])))
        return len(self.pos) - 1

    def tri(self, a, b, c):
        self.tris.append((a, b, c))


class Mesh:
    """Parts keyed by material name, in the order the materials first appear."""

    def __init__(self):
        self.parts = []

    def part(self, material):
        for p in self.parts:
            if p.material == material:
                return p
        p = Part(material)
        self.parts.append(p)
        return p

    def add(self, other, matrix=None):
        """Append another mesh, optionally transformed."""
        for src in other.parts:
            dst = self.part(src.material)
            base = len(dst.pos)
            for p, n, uv in zip(src.pos, src.nrm, src.uv):
                if matrix is not None:
                    p = xform_point(matrix, p)
                    n = xform_normal(matrix, n)
                dst.vertex(p, n, uv)
            for a, b, c in src.tris:
                dst.tri(a + base, b + base, c + base)
        return self

    def triangle_count(self):
        return sum(len(p.tris) for p in self.parts)

    def bounds(self):
        pts = [p for part in self.parts for p in part.pos]
        lo = tuple(min(p[i] for p in pts) for i in range(3))
        hi = tuple(max(p[i] for p in pts) for i in range(3))
        return lo, hi


# ---------------------------------------------------------------- primitives

def quad(mesh, material, corners, uvs, normal=None):
    """One planar quad, corners counter-clockwise seen from the front."""
    part = mesh.part(material)
    if normal is None:
        normal = _cross(_sub(corners[1], corners[0]), _sub(corners[2], corners[0]))
    idx = [part.vertex(c, normal, uv) for c, uv in zip(corners, uvs)]
    part.tri(idx[0], idx[1], idx[2])
    part.tri(idx[0], idx[2], idx[3])


def box(material, lo, hi, tile=None, faces='xXyYzZ', uv_origin=(0.0, 0.0, 0.0)):
    """Axis-aligned box from lo to hi.

    tile: texture repeat length in world units (None maps each face 0..1).
    faces: which faces to build: x/X = -x/+x, y/Y = -y/+y, z/Z = -z/+z.
    Texture coordinates are taken from world positions so that neighbouring
    boxes continue the pattern.
    """
    mesh = Mesh()
    x0, y0, z0 = lo
    x1, y1, z1 = hi
    ox, oy, oz = uv_origin

    def uv(a, b, a0, a1, b0, b1):
        if tile is None:
            return ((a - a0) / (a1 - a0), (b - b0) / (b1 - b0))
        return (a / tile, b / tile)

    specs = {
        'X': ([(x1, y0, z1), (x1, y0, z0), (x1, y1, z0), (x1, y1, z1)], lambda p: uv(-(p[2] - oz), p[1] - oy, -z1 + oz, -z0 + oz, y0 - oy, y1 - oy)),
        'x': ([(x0, y0, z0), (x0, y0, z1), (x0, y1, z1), (x0, y1, z0)], lambda p: uv(p[2] - oz, p[1] - oy, z0 - oz, z1 - oz, y0 - oy, y1 - oy)),
        'Y': ([(x0, y1, z1), (x1, y1, z1), (x1, y1, z0), (x0, y1, z0)], lambda p: uv(p[0] - ox, -(p[2] - oz), x0 - ox, x1 - ox, -z1 + oz, -z0 + oz)),
        'y': ([(x0, y0, z0), (x1, y0, z0), (x1, y0, z1), (x0, y0, z1)], lambda p: uv(p[0] - ox, p[2] - oz, x0 - ox, x1 - ox, z0 - oz, z1 - oz)),
        'Z': ([(x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)], lambda p: uv(p[0] - ox, p[1] - oy, x0 - ox, x1 - ox, y0 - oy, y1 - oy)),
        'z': ([(x1, y0, z0), (x0, y0, z0), (x0, y1, z0), (x1, y1, z0)], lambda p: uv(-(p[0] - ox), p[1] - oy, -x1 + ox, -x0 + ox, y0 - oy, y1 - oy)),
    }
    for f in 'xXyYzZ':
        if f in faces:
            corners, fn = specs[f]
            quad(mesh, material, corners, [fn(c) for c in corners])
    return mesh


def lathe(material, profile, segments, u_repeat=1.0, v_range=None, cap_bottom=False, cap_top=False):
    """Surface of revolution about the Y axis.

    profile: list of (radius, y) from bottom to top. Normals are smooth,
    computed from the profile's slope; u runs once (times u_repeat) around,
    v along the profile's arc length.
    """
    mesh = Mesh()
    part = mesh.part(material)
    n = len(profile)
    # arc length for v
    arc = [0.0]
    for i in range(1, n):
        dr = profile[i][0] - profile[i - 1][0]
        dy = profile[i][1] - profile[i - 1][1]
        arc.append(arc[-1] + math.hypot(dr, dy))
    total = arc[-1] if arc[-1] > 0 else 1.0
    v0, v1 = v_range if v_range else (0.0, 1.0)
    # profile normals (in the r-y plane), averaged over neighbouring segments
    pn = []
    for i in range(n):
        a = profile[max(i - 1, 0)]
        b = profile[min(i + 1, n - 1)]
        dr, dy = b[0] - a[0], b[1] - a[1]
        length = math.hypot(dr, dy) or 1.0
        pn.append((dy / length, -dr / length))  # outward normal (r, y)
    rows = []
    for i, (r, y) in enumerate(profile):
        row = []
        for s in range(segments + 1):
            t = s / segments
            ang = 2.0 * math.pi * t
            # angle 0 points along -z (the front of a model); x follows the right-hand rule
            cx, cz = math.sin(ang), -math.cos(ang)
            nr, ny = pn[i]
            if r <= 1e-9 and abs(ny) > 0.99:
                nrm = (0.0, ny, 0.0)
            else:
                nrm = (nr * cx, ny, nr * cz)
            row.append(part.vertex((r * cx, y, r * cz), nrm, (t * u_repeat, v0 + (v1 - v0) * arc[i] / total)))
        rows.append(row)
    for i in range(n - 1):
        for s in range(segments):
            a, b = rows[i][s], rows[i][s + 1]
            c, d = rows[i + 1][s + 1], rows[i + 1][s]
            # skip degenerate triangles at poles
            if profile[i][0] > 1e-9:
                part.tri(a, c, b)
            if profile[i + 1][0] > 1e-9:
                part.tri(a, d, c)
    for cap, (r, y), ny in ((cap_bottom, profile[0], -1.0), (cap_top, profile[-1], 1.0)):
        if not cap or r <= 1e-9:
            continue
        centre = part.vertex((0.0, y, 0.0), (0.0, ny, 0.0), (0.5, 0.5))
        ring = []
        for s in range(segments + 1):
            ang = 2.0 * math.pi * s / segments
            cx, cz = math.sin(ang), -math.cos(ang)
            ring.append(part.vertex((r * cx, y, r * cz), (0.0, ny, 0.0), (0.5 + 0.5 * cx, 0.5 - 0.5 * cz)))
        for s in range(segments):
            if ny > 0:
                part.tri(centre, ring[s + 1], ring[s])
            else:
                part.tri(centre, ring[s], ring[s + 1])
    return mesh


def ellipsoid(material, radii, rings=12, segments=20, u_repeat=1.0):
    rx, ry, rz = radii
    profile = []
    for i in range(rings + 1):
        phi = math.pi * i / rings - math.pi / 2.0
        profile.append((math.cos(phi), math.sin(phi)))
    unit = lathe(material, profile, segments, u_repeat=u_repeat)
    return Mesh().add(unit, scale(rx, ry, rz))


def capsule(material, radius, length, rings=6, segments=16, u_repeat=1.0):
    """Capsule along Y from y = 0 down to y = -length (a hanging limb)."""
    profile = []
    for i in range(rings + 1):  # bottom hemisphere
        phi = -math.pi / 2.0 + (math.pi / 2.0) * i / rings
        profile.append((radius * math.cos(phi), -length + radius + radius * math.sin(phi)))
    for i in range(rings + 1):  # top hemisphere
        phi = (math.pi / 2.0) * i / rings
        profile.append((radius * math.cos(phi), -radius + radius * math.sin(phi)))
    return lathe(material, profile, segments, u_repeat=u_repeat)


def cylinder(material, radius, y0, y1, segments=16, caps=True, u_repeat=1.0):
    return lathe(material, [(radius, y0), (radius, y1)], segments, u_repeat=u_repeat,
                 cap_bottom=caps, cap_top=caps)


def tube_path(material, points, radius, segments=8):
    """A round tube along a polyline (used for small details such as a smile)."""
    mesh = Mesh()
    part = mesh.part(material)
    rings = []
    for i, p in enumerate(points):
        a = points[max(i - 1, 0)]
        b = points[min(i + 1, len(points) - 1)]
        t = _norm(_sub(b, a))
        ref = (0.0, 0.0, 1.0) if abs(t[2]) < 0.9 else (1.0, 0.0, 0.0)
        u = _norm(_cross(t, ref))
        v = _cross(t, u)
        ring = []
        for s in range(segments + 1):
            ang = 2.0 * math.pi * s / segments
            d = (u[0] * math.cos(ang) + v[0] * math.sin(ang),
                 u[1] * math.cos(ang) + v[1] * math.sin(ang),
                 u[2] * math.cos(ang) + v[2] * math.sin(ang))
            ring.append(part.vertex((p[0] + radius * d[0], p[1] + radius * d[1], p[2] + radius * d[2]), d,
                                    (s / segments, i / max(len(points) - 1, 1))))
        rings.append(ring)
    for i in range(len(points) - 1):
        for s in range(segments):
            a, b = rings[i][s], rings[i][s + 1]
            c, d = rings[i + 1][s + 1], rings[i + 1][s]
            part.tri(a, b, c)
            part.tri(a, c, d)
    # round the ends
    for end, sign in ((0, -1.0), (len(points) - 1, 1.0)):
        cap = ellipsoid(material, (radius, radius, radius), rings=4, segments=segments)
        mesh.add(cap, translate(*points[end]))
    return mesh


def flip_winding(mesh):
    for part in mesh.parts:
        part.tris = [(a, c, b) for a, b, c in part.tris]
        part.nrm = [(-n[0], -n[1], -n[2]) for n in part.nrm]
    return mesh
