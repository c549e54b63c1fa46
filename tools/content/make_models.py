#!/usr/bin/python3
"""Builds the three game models in resources/models/.

  schoko.dae    the chocolate figure (about 180 units tall; the game draws it
                at scale 0.02, so 3.6 world units)
  milk.dae      the milk bottle power-up (about 1.6 units tall)
  umbrella.dae  the umbrella power-up (about 1.8 units tall)

Run from the repository root:  /usr/bin/python3 tools/content/make_models.py
The output is the same, byte for byte, on every run.

Figure conventions the game relies on:
  * The figure faces -Z (the game turns the player so that its +Z axis points
    back at the following camera); its right side is +X.
  * Its feet stand at y = 10. The character's collision cylinder reaches from
    0.2 to 3.8 world units above the player's origin at full life (centre 2.0,
    half height 1.8), so at scale 0.02 the cylinder's bottom, where it touches
    the ground, is at model height 10 and its top at 190.
  * "RightHand", "LeftHand", "RightLeg" and "LeftLeg" have their origins at the
    shoulder and hip joints and no rotation of their own, so a rotation about
    their local X axis swings the limb forwards and backwards.
  * "umbrella" is held in the right hand over the head; its shaft runs along
    the node's local Z axis, the axis the game spins it about.
"""

import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from collada_dae import Document, Material, Node  # noqa: E402
from collada_mesh import (Mesh, capsule, chain, ellipsoid, lathe, rotate,  # noqa: E402
                          translate, tube_path, cylinder)

OUT_DIR = os.path.join('resources', 'models')


# ---------------------------------------------------------------- umbrella

def umbrella_mesh(radius, height, canopy_mat, metal_mat, handle_mat, panels=8):
    """An upright umbrella along +Y with its handle at y = 0 and the tip at 'height'."""
    mesh = Mesh()
    top = height
    rim_y = height - 0.28 * radius
    # canopy: a dome whose panels sag a little between the ribs
    rings, per_panel = 7, 4
    seg = panels * per_panel

    def canopy_point(i, s, inset=0.0):
        t = i / rings  # 0 at the tip, 1 at the rim
        phi = t * math.radians(72.0)
        r = radius * math.sin(phi) / math.sin(math.radians(72.0))
        y = top - (top - rim_y) * (1.0 - math.cos(phi)) / (1.0 - math.cos(math.radians(72.0)))
        frac = (s % per_panel) / per_panel
        sag = math.sin(math.pi * frac) * 0.06 * radius * t
        r -= sag * 0.6
        y -= sag * 0.5
        if i == rings:  # scalloped rim: the edge curls up between ribs
            y += math.sin(math.pi * frac) * 0.05 * radius
        ang = 2.0 * math.pi * s / seg
        return (r * math.sin(ang), y - inset, -r * math.cos(ang))

    outer = mesh.part(canopy_mat)
    grid = [[canopy_point(i, s) for s in range(seg + 1)] for i in range(rings + 1)]
    normals = _grid_normals(grid)
    idx = [[outer.vertex(grid[i][s], normals[i][s], (s / per_panel / 2.0, 1.0 - i / rings))
            for s in range(seg + 1)] for i in range(rings + 1)]
    inner_idx = [[outer.vertex(canopy_point(i, s, inset=0.012 * radius), tuple(-c for c in normals[i][s]),
                               (s / per_panel / 2.0, 1.0 - i / rings))
                  for s in range(seg + 1)] for i in range(rings + 1)]
    for i in range(rings):
        for s in range(seg):
            a, b, c, d = idx[i][s], idx[i][s + 1], idx[i + 1][s + 1], idx[i + 1][s]
            if i > 0:
                outer.tri(a, b, c)
            outer.tri(a, c, d)
            a, b, c, d = inner_idx[i][s], inner_idx[i][s + 1], inner_idx[i + 1][s + 1], inner_idx[i + 1][s]
            if i > 0:
                outer.tri(a, c, b)
            outer.tri(a, d, c)
    # ribs under the canopy
    for p in range(panels):
        pts = [canopy_point(i, p * per_panel, inset=0.03 * radius) for i in range(1, rings + 1)]
        mesh.add(tube_path(metal_mat, pts, 0.012 * radius, segments=5))
    # shaft, tip and handle
    shaft_r = 0.025 * radius
    mesh.add(cylinder(metal_mat, shaft_r, 0.12 * height, top, segments=8))
    mesh.add(ellipsoid(metal_mat, (shaft_r * 1.6, shaft_r * 3.0, shaft_r * 1.6), rings=5, segments=8),
             translate(0.0, top + shaft_r * 1.5, 0.0))
    hook = []
    hr = 0.05 * height
    for k in range(9):
        a = math.pi * k / 8.0
        hook.append((hr * (1.0 - math.cos(a)), 0.12 * height - hr * math.sin(a), 0.0))
    mesh.add(tube_path(handle_mat, hook, shaft_r * 1.8, segments=8))
    return mesh


