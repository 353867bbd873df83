#!/usr/bin/env python3
"""Synthetic CodeWarrior exports, with the folders they refer to, for the
tesscli benchmark.

    bench/generate.py [--out DIR] [--sizes S,M,L,P] [--seed N] [--force]

For each size SIZE the data goes to DIR/SIZE (default DIR: build/bench-data):

    project/bench_SIZE.mcp.xml   the export (CR LF line ends, as the IDE writes)
    project/src/...              the files the export names by path (S and M only)
    project/include/...          a recursive user access path
    cw/Libraries/...             a recursive system access path below the
                                 CodeWarrior folder: the bulk of the include
                                 folders, holding the headers given by name
    meta.json                    what was generated, and the existence probes
                                 the Name look-ups must cost

Sizes:
    S   1 target, 1,000 file references, 50 include folders
    M   10 targets, 20,000 file references in nested groups, 500 include
        folders per target reached through recursive access paths
    L   like M with 50 times the references and groups: 1,000,000 file
        references, about 200 MB. Only the folders and the headers found by
        name exist on disk.
    P   like L, but no access path is recursive (3 include folders per
        target): the read-and-parse row, where the folder walks cost nothing.
    W   (not in the default run) 1 target whose one module holds 32,000
        groups side by side, one reference each: the cost of wide group lists.
    MW, LW  (not in the default run) M and L with every referenced file on
        disk and three exports of that one tree, alike but for how they write
        its paths: bench_SIZE_unix (Unix form), bench_SIZE (Windows form, the
        names as on disk) and bench_SIZE_case (Windows form, every name in
        upper case, so that each is found only by matching it without regard
        to letter case). All three must give the same project.

Everything is deterministic for a seed. The expected probe count is computed
by walking the access paths in the order the converter expands them
(depth first, each folder's entries in the order the file system lists them),
so it holds for the tree as it lies on this disk.
"""

import argparse
import json
import os
import random
import shutil
import sys

# Shape of each size. refs: file references in the group list; groups: leaf
# groups (two or three levels deep) holding them; user_subs: subfolders of
# the recursive "include" user path; libs x incs: folders below the recursive
# "Libraries" system path; modules: how many groups hold the leaf groups
# (default: one per 20); name_every: one reference in that many is given by
# name only; files_on_disk: whether the references' files are created.
SIZES = {
    "S": dict(targets=1, refs=1_000, groups=20, user_subs=3, libs=5, incs=8,
              name_every=100, files_on_disk=True),
    "M": dict(targets=10, refs=20_000, groups=400, user_subs=13, libs=22, incs=21,
              name_every=1000, files_on_disk=True),
    "L": dict(targets=10, refs=1_000_000, groups=20_000, user_subs=13, libs=22, incs=21,
              name_every=1000, files_on_disk=False),
    "P": dict(targets=10, refs=1_000_000, groups=20_000, user_subs=13, libs=22, incs=21,
              name_every=1000, files_on_disk=False, recursive=False),
    # Wide: 32,000 groups side by side in one module, one reference each.
    "W": dict(targets=1, refs=32_000, groups=32_000, modules=1, user_subs=3, libs=5, incs=8,
              name_every=1000, files_on_disk=False),
    # Letter case: one tree, three exports (see PATH_FORMS).
    "MW": dict(targets=10, refs=20_000, groups=400, user_subs=13, libs=22, incs=21,
               name_every=1000, files_on_disk=True, path_forms=True),
    "LW": dict(targets=10, refs=1_000_000, groups=20_000, user_subs=13, libs=22, incs=21,
               name_every=1000, files_on_disk=True, path_forms=True),
}

# How an export writes the path texts of its access paths and references,
# which the generator holds in Unix form: (export name's suffix, PATHFORMAT,
# the text). Every name on disk holds a lower-case letter, so the export in
# upper case names each in another case.
PATH_FORMS = {
    "unix": ("_unix", "Unix", lambda path: path),
    "windows": ("", "Windows", lambda path: path.replace("/", "\\")),
    "case": ("_case", "Windows", lambda path: path.replace("/", "\\").upper()),
}
UNIX_FORM = PATH_FORMS["unix"]

