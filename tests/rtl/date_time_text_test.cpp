#include "rtl/date_time_text.h"

#include <gtest/gtest.h>

#include "fakes/fake_locale.h"
#include "platform/seam.h"

namespace {

LocalTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    LocalTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

FakeLocale DatePattern(const char* pattern, const char* separator) {
    FakeLocale l;
    if (*pattern != '\0') l.items[LocaleItem::ShortDate] = pattern;
    if (*separator != '\0') l.items[LocaleItem::DateSeparator] = separator;
    return l;
}

TEST(DateToStr, FinnishAndUsLocales) {
    FakeLocale fi = FakeLocale::Finnish();
    FakeLocale us = FakeLocale::UnitedStates();
    EXPECT_EQ(DateToStr(At(2024, 3, 5), fi), "5.3.2024");
    EXPECT_EQ(DateToStr(At(2024, 11, 23), fi), "23.11.2024");
    EXPECT_EQ(DateToStr(At(2024, 3, 5), us), "3/5/2024");
    EXPECT_EQ(DateToStr(At(1999, 12, 31), us), "12/31/1999");
}

TEST(DateToStr, WindowsPatternsReadWithTheRuntimesLetters) {
    struct Case {
        const char* pattern;
        const char* separator;
        const char* expected;
    };
    const Case cases[] = {
        {"dd/MM/yyyy", "/", "05/03/2024"},  // en-GB
        {"dd.MM.yyyy", ".", "05.03.2024"},  // de-DE
        {"yyyy-MM-dd", "-", "2024-03-05"},  // ISO style
        {"d/M/yy", "/", "5/3/24"},
        {"DD/MM/YYYY", "/", "05/03/2024"},  // the letters in either case
        {"mm/dd/yy", "/", "03/05/24"},      // "m" is the month in a date
        {"y/M/d", "/", "24/3/5"},           // one "y" gives two digits too
        {"yyy M d", "/", "2024 3 5"},       // three or more give the whole year
        {"ddd/MMM", "/", "05/03"},          // no names: two-digit numbers
        {"d 'de' M", "/", "5 de 3"},        // quoted text is copied as it stands
        {"d \"d/m\" M", "/", "5 d/m 3"},    // ... letters and "/" included
        {"d 'rest", "/", "5 rest"},         // an unclosed quote runs to the end
        {"d''M", "/", "53"},                // an empty quote is nothing
        {"M/d/yyyy", "-", "3-5-2024"},      // "/" is always the locale's separator
        {"d/M/yyyy", ". ", "5. 3. 2024"},   // which may be longer than one character
        {"yyyy-MM-dd", "/", "2024-03-05"},  // a written separator stays as written
        {"d.M.yyyy g", ".", "5.3.2024 g"},  // other letters are copied
    };
    for (const Case& c : cases) {
        FakeLocale l = DatePattern(c.pattern, c.separator);
        EXPECT_EQ(DateToStr(At(2024, 3, 5), l), c.expected) << c.pattern;
    }
}

TEST(DateToStr, DefaultsWhenTheLocaleGivesNone) {
    FakeLocale none = DatePattern("", "");
    EXPECT_EQ(DateToStr(At(2024, 3, 5), none), "3/5/24");
    FakeLocale dotOnly = DatePattern("", ".");
    EXPECT_EQ(DateToStr(At(2024, 3, 5), dotOnly), "3.5.24");
    FakeLocale patternOnly = DatePattern("d/M/yyyy", "");
    EXPECT_EQ(DateToStr(At(2024, 3, 5), patternOnly), "5/3/2024");
}

TEST(DateToStr, YearDigits) {
    FakeLocale two = DatePattern("yy", "/");
    EXPECT_EQ(DateToStr(At(2005, 1, 1), two), "05");
    EXPECT_EQ(DateToStr(At(2000, 1, 1), two), "00");
    FakeLocale four = DatePattern("yyyy", "/");
    EXPECT_EQ(DateToStr(At(999, 1, 1), four), "0999");
}

TEST(DateToStr, ReadsTheLocaleAfreshEachTime) {
    FakeLocale l = FakeLocale::Finnish();
    EXPECT_EQ(DateToStr(At(2024, 3, 5), l), "5.3.2024");
    l.items[LocaleItem::ShortDate] = "dd.MM.yyyy";
    EXPECT_EQ(DateToStr(At(2024, 3, 5), l), "05.03.2024");
}

TEST(TimeToStr, FinnishTwentyFourHourClock) {
    FakeLocale fi = FakeLocale::Finnish();
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 9, 5, 3), fi), "9.05.03");
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 0, 0, 0), fi), "0.00.00");
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 12, 30, 0), fi), "12.30.00");
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 23, 59, 59), fi), "23.59.59");
    fi.items[LocaleItem::HourLeadingZero] = "1";
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 9, 5, 3), fi), "09.05.03");
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 0, 0, 0), fi), "00.00.00");
}

TEST(TimeToStr, UsTwelveHourClockWithItsMarkers) {
    FakeLocale us = FakeLocale::UnitedStates();
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 0, 0, 7), us), "12:00:07 AM");
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 9, 5, 3), us), "9:05:03 AM");
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 11, 59, 59), us), "11:59:59 AM");
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 12, 0, 0), us), "12:00:00 PM");
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 13, 1, 2), us), "1:01:02 PM");
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 23, 59, 59), us), "11:59:59 PM");
    us.items[LocaleItem::HourLeadingZero] = "1";
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 9, 5, 3), us), "09:05:03 AM");
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 0, 5, 3), us), "12:05:03 AM");
}

TEST(TimeToStr, MarkerBeforeTheTimeOrLeftOutWhenEmpty) {
    FakeLocale l = FakeLocale::UnitedStates();
    l.items[LocaleItem::TimeMarkerPos] = "1";
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 9, 5, 3), l), "AM 9:05:03");
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 21, 5, 3), l), "PM 9:05:03");
    l.items[LocaleItem::TimeMarkerAm] = "";
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 9, 5, 3), l), "9:05:03");
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 21, 5, 3), l), "PM 9:05:03");
}

TEST(TimeToStr, DefaultsWhenTheLocaleGivesNone) {
    FakeLocale none;
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 21, 5, 3), none), "21:05:03");
    FakeLocale noPosition = FakeLocale::UnitedStates();
    noPosition.items.erase(LocaleItem::TimeMarkerPos);
    noPosition.items.erase(LocaleItem::TimeSeparator);
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 21, 5, 3), noPosition), "9:05:03 PM");
}

TEST(DateTimeText, OverloadsWithoutALocaleUseTheInstalledOne) {
    FakeLocale fi = FakeLocale::Finnish();
    ScopedSeam<ILocale> seam(&fi);
    EXPECT_EQ(DateToStr(At(2024, 3, 5, 9, 5, 3)), "5.3.2024");
    EXPECT_EQ(TimeToStr(At(2024, 3, 5, 9, 5, 3)), "9.05.03");
}

}  // namespace
