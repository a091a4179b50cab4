#!/usr/bin/env python3
"""Start-up time and memory of ax7-control beside a bare Qt window of the same size.

Runs the two programs alternately under one Xvfb server (7 runs each by default), reads the
first-paint time each prints with AX7_TIMING set, and the resident memory one second after the
first paint, and prints the medians and their ratios.

    g++ -std=c++20 -O2 -fPIC bench/shell_bare_window.cpp -o /tmp/bare_window \\
        $(pkg-config --cflags --libs Qt6Widgets)
    bench/startup_compare.py build/src/shell/ax7-control /tmp/bare_window [runs]
"""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return -1


def one_run(argv, env):
    p = subprocess.Popen(argv, env=env, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL,
                         text=True)
    paint = None
    deadline = time.monotonic() + 20
    try:
        while time.monotonic() < deadline:
            line = p.stderr.readline()
            if not line:
                break
            m = re.search(r"first paint: (\d+) ms", line)
            if m:
                paint = int(m.group(1))
                break
        time.sleep(1.0)
        rss = rss_kb(p.pid)
    finally:
        p.kill()
        p.wait()
    return paint, rss


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    program, bare = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 7
    display = ":97"
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1600x1000x24", "-nolisten", "tcp"],
                            stderr=subprocess.DEVNULL)
    time.sleep(1.0)
    home = tempfile.mkdtemp(prefix="ax7-startup-")
    env = dict(os.environ, DISPLAY=display, AX7_TIMING="1", HOME=home,
               XDG_CONFIG_HOME=os.path.join(home, ".config"), QT_QPA_PLATFORM="xcb")
    results = {"ax7-control": [], "bare": []}
    try:
        for _ in range(runs):
            results["bare"].append(one_run([bare], env))
            results["ax7-control"].append(one_run([program, "--device", "sim"], env))
    finally:
        xvfb.kill()
        shutil.rmtree(home, ignore_errors=True)
    med = {}
    for name, rs in results.items():
        paints = [p for p, _ in rs if p is not None]
        rsss = [r for _, r in rs if r > 0]
        med[name] = (statistics.median(paints), statistics.median(rsss) / 1024)
        print(f"{name:12s} first paint {med[name][0]:6.0f} ms  resident {med[name][1]:6.1f} MB"
              f"  (paints {paints})")
    print(f"ratio        first paint {med['ax7-control'][0] / med['bare'][0]:.2f}x"
          f"  resident {med['ax7-control'][1] / med['bare'][1]:.2f}x")
    return 0


if __name__ == "__main__":
    sys.exit(main())
