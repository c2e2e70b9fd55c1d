// Calendar arithmetic over a day count: a date is turned into days from a
// fixed day and back (the usual era-of-400-years method), which makes month,
// year and leap-day ends fall out with no special cases.
#include "rtl/calendar.h"

namespace {

constexpr long long kMinutesPerDay = 24LL * 60;
constexpr long long kMillisecondsPerMinute = 60LL * 1000;
constexpr long long kDaysPerEra = 146097;  // 400 Gregorian years

// Floor division: -1 / 1440 is day -1, not day 0.
long long FloorDiv(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Days since 1 March of year 0, years counted from March so that the leap
// day ends the year.
long long DayNumber(int year, int month, int day) {
    const long long y = static_cast<long long>(year) - (month <= 2 ? 1 : 0);
    const long long era = FloorDiv(y, 400);
    const long long yearOfEra = y - era * 400;
    const long long monthFromMarch = month > 2 ? month - 3 : month + 9;
    const long long dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * kDaysPerEra + dayOfEra;
}

void SetDate(long long dayNumber, LocalTime& time) {
    const long long era = FloorDiv(dayNumber, kDaysPerEra);
    const long long dayOfEra = dayNumber - era * kDaysPerEra;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / (kDaysPerEra - 1)) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthFromMarch = (5 * dayOfYear + 2) / 153;
    time.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    time.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    time.year = static_cast<int>(yearOfEra + era * 400 + (time.month <= 2 ? 1 : 0));
}

// Milliseconds since the day number's day 0.
long long MillisecondsOf(const LocalTime& time) {
    const long long minutes = DayNumber(time.year, time.month, time.day) * kMinutesPerDay +
                              time.hour * 60LL + time.minute;
    return minutes * kMillisecondsPerMinute + time.second * 1000LL + time.millisecond;
}

}  // namespace

int DaysInMonth(int year, int month) {
    if (month < 1 || month > 12) return 0;
    if (month == 2) {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return leap ? 29 : 28;
    }
    return month == 4 || month == 6 || month == 9 || month == 11 ? 30 : 31;
}

LocalTime ShiftedBy(const LocalTime& time, int minutes) {
    const long long total = DayNumber(time.year, time.month, time.day) * kMinutesPerDay +
                            time.hour * 60LL + time.minute + minutes;
    const long long day = FloorDiv(total, kMinutesPerDay);
    const long long minuteOfDay = total - day * kMinutesPerDay;
    LocalTime shifted = time;
    SetDate(day, shifted);
    shifted.hour = static_cast<int>(minuteOfDay / 60);
    shifted.minute = static_cast<int>(minuteOfDay % 60);
    return shifted;
}

int MinutesBetween(const LocalTime& from, const LocalTime& to) {
    const long long difference = MillisecondsOf(to) - MillisecondsOf(from);
    return static_cast<int>(
        FloorDiv(difference + kMillisecondsPerMinute / 2, kMillisecondsPerMinute));
}
