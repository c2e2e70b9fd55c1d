// Seam for the user's locale settings and the clock. One method per call:
// GetLocaleInfoA (named with its A: windows.h makes the bare names macros)
// for the user's default locale, GetLocalTime, and GetSystemTime (UTC, for
// the times that spot clusters write with a "Z").
#pragma once

#include <string>

enum class LocaleItem {
    ShortDate,        // LOCALE_SSHORTDATE, e.g. "d.M.yyyy"
    DateSeparator,    // LOCALE_SDATE
    TimeSeparator,    // LOCALE_STIME
    TimeFormat,       // LOCALE_ITIME: "0" 12-hour, "1" 24-hour
    HourLeadingZero,  // LOCALE_ITLZERO: "0" no, "1" yes
    TimeMarkerAm,     // LOCALE_S1159
    TimeMarkerPm,     // LOCALE_S2359
    TimeMarkerPos,    // LOCALE_ITIMEMARKPOSN: "0" after, "1" before
};

struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

class ILocale {
  public:
    virtual ~ILocale() = default;
    // The item's text for the user's locale; empty when the locale gives none.
    virtual std::string GetLocaleInfoA(LocaleItem item) = 0;
    virtual LocalTime GetLocalTime() = 0;
    // The same fields for Coordinated Universal Time.
    virtual LocalTime GetSystemTime() = 0;
};
