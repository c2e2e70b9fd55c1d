// The POSIX stand-in's time zone call: a local time to UTC under the rules of
// its own date, here in Finnish time given as a POSIX TZ rule (EET, EEST from
// the last Sunday of March 03:00 to the last Sunday of October 04:00).
#include "platform/posix/locale_posix.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

class FinnishZone {
  public:
    FinnishZone() {
        const char* was = std::getenv("TZ");
        had_ = was != nullptr;
        if (had_) was_ = was;
        setenv("TZ", "EET-2EEST,M3.5.0/3,M10.5.0/4", 1);
        tzset();
    }
    ~FinnishZone() {
        if (had_)
            setenv("TZ", was_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

  private:
    bool had_ = false;
    std::string was_;
};

std::string Text(const LocalTime& t) {
    char text[24];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

TEST(PosixLocale, LocalTimesGoToUtcWithTheRulesOfTheirOwnDate) {
    const FinnishZone zone;
    PosixLocale locale;
    const struct {
        LocalTime local;
        const char* utc;
    } cases[] = {
        {{2027, 1, 20, 9, 15, 30}, "2027-01-20 07:15:30"},
        {{2027, 8, 2, 1, 5, 0}, "2027-08-01 22:05:00"},     // summer, the day before in UTC
        {{2027, 3, 28, 2, 59, 59}, "2027-03-28 00:59:59"},  // the last second of winter time
        {{2027, 3, 28, 4, 0, 0}, "2027-03-28 01:00:00"},
        {{2028, 3, 1, 0, 30, 0}, "2028-02-29 22:30:00"},
    };
    for (const auto& c : cases) {
        LocalTime utc;
        ASSERT_TRUE(locale.TzSpecificLocalTimeToSystemTime(nullptr, c.local, &utc));
        EXPECT_EQ(Text(utc), c.utc) << Text(c.local);
    }
    // The hour the clocks repeat gives one of its two readings.
    LocalTime utc;
    ASSERT_TRUE(locale.TzSpecificLocalTimeToSystemTime(nullptr, {2027, 10, 31, 3, 30, 0}, &utc));
    EXPECT_TRUE(Text(utc) == "2027-10-31 00:30:00" || Text(utc) == "2027-10-31 01:30:00")
        << Text(utc);
}

}  // namespace
