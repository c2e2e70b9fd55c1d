#!/usr/bin/env python3
"""Soak: the unmodified Vareli.exe under wine for a set time, forwarding on
to a COM port on a pty, against the decoder simulator announcing changes
several times a second with new spots mixed in. The driver scripts every row
through the simulator's standard input, so it knows each row it served and
which of them the program owes a forwarded line (spot_plan). Afterwards it
checks that every owed row came out of the port exactly once and in order,
that the window's spot view holds as many lines as were forwarded (and the
same rows), that no error box appeared, and that the process's memory grew
by no more than its spot view holds (memory_report, against the yardsticks
of baselines). It prints a summary and exits non-zero when a check fails.

The run ends with a quiet stretch: notices go on at the same rate, the page
still changes (rows out of the band, rows shown before), but no new spot is
owed, which separates the memory kept per notice from that kept per line."""

import argparse
import os
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # leave no __pycache__ in the work tree
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "scripts"))
sys.path.insert(0, HERE)
import baselines  # noqa: E402
import process_memory  # noqa: E402
from memory_report import MemoryReport  # noqa: E402
from port_log import PortLog  # noqa: E402
from spot_plan import SpotPlan  # noqa: E402
from wine_session import Simulator, WineSession  # noqa: E402

TITLE = "Vareli"
PORT = 7
LOWER, UPPER = 1800, 432000

# What one tick does, by chance: most ticks announce the page unchanged.
KINDS = [("new", 0.24), ("oh", 0.05), ("burst", 0.03), ("out-of-band", 0.07),
         ("unreadable", 0.03), ("again", 0.03)]
QUIET_KINDS = [("out-of-band", 0.10), ("unreadable", 0.05), ("again", 0.05)]


def pick(rng, kinds):
    x = rng.random()
    for kind, p in kinds:
        if x < p:
            return kind
        x -= p
    return None


def shown_time(t):
    return "%.1f s" % t if t is not None else "the end"


