#include "spots/spot_marks.h"

#include <gtest/gtest.h>

#include "spots/country_file.h"
#include "spots/country_watch.h"
#include "spots/log_needs.h"
#include "spots/watch_list.h"

namespace {

const char* const kCountries =
    "OH,Finland,224,EU,15,18,63.78,-27.08,-2.0,OF OG OH OI;\n"
    "OH0,Aland Islands,5,EU,15,18,60.13,-20.37,-2.0,OF0 OG0 OH0 OI0;\n"
    "VP8,Falkland Islands,141,SA,13,16,-51.63,58.72,4.0,VP8;\n"
    "VP8/g,South Georgia Island,235,SA,13,73,-54.48,37.08,2.0,=VP8GEO;\n";

// A spot row in the decoder's columns: frequency, DX call, comment, spotter.
std::string Row(const std::string& freq, const std::string& dx) {
    std::string row(42, ' ');
    row.replace(6 - freq.size(), freq.size(), freq);
    row.replace(7, dx.size(), dx);
    row.replace(29, 5, "OH2XX");
    return row;
}

AdifRecord Qso(const std::string& call, const std::string& band, const std::string& qsl = "") {
    AdifRecord qso;
    qso.call = call;
    qso.band = band;
    qso.qslRcvd = qsl;
    return qso;
}

class SpotMarksTest : public ::testing::Test {
  protected:
    CountryFile countries = CountryFile::Parse(kCountries);
    WatchList calls{"3Y0J"};
    CountryWatch noCountries;
    LogNeeds log;
    HuntContext context;

    void SetUp() override {
        context.calls = &calls;
        context.countries = &countries;
        context.watchedCountries = &noCountries;
        context.log = &log;
    }
    void Worked(const std::string& call, const std::string& band, const std::string& qsl = "") {
        log.Add(
            Qso(call, band, qsl), [this](const std::string& c) { return countries.DxccOf(c); },
            [this](int dxcc) { return countries.KnowsDxcc(dxcc); });
    }
    SpotMarks Marks(const std::string& freq, const std::string& dx) {
        return MarkSpot(Row(freq, dx), context);
    }
};

TEST_F(SpotMarksTest, CallsAndCountriesAreWatchedEachAlone) {
    EXPECT_TRUE(Marks("14025", "3Y0J").watched);
    EXPECT_FALSE(Marks("14025", "VP8GEO").watched);
    const CountryWatch georgia(countries, "vp8/g");
    context.watchedCountries = &georgia;
    EXPECT_TRUE(Marks("14025", "VP8GEO").watched);
    EXPECT_FALSE(Marks("14025", "VP8LP").watched);  // the Falklands, not South Georgia
    // Without a country file the call list still counts, countries do not.
    context.countries = nullptr;
    EXPECT_TRUE(Marks("14025", "3Y0J").watched);
    const SpotMarks none = Marks("14025", "VP8GEO");
    EXPECT_FALSE(none.watched);
    EXPECT_FALSE(none.dxcc);
}

TEST_F(SpotMarksTest, ARowWithoutFrequencyOrCallIsNothing) {
    context.options.newCountry = true;
    const CountryWatch finland(countries, "OH");
    context.watchedCountries = &finland;
    const SpotMarks noFrequency = Marks("0", "OH2BH");
    EXPECT_FALSE(noFrequency.watched);
    EXPECT_FALSE(noFrequency.newCountry);
    EXPECT_FALSE(Marks("14025", "").newCountry);
}

TEST_F(SpotMarksTest, ANewCountryNeedsTheOptionAndALog) {
    Worked("OH2BH", "20M");
    context.options.newCountry = true;
    EXPECT_FALSE(Marks("14025", "OH1AA").newCountry);
    EXPECT_TRUE(Marks("14025", "OH0X").newCountry);  // Aland is a country of its own
    EXPECT_EQ(Marks("14025", "OH0X").dxcc, 5);
    context.options.newCountry = false;
    EXPECT_FALSE(Marks("14025", "OH0X").newCountry);
    context.options.newCountry = true;
    context.log = nullptr;  // not read yet: nothing is news
    EXPECT_FALSE(Marks("14025", "OH0X").newCountry);
}

TEST_F(SpotMarksTest, ANewBandIsOneOfTheTableNotWorkedForTheCountry) {
    Worked("OH2BH", "20M");
    context.options.newBand = true;
    EXPECT_FALSE(Marks("14025", "OH1AA").newBand);
    EXPECT_FALSE(Marks("14350", "OH1AA").newBand);  // the band's top
    EXPECT_FALSE(Marks("14351", "OH1AA").newBand);  // off the table: no band to need
    EXPECT_TRUE(Marks("7025", "OH1AA").newBand);
    EXPECT_FALSE(Marks("7025", "OH1AA").newCountry);  // that option is off
    // A country never worked is new on every band, with "Uusi bandi" alone too.
    EXPECT_TRUE(Marks("7025", "VP8LP").newBand);
    context.options.newBand = false;
    EXPECT_FALSE(Marks("7025", "OH1AA").newBand);
}

TEST_F(SpotMarksTest, ConfirmedOnlyCountsConfirmedQsos) {
    Worked("OH2BH", "20M");
    Worked("VP8LP", "40M", "Y");
    context.options.newCountry = true;
    context.options.newBand = true;
    context.options.confirmedOnly = true;
    EXPECT_TRUE(Marks("14025", "OH1AA").newCountry);
    EXPECT_FALSE(Marks("7025", "VP8LP").newCountry);
    EXPECT_FALSE(Marks("7025", "VP8LP").newBand);
    EXPECT_TRUE(Marks("14025", "VP8LP").newBand);
    context.options.confirmedOnly = false;
    EXPECT_FALSE(Marks("14025", "OH1AA").newCountry);
}

}  // namespace
