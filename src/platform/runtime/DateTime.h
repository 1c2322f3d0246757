#pragma once
// Dates and times: a TDateTime counts days since 30 December 1899 (midnight);
// the fraction is the time of day. Before that day the integer part counts back
// and the fraction still runs forward from midnight: -1.25 is 29 December 1899,
// 6:00. Invalid input raises EConvertError.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/runtime/SysUtils.h"

using TDateTime = double;

constexpr int32_t HoursPerDay = 24;
constexpr int32_t MinsPerDay = HoursPerDay * 60;
constexpr int32_t SecsPerDay = MinsPerDay * 60;
constexpr int32_t MSecsPerDay = SecsPerDay * 1000;
// Days from 1 January 0001 (day 1) to 30 December 1899.
constexpr int32_t DateDelta = 693594;
// Days from 30 December 1899 to 1 January 1970.
constexpr int32_t UnixDateDelta = 25569;

// Years 1 to 9999.
bool IsLeapYear(uint16_t year);
uint16_t DaysInAMonth(uint16_t year, uint16_t month);
uint16_t DaysInMonth(TDateTime dateTime);

bool TryEncodeDate(uint16_t year, uint16_t month, uint16_t day, TDateTime& date);
TDateTime EncodeDate(uint16_t year, uint16_t month, uint16_t day);
bool TryEncodeTime(uint16_t hour, uint16_t min, uint16_t sec, uint16_t msec, TDateTime& time);
TDateTime EncodeTime(uint16_t hour, uint16_t min, uint16_t sec, uint16_t msec);
// Dates before year 1 decode as 0/0/0.
void DecodeDate(TDateTime date, uint16_t& year, uint16_t& month, uint16_t& day);
void DecodeTime(TDateTime time, uint16_t& hour, uint16_t& min, uint16_t& sec, uint16_t& msec);
// 1 = Sunday ... 7 = Saturday.
int32_t DayOfWeek(TDateTime date);

// Local date and time now; Date is its day, Time its time of day.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// The same day numberOfMonths months later (or earlier), the day of the month cut
// to the month's length, the time kept.
TDateTime IncMonth(TDateTime date, int32_t numberOfMonths = 1);

// The packed date and time of DOS file entries (2-second steps, years 1980 to
// 2107); 0 for dates outside that range. Unpacking an invalid value raises
// EConvertError.
int32_t DateTimeToFileDate(TDateTime dateTime);
TDateTime FileDateToDateTime(int32_t fileDate);

// Seconds since 1 January 1970, without any time zone (a UTC value stays UTC).
TDateTime UnixToDateTime(int64_t seconds);
int64_t DateTimeToUnix(TDateTime dateTime);
// A moment of the system clock as local date and time, and back.
TDateTime TimeTToLocalDateTime(std::time_t t);
std::time_t LocalDateTimeToTimeT(TDateTime dateTime);
// Windows file times: 100-nanosecond steps since 1 January 1601, without any
// time zone. Dates before 1601 give 0.
TDateTime FileTimeToDateTime(uint64_t fileTime);
uint64_t DateTimeToFileTime(TDateTime dateTime);

// Formats a date and time with the original specifiers:
//   d dd ddd dddd ddddd dddddd   day, short and long day name, short and long date
//   m mm mmm mmmm                month, short and long month name (minutes after h)
//   yy yyyy                      year
//   h hh n nn s ss z zzz         hour, minute, second, millisecond
//   am/pm a/p ampm               12-hour clock with the given letters or the settings' texts
//   c t tt                       short date and long time, short time, long time
//   / :                          the settings' separators
//   "..." '...'                  literal text
// An empty format stands for "c".
std::string FormatDateTime(std::string_view format, TDateTime dateTime,
                           const TFormatSettings& settings = FormatSettings());