def _grid_normals(grid):
    rows, cols = len(grid), len(grid[0])
    out = []
    for i in range(rows):
        row = []
        for s in range(cols):
            p = grid[i][s]
            a = grid[min(i + 1, rows - 1)][s]
            b = grid[max(i - 1, 0)][s]
            c = grid[i][(s + 1) % (cols - 1)] if s < cols - 1 else grid[i][1]
            d = grid[i][(s - 1) % (cols - 1)]
            du = (c[0] - d[0], c[1] - d[1], c[2] - d[2])
            dv = (b[0] - a[0], b[1] - a[1], b[2] - a[2])
            n = (du[1] * dv[2] - du[2] * dv[1], du[2] * dv[0] - du[0] * dv[2], du[0] * dv[1] - du[1] * dv[0])
            if i == 0:
                n = (0.0, 1.0, 0.0)
            length = math.sqrt(sum(c * c for c in n)) or 1.0
            n = tuple(c / length for c in n)
            if n[1] < 0.0 and i == 0:
                n = (0.0, 1.0, 0.0)
            if n[0] * p[0] + n[2] * p[2] + n[1] * 0.2 < 0.0 and i > 0:
                n = tuple(-c for c in n)
            row.append(n)
        out.append(row)
    return out


# ---------------------------------------------------------------- figure

CHOC = 'chocolate'
EYE = 'eyewhite'
PUPIL = 'pupil'
DARK = 'darkchocolate'
WHITE = 'whitechocolate'
CANOPY = 'umbrellacloth'
METAL = 'umbrellametal'
HANDLE = 'umbrellahandle'


def figure_materials(doc):
    doc.material(Material(CHOC, texture='chocolate.jpg', ambient=(0.45, 0.45, 0.45),
                          specular=(0.55, 0.5, 0.45), shininess=40.0))
    doc.material(Material(EYE, diffuse=(0.97, 0.95, 0.9), ambient=(0.6, 0.6, 0.6),
                          specular=(0.8, 0.8, 0.8), shininess=80.0))
    doc.material(Material(PUPIL, diffuse=(0.07, 0.04, 0.03), ambient=(0.2, 0.2, 0.2),
                          specular=(0.9, 0.9, 0.9), shininess=90.0))
    doc.material(Material(DARK, diffuse=(0.22, 0.11, 0.06), ambient=(0.35, 0.35, 0.35),
                          specular=(0.4, 0.35, 0.3), shininess=40.0))
    doc.material(Material(WHITE, diffuse=(0.96, 0.9, 0.76), ambient=(0.5, 0.5, 0.5),
                          specular=(0.5, 0.5, 0.5), shininess=40.0))
    doc.material(Material(CANOPY, texture='umbrella.png', ambient=(0.5, 0.5, 0.5),
                          specular=(0.2, 0.2, 0.2), shininess=12.0))
    doc.material(Material(METAL, diffuse=(0.72, 0.72, 0.75), ambient=(0.4, 0.4, 0.4),
                          specular=(0.9, 0.9, 0.9), shininess=60.0))
    doc.material(Material(HANDLE, diffuse=(0.45, 0.25, 0.12), ambient=(0.4, 0.4, 0.4),
                          specular=(0.4, 0.4, 0.4), shininess=30.0))


