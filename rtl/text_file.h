// Text files, line by line, as the settings file is read and written.
//
// TextFileReader reads a file's lines: a line is every byte up to its first
// CR; an LF right after that CR belongs to the line end and is skipped; an LF
// anywhere else is an ordinary byte of the line; a byte 26 (Ctrl-Z) ends the
// file; a last line without a line end is a line; lines may be of any length.
// Bytes pass unchanged (no code page conversion).
//
// TextFileWriter writes a file in full and replaces the old one only when all
// of it is written: the bytes go to "<name>.new" in the same folder, and
// Commit puts that in the file's place in one step (ReplaceFileA, which keeps
// the old file's attributes and access rights; a move when there is none). A
// writer that is destroyed without a successful Commit deletes "<name>.new"
// and leaves the old file untouched, so a failed write never leaves a
// half-written file behind. The name is fixed, so that a crash leaves at most
// one stray file, which the next save overwrites, and it is not the kept
// copy's, so that a save never touches that.
//
// "<name>.tmp" is the kept copy: when ReplaceFileA has already taken the old
// file from its name (1176, 1177) and the move after it fails too, the new
// contents are moved, whole, to "<name>.tmp" (replacing an older kept copy in
// one step) and "<name>.new" is gone. If even that move fails, "<name>.new"
// is kept as the newest copy (until the next save writes it anew), and an
// older "<name>.tmp" stays as it was. No
// writer ever opens, truncates or deletes "<name>.tmp"; a successful save
// leaves it alone. RestoreKeptTextFile puts the newer of the two back at
// start-up.
//
// While either is open, other programs may read the file but not write it
// (share mode FILE_SHARE_READ).
//
// Errors: every failure of opening, reading, writing or closing raises
// EInOutError with the system's error code (2 file not found, 3 path not
// found, 5 access denied, 32 sharing violation, ...), except that a write
// that falls short or fails for a full disk (112, 39) raises code 101, "Disk
// full", and a file held open by another program without delete sharing
// cannot be replaced and raises 32. When the old file is gone and the move
// into its place fails, that move's code is raised, whether the kept copy
// could be made or not. Destructors never throw.
//
// Ownership: each object owns its handle and closes it; the IFiles it is
// given (by default the installed Seam<IFiles>) must outlive it. One thread
// at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"

class TextFileReader {
  public:
    // Opens the file for reading; raises EInOutError when it cannot.
    explicit TextFileReader(const std::string& fileName);
    TextFileReader(const std::string& fileName, IFiles& files, std::size_t bufferSize = 4096);
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    // Whether the end of the file (or a Ctrl-Z) has been reached; reads ahead
    // to find out, so it may raise a read error.
    bool Eof();
    // The next line without its line end; an empty text at the end of file.
    std::string ReadLine();
    // Whether the line ReadLine gave last ended with a line end (false before
    // the first, and for a last line cut short).
    bool LastLineEnded() const { return lastEnded_; }
    // Closes the file; raises EInOutError when the system refuses. Reading
    // after Close raises EInOutError 103 ("file not open").
    void Close();

  private:
    // Makes sure at least one unread byte is buffered, unless at the end.
    bool Fill();

    IFiles& files_;
    std::uintptr_t handle_ = files::kInvalidHandle;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool ended_ = false;
    bool lastEnded_ = false;
};

class TextFileWriter {
  public:
    // Creates the temporary file beside fileName; raises EInOutError when it
    // cannot.
    explicit TextFileWriter(const std::string& fileName);
    TextFileWriter(const std::string& fileName, IFiles& files);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Writes the bytes at once (no buffering: a failure shows at the step
    // that caused it).
    void Write(const std::string& text);
    // Writes the text and CR LF.
    void WriteLine(const std::string& text);
    // Closes the temporary file and puts it in the file's place.
    void Commit();

    const std::string& TempName() const { return tempName_; }

  private:
    void Discard() noexcept;
    // The old file is gone and the move into its place failed.
    void KeepNewContents() noexcept;

    IFiles& files_;
    std::string fileName_;
    std::string tempName_;
    std::uintptr_t handle_ = files::kInvalidHandle;
    bool committed_ = false;
    bool leaveTemp_ = false;  // the temporary file is the kept copy now, or the newest one
};

// Which copy RestoreKeptTextFile put back.
enum class KeptCopy {
    kNone,
    kTmp,        // "<name>.tmp", the kept copy
    kNew,        // "<name>.new", the newest contents of a save whose moves all failed
    kNoneWhole,  // a copy or two were there, none whole: none was put back
};

// Whether a line of a kept copy is one its reader knows; an empty function
// knows every line.
using KnownLine = std::function<bool(const std::string& line)>;

// Start-up: first looks whether fileName is there (its attributes, which
// opens nothing); when it is, returns kNone and touches nothing, whatever
// other programs hold open. Only when it is missing, moves the newer (last
// write time) of "<fileName>.tmp" and "<fileName>.new" into its place and
// says which; the ".tmp" on equal times, as it is only ever made whole by a
// move, while a ".new" may be left from a save cut short. A copy goes back
// only when it reads whole: it ends with a line end and `known` knows every
// line (a crash may cut a file short, or leave zeros in its tail); else the
// other copy if that one is whole, else none (kNoneWhole, both left as they
// are). kNone when neither is there, or when fileName appeared meanwhile.
// Raises EInOutError with the system's code when a look, a read or the move
// fails otherwise; the copy then stays.
KeptCopy RestoreKeptTextFile(const std::string& fileName, IFiles& files,
                             const KnownLine& known = {});
