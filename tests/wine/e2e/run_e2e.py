#!/usr/bin/env python3
"""End to end: the unmodified Vareli.exe in a folder with a vareli.ini, the
decoder simulator scripted through several updates, COM15 mapped to a pty
(ports above 9 need the device-namespace name and a whole port name from the
settings file).
Checks the bytes on the pty, the lines of the window (read from outside the
process), the colours on a screenshot, the link indicator and the counter,
and a clean close. Then a start with no vareli.ini: "File not found.", the
start line and the count written all the same, no spot taken, the window
still usable."""

import argparse
import os
import re
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                                "scripts"))
from wine_session import PortReader, Simulator, WineSession  # noqa: E402

TITLE = "Vareli"
# Above 9, and a number no other wine test maps (they share the prefix and may
# run at the same time).
PORT = 15


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


def port_bytes(port, count):
    """What the port received once count bytes are in (at most 10 s: they may
    trail the view on a loaded machine), and after a pause for any extra byte."""
    got = port.take()
    deadline = time.time() + 10
    while len(got) < count and time.time() < deadline:
        time.sleep(0.05)
        got += port.take()
    time.sleep(0.5)
    return got + port.take()


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
    port = PortReader(session.com_port(PORT))
    work = tempfile.mkdtemp(prefix="vareli-e2e-")
    with open(os.path.join(work, "vareli.ini"), "wb") as f:
        f.write(b"[COMPort]Com15\r\n[AlaMHZ]7000\r\n[YlaMHZ]14350\r\n[Com]1\r\n")

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

    want = "".join(r + "\r\n" for r in expected).encode("latin-1")
    got = port_bytes(port, len(want))
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

    # No settings file: reported, and the rest of the start goes on (the
    # start line and the count are written), but without limits no item is
    # named and no spot taken; the window stays usable.
    empty = tempfile.mkdtemp(prefix="vareli-e2e-noini-")
    vareli = session.start([args.vareli], cwd=empty)
    code, out = session.winctl_out("box", TITLE, "30000")
    check(code == 0 and "File not found." in out, "the missing file is reported: File not found.")
    session.screenshot(os.path.join(args.artefacts, "e2e-no-settings.png"))
    code, _ = session.winctl_out("ok", TITLE, "10000")
    check(code == 0, "the report is dismissed with OK")
    time.sleep(1.0)
    code, out = session.winctl_out("boxes", TITLE)
    check(out.startswith("0"), "nothing else is reported (%r)" % out)
    # On a loaded machine the listing can come back empty (the box's caption
    # is the window's too, or winctl itself failed): read until it has labels.
    labels = wait_until("the window's labels are listed", lambda: label_texts(session), 15)
    written = (any(t.startswith("Alkoi: ") for _, t in labels) and
               any(t == "0 vihjett\xe4" for _, t in labels))
    if not written:
        print("labels: %r" % labels)
    check(written, "the start line and the count are written all the same")
    check(not view_lines(session), "no spot is taken in that run")
    code, _ = session.winctl_out("close", TITLE, "15000")
    check(code == 0, "the window still closes")
    vareli.wait(15)

    relay_run(session, args, sim)
    sim.send("quit")
    sim.p.wait(15)
    print("ok: the simulator has quit")


def dx_line(freq, dx, comment, spotter, hhmm):
    """The DX-cluster line of a row, laid out by its columns."""
    head = "DX de %s:" % (spotter or "VARELI")
    frequency = "%d.0" % freq
    return "%s%s%s  %s %s %sZ\r\n" % (head, " " * max(1, 24 - len(head) - len(frequency)),
                                       frequency, dx.ljust(12), comment[:30].ljust(30), hhmm)


def page_text(rows):
    """The page as the simulator's raw command takes it: 19 rows, CR LF each."""
    rows = rows + [" " * 42] * (19 - len(rows))
    return "raw " + "".join(r[:40] + "\\x0d\\x0a" for r in rows)


def free_tcp_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class NodeClient:
    """A telnet client of the cluster node, on 127.0.0.1."""

    def __init__(self, tcp_port):
        self.s = socket.create_connection(("127.0.0.1", tcp_port), timeout=10)
        self.data = b""

    def read(self, count, seconds=10):
        """The next count bytes (fewer when they do not come in time)."""
        end = time.time() + seconds
        while len(self.data) < count and time.time() < end:
            try:
                chunk = self.s.recv(65536)
            except socket.timeout:
                break
            if not chunk:
                break
            self.data += chunk
        got, self.data = self.data[:count], self.data[count:]
        return got

    def send(self, text):
        self.s.sendall(text)

    def closed_by_peer(self, seconds=10):
        """Whether the node ends the connection (nothing more comes first)."""
        self.s.settimeout(seconds)
        try:
            return not self.data and self.s.recv(1) == b""
        except (socket.timeout, ConnectionResetError):
            return False


