// An ILocale with items and clocks set by the test; unset items read as
// empty, as a locale that gives none. Finnish() and UnitedStates() hold what
// Windows gives for those two user locales.
#pragma once

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
};
