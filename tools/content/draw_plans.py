#!/usr/bin/python3
"""Draws a top-down plan of every level and checks that it can be played.

  /usr/bin/python3 tools/content/draw_plans.py [resources/levels/levelN.dae ...]

writes plans/levelN.png (the folder is ignored by git) and prints a short
report per level. The plan shows floors, walls and roofs, the shade that the
level's sun casts on a player standing at each spot, the start, the end
trigger, kill volumes, power-ups, physics crates, invisible (CLIP) walls and
decoration without collision (NOCLIP).

How the shade is worked out mirrors the game: the player's sun test casts
eight rays towards the sun from the corners of its bounding box (bottom
corners 0.5 above its feet, top corners 0.5 below the top of its head) and
counts the rays that hit solid level geometry (static meshes, CLIP walls and
physics bodies; NOCLIP decoration casts no shade). Full sun costs 1/20 of the
player's life per second, and the player walks 8 units per second, so one
unit walked in full sun costs 1/160 of a life.

The report gives, from the start to the end trigger:
  * the least-sun route and the life it costs (power-ups not used),
  * the best order of power-ups (milk refills life, an umbrella protects for
    22 s, about 176 units of walking) and the lowest life on the way,
  * the shortest route, as a careless player would walk it, and its cost.
Walking is modelled on a grid: the player steps up at most 0.35 units, needs
3.6 units of head room and keeps 0.5 units from walls; physics crates stay
where the level puts them.
"""

import heapq
import itertools
import math
import os
import sys

import numpy as np
from PIL import Image, ImageDraw, ImageFont

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from collada_read import Scene  # noqa: E402

CELL = 0.6                 # walking grid, world units
SHADOW_RES = 0.12          # light-space shadow map texel size
PLAYER_RADIUS = 0.5        # collision cylinder
PROBE_HALF = 0.8           # half width of the player's bounding box (arms)
PROBE_LOW, PROBE_HIGH = 0.5, 3.06   # probe heights above the floor at full life
HEADROOM = 3.7
STEP = 0.35
WALK_SPEED = 8.0
DAMAGE_PER_SECOND = 0.05
UMBRELLA_SECONDS = 22.0
PX = 5.0                   # pixels per world unit in the picture (3 pixels per grid cell)


# ---------------------------------------------------------------- reading
class LevelScene:
    def __init__(self, path):
        self.path = path
        sc = Scene(path)
        self.scene = sc
        self.start = None
        self.sun_dir = np.array([0.0, -1.0, 0.0])
        self.powerups = []         # (kind, number, pos)
        self.triggers = []         # (type, name, tris)
        self.dynamic = []          # (name, tris)
        self.solid = []            # (name, tris, kind) kind: static/normal/clip
        self.noclip = []
        self.pu_objects = []
        self.floor_materials = []  # (tris, colour)
        for node in sc.nodes:
            name = node.name
            if name == 'TAVO_START':
                self.start = node.position
                continue
            if name == 'TAVO_SUN':
                d = node.world[:3, :3] @ np.array([0.0, 0.0, -1.0])
                self.sun_dir = d / np.linalg.norm(d)
                continue
            if name.startswith('POWERUP_MILK') or name.startswith('POWERUP_UMBRELLA'):
                tail = name.rsplit('_', 1)[-1]
                try:
                    number = int(tail)
                except ValueError:
                    number = 0
                self.powerups.append(('milk' if name.startswith('POWERUP_MILK') else 'umbrella', number, node.position))
                continue
            if not node.parts:
                continue
            tris = node.triangles()
            if name.startswith('TRIGGER'):
                self.triggers.append((name.split('_', 1)[0], name, tris))
                continue
            if name.startswith('PU_'):
                self.pu_objects.append((name, tris))
            first = node.parts[0][0]
            normal_mapped = bool(sc.materials.get(first, {}).get('normal'))
            if name.startswith('PHYS'):
                self.dynamic.append((name, tris))
            elif normal_mapped:
                self.solid.append((name, tris, 'normal'))
            elif name.startswith('CLIP'):
                self.solid.append((name, tris, 'clip'))
            elif name.startswith('NOCLIP'):
                self.noclip.append((name, tris))
            else:
                self.solid.append((name, tris, 'static'))
            if not name.startswith('CLIP'):
                for mat, t, _n in node.parts:
                    self.floor_materials.append((t, _colour_of(sc.materials.get(mat, {}))))
        self.all_solid = [t for _n, t, _k in self.solid] + [t for _n, t in self.dynamic]


