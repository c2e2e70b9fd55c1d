#!/usr/bin/env python3
"""End to end: the unmodified Vareli.exe in a folder with a vareli.ini, the
decoder simulator scripted through several updates, COM12 mapped to a pty
(ports above 9 need the device-namespace name and a whole port name from the
settings file).
Checks the bytes on the pty, the lines of the window (read from outside the
process), the colours on a screenshot, the link indicator and the counter,
and a clean close. Then a start with no vareli.ini: "File not found.", no
spot taken, the window still usable."""

import argparse
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                                "scripts"))
from wine_session import PortReader, Simulator, WineSession  # noqa: E402

TITLE = "Vareli"


def spot_row(freq, dx, comment, spotter, hhmm):
    """A spot row as the program sees it: 40 columns and two blanks."""
    cols = [" "] * 40

    def put(at, text):
        for i, c in enumerate(text):
            cols[at + i] = c

    put(0, str(freq).rjust(6))
    put(7, dx)
    put(14, comment)
    put(29, spotter)
    put(36, hhmm)
    return "".join(cols) + "  "


def spot_command(n, freq, dx, comment, spotter, hhmm):
    return "spot %d %s %s %s %s %s" % (n, freq, dx, comment, spotter, hhmm)


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)
    print("ok: " + message)


def view_lines(session):
    for cls, _, _, text in session.children(TITLE):
        if cls.startswith("RichEdit"):
            text = text.replace("\\r\\n", "\n").replace("\\r", "\n")
            return [line for line in text.split("\n") if line]
    return None


def shown(session, count):
    """The view's lines once it holds at least count of them."""
    lines = view_lines(session) or []
    return lines if len(lines) >= count else None


def label_texts(session):
    return [(visible, text) for cls, visible, _, text in session.children(TITLE)
            if cls == "Static"]


def wait_until(what, predicate, seconds=30):
    end = time.time() + seconds
    value = None
    while time.time() < end:
        value = predicate()
        if value:
            return value
        time.sleep(0.2)
    fail("%s (last seen: %r)" % (what, value))


def colour_counts(png):
    out = subprocess.run(["convert", png, "-format", "%c", "histogram:info:-"],
                         capture_output=True, text=True).stdout
    counts = {}
    for line in out.splitlines():
        m = re.match(r"\s*(\d+):.*#([0-9A-Fa-f]{6})", line)
        if m:
            counts[m.group(2).upper()] = int(m.group(1))
    return counts


def main():
    ap = argparse.ArgumentParser()
    for name in ("vareli", "simulator", "winctl", "build", "artefacts"):
        ap.add_argument("--" + name, required=True)
    args = ap.parse_args()

    session = WineSession(args.build, args.winctl)
    try:
        run(session, args)
    finally:
        session.close()
    print("e2e: all checks passed")


