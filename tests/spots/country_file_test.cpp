// The country file's parser on made-up files: which lines are broken (each
// kind alone), what an item's overrides are, line ends, "*" entries' numbers
// and names.
#include "spots/country_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kFinland = "OH,Finland,224,EU,15,18,61.38,-24.82,-2.0,OH OF =OH1AF/LH;";
const std::string kAland = "OH0,Aland Islands,5,EU,15,18,60.13,-20.37,-2.0,OH0 OF0;";

// A good line, each with a prefix of its own, "Q" and the line's letter.
std::string Good(char letter) {
    return std::string("Q") + letter + ",Country " + letter + ",9" + std::to_string(letter - 'A') +
           ",EU,15,18,1.5,-2,0.0,Q" + letter + ";";
}

TEST(CountryFile, EachKindOfBrokenLineAloneIsLeftOutAndNumbered) {
    const std::vector<std::string> lines{
        Good('A'),
        "QB,Country B,91,EU,15,18,1.5,-2,0.0,QB",                                // 2: no ";"
        "QC,Country C,92,EU,15,18,1.5,-2,QC;",                                   // 3: nine fields
        "QD,Country D,9x,EU,15,18,1.5,-2,0.0,QD;",                               // 4: DXCC number
        "QE,Country E,94,EU,1 5,18,1.5,-2,0.0,QE;",                              // 5: CQ zone
        "QF,Country F,95,EU,15,,1.5,-2,0.0,QF;",                                 // 6: ITU zone
        "QG,Country G,96,EU,15,18,1.5.1,-2,0.0,QG;",                             // 7: latitude
        "QH,Country H,97,EU,15,18,1.5,-,0.0,QH;",                                // 8: longitude
        "QI,Country I,98,EU,15,18,1.5,-2,five,QI;",                              // 9: UTC offset
        "QJ,Country\x01\x02J,99,EU,15,18,1.5,-2,0.0,QJ;",                        // 10: binary junk
        "QK,Country K" + std::string(1, '\0') + ",100,EU,15,18,1.5,-2,0.0,QK;",  // 11: NUL
        "QL,Country L,101,EU,15,18,1.5,-2,0.0,;",          // 12: empty prefix list
        "QM,Country M,102,EU,15,18,1.5,-2,0.0,QM Q\xE4;",  // 13: an item of no call
        ",Country N,103,EU,15,18,1.5,-2,0.0,QN;",          // 14: no primary prefix
        "QO,,104,EU,15,18,1.5,-2,0.0,QO;",                 // 15: no name
        "QP,Country P,0,EU,15,18,1.5,-2,0.0,QP;",          // 16: entity 0
        "QR,Country R,123456,EU,15,18,1.5,-2,0.0,QR;",     // 17: too many digits
        "QS,Country S,106,EU,15,18,1.5,-2,0.0,=;",         // 18: "=" without a call
        "QT,Country T,107,EU,15,18,1.5,-2,0.0,QT ; QT2",   // 19: text after ";"
        Good('Z'),
    };
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    const CountryFile file = CountryFile::Parse(text);
    EXPECT_EQ(file.BrokenLines(),
              (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}));
    // The good lines are used, a broken one adds nothing.
    EXPECT_EQ(file.DxccOf("QA1X"), 90);
    EXPECT_EQ(file.DxccOf("QZ1X"), 925);
    for (const char* call : {"QB1X", "QD1X", "QJ1X", "QK1X", "QM1X", "QT1X"})
        EXPECT_EQ(file.DxccOf(call), std::nullopt) << call;
    EXPECT_FALSE(file.KnowsDxcc(91));
    EXPECT_EQ(file.NameOf(94), nullptr);
    EXPECT_EQ(file.DxccOfPrimaryPrefix("QB"), std::nullopt);
}

TEST(CountryFile, TheSameLinesAreGoodWithTheirFaultMended) {
    // Signs, blanks around fields, a whole-number place and a tab between
    // items are all as the format allows.
    const CountryFile file = CountryFile::Parse(
        "QB,Country B,91,EU,15,18,+1.5,-2.,0,QB\t=QB1ABC ;\n"
        " QC , Country C , 92 ,EU, 15 ,18 ,1 ,-2 ,0 , QC ;\n");
    EXPECT_TRUE(file.BrokenLines().empty());
    EXPECT_EQ(file.DxccOf("QB1X"), 91);
    EXPECT_EQ(file.DxccOf("QC1X"), 92);
    ASSERT_NE(file.NameOf(92), nullptr);
    EXPECT_EQ(*file.NameOf(92), "Country C");
}

// What follows an item in brackets of any kind is no part of it.
TEST(CountryFile, OverridesAfterAnItemAreStripped) {
    const CountryFile file = CountryFile::Parse(
        "K,United States,291,NA,5,8,37.60,91.87,5.0,K AA0(4)[7] =N2NL/MM(7) AB<40.0/-90.0> "
        "AC{OC} AD~-6.0~ =W1AW[8](5);\n");
    EXPECT_TRUE(file.BrokenLines().empty());
    for (const char* call : {"AA0ABC", "N2NL/MM", "AB1ABC", "AC1ABC", "AD1ABC", "W1AW"})
        EXPECT_EQ(file.DxccOf(call), 291) << call;
    // The override is no prefix, nor "(" part of the call.
    EXPECT_EQ(file.DxccOf("N2NL/MM(7)"), std::nullopt);
    EXPECT_EQ(file.DxccOf("N2NL/AM"), std::nullopt);
}

