"""The Linux side of a test of Windows programs under wine: the build's wine
prefix, a display, COM ports mapped to ptys, and processes that are ended by
process id when the session ends."""

import argparse
import os
import pty
import subprocess
import threading
import time
import tty


class WineSession:
    def __init__(self, build, winctl):
        self.build = build
        self.winctl = winctl
        self.prefix = os.environ.get("VARELI_WINEPREFIX", os.path.join(build, "wineprefix"))
        here = os.path.dirname(os.path.abspath(__file__))
        scripts = here
        subprocess.run([os.path.join(scripts, "wineprefix.sh"), self.prefix], check=True)
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        self.processes = []
        self.links = []
        self.xvfb = None
        if not self.env.get("DISPLAY"):
            self._start_xvfb()
        # The wine server and its services start detached, so that they do not
        # hold our caller's output open.
        subprocess.run([os.path.join(scripts, "wine-warm.sh"), self.prefix], env=self.env,
                       check=True)

    def _start_xvfb(self):
        for n in range(140, 200):
            if not os.path.exists("/tmp/.X%d-lock" % n):
                break
        self.xvfb = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists("/tmp/.X11-unix/X%d" % n):
                break
            time.sleep(0.05)
        self.env["DISPLAY"] = ":%d" % n

    def com_port(self, number):
        """A pty whose slave side is COM<number> for wine; returns the master fd."""
        master, slave = pty.openpty()
        tty.setraw(slave)
        tty.setraw(master)
        link = os.path.join(self.prefix, "dosdevices", "com%d" % number)
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(os.ttyname(slave), link)
        self.links.append(link)
        self._keep = getattr(self, "_keep", []) + [slave]
        return master

    def drop_com_port(self, number):
        """Takes COM<number> away, as an adapter unplugged: its pty stays open."""
        link = os.path.join(self.prefix, "dosdevices", "com%d" % number)
        if os.path.lexists(link):
            os.remove(link)

    def start(self, args, cwd=None, stdin=None, stdout=None, env=None):
        p = subprocess.Popen(["wine"] + args, cwd=cwd, env=dict(self.env, **(env or {})),
                             stdin=stdin or subprocess.DEVNULL, stdout=stdout or subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
        self.processes.append(p)
        return p

    def winctl_out(self, *args):
        r = subprocess.run(["wine", self.winctl] + list(args), env=self.env,
                           stdin=subprocess.DEVNULL, capture_output=True)
        return r.returncode, r.stdout.decode("latin-1")

    def children(self, title):
        """The child windows of a top-level window: (class, visible, bounds, text)."""
        code, out = self.winctl_out("children", title)
        rows = []
        for line in out.splitlines():
            parts = line.split("\t")
            if len(parts) >= 4:
                rows.append((parts[0], parts[1] == "1", parts[2], "\t".join(parts[3:])))
        return rows

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", path],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def close(self):
        for p in self.processes:
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
        for link in self.links:
            if os.path.lexists(link):
                os.remove(link)
        if self.xvfb is not None:
            self.xvfb.terminate()
            self.xvfb.wait()


class PortReader:
    """Takes every byte from a pty's master side as soon as it arrives."""

    def __init__(self, fd):
        self.fd = fd
        self.data = b""
        self.lock = threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        while True:
            try:
                chunk = os.read(self.fd, 4096)
            except OSError:
                return
            if not chunk:
                return
            with self.lock:
                self.data += chunk

    def take(self):
        with self.lock:
            data, self.data = self.data, b""
        return data


class Simulator:
    """The decoder simulator, driven through its standard input; its event
    lines are collected from its standard output."""

    def __init__(self, session, exe, extra=()):
        self.p = session.start([exe] + list(extra), stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.events = []
        self.lock = threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self.p.stdout:
            with self.lock:
                self.events.append(raw.decode("latin-1").rstrip("\r\n"))

    def send(self, *lines):
        for line in lines:
            self.p.stdin.write((line + "\n").encode("latin-1"))
        self.p.stdin.flush()

    def wait_for(self, event, seconds=20, start=0):
        end = time.time() + seconds
        while time.time() < end:
            with self.lock:
                for i in range(start, len(self.events)):
                    if self.events[i].startswith(event):
                        return i
            time.sleep(0.05)
        raise AssertionError("the simulator never said %r; it said %r" % (event, self.events))

    def count(self, event):
        with self.lock:
            return sum(1 for e in self.events if e.startswith(event))


class Failure(Exception):
    """A check of a wine end-to-end test that did not hold."""


def run_wine_test(name, run, add_arguments=None):
    """The end of an end-to-end script: --vareli, --simulator, --winctl and
    --build (and what add_arguments adds), then run(session, args) in a wine
    session that is closed whatever happens; a Failure is printed and makes
    the exit code 1."""
    ap = argparse.ArgumentParser()
    for option in ("vareli", "simulator", "winctl", "build"):
        ap.add_argument("--" + option, required=True)
    if add_arguments:
        add_arguments(ap)
    args = ap.parse_args()
    session = WineSession(os.path.abspath(args.build), args.winctl)
    try:
        run(session, args)
    except Failure as e:
        print("FAIL: %s" % e, flush=True)
        return 1
    finally:
        session.close()
    print("%s: all checks passed" % name)
    return 0
