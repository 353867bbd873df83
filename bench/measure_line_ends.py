#!/usr/bin/env python3
"""Times restoring binary projects whose CR bytes a line-end conversion
turned into LF, against the same files read by a build from before the
restoring (--before), to show that no input makes it search combinations.

    bench/measure_line_ends.py --tesscli PATH [--before PATH] [--repeat N]

Files, written to a temporary folder:
    LF only, 1 MB and 8 MB   "cool" and LF bytes: every field is a candidate
    many candidates          a project of 50,000 files in a target whose
                             number is 13 (after one of 12), so that each
                             file's reference in the file list, the link
                             order and the group tree begins with a CR
                             (150,000 candidates, and the string list's and
                             the index's own), intact and with every CR
                             turned into LF
Each is converted (console to /dev/null) into a fresh destination; wall
time, CPU time (user + system) and peak resident memory (GNU time) are each
the least over --repeat runs.
"""

import argparse
import os
import shutil
import struct
import subprocess
import tempfile
import time

HEADER = 0x128


def container(chunks):
    """The bytes of a big-endian project file holding `chunks`, each
    (type, id, name number, data), in that order."""
    data = b""
    index = b""
    for kind, ident, name, body in chunks:
        index += struct.pack(">II4sII", HEADER + len(data), len(body), kind, ident, name) + b"\0" * 4
        data += body
    header = struct.pack(">4sIIIIIII", b"cool", 3, HEADER, len(data), HEADER + len(data),
                         len(index), len(chunks), 0)
    header += b"CodeWarrior Project".ljust(256, b"\0")
    return header.ljust(HEADER, b"\0") + data + index


def strings(texts):
    """A string table of the texts, and the number of each. Numbers that
    hold a CR byte are left unused, their strings deleted (bytes kept, no
    entry), as the IDE leaves a deleted string."""
    text = b""
    offsets = b""
    numbers = []
    number = 0
    for t in texts:
        number += 1
        while b"\r" in struct.pack(">I", number):
            text += b"deleted\0"
            number += 1
        offsets += struct.pack(">III", len(text), number, 0)
        numbers.append(number)
        text += t + b"\0"
    return text, offsets, numbers


def many_candidates(files):
    """Two targets, numbers 12 and 13: the first empty, the second of
    `files` files, every one in one group."""
    target = 13
    names = [b"S", b"T"] + [b"f%06d.c" % i for i in range(files)]
    serials = [n for n in range(1, 4 * files) if not set(struct.pack(">I", n)[1:]) & {10, 13}]
    refs = [target << 24 | serial for serial in serials[:files]]
    table1000 = strings(names)
    table0 = strings([b"Project File List"])
    name_of = table1000[2]
    file_list = b"".join(struct.pack(">II", r, name_of[i + 2]) + bytes([2, 1]) + b"\0" * 8 +
                         b"\1" + b"\0" * 9 + struct.pack(">I", 1) + b"\0" * 8
                         for i, r in enumerate(refs))
    group = b"GRUP" + struct.pack(">II", 0, 1) + b"\x07Sources" + struct.pack(">I", files)
    tree = struct.pack(">HI", 1, 2) + b"ROOT" + struct.pack(">IIB", 0, 0, 0) + struct.pack(">I", 1)
    tree += group + b"".join(b"FILE" + struct.pack(">I", r) for r in refs)
    target_list = struct.pack(">I", 2) + b"".join(
        struct.pack(">IB", name_of[i], number).ljust(0x218, b"\0")
        for i, number in enumerate((target - 1, target)))
    return container([
        (b"mtpi", target - 1, 0, struct.pack(">IIII", 0, 0, (target - 1) << 24, 0)),
        (b"mtpl", target - 1, 0, b""),
        (b"mtpi", target, 0, struct.pack(">IIII", files, files, target << 24, refs[-1])),
        (b"mtpl", target, 0, file_list),
        (b"mtlo", target, 0, b"".join(struct.pack(">I", r) for r in refs)),
        (b"PLst", 7, table0[2][0], tree),
        (b"mtgl", 1000, 0, target_list),
        (b"mstr", 0, 0, table0[0]),
        (b"mstl", 0, 0, table0[1]),
        (b"mstr", 1000, 0, table1000[0]),
        (b"mstl", 1000, 0, table1000[1]),
    ])


def timed(tesscli, source, work):
    out = os.path.join(work, "out")
    shutil.rmtree(out, ignore_errors=True)
    os.mkdir(out)
    rss_file = os.path.join(work, "rss")
    start = time.perf_counter()
    subprocess.run(["/usr/bin/time", "-f", "%M %U %S", "-o", rss_file, tesscli, source, out, ""],
                   cwd=work, stdout=subprocess.DEVNULL, check=False)
    wall = time.perf_counter() - start
    with open(rss_file) as f:
        rss, user, system = f.read().split()[-3:]
    return wall, float(user) + float(system), int(rss) * 1024


def best(tesscli, source, work, repeat):
    runs = [timed(tesscli, source, work) for _ in range(repeat)]
    return tuple(min(run[i] for run in runs) for i in range(3))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tesscli", required=True)
    parser.add_argument("--before", help="a tesscli built before the restoring")
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    programs = [("now", os.path.abspath(args.tesscli))]
    if args.before:
        programs.append(("before", os.path.abspath(args.before)))
    with tempfile.TemporaryDirectory() as work:
        intact = many_candidates(50000)
        cases = {
            "LF only, 1 MB": b"cool" + b"\n" * (1 << 20),
            "LF only, 8 MB": b"cool" + b"\n" * (8 << 20),
            "many candidates, intact": intact,
            "many candidates, converted": intact.replace(b"\r", b"\n"),
        }
        for label, data in cases.items():
            source = os.path.join(work, "P.mcp")
            with open(source, "wb") as f:
                f.write(data)
            for name, program in programs:
                wall, cpu, rss = best(program, "P.mcp", work, args.repeat)
                print(f"  {label:<28} {len(data) / 2**20:5.1f} MB  {name:<6}  wall {wall * 1000:7.1f}"
                      f" ms  CPU {cpu * 1000:6.0f} ms  peak {rss / 2**20:6.1f} MB")


if __name__ == "__main__":
    main()
