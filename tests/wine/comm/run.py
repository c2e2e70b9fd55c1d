#!/usr/bin/env python3
"""Runs the serial component's wine test against two ptys.

COM7 and COM8 of the wine prefix are made symbolic links to the slave sides
of two new ptys, and COM12 a second link to COM7's (a port numbered above 9,
which the system opens only in the device namespace). The test program
writes to them through the component; this driver reads the master side of
COM7 all along and checks, when the program has ended, that it received
exactly the bytes the program announced (through COM7 or COM12), in order.
COM8 is not read while the program runs (its writes cannot finish); what
reached it must be a leading part of the pattern the program wrote.

The program talks to the driver on its standard output, one line each:
  @@EXPECT <hex>   these bytes were written to COM7, in this order
  @@SEND <hex>     write these bytes into COM7 from the other end now
  @@SLOW <n>       the pattern of n bytes written to COM8
Everything else is passed through.

Usage: run.py PROGRAM.exe [gtest arguments...]
"""
import os
import pty
import select
import subprocess
import sys
import threading
import tty

HERE = os.path.dirname(os.path.abspath(__file__))
WINE_RUN = os.path.join(HERE, '..', '..', '..', 'scripts', 'wine-run.sh')
PREFIX_SH = os.path.join(HERE, '..', '..', '..', 'scripts', 'wineprefix.sh')
PORTS = ('com7', 'com8')
SAME_AS_COM7 = 'com12'


def build_prefix(exe):
    if os.environ.get('VARELI_WINEPREFIX'):
        return os.environ['VARELI_WINEPREFIX']
    folder = os.path.dirname(os.path.abspath(exe))
    while folder != '/' and not os.path.exists(os.path.join(folder, 'CMakeCache.txt')):
        folder = os.path.dirname(folder)
    if folder == '/':
        sys.exit('run.py: %s is not inside a build folder' % exe)
    return os.path.join(folder, 'wineprefix')


def slow_pattern(n):
    return bytes((i * 7 + 3) % 256 for i in range(n))


class Reader(threading.Thread):
    """Collects everything that arrives on a pty master until stopped."""

    def __init__(self, fd):
        super().__init__(daemon=True)
        self.fd = fd
        self.data = bytearray()
        self.stopping = False

    def run(self):
        while not self.stopping:
            ready, _, _ = select.select([self.fd], [], [], 0.05)
            if ready:
                try:
                    self.data += os.read(self.fd, 65536)
                except OSError:
                    return


def drain(fd):
    data = bytearray()
    while select.select([fd], [], [], 0.2)[0]:
        try:
            chunk = os.read(fd, 65536)
        except OSError:
            break
        if not chunk:
            break
        data += chunk
    return bytes(data)


def main():
    exe = sys.argv[1]
    prefix = build_prefix(exe)
    subprocess.run([PREFIX_SH, prefix], check=True)
    ptys = []
    links = []
    try:
        for name in PORTS:
            master, slave = pty.openpty()
            tty.setraw(slave)  # no line discipline: bytes pass unchanged
            ptys.append((master, slave))
            link = os.path.join(prefix, 'dosdevices', name)
            if os.path.lexists(link):
                os.unlink(link)
            os.symlink(os.ttyname(slave), link)
            links.append(link)
        link = os.path.join(prefix, 'dosdevices', SAME_AS_COM7)
        if os.path.lexists(link):
            os.unlink(link)
        os.symlink(os.ttyname(ptys[0][1]), link)
        links.append(link)
        reader = Reader(ptys[0][0])
        reader.start()

        env = dict(os.environ, VARELI_WINEPREFIX=prefix, VARELI_COM_PORT='COM7',
                   VARELI_SLOW_PORT='COM8', VARELI_HIGH_PORT='Com12')
        proc = subprocess.Popen([WINE_RUN, exe] + sys.argv[2:], stdout=subprocess.PIPE,
                                stdin=subprocess.DEVNULL, env=env)
        expected = bytearray()
        slow = 0
        summary = False  # googletest's "[  PASSED  ]": a program cut off by
        # the loss of wine's server ends with code 0 without it
        for raw in proc.stdout:
            line = raw.decode('latin-1').rstrip('\r\n')
            if line.startswith('@@EXPECT '):
                expected += bytes.fromhex(line.split(' ', 1)[1])
            elif line.startswith('@@SEND '):
                os.write(ptys[0][0], bytes.fromhex(line.split(' ', 1)[1]))
            elif line.startswith('@@SLOW '):
                slow = int(line.split(' ', 1)[1])
            else:
                summary = summary or line.startswith('[  PASSED  ]')
                print(line, flush=True)
        rc = proc.wait()

        # Let the last bytes arrive, then stop reading.
        received = len(reader.data)
        while True:
            threading.Event().wait(0.3)
            if len(reader.data) == received:
                break
            received = len(reader.data)
        reader.stopping = True
        reader.join()
        got = bytes(reader.data)

        failed = rc != 0 or not summary
        if not summary:
            print('run.py: the program ended without its test summary')
        if got != bytes(expected):
            failed = True
            at = next((i for i, (a, b) in enumerate(zip(got, expected)) if a != b),
                      min(len(got), len(expected)))
            with open(exe + '.com7-received', 'wb') as f:
                f.write(got)
            with open(exe + '.com7-expected', 'wb') as f:
                f.write(bytes(expected))
            print('run.py: COM7 received %d bytes, expected %d; first difference at %d:'
                  '\n  got      %r\n  expected %r' % (len(got), len(expected), at,
                                                      got[at:at + 48], bytes(expected[at:at + 48])))
        else:
            print('run.py: COM7 received exactly the %d bytes written' % len(got))
        slow_got = drain(ptys[1][0])
        if slow and (not slow_got or slow_got != slow_pattern(slow)[:len(slow_got)]):
            failed = True
            print('run.py: COM8 received %d bytes, not a leading part of the %d-byte pattern'
                  % (len(slow_got), slow))
        elif slow:
            print('run.py: COM8 received %d of the %d bytes of the timed-out write, in order'
                  % (len(slow_got), slow))
        return 1 if failed else 0
    finally:
        for link in links:
            if os.path.lexists(link):
                os.unlink(link)
        for master, slave in ptys:
            os.close(master)
            os.close(slave)


if __name__ == '__main__':
    sys.exit(main())
