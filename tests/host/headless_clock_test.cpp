// The in-memory desktop's clock on its own: the program's date tests lean on
// it, so it is checked against dates written out by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "platform/headless/headless_desktop.h"

namespace dv {
namespace {

void expect_time(const LocalTime& got, const LocalTime& want) {
  EXPECT_EQ(got.year, want.year);
  EXPECT_EQ(got.month, want.month);
  EXPECT_EQ(got.day, want.day);
  EXPECT_EQ(got.hour, want.hour);
  EXPECT_EQ(got.minute, want.minute);
  EXPECT_EQ(got.second, want.second);
}

TEST(HeadlessClock, RunsOnAcrossDaysMonthsYearsAndLeapDays) {
  struct Case {
    LocalTime set;
    std::uint64_t later_ms;
    LocalTime want;
  } cases[] = {
      {{2024, 3, 7, 10, 50, 30}, 0, {2024, 3, 7, 10, 50, 30}},
      {{2024, 3, 7, 10, 50, 30}, 999, {2024, 3, 7, 10, 50, 30}},  // whole seconds only
      {{2024, 3, 7, 23, 59, 59}, 1000, {2024, 3, 8, 0, 0, 0}},
      {{2023, 12, 31, 23, 59, 59}, 1000, {2024, 1, 1, 0, 0, 0}},
      {{2024, 2, 28, 23, 59, 59}, 1000, {2024, 2, 29, 0, 0, 0}},
      {{2023, 2, 28, 23, 59, 59}, 1000, {2023, 3, 1, 0, 0, 0}},
      {{2000, 2, 28, 12, 0, 0}, 86400000, {2000, 2, 29, 12, 0, 0}},
      {{2100, 2, 28, 12, 0, 0}, 86400000, {2100, 3, 1, 12, 0, 0}},
      {{1900, 2, 28, 0, 0, 0}, 86400000, {1900, 3, 1, 0, 0, 0}},  // before 1970
      {{1969, 12, 31, 23, 59, 59}, 1000, {1970, 1, 1, 0, 0, 0}},
      {{2024, 1, 1, 0, 0, 0}, 366ULL * 86400000, {2025, 1, 1, 0, 0, 0}},
      {{2024, 4, 30, 6, 0, 0}, 40ULL * 86400000, {2024, 6, 9, 6, 0, 0}},
      {{100, 1, 1, 0, 0, 0}, 0, {100, 1, 1, 0, 0, 0}},
      {{9999, 12, 31, 23, 59, 59}, 0, {9999, 12, 31, 23, 59, 59}},
      {{2024, 1, 31, 24, 0, 0}, 0, {2024, 2, 1, 0, 0, 0}},  // past-the-end fields run on
      {{2023, 2, 29, 0, 0, 0}, 0, {2023, 3, 1, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    HeadlessDesktop d;
    d.set_local_time(c.set);
    d.advance(c.later_ms);
    SCOPED_TRACE(::testing::Message() << c.set.year << "-" << c.set.month << "-" << c.set.day
                                      << " +" << c.later_ms << " ms");
    expect_time(d.local_time(), c.want);
  }
}

TEST(HeadlessClock, SettingTheTimeLaterTakesEffectFromThatMoment) {
  HeadlessDesktop d;
  d.advance(12345);
  d.set_local_time(LocalTime{2024, 12, 31, 23, 59, 58});
  expect_time(d.local_time(), LocalTime{2024, 12, 31, 23, 59, 58});
  d.advance(2000);
  expect_time(d.local_time(), LocalTime{2025, 1, 1, 0, 0, 0});
}

TEST(HeadlessClock, RefusesAMonthThatDoesNotExist) {
  HeadlessDesktop d;
  EXPECT_THROW(d.set_local_time(LocalTime{2024, 13, 1, 0, 0, 0}), std::out_of_range);
  EXPECT_THROW(d.set_local_time(LocalTime{2024, 0, 1, 0, 0, 0}), std::out_of_range);
}

}  // namespace
}  // namespace dv