def run(session, args):
    port = PortReader(session.com_port(12))
    work = tempfile.mkdtemp(prefix="vareli-e2e-")
    with open(os.path.join(work, "vareli.ini"), "wb") as f:
        f.write(b"[COMPort]Com12\r\n[AlaMHZ]7000\r\n[YlaMHZ]14350\r\n[Com]1\r\n")

    sim = Simulator(session, args.simulator, ["--log", "Z:" + os.path.join(work, "sim.log")
                                              .replace("/", "\\")])
    sim.wait_for("ready")
    page = [
        (7025, "Q1AAA", "cq", "SP1XX", "1200"),    # in the band
        (14025, "OH2BH", "cq-dx", "Q9ZZZ", "1201"),  # "OH" as the DX: red
        (3525, "Q2BBB", "test", "Q8YYY", "1202"),  # below the band
        (14350, "Q3CCC", "up", "Q7XXX", "1203"),   # on the upper limit
        (10105, "Q4DDD", "cw", "OH6XY", "1204"),   # "OH" as the spotter: red
        (21025, "Q5EEE", "x", "Q6WWW", "1205"),    # above the band
    ]
    sim.send(*[spot_command(i, *r) for i, r in enumerate(page)])
    expected = [spot_row(*page[i]) for i in (0, 1, 3, 4)]

    vareli = session.start([args.vareli], cwd=work)
    code, _ = session.winctl_out("wait", TITLE, "30000")
    check(code == 0, "the Vareli window appears")
    lines = wait_until("the first block's spots are shown", lambda: shown(session, 4))
    labels = label_texts(session)
    start_line = [t for _, t in labels if t.startswith("Alkoi: ")]
    check(len(start_line) == 1, "the start line is written")
    date = start_line[0][len("Alkoi: "):].split(" ")[0]
    check([line[:42] for line in lines] == expected, "the accepted rows are shown in block order")
    check(all(line == row + date for line, row in zip(lines, expected)),
          "each line is the row followed by the date (%s)" % date)
    check((True, "DDE link") in labels, "\"DDE link\" shows while the conversation is open")
    check((True, "4 vihjett\xe4") in labels, "Label4 counts the four spots")

    # Updates: two new rows; the same text announced again; a short last unit.
    sim.send(spot_command(6, 7001, "oh1abc", "lower", "Q1ZZZ", "1206"),
             spot_command(7, 7000, "Q6FFF", "edge", "Q2ZZZ", "1207"), "notify")
    expected += [spot_row(7001, "oh1abc", "lower", "Q1ZZZ", "1206"),
                 spot_row(7000, "Q6FFF", "edge", "Q2ZZZ", "1207")]
    wait_until("the update's two rows are shown", lambda: shown(session, 6))
    sim.send("notify")
    time.sleep(1.5)
    check(len(view_lines(session)) == 6, "the same text again adds no line")

    rows = [spot_row(*r) for r in page] + [expected[4], expected[5]]
    rows += [" " * 42] * (19 - len(rows))
    short = "  7100 Q7SHRT"
    raw = "".join(r[:40] + "\\x0d\\x0a" for r in rows) + short
    sim.send("raw " + raw, "notify")
    expected.append(short)
    wait_until("the short last unit is shown", lambda: shown(session, 7))

    # The port's bytes may trail the view on a loaded machine; then a pause
    # lets any extra byte show.
    want = "".join(r + "\r\n" for r in expected).encode("latin-1")
    got = port.take()
    deadline = time.time() + 10
    while len(got) < len(want) and time.time() < deadline:
        time.sleep(0.05)
        got += port.take()
    time.sleep(0.5)
    got += port.take()
    if got != want:
        print("port got:  %r\nport want: %r" % (got, want))
    check(got == want, "the port received exactly the accepted rows with CR LF, in order "
          "(%d bytes)" % len(want))
    lines = view_lines(session)
    check(lines == [row + date for row in expected], "the window's lines are the expected spot lines")
    check((True, "7 vihjett\xe4") in label_texts(session), "Label4 counts seven spots")

    shot = os.path.join(args.artefacts, "e2e-main-window.png")
    session.screenshot(shot)
    counts = colour_counts(shot)
    check(counts.get("FF0000", 0) > 50, "red text on the screenshot (%d pixels)" %
          counts.get("FF0000", 0))
    check(counts.get("000080", 0) > 50, "navy text on the screenshot (%d pixels)" %
          counts.get("000080", 0))

    mark = len(sim.events)
    code, _ = session.winctl_out("close", TITLE, "15000")
    check(code == 0, "closing the window ends it")
    try:
        vareli.wait(15)
    except Exception:
        fail("Vareli.exe did not end after its window closed")
    check(vareli.returncode == 0, "Vareli.exe ended with code 0")
    sim.wait_for("disconnect", 10, mark)
    print("ok: the conversation was ended by the client")

    # No settings file: the error report, no spot taken, the window usable.
    empty = tempfile.mkdtemp(prefix="vareli-e2e-noini-")
    vareli = session.start([args.vareli], cwd=empty)
    code, out = session.winctl_out("box", TITLE, "30000")
    check(code == 0 and "File not found." in out, "the missing file is reported: File not found.")
    session.screenshot(os.path.join(args.artefacts, "e2e-no-settings.png"))
    code, _ = session.winctl_out("ok", TITLE, "10000")
    check(code == 0, "the report is dismissed with OK")
    time.sleep(1.0)
    labels = label_texts(session)
    check(any(t == "Label3" for _, t in labels) and any(t == "Label4" for _, t in labels),
          "the start line and the counter keep their layout captions")
    check(not view_lines(session), "no spot is taken in that run")
    code, _ = session.winctl_out("close", TITLE, "15000")
    check(code == 0, "the window still closes")
    vareli.wait(15)
    sim.send("quit")
    sim.p.wait(15)
    print("ok: the simulator has quit")


if __name__ == "__main__":
    main()
