#!/usr/bin/env python3
"""What matching paths without regard to letter case costs, timed.

    bench/letter_case.py --build BUILD --data DATA [--size LW] [--before TESSCLI] [--repeat N]

A path piece of a text in Windows or Mac OS form that names nothing as
written is matched against its folder's entries in any letter case, on a
file system that tells case apart. Where the names match as written that
costs one existence test per reference and access path, and a look-up in
a folder's listing for each access path that lacks a name given by name;
where they do not, each folder on the way is listed, once per run.

DATA/SIZE (bench/generate.py --sizes LW, or MW for a quick run) is one tree
with every referenced file on disk and three exports of it: in Unix form,
in Windows form with the names as on disk, and in Windows form with every
name in upper case (each found only in another case). DATA/L is the L
export of the default run (Unix form). Each round converts every export
once with the release tesscli of BUILD/src, and with --before also with an
earlier build's tesscli (the build before the letter-case matching), each
with a filter that accepts no file and with every file accepted, into a
fresh folder in /dev/shm (where there is none, in DATA), its console to
/dev/null; the rounds start with each run in turn. The table gives the
least wall time and the least CPU time (user and system) of --repeat
rounds. The counting driver (BUILD/bench/tessbench_count) then converts the
three exports once more: their projects must be the same byte for byte,
and its counts show the existence tests and folder listings against what
the generator computed from the tree.
"""

import argparse
import filecmp
import json
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from measure import NO_EXTENSION, fresh, run  # noqa: E402

# At most this much more CPU time than the build before, where the texts are
# in Unix form. The CPU time is checked: on a shared machine the wall time
# also holds the waits for a core.
UNIX_LIMIT = 1.05
FORM_NAMES = {
    "unix": "Unix form",
    "windows": "Windows form, names as on disk",
    "case": "Windows form, names in another case",
}


def conversions(data, size, tesscli, before):
    """(row label, build label, argv without the destination, the export
    with the CodeWarrior folder) of every timed run."""
    runs = []
    exports = []
    l_meta = os.path.join(data, "L", "meta.json")
    if before and os.path.exists(l_meta):
        meta = json.load(open(l_meta))
        exports.append(("L, Unix form", meta["export"], meta["codewarrior_dir"], True))
    meta = json.load(open(os.path.join(data, size, "meta.json")))
    for key, export in meta["exports"].items():
        # The build before did not match in any case: on the export in
        # another case it finds no file, which is no comparison.
        exports.append((f"{size}, {FORM_NAMES[key]}", export, meta["codewarrior_dir"],
                        key != "case"))
    for label, export, cw, compare in exports:
        builds = [("after", tesscli)] + ([("before", before)] if before and compare else [])
        for build, program in builds:
            runs.append((label, "filter accepts none", build,
                         [program, export, None, cw, "-pn", "bench", "-ext", NO_EXTENSION]))
            runs.append((label, "all files accepted", build,
                         [program, export, None, cw, "-pn", "bench"]))
    return runs


def timed(runs, dest, repeat):
    """The least wall time, the least CPU time and the highest peak RSS of
    each run over the rounds."""
    best = {}
    for round_index in range(repeat):
        print(f"round {round_index + 1} of {repeat} ...", file=sys.stderr, flush=True)
        start = round_index % len(runs)
        for label, kind, build, argv in runs[start:] + runs[:start]:
            argv = [fresh(dest) if a is None else a for a in argv]
            wall, rss, _, _, (user, system) = run(argv)
            key = (label, kind, build)
            old = best.get(key, (wall, user + system, rss))
            best[key] = (min(old[0], wall), min(old[1], user + system), max(old[2], rss))
    return best


def counted(build, meta, dest):
    """The counting driver's figures for each export, and whether the three
    projects are the same byte for byte. Each is written into the same
    folder, which the project names, and moved aside after."""
    driver = os.path.join(build, "bench", "tessbench_count")
    counts, folders = {}, {}
    work = os.path.join(dest, "project")
    for key, export in meta["exports"].items():
        argv = [driver, export, fresh(work), meta["codewarrior_dir"], "-pn", "bench"]
        _, _, _, err, _ = run(argv, stderr_text=True)
        counts[key] = {k: int(v) for k, v in (line.split("=", 1) for line in err.split())}
        folders[key] = os.path.join(dest, key)
        os.rename(work, folders[key])
    same = all(same_tree(folders["unix"], folders[key]) for key in ("windows", "case"))
    return counts, same


