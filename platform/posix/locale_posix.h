// The clock and the time zone of ILocale on POSIX, for the host build: the
// zone is the process's (TZ, else /etc/localtime), its rules those of the
// C library's time zone database. There are no Windows locale items here:
// GetLocaleInfoA gives none, as a locale without them would.
//
// Any thread; nothing is thrown.
#pragma once

#include "platform/locale.h"

class PosixLocale : public ILocale {
  public:
    std::string GetLocaleInfoA(LocaleItem item) override;
    LocalTime GetLocalTime() override;
    LocalTime GetSystemTime() override;
    // Only the system's own zone: false for a named one. A local time that
    // the clocks skip or repeat gets the reading mktime gives it.
    bool TzSpecificLocalTimeToSystemTime(const TimeZoneInformation* zone, const LocalTime& local,
                                         LocalTime* utc) override;
};
