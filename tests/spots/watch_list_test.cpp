// The watch list: which calls its entries match, which entries are refused,
// and which call of a spot row is looked at.
#include "spots/watch_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void ExpectMatches(const WatchList& list, const std::vector<std::string>& calls, bool expected) {
    for (const std::string& call : calls) EXPECT_EQ(list.Matches(call), expected) << call;
}

// Entries apart by commas, blanks or both; calls and entries in either case.
TEST(WatchList, EntriesMatchWholeCallsPrefixesAndThePartsThatCount) {
    const WatchList list("3y0j,VP8*  g3abc ,\tK1*");
    ExpectMatches(list,
                  {"3Y0J", "3y0j", "VP8", "vp8abc", "G3ABC", "K1ABC",
                   // either side of a "/", also with more than one
                   "G3ABC/P", "EA8/G3ABC", "VP8/OH1AB", "OH1AB/VP8", "EA8/G3ABC/MM"},
                  true);
    ExpectMatches(list,
                  {// without "*" never a longer or shorter call, nor one in a part
                   "3Y0JA", "3Y0", "G3ABCD", "G3ABCD/P", "XG3ABC",
                   // a prefix only at the start of the call or of a part
                   "VP", "XVP8", "OH1AB/XVP8", "", "/"},
                  false);
}

// Which parts of a call with "/" count: the station's own call (the longest
// part with letters and digits), the parts before it, and a part after it
// that names a place; an operating suffix never.
TEST(WatchList, OperatingSuffixesNeverMatchPlacesAndPrefixesDo) {
    const WatchList suffixes("M* P* A* B* Q* MM 4*");
    ExpectMatches(suffixes,
                  {"OH2BH/M", "DL1ABC/MM", "OH2BH/AM", "OH2BH/P", "OH2BH/QRP", "OH2BH/A", "OH2BH/B",
                   "OH2BH/4", "VP2E/OH2BH/P", "3D2/DL1ABC/P", "KH6/OH2BH/MM"},
                  false);
    ExpectMatches(suffixes, {"M/OH2BH", "P40A/M", "AB1CD/P"}, true);
    ExpectMatches(WatchList("F* VP2E* KH6 3D2* OH2BH/P"),
                  {"F/OH2BH", "VP2E/OH2BH/P", "OH2BH/KH6", "DL1ABC/3D2", "3D2/DL1ABC/P", "OH2BH/P"},
                  true);
    ExpectMatches(WatchList("OH*"), {"OH2BH/P", "OH2BH/MM", "VP2E/OH2BH/P", "KH6/OH2BH"}, true);
    // A suffix after the call whatever stands before it; an entry with a
    // suffix matches the call written so, and only that.
    ExpectMatches(WatchList("M* OH2BH/P"), {"3D2/DL1ABC/M", "OH2BH/P/M", "OH2BH"}, false);
}

// A part after the call names a place when it holds any digit, 0 to 9 each
// alone ("OH2BH/VP9" is in Bermuda); a suffix of letters only never does.
TEST(WatchList, APlaceAfterTheCallCountsWhateverItsDigit) {
    const WatchList places("VP*");
    for (char digit = '0'; digit <= '9'; ++digit) {
        const std::string place = std::string("VP") + digit;
        EXPECT_TRUE(places.Matches("OH2BH/" + place)) << place;
        EXPECT_TRUE(WatchList(place).Matches("OH2BH/" + place)) << place;
        EXPECT_TRUE(WatchList(place).Matches("OH2BH/" + place + "/P")) << place;
    }
    ExpectMatches(places, {"OH2BH/VP", "OH2BH/VPA"}, false);
}

// A bad entry is refused as typed, the first of several; in a list read from
// a file edited by hand it is left out and matches nothing: above all not a
// lone "*", which would watch every spot.
TEST(WatchList, BadEntriesAreNamedAsTypedAndMatchNothing) {
    // 12 characters with or without "*", "/" and digits: good.
    EXPECT_EQ(WatchList::FirstBadEntry("abcdefghijkl ABCDEFGHIJK* 3b8/oh1ab/mm"), std::nullopt);
    EXPECT_EQ(WatchList::FirstBadEntry(" ,, "), std::nullopt);
    EXPECT_TRUE(WatchList(" , ").Empty());
    // 13 characters, with or without the "*"; a "*" alone or not last; a
    // character of no call sign, "[Com]1" above all: a settings file's key can
    // never be stored in the value.
    for (const char* bad : {"abcdefghijklm", "abcdefghijkl*", "*", "vp*8", "vp8**", "G3-ABC",
                            "OH\xC4\xC4", "[Com]1"}) {
        EXPECT_EQ(WatchList::FirstBadEntry(std::string("3Y0J,") + bad + " vp8**"), bad);
        EXPECT_TRUE(WatchList(bad).Empty()) << bad;
    }
    ExpectMatches(WatchList("* 3Y0J"), {"Q1AAA", "*", ""}, false);
}

// The DX call is the one the DX-cluster line takes: a long call runs on to its
// first blank; a call in the comment or a spotter is not looked at, nor a row
// that gives no spot.
TEST(WatchList, ASpotRowIsWatchedByItsDxCall) {
    const WatchList list("3Y0J VP8/G3ABC* Q9ZZZ");
    EXPECT_TRUE(list.MatchesRow("  7025 3y0j   cq"));
    EXPECT_TRUE(list.MatchesRow(" 14025 VP8/G3ABCD up 2"));
    EXPECT_FALSE(list.MatchesRow("  7025 Q1AAA  3Y0J           Q9ZZZ  1305  "));
    EXPECT_FALSE(list.MatchesRow("     0 3Y0J   cq"));
    EXPECT_FALSE(list.MatchesRow(""));
}

}  // namespace