def _colour_of(info):
    tex = (info.get('diffuse') or '').lower()
    table = {'grass': (96, 150, 70), 'sand': (222, 204, 150), 'floor07b': (190, 170, 150), 'floor07': (178, 176, 170),
             'brick': (160, 88, 70), 'stone': (150, 148, 140), 'roof': (150, 70, 60), 'wood': (150, 110, 70),
             'crate': (170, 130, 80), 'metal': (150, 155, 165), 'duck': (240, 210, 40)}
    for key, col in table.items():
        if key in tex:
            return col
    c = info.get('color', (0.7, 0.7, 0.7))
    return tuple(int(255 * v) for v in c)


# ---------------------------------------------------------------- grids
def _raster_cells(tri2, x0, z0, nx, nz, cell, pad=0.0):
    """Cells (ix, iz) whose centres lie inside the 2D triangle grown by pad;
    returns index arrays and barycentric weights (for pad 0)."""
    lo = tri2.min(axis=0) - pad
    hi = tri2.max(axis=0) + pad
    ix0 = max(int(math.floor((lo[0] - x0) / cell)), 0)
    iz0 = max(int(math.floor((lo[1] - z0) / cell)), 0)
    ix1 = min(int(math.ceil((hi[0] - x0) / cell)), nx - 1)
    iz1 = min(int(math.ceil((hi[1] - z0) / cell)), nz - 1)
    if ix1 < ix0 or iz1 < iz0:
        return None
    xs = x0 + (np.arange(ix0, ix1 + 1) + 0.5) * cell
    zs = z0 + (np.arange(iz0, iz1 + 1) + 0.5) * cell
    X, Z = np.meshgrid(xs, zs)
    P = np.stack([X.ravel(), Z.ravel()], axis=1)
    a, b, c = tri2
    v0, v1 = b - a, c - a
    den = v0[0] * v1[1] - v1[0] * v0[1]
    inside = np.zeros(len(P), dtype=bool)
    w1 = w2 = None
    if abs(den) > 1e-9:
        d = P - a
        w1 = (d[:, 0] * v1[1] - v1[0] * d[:, 1]) / den
        w2 = (v0[0] * d[:, 1] - d[:, 0] * v0[1]) / den
        inside = (w1 >= -1e-9) & (w2 >= -1e-9) & (w1 + w2 <= 1 + 1e-9)
    if pad > 0:
        for p, q in ((a, b), (b, c), (c, a)):
            e = q - p
            ll = float(e @ e)
            if ll < 1e-12:
                dist = np.linalg.norm(P - p, axis=1)
            else:
                t = np.clip(((P - p) @ e) / ll, 0.0, 1.0)
                dist = np.linalg.norm(P - (p + t[:, None] * e), axis=1)
            inside |= dist <= pad
    IX = np.repeat(np.arange(ix0, ix1 + 1)[None, :], iz1 - iz0 + 1, axis=0).ravel()
    IZ = np.repeat(np.arange(iz0, iz1 + 1)[:, None], ix1 - ix0 + 1, axis=1).ravel()
    sel = inside
    if w1 is None:
        return IX[sel], IZ[sel], None, None
    return IX[sel], IZ[sel], w1[sel], w2[sel]


