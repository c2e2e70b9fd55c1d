// The watch list: which calls its entries match, which entries are refused,
// and which call of a spot row is looked at.
#include "relay/watch_list.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Texts = std::vector<std::string>;

void ExpectMatches(const WatchList& list, const Texts& calls, bool expected) {
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

// A list with no good entry matches nothing: not a lone "*", which would
// watch every spot, nor an entry from a file edited by hand.
TEST(WatchList, NoEntryOrOnlyBadEntriesMatchNothing) {
    for (const char* text : {"", " , ", "*", "VP*8", "G3-ABC"}) {
        EXPECT_TRUE(WatchList(text).Empty()) << text;
        ExpectMatches(WatchList(text), {"VP8ABC", "G3-ABC", "VP*8", "*", "", "Q1AAA"}, false);
    }
    ExpectMatches(WatchList("* 3Y0J"), {"Q1AAA"}, false);
}

TEST(WatchList, TheFirstBadEntryIsGivenAsTyped) {
    EXPECT_EQ(WatchList::FirstBadEntry(" ,, "), std::nullopt);
    // 12 characters with or without "*", "/" and digits: good.
    EXPECT_EQ(WatchList::FirstBadEntry("abcdefghijkl ABCDEFGHIJK* 3b8/oh1ab/mm"), std::nullopt);
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"3Y0J abcdefghijklm", "abcdefghijklm"},  // 13
        {"3Y0J abcdefghijkl*", "abcdefghijkl*"},  // 13 with the "*"
        {"3Y0J,*", "*"},
        {"vp*8", "vp*8"},
        {"vp8**", "vp8**"},
        {"G3-ABC", "G3-ABC"},
        {"OH\xC4\xC4", "OH\xC4\xC4"},
        {"3Y0J [Com]1", "[Com]1"},  // a settings file's key can never be stored in the value
        {"3Y0J,vp8** *", "vp8**"},  // the first of two
    };
    for (const auto& [text, entry] : bad) EXPECT_EQ(WatchList::FirstBadEntry(text), entry) << text;
}

// A 42-character spot row with the call from column 8 and a comment.
std::string Row(const std::string& frequency, const std::string& call, const std::string& comment) {
    const auto padded = [](std::string text, std::size_t width) {
        return text.append(width > text.size() ? width - text.size() : 0, ' ');
    };
    return std::string(6 - frequency.size(), ' ') + frequency + " " + padded(call, 6) + " " +
           padded(comment, 14) + " Q9ZZZ  1305  ";
}

// The DX call is the one the DX-cluster line takes: a long call runs on to its
// first blank; a call in the comment or a spotter is not looked at, nor a row
// that gives no spot.
TEST(WatchList, ASpotRowIsWatchedByItsDxCall) {
    const WatchList list("3Y0J VP8/G3ABC* Q9ZZZ");
    EXPECT_TRUE(list.MatchesRow(Row("7025", "3y0j", "cq")));
    EXPECT_TRUE(list.MatchesRow(Row("14025", "VP8/G3ABCD", "up 2")));
    EXPECT_FALSE(list.MatchesRow(Row("7025", "Q1AAA", "3Y0J")));
    EXPECT_FALSE(list.MatchesRow(Row("0", "3Y0J", "cq")));
    EXPECT_FALSE(list.MatchesRow(""));
    EXPECT_FALSE(WatchList().MatchesRow(Row("7025", "3Y0J", "cq")));
}

}  // namespace
