#!/usr/bin/env python3
"""The decoder coming back: the unmodified Vareli.exe with forwarding (DX
lines on a pty COM port) and the cluster node on, a client logged in.

With "[Uudelleen]1" the simulator's process is killed (wine tells no partner
of that): "DDE link" must hide within 15 s. After a link check has found no
decoder, a new simulator serves a page of new rows among old ones: within
15 s of its service being up "DDE link" shows and the new rows are in the
view, on the port and at the client, each once and no old row again, and they
stay so past the next link check.

Without it the simulator is killed the same way and a new one starts: for
15 s no conversation comes to it, no row comes anywhere, and "DDE link" stays
(nothing but the option's check notices a killed decoder under wine).

With the option on it is done twice: the first simulator killed, and ended
by its "quit" command (it leaves DDEML, then exits), after which wine keeps
the ended conversation and Vareli needs a new DDE instance to link again.
--end kill or --end quit runs one of the two. After the kill the returning
decoder refuses its first warm link, as one still starting would: "DDE link"
must not show over the open conversation until a later check has started the
warm link, and the new rows must arrive all the same. From before the
decoder's end until it is linked again, a second node client sends empty
lines without pause: the node's notices for it keep the message queue full,
and the link checks must still come."""

import os
import shutil
import signal
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                                "scripts"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine_session import Failure, PortReader, Simulator, run_wine_test  # noqa: E402
from node_burst import Flooder, Monitor  # noqa: E402
from run_e2e import dx_line, free_tcp_port, spot_row, view_lines  # noqa: E402

TITLE = "Vareli"
COM = 18  # one no other wine test maps
BOUND = 15  # seconds: the link is checked every 10 s
LINK_CHECK = 10

OLD = [(7025, "Q1OLD", "cq", "Q9ZZZ", "1200"), (14025, "Q2OLD", "up 2", "Q8YYY", "1201"),
       (10105, "Q3OLD", "cw", "Q7XXX", "1202"), (21025, "Q4OLD", "tnx", "Q6WWW", "1203")]
NEW = [(3525, "Q5NEW", "599", "Q5VVV", "1210"), (18075, "Q6NEW", "rtty", "Q4UUU", "1211"),
       (28495, "Q7NEW", "loud", "Q3TTT", "1212")]
# Two old rows, in other places than before, among the new ones.
COMEBACK = [OLD[1], NEW[0], OLD[3], NEW[1], NEW[2]]


def wait_until(what, predicate, seconds, last=lambda: None):
    """The predicate's first true value; Failure when none comes in time."""
    end = time.time() + seconds
    while True:
        value = predicate()
        if value:
            return value
        if time.time() > end:
            raise Failure("%s (last seen: %r)" % (what, last()))
        time.sleep(0.2)


def link_label(session):
    """Whether "DDE link" is visible; None when the window's labels could not
    be listed (winctl may come back empty on a loaded machine)."""
    for cls, visible, _, text in session.children(TITLE):
        if cls == "Static" and text == "DDE link":
            return visible
    return None


def rows_shown(session):
    lines = view_lines(session)
    return None if lines is None else [line[:42] for line in lines]


def settled(read, session):
    """A reading that is not None: winctl is asked again for a few seconds."""
    end = time.time() + 5
    value = read(session)
    while value is None and time.time() < end:
        time.sleep(0.2)
        value = read(session)
    return value


def script(work, name, page, first=()):
    """A simulator script setting the page (after the commands in first): run
    before the first DDE message is answered, so no one sees the page half
    set."""
    path = os.path.join(work, name)
    with open(path, "w") as f:
        for line in first:
            f.write(line + "\n")
        for i, spot in enumerate(page):
            f.write("spot %d %s %s %s %s %s\n" % ((i,) + spot))
    return "Z:" + path.replace("/", "\\")


def conversations(sim):
    """How many conversations the simulator accepted."""
    return sim.count("connect ")


def start_simulator(session, args, work, name, page, first=()):
    sim = Simulator(session, args.simulator, ["--script", script(work, name, page, first)])
    sim.wait_for("ready")
    return sim


