// The daily spot files read back: at start-up the spots of yesterday's and
// today's "vihjeet-YYYYMMDD.txt" (see SpotLog), and of tomorrow's when the
// clock was set back past midnight, are put back into the view and
// the cluster node's list, so that a restart neither loses them nor alarms
// for them again.
//
// A line is taken as SpotLog writes it: "YYYY-MM-DD HH:MM:SS", one blank, the
// row, and its line end (CR LF; a bare LF is taken too). A control character
// in the row (codes 0 to 31, a NUL too) is made a blank, as the decoder link
// gives rows. The stamp may stand
// in the middle of the line, after a fragment that an older writer or
// another program left without its line end ("...00:22026-12-07 09:41:07
// 7025 Q1AAA ..."): the row is what follows the line's last stamp, and what
// comes before that stamp is dropped, so that a fragment never reaches the
// view as part of a row. A line without a stamp (a real date and time of
// day), or whose row holds nothing besides blanks, or without a line end, is
// skipped silently: a hand-edited line, or one cut short, for instance the
// last line of a file whose writing was cut off. A row cut short inside its
// own text and then ended by SpotLog's repair cannot be told from a short
// row and is taken as it stands. A line longer than kMaxLoggedLineBytes (its
// CR counted) is no spot line either and is skipped unstored.
//
// Only the end of a file is read, backwards in chunks from its end, until
// `limit` spots of that file are found, the file's start is reached, or
// `limit` lines of the longest kind (kMaxLoggedLineBytes and the LF each)
// have been looked through; so the cost follows the lines taken, not the
// file's size, and memory stays bounded for any file. A line whose start
// lies before the bytes read is never taken.
//
// A missing file has no spots. Any other failure to open or read a file is
// reported through the callback once for that file, as "Vihjetiedostoa X ei
// voitu lukea (virhe N)." with the system's code N, and the other files are
// still read; the good lines read before a read failure (the file's newest)
// are kept. File failures never throw; what the callback throws reaches the
// caller (the file is closed first).
//
// Files are opened for reading with read and write sharing, so a program
// that holds one open for appending does not keep it from being read.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/locale.h"

// One spot line of a daily file.
struct LoggedSpot {
    std::string row;  // the bytes after "HH:MM:SS ", control characters blanked
    LocalTime when;   // the local time written before it (milliseconds 0)
};

// How many lines of the files start-up takes back.
constexpr std::size_t kRecentSpotLines = 2000;
// The longest line taken: a spot row is 42 characters.
constexpr std::size_t kMaxLoggedLineBytes = 1024;

// The spot lines of the day before `now`'s local date, of that date and of
// the day after (written before the clock was set back past midnight), at
// most the newest `limit` of the three together, oldest first. They are
// ordered by their stamps, whichever file holds them, except that a stamp
// later than `now` (written before the clock was set back) counts as older
// than every stamp up to `now`; equal stamps keep the files' order.
std::vector<LoggedSpot> ReadRecentSpots(IFiles& files, const LocalTime& now, std::size_t limit,
                                        const std::function<void(const std::string&)>& report);
