#include "core/schedule.h"

#include <gtest/gtest.h>

#include "tests/host/program_fixture.h"

namespace dv {
namespace {

using test::Gbk;
using Strings = std::vector<Gbk>;

class ScheduleTest : public test::ProgramTest {
 protected:
  Gbk shutdown_time() const {
    return Gbk(desktop.text(id("编辑框8")) + ":" + desktop.text(id("编辑框9")) + ":" +
               desktop.text(id("编辑框10")));
  }
  int period(const char* timer) { return program.fields().read_period(timer); }
  void expect_inputs_enabled(bool on) {
    for (const char* n : {"按钮1", "编辑框1", "编辑框2", "编辑框3"}) {
      EXPECT_EQ(enabled(n), on) << test::to_utf8(n);
    }
  }
};

TEST_F(ScheduleTest, ConfirmsFillsTheFieldsAndStartsBothTimers) {
  type_delay("0", "0", "10");
  ASSERT_TRUE(click("按钮1"));
  EXPECT_EQ(box_texts(), (Strings{"0小时0分钟10秒后关机"}));
  const auto& box = desktop.boxes()[0];
  EXPECT_EQ(Gbk(box.caption), Gbk("信息："));
  EXPECT_EQ(box.flags, mb::ok | mb::task_modal);
  EXPECT_EQ(shutdown_time(), Gbk("10:50:40"));
  EXPECT_EQ(remaining(), Gbk("0 / 0 / 10"));
  EXPECT_EQ(period("时钟1"), 10000);
  EXPECT_EQ(desktop.timer_interval(id("时钟1")), 10000);
  EXPECT_EQ(period("时钟3"), 1000);
  EXPECT_EQ(desktop.timer_interval(id("时钟3")), 1000);
  expect_inputs_enabled(false);
}

TEST_F(ScheduleTest, ShutdownTimeIsThreeSumsWithoutCarry) {
  struct Case {
    LocalTime at;
    const char *h, *m, *s;
    const char* shutdown;
    int period;
  } cases[] = {
      {{2024, 3, 7, 10, 50, 30}, "0", "20", "45", "10:70:75", 1245000},
      {{2024, 3, 7, 23, 30, 0}, "2", "0", "0", "25:30:0", 7200000},
      {{2024, 3, 7, 10, 50, 30}, "-1", "0", "0", "9:50:30", 0},
      {{2024, 3, 7, 10, 50, 30}, "1", "-30", "0", "11:20:30", 1800000},
      {{2024, 3, 7, 10, 50, 30}, "1.5", "0", "0", "11:50:30", 3600000},
      {{2024, 3, 7, 10, 50, 30}, "596", "31", "23", "606:81:53", 2147483000},
      {{2024, 3, 7, 10, 50, 30}, "0", "３０", "0", "10:80:30", 1800000},
  };
  for (const auto& c : cases) {
    HeadlessDesktop d;
    d.set_local_time(c.at);
    Program p(d);
    p.prepare();
    p.load();
    ASSERT_TRUE(d.type(p.id_of("编辑框1"), c.h));
    ASSERT_TRUE(d.type(p.id_of("编辑框2"), c.m));
    ASSERT_TRUE(d.type(p.id_of("编辑框3"), c.s));
    ASSERT_TRUE(d.click(p.id_of("按钮1")));
    SCOPED_TRACE(std::string(c.h) + "/" + test::to_utf8(c.m) + "/" + c.s);
    EXPECT_EQ(Gbk(d.text(p.id_of("编辑框8")) + ":" + d.text(p.id_of("编辑框9")) + ":" +
                  d.text(p.id_of("编辑框10"))),
              Gbk(c.shutdown));
    EXPECT_EQ(p.fields().read_period("时钟1"), c.period);
    EXPECT_EQ(d.timer_set(p.id_of("时钟1")), c.period > 0);
    // Remaining fields are the delay texts exactly as typed.
    EXPECT_EQ(Gbk(d.text(p.id_of("编辑框5"))), Gbk(c.h));
    EXPECT_EQ(Gbk(d.text(p.id_of("编辑框6"))), Gbk(c.m));
    ASSERT_FALSE(d.boxes().empty());
    EXPECT_EQ(Gbk(d.boxes()[0].text),
              Gbk(std::string(c.h) + "小时" + c.m + "分钟" + c.s + "秒后关机"));
  }
}

TEST_F(ScheduleTest, EachEmptyFieldIsWarnedAboutAndCountsAsZero) {
  type_delay("", "", "");
  ASSERT_TRUE(click("按钮1"));
  EXPECT_EQ(box_texts(),
            (Strings{"小时分钟秒后关机", "时间不能为空", "时间不能为空", "时间不能为空"}));
  EXPECT_EQ(shutdown_time(), Gbk("10:50:30"));
  EXPECT_EQ(remaining(), Gbk(" /  / "));
  EXPECT_EQ(period("时钟1"), 0);
  EXPECT_FALSE(desktop.timer_set(id("时钟1")));
  EXPECT_TRUE(desktop.timer_set(id("时钟3")));
  expect_inputs_enabled(false);
}

TEST_F(ScheduleTest, OnlyTheEmptyFieldIsWarnedAboutAndBlanksAreNotEmpty) {
  type_delay(" ", "", "5");
  ASSERT_TRUE(click("按钮1"));
  EXPECT_EQ(box_texts(), (Strings{" 小时分钟5秒后关机", "时间不能为空"}));
  EXPECT_EQ(remaining(), Gbk("  /  / 5"));
  EXPECT_EQ(period("时钟1"), 5000);
}

TEST_F(ScheduleTest, DelayBeyondTheLongestPeriodIsRefusedAndCanBeCorrected) {
  type_delay("1193", "2", "48");  // would wrap to a 704 ms period
  ASSERT_TRUE(click("按钮1"));
  EXPECT_EQ(box_texts(),
            (Strings{"1193小时2分钟48秒后关机", "关机延时不能超过596小时31分钟23秒"}));
  EXPECT_EQ(period("时钟1"), 0);
  EXPECT_EQ(period("时钟3"), 0);
  EXPECT_EQ(shutdown_time(), Gbk("0:0:0"));
  EXPECT_EQ(remaining(), Gbk("0 / 0 / 0"));
  expect_inputs_enabled(true);

  // One second more than the longest period is refused as well ...
  type_delay("596", "31", "24");
  ASSERT_TRUE(click("按钮1"));
  EXPECT_EQ(box_texts().back(), Gbk("关机延时不能超过596小时31分钟23秒"));
  expect_inputs_enabled(true);
  // ... and the corrected delay is scheduled.
  type("编辑框3", "23");
  ASSERT_TRUE(click("按钮1"));
  EXPECT_EQ(period("时钟1"), 2147483000);
  expect_inputs_enabled(false);
}

TEST_F(ScheduleTest, VeryNegativeDelayLeavesTheShutdownTimerStopped) {
  // -1193:2:48 is -2^32 + 704 ms: its low 32 bits would be a positive period.
  type_delay("-1193", "-2", "-48");
  ASSERT_TRUE(click("按钮1"));
  EXPECT_EQ(period("时钟1"), 0);
  EXPECT_FALSE(desktop.timer_set(id("时钟1")));
  expect_inputs_enabled(false);
  desktop.advance(10000);
  EXPECT_TRUE(desktop.power_requests().empty());
}

TEST_F(ScheduleTest, ClockKeepsTickingWhileTheConfirmationIsOpen) {
  desktop.set_box_script([](const HeadlessDesktop::MessageBoxRecord&, HeadlessDesktop& d) {
    d.advance(3000);  // the user reads for three seconds
    return mb::id_ok;
  });
  type_delay("0", "0", "10");
  ASSERT_TRUE(click("按钮1"));
  EXPECT_EQ(desktop.change_notifications(id("编辑框4")), 3);
  EXPECT_EQ(text("编辑框4"), Gbk("2024年3月7日10时50分33秒"));
  // The shutdown time is taken after the box was dismissed.
  EXPECT_EQ(Gbk(desktop.text(id("编辑框10"))), Gbk("43"));
}

TEST_F(ScheduleTest, RunsOnlyOnceTheButtonIsDisabledAfterwards) {
  type_delay("0", "0", "10");
  ASSERT_TRUE(click("按钮1"));
  EXPECT_FALSE(click("按钮1"));
  EXPECT_FALSE(desktop.type(id("编辑框1"), "5"));
  EXPECT_EQ(desktop.boxes().size(), 1u);
}

TEST(ShowMessage, MapsStyleAndAnswer) {
  HeadlessDesktop d;
  d.set_box_script([](const HeadlessDesktop::MessageBoxRecord&, HeadlessDesktop&) { return 7; });
  EXPECT_EQ(show_message(d, "x"), 6);  // IDNO
  EXPECT_EQ(d.boxes().back().flags, mb::task_modal);
  show_message(d, "x", mb::system_modal | mb::icon_error, "c");
  EXPECT_EQ(d.boxes().back().flags, mb::system_modal | mb::icon_error);
  d.set_box_script([](const HeadlessDesktop::MessageBoxRecord&, HeadlessDesktop&) { return 11; });
  EXPECT_EQ(show_message(d, "x"), 0);
}

}  // namespace
}  // namespace dv
