#include "functions/misc_functions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <ctime>
#include <string>
#include <vector>

#include "functions/builtin_call.h"
#include "functions/date_functions.h"
#include "script/external_calls.h"

namespace {

// Game code cannot pass the 22 arguments a 17-argument definition needs (calls take at most
// 16), so the limit is checked here.
TEST(ExternalDefineBuiltin, RefusesMoreThanSixteenArguments) {
  External_Reset();
  std::vector<ScriptValue> args = {S(KF_EXTERNAL_TEST_LIBRARY), S("ext_weighted16"), R(0), R(0), R(17)};
  for (int i = 0; i < 17; ++i) args.push_back(R(0));
  ConsoleCapture capture;
  EXPECT_EQ(CallBuiltin(F_ExternalDefine, args).real, 0.0);
  EXPECT_NE(capture.Text().find("DLL functions can have at most 16 arguments"), std::string::npos);

  args[4] = R(16);
  args.pop_back();
  EXPECT_EQ(CallBuiltin(F_ExternalDefine, args).real, 0.0);  // the first id
  std::vector<ScriptValue> call = {R(0)};
  for (int i = 0; i < 16; ++i) call.push_back(R(1));
  EXPECT_EQ(CallBuiltin(F_ExternalCall, call).real, 136.0);
  // More arguments than any definition can take call nothing.
  call.push_back(R(1));
  EXPECT_EQ(CallBuiltin(F_ExternalCall, call).real, 0.0);
  External_Reset();
}

class DateBuiltins : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    saved_ = tz != nullptr ? std::optional<std::string>(tz) : std::nullopt;
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void TearDown() override {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  std::optional<std::string> saved_;
};

double Date(int y, int m, int d) { return CallBuiltin(F_DateCreateDate, {R(y), R(m), R(d)}).real; }

TEST_F(DateBuiltins, CreateAndTakeApart) {
  const double y2k = Date(2000, 1, 1);
  EXPECT_DOUBLE_EQ(y2k, 36526.0 + 0.5 / 86400.0);
  struct Case {
    BuiltinFunction fn;
    double expected;
  };
  const double noon = CallBuiltin(F_DateCreateDatetime, {R(2024), R(2), R(10), R(12), R(34), R(56)}).real;
  for (const Case& c : {Case{F_DateGetYear, 2000}, Case{F_DateGetMonth, 1}, Case{F_DateGetDay, 1},
                        Case{F_DateGetWeekday, 6}, Case{F_DateGetDayOfYear, 1}, Case{F_DateGetWeek, 0},
                        Case{F_DateDaysInYear, 366}, Case{F_DateLeapYear, 1}})
    EXPECT_EQ(CallBuiltin(c.fn, {R(y2k)}).real, c.expected);
  for (const Case& c : {Case{F_DateGetHour, 12}, Case{F_DateGetMinute, 34}, Case{F_DateGetSecond, 56},
                        Case{F_DateDaysInMonth, 29}, Case{F_DateGetDayOfYear, 41},
                        Case{F_DateGetHourOfYear, 40 * 24 + 12}})
    EXPECT_EQ(CallBuiltin(c.fn, {R(noon)}).real, c.expected);
  EXPECT_EQ(CallBuiltin(F_DateDatetimeString, {R(y2k)}).Text(), "01/01/2000 00:00:00");
  EXPECT_EQ(CallBuiltin(F_DateDateString, {R(noon)}).Text(), "10/02/2024");
  EXPECT_EQ(CallBuiltin(F_DateTimeString, {R(noon)}).Text(), "12:34:56");
  // Month 13 is January of the next year.
  EXPECT_EQ(Date(2000, 13, 1), Date(2001, 1, 1));
}

TEST_F(DateBuiltins, Validity) {
  struct Case {
    BuiltinFunction fn;
    std::vector<ScriptValue> args;
    double expected;
  };
  const Case cases[] = {
      {F_DateValidDate, {R(2000), R(2), R(29)}, 1},  {F_DateValidDate, {R(1900), R(2), R(29)}, 0},
      {F_DateValidDate, {R(2001.5), R(1), R(1)}, 0}, {F_DateValidDate, {R(2000), R(2)}, 0},
      {F_DateValidDate, {R(2000), S("2"), R(1)}, 0}, {F_DateValidDate, {R(2000), R(12), R(31)}, 1},
      {F_DateValidTime, {R(24), R(0), R(0)}, 0},     {F_DateValidTime, {R(23), R(59), R(59)}, 1},
      {F_DateValidTime, {R(-1), R(0), R(0)}, 0},
      {F_DateValidDatetime, {R(2000), R(1), R(1), R(0), R(60), R(0)}, 0},
      {F_DateValidDatetime, {R(2000), R(1), R(1), R(0), R(59), R(0)}, 1},
  };
  for (const Case& c : cases) {
    std::vector<ScriptValue> args = c.args;
    EXPECT_EQ(CallBuiltin(c.fn, args).real, c.expected) << args.size() << " arguments, first " << args[0].real;
  }
}

TEST_F(DateBuiltins, ShiftsSpansAndComparisons) {
  const double jan31 = Date(2001, 1, 31);
  EXPECT_EQ(CallBuiltin(F_DateIncMonth, {R(jan31), R(1)}).real, Date(2001, 3, 3));
  EXPECT_EQ(CallBuiltin(F_DateIncDay, {R(jan31), R(7)}).real, CallBuiltin(F_DateIncWeek, {R(jan31), R(1)}).real);
  EXPECT_EQ(CallBuiltin(F_DateIncDay, {R(jan31), R(0)}).real, jan31);
  EXPECT_EQ(CallBuiltin(F_DateIncYear, {R(jan31), R(-1)}).real, Date(2000, 1, 31));
  EXPECT_NEAR(CallBuiltin(F_DateIncHour, {R(jan31), R(36)}).real, jan31 + 1.5, 1e-9);
  EXPECT_NEAR(CallBuiltin(F_DateIncSecond, {R(jan31), R(-86400)}).real, jan31 - 1, 1e-9);

  EXPECT_EQ(CallBuiltin(F_DateDaySpan, {R(jan31), R(jan31 + 1.5)}).real, 1.5);
  EXPECT_EQ(CallBuiltin(F_DateDaySpan, {R(jan31 + 1.5), R(jan31)}).real, 1.5);
  EXPECT_EQ(CallBuiltin(F_DateHourSpan, {R(jan31), R(jan31 + 1.5)}).real, 36.0);
  EXPECT_EQ(CallBuiltin(F_DateCompareDate, {R(36526.9), R(36526.1)}).real, 0.0);
  EXPECT_EQ(CallBuiltin(F_DateCompareTime, {R(36526.9), R(36526.1)}).real, 1.0);
  EXPECT_EQ(CallBuiltin(F_DateCompareDatetime, {R(1), R(2)}).real, -1.0);
  EXPECT_EQ(CallBuiltin(F_DateTimeOf, {R(-1.25)}).real, -0.25);
  EXPECT_EQ(CallBuiltin(F_DateDateOf, {R(-1.25)}).real, -1.0);

  const double now = CallBuiltin(F_DateCurrentDatetime, {}).real;
  EXPECT_EQ(CallBuiltin(F_DateIsToday, {R(now)}).real, 1.0);
  EXPECT_EQ(CallBuiltin(F_DateIsToday, {R(now - 1)}).real, 0.0);
  // Values below 25569 count days from 1970: day 1 is 2 January 1970.
  EXPECT_EQ(CallBuiltin(F_DateDateString, {R(1.0)}).Text(), "02/01/1970");
}

TEST_F(DateBuiltins, BeyondTheCalendarNoDateIsMade) {
  // A year or month that no calendar field holds makes no date: the result stays 0.
  const std::vector<std::vector<ScriptValue>> unmade = {
      {R(1e10), R(1), R(1)},  {R(-1e10), R(1), R(1)}, {R(2000), R(1e10), R(1)}, {R(2000), R(-1e12), R(1)},
      {R(NAN), R(1), R(1)},   {R(2000), R(NAN), R(1)}, {R(-2147483000.0), R(1), R(1)},
  };
  for (const std::vector<ScriptValue>& args : unmade) {
    EXPECT_EQ(CallBuiltin(F_DateCreateDate, args).real, 0.0) << args[0].real << " " << args[1].real;
    std::vector<ScriptValue> full = args;
    full.insert(full.end(), {R(12), R(0), R(0)});
    EXPECT_EQ(CallBuiltin(F_DateCreateDatetime, full).real, 0.0) << args[0].real << " " << args[1].real;
  }
  // Far but representable days, hours and seconds are still normalised.
  EXPECT_GT(CallBuiltin(F_DateCreateDate, {R(2000), R(1), R(1e6)}).real, 36526.0 + 999990.0);
  EXPECT_EQ(CallBuiltin(F_DateCreateDate, {R(2000), R(1), R(1)}).real,
            CallBuiltin(F_DateCreateDatetime, {R(2000), R(1), R(1), R(0), R(0), R(0)}).real);

  // Shifts that push a field beyond an int, or the date beyond the C library, give no date.
  const double y2k = CallBuiltin(F_DateCreateDate, {R(2000), R(1), R(1)}).real;
  EXPECT_EQ(CallBuiltin(F_DateIncWeek, {R(y2k), R(1e10)}).real, 0.0);
  EXPECT_EQ(CallBuiltin(F_DateIncWeek, {R(y2k), R(400000000)}).real, 0.0);  // 2.8e9 days
  EXPECT_EQ(CallBuiltin(F_DateIncYear, {R(y2k), R(2147483600)}).real, 0.0);
  for (BuiltinFunction shift : {F_DateIncYear, F_DateIncMonth, F_DateIncWeek, F_DateIncDay, F_DateIncHour,
                                F_DateIncMinute, F_DateIncSecond}) {
    EXPECT_EQ(CallBuiltin(shift, {R(NAN), R(1)}).real, 0.0);
  }
  EXPECT_EQ(CallBuiltin(F_DateIncWeek, {R(y2k), R(1)}).real, y2k + 7);
  EXPECT_EQ(CallBuiltin(F_DateIncSecond, {R(y2k), R(2000000000)}).real,
            CallBuiltin(F_DateCreateDatetime, {R(2063), R(5), R(18), R(3), R(33), R(20)}).real);

  // Spans between values 2^63 seconds apart or more are measured, not wrapped.
  EXPECT_DOUBLE_EQ(CallBuiltin(F_DateSecondSpan, {R(-1e14), R(1e14)}).real, 2e14 * 86400 - 25569 * 86400.0);
  EXPECT_GT(CallBuiltin(F_DateSecondSpan, {R(1e14), R(NAN)}).real, 1.7e19);
  EXPECT_EQ(CallBuiltin(F_DateDaySpan, {R(y2k), R(y2k + 1.5)}).real, 1.5);
}

}  // namespace
