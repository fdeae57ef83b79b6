#!/usr/bin/env python3
"""Library search paths of a build tree.

    check_runpath.py --readelf READELF --planted LIB --cli CLI BUILD_DIR PROGRAM...

Every ELF program and shared library under BUILD_DIR (outside CMake's own
folders) may carry only absolute or $ORIGIN-based RUNPATH/RPATH entries: the
loader reads an empty entry, and resolves a relative one, against the current
folder. The PROGRAMs must be among them. Then CLI is started from a folder
holding LIB as libz.so.1 and libAtUsbHid.so; LIB announces itself when loaded."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

SKIP_DIRS = {"CMakeFiles", "_CPack_Packages", "Testing"}
MARKER = "PLANTED LIBRARY LOADED"


def elf_kind(path):
    """'exec' or 'shared' for ELF programs and shared objects, else None."""
    try:
        with open(path, "rb") as f:
            head = f.read(18)
    except OSError:
        return None
    if len(head) < 18 or head[:4] != b"\x7fELF":
        return None
    e_type = int.from_bytes(head[16:18], "little" if head[5] == 1 else "big")
    return {2: "exec", 3: "shared"}.get(e_type)


def search_paths(readelf, path):
    """[(kind, value)] of the dynamic section's RUNPATH and RPATH."""
    out = subprocess.run([readelf, "-d", path], capture_output=True, text=True,
                         timeout=30).stdout
    found = []
    for line in out.splitlines():
        for kind in ("RUNPATH", "RPATH"):
            if "(" + kind + ")" in line and "[" in line:
                found.append((kind, line.split("[", 1)[1].rsplit("]", 1)[0]))
    return found


def bad_entries(value):
    """Entries the loader would look up relative to the current folder."""
    bad = []
    for entry in value.split(":"):
        if entry == "":
            bad.append("(empty)")
        elif not (entry.startswith("/") or entry.startswith("$ORIGIN")
                  or entry.startswith("${ORIGIN}")):
            bad.append(entry)
    return bad


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--readelf", required=True)
    ap.add_argument("--planted", required=True)
    ap.add_argument("--cli", required=True)
    ap.add_argument("build")
    ap.add_argument("programs", nargs="+")
    a = ap.parse_args()
    a.cli, a.planted, a.build = (os.path.abspath(x) for x in (a.cli, a.planted, a.build))

    failures = []
    checked = set()
    for root, dirs, files in os.walk(a.build):
        dirs[:] = sorted(d for d in dirs if d not in SKIP_DIRS)
        for name in sorted(files):
            path = os.path.join(root, name)
            if os.path.islink(path) or not elf_kind(path):
                continue
            checked.add(os.path.realpath(path))
            for kind, value in search_paths(a.readelf, path):
                bad = bad_entries(value)
                if bad:
                    failures.append(f"{os.path.relpath(path, a.build)}: {kind} [{value}] "
                                    f"has entries searched from the current folder: {sorted(set(bad))}")
    for p in a.programs:
        if os.path.realpath(p) not in checked:
            failures.append(f"{p} was not among the checked files (not built?)")
    print(f"checked {len(checked)} programs and shared libraries under {a.build}")

    # A folder somebody else filled, as the current folder of a run: a
    # library the program links (libz.so.1) and the one it loads by name.
    # A taken libz.so.1 lacks zlib's symbols and versions, so the loader
    # complains before any constructor runs.
    for name in ("libz.so.1", "libAtUsbHid.so"):
        with tempfile.TemporaryDirectory() as tmp:
            shutil.copy(a.planted, os.path.join(tmp, name))
            env = {k: v for k, v in os.environ.items() if k != "LD_LIBRARY_PATH"}
            env["VRX310_SIM_STATE"] = os.path.join(tmp, "sim.state")
            r = subprocess.run([a.cli, "read", "--json"], cwd=tmp, env=env,
                               capture_output=True, text=True, timeout=30)
            said = r.stdout + r.stderr
            taken = (MARKER in said or r.returncode in (97, 127) or
                     "no version information" in said or "symbol lookup error" in said)
            what = f"{os.path.basename(a.cli)} started beside a planted {name}"
            if taken:
                failures.append(f"{what} took it (exit {r.returncode}): "
                                + said.strip().replace("\n", " | ")[:300])
            else:
                print(f"ok    {what}: not taken (exit {r.returncode})")

    for f in failures:
        print("FAIL  " + f)
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
