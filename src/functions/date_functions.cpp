#include "functions/date_functions.h"

#include <cmath>
#include <ctime>
#include <optional>
#include <string>

#include "functions/argument_helpers.h"
#include "platform/conversions.h"
#include "script/function_table.h"

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr int kDaysPerMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool IsLeapYear(int64_t year) { return year % 4 == 0 && (year % 400 == 0 || year % 100 != 0); }

int DaysInMonth(int64_t year, int month /* 1..12 */) {
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDaysPerMonth[month - 1];
}

// The local calendar record of a seconds value; nullopt when the C library cannot represent it.
std::optional<std::tm> LocalTime(int64_t seconds) {
  const time_t t = static_cast<time_t>(seconds);
  std::tm record{};
  if (localtime_r(&t, &record) == nullptr) return std::nullopt;
  return record;
}

std::optional<std::tm> RecordOf(const ScriptValue& datetime) {
  return LocalTime(Date_DatetimeToTime(Arg_Real(datetime)));
}

// The C library's calendar fields are ints: a field pushed beyond them makes no date.
std::optional<int> CalendarField(int64_t value) {
  if (!Conv_FitsInt32(static_cast<double>(value))) return std::nullopt;
  return static_cast<int>(value);
}

// The seconds value of a record; nullopt when mktime cannot represent it. mktime sets the
// weekday only when it succeeds, which tells its failure from the second before 1970.
std::optional<int64_t> MakeTime(std::tm record) {
  record.tm_wday = -1;
  const time_t made = std::mktime(&record);
  if (made == static_cast<time_t>(-1) && record.tm_wday == -1) return std::nullopt;
  return static_cast<int64_t>(made);
}

double Compare(double a, double b) { return a < b ? -1.0 : (a > b ? 1.0 : 0.0); }

double FractionOf(double value) {
  double whole = 0.0;
  return std::modf(value, &whole);
}

int64_t SecondOfYear(const std::tm& record, int dayOfMonth) {
  int64_t days = dayOfMonth - 1;
  const int64_t year = int64_t{record.tm_year} + 1900;
  for (int m = 1; m <= record.tm_mon; ++m) days += DaysInMonth(year, m);
  return ((days * 24 + record.tm_hour) * 60 + record.tm_min) * 60 + record.tm_sec;
}

std::string Format(const std::optional<std::tm>& record, const char* format) {
  if (!record) return {};
  std::string text(1024, '\0');
  text.resize(std::strftime(text.data(), text.size(), format, &*record));
  return text;
}

// The record with one field grown by n x step, normalised by mktime; nullopt when the field
// or the date leaves what the C library can hold (the result then stays 0).
std::optional<int64_t> Shifted(std::optional<std::tm> record, int std::tm::*field, int32_t n, int32_t step) {
  if (!record) return std::nullopt;
  const std::optional<int> grown = CalendarField(int64_t{(*record).*field} + int64_t{n} * step);
  if (!grown) return std::nullopt;
  (*record).*field = *grown;
  return MakeTime(*record);
}

// Calendar-unit shift: the field grows by n and mktime normalises the record.
void IncCalendar(ScriptValue& result, ScriptValue* args, int std::tm::*field, int32_t step) {
  if (std::optional<int64_t> t = Shifted(RecordOf(args[0]), field, Arg_Rounded(args[1]), step))
    result.SetReal(Date_TimeToDatetime(*t));
}

// Clock-unit shift, on seconds counted without the 25569-day offset.
void IncClock(ScriptValue& result, ScriptValue* args, int std::tm::*field) {
  const std::optional<std::tm> record = LocalTime(Date_DaysToSeconds(Arg_Real(args[0])));
  if (std::optional<int64_t> t = Shifted(record, field, Arg_Rounded(args[1]), 1)) result.SetReal(Date_SecondsToDays(*t));
}

template <typename Getter>
void GetField(ScriptValue& result, const ScriptValue& datetime, Getter getter) {
  if (std::optional<std::tm> record = RecordOf(datetime)) result.SetReal(static_cast<double>(getter(*record)));
}

template <typename Getter>
void GetClockField(ScriptValue& result, const ScriptValue& days, Getter getter) {
  if (std::optional<std::tm> record = LocalTime(Date_DaysToSeconds(Arg_Real(days))))
    result.SetReal(static_cast<double>(getter(*record)));
}

