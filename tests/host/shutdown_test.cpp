#include "core/shutdown.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/host/program_fixture.h"

namespace dv {
namespace {

using test::Gbk;
using Calls = std::vector<std::string>;

// The calls of the power-off request, in the order made.
Calls power_calls(const HeadlessDesktop& d) {
  Calls out;
  for (const auto& c : d.calls()) {
    for (const char* p : {"GetVersionEx", "OpenProcessToken", "AdjustTokenPrivileges", "ExitWindowsEx"}) {
      if (c.rfind(p, 0) == 0) out.push_back(c);
    }
  }
  return out;
}

TEST(PowerOffRequest, StepsAndFlagsByPlatform) {
  struct Case {
    unsigned platform;
    bool token;
    unsigned privilege_error;
    bool result;
    Calls calls;
  } cases[] = {
      {platform_win32_nt, true, 0, true,
       {"GetVersionEx", "OpenProcessToken", "AdjustTokenPrivileges SeShutdownPrivilege",
        "ExitWindowsEx 12 0"}},
      // An account without the privilege: ERROR_NOT_ALL_ASSIGNED.
      {platform_win32_nt, true, 1300, false,
       {"GetVersionEx", "OpenProcessToken", "AdjustTokenPrivileges SeShutdownPrivilege"}},
      {platform_win32_nt, false, 0, false, {"GetVersionEx", "OpenProcessToken"}},
      // Windows 95/98/Me: no tokens at all.
      {1, true, 0, true, {"GetVersionEx", "ExitWindowsEx 5 0"}},
  };
  for (const auto& c : cases) {
    HeadlessDesktop d;
    d.set_os_platform(c.platform);
    d.set_token_opens(c.token);
    d.set_privilege_error(c.privilege_error);
    EXPECT_EQ(power_off_request(d), c.result);
    EXPECT_EQ(power_calls(d), c.calls);
  }
  HeadlessDesktop refused;
  refused.set_exit_windows_result(false);
  EXPECT_FALSE(power_off_request(refused));
}

class ShutdownTest : public test::ProgramTest {};

TEST_F(ShutdownTest, ElapsedDelayRequestsPowerOffAgainAfterEveryPeriod) {
  type_delay("0", "0", "10");
  ASSERT_TRUE(click("按钮1"));
  const auto scheduled = desktop.now_ms();
  desktop.advance(9999);
  EXPECT_TRUE(desktop.power_requests().empty());
  desktop.advance(1);
  ASSERT_EQ(desktop.power_requests().size(), 1u);
  EXPECT_EQ(desktop.power_requests()[0].flags, 12u);
  EXPECT_EQ(desktop.power_requests()[0].reason, 0u);
  EXPECT_EQ(desktop.power_requests()[0].at_ms - scheduled, 10000u);
  // The computer stayed on: the same request every further period.
  desktop.advance(20000);
  ASSERT_EQ(desktop.power_requests().size(), 3u);
  EXPECT_EQ(desktop.power_requests()[2].at_ms - scheduled, 30000u);
  EXPECT_EQ(program.fields().read_period("时钟1"), 10000);
}

TEST_F(ShutdownTest, WithoutThePrivilegeTheAttemptRepeatsSilently) {
  desktop.set_privilege_error(1300);
  type_delay("0", "0", "10");
  ASSERT_TRUE(click("按钮1"));
  desktop.clear_calls();
  desktop.advance(30000);
  const auto& calls = desktop.calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "AdjustTokenPrivileges SeShutdownPrivilege"), 3);
  EXPECT_TRUE(desktop.power_requests().empty());
  EXPECT_EQ(desktop.boxes().size(), 1u);  // only the confirmation, ever
}

TEST_F(ShutdownTest, CloseBeforeSchedulingDestroysTheWindowAfterTheCommand) {
  desktop.clear_calls();
  ASSERT_TRUE(click("按钮2"));
  EXPECT_FALSE(desktop.window_alive());
  // The stopped timer is not touched; the window goes through the queue.
  EXPECT_EQ(desktop.calls(), (Calls{"PostMessage destroy", "DestroyWindow"}));
}

TEST_F(ShutdownTest, CloseDuringACountdownCancelsTheShutdown) {
  type_delay("0", "0", "10");
  ASSERT_TRUE(click("按钮1"));
  desktop.advance(9000);
  desktop.stall(2000);  // the shutdown and countdown events are overdue
  const Gbk before = remaining();
  desktop.clear_calls();
  ASSERT_TRUE(click("按钮2"));
  EXPECT_FALSE(desktop.window_alive());
  const Calls expected{"KillTimer " + std::to_string(id("时钟1")), "PostMessage destroy",
                       "DestroyWindow"};
  EXPECT_EQ(desktop.calls(), expected);  // no tick, no trigger in between
  desktop.advance(60000);
  EXPECT_TRUE(desktop.power_requests().empty());
  EXPECT_EQ(before, Gbk("-1 / 60 / 1"));  // nine ticks ran before the stall
}

TEST(CloseCommand, EndsTheProgramWithCodeZero) {
  HeadlessDesktop d;
  Program probe(d);  // only to look the button up by name
  const int close_button = probe.id_of("按钮2");
  d.set_event_sink(nullptr);
  int step = 0;
  d.set_loop_driver([&](HeadlessDesktop& desk) {
    if (step++ > 0) return false;
    desk.advance(1500);
    return desk.click(close_button);
  });
  EXPECT_EQ(start_program(d), 0);
  EXPECT_FALSE(d.window_alive());
}

}  // namespace
}  // namespace dv
