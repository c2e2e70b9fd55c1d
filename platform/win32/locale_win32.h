// The user's locale and the clock through GetLocaleInfoA, GetLocalTime,
// GetSystemTime and TzSpecificLocalTimeToSystemTime. A TimeZoneInformation
// handed in is taken to be a TIME_ZONE_INFORMATION.
#pragma once

#include <windows.h>

#include "platform/locale.h"

// The same moment as a SYSTEMTIME (the day of the week left 0).
SYSTEMTIME ToSystemTime(const LocalTime& t);

class Win32Locale : public ILocale {
  public:
    std::string GetLocaleInfoA(LocaleItem item) override;
    LocalTime GetLocalTime() override;
    LocalTime GetSystemTime() override;
    bool TzSpecificLocalTimeToSystemTime(const TimeZoneInformation* zone, const LocalTime& local,
                                         LocalTime* utc) override;
};
