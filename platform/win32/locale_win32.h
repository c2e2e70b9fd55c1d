// The user's locale and the clock through GetLocaleInfoA, GetLocalTime,
// GetSystemTime and TzSpecificLocalTimeToSystemTime. A TimeZoneInformation
// handed in is taken to be a TIME_ZONE_INFORMATION.
#pragma once

#include "platform/locale.h"

class Win32Locale : public ILocale {
  public:
    std::string GetLocaleInfoA(LocaleItem item) override;
    LocalTime GetLocalTime() override;
    LocalTime GetSystemTime() override;
    bool TzSpecificLocalTimeToSystemTime(const TimeZoneInformation* zone, const LocalTime& local,
                                         LocalTime* utc) override;
};
