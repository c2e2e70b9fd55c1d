// The user's locale and local clock through GetLocaleInfoA and GetLocalTime.
#pragma once

#include "platform/locale.h"

class Win32Locale : public ILocale {
  public:
    std::string GetLocaleInfoA(LocaleItem item) override;
    LocalTime GetLocalTime() override;
};
