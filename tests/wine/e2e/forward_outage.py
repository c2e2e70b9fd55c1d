#!/usr/bin/env python3
"""End to end: forwarding to a serial port that goes away and comes back, with
the unmodified Vareli.exe and the scripted decoder simulator.
1. COM17 not mapped at start: one error box over several updates while every
   new row is shown once, counted and timed, and the start line is written;
   after OK no new box while the port stays missing.
2. COM17 mapped to a pty: the next rows reach it. Unmapped again: one box
   again over several updates.
3. An upper limit the number reader refuses ("30 000"): one box over several
   updates, and none left queued behind it.
4. With the cluster node on and a client sending empty lines without pause:
   the missing port's box is drawn whole (its text and OK button on a
   screenshot), a mouse click on OK is taken within a second, a newcomer gets
   "login: " within 2 s, and new spots reach the view and a logged-in client."""

import argparse
import os
import re
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "scripts"))
sys.path.insert(0, HERE)
from node_burst import Flooder, Monitor, free_tcp_port, read_until  # noqa: E402
from run_e2e import (check, colour_counts, fail, label_texts, port_bytes,  # noqa: E402
                     spot_row, view_lines, wait_until)
from wine_session import PortReader, Simulator, WineSession  # noqa: E402

TITLE = "Vareli"
PORT = 17  # one no other wine test maps
MISSING = "Error accessing specified device (Error: 2) "  # as the program words it
# How long a box that should not come is given to come.
SETTLE = 1.5


def boxes(session):
    """The texts of the program's open message boxes."""
    code, out = session.winctl_out("boxes", TITLE)
    lines = out.splitlines()
    if code != 0 or not lines:
        fail("winctl boxes failed (%d): %r" % (code, out))
    texts = [line.split("\t", 1)[1] for line in lines[1:] if line.startswith("box\t")]
    if int(lines[0]) != len(texts):
        fail("winctl boxes: %r" % out)
    return texts


def wait_box(session, text):
    """Waits for the program's first box and returns the open boxes' texts."""
    code, _ = session.winctl_out("box", TITLE, "30000")
    check(code == 0, "an error box appears")
    texts = boxes(session)
    if texts != [text]:
        print("boxes: %r" % texts)
    return texts


def label(session, pattern):
    """The text of the label matching pattern (None when there is none)."""
    for _, text in label_texts(session):
        if re.fullmatch(pattern, text):
            return text
    return None


TIME = r"\d{1,2}[:.]\d\d[:.]\d\d(?: [AP]M)?"


class Page:
    """The simulator's page: each update puts new spot rows on it."""

    def __init__(self, sim):
        self.sim = sim
        self.used = 0
        self.rows = []

    def add(self, count):
        new = []
        for _ in range(count):
            n = self.used
            spot = (7000 + 10 * n, "Q%dA%s" % (n % 10, chr(ord("A") + n)), "cq", "Q9ZZZ",
                    "12%02d" % n)
            self.sim.send("spot %d %d %s %s %s %s" % ((n,) + spot))
            new.append(spot_row(*spot))
            self.used += 1
        self.rows += new
        return new

    def update(self, count):
        new = self.add(count)
        self.sim.send("notify")
        return new


def shown_rows(session):
    return [line[:42] for line in view_lines(session) or []]


def wait_shown(session, rows, what):
    """Waits until the view holds exactly rows, each once, in order."""
    got = wait_until(what, lambda: len(shown_rows(session)) >= len(rows) and
                     shown_rows(session), 30)
    if got != rows:
        print("view: %r\nwant: %r" % (got, rows))
    check(got == rows, what + ": every row shown once, in order")


def close_vareli(session, vareli):
    code, _ = session.winctl_out("close", TITLE, "15000")
    check(code == 0, "the window closes")
    vareli.wait(15)
    check(vareli.returncode == 0, "Vareli.exe ended with code 0")


def count_label(n):
    return "%d vihjett\xe4" % n


def main():
    ap = argparse.ArgumentParser()
    for name in ("vareli", "simulator", "winctl", "build", "artefacts"):
        ap.add_argument("--" + name, required=True)
    args = ap.parse_args()
    session = WineSession(args.build, args.winctl)
    try:
        try:
            run(session, args)
        except SystemExit:
            session.screenshot(os.path.join(args.artefacts, "forward-outage-fail.png"))
            raise
    finally:
        session.close()
    print("forward outage: all checks passed")


