#!/usr/bin/env python3
"""Runs the tesscli benchmark on generated data and prints one table.

    bench/measure.py --build DIR --data DIR [--sizes S,M,L,P] [--repeat N]

For each size, in one run: the floor (cat into /dev/null), xmllint --stream
--noout, tesscli with an -ext filter that accepts no file, tesscli with every
file accepted, tesscli on the same export with an empty group list (the work
done per target, whatever the number of references), and the counting driver
for the file-system calls. The timed runs write their console lines (each
flushed, one write per line) to /dev/null; the counting run reads them
through a pipe, as the wizard does, and counts them. Wall time is the minimum
over --repeat runs (the L conversion with every file accepted runs once);
peak resident memory is the child's own, from GNU time. Each run gets a
fresh, empty destination folder, after the earlier runs' writes are flushed.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import time

NO_EXTENSION = "none"  # no generated file has this extension


def run(argv, stdout_lines=False, stderr_text=False):
    """Runs a child; returns (wall seconds, peak RSS bytes, stdout line
    count, stderr text, user + system CPU seconds). The peak RSS comes from
    GNU time: a child forked from this Python process would report Python's
    own size as its peak."""
    rss_file = os.path.join(os.environ.get("TMPDIR", "/tmp"), f"tessbench_rss_{os.getpid()}")
    start = time.perf_counter()
    child = subprocess.Popen(["/usr/bin/time", "-f", "%M %U %S", "-o", rss_file] + argv,
                             stdout=subprocess.PIPE if stdout_lines else subprocess.DEVNULL,
                             stderr=subprocess.PIPE if stderr_text else None)
    lines = 0
    if stdout_lines:
        # Drained as it arrives, in blocks, like the wizard's details log.
        while True:
            block = child.stdout.read1(1 << 16)
            if not block:
                break
            lines += block.count(b"\n")
    err = child.stderr.read().decode() if stderr_text else ""
    child.wait()
    wall = time.perf_counter() - start
    if child.returncode != 0:
        sys.exit(f"failed ({child.returncode}): {' '.join(argv)}\n{err}")
    with open(rss_file) as f:
        rss, user, system = f.read().split()[-3:]
    os.remove(rss_file)
    return wall, int(rss) * 1024, lines, err, (float(user), float(system))


def fresh(folder):
    """An empty folder; the earlier runs' writes and removals are flushed
    first, so that their writeback does not run during the next timed run."""
    if os.path.exists(folder):
        shutil.rmtree(folder)
    os.makedirs(folder)
    os.sync()
    return folder


def targets_only(export):
    """The export with an empty group list, beside it (so that its paths
    resolve alike): every target's settings, expansions and personalities,
    and no file reference. Its run is the work a conversion does per target,
    whatever the number of references."""
    with open(export, "rb") as f:
        head = b""
        while b"<GROUPLIST>" not in head:
            block = f.read(1 << 20)
            if not block:
                sys.exit(f"no group list in {export}")
            head += block
    cut = head.index(b"<GROUPLIST>") + len(b"<GROUPLIST>")
    path = os.path.join(os.path.dirname(export), "targets_only.mcp.xml")
    with open(path, "wb") as f:
        f.write(head[:cut] + b"</GROUPLIST>\r\n</PROJECT>\r\n")
    return path


def measure(size, build, data, repeat):
    meta = json.load(open(os.path.join(data, size, "meta.json")))
    export, cw = meta["export"], meta["codewarrior_dir"]
    no_refs = targets_only(export)
    tesscli = os.path.join(build, "src", "tesscli")
    driver = os.path.join(build, "bench", "tessbench_count")
    dest = os.path.join(data, size, "dest")
    r = dict(meta)

    subprocess.run(["cat", export], stdout=subprocess.DEVNULL, check=True)  # page cache
    best = {}
    for _ in range(repeat):
        for key, argv in [
            ("cat", ["cat", export]),
            ("xmllint", ["xmllint", "--stream", "--noout", export]),
            ("filtered", [tesscli, export, dest, cw, "-ext", NO_EXTENSION]),
            ("targets", [tesscli, no_refs, dest, cw]),
        ]:
            fresh(dest)
            keep(best, key, run(argv))
    all_runs = 1 if size in ("L", "P") else repeat
    for _ in range(all_runs):
        keep(best, "all", run([tesscli, export, fresh(dest), cw]))
    # The counting run reads the console through a pipe, line count included.
    _, _, r["stdout_lines"], err, _ = run([driver, export, fresh(dest), cw], stdout_lines=True,
                                           stderr_text=True)
    counts = dict(line.split("=", 1) for line in err.split())
    r.update({k: int(v) for k, v in counts.items()})
    # The filtered run parses the same references: its Name look-ups probe
    # the same folders, only nothing is placed.
    _, _, _, err, _ = run([driver, export, fresh(dest), cw, "-ext", NO_EXTENSION],
                          stderr_text=True)
    counts = dict(line.split("=", 1) for line in err.split())
    r.update({"filtered_" + k: int(v) for k, v in counts.items()})
    shutil.rmtree(dest)
    for key, (wall, rss, cpu) in best.items():
        r[key + "_s"] = wall
        r[key + "_rss"] = rss
        r[key + "_user"], r[key + "_sys"] = cpu
    return r


def keep(best, key, result):
    """The fastest run's wall and CPU times, and the highest peak RSS."""
    wall, rss, _, _, cpu = result
    if key not in best:
        best[key] = (wall, rss, cpu)
    elif wall < best[key][0]:
        best[key] = (wall, max(rss, best[key][1]), cpu)
    else:
        best[key] = (best[key][0], max(rss, best[key][1]), best[key][2])


