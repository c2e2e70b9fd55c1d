#!/usr/bin/env python3
"""Runs Vareli.exe under wine on its embedded default: the decoder simulator
copied beside it as VTPlus.exe (so Vareli's own start command launches it), a
vareli.ini with a wide band, forwarding on COM1 as DX-cluster lines, the
daily spot file and the DX-cluster node (telnet, 127.0.0.1:7300) on and each
spot's country shown (the country file copied beside it), when the folder has none, a telnet client logged in to the node,
and COM1 mapped to a pty whose lines are printed here as they arrive. Without a
display it runs under Xvfb and refreshes a screenshot every few seconds.
Ends after the given seconds, on Ctrl-C, or when the window is closed, and
leaves nothing running."""

import argparse
import os
import shutil
import signal
import socket
import subprocess
import sys
import time

from wine_session import PortReader, WineSession


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--seconds", type=float, default=0)
    args = ap.parse_args()
    build = os.path.abspath(args.build)
    had_display = bool(os.environ.get("DISPLAY"))
    session = WineSession(build, os.path.join(build, "tools", "winctl.exe"))
    stop = []
    signal.signal(signal.SIGINT, lambda *_: stop.append(1))
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    try:
        run(session, build, args.seconds, had_display, stop)
    finally:
        session.winctl_out("close", "Vareli", "5000")
        session.close()
        # Nothing of ours may outlive the run: the simulator Vareli started, the
        # wine server and its services.
        subprocess.run(["wineserver", "-k"], env=session.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        print("run: everything it started has ended")


def run(session, build, seconds, had_display, stop):
    folder = os.path.join(build, "run")
    os.makedirs(folder, exist_ok=True)
    shutil.copy(os.path.join(build, "vareli", "Vareli.exe"), folder)
    shutil.copy(os.path.join(build, "simulator", "VTSim.exe"), os.path.join(folder, "VTPlus.exe"))
    # The country file beside the program, as the release has it.
    shutil.copy("/usr/share/hamradio-files/cty.csv", folder)
    ini = os.path.join(folder, "vareli.ini")
    if not os.path.exists(ini):
        with open(ini, "wb") as f:
            f.write(b"[COMPort]Com1\r\n[AlaMHZ]1800\r\n[YlaMHZ]432000\r\n[Com]1\r\n"
                    b"[SarjaDX]1\r\n[Loki]1\r\n[Klusteri]1\r\n[Uudelleen]1\r\n[NaytaMaa]1\r\n")
        print("run: wrote %s (band 1800-432000 kHz, forwarding on to COM1 as DX-cluster "
              "lines, daily spot file on, cluster node on 127.0.0.1:7300, link to the decoder "
              "opened again when it comes back, each spot's country shown)" % ini)
    port = PortReader(session.com_port(1))
    print("run: COM1 is a pty; forwarded spot lines appear below")
    shot = None
    if not had_display:
        shot = os.path.join(build, "run-screenshot.png")
        print("run: no display, so Vareli runs under Xvfb; screenshot refreshed every 3 s: " + shot)
    vareli = session.start([os.path.join(folder, "Vareli.exe")], cwd=folder)
    print("run: Vareli started in %s; it starts the simulator as VTPlus itself" % folder)
    end = time.time() + seconds if seconds > 0 else None
    next_shot = 0.0
    pending = b""
    telnet = None
    telnet_pending = b""
    next_connect = time.time() + 1
    while not stop and vareli.poll() is None and (end is None or time.time() < end):
        pending += port.take()
        while b"\r\n" in pending:
            line, pending = pending.split(b"\r\n", 1)
            print("COM1: " + line.decode("latin-1"), flush=True)
        if telnet is None and time.time() >= next_connect:
            telnet = telnet_login()
            next_connect = time.time() + 2
        if telnet is not None:
            telnet_pending += telnet_take(telnet)
            while b"\r\n" in telnet_pending:
                line, telnet_pending = telnet_pending.split(b"\r\n", 1)
                if line.startswith(b"DX de "):
                    print("telnet: " + line.decode("latin-1"), flush=True)
        if shot and time.time() >= next_shot:
            session.screenshot(shot)
            next_shot = time.time() + 3
        time.sleep(0.1)


def telnet_login():
    """A client of Vareli's cluster node on 127.0.0.1:7300, logged in as
    DEMO; None while the node does not answer yet."""
    try:
        client = socket.create_connection(("127.0.0.1", 7300), timeout=1)
        client.sendall(b"DEMO\r\n")  # taken even before the prompt
        client.setblocking(False)
    except OSError:
        return None
    print("run: a telnet client is logged in to 127.0.0.1:7300; its DX lines appear below")
    return client


def telnet_take(client):
    try:
        return client.recv(65536)
    except (BlockingIOError, OSError):
        return b""


if __name__ == "__main__":
    sys.exit(main())