class Soak:
    def __init__(self, args):
        self.args = args
        self.failures = []
        self.notes = []
        self.samples = []  # dicts: t, phase, notices, lines, rss, threads, fds
        self.windows_checked = 0
        self.boxes = []
        self.notices = 0

    def fail(self, message):
        self.failures.append(message)
        print("FAIL: " + message, flush=True)

    def say(self, message):
        print(message, flush=True)

    # --- the window, read from outside ---------------------------------

    def view_lines(self):
        for cls, _, _, text in self.session.children(TITLE):
            if cls.startswith("RichEdit"):
                text = text.replace("\\r\\n", "\n").replace("\\r", "\n")
                return [line for line in text.split("\n") if line]
        return None

    def check_error_box(self, now):
        """Fails on a message box captioned Vareli, and closes it."""
        self.windows_checked += 1
        code, out = self.session.winctl_out("box", TITLE, "300")
        if code != 0:
            return
        texts = [line.split("\t", 3)[-1] for line in out.splitlines()]
        self.boxes.append((now, texts))
        self.fail("an error box at %.1f s: %r" % (now, texts))
        self.session.winctl_out("ok", TITLE, "5000")

    # --- the run ---------------------------------------------------------

    def run(self):
        args = self.args
        self.session = WineSession(args.build, args.winctl)
        sim = vareli = None
        self.port = None
        try:
            self.start = time.time()
            self.port = PortLog(self.session.com_port(PORT), self.start)
            work = tempfile.mkdtemp(prefix="vareli-soak-")
            with open(os.path.join(work, "vareli.ini"), "wb") as f:
                f.write(b"[COMPort]Com%d\r\n[AlaMHZ]%d\r\n[YlaMHZ]%d\r\n[Com]%d\r\n"
                        % (PORT, LOWER, UPPER, 0 if args.no_forwarding else 1))
            sim = Simulator(self.session, args.simulator)
            sim.wait_for("ready")
            self.plan = SpotPlan(LOWER, UPPER, args.seed)
            sim.send("clear")
            vareli = self.session.start([args.vareli], cwd=work)
            code, _ = self.session.winctl_out("wait", TITLE, "30000")
            if code != 0:
                self.fail("the Vareli window did not appear")
                return
            time.sleep(2.0)
            self.pid = vareli.pid
            if self.drive(sim, vareli):
                self.finish(vareli)
                self.measure_baselines(sim)
                MemoryReport(self.samples, self.dde_baseline, self.view_baseline).check(self)
            self.note_simulator(sim)
        finally:
            if vareli is not None and vareli.poll() is None:
                self.session.winctl_out("close", TITLE, "10000")
            if sim is not None and sim.p.poll() is None:
                sim.send("quit")
                try:
                    sim.p.wait(10)
                except Exception:
                    pass
            if self.port is not None:
                self.port.stop()
            self.session.close()

    def lines_so_far(self):
        """Spot lines the program has appended by now: the port's count, or
        without forwarding the ledger's (the append follows within ms)."""
        return len(self.plan.owed) if self.args.no_forwarding else self.port.count()

    def take_sample(self, now, phase):
        self.samples.append(dict(process_memory.sample(self.pid), t=now, phase=phase,
                                 notices=self.notices, lines=self.lines_so_far()))

    def drive(self, sim, vareli):
        """Announces changes until the time is up; False when the program
        ended on its own."""
        args = self.args
        total = args.minutes * 60.0
        quiet_from = max(0.0, total - max(30.0, total * args.quiet_share))
        rng = self.plan.random
        next_sample = next_view = 0.0
        begin = time.time()
        self.say("soak: %.1f min at %.1f notices/s, new spots until %.0f s; Vareli.exe pid %d"
                 % (args.minutes, args.rate, quiet_from, self.pid))
        while time.time() - begin < total:
            t = time.time() - begin
            if vareli.poll() is not None:
                self.fail("Vareli.exe ended during the run (code %r) at %.1f s"
                          % (vareli.returncode, t))
                return False
            phase = "quiet" if t >= quiet_from else "active"
            kind = pick(rng, QUIET_KINDS if phase == "quiet" else KINDS)
            now = time.time() - self.start
            if kind == "burst":  # two new rows in one update
                for _ in range(2):
                    self.plan.scroll_in(self.plan.make("new", now), "new", now)
            elif kind == "again":
                self.plan.again(now)
            elif kind is not None:
                self.plan.scroll_in(self.plan.make(kind, now), kind, now)
            sim.send(*((self.plan.row_commands() if kind else []) + ["notify"]))
            self.notices += 1
            if t >= next_sample:
                self.take_sample(now, phase)
                next_sample += args.sample_every
            if t >= next_view:
                self.check_error_box(now)
                lines = self.view_lines()
                self.say("  %6.1f s: view %s lines, port %d lines, %d owed, RSS %s KiB"
                         % (now, "?" if lines is None else len(lines), self.port.count(),
                            len(self.plan.owed), process_memory.rss_kib(self.pid)))
                next_view += args.view_every
            delay = begin + self.notices / args.rate - time.time()
            if delay > 0:
                time.sleep(delay)
        self.say("soak: %d notices, %d rows served, %d of them owed a line"
                 % (self.notices, len(self.plan.served), len(self.plan.owed)))
        return True

    def finish(self, vareli):
        # Let the last forwards arrive: the port count stops changing.
        last, still = -1, 0
        end = time.time() + 30
        while time.time() < end and still < 4:
            n = self.port.count()
            still = still + 1 if n == last else 0
            last = n
            time.sleep(0.5)
        now = time.time() - self.start
        self.take_sample(now, "end")
        self.check_error_box(now)
        lines = self.view_lines()
        self.appended = 0 if lines is None else len(lines)
        if self.args.no_forwarding:
            self.check_unforwarded_view(lines)
        else:
            self.check_forwarding()
            self.check_view(lines)
        if not self.boxes:
            self.say("ok: no error box appeared (looked %d times)" % self.windows_checked)
        code, _ = self.session.winctl_out("close", TITLE, "20000")
        try:
            vareli.wait(20)
        except Exception:
            self.fail("Vareli.exe did not end after its window closed")
            return
        if code != 0 or vareli.returncode != 0:
            self.fail("closing: winctl %d, Vareli.exe exit code %r" % (code, vareli.returncode))
        else:
            self.say("ok: the window closed and Vareli.exe ended with code 0")

    def measure_baselines(self, sim):
        self.dde_baseline = self.view_baseline = None
        if not self.args.dde_probe or not self.args.view_probe:
            return
        seconds = max(60.0, self.args.minutes * 60.0 * 0.15)
        self.say("yardsticks: the bare DDE client for %.0f s, the bare view for %d lines"
                 % (seconds, max(200, self.appended)))
        samples, out = baselines.dde_client(self.session, self.args.dde_probe, sim, self.plan,
                                            self.args.rate, seconds, QUIET_KINDS, pick)
        self.notes.append("bare DDE client: %s" % out)
        self.dde_baseline = samples
        self.view_baseline = baselines.rich_edit(self.session, self.args.view_probe,
                                                 max(200, self.appended))

    def note_simulator(self, sim):
        counts = {}
        with sim.lock:
            events = list(sim.events)
        for e in events:
            word = e.split(" ", 1)[0]
            counts[word] = counts.get(word, 0) + 1
        self.notes.append("simulator events: " + ", ".join(
            "%s %d" % kv for kv in sorted(counts.items())))
        odd = sorted({e for e in events if e.split(" ", 1)[0] in
                      ("request-refused", "advstart-refused", "error", "notify-failed")})
        for e in odd[:5]:
            self.notes.append("simulator said: %r" % e)

    # --- the checks ------------------------------------------------------

    def check_forwarding(self):
        got, partial = self.port.snapshot()
        owed = self.plan.owed
        if partial:
            self.fail("the port holds %d bytes after the last line end: %r"
                      % (len(partial), partial[:60]))
        want_rows = [s.row.encode("latin-1") for s in owed]
        got_rows = [line for _, line in got]
        if got_rows == want_rows:
            self.say("ok: all %d owed rows were forwarded exactly once and in order "
                     "(%d bytes, 44 a line)" % (len(owed), sum(len(r) + 2 for r in got_rows)))
            return
        self.fail("forwarded lines differ: %d owed, %d received" % (len(want_rows), len(got_rows)))
        index = {row: s for row, s in zip(want_rows, owed)}
        seen = {}
        for when, line in got:
            seen.setdefault(line, []).append(when)
        for n, (s, row) in enumerate(zip(owed, want_rows)):
            times = seen.get(row, [])
            if not times:
                self.fail("lost: owed line %d (row served #%d at %.1f s, off the page at %s): %r"
                          % (n, s.serial, s.at, shown_time(s.gone), s.text))
            elif len(times) > 1:
                self.fail("forwarded %d times (at %s): %r" % (
                    len(times), ", ".join("%.1f s" % w for w in times), s.text))
        for when, line in got:
            if line not in index:
                self.fail("forwarded but never owed, at %.1f s: %r" % (when, line))
        order = [index[line].serial for _, line in got if line in index]
        for a, b in zip(order, order[1:]):
            if b < a:
                self.fail("out of order: row served #%d came after row served #%d" % (b, a))
                break

    def check_view(self, lines):
        forwarded = [line for _, line in self.port.snapshot()[0]]
        if lines is None:
            self.fail("the spot view could not be read")
            return
        if len(lines) != len(forwarded):
            self.fail("the view holds %d lines, the port received %d"
                      % (len(lines), len(forwarded)))
        else:
            self.say("ok: the view holds %d lines, as many as were forwarded" % len(lines))
        rows = [line[:42].encode("latin-1") for line in lines]
        if rows != forwarded:
            bad = next((i for i, (a, b) in enumerate(zip(rows, forwarded)) if a != b),
                       min(len(rows), len(forwarded)))
            self.fail("the view's rows and the forwarded rows differ from line %d on" % bad)
        else:
            self.say("ok: the view's rows are the forwarded rows, line for line")

    def check_unforwarded_view(self, lines):
        """Forwarding off: the port stays silent and the view holds exactly the
        owed rows, in order."""
        if self.port.total:
            self.fail("the port received %d bytes with forwarding off" % self.port.total)
        if lines is None:
            self.fail("the spot view could not be read")
            return
        want = [s.row for s in self.plan.owed]
        got = [line[:42] for line in lines]
        if got == want:
            self.say("ok: forwarding off; the view holds the %d owed rows in order" % len(want))
            return
        self.fail("the view holds %d lines, %d owed" % (len(got), len(want)))
        shown = set(got)
        for s in self.plan.owed:
            if s.row not in shown:
                self.fail("not shown: row served #%d at %.1f s, off the page at %s: %r"
                          % (s.serial, s.at, shown_time(s.gone), s.text))
        owed = set(want)
        for line in got:
            if line not in owed:
                self.fail("shown but never owed: %r" % line)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    for name in ("vareli", "simulator", "winctl", "build"):
        ap.add_argument("--" + name, required=True)
    ap.add_argument("--minutes", type=float, default=10.0)
    ap.add_argument("--rate", type=float, default=5.0, help="notices a second (default 5)")
    ap.add_argument("--seed", type=int, default=590, help="seed of the made-up spots")
    ap.add_argument("--quiet-share", type=float, default=0.2,
                    help="share of the run (at least 30 s) at its end without new spots")
    ap.add_argument("--sample-every", type=float, default=5.0, help="seconds between samples")
    ap.add_argument("--view-every", type=float, default=30.0,
                    help="seconds between looks at the window")
    ap.add_argument("--dde-probe", help="the bare DDE client (win32/dde_client_probe.cpp)")
    ap.add_argument("--view-probe", help="the bare rich-text view (win32/rich_edit_probe.cpp)")
    ap.add_argument("--no-forwarding", action="store_true",
                    help="switch forwarding off (to tell its memory from the view's)")
    args = ap.parse_args()
    soak = Soak(args)
    soak.run()
    print()
    print("soak summary:")
    for line in soak.notes:
        print("  " + line)
    if soak.failures:
        print("  %d check(s) failed:" % len(soak.failures))
        for f in soak.failures:
            print("    " + f)
        sys.exit(1)
    print("  all checks passed")


if __name__ == "__main__":
    main()