def run(session, args):
    session.drop_com_port(PORT)  # a link left by an earlier run cut off
    sim = Simulator(session, args.simulator)
    sim.wait_for("ready")
    try:
        outage(session, args, sim)
        refused_limit(session, args, sim)
        flooded_box(session, args, sim)
    finally:
        sim.send("quit")
        sim.p.wait(15)


def outage(session, args, sim):
    work = tempfile.mkdtemp(prefix="vareli-outage-")
    with open(os.path.join(work, "vareli.ini"), "wb") as f:
        f.write(b"[COMPort]Com%d\r\n[AlaMHZ]1800\r\n[YlaMHZ]30000\r\n[Com]1\r\n" % PORT)
    page = Page(sim)
    page.add(2)
    vareli = session.start([args.vareli], cwd=work)
    code, _ = session.winctl_out("wait", TITLE, "30000")
    check(code == 0, "the Vareli window appears")
    wait_shown(session, page.rows, "the first page's rows are shown with the port missing")
    check(wait_box(session, MISSING) == [MISSING], "one box reports the missing port")
    start = label(session, r"Alkoi: .*")
    check(start is not None and re.fullmatch(r"Alkoi: \S+ " + TIME, start) is not None,
          "the start line is written (%r)" % start)

    # Updates while the box is open: taken, with no second box.
    for n in (1, 2, 1):
        page.update(n)
        wait_shown(session, page.rows, "an update while the box is open")
        time.sleep(SETTLE)
        texts = boxes(session)
        check(texts == [MISSING], "still one box (%d rows so far; boxes %r)" %
              (len(page.rows), texts))
        check(label(session, count_label(len(page.rows))) is not None,
              "Label4 counts %d" % len(page.rows))
    check(label(session, TIME) is not None, "Label1 shows the last spot's time")

    code, _ = session.winctl_out("ok", TITLE, "10000")
    check(code == 0 and boxes(session) == [], "the box is dismissed with OK")
    for n in (2, 1):
        before = label(session, TIME)
        time.sleep(1.1)  # so that the time shown must change
        page.update(n)
        wait_shown(session, page.rows, "an update after OK, the port still missing")
        time.sleep(SETTLE)
        check(boxes(session) == [], "no new box while the port stays missing")
        check(label(session, count_label(len(page.rows))) is not None,
              "Label4 counts %d" % len(page.rows))
        after = label(session, TIME)
        check(after is not None and after != before,
              "Label1 shows the new spot's time (%r, was %r)" % (after, before))

    # The port is back: the next rows reach it, and end the outage.
    port = PortReader(session.com_port(PORT))
    new = page.update(2)
    wait_shown(session, page.rows, "an update with the port back")
    want = "".join(row + "\r\n" for row in new).encode("latin-1")
    got = port_bytes(port, len(want))
    if got != want:
        print("port got:  %r\nport want: %r" % (got, want))
    check(got == want, "the port received the new rows, and only them")
    check(boxes(session) == [], "no box while the port works")

    # Gone again: a new outage, one box for it.
    session.drop_com_port(PORT)
    page.update(1)
    wait_shown(session, page.rows, "an update with the port gone again")
    check(wait_box(session, MISSING) == [MISSING], "the new outage is reported in one box")
    for n in (1, 2):
        page.update(n)
        wait_shown(session, page.rows, "an update while the second box is open")
        time.sleep(SETTLE)
        texts = boxes(session)
        check(texts == [MISSING], "still one box (boxes %r)" % (texts,))
    check(label(session, count_label(len(page.rows))) is not None,
          "Label4 counts all %d rows" % len(page.rows))
    got = port.take()
    check(got == b"", "nothing more reached the pty once unmapped (%r)" % got)
    code, _ = session.winctl_out("ok", TITLE, "10000")
    check(code == 0, "the box is dismissed with OK")
    close_vareli(session, vareli)


def refused_limit(session, args, sim):
    work = tempfile.mkdtemp(prefix="vareli-limit-")
    with open(os.path.join(work, "vareli.ini"), "wb") as f:
        f.write(b"[COMPort]Com%d\r\n[AlaMHZ]1800\r\n[YlaMHZ]30 000\r\n[Com]0\r\n" % PORT)
    refused = "'30 000' is not a valid integer value."
    sim.send("clear")
    page = Page(sim)
    page.add(2)
    vareli = session.start([args.vareli], cwd=work)
    code, _ = session.winctl_out("wait", TITLE, "30000")
    check(code == 0, "the Vareli window appears with the refused limit")
    check(wait_box(session, refused) == [refused], "one box reports the refused limit")
    for n in (1, 2, 1):
        mark = len(sim.events)
        page.update(n)
        sim.wait_for("advreq", 10, mark)
        time.sleep(SETTLE)
        texts = boxes(session)
        check(texts == [refused], "still one box after an update (boxes %r)" % (texts,))
    check(shown_rows(session) == [], "no row is taken past the refused limit")
    code, _ = session.winctl_out("ok", TITLE, "10000")
    check(code == 0, "the box is dismissed with OK")
    # The updates were taken while the box was open, not queued behind it.
    time.sleep(SETTLE)
    texts = boxes(session)
    check(texts == [], "no box comes after OK without a new update (boxes %r)" % (texts,))
    # A new update is refused again, in a box of its own.
    page.update(1)
    check(wait_box(session, refused) == [refused], "the next update is refused in one box")
    code, _ = session.winctl_out("ok", TITLE, "10000")
    check(code == 0, "the box is dismissed with OK")
    close_vareli(session, vareli)


