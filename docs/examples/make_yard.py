#!/usr/bin/python3
"""The worked example of docs/levels.md: "The Yard", a small level built from
scratch with the same building blocks as the shipped levels.

Run from the repository root:
    /usr/bin/python3 docs/examples/make_yard.py
It writes docs/examples/yard1.dae (the "1" before ".dae" picks music1.mp3),
the same bytes on every run. Then:
    build/tavo-levelcheck docs/examples/yard1.dae
    build/tavo --windowed 1280x720 --level docs/examples/yard1.dae
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'tools', 'content'))

from levels_kit import Level  # noqa: E402


def yard():
    lv = Level(1, 'The Yard')
    # 1. The sun: from the west (azimuth 270), 50 degrees above the horizon.
    lv.sun(270.0, 50.0)
    # 2. A paved yard 24 wide (x) and 60 long (z); W walks towards -Z.
    lv.floor('ground', 'tiles', -12.0, -30.0, 12.0, 30.0)
    # 3. The start, just above the floor at the south end.
    lv.start(0.0, 0.15, 24.0)
    # 4. A long brick wall on the west side: the sun comes from the west, so its
    #    shade lies on the east side. A wall 6 high throws 6 / tan(50) = 5 units
    #    of shade: walk north along the wall's foot. The wall has a gap of 8
    #    units half way, where the sun gets in.
    lv.wall_z('walls', 'brick', 2.0, 20.0, -3.0, 6.0)
    lv.wall_z('walls', 'brick', -26.0, -6.0, -3.0, 6.0)
    # 5. Milk on a pad in the gap, to heal on the way.
    lv.powerup('MILK', 1, 0.5, 0.0, -2.0)
    # 6. A crate to shove (hold the left mouse button).
    lv.crate(5.0, 0.0, 8.0, mass=2.0)
    # 7. Invisible walls round the yard, so nobody walks off by accident...
    for lo, hi in (((-14.0, -5.0, -32.0), (14.0, 2.5, -30.0)), ((-14.0, -5.0, 30.0), (14.0, 2.5, 32.0)),
                   ((-14.0, -5.0, -30.0), (-12.0, 2.5, 30.0)), ((12.0, -5.0, -30.0), (14.0, 2.5, 30.0))):
        lv.clip_box(lo, hi, 'boundary')
    # 8. ...and a kill volume under everything for whoever gets past them anyway.
    lv.kill_volume((-400.0, -60.0, -400.0), (400.0, -40.0, 400.0))
    # 9. The end at the north end: 3 deep along the way, 4 high. No next level:
    #    finishing the yard wins the game (add next_level='yard2.dae' to go on).
    lv.end_trigger((-4.0, 0.0, -28.0), (4.0, 4.0, -25.0), None)
    return lv


def main():
    path = os.path.join(HERE, 'yard1.dae')
    yard().write(path)
    print('wrote', path)


if __name__ == '__main__':
    main()
