// The watch list: which calls its entries match, which entries are refused,
// and which call of a spot row is looked at.
#include "relay/watch_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void ExpectMatches(const WatchList& list, const std::vector<std::string>& calls, bool expected) {
    for (const std::string& call : calls) EXPECT_EQ(list.Matches(call), expected) << call;
}

// Entries apart by commas, blanks or both; calls and entries in either case.
TEST(WatchList, EntriesMatchWholeCallsPrefixesAndEachPartBetweenSlashes) {
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
