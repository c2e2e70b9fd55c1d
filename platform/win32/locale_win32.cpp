// The locale seam on kernel32: the user's default locale, both clocks and
// the time zone's rules.
#include "platform/win32/locale_win32.h"

#include <windows.h>

namespace {

LCTYPE ToLcType(LocaleItem item) {
    switch (item) {
        case LocaleItem::ShortDate:
            return LOCALE_SSHORTDATE;
        case LocaleItem::DateSeparator:
            return LOCALE_SDATE;
        case LocaleItem::TimeSeparator:
            return LOCALE_STIME;
        case LocaleItem::TimeFormat:
            return LOCALE_ITIME;
        case LocaleItem::HourLeadingZero:
            return LOCALE_ITLZERO;
        case LocaleItem::TimeMarkerAm:
            return LOCALE_S1159;
        case LocaleItem::TimeMarkerPm:
            return LOCALE_S2359;
        case LocaleItem::TimeMarkerPos:
            return LOCALE_ITIMEMARKPOSN;
    }
    return 0;
}

LocalTime FromSystemTime(const SYSTEMTIME& now) {
    LocalTime t;
    t.year = now.wYear;
    t.month = now.wMonth;
    t.day = now.wDay;
    t.hour = now.wHour;
    t.minute = now.wMinute;
    t.second = now.wSecond;
    t.millisecond = now.wMilliseconds;
    return t;
}

}  // namespace

SYSTEMTIME ToSystemTime(const LocalTime& t) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(t.year);
    time.wMonth = static_cast<WORD>(t.month);
    time.wDay = static_cast<WORD>(t.day);
    time.wHour = static_cast<WORD>(t.hour);
    time.wMinute = static_cast<WORD>(t.minute);
    time.wSecond = static_cast<WORD>(t.second);
    time.wMilliseconds = static_cast<WORD>(t.millisecond);
    return time;
}

std::string Win32Locale::GetLocaleInfoA(LocaleItem item) {
    char buffer[256] = {};
    const int length = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, ToLcType(item), buffer, sizeof buffer);
    if (length <= 1) return std::string();
    return std::string(buffer, static_cast<size_t>(length - 1));
}

LocalTime Win32Locale::GetLocalTime() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return FromSystemTime(now);
}

LocalTime Win32Locale::GetSystemTime() {
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    return FromSystemTime(now);
}

bool Win32Locale::TzSpecificLocalTimeToSystemTime(const TimeZoneInformation* zone,
                                                  const LocalTime& local, LocalTime* utc) {
    const SYSTEMTIME in = ToSystemTime(local);
    SYSTEMTIME out;
    if (!::TzSpecificLocalTimeToSystemTime(reinterpret_cast<const TIME_ZONE_INFORMATION*>(zone),
                                           &in, &out))
        return false;
    *utc = FromSystemTime(out);
    return true;
}
