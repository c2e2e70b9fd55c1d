// The watched countries: entries as the file writes primary prefixes, which
// of them the file does not know, and which countries they watch.
#include "spots/country_watch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

CountryFile RealFile() {
    std::ifstream in(VARELI_CTY_CSV, std::ios::binary);
    return CountryFile::Parse(
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
}

TEST(CountryWatch, TheFirstEntryTheFileDoesNotKnowAsTyped) {
    const CountryFile file = RealFile();
    ASSERT_FALSE(file.Empty());
    EXPECT_EQ(FirstUnknownEntry(file, "VP8/g 3y/B,OJ0 , vp8\tIT9"), std::nullopt);
    EXPECT_EQ(FirstUnknownEntry(file, ""), std::nullopt);
    EXPECT_EQ(FirstUnknownEntry(file, " ,, "), std::nullopt);
    EXPECT_EQ(FirstUnknownEntry(file, "VP8/g zz9 3Y/b QQ"), "zz9");
    // A watch list's prefix, a call, the file's "*" written too: no country.
    EXPECT_EQ(FirstUnknownEntry(file, "OH VP8*"), "VP8*");
    EXPECT_EQ(FirstUnknownEntry(file, "OH0 OH2BH"), "OH2BH");
    EXPECT_EQ(FirstUnknownEntry(file, "*IT9"), "*IT9");
    // Without a file no entry is known.
    EXPECT_EQ(FirstUnknownEntry(CountryFile(), "OH"), "OH");
}

TEST(CountryWatch, MatchesTheWatchedCountriesOnly) {
    const CountryFile file = RealFile();
    const CountryWatch watch(file, "vp8/G, it9 ZZ9");
    EXPECT_FALSE(watch.Empty());
    EXPECT_TRUE(watch.Matches(file.DxccOf("VP8GEO")));
    EXPECT_FALSE(watch.Matches(file.DxccOf("VP8ABC")));
    // A "*" entry watches its whole DXCC country.
    EXPECT_TRUE(watch.Matches(file.DxccOf("IT9ABC")));
    EXPECT_TRUE(watch.Matches(file.DxccOf("I1ABC")));
    EXPECT_FALSE(watch.Matches(file.DxccOf("OH2BH")));
    EXPECT_FALSE(watch.Matches(std::nullopt));
    EXPECT_FALSE(watch.Matches(file.DxccOf("OH2BH/MM")));

    EXPECT_TRUE(CountryWatch(file, "ZZ9, QQ").Empty());
    EXPECT_TRUE(CountryWatch(CountryFile(), "OH").Empty());
    EXPECT_TRUE(CountryWatch().Empty());
    EXPECT_FALSE(CountryWatch().Matches(224));
    // The same country twice, and one of several.
    const CountryWatch twice(file, "OH oh OH0");
    EXPECT_TRUE(twice.Matches(224));
    EXPECT_TRUE(twice.Matches(5));
    EXPECT_FALSE(twice.Matches(167));
}

}  // namespace
