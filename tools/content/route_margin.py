#!/usr/bin/python3
"""Plays a tavo-replay script that wins a level and says how much life the route
leaves: the frame on which the level ends, the life left there and the lowest
life on the way.

  /usr/bin/python3 tools/content/route_margin.py build/tavo-replay tests/playthrough/level3_win.replay

Run it from the folder that holds resources/ and shaders/, with a display (or
under xvfb-run). The script is played once more with F10 pressed on the frame
after its keypad key, so that the game prints its sun value every play frame;
life is then followed exactly as the game computes it: full at the level's
start, each frame less by sun value x frame time x 0.05 (a full-sun figure
lasts 20 s), full again on a milk. The end is the first frame on which the
game stops printing sun values (a picture is up).
"""
import os
import re
import subprocess
import sys
import tempfile

DAMAGE_PER_SECOND = 0.05


def with_f10(script_text):
    """The script with F10 tapped on the frame after the level is asked for."""
    lines = script_text.splitlines()
    start = None
    for line in lines:
        words = line.split('#')[0].split()
        if len(words) >= 3 and words[0].isdigit() and (words[2].startswith('KP_') or words[2] == 'ENTER'):
            start = int(words[0])
            break
    if start is None:
        raise SystemExit('route_margin: the script never loads a level (no keypad key or ENTER)')
    return '\n'.join(lines + ['%d tap F10' % (start + 1)]) + '\n', start + 1


def follow(output, frametime, first):
    life, lowest, frame, end = 1.0, 1.0, first - 1, None
    pending_milk = False
    lines = output.splitlines()
    for i, line in enumerate(lines):
        if line.startswith('Powerup hit!'):
            # An umbrella says so on the next line; anything else is milk.
            nxt = lines[i + 1] if i + 1 < len(lines) else ''
            pending_milk = not nxt.startswith('Umbrella time!')
        m = re.match(r'SunValue: ([0-9.e+-]+)$', line)
        if m:
            if pending_milk:
                life, pending_milk = 1.0, False
            life = max(0.0, life - float(m.group(1)) * frametime * DAMAGE_PER_SECOND)
            lowest = min(lowest, life)
            frame += 1
            end = frame
        if line.startswith('Trying to switch to level') and end is not None:
            break  # the next level: this one is over
    return end, life, lowest


def main(replay, script_path):
    text = open(script_path).read()
    m = re.search(r'^frametime\s+([0-9.]+)', text, re.M)
    frametime = float(m.group(1)) if m else 1.0 / 60.0
    script, first = with_f10(text)
    with tempfile.NamedTemporaryFile('w', suffix='.replay', delete=False) as f:
        f.write(script)
    try:
        run = subprocess.run([replay, f.name], capture_output=True, text=True)
    finally:
        os.unlink(f.name)
    if run.returncode != 0:
        sys.stderr.write(run.stderr[-2000:])
        raise SystemExit('route_margin: tavo-replay ended with status %d' % run.returncode)
    end, life, lowest = follow(run.stdout, frametime, first)
    if end is None:
        raise SystemExit('route_margin: no sun values printed; did the level load?')
    died = 'You were reduced to a puddle of mud...' in run.stdout
    print('%s: level ends on frame %d, life left %.2f, lowest %.2f%s'
          % (os.path.basename(script_path), end, life, lowest, ' (DIED)' if died else ''))


if __name__ == '__main__':
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2])