def write_ini(work, tcp_port, relink):
    with open(os.path.join(work, "vareli.ini"), "wb") as f:
        f.write(b"[COMPort]Com%d\r\n[AlaMHZ]1800\r\n[YlaMHZ]432000\r\n[Com]1\r\n[SarjaDX]1\r\n"
                b"[Klusteri]1\r\n[KlusteriPortti]%d\r\n%s" % (
                    COM, tcp_port, b"[Uudelleen]1\r\n" if relink else b""))


def start_vareli(session, args, work, port):
    """Vareli against a simulator serving OLD; returns once the old rows are
    shown and forwarded, with the port's bytes taken."""
    vareli = session.start([args.vareli], cwd=work)
    if session.winctl_out("wait", TITLE, "30000")[0] != 0:
        raise Failure("the Vareli window did not appear")
    old = [spot_row(*s) for s in OLD]
    wait_until("the old rows are shown", lambda: rows_shown(session) == old, 30,
               lambda: rows_shown(session))
    want = b"".join(dx_line(*s).encode("latin-1") for s in OLD)
    got = [b""]

    def forwarded():
        got[0] += port.take()
        return len(got[0]) >= len(want)
    wait_until("the old rows reach the port", forwarded, 10, lambda: got[0])
    time.sleep(0.5)
    got[0] += port.take()
    if got[0] != want:
        raise Failure("the port got %r for the old rows, not %r" % (got[0], want))
    wait_until("\"DDE link\" shows", lambda: link_label(session) is True, 10,
               lambda: link_label(session))
    return vareli


def close_vareli(session, vareli):
    session.winctl_out("close", TITLE, "15000")
    try:
        vareli.wait(15)
    except Exception:
        pass


def quit_simulator(sim):
    if sim.p.poll() is None:
        sim.send("quit")
        try:
            sim.p.wait(15)
        except Exception:
            pass


def end_simulator(sim, how):
    if how == "kill":
        # As a crash would end it: no goodbye reaches the program.
        os.kill(sim.p.pid, signal.SIGKILL)
    else:
        sim.send("quit")
    sim.p.wait(15)


def relink_on(session, args, port, how):
    work = tempfile.mkdtemp(prefix="vareli-relink-")
    tcp_port = free_tcp_port()
    write_ini(work, tcp_port, True)
    sims = [start_simulator(session, args, work, "old.txt", OLD)]
    vareli = start_vareli(session, args, work, port)
    flood = None
    try:
        client = wait_until("the node accepts a client", lambda: _client(tcp_port), 15)
        print("ok: with the option on, the old rows are shown and forwarded, a client is "
              "logged in", flush=True)

        flood = Flooder(tcp_port)
        end_simulator(sims[0], how)
        ended = time.time()
        wait_until("\"DDE link\" hides within %d s of the decoder's end (%s)" % (BOUND, how),
                   lambda: link_label(session) is False, BOUND, lambda: link_label(session))
        print("ok: \"DDE link\" hid %.1f s after the decoder's end (%s)"
              % (time.time() - ended, how), flush=True)

        # Down past a link check, as a decoder restarted by hand would be: the
        # try at that check finds no decoder.
        time.sleep(LINK_CHECK + 1)
        refuse = how == "kill"
        sims.append(start_simulator(session, args, work, "comeback.txt", COMEBACK,
                                    ["refuse-advise on"] if refuse else []))
        sim = sims[1]
        up = time.time()
        bound = BOUND
        if refuse:
            wait_until("the returned decoder is joined and refuses its warm link",
                       lambda: sim.count("advstart-refused"), BOUND, lambda: sim.events)
            sim.send("refuse-advise off")
            time.sleep(1)
            if settled(link_label, session) is not False or rows_shown(session) != [
                    spot_row(*s) for s in OLD]:
                raise Failure("with its warm link refused, \"DDE link\" showed or rows came: "
                              "%r" % ((link_label(session), rows_shown(session)),))
            print("ok: the warm link refused, \"DDE link\" stays hidden", flush=True)
            bound += LINK_CHECK  # the next check starts the warm link
        wait_until("\"DDE link\" shows within %d s of the decoder's return" % bound,
                   lambda: link_label(session) is True, max(1, up + bound - time.time()),
                   lambda: (link_label(session), sim.events))
        print("ok: \"DDE link\" showed %.1f s after the new decoder was up" % (time.time() - up),
              flush=True)
        flood.running = False
        if flood.untold:
            raise Failure("the flooding client was cut off %d time(s) without being told why"
                          % flood.untold)
        print("ok: all the while a node client sent empty lines without pause (closed as a "
              "flooder and back %d times, told why each time)" % flood.closed, flush=True)
        want_rows = [spot_row(*s) for s in OLD + NEW]
        wait_until("the new rows are shown within %d s of the decoder's return" % bound,
                   lambda: len(rows_shown(session) or []) >= len(want_rows),
                   max(1, up + bound - time.time()), lambda: rows_shown(session))
        want = b"".join(dx_line(*s).encode("latin-1") for s in NEW)
        forwarded = [b""]

        def arrived():
            forwarded[0] += port.take()
            return len(forwarded[0]) >= len(want) and len(client.since_login()) >= len(want)
        # They may trail the view on a loaded machine.
        wait_until("the new rows reach the port and the client", arrived, 10,
                   lambda: (forwarded[0], client.since_login()))

        # Past the next link check: a live decoder taken for gone would be
        # let go there (and its rows fetched again once back).
        time.sleep(LINK_CHECK + 1)
        forwarded[0] += port.take()
        shown = settled(rows_shown, session)
        if shown != want_rows:
            raise Failure("the view holds %r, not the old rows and then each new one once: %r"
                          % (shown, want_rows))
        if forwarded[0] != want:
            raise Failure("the port got %r, not each new row once: %r" % (forwarded[0], want))
        if client.since_login() != want:
            raise Failure("the node client got %r, not each new row once: %r"
                          % (client.since_login(), want))
        print("ok: the new rows are in the view, on the port and at the node client, each "
              "once, and no old row again", flush=True)
        label = settled(link_label, session)
        if label is not True or sim.count("disconnect") != 0:
            raise Failure("the returned decoder's conversation did not stay open past the next "
                          "link check (\"DDE link\" visible: %r; simulator: %r)"
                          % (label, sim.events))
        if conversations(sim) != 1:
            raise Failure("the returned decoder was joined more than once: %r" % sim.events)
        print("ok: the conversation stays open past the next link check", flush=True)
    finally:
        if flood:
            flood.running = False
        close_vareli(session, vareli)
        for sim in sims:
            quit_simulator(sim)
        shutil.rmtree(work, ignore_errors=True)


