// Calendar arithmetic: a logged local time turned into UTC across day, month
// and year ends, and the offset read from two clock readings a moment apart.
#include "rtl/calendar.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Text(const LocalTime& t) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    return text;
}

// Every month of a common and of a leap year, the century rules of February,
// and no month outside 1-12.
TEST(CalendarTest, DaysOfEachMonthInACommonAndALeapYear) {
    const int common[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month) {
        EXPECT_EQ(DaysInMonth(2027, month), common[month - 1]) << month;
        EXPECT_EQ(DaysInMonth(2028, month), month == 2 ? 29 : common[month - 1]) << month;
    }
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2027, 0), 0);
    EXPECT_EQ(DaysInMonth(2027, 13), 0);
}

TEST(CalendarTest, ShiftAcrossDayMonthAndYearEnds) {
    EXPECT_EQ(Text(ShiftedBy(LocalTime{2026, 3, 5, 1, 15, 9, 7}, -120)), "2026-03-04 23:15:09.007");
    EXPECT_EQ(Text(ShiftedBy(LocalTime{2026, 12, 31, 23, 30, 0}, 45)), "2027-01-01 00:15:00.000");
    EXPECT_EQ(Text(ShiftedBy(LocalTime{2028, 3, 1, 1, 0, 0}, -180)), "2028-02-29 22:00:00.000");
}

// UTC minus local time, read a moment apart in either order and on either
// side of a minute.
TEST(CalendarTest, OffsetOfTwoReadingsRoundsToTheMinute) {
    EXPECT_EQ(
        MinutesBetween(LocalTime{2026, 1, 1, 1, 0, 0, 1}, LocalTime{2025, 12, 31, 22, 59, 59, 998}),
        -120);
    EXPECT_EQ(
        MinutesBetween(LocalTime{2026, 3, 4, 18, 30, 0, 950}, LocalTime{2026, 3, 5, 0, 0, 0, 990}),
        330);
}

}  // namespace
