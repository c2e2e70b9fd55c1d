// Date and time texts from the locale's items. Windows short date patterns
// use "M" for the month and the runtime's letters are case-insensitive, so
// "d.M.yyyy", "M/d/yyyy" and "dd/MM/yyyy" all read as intended here. The
// separator in the pattern itself is copied as written unless it is "/",
// which always means the locale's separator.
#include "rtl/date_time_text.h"

#include <cctype>

#include "platform/seam.h"
#include "rtl/sysutils.h"

namespace {

std::string ItemOr(ILocale& locale, LocaleItem item, const char* fallback) {
    std::string value = locale.GetLocaleInfoA(item);
    return value.empty() ? std::string(fallback) : value;
}

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string Number(int value, int minDigits) {
    return Format("%0*d", minDigits, value);
}

}  // namespace

std::string DateToStr(const LocalTime& time, ILocale& locale) {
    const std::string pattern = ItemOr(locale, LocaleItem::ShortDate, "m/d/yy");
    const std::string separator = ItemOr(locale, LocaleItem::DateSeparator, "/");
    std::string out;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\'' || c == '"') {
            // Quoted text; an unclosed quote runs to the end of the pattern.
            const std::size_t close = pattern.find(c, i + 1);
            const std::size_t end = close == std::string::npos ? pattern.size() : close;
            out.append(pattern, i + 1, end - i - 1);
            i = close == std::string::npos ? end : end + 1;
            continue;
        }
        const char letter = Lower(c);
        if (letter == 'd' || letter == 'm' || letter == 'y') {
            std::size_t run = 1;
            while (i + run < pattern.size() && Lower(pattern[i + run]) == letter) ++run;
            i += run;
            if (letter == 'y') {
                out += run <= 2 ? Number(time.year % 100, 2) : Number(time.year, 4);
            } else {
                out += Number(letter == 'd' ? time.day : time.month, run == 1 ? 1 : 2);
            }
            continue;
        }
        if (c == '/') {
            out += separator;
        } else {
            out += c;
        }
        ++i;
    }
    return out;
}

std::string DateToStr(const LocalTime& time) {
    return DateToStr(time, Seam<ILocale>::Get());
}

std::string TimeToStr(const LocalTime& time, ILocale& locale) {
    const std::string separator = ItemOr(locale, LocaleItem::TimeSeparator, ":");
    const bool twelveHour = locale.GetLocaleInfoA(LocaleItem::TimeFormat) == "0";
    const bool leadingZero = locale.GetLocaleInfoA(LocaleItem::HourLeadingZero) == "1";

    int hour = time.hour;
    if (twelveHour) {
        hour %= 12;
        if (hour == 0) hour = 12;
    }
    std::string out = Number(hour, leadingZero ? 2 : 1) + separator + Number(time.minute, 2) +
                      separator + Number(time.second, 2);
    if (!twelveHour) return out;

    // No fallback here: a user may clear the markers, and then none is shown.
    const std::string marker =
        locale.GetLocaleInfoA(time.hour < 12 ? LocaleItem::TimeMarkerAm : LocaleItem::TimeMarkerPm);
    if (marker.empty()) return out;
    const bool before = locale.GetLocaleInfoA(LocaleItem::TimeMarkerPos) == "1";
    return before ? marker + " " + out : out + " " + marker;
}

std::string TimeToStr(const LocalTime& time) {
    return TimeToStr(time, Seam<ILocale>::Get());
}
