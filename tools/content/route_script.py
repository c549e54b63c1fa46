#!/usr/bin/python3
"""Writes a tavo-replay script that runs a level along the plan drawer's best
route (power-ups in the best order), from the menu's keypad key to the end.

  /usr/bin/python3 tools/content/route_script.py N [--walk] [--frametime S] > levelN_win.replay

The route is the plan drawer's grid path (8 directions); the script steers
along it with W, A, S, D (the player camera keeps looking north, so the keys
are fixed compass directions) and LSHIFT to run. Each frame it picks the key
set whose step lands closest to a point a little ahead on the path, as an
ideal walker would, and writes the key changes as events.
"""
import math
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import draw_plans as dp  # noqa: E402

DIRS = {  # keys -> unit direction on the ground (x, z); W walks towards -z
    ('W',): (0.0, -1.0), ('S',): (0.0, 1.0), ('A',): (-1.0, 0.0), ('D',): (1.0, 0.0),
    ('A', 'W'): (-math.sqrt(0.5), -math.sqrt(0.5)), ('D', 'W'): (math.sqrt(0.5), -math.sqrt(0.5)),
    ('A', 'S'): (-math.sqrt(0.5), math.sqrt(0.5)), ('D', 'S'): (math.sqrt(0.5), math.sqrt(0.5)),
}


def route(level_path, clearance):
    # a wider berth around walls than the plan drawer keeps absorbs small steering errors
    dp.PLAYER_RADIUS = clearance
    lvl = dp.LevelScene(level_path)
    grid = dp.WalkGrid(lvl)
    # keep a cell's width off drop edges (bridges, piers): the figure stalls on a slab's rim
    inner = grid.valid.any(axis=0)
    for _ in range(max(1, int(round(clearance / dp.CELL)))):
        anyv = inner.copy()
        inner[1:, :] &= anyv[:-1, :]
        inner[:-1, :] &= anyv[1:, :]
        inner[:, 1:] &= anyv[:, :-1]
        inner[:, :-1] &= anyv[:, 1:]
    grid.valid &= inner[None, :, :]
    shadow = dp.ShadowMap(np.concatenate(lvl.all_solid), lvl.sun_dir)
    grid.sun_fraction(shadow)
    grid.build_edges()
    report = dp.analyse(lvl, grid)
    return grid, lvl, report


def path_points(grid, lvl, nodes):
    pts = []
    for nid in nodes:
        _k, iz, ix = grid.unpack(nid)
        p = grid.centre(iz, ix)
        if not pts or pts[-1] != p:
            pts.append(p)
    pts[0] = (lvl.start[0], lvl.start[2])
    return pts


def sunny_spot(grid, lvl):
    """The path to the nearest spot in full sun, at least 3 units from any wall."""
    sid = grid.node_id(grid.node_at(*lvl.start))
    dist, prev = grid.dijkstra(sid, careful=False)
    sun = np.nan_to_num(grid.sun.ravel(), nan=0.0)
    free = grid.valid.copy()
    for _ in range(5):   # keep off walls and edges
        free[:, 1:-1, 1:-1] &= free[:, :-2, 1:-1] & free[:, 2:, 1:-1] & free[:, 1:-1, :-2] & free[:, 1:-1, 2:]
    ok = (sun >= 1.0) & free.ravel() & np.isfinite(dist)
    target = int(np.argmin(np.where(ok, dist, np.inf)))
    return grid.path(prev, target)


