// The ADIF band table: each band's edges exactly, the gaps between bands, and
// the three ways a band is found (kHz, FREQ text in MHz, BAND name).
#include "spots/band_plan.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string NameOf(const std::optional<Band>& band) {
    return band ? BandName(*band) : "-";
}

TEST(BandPlan, KhzAtTheEdgesOfBands) {
    EXPECT_EQ(NameOf(BandOfKhz(1799)), "-");
    EXPECT_EQ(NameOf(BandOfKhz(1800)), "160m");
    EXPECT_EQ(NameOf(BandOfKhz(2000)), "160m");
    EXPECT_EQ(NameOf(BandOfKhz(2001)), "-");
    EXPECT_EQ(NameOf(BandOfKhz(13999)), "-");
    EXPECT_EQ(NameOf(BandOfKhz(14000)), "20m");
    EXPECT_EQ(NameOf(BandOfKhz(14350)), "20m");
    EXPECT_EQ(NameOf(BandOfKhz(14351)), "-");
    EXPECT_EQ(NameOf(BandOfKhz(136)), "2190m");
    EXPECT_EQ(NameOf(BandOfKhz(135)), "-");
    // 2190 m's edges are not whole kHz: 135.7-137.8 kHz.
    EXPECT_EQ(NameOf(BandOfFreqText("0.1357")), "2190m");
    EXPECT_EQ(NameOf(BandOfFreqText("0.135699")), "-");
    EXPECT_EQ(NameOf(BandOfFreqText("0.1378")), "2190m");
    EXPECT_EQ(NameOf(BandOfFreqText("0.137801")), "-");
    EXPECT_EQ(NameOf(BandOfKhz(28000)), "10m");
    EXPECT_EQ(NameOf(BandOfKhz(29700)), "10m");
    EXPECT_EQ(NameOf(BandOfKhz(29701)), "-");
    EXPECT_EQ(NameOf(BandOfKhz(432000)), "70cm");
    EXPECT_EQ(NameOf(BandOfKhz(7500000000)), "submm");
    EXPECT_EQ(NameOf(BandOfKhz(7500000001)), "-");
    EXPECT_EQ(NameOf(BandOfKhz(0)), "-");
    EXPECT_EQ(NameOf(BandOfKhz(-14025)), "-");
    EXPECT_EQ(NameOf(BandOfKhz(INT64_MAX)), "-");
}

TEST(BandPlan, SixAndFiveMetresMeetInsideOneKhz) {
    // 6m ends at 54000 kHz, 5m starts at 54000.001: a whole kHz is 6m, the
    // next Hz is 5m.
    EXPECT_EQ(NameOf(BandOfKhz(54000)), "6m");
    EXPECT_EQ(NameOf(BandOfKhz(54001)), "5m");
    EXPECT_EQ(NameOf(BandOfFreqText("54")), "6m");
    EXPECT_EQ(NameOf(BandOfFreqText("54.000000")), "6m");
    EXPECT_EQ(NameOf(BandOfFreqText("54.000001")), "5m");
    EXPECT_EQ(NameOf(BandOfFreqText("69.9")), "5m");
    EXPECT_EQ(NameOf(BandOfFreqText("69.900001")), "-");
}

TEST(BandPlan, FreqTextIsMhz) {
    EXPECT_EQ(NameOf(BandOfFreqText("14.025")), "20m");
    EXPECT_EQ(NameOf(BandOfFreqText("7.0")), "40m");
    EXPECT_EQ(NameOf(BandOfFreqText("7")), "40m");
    EXPECT_EQ(NameOf(BandOfFreqText("1.8")), "160m");
    EXPECT_EQ(NameOf(BandOfFreqText("1.799999")), "-");
    EXPECT_EQ(NameOf(BandOfFreqText("14.350")), "20m");
    EXPECT_EQ(NameOf(BandOfFreqText("14.350001")), "-");
    EXPECT_EQ(NameOf(BandOfFreqText(" 144.300 ")), "2m");
    EXPECT_EQ(NameOf(BandOfFreqText(".475")), "630m");
    EXPECT_EQ(NameOf(BandOfFreqText("10368.1")), "3cm");
    // Digits below the Hz are dropped, not rounded up past an edge.
    EXPECT_EQ(NameOf(BandOfFreqText("14.3500009")), "20m");
}

