// The watched countries, as typed in the "Seuranta" dialog: primary prefixes
// as the country file writes them ("VP8/g", "3Y/b", "OJ0", "VP8"), in either
// case, apart by blanks or commas (ListEntries).
//
// A value; immutable once built; any thread. Nothing thrown beyond
// allocation.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "spots/country_file.h"

// The first entry of text the file does not know, as typed; nullopt when it
// knows all (also for a text without entries).
std::optional<std::string> FirstUnknownEntry(const CountryFile& countries, const std::string& text);

class CountryWatch {
  public:
    // Watches nothing.
    CountryWatch() = default;
    // The DXCC numbers of the text's known entries; unknown ones are left
    // out (a settings file edited by hand, a newer or older country file).
    CountryWatch(const CountryFile& countries, const std::string& text);

    bool Empty() const { return watched_.empty(); }
    bool Matches(int dxcc) const;
    // A call without a country is watched by no entry.
    bool Matches(std::optional<int> dxcc) const { return dxcc && Matches(*dxcc); }

  private:
    std::vector<int> watched_;  // sorted, each once
};