TEST(CountryFile, LineEndsBlankLinesAndAByteOrderMark) {
    // CR LF, a blank line, one of blanks, and a last line without a line end.
    const CountryFile file =
        CountryFile::Parse(kFinland + "\r\n\r\n  \t\r\n" + "broken\r\n" + kAland);
    EXPECT_EQ(file.BrokenLines(), std::vector<int>{4});
    EXPECT_EQ(file.DxccOf("OH2BH"), 224);
    EXPECT_EQ(file.DxccOf("OH0X"), 5);
    EXPECT_EQ(file.DxccOf("OF0X"), 5);
    // The CR is no part of the last item before it.
    EXPECT_EQ(file.DxccOf("OH1AF/LH"), 224);

    const CountryFile lf = CountryFile::Parse(kFinland + "\n" + kAland + "\n");
    EXPECT_TRUE(lf.BrokenLines().empty());
    EXPECT_EQ(lf.DxccOf("OF0X"), 5);

    const CountryFile marked = CountryFile::Parse("\xEF\xBB\xBF" + kAland);
    EXPECT_TRUE(marked.BrokenLines().empty());
    EXPECT_EQ(marked.DxccOfPrimaryPrefix("OH0"), 5);
}

TEST(CountryFile, AFileWithoutAUsableCountryIsEmpty) {
    EXPECT_TRUE(CountryFile().Empty());
    EXPECT_TRUE(CountryFile::Parse("").Empty());
    EXPECT_TRUE(CountryFile::Parse("\r\n\n").Empty());
    const CountryFile broken = CountryFile::Parse("junk\nmore junk");
    EXPECT_TRUE(broken.Empty());
    EXPECT_EQ(broken.BrokenLines(), (std::vector<int>{1, 2}));
    EXPECT_EQ(broken.DxccOf("OH2BH"), std::nullopt);
    EXPECT_FALSE(CountryFile::Parse(kAland).Empty());
}

// A "*" entry's calls count as the DXCC country of its number, whose name is
// the entry without "*" wherever it stands; a "*" entry's name only when the
// file has no other.
TEST(CountryFile, OtherAwardsEntriesTakeTheDxccNumberAndName) {
    const std::string italy = "I,Italy,248,EU,15,28,42.82,-12.58,-1.0,I;";
    const std::string sicily = "*IT9,Sicily,248,EU,15,28,37.50,-14.00,-1.0,IT9 =II0OGB;";
    const std::string africa = "*IG9,African Italy,248,AF,33,37,35.67,-12.67,-1.0,IG9;";
    for (const auto& order : {std::vector<std::string>{italy, sicily, africa},
                              std::vector<std::string>{sicily, italy, africa},
                              std::vector<std::string>{sicily, africa, italy}}) {
        std::string text;
        for (const std::string& line : order) text.append(line).append("\n");
        const CountryFile file = CountryFile::Parse(text);
        EXPECT_EQ(file.DxccOf("IT9ABC"), 248);
        EXPECT_EQ(file.DxccOf("II0OGB"), 248);
        EXPECT_EQ(file.DxccOfPrimaryPrefix("IT9"), 248);
        EXPECT_EQ(file.DxccOfPrimaryPrefix("ig9"), 248);
        ASSERT_NE(file.NameOf(248), nullptr);
        EXPECT_EQ(*file.NameOf(248), "Italy") << text;
    }
    std::string starsText = sicily;
    starsText.append("\n").append(africa);
    const CountryFile starsOnly = CountryFile::Parse(starsText);
    ASSERT_NE(starsOnly.NameOf(248), nullptr);
    EXPECT_EQ(*starsOnly.NameOf(248), "Sicily");
    EXPECT_TRUE(starsOnly.KnowsDxcc(248));
    EXPECT_FALSE(starsOnly.KnowsDxcc(249));
}

// Rule steps that the real file cannot show alone.
TEST(CountryFile, TheAreaDigitIsTheLastOneFollowedOnlyByLetters) {
    const CountryFile file = CountryFile::Parse(kFinland + "\n" + kAland + "\n" +
                                                "K,United States,291,NA,5,8,37.60,91.87,5.0,K;");
    // A character of no call after the last digit: no area to change.
    EXPECT_EQ(file.DxccOf("OH2-BH/0"), 224);
    EXPECT_EQ(file.DxccOf("OH2BH/0"), 5);
    // Without a "K" entry the KG4 rule has no country to give; the prefix
    // decides.
    EXPECT_EQ(file.DxccOf("KG4ABC"), 291);
    const CountryFile noUsa =
        CountryFile::Parse("KG4,Guantanamo Bay,105,NA,8,11,20.00,75.00,5.0,KG4;");
    EXPECT_EQ(noUsa.DxccOf("KG4ABC"), 105);
    EXPECT_EQ(noUsa.DxccOf("KG4AB"), 105);
}

}  // namespace
