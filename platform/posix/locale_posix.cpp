// ILocale on the C library's clock and time zone functions.
#include "platform/posix/locale_posix.h"

#include <ctime>

namespace {

LocalTime FromTm(const std::tm& fields, int millisecond) {
    LocalTime t;
    t.year = fields.tm_year + 1900;
    t.month = fields.tm_mon + 1;
    t.day = fields.tm_mday;
    t.hour = fields.tm_hour;
    t.minute = fields.tm_min;
    t.second = fields.tm_sec;
    t.millisecond = millisecond;
    return t;
}

std::timespec Now() {
    std::timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

}  // namespace

std::string PosixLocale::GetLocaleInfoA(LocaleItem) {
    return std::string();
}

LocalTime PosixLocale::GetLocalTime() {
    const std::timespec now = Now();
    std::tm fields{};
    localtime_r(&now.tv_sec, &fields);
    return FromTm(fields, static_cast<int>(now.tv_nsec / 1000000));
}

LocalTime PosixLocale::GetSystemTime() {
    const std::timespec now = Now();
    std::tm fields{};
    gmtime_r(&now.tv_sec, &fields);
    return FromTm(fields, static_cast<int>(now.tv_nsec / 1000000));
}

bool PosixLocale::TzSpecificLocalTimeToSystemTime(const TimeZoneInformation* zone,
                                                  const LocalTime& local, LocalTime* utc) {
    if (zone != nullptr) return false;
    std::tm fields{};
    fields.tm_year = local.year - 1900;
    fields.tm_mon = local.month - 1;
    fields.tm_mday = local.day;
    fields.tm_hour = local.hour;
    fields.tm_min = local.minute;
    fields.tm_sec = local.second;
    fields.tm_isdst = -1;  // the rules of that date decide
    const std::time_t moment = std::mktime(&fields);
    std::tm out{};
    if (moment == static_cast<std::time_t>(-1) || gmtime_r(&moment, &out) == nullptr) return false;
    *utc = FromTm(out, local.millisecond);
    return true;
}
