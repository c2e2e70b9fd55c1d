// The runtime's short date and long time texts, in the user's locale.
//
// DateToStr follows the locale's short date pattern (LocaleItem::ShortDate,
// "m/d/yy" when the locale gives none) read with the runtime's pattern
// letters, case-insensitive: "d" day, "dd" day with a leading zero, "m" and
// "mm" the month likewise, "y" and "yy" the year's last two digits, "yyy" and
// longer the whole year; "/" stands for the locale's date separator ("/" when
// it gives none); text in single or double quotes is copied without its
// quotes; any other character is copied as it stands. The locale seam offers
// no day or month names, so "ddd" and "mmm" and longer runs write the number
// with two digits.
//
// TimeToStr writes the long time: the hour ("h", or "hh" when the locale asks
// for a leading zero), then ":mm:ss", with the locale's time separator in
// place of ":" (":" when it gives none). With a 12-hour clock the hour runs
// 12, 1, ..., 11 and the locale's AM or PM marker stands after the time or
// before it, as the locale places it, parted from it by one blank; an empty
// marker is left out together with its blank. A locale that does not say
// which clock it uses gets the 24-hour clock, which needs no marker to be
// read right; one that does not say where the marker goes gets it after.
//
// The locale is read afresh on every call, so a change of the user's settings
// shows at once. The overloads without a locale use the installed
// Seam<ILocale> (std::logic_error when none is). Main thread or any thread
// the locale implementation allows; nothing else is thrown.
#pragma once

#include <string>

#include "platform/locale.h"

std::string DateToStr(const LocalTime& time, ILocale& locale);
std::string DateToStr(const LocalTime& time);

std::string TimeToStr(const LocalTime& time, ILocale& locale);
std::string TimeToStr(const LocalTime& time);