FEET_Y = 10.0
HIP_Y = 80.0
HIP_X = 14.0
SHOULDER_Y = 122.0
SHOULDER_X = 23.0
HEAD_Y = 157.0
HEAD_R = (33.0, 31.0, 30.0)


def head_surface_z(x, y):
    """Front (-z) surface of the head ellipsoid at (x, y), in model units."""
    rx, ry, rz = HEAD_R
    q = 1.0 - (x / rx) ** 2 - ((y - HEAD_Y) / ry) ** 2
    return -rz * math.sqrt(max(q, 0.0))


def build_schoko():
    doc = Document('schoko')
    figure_materials(doc)
    root = doc.add(Node('schoko'))

    # torso: a soft egg from the hips to the neck
    torso = [(0.0, 66.0), (10.0, 67.5), (19.0, 71.0), (25.5, 77.0), (29.0, 85.0), (30.0, 94.0),
             (29.0, 104.0), (26.5, 113.0), (22.5, 121.0), (17.5, 127.0), (12.5, 131.0), (9.5, 135.0),
             (0.0, 137.0)]
    body = lathe(CHOC, [(r, y) for r, y in torso], 28, u_repeat=2.0)
    # white chocolate buttons down the front
    for y in (96.0, 110.0):
        z = -30.0 * math.sqrt(max(1.0 - ((y - 94.0) / 44.0) ** 2, 0.0)) + 1.2
        body.add(ellipsoid(WHITE, (3.6, 3.6, 2.0), rings=6, segments=10), translate(0.0, y, z))
    root.add(Node('Body', mesh=body))

    # head with eyes and a smile
    head = ellipsoid(CHOC, HEAD_R, rings=16, segments=28, u_repeat=2.0)
    head_local = Mesh().add(head, translate(0.0, 0.0, 0.0))
    for side in (-1.0, 1.0):
        ex, ey = 11.5 * side, HEAD_Y + 5.0
        ez = head_surface_z(ex, ey)
        eye = ellipsoid(EYE, (7.0, 9.0, 4.0), rings=8, segments=14)
        head_local.add(eye, chain(translate(ex, ey - HEAD_Y, ez + 1.6), rotate('y', -12.0 * side)))
        pupil = ellipsoid(PUPIL, (3.6, 4.8, 2.2), rings=6, segments=12)
        head_local.add(pupil, translate(ex + 0.6 * side, ey - 1.0 - HEAD_Y, ez - 1.6))
        shine = ellipsoid(EYE, (1.2, 1.4, 0.8), rings=4, segments=8)
        head_local.add(shine, translate(ex + 1.8 * side, ey + 1.2 - HEAD_Y, ez - 3.2))
        cheek = ellipsoid(DARK, (4.5, 3.0, 1.2), rings=5, segments=10)
        cx, cy = 20.0 * side, HEAD_Y - 6.0
        head_local.add(cheek, translate(cx, cy - HEAD_Y, head_surface_z(cx, cy) + 0.6))
    smile = []
    for k in range(9):
        a = math.radians(-55.0 + 110.0 * k / 8.0)
        x = 8.5 * math.sin(a)
        y = HEAD_Y - 9.0 - 4.5 * math.cos(a)
        smile.append((x, y - HEAD_Y, head_surface_z(x, y) - 0.4))
    head_local.add(tube_path(DARK, smile, 1.5, segments=6))
    root.add(Node('Head', translate(0.0, HEAD_Y, 0.0), mesh=head_local))

    # arms: origin at the shoulder joint, the arm hangs down and a little outwards
    for name, side in (('RightHand', 1.0), ('LeftHand', -1.0)):
        arm = Mesh()
        tilt = rotate('z', 9.0 * side)
        arm.add(capsule(CHOC, 7.5, 46.0, rings=5, segments=14), tilt)
        arm.add(ellipsoid(CHOC, (9.5, 9.0, 9.0), rings=8, segments=14), chain(tilt, translate(0.0, -46.0, 0.0)))
        thumb = ellipsoid(CHOC, (3.5, 5.0, 3.5), rings=5, segments=8)
        arm.add(thumb, chain(tilt, translate(-4.0 * side, -42.0, -7.5)))
        root.add(Node(name, translate(SHOULDER_X * side, SHOULDER_Y, 0.0), mesh=arm))

    # legs: origin at the hip joint; the foot points forwards (-z)
    for name, side in (('RightLeg', 1.0), ('LeftLeg', -1.0)):
        leg = Mesh()
        length = HIP_Y - FEET_Y - 8.0
        leg.add(capsule(CHOC, 10.0, length, rings=5, segments=14))
        foot = ellipsoid(CHOC, (11.0, 8.0, 16.0), rings=8, segments=14)
        # the foot's lowest point sits exactly on FEET_Y
        leg.add(foot, translate(0.0, FEET_Y + 8.0 - HIP_Y, -5.0))
        root.add(Node(name, translate(HIP_X * side, HIP_Y, 0.0), mesh=leg))

    # the umbrella, held in the right hand's rest position; its shaft runs along local +Z
    hand_x = SHOULDER_X + 46.0 * math.sin(math.radians(9.0))
    hand_y = SHOULDER_Y - 46.0 * math.cos(math.radians(9.0))
    umb = umbrella_mesh(62.0, 230.0 - hand_y + 12.0, CANOPY, METAL, HANDLE)
    umb_local = Mesh().add(umb, chain(rotate('x', 90.0), translate(0.0, -12.0, 0.0)))
    root.add(Node('umbrella', chain(translate(hand_x, hand_y, 0.0), rotate('x', -90.0)), mesh=umb_local))
    return doc