def _client(tcp_port):
    try:
        return Monitor(tcp_port)
    except OSError:
        return None


def relink_off(session, args, port):
    work = tempfile.mkdtemp(prefix="vareli-norelink-")
    write_ini(work, free_tcp_port(), False)
    sims = [start_simulator(session, args, work, "old.txt", OLD)]
    vareli = start_vareli(session, args, work, port)
    try:
        end_simulator(sims[0], "kill")
        sims.append(start_simulator(session, args, work, "comeback.txt", COMEBACK))
        time.sleep(BOUND)
        shown = settled(rows_shown, session)
        forwarded = port.take()
        if conversations(sims[1]) or sims[1].count("wildconnect"):
            raise Failure("with the option off the program joined the returned decoder: %r"
                          % sims[1].events)
        if shown != [spot_row(*s) for s in OLD] or forwarded:
            raise Failure("with the option off rows came after the decoder's return: view %r, "
                          "port %r" % (shown, forwarded))
        # Only the option's check looks for a decoder gone without a word.
        label = settled(link_label, session)
        if label is not True:
            raise Failure("with the option off \"DDE link\" did not stay: %r" % label)
        print("ok: with the option off, %d s after the decoder's return: no conversation, no "
              "new row, \"DDE link\" still shown" % BOUND, flush=True)
    finally:
        close_vareli(session, vareli)
        for sim in sims:
            quit_simulator(sim)
        shutil.rmtree(work, ignore_errors=True)


def main():
    def run(session, args):
        port = PortReader(session.com_port(COM))
        for how in (("kill", "quit") if args.end == "both" else (args.end,)):
            relink_on(session, args, port, how)
        relink_off(session, args, port)

    def arguments(ap):
        ap.add_argument("--end", choices=("kill", "quit", "both"), default="both",
                        help="how the first decoder ends with the option on")
    return run_wine_test("decoder relink", run, arguments)


if __name__ == "__main__":
    sys.exit(main())
