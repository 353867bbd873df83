#!/usr/bin/env python3
"""Times the conversion of the biggest binary project kept with the tests
against the conversion of the IDE's export of the same state.

    bench/measure_binary.py --tesscli PATH [--repeat N]

Both files lie side by side in a fresh copy of the pair's folder; each run
converts into a fresh, empty destination with its console on /dev/null.
Wall time, CPU time (user + system) and peak resident memory (from GNU
time) are each the minimum over --repeat runs.
"""

import argparse
import os
import shutil
import subprocess
import tempfile
import time

PAIR = "quesa-mac-2007-03-02"
DATA = os.path.join(os.path.dirname(__file__), "..", "tests", "data", "binary-projects", "pairs")


def timed(argv, cwd):
    rss_file = os.path.join(cwd, "rss")
    start = time.perf_counter()
    subprocess.run(["/usr/bin/time", "-f", "%M %U %S", "-o", rss_file] + argv, cwd=cwd,
                   check=True, stdout=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    with open(rss_file) as f:
        rss, user, system = f.read().split()[-3:]
    return wall, float(user) + float(system), int(rss) * 1024


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tesscli", required=True)
    parser.add_argument("--repeat", type=int, default=5)
    args = parser.parse_args()
    tesscli = os.path.abspath(args.tesscli)
    with tempfile.TemporaryDirectory() as work:
        for name in (PAIR + ".mcp", PAIR + ".mcp.xml"):
            shutil.copy(os.path.join(DATA, name), work)
        results = {}
        for source in (PAIR + ".mcp.xml", PAIR + ".mcp"):
            runs = []
            for _ in range(args.repeat):
                out = os.path.join(work, "out")
                shutil.rmtree(out, ignore_errors=True)
                os.mkdir(out)
                runs.append(timed([tesscli, source, out, ""], work))
            best = tuple(min(run[i] for run in runs) for i in range(3))
            results[source] = best
            size = os.path.getsize(os.path.join(work, source))
            print(f"  {source:<28} {size / 1024:5.0f} KB  wall {best[0] * 1000:6.1f} ms"
                  f"  CPU {best[1] * 1000:5.0f} ms  peak {best[2] / 2**20:4.1f} MB")
        ratio = results[PAIR + ".mcp"][0] / results[PAIR + ".mcp.xml"][0]
        print(f"  binary / export: {ratio:.2f} (target: at most 1)")


if __name__ == "__main__":
    main()
