#!/usr/bin/env python3
"""Reads every #include "folder/File.h" under src/ against the floors table that
src/CMakeLists.txt writes (one line per folder: the folders it may include, its own
first) and names each include that reaches a floor above, or a folder beside it.

usage: floor_includes.py FLOORS_TABLE SRC_DIR
Exit status 0 when every include stays on its floor or below, 1 otherwise.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/[^"]+"')


def read_table(path):
    reach = {}
    with open(path, encoding='utf-8') as table:
        for line in table:
            line = line.strip()
            if not line or line.startswith('#'):
                continue
            folder, allowed = line.split(':', 1)
            reach[folder.strip()] = allowed.split()
    return reach


def main():
    table, src = sys.argv[1], sys.argv[2]
    reach = read_table(table)
    problems = []
    for folder in sorted(os.listdir(src)):
        path = os.path.join(src, folder)
        if not os.path.isdir(path):
            continue
        if folder not in reach:
            problems.append('src/%s/ belongs to no floor (add it to src/CMakeLists.txt)' % folder)
            continue
        for name in sorted(os.listdir(path)):
            if not name.endswith(('.h', '.cpp')):
                continue
            with open(os.path.join(path, name), encoding='utf-8') as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if not match or match.group(1) in reach[folder]:
                        continue
                    problems.append('src/%s/%s:%d includes "%s": %s may include only %s' % (
                        folder, name, number, line.split('"')[1], folder, ', '.join(reach[folder])))
    for problem in problems:
        print('ERROR: ' + problem)
    print('%d includes reach up or aside' % len(problems))
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
