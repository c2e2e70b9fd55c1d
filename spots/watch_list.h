// The watch list: the call signs and prefixes a user wants to be told about,
// as typed in the "Seuranta" dialog, e.g. "3Y0J, VP8* g3abc".
//
// Entries are separated by blanks (spaces, tabs) or commas. An entry is a
// call sign, matched whole, or a prefix ending in "*", matched at the start;
// letters in either case. A good entry has at most 12 characters, all
// letters A-Z, digits or "/", but for one final "*"; "*" alone is bad, as it
// would watch every spot.
//
// A call written with "/" is matched as written and part by part, split at
// every "/", but not every part counts. The station's own call is the
// longest part that holds both letters and digits (the first of equal ones;
// the first part when none does): "OH2BH" in "VP2E/OH2BH/P", "OH2BH/KH6"
// and "F/OH2BH", "DL1ABC" in "3D2/DL1ABC/P". It counts, and so does every
// part before it (a country prefix: "F", "VP2E", "3D2"). A part after it
// counts only where it names a place, that is, holds letters and digits
// ("KH6" in "OH2BH/KH6", "3D2" in "DL1ABC/3D2"); operating suffixes ("/P",
// "/M", "/MM", "/AM", "/QRP", "/A", "/B", a lone digit) never match, so
// that "M*", "P*" or "A*" do not watch every mobile, portable or aeronautical
// station. The whole call as written counts too: it starts with a part that
// counts, so "OH*" matches "OH2BH/P", and an entry "OH2BH/P" matches that
// call only.
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
    // Whether a spot row's DX call (ReadDxCall) is watched; a row that gives
    // no spot (no frequency above 0, no DX call) is not.
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
