// Follows the user's ADIF log file: reads it into a LogNeeds, and again when
// its size or last-write time changes, a bounded slice of work per Step, so
// that the window calling it never pauses.
//
// A Step looks at the file's attributes (no change: nothing more); on a
// change it opens the file and reads and parses its first slice (1 MiB by
// default); while a reading is under way, it reads the next slice. Step
// returns true while a reading is under way, and the caller calls it again
// soon (at once) until it returns false; a timer calls it to look again.
//
// When the file only grew (it is larger and the last bytes before the old
// end, up to 4 KiB, are unchanged), only what was added is read, on into the
// current LogNeeds, finishing a record that was cut at the old end. Otherwise
// (shorter, the same size with a different time, or different bytes before
// the old end) it is read from its start into a fresh LogNeeds, which takes
// the old one's place only when the whole file is read; the old one answers
// meanwhile. The file is opened for reading with read, write and delete
// sharing, so that the logging program can keep writing, renaming or
// deleting it, and held open only while one reading lasts.
//
// A file that cannot be looked at, opened or read is reported once per cause
// (missing: 2 or 3; held by another program without sharing: 32; any other
// code), as a Finnish text naming the file, taken with TakeReport; the same
// cause again is not reported until a reading has succeeded. While it fails,
// every Step tries again (what was last read whole is what a change is
// measured against).
//
// Main thread by use (one thread at a time); the IFiles given must outlive
// it. Nothing thrown beyond allocation; the country functions' exceptions
// pass through Step.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "spots/adif_reader.h"
#include "spots/log_needs.h"

class LogFollower {
  public:
    static constexpr std::size_t kDefaultSlice = 1024 * 1024;
    static constexpr std::size_t kMaxSlice = 256 * 1024 * 1024;  // one ReadFile's worth
    static constexpr std::size_t kTailBytes = 4096;

    // `path` as the user gave it (relative to the working folder or whole);
    // `sliceBytes` is kept within 1..kMaxSlice.
    LogFollower(IFiles& files, std::string path, CountryOfCall countryOfCall, KnownDxcc knownDxcc,
                std::size_t sliceBytes = kDefaultSlice);
    ~LogFollower();
    LogFollower(const LogFollower&) = delete;
    LogFollower& operator=(const LogFollower&) = delete;

    // One bounded piece of work; true while a reading is under way.
    bool Step();

    // The log as last read whole (empty before the first reading ends); a
    // grown file's QSOs join it slice by slice. The reference holds until
    // the next Step (a new reading puts another in its place): ask again.
    const LogNeeds& Needs() const { return *needs_; }
    // QSOs read and records skipped in that reading.
    std::uint64_t QsosRead() const;
    std::uint64_t RecordsSkipped() const;
    // Whether a whole reading has ended at least once.
    bool Loaded() const { return loaded_; }
    bool Reading() const { return reading_; }

    // A report not yet taken ("Lokitiedostoa ... ei löydy." and the like),
    // or nullopt.
    std::optional<std::string> TakeReport();

    const std::string& Path() const { return path_; }

  private:
    struct Pass;

    std::unique_ptr<AdifReader> NewReader(LogNeeds* needs);
    bool StartPass(const files::FileAttributeData& attributes);
    bool TailUnchanged(std::uintptr_t handle);
    bool ReadSlice();
    void EndPass();
    void AbandonPass();
    void Fail(std::uint32_t code);

    IFiles& files_;
    std::string path_;
    CountryOfCall countryOfCall_;
    KnownDxcc knownDxcc_;
    std::size_t sliceBytes_;

    std::unique_ptr<LogNeeds> needs_;
    // The parser that read needs_, at readEnd_: an append goes on with it.
    std::unique_ptr<AdifReader> reader_;
    std::unique_ptr<Pass> pass_;  // the reading under way, if any
    std::vector<char> buffer_;    // one slice, while a reading lasts
    bool loaded_ = false;
    bool reading_ = false;

    // What the last whole reading saw.
    std::uint64_t seenSize_ = 0;
    std::uint64_t seenTime_ = 0;
    std::uint64_t readEnd_ = 0;
    std::string tail_;  // the last bytes before readEnd_

    std::uint32_t reportedCause_ = 0;  // 0: none since the last success
    std::optional<std::string> report_;
};
