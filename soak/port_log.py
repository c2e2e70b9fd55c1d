"""Reads a pty's master side without pause, in a thread of its own, and keeps
every complete line with the time it arrived. Draining at once matters: the
serial component's watcher purges the port when it ends, and bytes still
waiting in the pty when that happens would be lost to the reader."""

import os
import select
import threading
import time


class PortLog:
    def __init__(self, fd, start):
        self.fd = fd
        self.start = start
        self.lines = []        # (seconds since start, bytes without CR LF)
        self.odd = []          # (seconds, bytes) that ended without CR LF
        self.total = 0
        self._partial = b""
        self._lock = threading.Lock()
        self._stop = False
        self._thread = threading.Thread(target=self._read, daemon=True)
        self._thread.start()

    def _read(self):
        while not self._stop:
            ready, _, _ = select.select([self.fd], [], [], 0.1)
            if not ready:
                continue
            try:
                chunk = os.read(self.fd, 65536)
            except OSError:
                return
            if not chunk:
                return
            now = time.time() - self.start
            with self._lock:
                self.total += len(chunk)
                data = self._partial + chunk
                parts = data.split(b"\r\n")
                self._partial = parts.pop()
                for part in parts:
                    self.lines.append((now, part))

    def count(self):
        with self._lock:
            return len(self.lines)

    def snapshot(self):
        with self._lock:
            return list(self.lines), self._partial

    def stop(self):
        self._stop = True
        self._thread.join(2)
