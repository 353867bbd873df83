#!/usr/bin/env python3
"""Exports shaped to make a converter spin, each at two sizes, timed.

    bench/hostile.py --build BUILD --data DATA [--repeat N]

A converter that someone runs on an export they were sent must not be made
to spin by its shape: work that grows with the input only about doubles when
the shape is doubled. Each shape is generated at a size n and at 2n into
DATA, and the release tesscli of BUILD/src converts each into a fresh folder
in /dev/shm (where there is none, in DATA), its console to /dev/null. The
table gives, of the --repeat runs at each size, the least CPU time (user
and system, from GNU time) and the least wall time; the ratio checked is
the CPU time's.

Shapes:
    pieces, Windows form    one access path "C:\\a\\a\\...\\a" of n pieces
                            that names no folder: it is looked for below
                            the project folder, tail by tail
    pieces, Mac OS form     the same as "Disk:a:a:...:a:"
    siblings of one name    n targets all named "T": each gets a folder of
                            its own, "T", "T_2", ... "T_n"
    names along paths       n files given by name and found nowhere, along n
                            access paths: by the rule each look-up probes
                            every path, so the work is n x n and doubling n
                            quadruples it (shown for the record)
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from generate import DOCTYPE, NL, search_path, setting  # noqa: E402
from measure import fresh, run  # noqa: E402

# At most this ratio of the times counts as "about doubles": the runs are
# short, and a shared machine varies by some tens of percent.
LINEAR = 2.5


def project(targets, groups=""):
    return (DOCTYPE.replace("\n", NL) + "<PROJECT>" + NL + "<TARGETLIST>" + NL +
            NL.join(targets) + NL + "</TARGETLIST>" + NL + "<TARGETORDER></TARGETORDER>" + NL +
            "<GROUPLIST>" + groups + "</GROUPLIST>" + NL + "</PROJECT>" + NL)


def target(name, user_paths=()):
    settings = setting("Linker", "None", "")
    if user_paths:
        settings += ("<SETTING><NAME>UserSearchPaths</NAME>" + NL +
                     NL.join(search_path(p, root, False, "", fmt) for p, root, fmt in user_paths) +
                     NL + "</SETTING>")
    return f"<TARGET><NAME>{name}</NAME><SETTINGLIST>{settings}</SETTINGLIST></TARGET>"


def windows_pieces(n):
    return project([target("T", [("C:" + "\\a" * n, "Absolute", "Windows")])])


def mac_pieces(n):
    return project([target("T", [("Disk" + ":a" * n + ":", "Absolute", "MacOS")])])


def siblings(n):
    return project([target("T")] * n)


def names_along_paths(n):
    paths = [(f"gone_{i:06d}", "Project", "Unix") for i in range(n)]
    refs = "".join(f"<FILEREF><TARGETNAME>T</TARGETNAME><PATHTYPE>Name</PATHTYPE>"
                   f"<PATH>h_{i:06d}.h</PATH><PATHFORMAT>Unix</PATHFORMAT></FILEREF>{NL}"
                   for i in range(n))
    return project([target("T", paths)], f"<GROUP><NAME>G</NAME>{NL}{refs}</GROUP>")


# (name, export maker, n, whether the work is meant to be linear)
SHAPES = [
    ("pieces, Windows form", windows_pieces, 1_000_000, True),
    ("pieces, Mac OS form", mac_pieces, 1_000_000, True),
    ("siblings of one name", siblings, 10_000, True),
    ("names along paths", names_along_paths, 500, False),
]


def best_times(tesscli, export, dest, repeat):
    """The least CPU time (user + system) and the least wall time."""
    cpu, wall = [], []
    for _ in range(repeat):
        seconds, _, _, _, (user, system) = run([tesscli, export, fresh(dest), ""])
        cpu.append(user + system)
        wall.append(seconds)
    return min(cpu), min(wall)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    tesscli = os.path.join(args.build, "src", "tesscli")
    data = os.path.abspath(args.data)
    # On a disk, the siblings' tens of thousands of folders, made where the
    # last run's were removed, cost the file system more the more there are
    # (ext4 searches its recently deleted inodes for each): the disk's work,
    # not the converter's, so the folders are made in memory.
    memory = "/dev/shm"
    dest = os.path.join(memory if os.path.isdir(memory) else data, "tessbench-hostile")

    rows, checks = [], []
    for name, make, n, linear in SHAPES:
        print(f"measuring {name} ...", file=sys.stderr, flush=True)
        times = []
        for size in (n, 2 * n):
            export = os.path.join(data, f"{make.__name__}_{size}.mcp.xml")
            with open(export, "w", encoding="utf-8", newline="") as f:
                f.write(make(size))
            times.append(best_times(tesscli, export, dest, args.repeat))
            os.remove(export)
        ratio = times[1][0] / times[0][0]
        rows.append((name, n, times, ratio))
        if linear:
            checks.append((ratio <= LINEAR, f"{name}: twice the size took {ratio:.2f} x the CPU "
                                            f"time (at most {LINEAR})"))
        else:
            checks.append((None, f"{name}: twice the files and paths took {ratio:.2f} x the CPU "
                                 f"time (the rule's files x paths: 4)"))
    fresh(dest)
    os.rmdir(dest)

    print("| shape | n | CPU at n (s) | CPU at 2n (s) | ratio | wall at n (s) | wall at 2n (s) |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    for name, n, times, ratio in rows:
        print(f"| {name} | {n:,} | {times[0][0]:.2f} | {times[1][0]:.2f} | {ratio:.2f} "
              f"| {times[0][1]:.3f} | {times[1][1]:.3f} |")
    print()
    for ok, text in checks:
        print(("INFO  " if ok is None else "PASS  " if ok else "FAIL  ") + text)


if __name__ == "__main__":
    main()
