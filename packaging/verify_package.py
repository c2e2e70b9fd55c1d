#!/usr/bin/env python3
"""The release's round trip under wine, as a user would meet it.

1. The zip holds exactly the staged files, byte for byte.
2. The installer, run silently into a folder of the build's wine prefix,
   installs the same files and an uninstaller, the Start menu entries (the
   program's starting in the program folder, the simulator's as VTSim.exe with
   --demo, never as VTPlus.exe) and the per-user uninstall entry.
3. The installed Vareli, started from its shortcut's target in its working
   folder, finds its vareli.ini: no error box, the start line is written.
4. With the simulator started as its Start menu entry starts it, the
   installed Vareli shows spots and its link; the "Stop decoder simulator"
   entry's command ends the simulator.
5. Installing again goes into the same folder and keeps the user's vareli.ini.
6. The uninstaller, run silently, removes the files, the folder, the Start
   menu entries and the uninstall entry.

Run by scripts/package.sh; uses the build's wine prefix and scripts/wine_session.py.
Every process it starts is ended by process id when it ends.
"""

import argparse
import filecmp
import glob
import os
import shutil
import struct
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from wine_session import Simulator, WineSession  # noqa: E402

TITLE = "Vareli"
INSTALL_DIR = "C:\\vareli-package-check\\Vareli"
UNINSTALL_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vareli"
SHORTCUTS = ("Vareli.lnk", "Decoder simulator (demo).lnk", "Stop decoder simulator.lnk",
             "Read me.lnk", "Uninstall Vareli.lnk")
# Shortcuts made by the installer would otherwise also become menu entries of
# the Linux desktop, through wine's menu builder.
NO_MENUS = {"WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d"}


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)
    print("ok: " + message)


def wait_until(what, predicate, seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        value = predicate()
        if value:
            return value
        time.sleep(0.25)
    fail("timed out: " + what)


def read_shortcut(path):
    """The parts of a shell link (.lnk) that matter here: target, arguments,
    working folder, show command."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 0x4C or struct.unpack_from("<I", data, 0)[0] != 0x4C:
        fail("%s is not a shell link" % path)
    flags = struct.unpack_from("<I", data, 0x14)[0]
    show = struct.unpack_from("<I", data, 0x3C)[0]
    at = 0x4C
    if flags & 0x01:  # a target ID list
        at += 2 + struct.unpack_from("<H", data, at)[0]
    target = None
    if flags & 0x02:  # link information: the local path
        size, header, info_flags, _, base = struct.unpack_from("<IIIII", data, at)
        suffix = struct.unpack_from("<I", data, at + 24)[0]
        if info_flags & 1:
            def cstr(offset):
                end = data.index(b"\0", at + offset)
                return data[at + offset:end].decode("latin-1")
            target = cstr(base) + cstr(suffix)
            if header >= 0x24:
                unicode_base = struct.unpack_from("<I", data, at + 28)[0]
                if unicode_base:
                    end = at + unicode_base
                    while data[end:end + 2] != b"\0\0":
                        end += 2
                    target = data[at + unicode_base:end].decode("utf-16-le")
        at += size
    strings = {}
    for bit, name in ((0x04, "name"), (0x08, "relative"), (0x10, "workdir"), (0x20, "args"),
                      (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            at += 2
            if flags & 0x80:
                strings[name] = data[at:at + 2 * count].decode("utf-16-le")
                at += 2 * count
            else:
                strings[name] = data[at:at + count].decode("latin-1")
                at += count
    # wine counts the terminating zero in these lengths; Windows does not.
    strings = {k: v[:-1] if v.endswith("\0") else v for k, v in strings.items()}
    return {"target": target, "show": show, **strings}


class Prefix:
    """Windows paths of the prefix's drive C as Linux paths."""

    def __init__(self, root):
        self.root = root

    def unix(self, windows_path):
        drive, rest = windows_path[:2], windows_path[2:]
        if drive.upper() != "C:":
            fail("not on drive C: %s" % windows_path)
        return os.path.join(self.root, "drive_c", *[p for p in rest.split("\\") if p])


def same_windows_path(a, b):
    return a is not None and b is not None and a.rstrip("\\").lower() == b.rstrip("\\").lower()


def reg_query(session, key):
    r = subprocess.run(["wine", "reg", "query", key], env=session.env, stdin=subprocess.DEVNULL,
                       capture_output=True)
    return r.returncode == 0, r.stdout.decode("latin-1")


def label_texts(session):
    return [(visible, text) for cls, visible, _, text in session.children(TITLE)
            if not cls.startswith("RichEdit") and cls not in ("Button", "BUTTON")]


def view_lines(session):
    for cls, _, _, text in session.children(TITLE):
        if cls.startswith("RichEdit"):
            text = text.replace("\\r\\n", "\n").replace("\\r", "\n")
            return [line for line in text.split("\n") if line]
    return None


def check_zip(args, staged):
    with zipfile.ZipFile(args.zip) as z:
        names = sorted(n for n in z.namelist() if not n.endswith("/"))
        check(names == sorted("Vareli/" + n for n in staged),
              "the zip holds Vareli/ with %s" % ", ".join(sorted(staged)))
        for n in staged:
            with open(os.path.join(args.stage, n), "rb") as f:
                if z.read("Vareli/" + n) != f.read():
                    fail("the zip's %s differs from the staged file" % n)
    print("ok: the zip's files are the staged files, byte for byte")


def start_menu_folder(prefix):
    found = glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData", "Roaming",
                                   "Microsoft", "Windows", "Start Menu", "Programs", "Vareli"))
    return found[0] if found else None


