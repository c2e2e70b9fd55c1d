"""Yardsticks for the program's memory, measured in the same wine prefix
right after the program's run:
- the bare DDE client (win32/dde_client_probe.cpp) takes notices at the same
  rate with one request each; its growth per notice is what wine's DDE
  library keeps on its own;
- the bare rich-text view (win32/rich_edit_probe.cpp) appends spot-sized
  lines the way the spot view does; its growth per line is what such a view
  holds under wine.
Each returns a list of (count, RSS KiB) samples. They run one after the
other and after the program has ended: two DDE clients on the same item at
once make wine's DDEML refuse requests (an item atom goes missing), which
would spoil the program's own run."""

import subprocess
import time

from process_memory import rss_kib

ITEM = "10,10,,,B(0/5/39/23)"


def dde_client(session, probe, sim, plan, rate, seconds, kinds, pick, sample_every=5.0):
    """Runs the bare DDE client for `seconds` while announcing changes at
    `rate`; returns ([(notices, RSS KiB)], the client's own count line)."""
    p = session.start([probe, "VTplus", "590", ITEM, str(int(seconds) + 3)],
                      stdout=subprocess.PIPE)
    if p.stdout.readline().strip() != b"linked":
        p.wait(10)
        return None, "the bare DDE client could not link"
    samples = []
    begin = time.time()
    notices = 0
    next_sample = 0.0
    while time.time() - begin < seconds:
        t = time.time() - begin
        kind = pick(plan.random, kinds)
        if kind == "again":
            plan.again(t)
        elif kind is not None:
            plan.scroll_in(plan.make(kind, t), kind, t)
        sim.send(*((plan.row_commands() if kind else []) + ["notify"]))
        notices += 1
        if t >= next_sample:
            samples.append((notices, rss_kib(p.pid)))
            next_sample += sample_every
        delay = begin + notices / rate - time.time()
        if delay > 0:
            time.sleep(delay)
    out = p.communicate(timeout=30)[0].decode("latin-1").strip()
    return [s for s in samples if s[1] is not None], out


def rich_edit(session, probe, lines, step=50):
    """Appends `lines` lines in the bare view; returns [(lines, RSS KiB)]."""
    p = session.start([probe, str(lines), str(step)], stdin=subprocess.PIPE,
                      stdout=subprocess.PIPE)
    samples = []
    while True:
        line = p.stdout.readline().decode("latin-1").strip()
        if not line.startswith("lines "):
            break
        samples.append((int(line.split()[1]), rss_kib(p.pid)))
        p.stdin.write(b"\n")
        p.stdin.flush()
    p.wait(30)
    return [s for s in samples if s[1] is not None]


def slope(samples, skip=1):
    """Least-squares slope of RSS (KiB) over count, leaving out the first
    `skip` samples (the first allocations of a fresh process); None when too
    few remain."""
    pts = samples[skip:]
    if len(pts) < 3:
        return None
    n = float(len(pts))
    mx = sum(x for x, _ in pts) / n
    my = sum(y for _, y in pts) / n
    sxx = sum((x - mx) ** 2 for x, _ in pts)
    if sxx == 0:
        return None
    return sum((x - mx) * (y - my) for x, y in pts) / sxx
