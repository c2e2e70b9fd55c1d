// An ILocale with items and clocks set by the test; unset items read as
// empty, as a locale that gives none. Finnish() and UnitedStates() hold what
// Windows gives for those two user locales. Local times go to UTC by a rule
// the test sets (FinnishTime, for one), worked out with the C library's UTC
// calendar so that the program's own calendar code is not taken on trust.
#pragma once

#include <time.h>

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
    int conversions = 0;

    bool TzSpecificLocalTimeToSystemTime(const TimeZoneInformation* zone, const LocalTime& local,
                                         LocalTime* utc) override {
        ++conversions;
        if (zone != nullptr) return false;
        const long long offset =
            utcOffsetAt
                ? utcOffsetAt(local)
                : std::llround(static_cast<double>(SecondsOf(now) - SecondsOf(utcNow)) / 60);
        *utc = ToUtc(local, static_cast<int>(offset));
        return true;
    }

    // `local` on a clock `offset` minutes ahead of UTC, as UTC.
    static LocalTime ToUtc(const LocalTime& local, int offset) {
        const time_t moment = static_cast<time_t>(SecondsOf(local) - offset * 60LL);
        tm fields{};
        gmtime_r(&moment, &fields);
        return LocalTime{fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,   fields.tm_hour,
                         fields.tm_min,         fields.tm_sec,     local.millisecond};
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
    static long long SecondsOf(const LocalTime& t) {
        tm fields{};
        fields.tm_year = t.year - 1900;
        fields.tm_mon = t.month - 1;
        fields.tm_mday = t.day;
        fields.tm_hour = t.hour;
        fields.tm_min = t.minute;
        fields.tm_sec = t.second;
        return timegm(&fields);
    }
    static int LastSunday(int year, int month) {
        tm fields{};
        fields.tm_year = year - 1900;
        fields.tm_mon = month;  // day 0 of the next month: this month's last
        timegm(&fields);
        return fields.tm_mday - fields.tm_wday;
    }
};
