#!/usr/bin/python3
"""Builds the five levels in resources/levels/ (level1.dae .. level5.dae).

Run from the repository root:  /usr/bin/python3 tools/content/make_levels.py
The output is the same, byte for byte, on every run. Check the result with
tools/content/draw_plans.py, which draws each level's plan with its shade.

Numbers every layout is built around (see docs/levels.md):
  * the player walks 8 units/s (12 running); full sun kills in 20 s, so one
    unit walked in full sun costs 1/160 of a life;
  * the player stands 3.6 units tall; its sun probes sit 0.5 and about 3.1
    units above its feet, 0.8 units to each side;
  * at the start of a level the camera looks along -Z, so W walks to -Z;
  * the physics world ends at +-2000; the shadow map covers about 100 units
    around the origin, so the levels stay within about 95 units of it.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from levels_layouts import LEVELS  # noqa: E402

OUT_DIR = os.path.join('resources', 'levels')


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    for number, build in LEVELS:
        level = build()
        path = os.path.join(OUT_DIR, 'level%d.dae' % number)
        level.write(path)
        print('wrote', path, '-', level.title)


if __name__ == '__main__':
    main()
