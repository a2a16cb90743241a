#include "core/field_store.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/host/program_fixture.h"

namespace dv {
namespace {

using test::Gbk;

class FieldStoreTest : public test::ProgramTest {
 protected:
  FieldStore& f() { return program.fields(); }
  int clock_updates() const { return desktop.change_notifications(id("编辑框4")); }
  bool called(const std::string& prefix) const {
    const auto& c = desktop.calls();
    return std::any_of(c.begin(), c.end(),
                       [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  }
};

TEST_F(FieldStoreTest, ReadsWhatTheUserTypedAndEmptyAsEmpty) {
  type("编辑框1", "12");
  EXPECT_EQ(Gbk(f().read_text("编辑框1")), Gbk("12"));
  f().write_text("编辑框1", "");
  EXPECT_EQ(Gbk(f().read_text("编辑框1")), Gbk(""));
}

TEST_F(FieldStoreTest, EveryTextWriteNotifiesAChangeEvenWithTheSameText) {
  const int before = desktop.change_notifications(id("编辑框5"));
  f().write_text("编辑框5", "0");
  f().write_text("编辑框5", "0");
  EXPECT_EQ(desktop.change_notifications(id("编辑框5")), before + 2);
}

TEST_F(FieldStoreTest, DisabledFlagEnablesAndDisables) {
  f().write_disabled("按钮1", true);
  EXPECT_FALSE(enabled("按钮1"));
  f().write_disabled("按钮1", false);
  EXPECT_TRUE(enabled("按钮1"));
}

TEST_F(FieldStoreTest, ClockTimerRunsFromStartOthersAreStopped) {
  EXPECT_EQ(f().read_period("时钟2"), 1000);
  EXPECT_EQ(desktop.timer_interval(id("时钟2")), 1000);
  EXPECT_EQ(f().read_period("时钟1"), 0);
  EXPECT_FALSE(desktop.timer_set(id("时钟1")));
  EXPECT_FALSE(desktop.timer_set(id("时钟3")));
  desktop.advance(999);
  EXPECT_EQ(clock_updates(), 0);
  desktop.advance(1);
  EXPECT_EQ(clock_updates(), 1);
}

TEST_F(FieldStoreTest, WritingTheSamePeriodKeepsTheRhythm) {
  desktop.advance(400);
  desktop.clear_calls();
  f().write_period("时钟2", 1000);
  EXPECT_FALSE(called("SetTimer"));
  EXPECT_FALSE(called("KillTimer"));
  desktop.advance(599);
  EXPECT_EQ(clock_updates(), 0);
  desktop.advance(1);  // still at 1000 ms after start
  EXPECT_EQ(clock_updates(), 1);
}

TEST_F(FieldStoreTest, AnotherPeriodRestartsTheCount) {
  desktop.advance(400);
  f().write_period("时钟2", 500);
  desktop.advance(499);
  EXPECT_EQ(clock_updates(), 0);
  desktop.advance(1);  // 500 ms after the write, not at 1000 ms
  EXPECT_EQ(clock_updates(), 1);
}

TEST_F(FieldStoreTest, NegativePeriodStopsAndZeroOnAStoppedTimerDoesNothing) {
  f().write_period("时钟2", -5);
  EXPECT_EQ(f().read_period("时钟2"), 0);
  EXPECT_FALSE(desktop.timer_set(id("时钟2")));
  desktop.advance(5000);
  EXPECT_EQ(clock_updates(), 0);

  desktop.clear_calls();
  f().write_period("时钟1", 0);
  EXPECT_TRUE(desktop.calls().empty());
}

TEST_F(FieldStoreTest, LargestPeriodIsHandedOverUnchanged) {
  f().write_period("时钟1", 2147483647);
  EXPECT_TRUE(called("SetTimer " + std::to_string(id("时钟1")) + " 2147483647"));
  EXPECT_EQ(f().read_period("时钟1"), 2147483647);
}

TEST_F(FieldStoreTest, LateTimerEventsAreMergedNotMadeUp) {
  desktop.stall(5500);  // a busy thread: five periods go by undelivered
  desktop.process_pending();
  EXPECT_EQ(clock_updates(), 1);
  desktop.advance(500);  // the rhythm goes on from the original phase
  EXPECT_EQ(clock_updates(), 2);
}

TEST_F(FieldStoreTest, DestroyRequestWaitsForTheHandlerThenBeatsPendingTimers) {
  desktop.stall(3000);  // a clock event is overdue
  f().destroy_request();
  EXPECT_TRUE(desktop.window_alive());  // the requesting handler is still running
  desktop.process_pending();
  EXPECT_FALSE(desktop.window_alive());
  EXPECT_FALSE(desktop.exists(id("编辑框4")));
  // The overdue clock event never ran.
  const auto& calls = desktop.calls();
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                          [](const std::string& l) { return l.rfind("SetWindowText", 0) == 0; }),
            0);
}

TEST_F(FieldStoreTest, DestroyRequestAfterTheWindowWentIsVoid) {
  f().destroy_request();
  desktop.close_by_caption();  // the caption's close button gets there first
  EXPECT_FALSE(desktop.window_alive());
  desktop.clear_calls();
  desktop.process_pending();
  EXPECT_TRUE(desktop.calls().empty());
}

TEST_F(FieldStoreTest, UnknownControlRaisesTheFatalReport) {
  try {
    f().read_text("编辑框99");
    FAIL() << "no report";
  } catch (const ProcessExit& e) {
    EXPECT_EQ(e.code, -1);
  }
  ASSERT_EQ(desktop.boxes().size(), 1u);
  EXPECT_EQ(Gbk(desktop.boxes()[0].text),
            Gbk("运行时出错!\r\n\r\n错误信息：指定窗口尚未载入\r\n"));
  EXPECT_EQ(Gbk(desktop.boxes()[0].caption), Gbk("错误"));
}

// The store addresses exactly the table it is given: names, kinds and start
// periods come from it, and a control's id is its index there.
TEST(FieldStoreTable, AddressesTheControlsOfItsTableByIndex) {
  ControlDesc timer_desc;
  timer_desc.kind = ControlKind::Timer;
  ControlDesc edit_desc;
  edit_desc.kind = ControlKind::EditBox;
  const ControlTable table = {
      {1, "编辑框1", edit_desc, 300, Handler::None},  // a period on a box starts nothing
      {2, "时钟9", timer_desc, 250, Handler::None},
      {3, "时钟8", timer_desc, 0, Handler::None},
  };
  HeadlessDesktop d;
  ASSERT_TRUE(d.create_window(WindowDesc{}));
  for (int id = 0; id < 3; ++id) ASSERT_TRUE(d.create_control(id, table[id].desc));
  FieldStore store(d, table);
  for (int id = 0; id < 3; ++id) store.timer_window_created(id);
  EXPECT_EQ(d.timer_interval(0), -1);
  EXPECT_EQ(d.timer_interval(1), 250);
  EXPECT_EQ(d.timer_interval(2), -1);
  EXPECT_TRUE(store.timer_running("时钟9"));
  EXPECT_EQ(store.read_period("编辑框1"), 300);

  EXPECT_EQ(store.id_of("编辑框1"), 0);
  EXPECT_EQ(store.id_of("时钟8"), 2);
  EXPECT_EQ(store.id_of("时钟1"), -1);  // a name of the main window, not of this table
  EXPECT_EQ(Gbk(std::string(store.name_of(1))), Gbk("时钟9"));
  EXPECT_TRUE(store.name_of(3).empty());
  EXPECT_TRUE(store.name_of(-1).empty());
  store.write_text("编辑框1", "7");
  EXPECT_EQ(Gbk(d.text(0)), Gbk("7"));
}

}  // namespace
}  // namespace dv