def same_tree(a, b):
    """Whether two folders hold the same names and the same bytes."""
    compared = filecmp.dircmp(a, b)
    if compared.left_only or compared.right_only or compared.funny_files:
        return False
    _, mismatch, errors = filecmp.cmpfiles(a, b, compared.common_files, shallow=False)
    return not mismatch and not errors and all(
        same_tree(os.path.join(a, sub), os.path.join(b, sub)) for sub in compared.common_dirs)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--size", default="LW", help="LW, or MW for a quick run")
    parser.add_argument("--before", help="an earlier build's tesscli to compare with")
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()
    data = os.path.abspath(args.data)
    meta = json.load(open(os.path.join(data, args.size, "meta.json")))
    memory = "/dev/shm"
    dest = os.path.join(memory if os.path.isdir(memory) else data, "tessbench-letter-case")
    tesscli = os.path.join(args.build, "src", "tesscli")

    shutil.rmtree(dest, ignore_errors=True)
    runs = conversions(data, args.size, tesscli, args.before)
    best = timed(runs, os.path.join(dest, "timed"), args.repeat)
    counts, same = counted(args.build, meta, dest)
    shutil.rmtree(dest)

    print("| export | run | before: wall (s) | after: wall (s) | after / before "
          "| before: CPU (s) | after: CPU (s) | after: peak RSS (MB) |")
    print("|---|---|---:|---:|---:|---:|---:|---:|")
    rows = list(dict.fromkeys((label, kind) for label, kind, _, _ in runs))
    for label, kind in rows:
        after = best[(label, kind, "after")]
        before = best.get((label, kind, "before"))
        print(f"| {label} | {kind} | {f'{before[0]:.3f}' if before else '-'} | {after[0]:.3f} "
              f"| {f'{after[0] / before[0]:.3f}' if before else '-'} "
              f"| {f'{before[1]:.2f}' if before else '-'} | {after[1]:.2f} "
              f"| {after[2] / 1e6:.1f} |")
    print()
    print("| export | existence tests while reading | folder listings |")
    print("|---|---:|---:|")
    for key, c in counts.items():
        print(f"| {args.size}, {FORM_NAMES[key]} | {c['parse_exists']:,} | {c['list']:,} |")
    print()

    checks = []
    for label, kind in rows:
        before = best.get((label, kind, "before"))
        if label.startswith("L,") and before:
            after = best[(label, kind, "after")]
            cpu, wall = after[1] / before[1], after[0] / before[0]
            checks.append((cpu <= UNIX_LIMIT, f"{label}, {kind}: {cpu:.3f} x the CPU time of the "
                                              f"build before (at most {UNIX_LIMIT:.2f}); wall "
                                              f"time {wall:.3f} x"))
    checks.append((same, f"{args.size}: the three exports give the same project, byte for byte"))
    # One existence test per reference and access path in Windows form, in
    # either case, beside the Name look-ups' one per folder tried.
    unix, windows, case = counts["unix"], counts["windows"], counts["case"]
    probes = meta["expected_name_probes"] + meta["rel_refs"] + meta["access_paths"]
    checks.append((unix["parse_exists"] == meta["expected_name_probes"]
                   and windows["parse_exists"] == case["parse_exists"] == probes,
                   f"{args.size}: existence tests {unix['parse_exists']:,} in Unix form (one per "
                   f"folder tried by name), {windows['parse_exists']:,} and "
                   f"{case['parse_exists']:,} in Windows form (and one per reference and access "
                   f"path): {probes:,}"))
    # The Unix export lists only what the recursive access paths and the
    # writing list; what the others list beyond it is the matching's.
    for key, expected in [("windows", meta["fallback_folders_as_written"]),
                          ("case", meta["fallback_folders_other_case"])]:
        extra = counts[key]["list"] - unix["list"]
        checks.append((extra == expected,
                       f"{args.size}, {FORM_NAMES[key]}: {extra:,} folder listings beyond the Unix "
                       f"form's, each folder the matching must look into listed once: "
                       f"{expected:,}"))
    for kind in ("filter accepts none", "all files accepted"):
        label = f"{args.size}, {FORM_NAMES['case']}"
        case = best[(label, kind, "after")]
        written = best[(f"{args.size}, {FORM_NAMES['windows']}", kind, "after")]
        checks.append((None, f"{label}, {kind}: {case[1] / written[1]:.2f} x the CPU time of the "
                             f"names as on disk, wall time {case[0] / written[0]:.2f} x"))
    for ok, text in checks:
        print(("INFO  " if ok is None else "PASS  " if ok else "FAIL  ") + text)


if __name__ == "__main__":
    main()
