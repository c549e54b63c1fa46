#!/usr/bin/python3
"""Joins the five winning level scripts into one that plays the whole game:

  /usr/bin/python3 tools/content/whole_game_script.py tests/playthrough/level{1,2,3,4,5}_win.replay > whole_game.replay

ENTER on the menu starts level 1; each level's moves follow as in its own script
(which starts with its keypad key on frame 2), with a screenshot halfway; ENTER on
each end picture loads the next level; after the mission-complete picture ENTER
returns to the menu, whose entries are then Continue, Start, Options and Quit: UP
comes round from the first to Quit, and ENTER quits.
"""
import sys


def events(path):
    out, frametime = [], None
    for line in open(path):
        words = line.split('#')[0].split()
        if not words:
            continue
        if words[0] == 'frametime':
            frametime = float(words[1])
        elif words[0].isdigit() and not words[2].startswith('KP_') and words[2] != 'F12':
            out.append((int(words[0]), words[1], words[2]))
    return out, frametime


def main(paths):
    lines = ['# The whole game: menu, five levels, mission complete, menu, quit '
             '(tools/content/whole_game_script.py)']
    start = 2   # the frame that loads the level (ENTER on the menu or on a picture)
    body, frametime = [], None
    for path in paths:
        evs, frametime = events(path)
        body.append('%d key ENTER' % start)
        shift = start - 2
        last = max(f for f, _v, _k in evs)
        for f, verb, key in evs:
            body.append('%d %s %s' % (f + shift, verb, key))
        body.append('%d tap F12' % ((last + shift + start) // 2))
        start = last + shift + 5
    body.append('%d key ENTER' % start)        # the mission-complete picture: back to the menu
    body.append('%d key UP' % (start + 5))     # round to the last entry, Quit
    body.append('%d key ENTER' % (start + 10))  # quit
    lines.append('frametime %g' % frametime)
    lines += body
    lines.append('frames %d' % (start + 100))   # quitting ends the run long before this
    print('\n'.join(lines))


if __name__ == '__main__':
    main(sys.argv[1:])
