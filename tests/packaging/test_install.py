#!/usr/bin/env python3
"""The installed tree: what goes where, how the installed programs find the
HID library, and the desktop entry.

    test_install.py BUILD_DIR BINDIR LIBDIR DATADIR

installs BUILD_DIR into a temporary prefix with cmake --install, then moves
the prefix elsewhere, so every check runs on a relocated tree."""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what)
    if not ok:
        failures.append(what)
    return ok


def run(argv, env=None, cwd=None, timeout=30):
    full = dict(os.environ)
    full.pop("LD_LIBRARY_PATH", None)
    full.update(env or {})
    return subprocess.run(argv, env=full, cwd=cwd, capture_output=True, text=True,
                          timeout=timeout)


def runpath(path):
    """(kind, value) of the dynamic section's search path entry."""
    out = run(["readelf", "-d", path]).stdout
    for line in out.splitlines():
        for kind in ("RUNPATH", "RPATH"):
            if "(" + kind + ")" in line:
                return kind, line.split("[", 1)[1].rstrip("]")
    return None, None


def loaded_hid_library(out):
    """Path of the libAtUsbHid.so the loader initialised, from LD_DEBUG=libs."""
    for line in out.splitlines():
        if "calling init:" in line and line.rstrip().endswith("/libAtUsbHid.so"):
            return os.path.realpath(line.split("calling init:", 1)[1].strip())
    return None


def system_has_hid_library():
    """An installed package puts the library where the loader looks anyway."""
    if any(os.path.exists(d + "/libAtUsbHid.so")
           for d in ("/usr/lib", "/lib", "/usr/lib/x86_64-linux-gnu", "/usr/local/lib")):
        return True
    return "libAtUsbHid.so" in run(["/sbin/ldconfig", "-p"]).stdout


def desktop_unescape(value):
    """String escapes of a desktop entry value."""
    out, i = [], 0
    while i < len(value):
        c = value[i]
        if c == "\\" and i + 1 < len(value):
            out.append({"s": " ", "n": "\n", "t": "\t", "r": "\r", "\\": "\\"}.get(
                value[i + 1], "\\" + value[i + 1]))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def exec_argv(value):
    """The Exec key's arguments: blanks separate, "..." quotes, and inside
    quotes a backslash escapes one of  " ` $ \\ ."""
    args, cur, quoted, has, i = [], [], False, False, 0
    s = desktop_unescape(value)
    while i < len(s):
        c = s[i]
        if quoted:
            if c == "\\" and i + 1 < len(s) and s[i + 1] in '"`$\\':
                cur.append(s[i + 1])
                i += 1
            elif c == '"':
                quoted = False
            else:
                cur.append(c)
        elif c == '"':
            quoted, has = True, True
        elif c == " ":
            if cur or has:
                args.append("".join(cur))
            cur, has = [], False
        else:
            cur.append(c)
        i += 1
    if cur or has:
        args.append("".join(cur))
    return args


def read_desktop(path):
    groups, group = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            if line.startswith("["):
                group = groups.setdefault(line[1:-1], {})
            elif "=" in line:
                key, value = line.split("=", 1)
                group[key.strip()] = value.strip()
    return groups