EXTENSIONS = ["c", "c", "c", "cpp", "h", "h", "s"]
# Where the headers given by name lie, as in a project that searches its own
# folders first: most in one of the user include folders, some in a library
# folder of the system paths, and a few nowhere (their look-up probes every
# include folder of the target).
IN_USER_FOLDER = 0.80
IN_SYSTEM_FOLDER = 0.15
NL = "\r\n"

DOCTYPE = """<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>
<?codewarrior exportversion="1.0.1" ideversion="5.0" ?>

<!DOCTYPE PROJECT [
<!ELEMENT PROJECT (TARGETLIST, TARGETORDER, GROUPLIST, DESIGNLIST?)>
<!ELEMENT TARGETLIST (TARGET+)>
<!ELEMENT TARGET (NAME, SETTINGLIST, FILELIST?, LINKORDER?)>
<!ELEMENT NAME (#PCDATA)>
<!ELEMENT PATH (#PCDATA)>
<!ELEMENT FILELIST (FILE*)>
<!ELEMENT FILE (PATHTYPE, PATHROOT?, ACCESSPATH?, PATH, PATHFORMAT?, ROOTFILEREF?, FILEKIND?, FILEFLAGS?)>
<!ELEMENT PATHTYPE (#PCDATA)>
<!ELEMENT PATHROOT (#PCDATA)>
<!ELEMENT ACCESSPATH (#PCDATA)>
<!ELEMENT PATHFORMAT (#PCDATA)>
<!ELEMENT FILEKIND (#PCDATA)>
<!ELEMENT FILEFLAGS (#PCDATA)>
<!ELEMENT FILEREF (TARGETNAME?, PATHTYPE, PATHROOT?, ACCESSPATH?, PATH, PATHFORMAT?)>
<!ELEMENT TARGETNAME (#PCDATA)>
<!ELEMENT SETTINGLIST ((SETTING|PANELDATA)+)>
<!ELEMENT SETTING (NAME?, (VALUE|(SETTING+)))>
<!ELEMENT PANELDATA (NAME, VALUE)>
<!ELEMENT VALUE (#PCDATA)>
<!ELEMENT LINKORDER (FILEREF*)>
<!ELEMENT TARGETORDER (ORDEREDTARGET|ORDEREDDESIGN)*>
<!ELEMENT ORDEREDTARGET (NAME)>
<!ELEMENT GROUPLIST (GROUP|FILEREF)*>
<!ELEMENT GROUP (NAME, (GROUP|FILEREF)*)>
]>
"""


def setting(name, value, indent):
    return f"{indent}<SETTING><NAME>{name}</NAME><VALUE>{value}</VALUE></SETTING>"


def search_path(path, root, recursive, indent, path_format="Unix"):
    i1, i2 = indent + "\t", indent + "\t\t"
    return NL.join([
        f"{indent}<SETTING>",
        f"{i1}<SETTING><NAME>SearchPath</NAME>",
        setting("Path", path, i2),
        setting("PathFormat", path_format, i2),
        setting("PathRoot", root, i2),
        f"{i1}</SETTING>",
        setting("Recursive", "true" if recursive else "false", i1),
        setting("FrameworkPath", "false", i1),
        setting("HostFlags", "All", i1),
        f"{indent}</SETTING>",
    ])


