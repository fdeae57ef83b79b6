#!/usr/bin/env python3
"""The installed tree: what goes where, how the installed programs find the
HID library and the German module, the tools' help and version, the desktop
entry and the report file type.

    test_install.py BUILD_DIR BINDIR PRIVATE_LIBDIR DATADIR VERSION

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


def png_size(path):
    """(width, height) from a PNG file's header, None for anything else."""
    try:
        with open(path, "rb") as f:
            head = f.read(24)
    except OSError:
        return None
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return int.from_bytes(head[16:20], "big"), int.from_bytes(head[20:24], "big")


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
    build, bindir, libdir, datadir, version = sys.argv[1:6]
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
        check(os.path.isfile(os.path.join(lib, "VRX310_Application.DEU")) and
              not os.path.exists(os.path.join(b, "VRX310_Application.DEU")),
              f"the German module lies in {libdir} under the program's name, not in {bindir}")
        check(os.path.isfile(os.path.join(lib, "libAtUsbHid.so")),
              f"{libdir}/libAtUsbHid.so (the library for real testers)")
        check(os.path.isfile(os.path.join(prefix, "lib/udev/rules.d/70-vrx310.rules")),
              "the udev rule in lib/udev/rules.d")
        check(not os.path.exists(os.path.join(prefix, "sim")) and
              "atusbhid_sim" not in " ".join(os.listdir(lib)),
              "the simulator is not installed")
        for page in ("VRX310_Application", "vrx310-cli", "fbtool"):
            check(os.path.isfile(os.path.join(share, "man/man1", page + ".1.gz")),
                  f"manual page {page}(1)")
        check(os.path.isfile(os.path.join(share, "doc/vrx310/copyright")) and
              os.path.isfile(os.path.join(share, "doc/vrx310/changelog.gz")),
              "copyright and changelog in doc/vrx310")

        # -- the tools' help and version: stdout, exit 0
        for tool, commands in (("vrx310-cli", ("read", "show", "export", "print")),
                               ("fbtool", ("dump", "build", "check"))):
            exe = os.path.join(b, tool)
            r = run([exe, "--version"])
            check(r.returncode == 0 and r.stdout == f"{tool} {version}\n",
                  f"{tool} --version: {r.stdout.strip()!r} ({r.returncode})")
            r = run([exe, "--help"])
            check(r.returncode == 0 and all(f"{tool} {c} " in r.stdout for c in commands)
                  and not r.stderr, f"{tool} --help lists every command on stdout")
            for c in commands:
                r = run([exe, c, "--help"])
                check(r.returncode == 0 and r.stdout.startswith(f"usage: {tool} {c} ") and
                      r.stdout.count("usage:") == 1,
                      f"{tool} {c} --help: its own usage ({r.returncode})")
        # build's own option is no version request
        r = run([os.path.join(b, "fbtool"), "build", "--version", "1"])
        check(r.returncode == 2 and not r.stdout, "fbtool build --version 1 still wants JSON and OUT")

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
            check(argv == ["VRX310_Application", "%f"] and
                  os.access(os.path.join(b, argv[0]), os.X_OK),
                  f"Exec starts the installed program with the one file ({argv})")
            check(main.get("StartupWMClass") == "VRX310_Application",
                  "StartupWMClass is the window's WM_CLASS instance name (the program file)")
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

            # -- the report file type: the entry opens it, the type is known by
            # its name and its signature, and it has its icon.
            mime_type = "application/x-vrx310-report"
            check(mime_type in main.get("MimeType", "").split(";"),
                  f"the entry opens {mime_type}")
            ns = {"m": "http://www.freedesktop.org/standards/shared-mime-info"}
            mime_file = os.path.join(share, "mime/packages/vrx310.xml")
            types = (ET.parse(mime_file).getroot().findall("m:mime-type", ns)
                     if os.path.isfile(mime_file) else [])
            t = types[0] if len(types) == 1 else None
            check(t is not None and t.get("type") == mime_type and
                  [g.get("pattern") for g in t.findall("m:glob", ns)] == ["*.vrx"] and
                  [(m.get("offset"), m.get("value")) for m in t.findall("m:magic/m:match", ns)]
                  == [("0", "RRFB")],
                  f"mime/packages/vrx310.xml: {mime_type}, *.vrx, RRFB at 0")
            icon_name = mime_type.replace("/", "-")
            icon_files = [os.path.join(share, "icons/hicolor", d, icon_name + ext)
                          for d, ext in (("scalable/mimetypes", ".svg"),
                                         ("48x48/mimetypes", ".png"),
                                         ("256x256/mimetypes", ".png"))]
            missing = [f for f in icon_files if not os.path.isfile(f)]
            check(not missing, f"the report icon {icon_name} in hicolor (missing: {missing})")
            for size in (48, 128, 256):
                png = os.path.join(share, f"icons/hicolor/{size}x{size}/apps/{icon}.png")
                check(png_size(png) == (size, size), f"{size}x{size} PNG program icon")

            # The German action: the program, found on PATH, runs in the
            # private folder, where the module is. A stand-in program in a
            # copy of the tree's layout tells its folder.
            action = entry.get("Desktop Action german", {})
            fake = os.path.join(tmp, "fake")
            fake_bin, fake_lib = os.path.join(fake, bindir), os.path.join(fake, libdir)
            os.makedirs(fake_bin)
            os.makedirs(fake_lib)
            shutil.copy(os.path.join(lib, "VRX310_Application.DEU"), fake_lib)
            with open(os.path.join(fake_bin, "VRX310_Application"), "w") as f:
                f.write('#!/bin/sh\npwd -P\n[ -f VRX310_Application.DEU ] && echo module\n')
            os.chmod(os.path.join(fake_bin, "VRX310_Application"), 0o755)
            argv = exec_argv(action.get("Exec", ""))
            r = run(argv, {"PATH": fake_bin + ":/usr/bin:/bin"}, cwd=tmp) if argv else None
            check(r is not None and r.stdout.split() == [os.path.realpath(fake_lib), "module"],
                  "the German action starts the program in the folder of its module " +
                  (repr(r.stdout.split()) if r else "(no Exec)"))

    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