def node_connections(tcp_port):
    """The node's TCP connections not yet closed on its side: established, or
    closed by the client only (CLOSE_WAIT)."""
    count = 0
    with open("/proc/net/tcp") as table:
        for line in table.readlines()[1:]:
            fields = line.split()
            local_port = int(fields[1].split(":")[1], 16)
            count += local_port == tcp_port and fields[3] in ("01", "08")
    return count


def list_line(freq, dx, comment, spotter, hhmm):
    """A spot in sh/dx's list, accepted today (UTC)."""
    day = time.gmtime()
    date = "%2d-%s-%d" % (day.tm_mday, time.strftime("%b", day), day.tm_year)
    return "%8.1f  %-11s %s %sZ  %-28.28s%8s\r\n" % (freq, dx, date, hhmm, comment,
                                                      "<%s>" % (spotter or "VARELI"))


def relay_run(session, args, sim):
    """Every relay option on: DX-cluster lines on the port, each accepted row
    in the day's spot file, the cluster node on a TCP port of 127.0.0.1; a
    spot file that cannot be written is reported once while intake goes on;
    a node port already taken is reported and the program runs on."""
    port = PortReader(session.com_port(PORT))
    work = tempfile.mkdtemp(prefix="vareli-e2e-relay-")
    tcp_port = free_tcp_port()
    with open(os.path.join(work, "vareli.ini"), "wb") as f:
        f.write(b"[COMPort]Com15\r\n[AlaMHZ]7000\r\n[YlaMHZ]14350\r\n[Com]1\r\n"
                b"[SarjaDX]1\r\n[Loki]1\r\n[Klusteri]1\r\n[KlusteriPortti]%d\r\n" % tcp_port)
    spots = [(7025, "Q1AAA", "cq dx", "Q9ZZZ", "1305"), (14025, "OH2BH", "cq-dx", "", "1201"),
             (10105, "Q4DDD", "cw", "OH6XY", "1204"), (10106, "Q5EEE", "", "Q7XXX", "1206")]
    rows = [spot_row(*s) for s in spots]
    sim.send(page_text(rows[:2]))
    log = os.path.join(work, time.strftime("vihjeet-%Y%m%d.txt"))

    vareli = session.start([args.vareli], cwd=work)
    code, _ = session.winctl_out("wait", TITLE, "30000")
    check(code == 0, "the Vareli window appears with the relay options on")
    wait_until("the first two spots are shown", lambda: shown(session, 2))
    want = b"".join(dx_line(*s).encode("latin-1") for s in spots[:2])
    check(want.startswith(b"DX de Q9ZZZ:      7025.0  Q1AAA        cq dx" + b" " * 26 +
                          b"1305Z\r\n"), "the expected lines hold the known example")
    got = port_bytes(port, len(want))
    if got != want:
        print("port got:  %r\nport want: %r" % (got, want))
    check(got == want, "the port received the DX-cluster lines, not the rows")
    text = wait_until("the day's spot file holds both rows", lambda: os.path.exists(log) and
                      open(log, "rb").read().count(b"\r\n") >= 2 and open(log, "rb").read())
    stamp = rb"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d "
    check(re.fullmatch(b"".join(stamp + re.escape(r.encode("latin-1")) + b"\r\n"
                                for r in rows[:2]), text) is not None,
          "the spot file holds each row after its local date and time")

    clients = []
    for call in ("q1abc", "OH2-X/P"):
        client = NodeClient(tcp_port)
        check(client.read(7) == b"login: ", "the node asks a client for its call")
        client.send(call.encode() + b"\r\n")
        upper = call.upper().encode()
        hello = (b"Hello " + upper + b", this is VARELI, teletext DX spots of page 590.\r\n" +
                 upper + b" de VARELI >\r\n")
        check(client.read(len(hello)) == hello, "%s is logged in" % call)
        clients.append(client)
    # Telnet negotiation (with a subnegotiation) before the call, binary junk after.
    junk = NodeClient(tcp_port)
    junk.send(b"\xff\xfb\x01\xff\xfd\x03\xff\xfa\x18\x00ANSI\xff\xf0q2xyz\r\n")
    hello = (b"login: Hello Q2XYZ, this is VARELI, teletext DX spots of page 590.\r\n"
             b"Q2XYZ de VARELI >\r\n")
    check(junk.read(len(hello)) == hello, "telnet option bytes are skipped, never echoed")
    junk.send(b"\x00\x01\xfe\x80abc\r\n")
    sorry = b"Sorry, Vareli only serves spots: sh/dx [n], bye.\r\nQ2XYZ de VARELI >\r\n"
    check(junk.read(len(sorry)) == sorry, "binary junk gets the node's answer and the prompt")
    junk.send(b"bye\r\n")
    check(junk.closed_by_peer(), "bye ends the connection")

    clients[0].send(b"sh/dx 2\r\n")
    listed = "".join(list_line(*s) for s in reversed(spots[:2])).encode("latin-1")
    got = clients[0].read(len(listed) + len(b"Q1ABC de VARELI >\r\n"))
    if got != listed + b"Q1ABC de VARELI >\r\n":
        print("sh/dx got:  %r\nsh/dx want: %r" % (got, listed))
    check(got == listed + b"Q1ABC de VARELI >\r\n", "sh/dx 2 lists the spots, newest first")

    # A connection the node forgets to close stays open on its side (wine
    # keeps the socket in its server, so the program's own descriptors do not
    # show it): count the node's open TCP connections.
    for _ in range(100):
        passer = NodeClient(tcp_port)
        passer.read(7)
        passer.s.close()
    held = wait_until("the node lets the passing connections go",
                      lambda: node_connections(tcp_port) == 2 and 2, 15)
    check(held == 2, "100 connects and disconnects leave only the two logged-in connections")

    # Nobody may write the file now, root included.
    os.chmod(log, 0o444)
    if os.geteuid() == 0 and subprocess.run(["chattr", "+i", log]).returncode != 0:
        fail("cannot make the spot file unwritable for root (chattr +i)")
    try:
        sim.send(page_text(rows[:3]), "notify")
        code, out = session.winctl_out("box", TITLE, "30000")
        name = os.path.basename(log)
        check(code == 0 and ("Vihjetiedostoon %s ei voitu kirjoittaa (virhe 5)." % name) in out,
              "the unwritable spot file is reported")
        # While the box is open the next update is taken, with no second box.
        sim.send(page_text(rows), "notify")
        want = b"".join(dx_line(*s).encode("latin-1") for s in spots[2:])
        got = port_bytes(port, len(want))
        if got != want:
            print("port got:  %r\nport want: %r" % (got, want))
        check(got == want, "intake goes on past the failed file")
        for client in clients:
            got = client.read(len(want))
            check(got == want, "a logged-in client received every new DX line, in order")
        code, _ = session.winctl_out("ok", TITLE, "10000")
        check(code == 0, "the report is dismissed with OK")
        code, _ = session.winctl_out("box", TITLE, "1500")
        check(code != 0, "the file is reported only once")
        check(len(view_lines(session)) == 4, "every spot is shown")
    finally:
        if os.geteuid() == 0:
            subprocess.run(["chattr", "-i", log])
    check(open(log, "rb").read() == text, "the unwritable file is left as it was")
    code, _ = session.winctl_out("close", TITLE, "15000")
    check(code == 0, "the window closes")
    vareli.wait(15)
    check(all(c.closed_by_peer() for c in clients), "closing the program closes the connections")
    os.chmod(log, 0o644)

    # The node's port held by another listener: reported, and the program runs on.
    with socket.socket() as taken:
        # The node's closed connections may still hold the port in TIME_WAIT.
        taken.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        taken.bind(("127.0.0.1", tcp_port))
        taken.listen(1)
        vareli = session.start([args.vareli], cwd=work)
        code, out = session.winctl_out("box", TITLE, "30000")
        check(code == 0 and ("DX-klusterin porttia %d ei voitu avata (virhe 10048)." % tcp_port)
              in out, "a node port already taken is reported")
        code, _ = session.winctl_out("ok", TITLE, "10000")
        check(code == 0, "the report is dismissed with OK")
        wait_until("the spots are shown without the node", lambda: shown(session, 4))
        # The day's file held the first two rows: they are shown again, and
        # the page repeating them sends only the two the file missed.
        want = b"".join(dx_line(*s).encode("latin-1") for s in spots[2:])
        got = port_bytes(port, len(want))
        if got != want:
            print("port got:  %r\nport want: %r" % (got, want))
        check(got == want and len(view_lines(session)) == 4,
              "after a restart the port gets only the rows the day's file did not hold")
        check(open(log, "rb").read().count(b"\r\n") == 4, "the day's file holds each row once")
        code, _ = session.winctl_out("close", TITLE, "15000")
        check(code == 0, "the window closes")
        vareli.wait(15)


if __name__ == "__main__":
    main()
