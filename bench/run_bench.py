#!/usr/bin/env python3
"""Runs Vareli's benchmark programs under wine and prints one table of figures
and ratios, with the conditions they were taken under.

The programs (bench/win32) print records, one per line: "@@ KIND key=value
...", times in seconds. This driver starts them in the build's wine prefix
(and an Xvfb of its own when there is no display), gives the forwarding
benchmark a COM port mapped to a pty whose other end it drains and counts,
collects the records and prints the table. Any "CHECK FAILED" line of a
program, or a pty that did not receive every byte, is reported and makes the
exit code 1. Nothing here asserts a time: the figures are printed, not judged.

Usage: run_bench.py --build BUILD [--quick] [--intake-runs N] [--naive-budget S]
                    [--rounds N] [--starts N] [--lines N] [--sizes 100,1000,...]
                    [--restored N] [--log-qsos N] [--only intake,latency,startup,pty]
"""

import argparse
import datetime
import os
import platform
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "scripts"))
from wine_session import PortReader, WineSession  # noqa: E402

COM_NUMBER = 5
LINE_BYTES = 44


def parse_record(line):
    parts = line.split()
    fields = {"kind": parts[1]}
    for part in parts[2:]:
        key, _, value = part.partition("=")
        fields[key] = value
    return fields


def fmt(seconds):
    """Seconds in a fitting unit."""
    if seconds is None:
        return "-"
    for scale, unit in ((1, "s"), (1e-3, "ms"), (1e-6, "us")):
        if seconds >= scale:
            break
    value = seconds / scale
    return ("%.0f %s" if value >= 100 else "%.1f %s" if value >= 10 else "%.2f %s") % (value, unit)


def ratio(a, b):
    if a is None or b is None or b <= 0:
        return "-"
    r = a / b
    return "x%.0f" % r if r >= 100 else "x%.1f" % r if r >= 10 else "x%.2f" % r


def table(header, rows):
    widths = [max(len(str(r[i])) for r in [header] + rows) for i in range(len(header))]

    def line(cells):
        # The first column left-aligned, the figures right-aligned.
        return "  ".join(str(c).rjust(w) if i else str(c).ljust(w)
                         for i, (c, w) in enumerate(zip(cells, widths)))

    print(line(header))
    print("  ".join("-" * w for w in widths))
    for r in rows:
        print(line(r))


