// A call's country on the real country file: each step of the rule with an
// example that only that step decides.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "spots/country_file.h"

namespace {

// DXCC numbers of the real file.
constexpr int kUnitedStates = 291;
constexpr int kGuantanamo = 105;
constexpr int kFinland = 224;
constexpr int kAland = 5;
constexpr int kEuropeanRussia = 54;
constexpr int kAsiaticRussia = 15;
constexpr int kEastMalaysia = 46;
constexpr int kFrance = 227;
constexpr int kEngland = 223;
constexpr int kAnguilla = 12;
constexpr int kHawaii = 110;
constexpr int kScotland = 279;
constexpr int kSpratly = 247;
constexpr int kPhilippines = 375;
constexpr int kFalklands = 141;
constexpr int kSouthGeorgia = 235;
constexpr int kItaly = 248;
constexpr int kAustria = 206;
constexpr int kMarketReef = 167;

const CountryFile& RealFile() {
    static const CountryFile file = [] {
        std::ifstream in(VARELI_CTY_CSV, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        return CountryFile::Parse(text);
    }();
    return file;
}

void ExpectCountry(const std::vector<std::string>& calls, std::optional<int> expected) {
    for (const std::string& call : calls) EXPECT_EQ(RealFile().DxccOf(call), expected) << call;
}

TEST(CountryRule, TheRealFileIsWholeAndNamesItsCountries) {
    ASSERT_FALSE(RealFile().Empty()) << VARELI_CTY_CSV;
    EXPECT_TRUE(RealFile().BrokenLines().empty());
    ASSERT_NE(RealFile().NameOf(kAland), nullptr);
    EXPECT_EQ(*RealFile().NameOf(kAland), "Aland Islands");
}

// 1. The call as written, when an exact call, wins over every later step:
// "N2NL/MM" would otherwise be maritime mobile, "VP8GEO" the Falklands.
TEST(CountryRule, AnExactCallAsWrittenComesFirst) {
    ExpectCountry({"N2NL/MM", "n2nl/mm", "YL3IZ/MM"}, kUnitedStates);
    ExpectCountry({"VP8GEO", "vp8geo"}, kSouthGeorgia);
    ExpectCountry({"VP8GEP", "VP8GE"}, kFalklands);
}

// 2. "MM" or "AM" after the own call: no country; "/M" keeps it; before
// the own call "MM" is a prefix like any other (Scotland).
TEST(CountryRule, MaritimeAndAeronauticalMobileAfterTheOwnCallHaveNoCountry) {
    ExpectCountry({"OH2BH/MM", "OH2BH/AM", "VP2E/OH2BH/MM", "OH2BH/P/AM", "OH2BH/mm"},
                  std::nullopt);
    ExpectCountry({"OH2BH/M", "OH2BH/MMM", "OH2BH/A"}, kFinland);
    ExpectCountry({"MM/OH2BH"}, kScotland);
}

// 3. A lone digit after the own call replaces its area digit, the last one;
// any other part after it without letters and digits is dropped.
TEST(CountryRule, ALoneDigitMovesTheOwnCallsAreaOtherSuffixesAreDropped) {
    ExpectCountry({"OH2BH/0", "oh2bh/0", "OH2BH/P/0"}, kAland);
    ExpectCountry({"UA1ABC/9"}, kAsiaticRussia);
    ExpectCountry({"UA1ABC", "UA1ABC/33"}, kEuropeanRussia);
    // The last digit: the first would make 6M2AB, Korea.
    ExpectCountry({"9M2AB/6"}, kEastMalaysia);
    ExpectCountry({"OH2BH/P", "OH2BH/M", "OH2BH/QRP", "OH2BH/LH", "OH2BH/33", "OH2BH/00", "OH2BH/"},
                  kFinland);
}

// 4. Of the other parts, the shortest (the first of equal ones) names the
// country, not the own call; without any, the own call as changed.
TEST(CountryRule, TheShortestOtherPartNamesThePlace) {
    ExpectCountry({"F/OH2BH", "f/oh2bh", "KH6/F/OH2BH", "F/G/OH2BH", "F/OH2BH/P"}, kFrance);
    ExpectCountry({"G/F/OH2BH"}, kEngland);
    ExpectCountry({"VP2E/OH2BH/P", "VP2E/OH2BH/0"}, kAnguilla);
    ExpectCountry({"OH2BH/KH6", "OH2BH/KH6/P", "KH6/OH2BH"}, kHawaii);
}

// 5. The looked-up text as an exact call, the KG4 rule, the longest prefix.
TEST(CountryRule, TheTextIsAnExactCallAKg4CallOrItsLongestPrefix) {
    // DX is the Philippines' prefix; DX0JP an exact call of Spratly.
    ExpectCountry({"DX0JP/P", "DX0JP/QRP"}, kSpratly);
    ExpectCountry({"DX0JQ/P", "DX1ABC"}, kPhilippines);
    ExpectCountry({"KG4AB", "KG4ZZ", "KG4AB/P", "KG44WW", "KG4"}, kGuantanamo);
    ExpectCountry({"KG4A", "KG4ABC", "KG4ABC/P", "KG4A1", "KG41A"}, kUnitedStates);
    // The longest prefix: OH0 over OH, OJ0 over OJ.
    ExpectCountry({"OH0ABC", "oh0abc"}, kAland);
    ExpectCountry({"OH1ABC", "OJ1ABC"}, kFinland);
    ExpectCountry({"OJ0ABC", "OJ0/OH2BH"}, kMarketReef);
}

// A "*" entry counts as its DXCC country, in the lookup and in the name.
TEST(CountryRule, OtherAwardsEntriesCountAsTheirDxccCountry) {
    ExpectCountry({"IT9ABC", "IG9ABC", "I1ABC"}, kItaly);
    ExpectCountry({"4U1A", "OE1ABC"}, kAustria);
    ASSERT_NE(RealFile().NameOf(kItaly), nullptr);
    EXPECT_EQ(*RealFile().NameOf(kItaly), "Italy");
    EXPECT_EQ(*RealFile().NameOf(kAustria), "Austria");
    EXPECT_EQ(*RealFile().NameOf(kScotland), "Scotland");
    EXPECT_EQ(RealFile().DxccOfPrimaryPrefix("IT9"), kItaly);
    EXPECT_EQ(RealFile().DxccOfPrimaryPrefix("it9"), kItaly);
    EXPECT_EQ(RealFile().DxccOfPrimaryPrefix("VP8/g"), kSouthGeorgia);
    EXPECT_EQ(RealFile().DxccOfPrimaryPrefix("vp8/G"), kSouthGeorgia);
    EXPECT_EQ(RealFile().DxccOfPrimaryPrefix("VP8"), kFalklands);
    EXPECT_EQ(RealFile().DxccOfPrimaryPrefix("OJ0"), kMarketReef);
    EXPECT_EQ(RealFile().DxccOfPrimaryPrefix("3Y/b"), 24);
    EXPECT_EQ(RealFile().DxccOfPrimaryPrefix("VP8/"), std::nullopt);
    EXPECT_EQ(RealFile().DxccOfPrimaryPrefix("*IT9"), std::nullopt);
    EXPECT_EQ(RealFile().DxccOfPrimaryPrefix(""), std::nullopt);
}

// No prefix starts it, or there is nothing to look up.
TEST(CountryRule, CallsWithoutACountry) {
    ExpectCountry({"", "/", "//", "Q1ABC", "0", "1ABC/MM", "XX"}, std::nullopt);
}

}  // namespace