# ---------------------------------------------------------------- power-ups

def build_milk():
    doc = Document('milk')
    doc.material(Material('milkbottle', texture='milk.png', ambient=(0.55, 0.55, 0.55),
                          specular=(0.7, 0.7, 0.7), shininess=70.0))
    doc.material(Material('milkcap', diffuse=(0.15, 0.35, 0.85), ambient=(0.45, 0.45, 0.45),
                          specular=(0.8, 0.8, 0.8), shininess=60.0))
    # classic milk bottle, centred on its own origin
    profile = [(0.0, -0.78), (0.30, -0.78), (0.36, -0.74), (0.38, -0.66), (0.38, 0.05), (0.36, 0.18),
               (0.30, 0.32), (0.22, 0.44), (0.18, 0.54), (0.18, 0.60)]
    bottle = lathe('milkbottle', profile, 24, cap_bottom=False)
    bottle.add(lathe('milkcap', [(0.0, 0.78), (0.16, 0.78), (0.2, 0.74), (0.21, 0.66), (0.2, 0.58)][::-1],
                     24))
    root = doc.add(Node('milk'))
    root.add(Node('MilkBottle', mesh=bottle))
    return doc


def build_umbrella():
    doc = Document('umbrella')
    doc.material(Material(CANOPY, texture='umbrella.png', ambient=(0.5, 0.5, 0.5),
                          specular=(0.2, 0.2, 0.2), shininess=12.0))
    doc.material(Material(METAL, diffuse=(0.72, 0.72, 0.75), ambient=(0.4, 0.4, 0.4),
                          specular=(0.9, 0.9, 0.9), shininess=60.0))
    doc.material(Material(HANDLE, diffuse=(0.45, 0.25, 0.12), ambient=(0.4, 0.4, 0.4),
                          specular=(0.4, 0.4, 0.4), shininess=30.0))
    mesh = umbrella_mesh(0.8, 1.8, CANOPY, METAL, HANDLE)
    root = doc.add(Node('umbrella_powerup'))
    root.add(Node('UmbrellaModel', translate(0.0, -0.9, 0.0), mesh=mesh))
    return doc


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    for name, builder in (('schoko.dae', build_schoko), ('milk.dae', build_milk), ('umbrella.dae', build_umbrella)):
        doc = builder()
        path = os.path.join(OUT_DIR, name)
        doc.write(path)
        print('wrote', path)


if __name__ == '__main__':
    main()