def target_xml(name, index, files, recursive, form=UNIX_FORM):
    """One TARGET: access paths, runtime and compiler settings, a file list."""
    _, path_format, text = form
    # The Unix form is the default, which the exports of the sizes leave out.
    file_format = "" if form is UNIX_FORM else f"<PATHFORMAT>{path_format}</PATHFORMAT>"
    t = "\t\t\t"
    lines = [
        "\t\t<TARGET>",
        f"\t\t\t<NAME>{name}</NAME>",
        "\t\t\t<SETTINGLIST>",
        "",
        '\t\t\t\t<!-- Settings for "Access Paths" panel -->',
        setting("AlwaysSearchUserPaths", "false", "\t\t\t\t"),
        "\t\t\t\t<SETTING><NAME>UserSearchPaths</NAME>",
        search_path(":", "Project", False, "\t\t\t\t\t", path_format),
        search_path(text("include"), "Project", recursive, "\t\t\t\t\t", path_format),
        "\t\t\t\t</SETTING>",
        "\t\t\t\t<SETTING><NAME>SystemSearchPaths</NAME>",
        search_path(text("Libraries"), "CodeWarrior", recursive, "\t\t\t\t\t", path_format),
        "\t\t\t\t</SETTING>",
        "",
        '\t\t\t\t<!-- Settings for "Debugger Runtime" panel -->',
        "\t\t\t\t<SETTING><NAME>MWRuntimeSettings_EnvVars</NAME>",
        setting("", f"BENCH_TARGET={index}", "\t\t\t\t\t"),
        "\t\t\t\t</SETTING>",
        "",
        '\t\t\t\t<!-- Settings for "C/C++ Compiler" panel -->',
        setting("MWFrontEnd_C_cplusplus", "0", "\t\t\t\t"),
        setting("MWFrontEnd_C_checkprotos", "1", "\t\t\t\t"),
        setting("MWFrontEnd_C_wchar_type", "1", "\t\t\t\t"),
        "\t\t\t</SETTINGLIST>",
        "\t\t\t<FILELIST>",
    ]
    for access, path in files:
        lines += [
            f"{t}\t<FILE><PATHTYPE>PathAbsolute</PATHTYPE><PATHROOT>Project</PATHROOT>"
            f"<ACCESSPATH>{text(access)}</ACCESSPATH><PATH>{text(path)}</PATH>"
            f"{file_format}<FILEKIND>Text</FILEKIND><FILEFLAGS>Debug</FILEFLAGS></FILE>",
        ]
    lines += ["\t\t\t</FILELIST>", "\t\t</TARGET>"]
    return NL.join(lines)


def make_include_tree(base, shape):
    """Creates the folders of both recursive access paths."""
    include = os.path.join(base, "project", "include")
    for u in range(shape["user_subs"]):
        os.makedirs(os.path.join(include, f"sub_{u:02d}"), exist_ok=True)
    libraries = os.path.join(base, "cw", "Libraries")
    for lib in range(shape["libs"]):
        for inc in range(shape["incs"]):
            os.makedirs(os.path.join(libraries, f"lib_{lib:02d}", f"inc_{inc:02d}"), exist_ok=True)


def expand(folder, out):
    """The converter's expansion of a recursive access path: every subfolder,
    depth first, each folder's entries in the order the file system lists
    them."""
    for name in os.listdir(folder):
        sub = folder + "/" + name
        if os.path.isdir(sub):
            out.append(sub)
            expand(sub, out)


def access_list(base, recursive):
    """A target's include folders in search order, as the converter builds
    them (user paths, then system paths)."""
    project = os.path.join(base, "project")
    user = [project + "/", project + "//include"]
    system = [os.path.join(base, "cw") + "//Libraries"]
    if recursive:
        expand(user[1], user)
        expand(system[0], system)
    return user + system


