// What a log has worked: the QSO's country (DXCC field or call), its band
// (BAND or FREQ), confirmed QSOs apart, and new country vs new band.
#include "spots/log_needs.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// A small made-up country list: calls by their first two letters.
const std::map<std::string, int> kPrefixes = {{"OH", 224}, {"DL", 230}, {"G3", 223}};

std::optional<int> CountryOf(const std::string& call) {
    const auto found = kPrefixes.find(call.substr(0, 2));
    if (found == kPrefixes.end()) return std::nullopt;
    return found->second;
}

bool Known(int dxcc) {
    return dxcc == 224 || dxcc == 230 || dxcc == 223 || dxcc == 5;
}

AdifRecord Qso(const std::string& call, const std::string& band = "",
               const std::string& freq = "") {
    AdifRecord qso;
    qso.call = call;
    qso.band = band;
    qso.freq = freq;
    return qso;
}

class LogNeedsTest : public ::testing::Test {
  protected:
    void Add(const AdifRecord& qso) { needs.Add(qso, CountryOf, Known); }
    LogNeeds needs;
};

TEST_F(LogNeedsTest, AnEmptyLogNeedsEverything) {
    EXPECT_TRUE(needs.IsNewCountry(224, false));
    EXPECT_TRUE(needs.IsNewCountry(224, true));
    // A new country is not also a new band.
    EXPECT_FALSE(needs.IsNewBand(224, Band::k20m, false));
    EXPECT_TRUE(needs.IsNewCountry(-1, false));
    EXPECT_TRUE(needs.IsNewCountry(99999, false));
}

TEST_F(LogNeedsTest, TheDxccFieldWinsOverTheCall) {
    AdifRecord qso = Qso("OH2BH/P", "20m");
    qso.dxcc = "5";  // Aland, though the call says Finland
    Add(qso);
    EXPECT_FALSE(needs.IsNewCountry(5, false));
    EXPECT_TRUE(needs.IsNewCountry(224, false));
}

TEST_F(LogNeedsTest, AnUnknownOrBadDxccFallsBackToTheCall) {
    for (const char* dxcc : {"999", "x", "", "22 4", "-5", "12345"}) {
        LogNeeds one;
        AdifRecord qso = Qso("OH2BH", "20m");
        qso.dxcc = dxcc;
        one.Add(qso, CountryOf, Known);
        EXPECT_FALSE(one.IsNewCountry(224, false)) << dxcc;
        EXPECT_TRUE(one.IsNewCountry(999, false)) << dxcc;
    }
    AdifRecord padded = Qso("OH2BH");
    padded.dxcc = " 230 ";
    Add(padded);
    EXPECT_FALSE(needs.IsNewCountry(230, false));
}

TEST_F(LogNeedsTest, NoCountryAddsNothing) {
    Add(Qso("ZZ9ZZ", "20m"));
    Add(Qso("", "20m"));
    EXPECT_EQ(needs.QsoCount(), 2u);
    EXPECT_EQ(needs.WithoutCountry(), 2u);
    LogNeeds outside;
    outside.Add(
        Qso("OH1A"), [](const std::string&) { return std::optional<int>(1024); }, Known);
    EXPECT_EQ(outside.WithoutCountry(), 1u);
    EXPECT_TRUE(outside.IsNewCountry(1024, false));
    LogNeeds top;
    top.Add(
        Qso("OH1A"), [](const std::string&) { return std::optional<int>(1023); }, Known);
    EXPECT_FALSE(top.IsNewCountry(1023, false));
}

TEST_F(LogNeedsTest, BandFromBandFieldElseFreq) {
    Add(Qso("OH1A", "20M", "7.025"));  // BAND preferred over FREQ
    EXPECT_FALSE(needs.IsNewBand(224, Band::k20m, false));
    EXPECT_TRUE(needs.IsNewBand(224, Band::k40m, false));
    Add(Qso("DL1A", "", "7.025"));
    EXPECT_FALSE(needs.IsNewBand(230, Band::k40m, false));
    Add(Qso("DL1A", "11m", "3.510"));  // a BAND naming no band: FREQ
    EXPECT_FALSE(needs.IsNewBand(230, Band::k80m, false));
    // No band at all: the country is worked, every band still new.
    Add(Qso("G3AB", "", "13.5"));
    EXPECT_FALSE(needs.IsNewCountry(223, false));
    EXPECT_TRUE(needs.IsNewBand(223, Band::k20m, false));
}

TEST_F(LogNeedsTest, NewBandAndNewCountryEachAlone) {
    Add(Qso("OH1A", "20m"));
    // Worked country, worked band: neither.
    EXPECT_FALSE(needs.IsNewCountry(224, false));
    EXPECT_FALSE(needs.IsNewBand(224, Band::k20m, false));
    // Worked country, other band: only a new band.
    EXPECT_FALSE(needs.IsNewCountry(224, false));
    EXPECT_TRUE(needs.IsNewBand(224, Band::k15m, false));
    // Other country: only a new country.
    EXPECT_TRUE(needs.IsNewCountry(230, false));
    EXPECT_FALSE(needs.IsNewBand(230, Band::k20m, false));
    // The highest band's bit is its own.
    Add(Qso("OH1A", "submm"));
    EXPECT_FALSE(needs.IsNewBand(224, Band::kSubmm, false));
    EXPECT_TRUE(needs.IsNewBand(224, Band::k1mm, false));
}

TEST_F(LogNeedsTest, ConfirmedByQslOrLotwEachAlone) {
    AdifRecord paper = Qso("OH1A", "20m");
    paper.qslRcvd = "Y";
    Add(paper);
    AdifRecord lotw = Qso("DL1A", "40m");
    lotw.lotwQslRcvd = "y";
    Add(lotw);
    AdifRecord neither = Qso("G3AB", "15m");
    neither.qslRcvd = "N";
    neither.lotwQslRcvd = "R";
    Add(neither);
    AdifRecord requested = Qso("OH1A", "40m");
    requested.qslRcvd = "YES";
    Add(requested);

    EXPECT_FALSE(needs.IsNewCountry(224, true));
    EXPECT_FALSE(needs.IsNewCountry(230, true));
    EXPECT_TRUE(needs.IsNewCountry(223, true));
    EXPECT_FALSE(needs.IsNewCountry(223, false));
    // Bands confirmed apart from countries: OH on 40m only worked.
    EXPECT_FALSE(needs.IsNewBand(224, Band::k20m, true));
    EXPECT_TRUE(needs.IsNewBand(224, Band::k40m, true));
    EXPECT_FALSE(needs.IsNewBand(224, Band::k40m, false));
    EXPECT_FALSE(needs.IsNewBand(230, Band::k40m, true));
}

}  // namespace
