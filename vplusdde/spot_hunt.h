// What the main window knows of countries and of the user's log, for the
// spots' marks: the country file read at start, the watched countries and
// the log followed as the "Seuranta" dialog's options say, and the two
// status lines that dialog shows of them.
//
// The country file is read when an option first needs it (the country
// shown, a country watched, or a log's news asked for), not before: with
// every such option off the program reads and says nothing of it. The log
// is followed only while "Uusi maa" or "Uusi bandi" asks for it, a slice at
// a time (LogFollower): the window's timer calls StepLog, and calls it again
// while it answers true, so a large log never pauses the window.
//
// Owned by the main window; main thread only. Failures (a country file with
// broken lines or that cannot be read, a log that cannot be opened) are
// handed to `report` as box texts, each once; nothing is thrown beyond
// allocation.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "spots/country_file.h"
#include "spots/country_watch.h"
#include "spots/log_follower.h"
#include "spots/spot_marks.h"

class IFiles;
class WatchList;

// The "Seuranta" dialog's options in effect, as the hunt reads them.
struct HuntSettings {
    const WatchList* calls = nullptr;
    bool showCountry = false;
    std::string countryText;  // the watched countries' entries
    std::string adifPath;     // blank: no log
    HuntOptions options;
};

class SpotHunt {
  public:
    using Report = std::function<void(const std::string& text)>;

    SpotHunt(IFiles& files, Report report);
    ~SpotHunt();
    SpotHunt(const SpotHunt&) = delete;
    SpotHunt& operator=(const SpotHunt&) = delete;

    // Where the country file is looked for after the working folder; set at
    // start-up, before it is read.
    void SetProgramFolder(const std::string& folder) { programFolder_ = folder; }
    // "cty.csv" from the working folder, else from the program's, once a run
    // (later calls do nothing). Not found: the country features stay off,
    // without a box.
    void LoadCountries();
    bool HasCountries() const { return !countries_.Empty(); }

    // The options now in effect; the log is followed anew when its path changed.
    void TakeSettings(const HuntSettings& settings);

    SpotMarks Marks(const std::string& row) const;
    // Two blanks and the country's name, when the list shows countries and
    // the spot has one; else nothing.
    std::string LineTail(const SpotMarks& marks) const;

    // The first entry of the watched countries' text the file does not know
    // (the file is read for it first).
    std::optional<std::string> FirstUnknownCountry(const std::string& text);

    // One slice of the log's reading; true while there is more to read now.
    bool StepLog();
    // A log is set whose first reading has neither ended nor failed.
    bool LogPending() const { return log_ != nullptr && !log_->Loaded() && lastReport_.empty(); }

    // Where the file is, or that it is not there; before it is read, from a
    // look at the two folders.
    std::string CountryStatus() const;
    std::string LogStatus() const;

  private:
    IFiles& files_;
    std::string programFolder_;
    Report report_;
    bool countriesTried_ = false;
    CountryFile countries_;
    std::string countryStatus_;
    HuntSettings settings_;
    CountryWatch watchedCountries_;
    std::unique_ptr<LogFollower> log_;
    std::string lastReport_;  // the log's failure since its path was set, if any
};

// The dialog's line for the country file in each case.
extern const char* const kNoCountryFileText;
