#!/usr/bin/python3
"""Start-up benchmark: runs the real game binary five times under one Xvfb screen and reports
the median of its own "Game init in" figure, of the wall time from process start to the
"Changing to menu..." line with the CPU time spent by then, and of the resident memory half a second into the menu (with Mesa's
software driver the GL copies of textures and buffers count in it too). Each run is ended with
ESC, as a player would.

Usage (from the repository root, after scripts/setup.sh):
    xvfb-run -a -s "-screen 0 1920x1080x24" tools/bench/startup.py [--runs N] [--binary build/tavo]
"""
import argparse
import os
import statistics
import subprocess
import sys
import time


def one_run(binary):
    start = time.monotonic()
    game = subprocess.Popen([binary], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, bufsize=1)
    init_secs = None
    to_menu = None
    cpu_to_menu = None
    for line in game.stdout:
        if line.startswith("Game init in "):
            init_secs = float(line.split()[3])
        if line.strip() == "Changing to menu...":
            to_menu = time.monotonic() - start
            cpu_to_menu = cpu_seconds(game.pid)
        if line.strip() == "Starting game loop":
            break
    time.sleep(0.5)
    resident_mib = resident_memory_mib(game.pid)
    subprocess.run(["xdotool", "keydown", "Escape"], check=False)
    time.sleep(0.3)
    subprocess.run(["xdotool", "keyup", "Escape"], check=False)
    try:
        game.communicate(timeout=30)
    except subprocess.TimeoutExpired:
        game.kill()
        game.communicate()
    if init_secs is None or to_menu is None:
        raise RuntimeError("the game did not reach its menu (exit status %s)" % game.returncode)
    return init_secs, to_menu, cpu_to_menu, resident_mib


def cpu_seconds(pid):
    """User plus system time of all the process's threads so far: on a busy machine it varies
    far less than wall time."""
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def resident_memory_mib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    return float("nan")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--binary", default="build/tavo")
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        sys.exit("No DISPLAY: run this under xvfb-run (see the usage above).")
    inits, menus, cpus, residents = [], [], [], []
    for i in range(args.runs):
        init_secs, to_menu, cpu_to_menu, resident_mib = one_run(args.binary)
        inits.append(init_secs)
        menus.append(to_menu)
        cpus.append(cpu_to_menu)
        residents.append(resident_mib)
        print("run %d: Game init in %.3f s, process start to menu %.3f s (CPU %.2f s), resident at the menu %.1f MiB"
              % (i + 1, init_secs, to_menu, cpu_to_menu, resident_mib))
    print("median over %d runs: Game init in %.3f s, process start to menu %.3f s (CPU %.2f s), "
          "resident at the menu %.1f MiB"
          % (args.runs, statistics.median(inits), statistics.median(menus), statistics.median(cpus),
             statistics.median(residents)))


if __name__ == "__main__":
    main()
