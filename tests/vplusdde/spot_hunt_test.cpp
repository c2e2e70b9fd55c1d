#include "vplusdde/spot_hunt.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "asetus/settings_folder.h"
#include "spots/watch_list.h"

namespace {

const char* const kCountries =
    "OH,Finland,224,EU,15,18,63.78,-27.08,-2.0,OF OG OH OI;\r\n"
    "VP8,Falkland Islands,141,SA,13,16,-51.63,58.72,4.0,VP8;\r\n"
    "*IT9,Sicily,248,EU,15,28,37.50,-14.00,-1.0,IT9;\r\n"
    "I,Italy,248,EU,15,28,42.82,-12.58,-1.0,I;\r\n";

std::string Row(const std::string& freq, const std::string& dx) {
    std::string row(42, ' ');
    row.replace(6 - freq.size(), freq.size(), freq);
    row.replace(7, dx.size(), dx);
    return row;
}

std::string Qso(const std::string& call, const std::string& band) {
    return "<CALL:" + std::to_string(call.size()) + ">" + call +
           "<BAND:" + std::to_string(band.size()) + ">" + band + "<EOR>\r\n";
}

class SpotHuntTest : public ::testing::Test {
  protected:
    SettingsFolder folder;  // the working folder, where cty.csv is looked for first
    std::vector<std::string> reports;
    SpotHunt hunt{folder.Files(), [this](const std::string& text) { reports.push_back(text); }};
    WatchList calls;

    HuntSettings Settings(const std::string& adifPath) {
        HuntSettings settings;
        settings.calls = &calls;
        settings.adifPath = adifPath;
        settings.options.newCountry = true;
        return settings;
    }
    void ReadLog() {
        for (int slices = 0; hunt.StepLog(); ++slices) ASSERT_LT(slices, 100);
    }
};

TEST_F(SpotHuntTest, WithoutACountryFileCountriesAreOffAndNoBoxComes) {
    hunt.LoadCountries();
    EXPECT_TRUE(reports.empty());
    EXPECT_FALSE(hunt.HasCountries());
    EXPECT_EQ(hunt.CountryStatus(), kNoCountryFileText);
    EXPECT_FALSE(hunt.FirstUnknownCountry("XX9"));  // kept as typed: nothing to check against
    HuntSettings settings = Settings("");
    settings.showCountry = true;
    hunt.TakeSettings(settings);
    const SpotMarks marks = hunt.Marks(Row("14025", "OH2BH"));
    EXPECT_FALSE(marks.dxcc);
    EXPECT_EQ(hunt.LineTail(marks), "");
}

TEST_F(SpotHuntTest, BrokenLinesAreNamedInOneBoxAndTheRestIsUsed) {
    SettingsFolder::Put(std::string(kCountries) + "XX,Broken\r\n" + "OH0,Aland,5,EU,15,18\r\n",
                        "cty.csv");
    hunt.LoadCountries();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("cty.csv"), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("rivit 5, 6 "), std::string::npos) << reports[0];
    EXPECT_EQ(hunt.CountryStatus(), "Maatiedosto: cty.csv");
    hunt.TakeSettings(Settings(""));
    EXPECT_EQ(hunt.Marks(Row("14025", "OH2BH")).dxcc, 224);
    EXPECT_EQ(hunt.FirstUnknownCountry("vp8, OH0 OH"), "OH0");
}

TEST_F(SpotHuntTest, TheCountryNameIsShownOnlyWhenAskedAndIsTheDxccOne) {
    SettingsFolder::Put(kCountries, "cty.csv");
    hunt.LoadCountries();
    HuntSettings settings = Settings("");
    hunt.TakeSettings(settings);
    const SpotMarks sicily = hunt.Marks(Row("14025", "IT9ABC"));
    EXPECT_EQ(hunt.LineTail(sicily), "");
    settings.showCountry = true;
    hunt.TakeSettings(settings);
    EXPECT_EQ(hunt.LineTail(sicily), "  Italy");
    EXPECT_EQ(hunt.LineTail(hunt.Marks(Row("14025", "Q1AAA"))), "");  // no country
}

