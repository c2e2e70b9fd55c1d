#!/usr/bin/env python3
"""The cluster node under connection bursts: the unmodified Vareli.exe with
the node on, fed by the simulator's demo page (a new spot scrolls in every few
seconds) while one client stays logged in. Each burst starts as the
simulator announces a new page, so that the program takes the spot while the
burst runs, and is 100 connections one after another: the first of every
three closes at once without reading, the second reads "login: " and closes,
the third logs in, says bye and waits for the node to close. After every
burst a new client must get "login: " within 2 s, and the node must hold none
of the connections the clients closed (read from the system's TCP table: wine
keeps the sockets in its server)."""

import os
import shutil
import socket
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                                "scripts"))
from wine_session import Failure, PortReader, Simulator, run_wine_test  # noqa: E402

TITLE = "Vareli"
COM = 16  # one no other wine test maps
CONNECTIONS = 100
KINDS = ("closes at once", "reads the prompt, then closes", "logs in, says bye")
STATES = {"01": "ESTABLISHED", "08": "CLOSE_WAIT", "06": "TIME_WAIT", "04": "FIN_WAIT1",
          "05": "FIN_WAIT2", "09": "LAST_ACK", "07": "CLOSE", "0B": "CLOSING"}


def free_tcp_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def node_table(tcp_port):
    """The node port's accept queue (connections the system finished but the
    node has not taken) and its connections: {client port: state}."""
    queue, peers = 0, {}
    with open("/proc/net/tcp") as table:
        for line in table.readlines()[1:]:
            f = line.split()
            if int(f[1].split(":")[1], 16) != tcp_port:
                continue
            if f[3] == "0A":
                queue = int(f[4].split(":")[1], 16)
            else:
                peers[int(f[2].split(":")[1], 16)] = STATES.get(f[3], f[3])
    return queue, peers


def read_until(s, marker, seconds):
    """What arrives until marker (or the end, or the time is up)."""
    got = b""
    end = time.time() + seconds
    while marker not in got and time.time() < end:
        s.settimeout(max(0.01, end - time.time()))
        try:
            chunk = s.recv(4096)
        except socket.timeout:
            break
        if not chunk:
            break
        got += chunk
    return got


class Monitor:
    """A client that logs in, stays logged in and keeps what it is sent."""

    HELLO = b"Q0MON de VARELI >\r\n"

    def __init__(self, tcp_port):
        self.s = socket.create_connection(("127.0.0.1", tcp_port), timeout=10)
        self.s.sendall(b"Q0MON\r\n")
        self.data = b""
        threading.Thread(target=self._read, daemon=True).start()
        end = time.time() + 10
        while self.HELLO not in self.data:
            if time.time() > end:
                raise Failure("the node client was not logged in in 10 s, got %r" % self.data)
            time.sleep(0.05)
        self.start = self.data.index(self.HELLO) + len(self.HELLO)

    def _read(self):
        self.s.settimeout(None)
        while True:
            try:
                chunk = self.s.recv(65536)
            except OSError:
                return
            if not chunk:
                return
            self.data += chunk

    def since_login(self):
        return self.data[self.start:]

    def spots(self):
        lines = self.since_login()
        return lines.count(b"\r\nDX de ") + lines.startswith(b"DX de ")


class Flooder:
    """A logged-in client that sends empty lines without pause, and logs in
    again whenever the node closes it."""

    def __init__(self, tcp_port):
        self.tcp_port = tcp_port
        self.running = True
        self.closed = 0
        self.told = b""
        self.untold = 0  # ends without the node's words for a flood
        threading.Thread(target=self._flood, daemon=True).start()

    def _flood(self):
        while self.running:
            s, got = None, b""
            try:
                s = socket.create_connection(("127.0.0.1", self.tcp_port), timeout=5)
                s.sendall(b"Q0FLD\r\n")
                s.setblocking(False)
                while self.running:
                    try:
                        s.send(b"\r\n" * 512)
                    except BlockingIOError:
                        time.sleep(0.001)
                    try:
                        chunk = s.recv(65536)
                        if not chunk:
                            break
                        got = (got + chunk)[-200:]
                    except BlockingIOError:
                        pass
            except OSError:
                pass
            self.closed += 1
            self.told = got
            if self.running and b"more than 20 lines a second" not in got:
                self.untold += 1
            if s is not None:
                s.close()
            else:
                time.sleep(0.1)


def connection(tcp_port, kind):
    """One connection of a burst; its client port, or Failure with what was seen."""
    try:
        s = socket.create_connection(("127.0.0.1", tcp_port), timeout=5)
    except OSError as e:
        raise Failure("connect failed: %s" % e)
    port = s.getsockname()[1]
    with s:
        if kind == 0:
            return port
        got = read_until(s, b"login: ", 5)
        if b"login: " not in got:
            raise Failure("client port %d: no \"login: \" within 5 s, got %r" % (port, got))
        if kind == 1:
            return port
        s.sendall(b"T%dAB\r\nbye\r\n" % kind)
        got = b""
        end = time.time() + 5
        while time.time() < end:
            s.settimeout(max(0.01, end - time.time()))
            try:
                chunk = s.recv(4096)
            except socket.timeout:
                break
            except ConnectionResetError:
                return port  # ended by the node all the same
            if not chunk:
                return port
            got += chunk
        raise Failure("client port %d: the node did not close within 5 s of \"bye\", got %r"
                      % (port, got[-200:]))