def write_export(export, targets, files_by_target, group_items, recursive, form=UNIX_FORM):
    """The export of the generated tree, its path texts in `form`."""
    _, path_format, text = form
    with open(export, "w", encoding="utf-8", newline="") as f:
        f.write(DOCTYPE.replace("\n", NL))
        f.write(NL + "<PROJECT>" + NL + "\t<TARGETLIST>" + NL)
        # One in twenty of each target's files stands in its file list: the
        # list is read and dropped, the group list is what the benchmark scales.
        for index, target in enumerate(targets):
            f.write(target_xml(target, index, files_by_target[target][::20], recursive, form)
                    + NL)
        f.write("\t</TARGETLIST>" + NL + NL + "\t<TARGETORDER>" + NL)
        for target in targets:
            f.write(f"\t\t<ORDEREDTARGET><NAME>{target}</NAME></ORDEREDTARGET>{NL}")
        f.write("\t</TARGETORDER>" + NL + NL + "\t<GROUPLIST>" + NL)
        previous_module = None
        for module, sub, detail, target, items in sorted(group_items, key=lambda x: (x[0], x[1])):
            if module != previous_module:
                if previous_module is not None:
                    f.write("\t\t</GROUP>" + NL)
                f.write(f"\t\t<GROUP><NAME>Module {module:03d} &amp; Tests</NAME>{NL}")
                previous_module = module
            ind = "\t\t\t"
            f.write(f"{ind}<GROUP><NAME>Group {sub:03d}</NAME>{NL}")
            if detail:
                ind += "\t"
                f.write(f"{ind}<GROUP><NAME>Detail</NAME>{NL}")
            chunk = []
            for kind, access, path in items:
                if kind == "name":
                    chunk.append(
                        f"{ind}\t<FILEREF>{NL}{ind}\t\t<TARGETNAME>{target}</TARGETNAME>{NL}"
                        f"{ind}\t\t<PATHTYPE>Name</PATHTYPE>{NL}"
                        f"{ind}\t\t<PATH>{text(path)}</PATH>{NL}"
                        f"{ind}\t\t<PATHFORMAT>{path_format}</PATHFORMAT>{NL}{ind}\t</FILEREF>{NL}")
                else:
                    chunk.append(
                        f"{ind}\t<FILEREF><TARGETNAME>{target}</TARGETNAME>"
                        f"<PATHTYPE>PathRelative</PATHTYPE><PATHROOT>Project</PATHROOT>"
                        f"<ACCESSPATH>{text(access)}</ACCESSPATH><PATH>{text(path)}</PATH>"
                        f"<PATHFORMAT>{path_format}</PATHFORMAT></FILEREF>{NL}")
            f.write("".join(chunk))
            if detail:
                f.write(f"{ind}</GROUP>{NL}")
                ind = ind[:-1]
            f.write(f"{ind}</GROUP>{NL}")
        if previous_module is not None:
            f.write("\t\t</GROUP>" + NL)
        f.write("\t</GROUPLIST>" + NL + "</PROJECT>" + NL)


def fallback_folders(order, name_headers, group_items, project_dir, base):
    """The folders that matching without regard to letter case lists, by the
    converter's rule, in the Windows exports of a tree: (as written, in
    another case). A Name look-up that misses a folder as written looks for
    the name in it in any case, so the export as written lists the folders
    tried before the one that holds the header (all of them when none does);
    in another case the one that holds it too, and every folder on the way
    of an access path or a reference below its root. Each folder counts
    once, by its path with doubled separators taken as one."""
    written, other_case = set(), set()
    for header in name_headers:
        for folder in order:
            folder = os.path.normpath(folder)
            other_case.add(folder)
            if os.path.exists(os.path.join(folder, header)):
                break
            written.add(folder)
    # "include" below the project folder, "Libraries" below the CodeWarrior
    # folder, and each reference's folders.
    other_case.update([os.path.normpath(project_dir), os.path.join(base, "cw")])
    for _, _, _, _, items in group_items:
        for kind, access, _ in items:
            if kind == "rel":
                pieces = access.split("/")
                other_case.update(os.path.join(project_dir, *pieces[:n])
                                  for n in range(1, len(pieces) + 1))
    return written, other_case