double Span(ScriptValue* args) {
  const int64_t t1 = Date_DatetimeToTime(Arg_Real(args[0]));
  const int64_t t2 = Date_DatetimeToTime(Arg_Real(args[1]));
  // Unsigned, so that the distance between values far apart cannot overflow.
  const uint64_t difference = t1 > t2 ? uint64_t(t1) - uint64_t(t2) : uint64_t(t2) - uint64_t(t1);
  return static_cast<double>(difference);
}

// The date of the calendar fields (year and month counted from 1); the result stays 0 when the
// year or month cannot be a calendar field or mktime cannot represent the date.
void Create(ScriptValue& result, int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
            int32_t second) {
  const std::optional<int> yearField = CalendarField(int64_t{year} - 1900);
  const std::optional<int> monthField = CalendarField(int64_t{month} - 1);
  if (!yearField || !monthField) return;
  std::tm record{};
  record.tm_year = *yearField;
  record.tm_mon = *monthField;
  record.tm_mday = day;
  record.tm_hour = hour;
  record.tm_min = minute;
  record.tm_sec = second;
  record.tm_isdst = 0;
  if (std::optional<int64_t> t = MakeTime(record)) result.SetReal(Date_TimeToDatetime(*t));
}

// Every argument a real holding a whole number; their truncated values.
bool WholeReals(int argc, int expected, const ScriptValue* args, int64_t* out) {
  if (argc != expected) return false;
  for (int i = 0; i < argc; ++i) {
    if (!args[i].IsReal()) return false;
    const int64_t whole = Conv_TruncToInt64(args[i].real);
    if (static_cast<double>(whole) != args[i].real) return false;
    out[i] = whole;
  }
  return true;
}

bool ValidDate(int64_t year, int64_t month, int64_t day) {
  return year >= 0 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, static_cast<int>(month));
}

bool ValidTime(int64_t hour, int64_t minute, int64_t second) {
  return static_cast<uint64_t>(hour) <= 23 && static_cast<uint64_t>(minute) <= 59 &&
         static_cast<uint64_t>(second) <= 59;
}

}  // namespace

double Date_TimeToDatetime(int64_t seconds) {
  return (static_cast<double>(seconds) + 0.5) / kSecondsPerDay + kDateUnixEpochDay;
}

int64_t Date_DatetimeToTime(double datetime) {
  return Date_DaysToSeconds(datetime >= kDateUnixEpochDay ? datetime - kDateUnixEpochDay : datetime);
}

double Date_SecondsToDays(int64_t seconds) { return (static_cast<double>(seconds) + 0.5) / kSecondsPerDay; }

// The second in which the value falls. Values made here sit half a second into their second;
// a value on a whole second (a date from date_date_of, or typed in) belongs to the second it
// starts, even when the product lands a hair below it. Truncating "days x 86400 - 0.5" would
// put 1 January 2000 00:00:00.5 at 23:59:59 the day before whenever the product rounds down.
int64_t Date_DaysToSeconds(double days) {
  constexpr double kSnap = 1e-4;  // far above the rounding error of a date-time in seconds
  return Conv_TruncToInt64(std::floor(days * kSecondsPerDay + kSnap));
}


void F_DateCurrentDatetime(ScriptValue& result, CInstance*, CInstance*, int, ScriptValue*) {
  result.SetReal(Date_TimeToDatetime(static_cast<int64_t>(std::time(nullptr))));
}

void F_DateCreateDatetime(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Create(r, Arg_Rounded(a[0]), Arg_Rounded(a[1]), Arg_Rounded(a[2]), Arg_Rounded(a[3]), Arg_Rounded(a[4]),
         Arg_Rounded(a[5]));
}
void F_DateCreateDate(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Create(r, Arg_Rounded(a[0]), Arg_Rounded(a[1]), Arg_Rounded(a[2]), 0, 0, 0);
}
void F_DateCreateTime(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  Create(r, 1900, 1, 0, Arg_Rounded(a[0]), Arg_Rounded(a[1]), Arg_Rounded(a[2]));
}