def run(session, args):
    prefix = Prefix(session.prefix)
    staged = sorted(os.listdir(args.stage))
    check_zip(args, staged)

    install = prefix.unix(INSTALL_DIR)
    shutil.rmtree(os.path.dirname(install), ignore_errors=True)

    # Silent installation.
    p = session.start([args.setup, "/S", "/D=" + INSTALL_DIR], env=NO_MENUS)
    try:
        code = p.wait(180)
    except subprocess.TimeoutExpired:
        fail("the silent installation did not end within 3 minutes")
    check(code == 0, "the silent installation ends with code 0")
    installed = sorted(os.listdir(install)) if os.path.isdir(install) else []
    check(installed == sorted(staged + ["Uninstall.exe"]),
          "installed into %s: %s" % (INSTALL_DIR, ", ".join(installed)))
    for n in staged:
        if not filecmp.cmp(os.path.join(args.stage, n), os.path.join(install, n), shallow=False):
            fail("the installed %s differs from the staged file" % n)
    print("ok: the installed files are the staged files, byte for byte")
    check(not any(n.lower() == "vtplus.exe" for n in installed),
          "no VTPlus.exe beside Vareli.exe (the user's own decoder is not shadowed)")

    menu = start_menu_folder(session.prefix)
    check(menu is not None and sorted(os.listdir(menu)) == sorted(SHORTCUTS),
          "the Start menu folder Vareli holds: %s" % ", ".join(SHORTCUTS))
    links = {n: read_shortcut(os.path.join(menu, n)) for n in SHORTCUTS}
    main = links["Vareli.lnk"]
    check(same_windows_path(main["target"], INSTALL_DIR + "\\Vareli.exe"),
          "Vareli's entry starts %s" % main["target"])
    check(same_windows_path(main.get("workdir"), INSTALL_DIR),
          "Vareli's entry starts it in the program folder, where vareli.ini is (%s)"
          % main.get("workdir"))
    sim_link = links["Decoder simulator (demo).lnk"]
    check(same_windows_path(sim_link["target"], INSTALL_DIR + "\\VTSim.exe") and
          sim_link.get("args") == "--demo",
          "the simulator's entry starts VTSim.exe --demo")
    stop_link = links["Stop decoder simulator.lnk"]
    check(stop_link["target"] is not None and stop_link["target"].lower().endswith("taskkill.exe")
          and stop_link.get("args") == "/F /IM VTSim.exe",
          "the stop entry runs taskkill /F /IM VTSim.exe")
    check(same_windows_path(links["Uninstall Vareli.lnk"]["target"],
                            INSTALL_DIR + "\\Uninstall.exe"), "the uninstall entry")

    found, text = reg_query(session, UNINSTALL_KEY)
    check(found and "Uninstall.exe" in text and args.product in text,
          "the per-user uninstall entry is registered, version %s" % args.product)

    workdir = prefix.unix(main["workdir"])
    exe = prefix.unix(main["target"])

    # The installed program alone: its settings are found, no decoder answers.
    vareli = session.start([exe], cwd=workdir)
    code, _ = session.winctl_out("wait", TITLE, "30000")
    check(code == 0, "the installed Vareli's window appears")
    start_line = wait_until("the start line", lambda: [
        t for _, t in label_texts(session) if t.startswith("Alkoi: ")], 20)
    check(len(start_line) == 1, "its settings are read: the start line is written (%s)"
          % start_line[0])
    code, _ = session.winctl_out("box", TITLE, "1500")
    check(code != 0, "no error box")
    code, _ = session.winctl_out("close", TITLE, "15000")
    check(code == 0, "the window closes")
    vareli.wait(15)

    # The demo: the simulator as its Start menu entry starts it, then Vareli.
    sim = Simulator(session, prefix.unix(sim_link["target"]), sim_link["args"].split())
    sim.wait_for("ready", 30)
    vareli = session.start([exe], cwd=workdir)
    code, _ = session.winctl_out("wait", TITLE, "30000")
    check(code == 0, "the installed Vareli starts beside the simulator")
    lines = wait_until("spots from the simulator", lambda: view_lines(session), 30)
    check(len(lines) > 0, "the demo's spots are shown (%d lines)" % len(lines))
    check((True, "DDE link") in label_texts(session), "\"DDE link\" shows")
    code, _ = session.winctl_out("close", TITLE, "15000")
    check(code == 0, "the window closes")
    vareli.wait(15)
    stop = subprocess.run(["wine", stop_link["target"]] + stop_link["args"].split(),
                          env=session.env, stdin=subprocess.DEVNULL, capture_output=True)
    try:
        sim.p.wait(15)
    except subprocess.TimeoutExpired:
        fail("the stop entry's command did not end the simulator (%s)"
             % stop.stdout.decode("latin-1").strip())
    print("ok: the stop entry's command ends the simulator")

    # Installing again: into the folder remembered from the first time, over
    # the files, keeping the settings the user has.
    own = b"[COMPort]Com3\r\n[AlaMHZ]7000\r\n[YlaMHZ]7200\r\n[Com]1\r\n"
    with open(os.path.join(install, "vareli.ini"), "wb") as f:
        f.write(own)
    os.remove(os.path.join(install, "README.txt"))  # to see it come back
    p = session.start([args.setup, "/S"], env=NO_MENUS)
    try:
        code = p.wait(180)
    except subprocess.TimeoutExpired:
        fail("the second silent installation did not end within 3 minutes")
    check(code == 0 and sorted(os.listdir(install)) == installed,
          "installing again without a folder goes into the same folder")
    with open(os.path.join(install, "vareli.ini"), "rb") as f:
        check(f.read() == own, "installing again keeps the user's vareli.ini")

    # Silent uninstallation. The uninstaller runs a copy of itself from the
    # temporary folder and returns at once: wait for its work to show.
    uninstaller = os.path.join(install, "Uninstall.exe")
    p = session.start([uninstaller, "/S"], env=NO_MENUS)
    p.wait(60)
    wait_until("the program folder to go", lambda: not os.path.exists(install), 60)
    print("ok: the uninstaller removes the program folder")
    # The program folder goes first; the shortcuts and the registry entry
    # after it, while the uninstaller runs on.
    wait_until("the Start menu entries to go", lambda: start_menu_folder(session.prefix) is None,
               60)
    print("ok: the Start menu entries are gone")
    wait_until("the uninstall entry to go", lambda: not reg_query(session, UNINSTALL_KEY)[0], 60)
    print("ok: the uninstall entry is gone")
    shutil.rmtree(os.path.dirname(install), ignore_errors=True)


def main():
    ap = argparse.ArgumentParser()
    for name in ("build", "winctl", "setup", "zip", "stage", "product"):
        ap.add_argument("--" + name, required=True)
    args = ap.parse_args()
    session = WineSession(args.build, args.winctl)
    try:
        run(session, args)
    finally:
        session.close()
    print("package check: all checks passed")


if __name__ == "__main__":
    main()