def steer(pts, step, lookahead, fixes=None, offset=5, positions=None):
    """Key sets per frame that follow the polyline pts with steps of length step. fixes maps
    a script frame to where a real run stood after it; the walker continues from there."""
    fixes = fixes or {}
    pos = np.array(pts[0])
    path = np.array(pts)
    seg = 0
    frames = []
    end = path[-1]
    while np.linalg.norm(pos - end) > step * 0.6 and len(frames) < 100000:
        # nearest point ahead on the path, then a target lookahead further on
        best, best_d = seg, 1e9
        for i in range(seg, min(seg + 4, len(path))):   # never skip an excursion (to a power-up and back)
            d = np.linalg.norm(path[i] - pos)
            if d < best_d:
                best, best_d = i, d
        seg = best
        if offset + len(frames) - 1 in fixes:
            pos = np.array(fixes[offset + len(frames) - 1])
        acc, j = 0.0, seg
        while j + 1 < len(path) and acc < lookahead:
            acc += np.linalg.norm(path[j + 1] - path[j])
            j += 1
        target = path[j]
        keys = min(DIRS, key=lambda k: np.linalg.norm(pos + step * np.array(DIRS[k]) - target))
        pos = pos + step * np.array(DIRS[keys])
        frames.append(keys)
        if positions is not None:
            positions.append(tuple(pos))
    frames.append(('W',) if False else frames[-1])
    frames += [frames[-1]] * 3   # walk on a little into the trigger
    return frames


def script_text(level, frames, frametime, run, first, title):
    out = ['# Level %d: %s (tools/content/route_script.py)' % (level, title), 'frametime %g' % frametime]
    f = first
    out.append('%d key KP_%d' % (f, level))
    f += 3
    if run:
        out.append('%d keydown LSHIFT' % f)
    held = ()
    for keys in frames:
        for k in held:
            if k not in keys:
                out.append('%d keyup %s' % (f, k))
        for k in keys:
            if k not in held:
                out.append('%d keydown %s' % (f, k))
        held = keys
        f += 1
    for k in held:
        out.append('%d keyup %s' % (f, k))
    if run:
        out.append('%d keyup LSHIFT' % f)
    return out, f


def main(argv):
    level = int(argv[1])
    run = '--walk' not in argv
    frametime = float(argv[argv.index('--frametime') + 1]) if '--frametime' in argv else 0.1
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    clearance = float(argv[argv.index('--clearance') + 1]) if '--clearance' in argv else 0.5
    grid, lvl, report = route(os.path.join(root, 'resources', 'levels', 'level%d.dae' % level), clearance)
    speed = 8.0 * (1.5 if run else 1.0)
    if '--umbrella' in argv:
        # fetch the umbrella, then stand beside it longer than full sun takes to melt a
        # figure; once it has run out the physics debugging lines show the spot is open sun
        sid = grid.node_id(grid.node_at(*lvl.start))
        pos = [p for kind, _n, p in lvl.powerups if kind == 'umbrella'][0]
        target = grid.node_id(grid.node_at(pos[0], pos[1] - 0.95 + 0.3, pos[2]))
        dist, prev = grid.dijkstra(sid, careful=True)
        frames = steer(path_points(grid, lvl, grid.path(prev, target)), speed * frametime, 2.0)
        lines, last = script_text(level, frames, frametime, run, 2, 'the umbrella outlasts open sun')
        shielded = int(round(22.0 / frametime))
        lines.append('%d tap F10' % (last + shielded + 2))
        lines.append('%d tap F12' % (last + shielded + 12))
        lines.append('frames %d' % (last + shielded + 14))
    elif '--die' in argv:
        # walk into full sun and stand there until the figure has melted, then ENTER reloads
        frames = steer(path_points(grid, lvl, sunny_spot(grid, lvl)), speed * frametime, 2.0)[:-3]
        lines, last = script_text(level, frames, frametime, run, 2, 'melted in full sun')
        last += int(math.ceil(1.0 / (0.05 * frametime))) + 5
        lines.append('%d tap F12' % last)
        lines.append('%d key ENTER' % (last + 10))
        lines.append('%d tap F12' % (last + 20))
        lines.append('frames %d' % (last + 22))
    else:
        frames = steer(path_points(grid, lvl, report['plan_path']), speed * frametime, 2.0)
        lines, last = script_text(level, frames, frametime, run, 2, "won along the plan drawer's best route")
        lines.insert(1, '# plan: %s, lowest life %.2f walking' % (
            ' > '.join('%s %d' % p for p in report['plan']) or 'no power-ups', report['plan_lowest_life']))
        lines.append('%d tap F12' % (last + 10))
        lines.append('frames %d' % (last + 12))
    print('\n'.join(lines))


if __name__ == '__main__':
    main(sys.argv)
