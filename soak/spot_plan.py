"""The soak's decoder page and its ledger: the driver scrolls spot rows into a
19-row page the way the decoder does, and notes for every row it serves
whether the program must accept it. A row is owed a forward when its
frequency lies inside the band and no row of the same 42 characters was
owed before (the program's duplicate test). So the ledger knows, in order,
every line the port must receive, and when each row was on the page."""

import random

ROWS = 19
COLUMNS = 40


def spot_text(freq_field, dx, comment, spotter, hhmm):
    """40 columns: frequency right-aligned in 1-6, DX call from 8, comment
    from 15, spotter in 30-35, time in 37-40."""
    cols = [" "] * COLUMNS

    def put(at, text, width):
        for i, c in enumerate(text[:width]):
            cols[at + i] = c

    put(0, freq_field.rjust(6)[-6:], 6)
    put(7, dx, 6)
    put(14, comment, 14)
    put(29, spotter, 6)
    put(36, hhmm, 4)
    return "".join(cols)


class Served:
    """One row the driver put on the page."""

    def __init__(self, serial, text, owed, kind, at):
        self.serial = serial  # order of serving, from 0
        self.text = text      # the 40 columns
        self.owed = owed      # whether the program must forward it (first time)
        self.kind = kind      # "new", "oh", "out-of-band", "unreadable", "again"
        self.at = at          # seconds since the start, when it scrolled in
        self.gone = None      # when it scrolled off the page

    @property
    def row(self):
        """The spot row as the program cuts it: the columns and two blanks."""
        return self.text + "  "


class SpotPlan:
    def __init__(self, lower, upper, seed):
        self.lower = lower
        self.upper = upper
        self.random = random.Random(seed)
        self.page = [" " * COLUMNS] * ROWS
        self.on_page = [None] * ROWS  # the Served in each slot
        self.served = []
        self.owed = []               # the Served rows to be forwarded, in order
        self._owed_rows = set()
        self._count = 0

    def _hhmm(self, now):
        minute = int(now // 60) % 1440
        return "%02d%02d" % (minute // 60, minute % 60)

    def _call(self, finnish):
        letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
        if finnish:
            return "OH%d%s" % (self.random.randint(0, 9),
                               "".join(self.random.choice(letters) for _ in range(3)))
        return "Q%d%s" % (self.random.randint(1, 9),
                          "".join(self.random.choice(letters) for _ in range(3)))

    def make(self, kind, now):
        """A fresh row of the given kind; each carries its own serial number in
        the comment so that no two fresh rows are alike."""
        self._count += 1
        comment = "s%06d" % self._count
        hhmm = self._hhmm(now)
        if kind == "out-of-band":
            freq = self.random.choice([self.random.randint(100, self.lower - 1),
                                       self.random.randint(self.upper + 1, 999999)])
            return spot_text(str(freq), self._call(False), comment, self._call(False), hhmm)
        if kind == "unreadable":  # a letter in the field reads as 0 kHz
            field = self.random.choice(["  7O25", " 14 07", "      ", "  14x5"])
            return spot_text(field, self._call(False), comment, self._call(False), hhmm)
        freq = str(self.random.randint(self.lower, self.upper))
        if kind == "oh":
            if self.random.random() < 0.5:
                return spot_text(freq, self._call(True), comment, self._call(False), hhmm)
            return spot_text(freq, self._call(False), comment, self._call(True), hhmm)
        return spot_text(freq, self._call(False), comment, self._call(False), hhmm)

    def scroll_in(self, text, kind, now):
        """Drops the top row, moves the others up and puts text last; returns
        the Served record."""
        leaving = self.on_page[0]
        if leaving is not None:
            leaving.gone = now
        self.page = self.page[1:] + [text]
        freq = self._frequency(text)
        row = text + "  "
        owed = (freq is not None and self.lower <= freq <= self.upper
                and row not in self._owed_rows)
        served = Served(len(self.served), text, owed, kind, now)
        self.on_page = self.on_page[1:] + [served]
        self.served.append(served)
        if owed:
            self._owed_rows.add(row)
            self.owed.append(served)
        return served

    def again(self, now):
        """An earlier forwarded row served once more (the decoder showing the
        same spot again); None while there is none."""
        if not self.owed:
            return None
        earlier = self.random.choice(self.owed)
        return self.scroll_in(earlier.text, "again", now)

    @staticmethod
    def _frequency(text):
        """Columns 1-6 as the program reads them: blanks, then digits only
        (the driver's rows use no sign or hexadecimal); None when unreadable."""
        field = text[:6].lstrip(" ")
        if not field or not field.isdigit():
            return None
        return int(field)

    def row_commands(self):
        """The simulator commands that set every row of the page."""
        return ["row %d %s" % (i, self.page[i]) for i in range(ROWS)]
