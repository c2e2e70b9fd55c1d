// The user's locale and the clock through GetLocaleInfoA, GetLocalTime and
// GetSystemTime.
#pragma once

#include "platform/locale.h"

class Win32Locale : public ILocale {
  public:
    std::string GetLocaleInfoA(LocaleItem item) override;
    LocalTime GetLocalTime() override;
    LocalTime GetSystemTime() override;
};