def mb(n):
    return n / 1e6


def net_per_ref(r, key):
    """Time per file reference once the run of the same targets without
    references is taken off."""
    return (r[key] - r["targets_s"]) / r["file_refs"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--sizes", default="S,M,L,P")
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--json", help="also write the figures to this file")
    args = parser.parse_args()

    results = []
    for size in args.sizes.split(","):
        print(f"measuring {size} ...", file=sys.stderr, flush=True)
        results.append(measure(size, args.build, args.data, args.repeat))

    rows = [
        ("export size (MB)", lambda r: f"{mb(r['export_bytes']):.1f}"),
        ("targets / file references", lambda r: f"{r['targets']} / {r['file_refs']:,}"),
        ("include folders per target", lambda r: f"{r['include_folders_per_target']}"),
        ("references by name (found)", lambda r: f"{r['name_refs']} ({r['name_refs_found']})"),
        ("group tree nodes / files placed", lambda r: f"{r['nodes']:,} / {r['files']:,}"),
        ("cat > /dev/null (s)", lambda r: f"{r['cat_s']:.3f}"),
        ("xmllint --stream --noout (s)", lambda r: f"{r['xmllint_s']:.3f}"),
        ("  user / system CPU (s)", lambda r: f"{r['xmllint_user']:.2f} / {r['xmllint_sys']:.2f}"),
        ("tesscli, targets only (s)", lambda r: f"{r['targets_s']:.3f}"),
        ("tesscli, filter accepts none (s)", lambda r: f"{r['filtered_s']:.3f}"),
        ("  user / system CPU (s)", lambda r: f"{r['filtered_user']:.2f} / {r['filtered_sys']:.2f}"),
        ("  ratio to xmllint", lambda r: f"{r['filtered_s'] / r['xmllint_s']:.2f}"),
        ("  reader throughput (MB/s)", lambda r: f"{mb(r['export_bytes']) / r['filtered_s']:.0f}"),
        ("  per file reference (us)", lambda r: f"{r['filtered_s'] / r['file_refs'] * 1e6:.2f}"),
        ("    net of the per-target work", lambda r: f"{net_per_ref(r, 'filtered_s') * 1e6:.2f}"),
        ("  peak RSS (MB)", lambda r: f"{mb(r['filtered_rss']):.1f}"),
        ("tesscli, all files accepted (s)", lambda r: f"{r['all_s']:.3f}"),
        ("  user / system CPU (s)", lambda r: f"{r['all_user']:.2f} / {r['all_sys']:.2f}"),
        ("  per file reference (us)", lambda r: f"{r['all_s'] / r['file_refs'] * 1e6:.2f}"),
        ("    net of the per-target work", lambda r: f"{net_per_ref(r, 'all_s') * 1e6:.2f}"),
        ("  peak RSS (MB)", lambda r: f"{mb(r['all_rss']):.1f}"),
        ("  path bytes in tree (MB)", lambda r: f"{mb(r['path_bytes']):.1f}"),
        ("  console lines", lambda r: f"{r['stdout_lines']:,}"),
        ("existence probes: Name look-ups", lambda r: f"{r['parse_exists']:,}"),
        ("  expected (1 per folder tried)", lambda r: f"{r['expected_name_probes']:,}"),
        ("existence and kind probes: writer", lambda r: f"{r['write_exists'] + r['write_kind']:,}"),
        ("directory creations", lambda r: f"{r['created']:,}"),
        ("expansion: listings / status", lambda r: f"{r['list']:,} / {r['status'] + r['identity'] + r['root']:,}"),
    ]
    width = max(len(name) for name, _ in rows)
    print("| " + "figure".ljust(width) + " | " + " | ".join(r["size"].rjust(12) for r in results) + " |")
    print("|-" + "-" * width + "-|" + "|".join("-" * 13 + ":" for _ in results) + "|")
    for name, cell in rows:
        print("| " + name.ljust(width) + " | " + " | ".join(cell(r).rjust(12) for r in results) + " |")

    print()
    checks = []
    by = {r["size"]: r for r in results}
    if "P" in by:
        # Reading and parsing: P has no recursive access path, so the folder
        # walks cost nothing and the run is the reader and the grammar.
        r = by["P"]
        ratio = r["filtered_s"] / r["xmllint_s"]
        checks.append((ratio <= 0.5, f"P, filter accepting none: tesscli / xmllint = {ratio:.2f} (at most 0.50)"))
        checks.append((r["filtered_rss"] < 64 << 20,
                       f"P, filter accepting none: peak RSS {mb(r['filtered_rss']):.1f} MB (below 64 MB)"))
    if "L" in by:
        r = by["L"]
        checks.append((None, f"L, filter accepting none: tesscli / xmllint = "
                             f"{r['filtered_s'] / r['xmllint_s']:.2f} (with its 10 targets' folder walks)"))
        limit = 2 * r["path_bytes"] + (32 << 20)
        checks.append((r["all_rss"] <= limit,
                       f"L, all accepted: peak RSS {mb(r['all_rss']):.1f} MB "
                       f"(at most 2 x {mb(r['path_bytes']):.1f} + 33.6 MB (32 MiB) = {mb(limit):.1f} MB)"))
    if "M" in by and "L" in by:
        # Linear: the time per reference, net of the work M and L do alike
        # for their ten targets (the folder walks, the personalities), is the
        # same at both sizes.
        for key, label in [("filtered_s", "filter accepting none"), ("all_s", "all accepted")]:
            m, l = net_per_ref(by["M"], key), net_per_ref(by["L"], key)
            diff = abs(m - l) / min(m, l)
            checks.append((diff < 0.25, f"time per file reference net of the per-target work, {label}: "
                                        f"M {m * 1e6:.2f} us, L {l * 1e6:.2f} us, differ by {diff * 100:.0f}% (below 25%)"))
        # The per-target work itself: M and L have the same ten targets.
        m, l = by["M"]["targets_s"], by["L"]["targets_s"]
        checks.append((None, f"per-target work (targets only): M {m:.3f} s, L {l:.3f} s"))
    for r in results:
        ok = r["parse_exists"] == r["expected_name_probes"] == r["filtered_parse_exists"]
        checks.append((ok, f"{r['size']}: Name look-ups probed {r['parse_exists']:,} times "
                           f"(filtered run {r['filtered_parse_exists']:,}), one per folder tried: "
                           f"{r['expected_name_probes']:,}"))
        # A reference found nowhere is placed with an empty path, as described.
        checks.append((r["files"] == r["file_refs"] and r["stdout_lines"] > r["files"],
                       f"{r['size']}: all {r['files']:,} references placed, "
                       f"{r['stdout_lines']:,} console lines read as they came"))
    for ok, text in checks:
        print(("INFO  " if ok is None else "PASS  " if ok else "FAIL  ") + text)
    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=1)


if __name__ == "__main__":
    main()
