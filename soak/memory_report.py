"""How the program's resident memory moved during the soak, against what its
spot view must hold. Samples are dicts: t (seconds), phase, notices sent,
lines appended, rss (KiB), threads, fds. The first WARMUP seconds are left
out: the first windows drawn, the first port opened and the first blocks
fetched fill caches and heaps once.

The program's growth is fitted as RSS = a + b*lines + c*notices (least
squares; the quiet stretch, with notices and no lines, keeps the two slopes
apart) and held against two yardsticks measured right after it in the same
prefix (baselines): a bare rich-text view appending the same kind of lines
(what such a view holds per line under wine) and a bare DDE client taking
the same notices (what wine's DDE library keeps per request on its own).
- per line: b may exceed the bare view's slope by LINE_MARGIN_KIB, room for
  the duplicate index's entry and the line's copy on its way in;
- per notice: c may exceed the bare client's slope by a quarter, or
  NOTICE_MARGIN_BYTES when that is more (RSS moves in 4 KiB pages);
- threads: the serial component's watcher lives only while a row is being
  forwarded, so the thread count may not creep up with the lines."""

from baselines import slope

WARMUP = 20.0
LINE_MARGIN_KIB = 1.0
NOTICE_MARGIN_BYTES = 128.0
THREAD_SLACK = 2
VIEW_MAX_LINES = 20000  # the spot view drops its oldest lines beyond this


def solve(m, v):
    """Solves the square system m x = v (Gauss-Jordan with pivoting); None if
    it is singular."""
    n = len(v)
    a = [list(row) + [x] for row, x in zip(m, v)]
    for col in range(n):
        pivot = max(range(col, n), key=lambda r: abs(a[r][col]))
        if abs(a[pivot][col]) < 1e-9:
            return None
        a[col], a[pivot] = a[pivot], a[col]
        for r in range(n):
            if r != col:
                f = a[r][col] / a[col][col]
                a[r] = [x - f * y for x, y in zip(a[r], a[col])]
    return [a[i][n] / a[i][i] for i in range(n)]


def least_squares(xs, ys):
    """beta of y = x . beta, each x starting with 1.0 for the intercept."""
    k = len(xs[0])
    m = [[sum(x[i] * x[j] for x in xs) for j in range(k)] for i in range(k)]
    v = [sum(x[i] * y for x, y in zip(xs, ys)) for i in range(k)]
    return solve(m, v)


def figure(value, unit, scale=1.0, digits=2):
    return "-" if value is None else "%.*f %s" % (digits, value * scale, unit)


class MemoryReport:
    def __init__(self, samples, dde_baseline, view_baseline):
        self.samples = [s for s in samples if s.get("rss") is not None]
        self.dde_baseline = dde_baseline or []
        self.view_baseline = view_baseline or []

    def table(self, soak):
        s = self.samples
        soak.say("memory of Vareli.exe (VmRSS), its threads and open files:")
        soak.say("  %8s %10s %7s %8s %8s %5s  %s" % ("seconds", "RSS KiB", "lines", "notices",
                                                    "threads", "fds", "phase"))
        step = max(1, len(s) // 30)
        for x in s[::step] + ([s[-1]] if (len(s) - 1) % step else []):
            soak.say("  %8.1f %10d %7d %8d %8s %5s  %s" % (
                x["t"], x["rss"], x["lines"], x["notices"], x["threads"], x["fds"], x["phase"]))

    def check(self, soak):
        s = self.samples
        if len(s) < 4:
            soak.fail("too few memory samples (%d) to judge the growth" % len(s))
            return
        self.table(soak)
        t0 = s[0]["t"]
        kept = [x for x in s if x["t"] - t0 >= WARMUP]
        quiet = [x for x in kept if x["phase"] in ("quiet", "end")]
        if len(kept) < 6 or len(quiet) < 2:
            soak.fail("the run is too short to judge the memory (%d samples after warm-up)"
                      % len(kept))
            return
        active = [x for x in kept if x["phase"] == "active"]
        if len(active) >= 2:
            a0, a1 = active[0], active[-1]
            soak.say("  new spots: %+d KiB over %d lines and %d notices (%.0f-%.0f s)" % (
                a1["rss"] - a0["rss"], a1["lines"] - a0["lines"], a1["notices"] - a0["notices"],
                a0["t"], a1["t"]))
        q0, q1 = quiet[0], quiet[-1]
        soak.say("  quiet:     %+d KiB over %d lines and %d notices (%.0f-%.0f s)" % (
            q1["rss"] - q0["rss"], q1["lines"] - q0["lines"], q1["notices"] - q0["notices"],
            q0["t"], q1["t"]))

        per_line = per_notice = None
        if len({x["lines"] for x in kept}) > 2:
            coef = least_squares([(1.0, x["lines"], x["notices"]) for x in kept],
                                 [x["rss"] for x in kept])
            if coef is not None:
                per_line, per_notice = coef[1], coef[2]
        else:
            coef = least_squares([(1.0, x["notices"]) for x in kept], [x["rss"] for x in kept])
            if coef is not None:
                per_notice = coef[1]
        bare_line = slope(self.view_baseline)
        bare_notice = slope(self.dde_baseline)
        soak.say("  per spot line: Vareli %s, the bare view %s" % (
            figure(per_line, "KiB"), figure(bare_line, "KiB")))
        soak.say("  per notice:    Vareli %s, the bare DDE client %s" % (
            figure(per_notice, "bytes", 1024, 0), figure(bare_notice, "bytes", 1024, 0)))
        if bare_line is not None:
            soak.say("  (a full view of %d lines would hold some %.0f MiB under wine)"
                     % (VIEW_MAX_LINES, bare_line * VIEW_MAX_LINES / 1024))
        soak.notes.append(
            "memory: RSS %d -> %d KiB over %d lines and %d notices; per line %s (bare view %s), "
            "per notice %s (bare DDE client %s)" % (
                s[0]["rss"], s[-1]["rss"], s[-1]["lines"], s[-1]["notices"],
                figure(per_line, "KiB"), figure(bare_line, "KiB"),
                figure(per_notice, "bytes", 1024, 0), figure(bare_notice, "bytes", 1024, 0)))

        ok = True
        if bare_line is None or bare_notice is None:
            soak.fail("the yardsticks were not measured; the memory cannot be judged")
            ok = False
        else:
            if per_line is not None and per_line > bare_line + LINE_MARGIN_KIB:
                soak.fail("memory grows %.2f KiB per spot line; the bare view holds %.2f KiB"
                          % (per_line, bare_line))
                ok = False
            allowed = bare_notice * 1024 + max(NOTICE_MARGIN_BYTES, bare_notice * 1024 / 4)
            if per_notice is not None and per_notice * 1024 > allowed:
                soak.fail("memory grows %.0f bytes per notice; the bare DDE client %.0f"
                          % (per_notice * 1024, bare_notice * 1024))
                ok = False
        counts = [x["threads"] for x in kept if x["threads"] is not None]
        if counts and max(counts) > counts[0] + THREAD_SLACK:
            soak.fail("threads grew from %d to %d" % (counts[0], max(counts)))
            ok = False
        if ok:
            soak.say("ok: memory grew by what the spot view holds and what wine's DDE library "
                     "keeps per request, no more; threads %d to %d"
                     % (min(counts), max(counts)) if counts else "")
