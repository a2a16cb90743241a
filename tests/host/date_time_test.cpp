#include "core/date_time.h"

#include <gtest/gtest.h>

#include "tests/host/gbk_text.h"

namespace dv {
namespace {

using test::Gbk;

struct ClockCase {
  LocalTime at;
  const char* text;
};

TEST(DateTimeText, LeavesOutTrailingZeroFieldsAndLeadingZeros) {
  const ClockCase cases[] = {
      {{2024, 1, 1, 0, 0, 0}, "2024年1月1日"},
      {{2024, 1, 1, 0, 0, 5}, "2024年1月1日0时0分5秒"},
      {{2024, 1, 1, 0, 5, 0}, "2024年1月1日0时5分"},
      {{2024, 3, 7, 10, 0, 0}, "2024年3月7日10时"},
      {{2024, 3, 7, 10, 5, 0}, "2024年3月7日10时5分"},
      {{2024, 3, 7, 10, 0, 7}, "2024年3月7日10时0分7秒"},
      {{2024, 12, 31, 23, 59, 59}, "2024年12月31日23时59分59秒"},
      {{2024, 2, 29, 12, 0, 1}, "2024年2月29日12时0分1秒"},
      {{9999, 12, 31, 12, 0, 0}, "9999年12月31日"},  // the last day shows no time
      {{100, 1, 1, 0, 0, 0}, "100年1月1日"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Gbk(date_time_text(date_time_of(c.at))), Gbk(c.text));
  }
}

TEST(DateTimeSplit, CountsDaysFromTheEndOf1899) {
  struct { double value; DateFields fields; } cases[] = {
      {0.0, {1899, 12, 30, 0, 0, 0}},
      {2.0, {1900, 1, 1, 0, 0, 0}},
      {60.0, {1900, 2, 28, 0, 0, 0}},
      {61.0, {1900, 3, 1, 0, 0, 0}},  // 1900 is no leap year
      {0.5, {1899, 12, 30, 12, 0, 0}},
      // Before the epoch the time counts from midnight by the fraction's size.
      {-1.25, {1899, 12, 29, 6, 0, 0}},
      // Clamped to the years 100 .. 9999.
      {1e12, {9999, 12, 31, 0, 0, 0}},
      {-1e12, {100, 1, 1, 0, 0, 0}},
      // Within half a second of the next second, the next second shows.
      {1.0 + 86399.6 / 86400.0, {1900, 1, 1, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    const DateFields f = split_date_time(c.value);
    SCOPED_TRACE(c.value);
    EXPECT_EQ(f.year, c.fields.year);
    EXPECT_EQ(f.month, c.fields.month);
    EXPECT_EQ(f.day, c.fields.day);
    EXPECT_EQ(f.hour, c.fields.hour);
    EXPECT_EQ(f.minute, c.fields.minute);
    EXPECT_EQ(f.second, c.fields.second);
  }
}

TEST(DateTimeSplit, AgreesWithLocalTimeEverySecondOfADayAndAcrossLeapDays) {
  for (const LocalTime day : {LocalTime{2023, 12, 31}, LocalTime{2024, 2, 29}, LocalTime{2000, 2, 29},
                              LocalTime{1900, 2, 28}, LocalTime{2100, 3, 1}}) {
    for (int s = 0; s < 86400; s += 7) {
      LocalTime t = day;
      t.hour = s / 3600;
      t.minute = s / 60 % 60;
      t.second = s % 60;
      const double v = date_time_of(t);
      const DateFields f = split_date_time(v);
      ASSERT_EQ(f.year, t.year);
      ASSERT_EQ(f.month, t.month);
      ASSERT_EQ(f.day, t.day);
      ASSERT_EQ(f.hour, t.hour) << t.year << "-" << t.month << "-" << t.day << " s=" << s;
      ASSERT_EQ(f.minute, t.minute);
      ASSERT_EQ(f.second, t.second);
      ASSERT_EQ(hour_of(v), t.hour);
      ASSERT_EQ(minute_of(v), t.minute);
      ASSERT_EQ(second_of(v), t.second);
    }
  }
}

TEST(HourMinuteSecondOf, LastSecondOfTheDayDoesNotCarry) {
  const double v = date_time_of(LocalTime{2024, 12, 31, 23, 59, 59});
  EXPECT_EQ(hour_of(v), 23);
  EXPECT_EQ(minute_of(v), 59);
  EXPECT_EQ(second_of(v), 59);
}

}  // namespace
}  // namespace dv
