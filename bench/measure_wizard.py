#!/usr/bin/env python3
"""Times a conversion run through the wizard against the same run on the
command line, and prints one table.

    bench/measure_wizard.py --build DIR --data DIR [--size L] [--repeat N] [--dest DIR]

Each round runs, on a fresh destination: tesscli with every file accepted,
its console to /dev/null; the same with its console on a terminal (a pseudo
terminal that script(1) reads and drops, so no drawing is counted); the same
with its console read through a pipe in large blocks (what any reader of the
pipe costs); and the same conversion started from the wizard's Finish
button (tessbench_wizard on the offscreen platform, its window shown), which
reads the console through a pipe into its details log. Each round starts
with the next kind of run in turn. Wall time is the minimum over the rounds;
memory is the highest peak, for the wizard the wizard process's own (the
converter is a separate process).

The destination is below /dev/shm where there is one (or --dest): every run
writes the same 52,000 folders, and on a disk that writes in bursts and is
then throttled (as virtual machines' disks are) that writing, not the
console, decides the wall times.

Targets: the wizard's run within 1.5 times the command line's time, and the
wizard under 300 MB.
"""

import argparse
import json
import os
import shlex
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from measure import fresh, run  # noqa: E402

TIME_RATIO = 1.5
WIZARD_MB = 300


def wizard_run(build, export, dest, cw):
    """Runs tessbench_wizard; returns what run() returns for a child."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    out = subprocess.run(
        [os.path.join(build, "bench", "tessbench_wizard"), os.path.join(build, "src"), export,
         dest, cw],
        env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, check=True).stdout
    f = dict(line.split("=", 1) for line in out.split())
    if f.get("succeeded") != "1":
        sys.exit(f"the wizard's run did not succeed: {f}")
    cpu = (float(f["user_s"]), float(f["system_s"]))
    return float(f["wall_s"]), int(f["peak_rss"]), int(f["log_lines"]), "", cpu


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--size", default="L")
    parser.add_argument("--repeat", type=int, default=4)
    parser.add_argument("--dest", help="where the destination folder is made")
    args = parser.parse_args()

    meta = json.load(open(os.path.join(args.data, args.size, "meta.json")))
    export, cw = meta["export"], meta["codewarrior_dir"]
    tesscli = os.path.join(args.build, "src", "tesscli")
    parent = args.dest or ("/dev/shm" if os.path.isdir("/dev/shm") else args.data)
    dest = os.path.join(parent, f"tessbench-wizard-{os.getpid()}")

    def terminal():
        command = shlex.join([tesscli, export, fresh(dest), cw])
        return run(["script", "-q", "-e", "-c", command, "/dev/null"])

    # Each: label, one run, whose memory and CPU time it reports.
    kinds = [
        ("tesscli, console to /dev/null", lambda: run([tesscli, export, fresh(dest), cw]),
         "tesscli"),
        ("tesscli, console on a terminal", terminal, "script(1) and tesscli"),
        ("tesscli, console read through a pipe",
         lambda: run([tesscli, export, fresh(dest), cw], stdout_lines=True), "tesscli"),
        ("tesswiz, Finish to the end shown in the log",
         lambda: wizard_run(args.build, export, fresh(dest), cw), "the wizard alone"),
    ]
    subprocess.run(["cat", export], stdout=subprocess.DEVNULL, check=True)  # page cache
    results = {label: [] for label, _, _ in kinds}
    for i in range(args.repeat):
        print(f"round {i + 1} of {args.repeat} ...", file=sys.stderr, flush=True)
        for label, measure_one, _ in kinds[i % len(kinds):] + kinds[:i % len(kinds)]:
            results[label].append(measure_one())
    subprocess.run(["rm", "-rf", dest], check=True)

    wizard_label = kinds[-1][0]
    best = {label: min(runs, key=lambda r: r[0]) for label, runs in results.items()}
    peak = {label: max(r[1] for r in runs) for label, runs in results.items()}
    print(f"size {args.size}: {meta['file_refs']:,} file references, "
          f"{best[wizard_label][2]:,} lines in the wizard's log; {args.repeat} rounds; "
          f"destination below {parent}")
    print("| run | wall (s), fastest | wall (s), each round | peak RSS (MB) "
          "| CPU user + system (s), fastest |")
    print("|---|---|---|---|---|")
    for label, _, whose in kinds:
        wall, _, _, _, (user, system) = best[label]
        walls = ", ".join(f"{r[0]:.2f}" for r in results[label])
        print(f"| {label} | {wall:.2f} | {walls} | {peak[label] / 1e6:.1f} ({whose}) "
              f"| {user:.2f} + {system:.2f} ({whose}) |")

    wizard_wall = best[wizard_label][0]
    checks = [(wizard_wall / best[label][0] <= TIME_RATIO,
               f"wizard within {TIME_RATIO} x the time of {label}: "
               f"{wizard_wall / best[label][0]:.2f} x") for label, _, _ in kinds[:-1]]
    checks.append((peak[wizard_label] < WIZARD_MB * 1e6,
                   f"wizard under {WIZARD_MB} MB: {peak[wizard_label] / 1e6:.1f} MB"))
    for ok, text in checks:
        print(("PASS  " if ok else "FAIL  ") + text)


if __name__ == "__main__":
    main()