TEST(BandPlan, FreqTextThatIsNoNumberHasNoBand) {
    EXPECT_EQ(NameOf(BandOfFreqText("")), "-");
    EXPECT_EQ(NameOf(BandOfFreqText(".")), "-");
    EXPECT_EQ(NameOf(BandOfFreqText("-14.025")), "-");
    EXPECT_EQ(NameOf(BandOfFreqText("14,025")), "-");
    EXPECT_EQ(NameOf(BandOfFreqText("14.025.1")), "-");
    EXPECT_EQ(NameOf(BandOfFreqText("14.025MHz")), "-");
    EXPECT_EQ(NameOf(BandOfFreqText("99999999999.0")), "-");
    EXPECT_EQ(NameOf(BandOfFreqText("7500000.0")), "submm");
    EXPECT_EQ(NameOf(BandOfFreqText("7500000.001")), "-");
}

TEST(BandPlan, BandNamesInAnyCase) {
    EXPECT_EQ(NameOf(BandOfName("20M")), "20m");
    EXPECT_EQ(NameOf(BandOfName("20m")), "20m");
    EXPECT_EQ(NameOf(BandOfName("70CM")), "70cm");
    EXPECT_EQ(NameOf(BandOfName("1.25M")), "1.25m");
    EXPECT_EQ(NameOf(BandOfName("SubMM")), "submm");
    EXPECT_EQ(NameOf(BandOfName(" 2m ")), "2m");
    EXPECT_EQ(NameOf(BandOfName("2")), "-");
    EXPECT_EQ(NameOf(BandOfName("20 m")), "-");
    EXPECT_EQ(NameOf(BandOfName("11m")), "-");
    EXPECT_EQ(NameOf(BandOfName("")), "-");
}

TEST(BandPlan, EveryBandHasItsOwnNameAndEdges) {
    for (int i = 0; i < kBandCount; ++i) {
        const Band band = static_cast<Band>(i);
        EXPECT_EQ(BandOfName(BandName(band)), band) << BandName(band);
    }
    EXPECT_EQ(NameOf(BandOfKhz(472)), "630m");
    EXPECT_EQ(NameOf(BandOfKhz(504)), "560m");
    EXPECT_EQ(NameOf(BandOfKhz(5060)), "60m");
    EXPECT_EQ(NameOf(BandOfKhz(10150)), "30m");
    EXPECT_EQ(NameOf(BandOfKhz(18068)), "17m");
    EXPECT_EQ(NameOf(BandOfKhz(21450)), "15m");
    EXPECT_EQ(NameOf(BandOfKhz(24890)), "12m");
    EXPECT_EQ(NameOf(BandOfKhz(45000)), "8m");
    EXPECT_EQ(NameOf(BandOfKhz(70000)), "4m");
    EXPECT_EQ(NameOf(BandOfKhz(225000)), "1.25m");
    EXPECT_EQ(NameOf(BandOfKhz(928000)), "33cm");
    EXPECT_EQ(NameOf(BandOfKhz(1240000)), "23cm");
    EXPECT_EQ(NameOf(BandOfKhz(2450000)), "13cm");
    EXPECT_EQ(NameOf(BandOfKhz(3300000)), "9cm");
    EXPECT_EQ(NameOf(BandOfKhz(5925000)), "6cm");
    EXPECT_EQ(NameOf(BandOfKhz(24000000)), "1.25cm");
    EXPECT_EQ(NameOf(BandOfKhz(47200000)), "6mm");
    EXPECT_EQ(NameOf(BandOfKhz(75500000)), "4mm");
    EXPECT_EQ(NameOf(BandOfKhz(123000000)), "2.5mm");
    EXPECT_EQ(NameOf(BandOfKhz(149000000)), "2mm");
    EXPECT_EQ(NameOf(BandOfKhz(241000000)), "1mm");
    EXPECT_EQ(NameOf(BandOfKhz(300000000)), "submm");
    EXPECT_EQ(NameOf(BandOfKhz(299999999)), "-");
}

}  // namespace
