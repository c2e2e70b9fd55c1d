// The watch list: the call signs and prefixes a user wants to be told about,
// as typed in the "Seuranta" dialog, e.g. "3Y0J, VP8* g3abc".
//
// Entries are separated by blanks (spaces, tabs) or commas. An entry is a
// call sign, matched whole, or a prefix ending in "*", matched at the start;
// letters in either case. A call written with "/" (VP8/G3ABC, G3ABC/P) is
// matched whole and part by part, split at every "/". A good entry has at
// most 12 characters, all letters A-Z, digits or "/", but for one final "*";
// "*" alone is bad, as it would watch every spot.
//
// A value; immutable once built; any thread. Nothing thrown beyond allocation.
#pragma once

#include <optional>
#include <string>
#include <vector>

class WatchList {
  public:
    // An empty list: matches nothing.
    WatchList() = default;
    // The list of the text's good entries; bad ones (from a file edited by
    // hand) are left out, so that they match nothing.
    explicit WatchList(const std::string& text);

    bool Empty() const { return entries_.empty(); }

    // Whether a DX call is watched.
    bool Matches(const std::string& dxCall) const;
    // Whether a spot row's DX call, as the DX-cluster line reads it
    // (ParseSpotRow), is watched; a row that gives no spot is not.
    bool MatchesRow(const std::string& row) const;

    // The text's first bad entry as typed, or nullopt when all are good
    // (also for a text without entries).
    static std::optional<std::string> FirstBadEntry(const std::string& text);

  private:
    struct Entry {
        std::string call;  // upper case, without the "*"
        bool prefix;
    };
    std::vector<Entry> entries_;
};
