// What the program relies on in the clock and time zone seam (ILocale), one
// body checked against the fake on the host (tests/rtl/locale_contract_test)
// and against kernel32 under wine (tests/wine/locale), so that the fake takes
// nothing the real conversion refuses. The locale must keep Finnish time:
// UTC+2, and UTC+3 from 03:00 on the last Sunday of March to 04:00 on the
// last Sunday of October.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/locale.h"

namespace locale_contract {

inline LocalTime At(int year, int month, int day, int hour, int minute, int second = 0,
                    int millisecond = 0) {
    LocalTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.millisecond = millisecond;
    return t;
}

inline std::vector<int> Fields(const LocalTime& t) {
    return {t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond};
}

// A logged local time goes to UTC with the rules of its own date.
inline void ExpectLocalTimesGoToUtcByTheirOwnDate(ILocale& locale) {
    const struct {
        LocalTime local;
        LocalTime utc;
    } cases[] = {
        {At(2027, 1, 15, 12, 0), At(2027, 1, 15, 10, 0)},
        {At(2027, 7, 15, 1, 30, 5, 250), At(2027, 7, 14, 22, 30, 5, 250)},
        {At(2027, 3, 28, 2, 59), At(2027, 3, 28, 0, 59)},           // just before the change
        {At(2027, 3, 28, 4, 0), At(2027, 3, 28, 1, 0)},             // and after it
        {At(2027, 10, 31, 4, 0), At(2027, 10, 31, 2, 0)},           // winter time again
        {At(2028, 3, 1, 1, 30), At(2028, 2, 29, 23, 30)},           // back to a leap day
        {At(2027, 9, 1, 0, 30), At(2027, 8, 31, 21, 30)},           // back to 31 August
        {At(2028, 1, 1, 1, 59, 59), At(2027, 12, 31, 23, 59, 59)},  // and a year
        {At(1601, 1, 2, 0, 0), At(1601, 1, 1, 22, 0)},              // early in its count
    };
    for (const auto& c : cases) {
        LocalTime utc;
        ASSERT_TRUE(locale.TzSpecificLocalTimeToSystemTime(nullptr, c.local, &utc))
            << c.local.year << "-" << c.local.month << "-" << c.local.day;
        EXPECT_EQ(Fields(utc), Fields(c.utc))
            << c.local.year << "-" << c.local.month << "-" << c.local.day << " " << c.local.hour;
    }
    // The hour the clocks repeat in October: one of its two readings.
    LocalTime utc;
    ASSERT_TRUE(locale.TzSpecificLocalTimeToSystemTime(nullptr, At(2027, 10, 31, 3, 30), &utc));
    EXPECT_TRUE(utc.day == 31 && (utc.hour == 0 || utc.hour == 1) && utc.minute == 30) << utc.hour;
}

// What the conversion refuses, leaving the result untouched: a reading that
// is no real date and time, and one before 1601, where the system's clock
// count begins. (29 February of a common year is left out: Windows refuses
// it, wine takes it as 1 March.)
inline void ExpectReadingsItCannotConvertAreRefused(ILocale& locale) {
    const LocalTime refused[] = {
        At(1600, 12, 31, 23, 59, 59),  // the last second before its count
        At(1601, 1, 1, 1, 0),          // UTC still in 1600
        At(1, 1, 1, 0, 0),
        At(2027, 0, 10, 12, 0),
        At(2027, 13, 10, 12, 0),
        At(2027, 4, 31, 12, 0),
        At(2027, 1, 0, 12, 0),
        At(2027, 1, 32, 12, 0),
        At(2027, 1, 10, 24, 0),
        At(2027, 1, 10, 12, 60),
        At(2027, 1, 10, 12, 0, 60),
        At(2027, 1, 10, 12, 0, 0, 1000),
    };
    for (const LocalTime& local : refused) {
        LocalTime utc = At(7, 7, 7, 7, 7, 7, 7);
        EXPECT_FALSE(locale.TzSpecificLocalTimeToSystemTime(nullptr, local, &utc))
            << local.year << "-" << local.month << "-" << local.day << " " << local.hour << ":"
            << local.minute << ":" << local.second << "." << local.millisecond;
        EXPECT_EQ(Fields(utc), Fields(At(7, 7, 7, 7, 7, 7, 7)));
    }
}

}  // namespace locale_contract
