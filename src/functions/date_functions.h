// The date_* built-ins. A date-time is one real: whole days since 30 December 1899 plus the
// fraction of the day; calendars come from the C library's local time, so results follow the
// machine's time zone.
#pragma once

#include <cstdint>

#include "script/builtin_function.h"

inline constexpr double kDateUnixEpochDay = 25569.0;  // 1970-01-01

double Date_TimeToDatetime(int64_t seconds);
// The second a date-time falls in; a value below 25569 is read as days since 1970-01-01.
int64_t Date_DatetimeToTime(double datetime);
double Date_SecondsToDays(int64_t seconds);
int64_t Date_DaysToSeconds(double days);

// Adds the family to the function table (called by InitMiscFunctions, in its place).
void Date_RegisterFunctions();

BuiltinSignature F_DateCurrentDatetime;
BuiltinSignature F_DateCreateDatetime;
BuiltinSignature F_DateCreateDate;
BuiltinSignature F_DateCreateTime;
BuiltinSignature F_DateValidDatetime;
BuiltinSignature F_DateValidDate;
BuiltinSignature F_DateValidTime;
BuiltinSignature F_DateIncYear;
BuiltinSignature F_DateIncMonth;
BuiltinSignature F_DateIncWeek;
BuiltinSignature F_DateIncDay;
BuiltinSignature F_DateIncHour;
BuiltinSignature F_DateIncMinute;
BuiltinSignature F_DateIncSecond;
BuiltinSignature F_DateGetYear;
BuiltinSignature F_DateGetMonth;
BuiltinSignature F_DateGetWeek;
BuiltinSignature F_DateGetDay;
BuiltinSignature F_DateGetWeekday;
BuiltinSignature F_DateGetHour;
BuiltinSignature F_DateGetMinute;
BuiltinSignature F_DateGetSecond;
BuiltinSignature F_DateGetDayOfYear;
BuiltinSignature F_DateGetHourOfYear;
BuiltinSignature F_DateGetMinuteOfYear;
BuiltinSignature F_DateGetSecondOfYear;
BuiltinSignature F_DateYearSpan;
BuiltinSignature F_DateMonthSpan;
BuiltinSignature F_DateWeekSpan;
BuiltinSignature F_DateDaySpan;
BuiltinSignature F_DateHourSpan;
BuiltinSignature F_DateMinuteSpan;
BuiltinSignature F_DateSecondSpan;
BuiltinSignature F_DateCompareDatetime;
BuiltinSignature F_DateCompareDate;
BuiltinSignature F_DateCompareTime;
BuiltinSignature F_DateDateOf;
BuiltinSignature F_DateTimeOf;
BuiltinSignature F_DateDatetimeString;
BuiltinSignature F_DateDateString;
BuiltinSignature F_DateTimeString;
BuiltinSignature F_DateDaysInMonth;
BuiltinSignature F_DateDaysInYear;
BuiltinSignature F_DateLeapYear;
BuiltinSignature F_DateIsToday;