class ShadowMap:
    """Light-space depth map of every solid triangle: the nearest distance
    towards the sun for each texel."""

    def __init__(self, tris, sun_dir):
        d = sun_dir / np.linalg.norm(sun_dir)
        up = np.array([0.0, 1.0, 0.0]) if abs(d[1]) < 0.99 else np.array([1.0, 0.0, 0.0])
        u = np.cross(up, d)
        u /= np.linalg.norm(u)
        v = np.cross(d, u)
        self.axes = np.stack([u, v, d])
        L = tris.reshape(-1, 3) @ self.axes.T
        L = L.reshape(-1, 3, 3)
        self.lo = L[:, :, :2].reshape(-1, 2).min(axis=0) - 1.0
        hi = L[:, :, :2].reshape(-1, 2).max(axis=0) + 1.0
        self.n = np.ceil((hi - self.lo) / SHADOW_RES).astype(int) + 1
        self.depth = np.full((self.n[1], self.n[0]), np.inf)
        for t in L:
            r = _raster_cells(t[:, :2], self.lo[0], self.lo[1], self.n[0], self.n[1], SHADOW_RES)
            if r is None or r[2] is None or len(r[0]) == 0:
                continue
            ix, iz, w1, w2 = r
            w = t[0, 2] + w1 * (t[1, 2] - t[0, 2]) + w2 * (t[2, 2] - t[0, 2])
            np.minimum.at(self.depth, (iz, ix), w)
        # thin walls seen edge-on: grow the map by one texel
        grown = self.depth.copy()
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                grown = np.minimum(grown, np.roll(np.roll(self.depth, dy, axis=0), dx, axis=1))
        self.depth = grown

    def lit(self, points):
        """True where a point sees the sun."""
        L = points @ self.axes.T
        ix = np.floor((L[:, 0] - self.lo[0]) / SHADOW_RES).astype(int)
        iz = np.floor((L[:, 1] - self.lo[1]) / SHADOW_RES).astype(int)
        ok = (ix >= 0) & (iz >= 0) & (ix < self.n[0]) & (iz < self.n[1])
        out = np.ones(len(points), dtype=bool)
        out[ok] = self.depth[iz[ok], ix[ok]] > L[ok, 2] - 0.05
        return out