def box_drawn(session, shot, box):
    """Whether the box on the screenshot shows its text and its OK button:
    dark text in the text's place, the button's face and its dark label."""
    code, out = session.winctl_out("boxrect", TITLE)
    if code != 0:
        return False, "no box"
    left, top, _, _ = (int(v) for v in out.split(","))
    found = {}
    for cls, _, bounds, text in box:
        x, y, w, h = (int(v) for v in bounds.split(","))
        part = shot + "." + cls + ".png"
        # the client origin lies inside the frame: the caption and border
        subprocess.run(["convert", shot, "-crop", "%dx%d+%d+%d" % (w, h, left + x + 3, top + y + 22),
                        "+repage", part], check=True)
        found[cls] = colour_counts(part)
    text = found.get("Static", {})
    button = found.get("Button", {})
    # Black is the box's own: the view behind writes in navy and red.
    black, label = text.get("000000", 0), button.get("000000", 0)
    return black > 50 and label > 10, "%d black pixels of text, %d of the button's label" % (
        black, label)


def flooded_box(session, args, sim):
    session.drop_com_port(PORT)
    tcp_port = free_tcp_port()
    work = tempfile.mkdtemp(prefix="vareli-flood-")
    with open(os.path.join(work, "vareli.ini"), "wb") as f:
        f.write(b"[COMPort]Com%d\r\n[AlaMHZ]1800\r\n[YlaMHZ]30000\r\n[Com]1\r\n"
                b"[Klusteri]1\r\n[KlusteriPortti]%d\r\n" % (PORT, tcp_port))
    sim.send("clear")
    page = Page(sim)
    vareli = session.start([args.vareli], cwd=work)
    check(session.winctl_out("wait", TITLE, "30000")[0] == 0, "the window appears, node on")
    monitor = wait_until("the node takes a logger", lambda: try_monitor(tcp_port))
    flooder = Flooder(tcp_port)
    try:
        time.sleep(2)  # the flood well under way before the box
        page.update(1)
        check(wait_box(session, MISSING) == [MISSING], "the missing port's box opens mid-flood")
        code, listing = session.winctl_out("box", TITLE, "1000")
        box = [line.split("\t") for line in listing.splitlines()]
        time.sleep(1)
        shot = os.path.join(args.artefacts, "flooded-box.png")
        session.screenshot(shot)
        drawn, seen = box_drawn(session, shot, box)
        check(drawn, "the box is drawn whole while the client floods (%s)" % seen)
        page.update(1)
        wait_shown(session, page.rows, "a spot while the box is open and the client floods")
        wait_until("the logger gets the new spots", lambda: monitor.spots() >= len(page.rows))
        start = time.time()
        s = socket.create_connection(("127.0.0.1", tcp_port), timeout=5)
        got = read_until(s, b"login: ", 5)
        took = time.time() - start
        s.close()
        check(b"login: " in got and took < 2, "a newcomer gets \"login: \" in %.2f s" % took)
        code, out = session.winctl_out("click", TITLE, "1000")
        check(code == 0, "a click on OK is taken mid-flood (in %s ms)" % out.strip())
        page.update(1)
        wait_shown(session, page.rows, "a spot after OK, the client still flooding")
        wait_until("the logger gets it", lambda: monitor.spots() >= len(page.rows))
        wait_until("the flooder is told why and closed",
                   lambda: flooder.closed > 0 and b"more than 20 lines a second" in flooder.told,
                   20)
        check(True, "the flooder was told why and closed (%d times)" % flooder.closed)
    finally:
        flooder.running = False
    close_vareli(session, vareli)


def try_monitor(tcp_port):
    try:
        return Monitor(tcp_port)
    except OSError:
        return None


if __name__ == "__main__":
    main()