TEST_F(SpotHuntTest, AQsoAddedToTheLogCountsAtTheNextLook) {
    SettingsFolder::Put(kCountries, "cty.csv");
    hunt.LoadCountries();
    SettingsFolder::Put("Oma loki\r\n<EOH>\r\n" + Qso("OH2BH", "20m"), "loki.adi");
    hunt.TakeSettings(Settings("loki.adi"));
    EXPECT_FALSE(hunt.Marks(Row("14025", "VP8LP")).newCountry);  // not read yet: no news
    ReadLog();
    EXPECT_TRUE(hunt.Marks(Row("14025", "VP8LP")).newCountry);
    EXPECT_FALSE(hunt.Marks(Row("14025", "OH1AA")).newCountry);
    EXPECT_EQ(hunt.LogStatus(), "Luettu 1 yhteytt\xE4, ohitettu 0.");
    SettingsFolder::Put("Oma loki\r\n<EOH>\r\n" + Qso("OH2BH", "20m") + Qso("VP8LP", "20m") +
                            "<CALL:99>broken<EOR>",
                        "loki.adi");
    ReadLog();
    EXPECT_FALSE(hunt.Marks(Row("14025", "VP8LP")).newCountry);
    EXPECT_EQ(hunt.LogStatus(), "Luettu 2 yhteytt\xE4, ohitettu 1.");
    EXPECT_TRUE(reports.empty());
}

TEST_F(SpotHuntTest, ALogThatCannotBeOpenedIsReportedOnceAndNothingIsNew) {
    SettingsFolder::Put(kCountries, "cty.csv");
    hunt.LoadCountries();
    hunt.TakeSettings(Settings("puuttuu.adi"));
    ReadLog();
    ReadLog();
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_NE(reports.at(0).find("puuttuu.adi"), std::string::npos);
    EXPECT_EQ(hunt.LogStatus(), reports.at(0));  // the dialog still says why
    EXPECT_FALSE(hunt.Marks(Row("14025", "VP8LP")).newCountry);
    // The same path again follows on; another path starts afresh.
    SettingsFolder::Put(Qso("OH2BH", "20m"), "loki.adi");
    hunt.TakeSettings(Settings("loki.adi"));
    ReadLog();
    EXPECT_TRUE(hunt.Marks(Row("14025", "VP8LP")).newCountry);
}

// The file is read only once an option asks for it, each option alone; a log
// path alone asks for nothing: without "Uusi maa" or "Uusi bandi" the log is
// not followed.
TEST_F(SpotHuntTest, TheCountryFileIsReadOnlyWhenAnOptionNeedsIt) {
    SettingsFolder::Put(std::string(kCountries) + "broken\r\n", "cty.csv");
    SettingsFolder::Put(Qso("OH2BH", "20m"), "loki.adi");
    const auto reportsFor = [this](const std::function<void(HuntSettings&)>& set) {
        SpotHunt fresh(folder.Files(),
                       [this](const std::string& text) { reports.push_back(text); });
        reports.clear();
        HuntSettings settings;
        settings.calls = &calls;
        set(settings);
        fresh.TakeSettings(settings);
        while (fresh.StepLog()) {
        }
        return std::make_pair(reports.size(), fresh.LogStatus());
    };
    using Seen = std::pair<std::size_t, std::string>;
    EXPECT_EQ(reportsFor([](HuntSettings&) {}), (Seen{0, ""}));
    EXPECT_EQ(reportsFor([](HuntSettings& s) { s.adifPath = "loki.adi"; }), (Seen{0, ""}));
    EXPECT_EQ(reportsFor([](HuntSettings& s) { s.countryText = " , "; }), (Seen{0, ""}));
    EXPECT_EQ(reportsFor([](HuntSettings& s) { s.showCountry = true; }), (Seen{1, ""}));
    EXPECT_EQ(reportsFor([](HuntSettings& s) { s.countryText = "OH"; }), (Seen{1, ""}));
    const std::string read = "Luettu 1 yhteytt\xE4, ohitettu 0.";
    EXPECT_EQ(reportsFor([](HuntSettings& s) {
                  s.adifPath = "loki.adi";
                  s.options.newCountry = true;
              }),
              (Seen{1, read}));
    EXPECT_EQ(reportsFor([](HuntSettings& s) {
                  s.adifPath = "loki.adi";
                  s.options.newBand = true;
              }),
              (Seen{1, read}));
    // Before it is read the dialog still says where it is, or that it is not.
    EXPECT_EQ(hunt.CountryStatus(), "Maatiedosto: cty.csv");
    std::filesystem::remove("cty.csv");
    EXPECT_EQ(hunt.CountryStatus(), kNoCountryFileText);
    hunt.SetProgramFolder("/usr/share/hamradio-files");
    EXPECT_EQ(hunt.CountryStatus(), "Maatiedosto: /usr/share/hamradio-files/cty.csv");
}

}  // namespace
