#include "ui/clock.h"

#include <gtest/gtest.h>

#include "tests/host/program_fixture.h"

namespace dv {
namespace {

using test::Gbk;

class ClockTest : public test::ProgramTest {};

TEST_F(ClockTest, ShowsTheTimeReadAtEachTick) {
  EXPECT_EQ(text("编辑框4"), Gbk(""));
  desktop.advance(1000);
  EXPECT_EQ(text("编辑框4"), Gbk("2024年3月7日10时50分31秒"));
  desktop.advance(29000);
  EXPECT_EQ(text("编辑框4"), Gbk("2024年3月7日10时51分"));
}

TEST_F(ClockTest, RunsAcrossTheYearEndAndALeapDay) {
  desktop.set_local_time(LocalTime{2023, 12, 31, 23, 59, 58});
  desktop.advance(1000);
  EXPECT_EQ(text("编辑框4"), Gbk("2023年12月31日23时59分59秒"));
  desktop.advance(1000);
  EXPECT_EQ(text("编辑框4"), Gbk("2024年1月1日"));
  desktop.set_local_time(LocalTime{2024, 2, 28, 23, 59, 59});
  desktop.advance(1000);
  EXPECT_EQ(text("编辑框4"), Gbk("2024年2月29日"));
}

TEST_F(ClockTest, ADelayedTickJumpsAndIsNotMadeUp) {
  desktop.advance(1000);
  desktop.stall(2500);
  desktop.process_pending();
  EXPECT_EQ(text("编辑框4"), Gbk("2024年3月7日10时50分33秒"));
  EXPECT_EQ(desktop.change_notifications(id("编辑框4")), 2);
}

}  // namespace
}  // namespace dv