def summary(tcp_port):
    queue, peers = node_table(tcp_port)
    counts = {}
    for state in peers.values():
        counts[state] = counts.get(state, 0) + 1
    return "node port %d: %d in the accept queue not taken by the node; connections %r" % (
        tcp_port, queue, counts)


def next_page(sim):
    """Returns as the simulator announces its next page: the program takes
    the new spot a few milliseconds later, inside a burst started now."""
    start = len(sim.events)
    end = time.time() + 10
    while not any(e.startswith("notify") for e in sim.events[start:]):
        if time.time() > end:
            raise Failure("the simulator announced no new page in 10 s")
        time.sleep(0.002)


def burst(number, tcp_port, monitor, sim):
    next_page(sim)
    spots = monitor.spots()
    start = time.time()
    clients = {}
    for i in range(CONNECTIONS):
        try:
            clients[connection(tcp_port, i % 3)] = "connection %d (%s)" % (i, KINDS[i % 3])
        except Failure as e:
            raise Failure("burst %d, connection %d (%s): %s; %s" % (
                number, i, KINDS[i % 3], e, summary(tcp_port)))
    took = time.time() - start
    arrived = monitor.spots() - spots

    # A new client after the burst.
    try:
        probe = socket.create_connection(("127.0.0.1", tcp_port), timeout=2)
    except OSError as e:
        raise Failure("burst %d: a new client could not connect after the burst (%s); %s" % (
            number, e, summary(tcp_port)))
    got = read_until(probe, b"login: ", 2)
    clients[probe.getsockname()[1]] = "the new client after the burst"
    probe.close()
    if b"login: " not in got:
        raise Failure("burst %d: a new client got no \"login: \" within 2 s after the burst, "
                      "got %r; %s" % (number, got, summary(tcp_port)))

    # Every one was closed by its client or by the node: none may stay open on
    # the node's side (a short settle for the last closes).
    end = time.time() + 5
    while True:
        peers = node_table(tcp_port)[1]
        held = sorted((clients[p], p, state) for p, state in peers.items()
                      if p in clients and state in ("ESTABLISHED", "CLOSE_WAIT"))
        if not held or time.time() > end:
            break
        time.sleep(0.2)
    if held:
        raise Failure("burst %d: 5 s later the node still holds %d closed connection(s): %s; "
                      "%s" % (number, len(held), "; ".join(
                          "%s, client port %d, %s" % h for h in held[:10]), summary(tcp_port)))
    print("ok: burst %d: %d connections in %.2f s with %d spot(s) arriving; a new client got "
          "the prompt and the node holds no closed connection" % (number, CONNECTIONS, took,
                                                                 arrived), flush=True)
    return arrived


def run(session, args):
    work = tempfile.mkdtemp(prefix="vareli-burst-")
    tcp_port = free_tcp_port()
    # As a user has it for a logging program: DX lines on the serial port,
    # the day's spot file and the node, all on.
    with open(os.path.join(work, "vareli.ini"), "wb") as f:
        f.write(b"[COMPort]Com%d\r\n[AlaMHZ]1800\r\n[YlaMHZ]432000\r\n[Com]1\r\n[SarjaDX]1\r\n"
                b"[Loki]1\r\n[Klusteri]1\r\n[KlusteriPortti]%d\r\n" % (COM, tcp_port))
    PortReader(session.com_port(COM))
    sim = Simulator(session, args.simulator, ["--demo", "--interval", str(args.interval)])
    sim.wait_for("ready")
    vareli = session.start([args.vareli], cwd=work)
    try:
        if session.winctl_out("wait", TITLE, "30000")[0] != 0:
            raise Failure("the Vareli window did not appear")
        end = time.time() + 30
        monitor = None
        while monitor is None:
            try:
                monitor = Monitor(tcp_port)
            except OSError:
                if time.time() > end:
                    raise Failure("the node never accepted on port %d" % tcp_port)
                time.sleep(0.5)
        end = time.time() + 30
        while monitor.spots() == 0:
            if time.time() > end:
                raise Failure("no DX line reached the logged-in client in 30 s, got %r" %
                              monitor.data[-300:])
            time.sleep(0.2)
        print("ok: the node is up on port %d and sends spots" % tcp_port, flush=True)
        arrived = sum(burst(n, tcp_port, monitor, sim) for n in range(1, args.bursts + 1))
        # Without spots during the bursts this would not test what it means to.
        if arrived == 0:
            raise Failure("no spot reached the logged-in client during any burst")
    finally:
        session.winctl_out("close", TITLE, "15000")
        try:
            vareli.wait(15)
        except Exception:
            pass
        sim.send("quit")
        try:
            sim.p.wait(15)
        except Exception:
            pass
        shutil.rmtree(work, ignore_errors=True)


def main():
    def arguments(ap):
        ap.add_argument("--bursts", type=int, default=3)
        ap.add_argument("--interval", type=int, default=2000, help="ms between demo spots")
    return run_wine_test("node burst", run, arguments)


if __name__ == "__main__":
    sys.exit(main())
