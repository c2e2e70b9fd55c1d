#!/usr/bin/env python3
"""Countries and the user's log on the unmodified Vareli.exe: the real
country file beside it, an ADIF log in the working folder, and "Näytä maa",
"Uusi maa" and "Uusi bandi" on. The first page's spots show their countries
after the date and are coloured by what the log still needs (a new country
purple, a new band teal, a worked one as before). Then through the
"Seuranta" dialog: an unknown country entry is refused with a box and the
dialog stays open; a known one is stored, and the next spot of that country
is green. A QSO appended to the log as a logging program does counts within
10 s (here 5 s): the next spot of that country is no longer new."""
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                                "scripts"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine_session import Failure, Simulator, run_wine_test  # noqa: E402
from run_e2e import (check, colour_counts, spot_command, spot_row, view_lines,  # noqa: E402
                     wait_until)

TITLE = "Vareli"
DIALOG = "Seuranta"
CTY = "/usr/share/hamradio-files/cty.csv"
PURPLE, TEAL, GREEN, RED, NAVY = "800080", "008080", "008000", "FF0000", "000080"

# (spot, the country shown after the date or None, its colour)
PAGE = [
    ((14025, "OH1AA", "cq", "Q9ZZZ", "1200"), "Finland", RED),  # worked on 20 m
    ((7025, "DL2XYZ", "cq", "Q9ZZZ", "1201"), "Fed. Rep. of Germany", NAVY),  # worked on 40 m
    ((14030, "DL3XYZ", "up", "Q9ZZZ", "1202"), "Fed. Rep. of Germany", TEAL),  # not on 20 m
    ((21025, "VP8LP", "tnx", "Q9ZZZ", "1203"), "Falkland Islands", PURPLE),  # never worked
    ((10105, "Q1AAA", "cw", "Q9ZZZ", "1204"), None, NAVY),  # no country at all
]
WATCHED = ((14040, "OH0Z", "qrz", "Q9ZZZ", "1205"), "Aland Islands", GREEN)
AFTER_QSO = ((21030, "VP8ABC", "59", "Q9ZZZ", "1206"), "Falkland Islands", NAVY)


def adif_field(name, value):
    return "<%s:%d>%s" % (name, len(value.encode("latin-1")), value)


def qso(call, band):
    return adif_field("CALL", call) + adif_field("BAND", band) + "<EOR>\r\n"


def expected_line(spot, country, date):
    return spot_row(*spot) + date + ("  " + country if country else "")


def dialog_edit(session, label):
    """The index, among the dialog's edit boxes, of the one under `label`."""
    children = session.children(DIALOG)
    tops = [int(rect.split(",")[1]) for cls, _, rect, text in children
            if cls == "Static" and text == label]
    if not tops:
        return None
    edits = [(i, int(rect.split(",")[1])) for i, (cls, _, rect, _) in
             enumerate([c for c in children if c[0] == "Edit"])]
    below = [(top, i) for i, top in edits if top > tops[0]]
    return min(below)[1] if below else None


