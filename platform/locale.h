// Seam for the user's locale settings and the clock. One method per call:
// GetLocaleInfoA (named with its A: windows.h makes the bare names macros)
// for the user's default locale, GetLocalTime, GetSystemTime (UTC, for the
// times that spot clusters write with a "Z"), and
// TzSpecificLocalTimeToSystemTime (a logged local time back to UTC with the
// daylight-saving rule of that date, not of today).
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

// A time zone as Windows describes one (TIME_ZONE_INFORMATION). The program
// never names one: a null pointer means the zone the system is set to.
struct TimeZoneInformation;

class ILocale {
  public:
    virtual ~ILocale() = default;
    // The item's text for the user's locale; empty when the locale gives none.
    virtual std::string GetLocaleInfoA(LocaleItem item) = 0;
    virtual LocalTime GetLocalTime() = 0;
    // The same fields for Coordinated Universal Time.
    virtual LocalTime GetSystemTime() = 0;
    // `local`, a reading of the zone's clock, as UTC under the zone's rules
    // in force at that date and hour. A local time that a change of the
    // clocks repeats or skips is taken as the system takes it, one of its
    // readings. False, `*utc` untouched, when the system cannot convert it.
    virtual bool TzSpecificLocalTimeToSystemTime(const TimeZoneInformation* zone,
                                                 const LocalTime& local, LocalTime* utc) = 0;
};
