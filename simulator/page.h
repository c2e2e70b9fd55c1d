// The simulated decoder's block: 19 rows of 40 columns, and the spot-row
// column layout, so that scripts name a spot's fields instead of counting
// blanks. Portable (no Win32), so its layout is unit-tested on the host.
// Owned by the Controller; used on the simulator's main thread only.
#pragma once

#include <array>
#include <string>

namespace vtsim {

constexpr int kPageRows = 19;
constexpr int kRowColumns = 40;

// The fields of one spot row; each is placed in its columns by SpotRow.
struct SpotFields {
    std::string frequency;  // kHz as text, right-aligned in columns 1-6
    std::string dx;         // columns 8-13; a longer call pushes the comment right
    std::string comment;    // from column 15, the left part cut to end at column 28
    std::string spotter;    // columns 30-35, cut to 6
    std::string time;       // HHMM, columns 37-40
};

// Pads with blanks or cuts to exactly kRowColumns characters.
std::string FitRow(const std::string& text);

// Lays the fields out in the spot-row columns; the result is kRowColumns long.
std::string SpotRow(const SpotFields& spot);

class Page {
  public:
    Page();

    // Throws std::out_of_range for an index outside 0..kPageRows-1.
    void SetRow(int index, const std::string& text);
    const std::string& Row(int index) const;
    void Clear();
    // Drops row 0, moves the others up one and puts `text` in the last row.
    void ScrollIn(const std::string& text);

    // The rows laid end to end, each followed by `line_end` (no zero byte).
    std::string Block(const std::string& line_end) const;

  private:
    std::array<std::string, kPageRows> rows_;
};

}  // namespace vtsim