def run(session, args):
    work = tempfile.mkdtemp(prefix="vareli-hunt-")
    shutil.copy(CTY, os.path.join(work, "cty.csv"))
    log = os.path.join(work, "loki.adi")
    with open(log, "wb") as f:
        f.write(("Oma loki\r\n<ADIF_VER:5>3.1.4<EOH>\r\n" + qso("OH2BH", "20M") +
                 qso("DL1ABC", "40m") + qso("OH0X", "20M")).encode("latin-1"))
    with open(os.path.join(work, "vareli.ini"), "wb") as f:
        f.write(b"[COMPort]Com19\r\n[AlaMHZ]1800\r\n[YlaMHZ]432000\r\n[Com]0\r\n"
                b"[NaytaMaa]1\r\n[ADIF]loki.adi\r\n[UusiMaa]1\r\n[UusiBandi]1\r\n")
    script = os.path.join(work, "page.txt")
    with open(script, "w") as f:
        for i, (spot, _, _) in enumerate(PAGE):
            f.write(spot_command(i, *spot) + "\n")
    sim = Simulator(session, args.simulator, ["--script", "Z:" + script.replace("/", "\\")])
    sim.wait_for("ready")
    vareli = session.start([args.vareli], cwd=work)
    if session.winctl_out("wait", TITLE, "30000")[0] != 0:
        raise Failure("the Vareli window did not appear")
    # The log is read after the window is up: the first block may come before
    # it, so the page is announced again once the log's status says it is read.
    lines = wait_until("the first page is shown", lambda: (view_lines(session) or [None])
                       if len(view_lines(session) or []) >= len(PAGE) else None)
    date = lines[0][42:].split(" ")[0]
    check([line[:42] for line in lines] == [spot_row(*s) for s, _, _ in PAGE],
          "the page's spots are shown in order")
    check(lines == [expected_line(s, c, date) for s, c, _ in PAGE],
          "each line shows its country after the date, and none for a call without one")

    # Through the dialog, opened from the menu with the keyboard as a user
    # may: an unknown country is refused, a known one stored.
    check(session.winctl_out("keys", TITLE, "F10,DOWN,DOWN,DOWN,RETURN")[0] == 0,
          "Tiedosto > Seuranta chosen with the keyboard")
    wait_until("the Seuranta dialog shows", lambda: dialog_shown(session), 15)
    edit = wait_until("the countries' edit box is found",
                      lambda: dialog_edit(session, "Seurattavat maat:"), 10)
    check(session.winctl_out("settext", DIALOG, str(edit), "qq9, oh0")[0] == 0,
          "an unknown country is typed")
    session.winctl_out("press", DIALOG, "OK")
    code, box = session.winctl_out("box", TITLE, "15000")
    check(code == 0 and "Tuntematon maa: qq9" in box, "a box names the unknown entry (%r)" % box)
    session.winctl_out("ok", TITLE, "10000")
    time.sleep(0.5)
    check(dialog_shown(session), "the dialog stays open")
    session.winctl_out("settext", DIALOG, str(edit), "oh0")
    session.winctl_out("press", DIALOG, "OK")
    wait_until("the dialog closes", lambda: not dialog_shown(session), 15)
    with open(os.path.join(work, "vareli.ini"), "rb") as f:
        stored = f.read()
    check(b"[SeuraaMaat]oh0\r\n" in stored, "the watched country is stored (%r)" % stored)

    sim.send(spot_command(len(PAGE), *WATCHED[0]), "notify")
    wait_until("the watched country's spot is shown",
               lambda: len(view_lines(session) or []) > len(PAGE))
    check(view_lines(session)[-1] == expected_line(WATCHED[0], WATCHED[1], date),
          "the watched country's spot shows its country")

    # A QSO appended as a logging program appends it.
    with open(log, "ab") as f:
        f.write(qso("VP8LP", "15M").encode("latin-1"))
    time.sleep(5)  # the log is looked at every 2 s
    sim.send(spot_command(len(PAGE) + 1, *AFTER_QSO[0]), "notify")
    wait_until("the spot after the QSO is shown",
               lambda: len(view_lines(session) or []) > len(PAGE) + 1)
    check(view_lines(session)[-1] == expected_line(AFTER_QSO[0], AFTER_QSO[1], date),
          "the spot after the QSO shows its country")

    shot = os.path.join(args.artefacts, "hunt-main-window.png")
    session.screenshot(shot)
    counts = colour_counts(shot)
    for name, colour in (("purple", PURPLE), ("teal", TEAL), ("green", GREEN), ("red", RED),
                         ("navy", NAVY)):
        check(counts.get(colour, 0) > 50, "%s text on the screenshot (%d pixels)" %
              (name, counts.get(colour, 0)))
    # One purple line before the QSO; a second purple one would be the spot
    # after it, taken for a new country still.
    # The one teal line is as long as a purple one: a second purple line would
    # double the purple.
    check(counts.get(PURPLE, 0) < 1.5 * counts.get(TEAL, 0),
          "only one purple line: the appended QSO counted (%d purple, %d teal pixels)" %
          (counts.get(PURPLE, 0), counts.get(TEAL, 0)))

    session.winctl_out("close", TITLE, "15000")
    vareli.wait(15)
    sim.send("quit")
    sim.p.wait(15)


def dialog_shown(session):
    """Whether the "Seuranta" dialog is on the screen (it exists, hidden,
    for the whole run)."""
    return any(visible for _, visible, _, _ in session.children(DIALOG))


if __name__ == "__main__":
    sys.exit(run_wine_test("country_hunt", run,
                           lambda ap: ap.add_argument("--artefacts", required=True)))
