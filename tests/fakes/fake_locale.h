// An ILocale with items and clocks set by the test; unset items read as
// empty, as a locale that gives none. The conversion to UTC refuses what the
// system's refuses (no real date and time, a time before 1601), and
// `failConversions` makes it refuse every reading. Finnish() and UnitedStates() hold what
// Windows gives for those two user locales. Local times go to UTC by a rule
// the test sets (FinnishTime, for one), counted here day by day rather than
// with the program's own calendar code, which they are to check.
#pragma once

#include <cmath>
#include <functional>
#include <map>
#include <string>

#include "platform/locale.h"

class FakeLocale : public ILocale {
  public:
    std::map<LocaleItem, std::string> items;
    LocalTime now;
    LocalTime utcNow;  // what GetSystemTime gives
    int reads = 0;

    std::string GetLocaleInfoA(LocaleItem item) override {
        ++reads;
        const auto it = items.find(item);
        return it == items.end() ? std::string() : it->second;
    }
    LocalTime GetLocalTime() override { return now; }
    LocalTime GetSystemTime() override { return utcNow; }

    // Minutes the zone's clock is ahead of UTC at a local time; unset, the
    // offset of `now` to `utcNow`, all year round.
    std::function<int(const LocalTime& local)> utcOffsetAt;
    bool failConversions = false;

    bool TzSpecificLocalTimeToSystemTime(const TimeZoneInformation* zone, const LocalTime& local,
                                         LocalTime* utc) override {
        // As the system: no named zone here, and no reading it cannot count.
        if (zone != nullptr || failConversions || !Convertible(local)) return false;
        const long long offset = utcOffsetAt
                                     ? utcOffsetAt(local)
                                     : std::llround((SecondsOf(now) - SecondsOf(utcNow)) / 60.0);
        if (SecondsOf(local) < offset * 60) return false;  // UTC before 1601
        *utc = ToUtc(local, static_cast<int>(offset));
        return true;
    }

    // `local` on a clock `offset` minutes ahead of UTC, as UTC.
    static LocalTime ToUtc(const LocalTime& local, int offset) {
        long long seconds = SecondsOf(local) - offset * 60LL;
        LocalTime utc{1601, 1, 1};
        while (seconds >= MonthDays(utc.year, 0) * 86400LL)
            seconds -= MonthDays(utc.year++, 0) * 86400LL;
        while (seconds >= MonthDays(utc.year, utc.month) * 86400LL)
            seconds -= MonthDays(utc.year, utc.month++) * 86400LL;
        utc.day += static_cast<int>(seconds / 86400);
        utc.hour = static_cast<int>(seconds / 3600 % 24);
        utc.minute = static_cast<int>(seconds / 60 % 60);
        utc.second = static_cast<int>(seconds % 60);
        utc.millisecond = local.millisecond;
        return utc;
    }

    // Finnish time: UTC+2, and UTC+3 from 03:00 on the last Sunday of March
    // to 04:00 (summer time) on the last Sunday of October; the hour the
    // clocks repeat then is read as summer time, the hour they skip in March
    // as summer time too.
    static int FinnishTime(const LocalTime& local) {
        const auto at = [](int month, int day, int hour) { return (month * 32 + day) * 24 + hour; };
        const int hour = at(local.month, local.day, local.hour);
        const bool summer = hour >= at(3, LastSunday(local.year, 3), 3) &&
                            hour < at(10, LastSunday(local.year, 10), 4);
        return summer ? 180 : 120;
    }

    // fi-FI: 24-hour clock, "." between the parts of both.
    static FakeLocale Finnish() {
        FakeLocale l;
        l.items = {{LocaleItem::ShortDate, "d.M.yyyy"}, {LocaleItem::DateSeparator, "."},
                   {LocaleItem::TimeSeparator, "."},    {LocaleItem::TimeFormat, "1"},
                   {LocaleItem::HourLeadingZero, "0"},  {LocaleItem::TimeMarkerAm, "ap."},
                   {LocaleItem::TimeMarkerPm, "ip."},   {LocaleItem::TimeMarkerPos, "0"}};
        return l;
    }
    // en-US: 12-hour clock, marker after the time.
    static FakeLocale UnitedStates() {
        FakeLocale l;
        l.items = {{LocaleItem::ShortDate, "M/d/yyyy"}, {LocaleItem::DateSeparator, "/"},
                   {LocaleItem::TimeSeparator, ":"},    {LocaleItem::TimeFormat, "0"},
                   {LocaleItem::HourLeadingZero, "0"},  {LocaleItem::TimeMarkerAm, "AM"},
                   {LocaleItem::TimeMarkerPm, "PM"},    {LocaleItem::TimeMarkerPos, "0"}};
        return l;
    }

  private:
    // A real date and time from 1601 on, where the system's clock count
    // begins (tests/contracts/locale_contract.h).
    static bool Convertible(const LocalTime& t) {
        return t.year >= 1601 && t.year <= 30827 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
               t.day <= MonthDays(t.year, t.month) && t.hour >= 0 && t.hour <= 23 &&
               t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59 &&
               t.millisecond >= 0 && t.millisecond <= 999;
    }
    // Counted by hand, year by year and month by month from 1601, so that the
    // program's own calendar code is not what checks it. Month 0: the year.
    static int MonthDays(int year, int month) {
        static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        if (month == 0) return leap ? 366 : 365;
        return month == 2 && leap ? 29 : days[month - 1];
    }
    static long long SecondsOf(const LocalTime& t) {
        long long days = t.day - 1;
        for (int year = 1601; year < t.year; ++year) days += MonthDays(year, 0);
        for (int month = 1; month < t.month && month <= 12; ++month)
            days += MonthDays(t.year, month);
        return ((days * 24 + t.hour) * 60 + t.minute) * 60 + t.second;
    }
    static int LastSunday(int year, int month) {
        const int last = MonthDays(year, month);
        const long long days = SecondsOf(LocalTime{year, month, last}) / 86400;
        return last - static_cast<int>((days + 1) % 7);  // 1 January 1601 was a Monday
    }
};
