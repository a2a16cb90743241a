#include <gtest/gtest.h>

#include "tests/host/program_fixture.h"
#include "ui/focus.h"
#include "ui/link.h"

namespace dv {
namespace {

using test::Gbk;

class FocusTest : public test::ProgramTest {
 protected:
  Gbk focused() {
    const int f = desktop.focused_control();
    return Gbk(f < 0 ? std::string("(none)") : std::string(program.fields().name_of(f)));
  }
};

TEST_F(FocusTest, TabVisitsTheEnabledTabStopsInCreationOrder) {
  EXPECT_EQ(focused(), Gbk("按钮1"));
  const char* expected[] = {"编辑框1", "编辑框2", "编辑框3", "按钮2", "按钮1", "编辑框1"};
  for (const char* name : expected) {
    desktop.press_key(Key::Tab);
    EXPECT_EQ(focused(), Gbk(name));
  }
  desktop.press_key(Key::Tab, true);
  EXPECT_EQ(focused(), Gbk("按钮1"));
  desktop.press_key(Key::Tab, true);
  EXPECT_EQ(focused(), Gbk("按钮2"));
}

TEST_F(FocusTest, AfterSchedulingOnlyTheCloseButtonTakesTheFocus) {
  ASSERT_TRUE(click("按钮1"));
  desktop.press_key(Key::Tab);
  EXPECT_EQ(focused(), Gbk("按钮2"));
  desktop.press_key(Key::Tab);
  EXPECT_EQ(focused(), Gbk("按钮2"));  // a cycle of one keeps the focus
  desktop.press_key(Key::Tab, true);
  EXPECT_EQ(focused(), Gbk("按钮2"));
}

TEST_F(FocusTest, ActivationGivesTheFocusBackToTheLastFocusedControl) {
  desktop.press_key(Key::Tab);
  desktop.press_key(Key::Tab);  // 编辑框2
  program.on_deactivate();
  desktop.set_focus(id("按钮1"));  // elsewhere meanwhile
  program.on_activate();
  EXPECT_EQ(focused(), Gbk("编辑框2"));
}

TEST_F(FocusTest, EscapeClosesTheWindowEvenWithAShutdownPending) {
  type_delay("0", "0", "5");
  ASSERT_TRUE(click("按钮1"));
  desktop.press_key(Key::Tab);
  desktop.press_key(Key::Escape);
  EXPECT_FALSE(desktop.window_alive());
  desktop.advance(10000);
  EXPECT_TRUE(desktop.power_requests().empty());
}

TEST_F(FocusTest, EnterAndF1DoNothingOfTheirOwn) {
  desktop.press_key(Key::Enter);
  desktop.press_key(Key::F1);
  EXPECT_TRUE(desktop.window_alive());
  EXPECT_TRUE(desktop.boxes().empty());
  EXPECT_EQ(focused(), Gbk("按钮1"));
}

TEST(FocusRules, CycleSkipsHiddenDisabledAndNonTabStops) {
  const std::vector<FocusCandidate> controls = {
      {0, true, true, true}, {1, false, true, true}, {2, true, false, true},
      {3, true, true, false}, {4, true, true, true}};
  EXPECT_EQ(tab_cycle(controls), (std::vector<int>{0, 4}));
  EXPECT_EQ(next_focus(controls, 0, false), 4);
  EXPECT_EQ(next_focus(controls, 4, false), 0);
  EXPECT_EQ(next_focus(controls, 0, true), 4);
  EXPECT_EQ(next_focus(controls, 2, false), 4);  // from outside the cycle
  EXPECT_EQ(next_focus(controls, -1, false), 0);
  EXPECT_EQ(next_focus(controls, -1, true), 4);
  EXPECT_EQ(next_focus({{0, true, true, false}}, -1, false), -1);
  EXPECT_EQ(focus_on_activation(controls, 3), 0);  // disabled since
  EXPECT_EQ(focus_on_activation(controls, 4), 4);
  EXPECT_EQ(focus_on_activation(controls, -1), 0);
}

class LinkTest : public test::ProgramTest {};

TEST_F(LinkTest, EachPressOpensTheSiteOnceWhateverTheKeys) {
  desktop.press_left(id("超级链接框1"), 3, 4, 0);
  desktop.press_left(id("超级链接框1"), 150, 20, 1 | 2 | 4);
  ASSERT_EQ(desktop.shell_requests().size(), 2u);
  for (const auto& r : desktop.shell_requests()) {
    EXPECT_EQ(r.verb, "open");
    EXPECT_EQ(r.file, "https://www.lumtrek.com/");
    EXPECT_EQ(r.owner, 0u);
    EXPECT_EQ(r.show, show_normal);
  }
  desktop.press_left(id("标签9"), 3, 4, 0);  // other controls open nothing
  EXPECT_EQ(desktop.shell_requests().size(), 2u);
}

TEST_F(LinkTest, ABrowserWindowOwnsTheShellCall) {
  desktop.add_top_window("Microsoft Internet Explorer", 0x1234);
  desktop.press_left(id("超级链接框1"), 3, 4, 0);
  ASSERT_EQ(desktop.shell_requests().size(), 1u);
  EXPECT_EQ(desktop.shell_requests()[0].owner, 0x1234u);
}

TEST_F(LinkTest, WorksDuringACountdownWithoutTouchingIt) {
  type_delay("0", "1", "0");
  ASSERT_TRUE(click("按钮1"));
  desktop.advance(3000);
  const Gbk before = remaining();
  desktop.press_left(id("超级链接框1"), 3, 4, 0);
  EXPECT_EQ(remaining(), before);
  EXPECT_EQ(desktop.shell_requests().size(), 1u);
  EXPECT_EQ(program.fields().read_period("时钟1"), 60000);
}

}  // namespace
}  // namespace dv
