// Calendar arithmetic on LocalTime readings: the days of a month, a reading
// moved by whole minutes (across day, month and year ends, leap days
// included), and the minutes between two readings. The readings carry no
// time zone: moving one by the current UTC offset turns a local time into
// UTC, and the offset is the minutes from a local reading to a UTC reading
// taken at the same moment.
//
// Pure functions for the proleptic Gregorian calendar; any thread; nothing
// is thrown.
#pragma once

#include "platform/locale.h"

// 28 to 31; 0 for a month outside 1-12.
int DaysInMonth(int year, int month);

// `time` moved by `minutes` (negative: back); seconds and milliseconds stay.
// The fields of `time` must be a real date and time of day.
LocalTime ShiftedBy(const LocalTime& time, int minutes);

// `to` minus `from` in minutes, rounded to the nearest minute, so that two
// clock readings taken a moment apart, in either order (GetLocalTime and
// GetSystemTime), give the whole offset between the clocks.
int MinutesBetween(const LocalTime& from, const LocalTime& to);
