#!/usr/bin/env python3
"""What syncing every written file and folder to the disk costs tesscli.

    bench/measure_durability.py [--build DIR] [--data DIR] [--repeat N] [--sizes demo,L]
                                [--dest DIR ...]

Converts the demo (examples/demo, N runs) and the L export (generated data,
N runs) into each destination folder given (default: one below --data, on
its disk, and one in /dev/shm, a tmpfs), each time into a fresh, empty
folder after the earlier writes are flushed, once as built and once with
fsync made a no-op (a preloaded library, built here with cc). Prints the
fastest wall time of each, and, when strace is installed, the number of
fsync calls of one more run and the time spent in them.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

NO_SYNC_SOURCE = """
int fsync(int fd) { (void)fd; return 0; }
int fdatasync(int fd) { (void)fd; return 0; }
"""


def no_sync_library(folder):
    """A library that, preloaded, makes fsync and fdatasync do nothing."""
    source = os.path.join(folder, "nosync.c")
    library = os.path.join(folder, "nosync.so")
    with open(source, "w") as f:
        f.write(NO_SYNC_SOURCE)
    subprocess.run(["cc", "-shared", "-fPIC", "-O2", source, "-o", library], check=True)
    return library


def fresh(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    os.sync()
    return folder


def fastest(argv, dest, repeat, preload=None):
    env = dict(os.environ)
    if preload:
        env["LD_PRELOAD"] = preload
    best = None
    for _ in range(repeat):
        fresh(dest)
        start = time.perf_counter()
        result = subprocess.run(argv, stdout=subprocess.DEVNULL, env=env)
        wall = time.perf_counter() - start
        if result.returncode != 0:
            sys.exit(f"failed ({result.returncode}): {' '.join(argv)}")
        best = wall if best is None else min(best, wall)
    return best


def fsync_calls(argv, dest):
    """(calls, seconds) of fsync in one run, from strace; None without it."""
    if shutil.which("strace") is None:
        return None
    fresh(dest)
    with tempfile.NamedTemporaryFile(mode="r") as trace:
        subprocess.run(["strace", "-f", "-T", "-e", "trace=fsync", "-o", trace.name] + argv,
                       stdout=subprocess.DEVNULL, check=True)
        calls = [line for line in trace if "fsync(" in line and "<" in line]
    return len(calls), sum(float(line.rsplit("<", 1)[1].rstrip(">\n")) for line in calls)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build/bench")
    parser.add_argument("--data", default="build/bench-data")
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--dest", action="append")
    parser.add_argument("--sizes", default="demo,L")
    args = parser.parse_args()

    tesscli = os.path.join(args.build, "src", "tesscli")
    meta = json.load(open(os.path.join(args.data, "L", "meta.json")))
    demo = os.path.join("examples", "demo")
    exports = [
        ("demo", [os.path.join(demo, "demo.mcp.xml")], os.path.abspath(os.path.join(demo, "cw")),
         ["-pn", "Demo"], args.repeat * 5),
        ("L", [meta["export"]], meta["codewarrior_dir"], [], args.repeat),
    ]
    dests = args.dest or [os.path.join(args.data, "durability-dest"), "/dev/shm/tessbench-dest"]
    with tempfile.TemporaryDirectory() as scratch:
        preload = no_sync_library(scratch)
        print(f"{'export':6} {'destination on':14} {'synced (s)':>11} {'no fsync (s)':>13}"
              f" {'cost (s)':>9} {'fsync calls':>12} {'in fsync (s)':>13}", flush=True)
        for name, export, cw, options, repeat in exports:
            if name not in args.sizes.split(","):
                continue
            subprocess.run(["cat"] + export, stdout=subprocess.DEVNULL, check=True)
            for dest in dests:
                argv = [tesscli] + export + [dest, cw] + options
                synced = fastest(argv, dest, repeat)
                unsynced = fastest(argv, dest, repeat, preload)
                traced = fsync_calls(argv, dest)
                calls = f"{traced[0]:12d} {traced[1]:13.3f}" if traced else f"{'-':>12} {'-':>13}"
                kind = subprocess.run(["df", "--output=fstype", dest], capture_output=True,
                                      text=True).stdout.split()[-1]
                print(f"{name:6} {kind:14} {synced:11.3f} {unsynced:13.3f}"
                      f" {synced - unsynced:9.3f} {calls}", flush=True)
                shutil.rmtree(dest)


if __name__ == "__main__":
    main()