def generate(size, out_root, seed, force):
    shape = SIZES[size]
    base = os.path.abspath(os.path.join(out_root, size))
    meta_path = os.path.join(base, "meta.json")
    if os.path.exists(meta_path) and not force:
        print(f"{size}: present in {base}")
        return
    if os.path.exists(base):
        shutil.rmtree(base)
    rng = random.Random(f"{seed}-{size}")
    make_include_tree(base, shape)
    recursive = shape.get("recursive", True)
    order = access_list(base, recursive)
    user_count = 2 + shape["user_subs"] if recursive else 2

    targets = [f"Target {t:02d}" for t in range(shape["targets"])]
    refs, groups = shape["refs"], shape["groups"]
    per_group = refs // groups

    name_refs = list(range(0, refs, shape["name_every"]))

    # The group list: modules of sub-groups (and every fourth sub-group has a
    # nested detail group), each leaf holding per_group references of one
    # target. Paths name real files for S and M.
    project_dir = os.path.join(base, "project")
    files_by_target = {t: [] for t in targets}
    group_items = []  # per leaf: (module, sub, has detail group, target, [(kind, access, name)])
    name_headers = {}
    ref = 0
    name_set = set(name_refs)
    modules = shape.get("modules", max(1, groups // 20))
    for g in range(groups):
        module, sub = g % modules, g // modules
        detail = sub % 4 == 3
        target = targets[g % len(targets)]
        access = f"src/m_{module:03d}/g_{sub:03d}" + ("/detail" if detail else "")
        items = []
        for k in range(per_group):
            ext = EXTENSIONS[rng.randrange(len(EXTENSIONS))]
            if ref in name_set:
                header = f"hdr_{ref:07d}.h"
                # The shares are kept exactly in every run of 20 references,
                # so that S, M and L have the same mix; the folder is random.
                slot = len(name_headers) % 20
                if slot < 20 * IN_USER_FOLDER:
                    name_headers[header] = order[rng.randrange(user_count)]
                elif slot < 20 * (IN_USER_FOLDER + IN_SYSTEM_FOLDER):
                    name_headers[header] = order[rng.randrange(user_count, len(order))]
                else:
                    name_headers[header] = None
                items.append(("name", None, header))
            else:
                path = f"f_{ref:07d}.{ext}"
                items.append(("rel", access, path))
                files_by_target[target].append((access, path))
            ref += 1
        group_items.append((module, sub, detail, target, items))

    for header, folder in name_headers.items():
        if folder is not None:
            open(os.path.join(folder, header), "wb").close()
    if shape["files_on_disk"]:
        made = set()
        for _, _, _, _, items in group_items:
            for kind, access, path in items:
                if kind == "rel":
                    folder = os.path.join(project_dir, access)
                    if folder not in made:
                        os.makedirs(folder, exist_ok=True)
                        made.add(folder)
                    open(os.path.join(folder, path), "wb").close()

    # The sizes have one export, in Unix form, named after the size.
    forms = PATH_FORMS if shape.get("path_forms") else {"unix": UNIX_FORM}
    exports = {}
    for key, form in forms.items():
        suffix = form[0] if shape.get("path_forms") else ""
        exports[key] = os.path.join(project_dir, f"bench_{size}{suffix}.mcp.xml")
        write_export(exports[key], targets, files_by_target, group_items, recursive, form)
    export = exports["windows" if "windows" in exports else "unix"]

    # The probes the Name look-ups must cost, by the described search over
    # the folders as they now lie on disk: one per folder tried, up to the
    # first that holds the header.
    order = access_list(base, recursive)
    expected_probes = 0
    found = 0
    for header in name_headers:
        for folder in order:
            expected_probes += 1
            if os.path.exists(folder + "/" + header):
                found += 1
                break
    meta = dict(
        size=size, seed=seed, export=export, export_bytes=os.path.getsize(export),
        project_dir=project_dir, codewarrior_dir=os.path.join(base, "cw"),
        targets=len(targets), file_refs=refs, name_refs=len(name_headers),
        name_refs_found=found, include_folders_per_target=len(order),
        expected_name_probes=expected_probes,
        files_on_disk=shape["files_on_disk"],
    )
    if shape.get("path_forms"):
        written, other_case = fallback_folders(order, name_headers, group_items, project_dir, base)
        meta.update(exports=exports, rel_refs=refs - len(name_headers),
                    access_paths=3 * len(targets), fallback_folders_as_written=len(written),
                    fallback_folders_other_case=len(other_case))
    with open(meta_path, "w") as f:
        json.dump(meta, f, indent=1)
    print(f"{size}: {refs} file references, {meta['export_bytes'] / 1e6:.1f} MB, "
          f"{len(order)} include folders per target -> {base}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default="build/bench-data")
    parser.add_argument("--sizes", default="S,M,L,P")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--force", action="store_true", help="regenerate existing data")
    args = parser.parse_args()
    for size in args.sizes.split(","):
        if size not in SIZES:
            sys.exit(f"unknown size {size}; choose from {','.join(SIZES)}")
        generate(size, args.out, args.seed, args.force)


if __name__ == "__main__":
    main()
