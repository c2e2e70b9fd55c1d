// The daily spot file: every accepted spot appended, as it is accepted, to
// "vihjeet-YYYYMMDD.txt" (the local date) in the working folder, one line
//   2026-12-07 15:04:09 <the row as received>
// ending in CR LF, so that other programs can follow the spots in a file.
//
// Each line is one open-append-close: no handle is held between spots, and
// the file is opened for appending alone with read and write sharing, so
// another program may read it, or append to it, at any time, and every line
// lands at the end as the file then is.
//
// A failed or short write is reported through the callback once per file
// name for the object's lifetime, as "Vihjetiedostoon X ei voitu kirjoittaa
// (virhe N)." with the system's code N (112, disk full, for a write that
// took fewer bytes than asked: a call that succeeds leaves no code of its
// own). The next spot tries again. The spot log itself never throws for a
// file failure; what the callback throws reaches the caller of Append.
//
// Used on the user-interface thread; not safe for several threads at once.
#pragma once

#include <functional>
#include <set>
#include <string>

#include "platform/files.h"
#include "platform/locale.h"

class SpotLog {
  public:
    using Report = std::function<void(const std::string&)>;

    // `files` must outlive the spot log.
    SpotLog(IFiles& files, Report report);

    // Appends the row's line to the file of now's date. True when the whole
    // line was written and the file closed.
    bool Append(const std::string& row, const LocalTime& now);

    // "vihjeet-YYYYMMDD.txt" of the day.
    static std::string FileName(const LocalTime& day);
    // "YYYY-MM-DD HH:MM:SS", one blank, the row, CR LF.
    static std::string Line(const std::string& row, const LocalTime& now);

  private:
    // The code of the failure, 0 when the line was written and closed.
    std::uint32_t Write(const std::string& fileName, const std::string& line);
    // The failed call's code, or `fallback` when the system gives none.
    std::uint32_t SystemCodeOr(std::uint32_t fallback);

    IFiles& files_;
    Report report_;
    std::set<std::string> reported_;
};
