// The locale seam on the real GetLocaleInfoA, and the date and time texts
// built from it set against what Windows itself writes (GetDateFormatA,
// GetTimeFormatA) for the same locale, wherever the two are meant to agree.
#include <gtest/gtest.h>
#include <windows.h>

#include <ctime>
#include <string>
#include <vector>

#include "contracts/locale_contract.h"
#include "platform/win32/locale_win32.h"
#include "rtl/date_time_text.h"

namespace {

LocalTime At(int year, int month, int day, int hour, int minute, int second) {
    LocalTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

std::string WindowsDate(LCID lcid, const LocalTime& t) {
    const SYSTEMTIME st = ToSystemTime(t);
    char text[128] = {};
    if (GetDateFormatA(lcid, DATE_SHORTDATE, &st, nullptr, text, sizeof text) == 0) return "?";
    return text;
}

std::string WindowsTime(LCID lcid, const LocalTime& t) {
    const SYSTEMTIME st = ToSystemTime(t);
    char text[128] = {};
    if (GetTimeFormatA(lcid, 0, &st, nullptr, text, sizeof text) == 0) return "?";
    return text;
}

std::string Info(LCID lcid, LCTYPE type) {
    char text[128] = {};
    if (GetLocaleInfoA(lcid, type, text, sizeof text) <= 1) return "";
    return text;
}

// Windows' short date agrees with the runtime's reading when the pattern
// holds only day, month and year letters (no names, no era) and the quoted
// text, if any, holds none of them.
bool DateComparable(const std::string& pattern) {
    for (char c : pattern) {
        if (c == '\'' || c == 'g') return false;
    }
    return pattern.find("ddd") == std::string::npos && pattern.find("MMM") == std::string::npos;
}

// Windows' long time agrees with the runtime's when it is the hour, ":mm:ss"
// and at most a marker ("tt") before or after, parted by one blank.
bool TimeComparable(const std::string& format) {
    std::string core = format;
    if (core.rfind("tt ", 0) == 0) core = core.substr(3);
    if (core.size() > 3 && core.compare(core.size() - 3, 3, " tt") == 0)
        core = core.substr(0, core.size() - 3);
    const std::size_t m = core.find("mm");
    const std::size_t s = core.find("ss");
    if (m == std::string::npos || s == std::string::npos || s < m) return false;
    const std::string hour = core.substr(0, core.find_first_not_of("hH"));
    return (hour == "h" || hour == "hh" || hour == "H" || hour == "HH") && core.size() == s + 2 &&
           core.find('\'') == std::string::npos;
}

const LocalTime kTimes[] = {
    At(2024, 3, 5, 9, 5, 3),                                // single-digit day, month and hour
    At(2024, 11, 23, 21, 59, 59), At(2005, 1, 9, 0, 0, 7),  // midnight; a year ending in 05
    At(2024, 12, 31, 12, 0, 0),                             // noon
};

// GetLocaleInfoA of one locale, so that several can be checked in one run.
class LocaleOf : public ILocale {
  public:
    explicit LocaleOf(LCID lcid) : lcid_(lcid) {}
    std::string GetLocaleInfoA(LocaleItem item) override {
        switch (item) {
            case LocaleItem::ShortDate:
                return Info(lcid_, LOCALE_SSHORTDATE);
            case LocaleItem::DateSeparator:
                return Info(lcid_, LOCALE_SDATE);
            case LocaleItem::TimeSeparator:
                return Info(lcid_, LOCALE_STIME);
            case LocaleItem::TimeFormat:
                return Info(lcid_, LOCALE_ITIME);
            case LocaleItem::HourLeadingZero:
                return Info(lcid_, LOCALE_ITLZERO);
            case LocaleItem::TimeMarkerAm:
                return Info(lcid_, LOCALE_S1159);
            case LocaleItem::TimeMarkerPm:
                return Info(lcid_, LOCALE_S2359);
            case LocaleItem::TimeMarkerPos:
                return Info(lcid_, LOCALE_ITIMEMARKPOSN);
        }
        return "";
    }
    LocalTime GetLocalTime() override { return LocalTime(); }
    LocalTime GetSystemTime() override { return LocalTime(); }
    bool TzSpecificLocalTimeToSystemTime(const TimeZoneInformation*, const LocalTime&,
                                         LocalTime*) override {
        return false;
    }

  private:
    LCID lcid_;
};

TEST(LocaleUnderWine, UserLocaleGivesPlausibleItems) {
    Win32Locale locale;
    const std::string pattern = locale.GetLocaleInfoA(LocaleItem::ShortDate);
    EXPECT_NE(pattern.find_first_of("dD"), std::string::npos) << pattern;
    EXPECT_NE(pattern.find('M'), std::string::npos) << pattern;
    EXPECT_NE(pattern.find_first_of("yY"), std::string::npos) << pattern;
    EXPECT_FALSE(locale.GetLocaleInfoA(LocaleItem::DateSeparator).empty());
    EXPECT_FALSE(locale.GetLocaleInfoA(LocaleItem::TimeSeparator).empty());
    for (LocaleItem flag :
         {LocaleItem::TimeFormat, LocaleItem::HourLeadingZero, LocaleItem::TimeMarkerPos}) {
        const std::string value = locale.GetLocaleInfoA(flag);
        EXPECT_TRUE(value == "0" || value == "1") << static_cast<int>(flag) << ": " << value;
    }
    const LocalTime now = locale.GetLocalTime();
    EXPECT_GE(now.year, 2020);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12 && now.day >= 1 && now.day <= 31);
}

// The UTC clock against the C runtime's gmtime of the same moment. The test
// runs with TZ set two or three hours off UTC, so a backend that read the
// local clock would be caught.
TEST(LocaleUnderWine, SystemTimeIsUtc) {
    Win32Locale locale;
    const std::time_t before = std::time(nullptr);
    const LocalTime utc = locale.GetSystemTime();
    const std::time_t after = std::time(nullptr);
    const auto minuteOf = [](int hour, int minute) { return hour * 60 + minute; };
    const auto utcMinute = [&](std::time_t t) {
        const std::tm* tm = std::gmtime(&t);
        return minuteOf(tm->tm_hour, tm->tm_min);
    };
    const int got = minuteOf(utc.hour, utc.minute);
    EXPECT_TRUE(got == utcMinute(before) || got == utcMinute(after)) << got;
    EXPECT_NE(locale.GetLocalTime().hour, utc.hour) << "TZ is not set off UTC for this test";
}

// A logged local time goes to UTC with the rules of its own date, and what
// cannot be converted is refused: the contract the host's fake keeps too
// (tests/contracts/locale_contract.h). The test runs in Finnish time (TZ in
// CMakeLists.txt): two hours off UTC in winter, three in summer, the change
// on the last Sunday of March and of October.
TEST(LocaleUnderWine, LocalTimesGoToUtcWithTheRulesOfTheirOwnDate) {
    Win32Locale locale;
    locale_contract::ExpectLocalTimesGoToUtcByTheirOwnDate(locale);
}

TEST(LocaleUnderWine, ReadingsItCannotConvertAreRefused) {
    Win32Locale locale;
    locale_contract::ExpectReadingsItCannotConvertAreRefused(locale);
}

TEST(LocaleUnderWine, UserLocaleTextsAgreeWithWindows) {
    Win32Locale locale;
    const std::string pattern = Info(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE);
    const std::string timeFormat = Info(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT);
    ASSERT_TRUE(DateComparable(pattern)) << pattern;
    ASSERT_TRUE(TimeComparable(timeFormat)) << timeFormat;
    for (const LocalTime& t : kTimes) {
        EXPECT_EQ(DateToStr(t, locale), WindowsDate(LOCALE_USER_DEFAULT, t)) << pattern;
        EXPECT_EQ(TimeToStr(t, locale), WindowsTime(LOCALE_USER_DEFAULT, t)) << timeFormat;
    }
}

TEST(LocaleUnderWine, OtherLocalesAgreeWithWindowsWhereComparable) {
    const struct {
        LCID lcid;
        const char* name;
    } locales[] = {
        {0x0409, "en-US"}, {0x040B, "fi-FI"}, {0x0809, "en-GB"}, {0x0407, "de-DE"},
        {0x041D, "sv-SE"}, {0x040C, "fr-FR"}, {0x0413, "nl-NL"}, {0x040E, "hu-HU"},
        {0x0411, "ja-JP"}, {0x0412, "ko-KR"}, {0x0C09, "en-AU"}, {0x0415, "pl-PL"},
    };
    int dates = 0;
    int times = 0;
    for (const auto& l : locales) {
        LocaleOf locale(l.lcid);
        const std::string pattern = Info(l.lcid, LOCALE_SSHORTDATE);
        const std::string timeFormat = Info(l.lcid, LOCALE_STIMEFORMAT);
        const bool date = DateComparable(pattern);
        const bool time = TimeComparable(timeFormat);
        dates += date;
        times += time;
        for (const LocalTime& t : kTimes) {
            if (date) {
                EXPECT_EQ(DateToStr(t, locale), WindowsDate(l.lcid, t)) << l.name << " " << pattern;
            }
            if (time) {
                EXPECT_EQ(TimeToStr(t, locale), WindowsTime(l.lcid, t))
                    << l.name << " " << timeFormat;
            }
        }
    }
    // Most locales must be comparable, or this test proves little.
    EXPECT_GE(dates, 10);
    EXPECT_GE(times, 10);
}

}  // namespace
