// The daily spot file: every accepted spot appended, as it is accepted, to
// "vihjeet-YYYYMMDD.txt" (the local date) in the working folder, one line
//   2026-12-07 15:04:09 <the row as received>
// ending in CR LF, so that other programs can follow the spots in a file.
//
// Each line is one open-append-close: no handle is held between spots, and
// the file is opened with read and write sharing, so another program may
// read it, or append to it, at any time. The open asks for reading and for
// appending alone (no FILE_WRITE_DATA), so that every line lands at the end
// as the file then is, wherever the read position stands.
//
// A spot always starts a line of its own: before the line goes out, the
// file's last byte is read through the same handle, and when the file does
// not end in a line end (a short write at a full disk, a crash, another
// program's unfinished line) the line end goes first, in the same write:
// CR LF, or only the LF when the file ends in a CR. One handle for both, not
// a second open for reading: one open per spot as before, and the look and
// the write as close together as they can be; another program that writes
// between the two can still join a line, which no reader-side rule can stop
// without a lock that program would take too. When the last byte cannot be
// read, CR LF goes first anyway: an empty line is skipped by every reader,
// while a line joined to a fragment would cost a spot. Nothing already in
// the file is changed.
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
    // What must go before a new line in the open file: "", "\n" or "\r\n".
    std::string LineEndBefore(std::uintptr_t file);

    IFiles& files_;
    Report report_;
    std::set<std::string> reported_;
};