class Bench:
    def __init__(self, args):
        self.args = args
        self.build = os.path.abspath(args.build)
        self.exe = lambda *p: os.path.join(self.build, *p)
        self.records = []
        self.problems = []
        self.notes = []

    # -- running the programs

    def run(self, name, argv, timeout):
        print("== %s" % name, flush=True)
        start = time.time()
        p = self.session.start(argv, stdout=subprocess.PIPE)
        timer = threading.Timer(timeout, p.kill)
        timer.start()
        try:
            for raw in p.stdout:
                line = raw.decode("latin-1").rstrip("\r\n")
                if line.startswith("@@ "):
                    self.records.append(parse_record(line))
                elif line:
                    print("   " + line, flush=True)
                    if "CHECK FAILED" in line:
                        self.problems.append("%s: %s" % (name, line))
            p.wait()
        finally:
            timer.cancel()
        if p.returncode != 0:
            self.problems.append("%s ended with code %s" % (name, p.returncode))
        print("   (%.0f s)" % (time.time() - start), flush=True)

    def find(self, kind, **match):
        for r in self.records:
            if r["kind"] == kind and all(r.get(k) == str(v) for k, v in match.items()):
                return r
        return None

    def value(self, kind, key="median", **match):
        r = self.find(kind, **match)
        return float(r[key]) if r and key in r else None

    def run_all(self):
        a = self.args
        sim = self.exe("simulator", "VTSim.exe")
        wanted = self.wanted
        if wanted("intake"):
            self.run_intake()
        if wanted("latency"):
            self.run("latency (notice to line)",
                     [self.exe("bench", "win32", "latency_bench.exe"), "--simulator", sim,
                      "--rounds", str(a.rounds), "--requests", str(2 * a.rounds)], 300)
        if wanted("startup"):
            self.run("start-up",
                     [self.exe("bench", "win32", "start_bench.exe"),
                      "--vareli", self.exe("vareli", "Vareli.exe"),
                      "--minimal", self.exe("bench", "win32", "minimal_window.exe"),
                      "--simulator", sim, "--rounds", str(a.starts),
                      "--restored", str(a.restored), "--log-qsos", str(a.log_qsos)], 1800)
        if wanted("pty"):
            for method in ("tcomm", "raw"):
                self.run_pty(method)

    def wanted(self, part):
        return not self.args.only or part in self.args.only.split(",")

    def run_intake(self):
        a = self.args
        self.run("intake (real RichEdit)",
                 [self.exe("bench", "win32", "intake_bench.exe"), "--sizes", a.sizes,
                  "--runs", str(a.intake_runs), "--naive-budget", str(a.naive_budget)], 900)

    def run_pty(self, method):
        master = self.session.com_port(COM_NUMBER)
        reader = PortReader(master)
        self.run("forwarding to a pty (%s)" % method,
                 [self.exe("bench", "win32", "comm_bench.exe"), "--port", "COM%d" % COM_NUMBER,
                  "--lines", str(self.args.lines), "--method", method], 300)
        time.sleep(0.5)
        data = reader.take()
        os.close(master)
        want = self.args.lines * LINE_BYTES
        lines = data.split(b"\r\n")
        whole = len(data) == want and lines[-1] == b"" and all(len(l) == 42 for l in lines[:-1])
        self.notes.append("pty (%s): %d of %d bytes arrived%s" %
                          (method, len(data), want, ", as 44-byte lines" if whole else ""))
        if not whole:
            self.problems.append("pty (%s): %d bytes arrived, %d written" % (method, len(data), want))

    # -- the table

    def conditions(self, load_before, load_after):
        cpu = "?"
        try:
            with open("/proc/cpuinfo") as f:
                cpu = next(l.split(":", 1)[1].strip() for l in f if l.startswith("model name"))
        except (OSError, StopIteration):
            pass
        wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
        commit = subprocess.run(["git", "-C", HERE, "rev-parse", "--short", "HEAD"],
                                capture_output=True, text=True).stdout.strip()
        display = ("Xvfb %s (1024x768x24, started for this run)" % self.session.env["DISPLAY"]
                   if self.session.xvfb else "display %s" % self.session.env["DISPLAY"])
        print("Vareli benchmarks, %s" % datetime.datetime.now().strftime("%Y-%m-%d %H:%M %Z").strip())
        print("  commit %s; %s; %s" % (commit or "?", wine, display))
        print("  %s, %d CPUs, %s %s" % (cpu, os.cpu_count() or 0, platform.system(),
                                        platform.release()))
        print("  load average (1 min) %.2f before, %.2f after: other work on the machine "
              "slows wine and widens the spread" % (load_before, load_after))
        print("  all programs: 32-bit MinGW builds (RelWithDebInfo), under wine, tones left out")

    def print_intake(self):
        print("\n1. Spot intake of one 19-row update, against the lines in the view")
        print("   real RichEdit (wine), window shown; median of the runs; index: the program's")
        print("   duplicate test (SpotView); scan: every line of the view read back for every row\n")
        sizes = [int(s) for s in self.args.sizes.split(",")]
        rows = []
        for n in sizes:
            row = ["%d" % n]
            for case in ("shown", "new"):
                idx = self.value("intake", lines=n, method="index", case=case)
                naive = self.find("intake", lines=n, method="naive", case=case)
                if naive is None:
                    scan = "-"
                    scan_value = None
                elif naive.get("stopped"):
                    scan = "stopped > %s (~%s)" % (fmt(float(naive["after"])),
                                                   fmt(float(naive["projected"])))
                    scan_value = None
                elif naive.get("skipped"):
                    scan = "not run"
                    scan_value = None
                else:
                    scan_value = float(naive["median"])
                    scan = "%s (n=%s)" % (fmt(scan_value), naive["n"])
                row += [fmt(idx), scan, ratio(scan_value, idx)]
            rows.append(row)
        table(["lines", "all shown: index", "all shown: scan", "scan/index",
               "all new: index", "all new: scan", "scan/index"], rows)
        stop = [r for r in self.records if r["kind"] == "intake" and r.get("stopped")]
        if stop:
            r = stop[0]
            print("\n   The scan stops at %s lines: one update passed the %s s budget after %s;"
                  % (r["lines"], self.args.naive_budget, fmt(float(r["after"]))))
            print("   ~%s projected at the rate it read lines. Larger views are not tried."
                  % fmt(float(r["projected"])))
        reads = [r for r in self.records if r["kind"] == "lineread"]
        if reads:
            print("\n   One line read from the control (peer; in order, 200 lines sampled):")
            for r in reads:
                print("     %7s lines: at the start %s, at the end %s (through TRichEdit::Line: %s)"
                      % (r["lines"], fmt(float(r["first"])), fmt(float(r["last"])),
                         fmt(float(r["last_checked"]))))
        fills = [r for r in self.records if r["kind"] == "fill"]
        if fills:
            print("   Filling the view (parts of 2,000 lines): " +
                  ", ".join("%s lines %s" % (r["lines"], fmt(float(r["seconds"]))) for r in fills))

    def print_latency(self):
        print("\n2. Latency: the decoder's change notice to the spot line in the view")
        print("   same simulator, same run; one new spot per notice\n")
        names = [
            ("bare_request", "bare client: request round trip"),
            ("bare_notice_to_data", "bare client: notice to data (one request)"),
            ("program_notice_to_line", "Vareli: notice to line in the view"),
            ("program_request", "  of which the request"),
            ("program_append", "  of which the line's append"),
            ("node_notice_to_line", "Vareli, DX-cluster node on, 16 clients: notice to line"),
            ("node_notice_to_client_line", "  notice to DX line at a client"),
            ("bare_trigger_to_notice", "command written to simulator -> bare notice"),
            ("program_trigger_to_line", "command written to simulator -> Vareli line"),
        ]
        rows = []
        for key, label in names:
            r = self.find("latency", what=key)
            if r:
                rows.append([label, r["n"], fmt(float(r["median"])), fmt(float(r["p90"])),
                             fmt(float(r["p99"])), fmt(float(r["max"]))])
        table(["", "n", "median", "p90", "p99", "max"], rows)
        line = self.value("latency", what="program_notice_to_line")
        bare = self.value("latency", what="bare_request")
        data = self.value("latency", what="bare_notice_to_data")
        print("\n   Vareli notice-to-line / bare request round trip: %s (medians); "
              "/ bare notice-to-data: %s" % (ratio(line, bare), ratio(line, data)))
        node = self.find("node_overhead")
        if node:
            print("   Notice-to-line with the node on and %s clients / with it off: %s (medians; "
                  "the aim is at most 1.05)" % (node["clients"], ratio(float(node["on_median"]),
                                                           float(node["off_median"]))))

    def print_startup(self):
        print("\n3. Start-up: process start to the first block shown (CreateProcess under wine)\n")
        rows = []
        restored = "Vareli.exe, and %d spots of today's file put back" % self.args.restored
        for program, label in (("minimal", "minimal Win32 window program"),
                               ("vareli", "Vareli.exe (decoder running, 19 spots)"),
                               ("vareli_restored", restored),
                               ("vareli_log", "Vareli.exe, and a %d-QSO ADIF log read first"
                                % self.args.log_qsos)):
            w = self.find("startup", program=program, what="window")
            b = self.find("startup", program=program, what="first_block")
            c = self.find("startup", program=program, what="close")
            if w and b:
                rows.append([label, b["n"], fmt(float(w["median"])), fmt(float(b["median"])),
                             fmt(float(b["min"])), fmt(float(b["p90"])),
                             fmt(float(c["median"])) if c else "-"])
        table(["", "n", "window shown", "first block", "min", "p90", "close to exit"], rows)
        v = self.value("startup", program="vareli", what="first_block")
        m = self.value("startup", program="minimal", what="first_block")
        print("\n   Vareli / minimal program, first block: %s (medians)" % ratio(v, m))
        r = self.value("startup", program="vareli_restored", what="first_block")
        print("   Vareli with %d spots put back / with none, first block: %s (medians; "
              "the aim is at most 1.5)" % (self.args.restored, ratio(r, v)))
        g = self.value("startup", program="vareli_log", what="first_block")
        if g:
            print("   Vareli with a %d-QSO log / without, first block: %s (medians; the aim is at "
                  "most 1.5)" % (self.args.log_qsos, ratio(g, v)))
        for what, label in (("answer_idle", "idle"), ("answer_reread", "reading the whole log again")):
            a = self.find("startup", program="vareli_log", what=what)
            if a:
                print("   The window's painting with the log, %s: median %s, p99 %s, longest %s "
                      "(%s asked)" % (label, fmt(float(a["median"])), fmt(float(a["p99"])),
                                      fmt(float(a["max"])), a["n"]))

    def print_pty(self):
        print("\n4. Forwarding: open, write one 44-byte line, close; COM%d mapped to a pty\n"
              % COM_NUMBER)
        rows = []
        for method, label in (("tcomm", "TComm Open/Write/Close (the program's way)"),
                              ("raw", "CreateFileA/WriteFile/CloseHandle")):
            r = self.find("pty", method=method)
            if r:
                per = float(r["per_line"])
                rows.append([label, r["lines"], fmt(per), "%.0f" % (1 / per), ratio(0.0458, per)])
        table(["", "lines", "per line", "lines/s", "9600-baud line (45.8 ms) / this"], rows)
        t = self.value("pty", key="per_line", method="tcomm")
        r = self.value("pty", key="per_line", method="raw")
        print("\n   TComm / straight calls: %s per line" % ratio(t, r))
        c = self.find("pty", method="tcomm")
        if c and "open" in c:
            print("   TComm per line: Open %s, Write %s, Close %s (means)"
                  % (fmt(float(c["open"])), fmt(float(c["write"])), fmt(float(c["close"]))))
        for note in self.notes:
            print("   " + note)

    def main(self):
        load_before = os.getloadavg()[0]
        self.session = WineSession(self.build, self.exe("tools", "winctl.exe"))
        try:
            self.run_all()
        finally:
            self.session.close()
        load_after = os.getloadavg()[0]
        print()
        self.conditions(load_before, load_after)
        for part, show in (("intake", self.print_intake), ("latency", self.print_latency),
                           ("startup", self.print_startup), ("pty", self.print_pty)):
            if self.wanted(part):
                show()
        print()
        if self.problems:
            print("PROBLEMS:")
            for p in self.problems:
                print("  " + p)
            return 1
        print("Every run's checks passed.")
        return 0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--quick", action="store_true", help="fewer runs, views up to 10,000 lines")
    ap.add_argument("--sizes", default="100,1000,10000,100000")
    ap.add_argument("--intake-runs", type=int, default=5)
    ap.add_argument("--naive-budget", type=float, default=40)
    ap.add_argument("--rounds", type=int, default=100)
    ap.add_argument("--starts", type=int, default=10)
    ap.add_argument("--lines", type=int, default=2000)
    ap.add_argument("--only", default="",
                    help="comma list of the parts to run: intake,latency,startup,pty")
    ap.add_argument("--log-qsos", type=int, default=100000,
                    help="QSOs in the ADIF log of the start-up with a log (0: none)")
    ap.add_argument("--restored", type=int, default=2000,
                    help="spot lines in today's file for the second start-up case")
    args = ap.parse_args()
    if args.quick:
        args.sizes, args.intake_runs, args.naive_budget = "100,1000,10000", 3, 5
        args.rounds, args.starts, args.lines = 30, 3, 500
    return Bench(args).main()


if __name__ == "__main__":
    sys.exit(main())