class WalkGrid:
    K = 6

    def __init__(self, lvl):
        solid = [t for t in lvl.all_solid]
        allt = np.concatenate(solid) if solid else np.zeros((0, 3, 3))
        pts = allt.reshape(-1, 3)
        lo = np.maximum(pts.min(axis=0), -150.0)
        hi = np.minimum(pts.max(axis=0), 150.0)
        self.x0, self.z0 = lo[0] - 1.0, lo[2] - 1.0
        self.nx = int(math.ceil((hi[0] + 1.0 - self.x0) / CELL))
        self.nz = int(math.ceil((hi[2] + 1.0 - self.z0) / CELL))
        K, nx, nz = self.K, self.nx, self.nz
        self.floor = np.full((K, nz, nx), np.nan)
        nrm = np.cross(allt[:, 1] - allt[:, 0], allt[:, 2] - allt[:, 0])
        nrm /= np.maximum(np.linalg.norm(nrm, axis=1, keepdims=True), 1e-12)
        walkable = nrm[:, 1] > 0.7
        for t in allt[walkable]:
            r = _raster_cells(t[:, [0, 2]], self.x0, self.z0, nx, nz, CELL)
            if r is None or r[2] is None or len(r[0]) == 0:
                continue
            ix, iz, w1, w2 = r
            h = t[0, 1] + w1 * (t[1, 1] - t[0, 1]) + w2 * (t[2, 1] - t[0, 1])
            self._insert(ix, iz, h)
        self.floor.sort(axis=0)   # nan last
        self.blocked = np.zeros((K, nz, nx), dtype=bool)
        for t in allt[~walkable]:
            ylo, yhi = t[:, 1].min(), t[:, 1].max()
            r = _raster_cells(t[:, [0, 2]], self.x0, self.z0, nx, nz, CELL, pad=PLAYER_RADIUS + 0.05)
            if r is None or len(r[0]) == 0:
                continue
            ix, iz = r[0], r[1]
            for k in range(K):
                f = self.floor[k, iz, ix]
                hit = (yhi > f + STEP + 0.01) & (ylo < f + HEADROOM)
                self.blocked[k, iz[hit], ix[hit]] = True
        # floors that are too close under another floor have no head room
        for k in range(K - 1):
            gap = self.floor[k + 1] - self.floor[k]
            self.blocked[k] |= gap < HEADROOM
        self.valid = ~np.isnan(self.floor) & ~self.blocked

    def _insert(self, ix, iz, h):
        for k in range(self.K):
            cur = self.floor[k, iz, ix]
            same = np.abs(cur - h) < 0.02
            empty = np.isnan(cur)
            put = empty & ~same
            self.floor[k, iz[put], ix[put]] = h[put]
            keep = ~(put | same)
            ix, iz, h = ix[keep], iz[keep], h[keep]
            if len(ix) == 0:
                return

    def centre(self, iz, ix):
        return self.x0 + (ix + 0.5) * CELL, self.z0 + (iz + 0.5) * CELL

    def cell_of(self, x, z):
        return int((z - self.z0) // CELL), int((x - self.x0) // CELL)

    def node_at(self, x, y, z):
        """The floor a player standing with its origin at (x, y, z) lands on."""
        iz, ix = self.cell_of(x, z)
        best = None
        for dz in range(-2, 3):
            for dx in range(-2, 3):
                jz, jx = iz + dz, ix + dx
                if not (0 <= jz < self.nz and 0 <= jx < self.nx):
                    continue
                for k in range(self.K):
                    f = self.floor[k, jz, jx]
                    if self.valid[k, jz, jx] and f <= y + 0.6:
                        score = (abs(dz) + abs(dx), -f)
                        if best is None or score < best[0]:
                            best = (score, (k, jz, jx))
        return None if best is None else best[1]

    def sun_fraction(self, shadow):
        K, nz, nx = self.floor.shape
        self.sun = np.full((K, nz, nx), np.nan)
        ks, izs, ixs = np.nonzero(self.valid)
        xs, zs = self.centre(izs, ixs)
        hs = self.floor[ks, izs, ixs]
        lit = np.zeros(len(ks))
        for dx in (-PROBE_HALF, PROBE_HALF):
            for dz in (-PROBE_HALF, PROBE_HALF):
                for dy in (PROBE_LOW, PROBE_HIGH):
                    p = np.stack([xs + dx, hs + dy, zs + dz], axis=1)
                    lit += shadow.lit(p)
        self.sun[ks, izs, ixs] = lit / 8.0

    def build_edges(self):
        K, nz, nx = self.floor.shape
        N = K * nz * nx
        src, dst, length = [], [], []
        for dz, dx in ((-1, 0), (1, 0), (0, -1), (0, 1), (-1, -1), (-1, 1), (1, -1), (1, 1)):
            step = CELL * math.hypot(dz, dx)
            for k in range(K):
                zs, xs = np.nonzero(self.valid[k])
                jz, jx = zs + dz, xs + dx
                ok = (jz >= 0) & (jz < nz) & (jx >= 0) & (jx < nx)
                zs, xs, jz, jx = zs[ok], xs[ok], jz[ok], jx[ok]
                h = self.floor[k, zs, xs]
                target = np.full(len(zs), -1)
                for k2 in range(K):
                    f = self.floor[k2, jz, jx]
                    under = f <= h + STEP + 0.01
                    target = np.where(under, k2, target)
                sel = target >= 0
                zs, xs, jz, jx, target = zs[sel], xs[sel], jz[sel], jx[sel], target[sel]
                good = self.valid[target, jz, jx]
                if dz and dx:   # no cutting corners past walls
                    for cz, cx in ((zs + dz, xs), (zs, xs + dx)):
                        good &= self.valid[:, cz, cx].any(axis=0)
                zs, xs, jz, jx, target = zs[good], xs[good], jz[good], jx[good], target[good]
                src.append(k * nz * nx + zs * nx + xs)
                dst.append(target * nz * nx + jz * nx + jx)
                length.append(np.full(len(zs), step))
        src = np.concatenate(src)
        dst = np.concatenate(dst)
        length = np.concatenate(length)
        order = np.argsort(src, kind='stable')
        self.e_dst = dst[order]
        self.e_len = length[order]
        self.e_start = np.searchsorted(src[order], np.arange(N + 1))
        sun = np.nan_to_num(self.sun.ravel(), nan=1.0)
        self.e_sun = 0.5 * (sun[src[order]] + sun[self.e_dst])

    def node_id(self, node):
        k, iz, ix = node
        return k * self.nz * self.nx + iz * self.nx + ix

    def unpack(self, nid):
        k, rest = divmod(nid, self.nz * self.nx)
        iz, ix = divmod(rest, self.nx)
        return k, iz, ix

    def dijkstra(self, source, careful=True):
        """Costs: life lost at walking speed (careful) or distance (careless)."""
        N = len(self.e_start) - 1
        dist = np.full(N, np.inf)
        prev = np.full(N, -1, dtype=np.int64)
        e_start, e_dst, e_len, e_sun = self.e_start.tolist(), self.e_dst.tolist(), self.e_len.tolist(), self.e_sun.tolist()
        if careful:
            w = [l * (s * DAMAGE_PER_SECOND / WALK_SPEED) + l * 1e-5 for l, s in zip(e_len, e_sun)]
        else:
            w = e_len
        d = {source: 0.0}
        heap = [(0.0, source)]
        done = set()
        prev_d = {}
        while heap:
            c, u = heapq.heappop(heap)
            if u in done:
                continue
            done.add(u)
            for e in range(e_start[u], e_start[u + 1]):
                v = e_dst[e]
                nc = c + w[e]
                if nc < d.get(v, math.inf):
                    d[v] = nc
                    prev_d[v] = u
                    heapq.heappush(heap, (nc, v))
        for k, v in d.items():
            dist[k] = v
        for k, v in prev_d.items():
            prev[k] = v
        return dist, prev

    def path(self, prev, target):
        out = [target]
        while prev[out[-1]] >= 0:
            out.append(int(prev[out[-1]]))
        return out[::-1]

    def path_stats(self, nodes, free_units=0.0):
        """Length and life lost along a path; the first free_units are shielded."""
        total, damage = 0.0, 0.0
        sun = np.nan_to_num(self.sun.ravel(), nan=1.0)
        for a, b in zip(nodes, nodes[1:]):
            ka, iza, ixa = self.unpack(a)
            kb, izb, ixb = self.unpack(b)
            seg = CELL * math.hypot(iza - izb, ixa - ixb)
            frac = 0.5 * (sun[a] + sun[b])
            shielded = min(max(free_units - total, 0.0), seg)
            damage += (seg - shielded) * frac * DAMAGE_PER_SECOND / WALK_SPEED
            total += seg
        return total, damage


# ---------------------------------------------------------------- analysis
def analyse(lvl, grid):
    report = {}
    start = grid.node_at(*lvl.start) if lvl.start is not None else None
    ends = [t for t in lvl.triggers if t[0] == 'TRIGGEREND']
    targets = set()
    for _typ, _name, tris in ends:
        p = tris.reshape(-1, 3)
        lo, hi = p.min(axis=0), p.max(axis=0)
        ks, izs, ixs = np.nonzero(grid.valid)
        xs, zs = grid.centre(izs, ixs)
        f = grid.floor[ks, izs, ixs]
        touch = ((xs > lo[0] - 0.5) & (xs < hi[0] + 0.5) & (zs > lo[2] - 0.5) & (zs < hi[2] + 0.5)
                 & (f - 0.2 < hi[1]) & (f + 3.4 > lo[1]))
        for k, iz, ix in zip(ks[touch], izs[touch], ixs[touch]):
            targets.add(grid.node_id((k, iz, ix)))
    report['start_ok'] = start is not None
    report['targets'] = len(targets)
    if start is None or not targets:
        return report
    sid = grid.node_id(start)
    keys = [('start', None, sid)]
    for kind, number, pos in lvl.powerups:
        node = grid.node_at(pos[0], pos[1] - 0.95 + 0.3, pos[2])
        if node is not None:
            keys.append((kind, number, grid.node_id(node)))
    runs = {}
    for label, number, nid in keys:
        runs[nid] = grid.dijkstra(nid, careful=True)
    tgt = sorted(targets)

    def best_to_end(nid):
        dist, prev = runs[nid]
        t = min(tgt, key=lambda x: dist[x])
        return t, dist[t]

    t_end, d_end = best_to_end(sid)
    report['reachable'] = bool(np.isfinite(d_end))
    if not report['reachable']:
        return report
    careful_path = grid.path(runs[sid][1], t_end)
    report['careful_len'], report['careful_damage'] = grid.path_stats(careful_path)
    report['careful_path'] = careful_path
    # careless: shortest route
    dist_c, prev_c = grid.dijkstra(sid, careful=False)
    t_c = min(tgt, key=lambda x: dist_c[x])
    careless_path = grid.path(prev_c, t_c)
    report['careless_len'], report['careless_damage'] = grid.path_stats(careless_path)
    report['careless_path'] = careless_path
    # power-up plans: visit some power-ups in some order
    pus = keys[1:]
    best = None
    for r in range(0, min(len(pus), 4) + 1):
        for seq in itertools.permutations(pus, r):
            life, lowest, free = 1.0, 1.0, 0.0
            here = sid
            path_nodes = []
            ok = True
            for kind, number, nid in list(seq) + [('end', None, None)]:
                dist, prev = runs[here]
                if nid is None:
                    nid, _ = best_to_end(here)
                if not np.isfinite(dist[nid]):
                    ok = False
                    break
                p = grid.path(prev, nid)
                length, dmg = grid.path_stats(p, free_units=free)
                free = max(free - length, 0.0)
                life -= dmg
                lowest = min(lowest, life)
                path_nodes += p
                if kind == 'milk':
                    life = 1.0
                elif kind == 'umbrella':
                    free = UMBRELLA_SECONDS * WALK_SPEED
                here = nid
            if ok and (best is None or lowest > best[0] + 1e-6):
                best = (lowest, [(k, n) for k, n, _ in seq], path_nodes)
    report['plan_lowest_life'], report['plan'], report['plan_path'] = best
    return report


# ---------------------------------------------------------------- drawing
def draw(lvl, grid, shadow, report, out_path):
    W = int(grid.nx * CELL * PX)
    H = int(grid.nz * CELL * PX)
    img = Image.new('RGB', (max(W, 1000), H + 130), (40, 40, 48))

    def to_px(x, z):
        return ((x - grid.x0) * PX, (z - grid.z0) * PX)

    # floors: colour of the top walkable surface where the player can stand
    hsurf = np.full((grid.nz, grid.nx), np.nan)
    sunv = np.full((grid.nz, grid.nx), np.nan)
    for k in range(grid.K):
        v = grid.valid[k]
        hsurf[v] = grid.floor[k][v]
        sunv[v] = grid.sun[k][v]
    # colour map of materials by rasterising the floor triangles from above (top wins)
    topc = np.zeros((grid.nz, grid.nx, 3))
    toph = np.full((grid.nz, grid.nx), -np.inf)
    for tris, col in lvl.floor_materials:
        for t in tris:
            r = _raster_cells(t[:, [0, 2]], grid.x0, grid.z0, grid.nx, grid.nz, CELL)
            if r is None or r[2] is None or len(r[0]) == 0:
                continue
            ix, iz, w1, w2 = r
            h = t[0, 1] + w1 * (t[1, 1] - t[0, 1]) + w2 * (t[2, 1] - t[0, 1])
            upd = h > toph[iz, ix]
            toph[iz[upd], ix[upd]] = h[upd]
            topc[iz[upd], ix[upd]] = col
    walk = ~np.isnan(hsurf)
    roofed = walk & (toph > hsurf + 1.0)
    shade = np.where(walk, 1.0 - np.nan_to_num(sunv), 0.0)
    base = np.where(walk[..., None], topc, topc * 0.45)
    base[roofed] = topc[roofed] * 0.6 + np.array([90, 90, 90]) * 0.4
    # shade: darker and bluish; full sun: washed with yellow
    lit_rgb = base * (1.0 - 0.6 * shade[..., None]) + (shade[..., None] * np.array([0, 10, 40]))
    sunny = walk & (shade < 0.01)
    lit_rgb[sunny] = lit_rgb[sunny] * 0.55 + np.array([255, 235, 110]) * 0.45
    img_cells = np.clip(lit_rgb, 0, 255).astype(np.uint8)
    big = np.kron(img_cells, np.ones((int(CELL * PX), int(CELL * PX), 1), dtype=np.uint8))
    canvas = np.zeros((H, W, 3), dtype=np.uint8)
    canvas[:min(H, big.shape[0]), :min(W, big.shape[1])] = big[:H, :W]
    img.paste(Image.fromarray(canvas), (0, 0))
    dr = ImageDraw.Draw(img, 'RGBA')
    try:
        font = ImageFont.truetype('/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf', 13)
        small = ImageFont.truetype('/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf', 11)
    except OSError:
        font = small = ImageFont.load_default()
    # walls: outlines of solid non-walkable geometry
    for name, tris, kind in lvl.solid:
        col = (20, 20, 20, 255) if kind != 'clip' else (0, 220, 255, 255)
        nrm = np.cross(tris[:, 1] - tris[:, 0], tris[:, 2] - tris[:, 0])
        nrm /= np.maximum(np.linalg.norm(nrm, axis=1, keepdims=True), 1e-12)
        for t, n in zip(tris, nrm):
            if abs(n[1]) < 0.3:
                pts = [to_px(p[0], p[2]) for p in t]
                dr.line(pts + [pts[0]], fill=col, width=2 if kind == 'clip' else 1)
    for name, tris in lvl.noclip:
        p = tris.reshape(-1, 3)
        a, b = to_px(p[:, 0].min(), p[:, 2].min()), to_px(p[:, 0].max(), p[:, 2].max())
        dr.rectangle([a, b], outline=(200, 80, 255, 255))
    for name, tris in lvl.dynamic:
        p = tris.reshape(-1, 3)
        a, b = to_px(p[:, 0].min(), p[:, 2].min()), to_px(p[:, 0].max(), p[:, 2].max())
        dr.rectangle([a, b], fill=(150, 90, 30, 255), outline=(255, 200, 120, 255))
    for typ, name, tris in lvl.triggers:
        p = tris.reshape(-1, 3)
        a, b = to_px(p[:, 0].min(), p[:, 2].min()), to_px(p[:, 0].max(), p[:, 2].max())
        if typ == 'TRIGGEREND':
            dr.rectangle([a, b], fill=(255, 215, 0, 160), outline=(255, 255, 0, 255), width=2)
        elif typ == 'TRIGGERKILL':
            dr.rectangle([a, b], outline=(255, 40, 40, 255), width=3)
    for kind, number, pos in lvl.powerups:
        x, y = to_px(pos[0], pos[2])
        col = (255, 255, 255, 255) if kind == 'milk' else (230, 40, 60, 255)
        dr.ellipse([x - 7, y - 7, x + 7, y + 7], fill=col, outline=(0, 0, 0, 255))
        dr.text((x + 8, y - 8), '%s %d' % (kind, number), fill=(255, 255, 255, 255), font=small)
    # routes
    for key, col in (('careless_path', (255, 60, 60, 200)), ('plan_path', (60, 140, 255, 230))):
        nodes = report.get(key)
        if nodes:
            pts = []
            for nid in nodes:
                k, iz, ix = grid.unpack(nid)
                pts.append(to_px(*grid.centre(iz, ix)))
            dr.line(pts, fill=col, width=2)
    if lvl.start is not None:
        x, y = to_px(lvl.start[0], lvl.start[2])
        dr.polygon([(x, y - 11), (x - 7, y + 6), (x + 7, y + 6)], fill=(40, 255, 80, 255), outline=(0, 0, 0, 255))
    # sun arrow
    d = lvl.sun_dir
    hx, hz = -d[0], -d[2]
    ln = math.hypot(hx, hz) or 1.0
    cx, cy = W - 60, 60
    dr.ellipse([cx - 40, cy - 40, cx + 40, cy + 40], outline=(255, 255, 255, 160))
    dr.line([(cx, cy), (cx + 38 * hx / ln, cy + 38 * hz / ln)], fill=(255, 220, 0, 255), width=3)
    dr.text((cx - 30, cy + 44), 'to sun, %.0f deg' % math.degrees(math.asin(min(1.0, -d[1]))), fill=(255, 255, 255, 255), font=small)
    # scale bar: 10 units
    dr.line([(10, H - 12), (10 + 10 * PX, H - 12)], fill=(255, 255, 255, 255), width=3)
    dr.text((12, H - 30), '10 units', fill=(255, 255, 255, 255), font=small)
    # report text
    lines = [os.path.basename(lvl.path) + '   (top = -Z, the way W walks at the start; right = +X)']
    if report.get('reachable'):
        lines.append('least-sun route: %.0f units, life lost %.2f (blue: best plan with power-ups %s, lowest life %.2f)'
                     % (report['careful_len'], report['careful_damage'],
                        ' > '.join('%s %d' % p for p in report['plan']) or 'none', report['plan_lowest_life']))
        lines.append('shortest route (red, careless): %.0f units, life lost %.2f walking, %.2f running'
                     % (report['careless_len'], report['careless_damage'], report['careless_damage'] / 1.5))
    else:
        lines.append('NO ROUTE from start to end (start found: %s, end cells: %d)' % (report.get('start_ok'), report.get('targets', 0)))
    lines.append('legend: yellow tint = full sun, dark = shade; black lines = walls; cyan = CLIP; purple = NOCLIP; '
                 'brown = PHYS; gold = end; red = kill volume; green = start')
    kills = [t for t in lvl.triggers if t[0] == 'TRIGGERKILL']
    lines.append('kill volumes: %d (lowest top at y = %s)' % (len(kills), ', '.join('%.0f' % t[2].reshape(-1, 3)[:, 1].max() for t in kills)))
    for i, line in enumerate(lines):
        dr.text((10, H + 10 + 22 * i), line, fill=(255, 255, 255, 255), font=font)
    os.makedirs(os.path.dirname(out_path), exist_ok=True)
    img.save(out_path)


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    files = argv[1:] or [os.path.join(root, 'resources', 'levels', 'level%d.dae' % n) for n in range(1, 10)]
    files = [f for f in files if os.path.exists(f)]
    status = 0
    for path in files:
        lvl = LevelScene(path)
        grid = WalkGrid(lvl)
        shadow = ShadowMap(np.concatenate(lvl.all_solid), lvl.sun_dir)
        grid.sun_fraction(shadow)
        grid.build_edges()
        report = analyse(lvl, grid)
        out = os.path.join(root, 'plans', os.path.splitext(os.path.basename(path))[0] + '.png')
        draw(lvl, grid, shadow, report, out)
        if report.get('reachable'):
            print('%s: least-sun route %.0f units costs %.2f life; with power-ups %s lowest life %.2f; '
                  'shortest route %.0f units costs %.2f walking (%.2f running) -> %s'
                  % (os.path.basename(path), report['careful_len'], report['careful_damage'],
                     ' > '.join('%s %d' % p for p in report['plan']) or 'none', report['plan_lowest_life'],
                     report['careless_len'], report['careless_damage'], report['careless_damage'] / 1.5, out))
            if report['plan_lowest_life'] <= 0.0:
                status = 1
        else:
            print('%s: no route from the start to the end -> %s' % (os.path.basename(path), out))
            status = 1
    return status


if __name__ == '__main__':
    sys.exit(main(sys.argv))
