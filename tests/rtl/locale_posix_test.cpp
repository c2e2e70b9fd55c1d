// The POSIX stand-in's time zone call: a local time to UTC under the rules of
// its own date, in Finnish time given as a POSIX TZ rule (EET, EEST from the
// last Sunday of March 03:00 to the last Sunday of October 04:00).
#include "platform/posix/locale_posix.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

TEST(PosixLocale, LocalTimesGoToUtcWithTheRulesOfTheirOwnDate) {
    setenv("TZ", "EET-2EEST,M3.5.0/3,M10.5.0/4", 1);
    tzset();
    const struct {
        LocalTime local, utc;
    } cases[] = {
        {{2027, 1, 20, 9, 15, 30}, {2027, 1, 20, 7, 15, 30}},
        {{2027, 8, 2, 1, 5, 0}, {2027, 8, 1, 22, 5, 0}},       // summer, the day before in UTC
        {{2027, 3, 28, 2, 59, 59}, {2027, 3, 28, 0, 59, 59}},  // the last second of winter time
        {{2027, 3, 28, 4, 0, 0}, {2027, 3, 28, 1, 0, 0}},
        {{2028, 3, 1, 0, 30, 0}, {2028, 2, 29, 22, 30, 0}},
        {{2027, 10, 31, 3, 30, 0}, {2027, 10, 31, 0, 30, 0}},  // the repeated hour: either pass
    };
    PosixLocale locale;
    for (const auto& c : cases) {
        LocalTime utc;
        ASSERT_TRUE(locale.TzSpecificLocalTimeToSystemTime(nullptr, c.local, &utc));
        const int hours = utc.hour - c.utc.hour;
        EXPECT_TRUE(hours == 0 || (c.local.month == 10 && hours == 1)) << c.local.day;
        EXPECT_EQ(
            std::vector<int>({utc.year, utc.month, utc.day, utc.minute, utc.second}),
            std::vector<int>({c.utc.year, c.utc.month, c.utc.day, c.utc.minute, c.utc.second}));
    }
    unsetenv("TZ");
    tzset();
}

}  // namespace