def main():
    build, bindir, libdir, datadir = sys.argv[1:5]
    build = os.path.abspath(build)
    sim = os.path.join(build, "sim")
    with tempfile.TemporaryDirectory() as tmp:
        staged = os.path.join(tmp, "staged")
        r = run(["cmake", "--install", build, "--prefix", staged])
        if not check(r.returncode == 0, "cmake --install into a temporary prefix"):
            print(r.stdout + r.stderr)
            return 1
        # Everything below runs on a moved tree: nothing may point at the prefix.
        prefix = os.path.join(tmp, "moved", "vrx310")
        os.makedirs(os.path.dirname(prefix))
        shutil.move(staged, prefix)
        b = os.path.join(prefix, bindir)
        lib = os.path.join(prefix, libdir)
        share = os.path.join(prefix, datadir)

        # -- where things go
        for f in ("VRX310_Application", "vrx310-cli", "fbtool"):
            check(os.access(os.path.join(b, f), os.X_OK), f"{bindir}/{f} is an executable")
        check(os.path.isfile(os.path.join(b, "VRX310_Application.DEU")),
              "the German module lies beside the program under its name")
        check(os.path.isfile(os.path.join(lib, "libAtUsbHid.so")),
              f"{libdir}/libAtUsbHid.so (the library for real testers)")
        check(os.path.isfile(os.path.join(prefix, "lib/udev/rules.d/70-vrx310.rules")),
              "the udev rule in lib/udev/rules.d")
        check(not os.path.exists(os.path.join(prefix, "sim")) and
              "atusbhid_sim" not in " ".join(os.listdir(lib)),
              "the simulator is not installed")

        # -- the HID library search of the installed programs
        for f in ("VRX310_Application", "vrx310-cli"):
            kind, value = runpath(os.path.join(b, f))
            check(kind == "RUNPATH" and value == "$ORIGIN/../" + libdir,
                  f"{f}: RUNPATH $ORIGIN/../{libdir} (found {kind} {value})")

        state = os.path.join(tmp, "sim.state")  # absent: the simulator's defaults
        cli = os.path.join(b, "vrx310-cli")
        r = run([cli, "read", "--json"], {"VRX310_SIM_STATE": state})
        check(r.returncode == 1 and "No VRX-310 device connected!" in r.stderr and
              "was not found" not in r.stderr,
              "vrx310-cli alone loads the installed library and finds no tester: " +
              r.stderr.strip().replace("\n", " | "))
        r = run([cli, "read", "--json"], {"LD_LIBRARY_PATH": sim, "VRX310_SIM_STATE": state})
        try:
            values = json.loads(r.stdout)["compression"][:7]
        except (ValueError, KeyError, TypeError):
            values = None
        check(r.returncode == 0 and values == [1285, 1310, 852, 1274, 1322, 1296, -1],
              f"LD_LIBRARY_PATH=<build>/sim wins: vrx310-cli reads the simulator ({values})")

        # The window program, started until its first paint, with the loader's
        # report of which libAtUsbHid.so it initialised.
        app = os.path.join(b, "VRX310_Application")
        gui = {"QT_QPA_PLATFORM": "offscreen", "VRX310_STARTUP_PROBE": "1",
               "XDG_CONFIG_HOME": os.path.join(tmp, "config"), "VRX310_SIM_STATE": state,
               "LD_DEBUG": "libs"}
        r = run([app], gui, cwd=tmp)
        got = loaded_hid_library(r.stderr)
        # (The exit code is left to the program's own tests: a sanitizer
        # build may add its own at exit.)
        check("startup-probe: shown" in r.stdout and
              got == os.path.realpath(os.path.join(lib, "libAtUsbHid.so")),
              f"the moved program starts and loads its own {libdir}/libAtUsbHid.so ({got})")
        r = run([app], dict(gui, LD_LIBRARY_PATH=sim), cwd=tmp)
        got = loaded_hid_library(r.stderr)
        check("startup-probe: shown" in r.stdout and
              got == os.path.realpath(os.path.join(sim, "libAtUsbHid.so")),
              f"with LD_LIBRARY_PATH=<build>/sim the program loads the simulator ({got})")

        # Without the installed library the program has none: proves the one
        # found above came through RUNPATH, not from the system.
        os.rename(os.path.join(lib, "libAtUsbHid.so"), os.path.join(tmp, "hid.so"))
        r = run([cli, "read"], {"VRX310_SIM_STATE": state})
        if system_has_hid_library():
            print("note  a libAtUsbHid.so is installed on this system: "
                  "the missing-library case is not checked")
        else:
            check("was not found" in r.stderr,
                  "without its library the installed vrx310-cli reports it missing")
        os.rename(os.path.join(tmp, "hid.so"), os.path.join(lib, "libAtUsbHid.so"))

        # -- desktop entry and icon
        desktop = os.path.join(share, "applications", "vrx310.desktop")
        if check(os.path.isfile(desktop), f"{datadir}/applications/vrx310.desktop"):
            if shutil.which("desktop-file-validate"):
                r = run(["desktop-file-validate", desktop])
                check(r.returncode == 0 and not r.stdout.strip(),
                      "desktop-file-validate has nothing to say " + r.stdout.strip())
            else:
                print("note  desktop-file-validate is not installed: entry checked here only")
            entry = read_desktop(desktop)
            main = entry.get("Desktop Entry", {})
            argv = exec_argv(main.get("Exec", ""))
            check(argv == ["VRX310_Application"] and os.access(os.path.join(b, argv[0]), os.X_OK),
                  f"Exec starts the installed program ({argv})")
            icon = main.get("Icon", "")
            icon_file = os.path.join(share, "icons/hicolor/scalable/apps", icon + ".svg")
            check(icon == "vrx310" and os.path.isfile(icon_file),
                  f"Icon {icon} is an installed hicolor icon")
            if os.path.isfile(icon_file):
                root = ET.parse(icon_file).getroot()
                view = root.get("viewBox", "").split()
                check(root.tag.endswith("svg") and len(view) == 4 and view[2] == view[3],
                      "the icon is a square SVG picture")
            check(main.get("Name[de]") and main.get("Comment[de]"),
                  "German name and comment for German desktops")

            # The German action: the program, found on PATH, runs in its own
            # folder, where the module is. A stand-in program tells its folder.
            action = entry.get("Desktop Action german", {})
            fake = os.path.join(tmp, "fake", "bin")
            os.makedirs(fake)
            shutil.copy(os.path.join(b, "VRX310_Application.DEU"), fake)
            with open(os.path.join(fake, "VRX310_Application"), "w") as f:
                f.write('#!/bin/sh\npwd\n[ -f VRX310_Application.DEU ] && echo module\n')
            os.chmod(os.path.join(fake, "VRX310_Application"), 0o755)
            argv = exec_argv(action.get("Exec", ""))
            r = run(argv, {"PATH": fake + ":/usr/bin:/bin"}, cwd=tmp) if argv else None
            check(r is not None and r.stdout.split() == [fake, "module"],
                  "the German action starts the program in the folder of its module " +
                  (repr(r.stdout.split()) if r else "(no Exec)"))

    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
