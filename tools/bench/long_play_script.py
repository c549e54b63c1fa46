#!/usr/bin/env python3
"""Writes a tavo-replay script of long play in level 4, at a real machine's uneven frame
times (about 1/60 s, now and then a slow frame), for tools/bench/long_play.sh.

  python3 tools/bench/long_play_script.py [MINUTES] [LOADS_FILE] > long_play.replay

Each round walks most of the level's winning route (tests/playthrough/level4_win.replay,
stretched from its 0.1 s frames) with the push-box button held, so the figure takes the
power-ups and shoves what it meets; stands and turns the camera with the mouse, and back; goes
back to the start (BACKSPACE); walks west off the pier into the sea, dies, and ENTER loads the
level again. LOADS_FILE gets one line per level load: the game time it happens at, in seconds.
"""
import os
import random
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROUTE = os.path.join(HERE, '..', '..', 'tests', 'playthrough', 'level4_win.replay')
STRETCH = 6            # the route's frames last 0.1 s; ours about 1/60
ROUTE_CUT = 250        # of the route's frames: short of the end gate, so the level never ends


def route_events():
    events = []
    for line in open(ROUTE):
        words = line.split('#')[0].split()
        if len(words) == 3 and words[0].isdigit() and words[1] in ('keydown', 'keyup'):
            frame = int(words[0])
            if 5 <= frame < ROUTE_CUT:
                events.append((frame - 5, words[1], words[2]))
    return events


def main():
    minutes = float(sys.argv[1]) if len(sys.argv) > 1 else 30.0
    loads_file = sys.argv[2] if len(sys.argv) > 2 else None
    rng = random.Random(4)
    route = route_events()
    lines = ['# Long play in level 4 (tools/bench/long_play_script.py): %g minutes of game time' % minutes]
    ticks = []  # every frame's length in 1/10000 s
    events = []
    loads = []

    def now_frame():
        return len(ticks)

    def run(frames):
        for _ in range(frames):
            # 166/167 ticks like a 60 Hz display, some jitter, now and then a slow frame
            r = rng.random()
            ticks.append(rng.randint(300, 900) if r < 0.01 else rng.randint(150, 185) if r < 0.3 else
                         (167 if rng.random() < 0.67 else 166))

    def game_time():
        return sum(ticks) / 10000.0

    total = minutes * 60.0
    run(2)
    events.append('%d key KP_4' % now_frame())
    loads.append(game_time())
    run(10)
    while game_time() < total:
        start = now_frame()
        events.append('%d keydown LSHIFT' % start)
        events.append('%d buttondown 0' % start)
        for frame, verb, key in route:
            events.append('%d %s %s' % (start + frame * STRETCH, verb, key))
        end = start + (ROUTE_CUT - 5) * STRETCH
        run(end - start)
        for key in ('W', 'A', 'S', 'D', 'LSHIFT'):
            events.append('%d keyup %s' % (end, key))
        events.append('%d buttonup 0' % end)
        # turning: the pointer moves every frame, then back to where it was
        x = 0
        for step in list(range(1, 61)) + list(range(59, -1, -1)):
            run(1)
            x = step * 7
            events.append('%d cursor %d 0' % (now_frame(), x))
        run(10)
        events.append('%d key BACKSPACE' % now_frame())
        run(20)
        events.append('%d keydown A' % now_frame())
        run(90)
        events.append('%d keyup A' % now_frame())
        run(200)  # the death picture is up
        events.append('%d key ENTER' % now_frame())
        loads.append(game_time())
        run(30)
    # the frame times, 300 a line
    for first in range(0, len(ticks), 300):
        lines.append('%d frametimes %s' % (first, ' '.join(str(t) for t in ticks[first:first + 300])))
    lines += events
    lines.append('frames %d' % len(ticks))
    sys.stdout.write('\n'.join(lines) + '\n')
    if loads_file:
        with open(loads_file, 'w') as out:
            out.write(''.join('%.3f\n' % t for t in loads))


if __name__ == '__main__':
    main()