void F_DateValidDatetime(ScriptValue& r, CInstance*, CInstance*, int argc, ScriptValue* a) {
  int64_t v[6];
  r.SetReal(WholeReals(argc, 6, a, v) && ValidDate(v[0], v[1], v[2]) && ValidTime(v[3], v[4], v[5]) ? 1.0 : 0.0);
}
void F_DateValidDate(ScriptValue& r, CInstance*, CInstance*, int argc, ScriptValue* a) {
  int64_t v[3];
  r.SetReal(WholeReals(argc, 3, a, v) && ValidDate(v[0], v[1], v[2]) ? 1.0 : 0.0);
}
void F_DateValidTime(ScriptValue& r, CInstance*, CInstance*, int argc, ScriptValue* a) {
  int64_t v[3];
  r.SetReal(WholeReals(argc, 3, a, v) && ValidTime(v[0], v[1], v[2]) ? 1.0 : 0.0);
}

void F_DateIncYear(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { IncCalendar(r, a, &std::tm::tm_year, 1); }
void F_DateIncMonth(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { IncCalendar(r, a, &std::tm::tm_mon, 1); }
void F_DateIncWeek(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { IncCalendar(r, a, &std::tm::tm_mday, 7); }
void F_DateIncDay(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { IncCalendar(r, a, &std::tm::tm_mday, 1); }
void F_DateIncHour(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { IncClock(r, a, &std::tm::tm_hour); }
void F_DateIncMinute(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { IncClock(r, a, &std::tm::tm_min); }
void F_DateIncSecond(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { IncClock(r, a, &std::tm::tm_sec); }

void F_DateGetYear(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetField(r, a[0], [](const std::tm& t) { return int64_t{t.tm_year} + 1900; });
}
void F_DateGetMonth(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetField(r, a[0], [](const std::tm& t) { return t.tm_mon + 1; });
}
void F_DateGetWeek(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetField(r, a[0], [](const std::tm& t) { return t.tm_yday / 7; });
}
void F_DateGetDay(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetField(r, a[0], [](const std::tm& t) { return t.tm_mday; });
}
void F_DateGetWeekday(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetField(r, a[0], [](const std::tm& t) { return t.tm_wday; });
}
void F_DateGetHour(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetClockField(r, a[0], [](const std::tm& t) { return t.tm_hour; });
}
void F_DateGetMinute(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetClockField(r, a[0], [](const std::tm& t) { return t.tm_min; });
}
void F_DateGetSecond(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetClockField(r, a[0], [](const std::tm& t) { return t.tm_sec; });
}
void F_DateGetDayOfYear(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetField(r, a[0], [](const std::tm& t) { return SecondOfYear(t, t.tm_mday + 1) / 86400; });
}
void F_DateGetHourOfYear(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetField(r, a[0], [](const std::tm& t) { return SecondOfYear(t, t.tm_mday) / 3600; });
}
void F_DateGetMinuteOfYear(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetField(r, a[0], [](const std::tm& t) { return SecondOfYear(t, t.tm_mday) / 60; });
}
void F_DateGetSecondOfYear(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetField(r, a[0], [](const std::tm& t) { return SecondOfYear(t, t.tm_mday); });
}

void F_DateYearSpan(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { r.SetReal(Span(a) / 3600 / 24 / 365.25); }
void F_DateMonthSpan(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { r.SetReal(Span(a) / 3600 / 24 / 30.4375); }
void F_DateWeekSpan(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { r.SetReal(Span(a) / 3600 / 24 / 7); }
void F_DateDaySpan(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { r.SetReal(Span(a) / 3600 / 24); }
void F_DateHourSpan(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { r.SetReal(Span(a) / 3600); }
void F_DateMinuteSpan(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { r.SetReal(Span(a) / 60); }
void F_DateSecondSpan(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { r.SetReal(Span(a)); }

void F_DateCompareDatetime(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  r.SetReal(Compare(Arg_Real(a[0]), Arg_Real(a[1])));
}
void F_DateCompareDate(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  r.SetReal(Compare(std::trunc(Arg_Real(a[0])), std::trunc(Arg_Real(a[1]))));
}
void F_DateCompareTime(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  r.SetReal(Compare(FractionOf(Arg_Real(a[0])), FractionOf(Arg_Real(a[1]))));
}
void F_DateDateOf(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { r.SetReal(std::trunc(Arg_Real(a[0]))); }
void F_DateTimeOf(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) { r.SetReal(FractionOf(Arg_Real(a[0]))); }

void F_DateDatetimeString(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  r.SetString(Format(RecordOf(a[0]), "%d/%m/%Y %H:%M:%S"));
}
void F_DateDateString(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  r.SetString(Format(RecordOf(a[0]), "%d/%m/%Y"));
}
void F_DateTimeString(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  r.SetString(Format(LocalTime(Date_DaysToSeconds(Arg_Real(a[0]))), "%H:%M:%S"));
}

void F_DateDaysInMonth(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetField(r, a[0], [](const std::tm& t) { return DaysInMonth(int64_t{t.tm_year} + 1900, t.tm_mon + 1); });
}
void F_DateDaysInYear(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetField(r, a[0], [](const std::tm& t) { return IsLeapYear(int64_t{t.tm_year} + 1900) ? 366 : 365; });
}
void F_DateLeapYear(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  GetField(r, a[0], [](const std::tm& t) { return IsLeapYear(int64_t{t.tm_year} + 1900) ? 1 : 0; });
}
void F_DateIsToday(ScriptValue& r, CInstance*, CInstance*, int, ScriptValue* a) {
  std::optional<std::tm> day = RecordOf(a[0]);
  std::optional<std::tm> today = LocalTime(static_cast<int64_t>(std::time(nullptr)));
  r.SetReal(day && today && day->tm_year == today->tm_year && day->tm_mon == today->tm_mon &&
                    day->tm_yday == today->tm_yday
                ? 1.0
                : 0.0);
}

namespace {
struct DateBuiltin {
  const char* name;
  BuiltinFunction implementation;
  int32_t argc;
};

constexpr DateBuiltin kDateBuiltins[] = {
    {"date_current_datetime", F_DateCurrentDatetime, 0},
    {"date_current_date", F_DateCurrentDatetime, 0},
    {"date_current_time", F_DateCurrentDatetime, 0},
    {"date_create_datetime", F_DateCreateDatetime, 6},
    {"date_create_date", F_DateCreateDate, 3},
    {"date_create_time", F_DateCreateTime, 3},
    {"date_valid_datetime", F_DateValidDatetime, 6},
    {"date_valid_date", F_DateValidDate, 3},
    {"date_valid_time", F_DateValidTime, 3},
    {"date_inc_year", F_DateIncYear, 2},
    {"date_inc_month", F_DateIncMonth, 2},
    {"date_inc_week", F_DateIncWeek, 2},
    {"date_inc_day", F_DateIncDay, 2},
    {"date_inc_hour", F_DateIncHour, 2},
    {"date_inc_minute", F_DateIncMinute, 2},
    {"date_inc_second", F_DateIncSecond, 2},
    {"date_get_year", F_DateGetYear, 1},
    {"date_get_month", F_DateGetMonth, 1},
    {"date_get_week", F_DateGetWeek, 1},
    {"date_get_day", F_DateGetDay, 1},
    {"date_get_weekday", F_DateGetWeekday, 1},
    {"date_get_hour", F_DateGetHour, 1},
    {"date_get_minute", F_DateGetMinute, 1},
    {"date_get_second", F_DateGetSecond, 1},
    {"date_get_day_of_year", F_DateGetDayOfYear, 1},
    {"date_get_hour_of_year", F_DateGetHourOfYear, 1},
    {"date_get_minute_of_year", F_DateGetMinuteOfYear, 1},
    {"date_get_second_of_year", F_DateGetSecondOfYear, 1},
    {"date_year_span", F_DateYearSpan, 2},
    {"date_month_span", F_DateMonthSpan, 2},
    {"date_week_span", F_DateWeekSpan, 2},
    {"date_day_span", F_DateDaySpan, 2},
    {"date_hour_span", F_DateHourSpan, 2},
    {"date_minute_span", F_DateMinuteSpan, 2},
    {"date_second_span", F_DateSecondSpan, 2},
    {"date_compare_datetime", F_DateCompareDatetime, 2},
    {"date_compare_date", F_DateCompareDate, 2},
    {"date_compare_time", F_DateCompareTime, 2},
    {"date_date_of", F_DateDateOf, 1},
    {"date_time_of", F_DateTimeOf, 1},
    {"date_datetime_string", F_DateDatetimeString, 1},
    {"date_date_string", F_DateDateString, 1},
    {"date_time_string", F_DateTimeString, 1},
    {"date_days_in_month", F_DateDaysInMonth, 1},
    {"date_days_in_year", F_DateDaysInYear, 1},
    {"date_leap_year", F_DateLeapYear, 1},
    {"date_is_today", F_DateIsToday, 1},
};
}  // namespace

void Date_RegisterFunctions() {
  for (const DateBuiltin& builtin : kDateBuiltins) Function_Add(builtin.name, builtin.implementation, builtin.argc);
}
