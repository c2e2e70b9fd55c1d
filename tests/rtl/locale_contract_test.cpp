// The clock and time zone fake against the contract its real part keeps
// under wine (tests/wine/locale runs the same body on kernel32).
#include "contracts/locale_contract.h"

#include <gtest/gtest.h>

#include "fakes/fake_locale.h"

namespace {

FakeLocale InFinnishTime() {
    FakeLocale locale = FakeLocale::Finnish();
    locale.utcOffsetAt = FakeLocale::FinnishTime;
    return locale;
}

TEST(FakeLocaleContract, LocalTimesGoToUtcWithTheRulesOfTheirOwnDate) {
    FakeLocale locale = InFinnishTime();
    locale_contract::ExpectLocalTimesGoToUtcByTheirOwnDate(locale);
}

TEST(FakeLocaleContract, ReadingsItCannotConvertAreRefused) {
    FakeLocale locale = InFinnishTime();
    locale_contract::ExpectReadingsItCannotConvertAreRefused(locale);
    // Beyond the shared body: 29 February of a common year, which Windows
    // refuses (wine takes it as 1 March), and every reading on demand.
    LocalTime utc;
    EXPECT_FALSE(locale.TzSpecificLocalTimeToSystemTime(
        nullptr, locale_contract::At(2027, 2, 29, 12, 0), &utc));
    EXPECT_TRUE(locale.TzSpecificLocalTimeToSystemTime(
        nullptr, locale_contract::At(2028, 2, 29, 12, 0), &utc));
    locale.failConversions = true;
    EXPECT_FALSE(locale.TzSpecificLocalTimeToSystemTime(
        nullptr, locale_contract::At(2028, 2, 29, 12, 0), &utc));
}

}  // namespace
