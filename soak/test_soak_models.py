#!/usr/bin/env python3
"""Unit tests of the soak's own reasoning, which decides pass or fail: the
ledger of owed rows and the memory fit. Run: python3 soak/test_soak_models.py"""

import os
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from baselines import slope  # noqa: E402
from memory_report import MemoryReport, least_squares  # noqa: E402
from spot_plan import SpotPlan, spot_text  # noqa: E402


class SpotPlanTest(unittest.TestCase):
    def test_rows_keep_their_columns(self):
        text = spot_text("7025", "Q1AAA", "cq dx", "Q9ZZZ", "1305")
        self.assertEqual(len(text), 40)
        self.assertEqual(text[:6], "  7025")
        self.assertEqual(text[7:12], "Q1AAA")
        self.assertEqual(text[14:19], "cq dx")
        self.assertEqual(text[29:34], "Q9ZZZ")
        self.assertEqual(text[36:40], "1305")

    def test_only_new_rows_inside_the_band_are_owed_once_in_order(self):
        plan = SpotPlan(1800, 432000, seed=1)
        first = plan.scroll_in(plan.make("new", 0), "new", 0)
        oh = plan.scroll_in(plan.make("oh", 1), "oh", 1)
        outside = plan.scroll_in(plan.make("out-of-band", 2), "out-of-band", 2)
        unreadable = plan.scroll_in(plan.make("unreadable", 3), "unreadable", 3)
        again = plan.scroll_in(first.text, "again", 4)
        self.assertEqual([s.serial for s in plan.owed], [first.serial, oh.serial])
        self.assertFalse(outside.owed or unreadable.owed or again.owed)
        self.assertTrue(first.row.endswith("  ") and len(first.row) == 42)
        self.assertTrue("OH" in (oh.text[7:9], oh.text[29:31]))

    def test_band_edges_are_inside(self):
        plan = SpotPlan(1800, 432000, seed=2)
        low = plan.scroll_in(spot_text("1800", "Q1A", "x", "Q2B", "0000"), "new", 0)
        high = plan.scroll_in(spot_text("432000", "Q1A", "x", "Q2B", "0000"), "new", 0)
        below = plan.scroll_in(spot_text("1799", "Q1A", "x", "Q2B", "0000"), "new", 0)
        self.assertEqual((low.owed, high.owed, below.owed), (True, True, False))

    def test_the_page_scrolls_and_notes_when_a_row_leaves(self):
        plan = SpotPlan(1800, 432000, seed=3)
        served = [plan.scroll_in(plan.make("new", t), "new", t) for t in range(20)]
        self.assertEqual(plan.page[-1], served[-1].text)
        self.assertEqual(plan.page[0], served[1].text)
        self.assertEqual(served[0].gone, 19)
        self.assertIsNone(served[1].gone)
        commands = plan.row_commands()
        self.assertEqual(commands[18], "row 18 " + served[-1].text)
        self.assertEqual(len(commands), 19)


class Recorder:
    def __init__(self):
        self.failures, self.notes = [], []

    def fail(self, message):
        self.failures.append(message)

    def say(self, message):
        pass


def run_samples(per_line_kib, per_notice_kib, seconds=300):
    """Samples of a program that costs the given KiB per line and per notice:
    new lines for the first 80 %, notices all along."""
    samples = []
    lines = 0
    for i in range(0, seconds, 5):
        notices = i * 5
        if i < seconds * 0.8:
            lines = i // 2
        rss = 30000 + per_line_kib * lines + per_notice_kib * notices + (i % 3) * 4
        samples.append({"t": float(i), "phase": "active" if i < seconds * 0.8 else "quiet",
                        "notices": notices, "lines": lines, "rss": int(rss), "threads": 1,
                        "fds": 14})
    return samples


class MemoryReportTest(unittest.TestCase):
    view = [(n, 20000 + 12 * n) for n in range(50, 850, 50)]
    dde = [(n, 16000 + 0.86 * n) for n in range(1, 500, 25)]

    def test_the_fit_takes_lines_and_notices_apart(self):
        samples = run_samples(12.0, 0.86)
        coef = least_squares([(1.0, s["lines"], s["notices"]) for s in samples],
                             [s["rss"] for s in samples])
        self.assertAlmostEqual(coef[1], 12.0, delta=0.1)
        self.assertAlmostEqual(coef[2], 0.86, delta=0.02)
        self.assertAlmostEqual(slope(self.view), 12.0, places=6)

    def test_growth_like_the_yardsticks_passes(self):
        soak = Recorder()
        MemoryReport(run_samples(12.0, 0.86), self.dde, self.view).check(soak)
        self.assertEqual(soak.failures, [])

    def test_a_leak_per_notice_fails(self):
        soak = Recorder()
        MemoryReport(run_samples(12.0, 2.0), self.dde, self.view).check(soak)
        self.assertEqual(len(soak.failures), 1)
        self.assertIn("per notice", soak.failures[0])

    def test_more_per_line_than_the_view_holds_fails(self):
        soak = Recorder()
        MemoryReport(run_samples(16.0, 0.86), self.dde, self.view).check(soak)
        self.assertEqual(len(soak.failures), 1)
        self.assertIn("per spot line", soak.failures[0])

    def test_threads_that_stay_fail(self):
        samples = run_samples(12.0, 0.86)
        for i, s in enumerate(samples):
            s["threads"] = 1 + i // 10
        soak = Recorder()
        MemoryReport(samples, self.dde, self.view).check(soak)
        self.assertTrue(any("threads" in f for f in soak.failures))

    def test_without_yardsticks_nothing_is_judged_passed(self):
        soak = Recorder()
        MemoryReport(run_samples(12.0, 0.86), None, None).check(soak)
        self.assertTrue(any("yardsticks" in f for f in soak.failures))


if __name__ == "__main__":
    unittest.main()
