// The spot view's bookkeeping: the lines of the rich-text view `memo1`, an
// index of their first 42 characters for the duplicate test, and the trimming
// that keeps a view of a program running for weeks inside its text limit.
//
// A row is shown when it equals the first 42 characters of some line of the
// view. Reading every line back for every row costs more with each line (and
// under wine, reading line N of a rich-text control costs time growing with
// N), so the index answers instead; it is fed with each line as the control
// reads it back after the append, so it holds what the view holds.
//
// Owned by the main window; main thread only. Throws what the lines' peer
// throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <unordered_map>
#include <vector>

// A line of the view and its colour (0x00BBGGRR).
struct SpotLine {
    std::string text;
    std::uint32_t color = 0;
};

// The rich-text control as the spot view uses it.
class ISpotLines {
  public:
    virtual ~ISpotLines() = default;
    // Lines held, not counting an empty last line after the final line end.
    virtual int LineCount() = 0;
    // Line `index` (from 0) without its line end.
    virtual std::string Line(int index) = 0;
    // Appends a line after the last one in the given colour (0x00BBGGRR).
    virtual void AppendLine(const std::string& text, std::uint32_t color) = 0;
    // Removes the first `count` lines.
    virtual void DeleteFirstLines(int count) = 0;
    // Appends the lines after the last one, each in its colour, as one change
    // of the control; here one AppendLine each. The control refuses a line it
    // cannot hold (one with a NUL, one past its text limit) by raising
    // EOutOfResources; AppendLines then adds none of them.
    virtual void AppendLines(const std::vector<SpotLine>& lines) {
        for (const SpotLine& line : lines) AppendLine(line.text, line.color);
    }
    // Lines `first` (at most LineCount()) to the last; here one Line each.
    virtual std::vector<std::string> LinesFrom(int first) {
        std::vector<std::string> lines;
        for (int i = first; i < LineCount(); ++i) lines.push_back(Line(i));
        return lines;
    }
};

class SpotView {
  public:
    // Above `maxLines` lines the oldest `trimBy` lines are dropped at once.
    static constexpr int kMaxLines = 20000;
    static constexpr int kTrimBy = 1000;

    // Touches no line until first used: the control may not exist yet.
    explicit SpotView(ISpotLines& lines, int maxLines = kMaxLines, int trimBy = kTrimBy)
        : lines_(lines), maxLines_(maxLines), trimBy_(trimBy) {}

    // The duplicate test: exact, case-sensitive, lengths included.
    bool IsShown(const std::string& row);
    // Appends the line in its colour, then drops the oldest lines when the
    // view has grown past its maximum.
    void Append(const std::string& line, std::uint32_t color);
    // The lines appended in one change of the control, and read back in one,
    // leaving the view as appending them one by one would: the same oldest
    // lines dropped (before the others go in). A line the control refuses
    // (see ISpotLines) is left out alone: the others still go in, in order,
    // and then the first refusal is raised, once.
    void AppendAll(std::vector<SpotLine> lines);
    int LineCount() const { return lineCount_; }

    // What the duplicate test compares of a line: its first 42 characters.
    static std::string Key(const std::string& line) { return line.substr(0, 42); }

  private:
    // Lines [first, end) into the control, as many at a time as it takes;
    // the first refusal of a single line kept in `refused`.
    void AppendWhatGoesIn(const std::vector<SpotLine>& lines, std::size_t first, std::size_t end,
                          std::exception_ptr& refused);
    void Forget(const std::string& line);
    void DropOldest(int count);
    // On first use, indexes what the control already holds.
    void Sync();

    ISpotLines& lines_;
    int maxLines_;
    int trimBy_;
    bool synced_ = false;
    int lineCount_ = 0;
    std::unordered_map<std::string, int> shown_;  // first 42 characters -> lines
};
