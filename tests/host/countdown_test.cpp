#include "core/countdown.h"

#include <gtest/gtest.h>

#include "core/text_rules.h"
#include "tests/host/program_fixture.h"

namespace dv {
namespace {

using test::Gbk;

class CountdownTest : public test::ProgramTest {
 protected:
  // Schedules the delay and lets the countdown tick `ticks` times.
  void schedule(const std::string& h, const std::string& m, const std::string& s) {
    type_delay(h, m, s);
    ASSERT_TRUE(click("按钮1"));
  }
  void tick(int n) {
    for (int i = 0; i < n; ++i) countdown_tick(program.fields());
  }
};

TEST_F(CountdownTest, RemainingFieldsAfterTicks) {
  struct Case {
    const char *h, *m, *s;
    int ticks;
    const char* remaining;
  } cases[] = {
      {"0", "1", "5", 1, "0 / 1 / 4"},
      {"0", "1", "5", 4, "0 / 1 / 1"},
      {"0", "1", "5", 5, "-1 / 60 / 60"},
      {"0", "1", "5", 6, "-1 / 60 / 59"},
      {"0", "1", "5", 65, "-1 / 59 / 60"},
      {"0", "1", "5", 66, "-1 / 59 / 59"},
      {"1", "0", "30", 1, "0 / 60 / 29"},
      {"0", "5", "0", 1, "0 / 5 / -1"},
      {"0", "5", "0", 300, "0 / 5 / -300"},
      {"0", "0", "1", 1, "0 / -1 / 60"},
      {"0", "0", "1", 61, "0 / -2 / 60"},
      {"0", "0", "0", 1, "-1 / 60 / -1"},
      {"0", "0", "0", 2, "-1 / 60 / -2"},
      {"2", "00", "3", 1, "2 / 00 / 2"},
      {"2", "00", "3", 3, "2 / -1 / 60"},
      {"2", "00", "3", 4, "2 / -1 / 59"},
      {"0", "60", "1", 1, "0 / 59 / 60"},
  };
  for (const auto& c : cases) {
    HeadlessDesktop d;
    Program p(d);
    p.prepare();
    p.load();
    d.type(p.id_of("编辑框1"), c.h);
    d.type(p.id_of("编辑框2"), c.m);
    d.type(p.id_of("编辑框3"), c.s);
    ASSERT_TRUE(d.click(p.id_of("按钮1")));
    for (int i = 0; i < c.ticks; ++i) countdown_tick(p.fields());
    EXPECT_EQ(Gbk(d.text(p.id_of("编辑框5")) + " / " + d.text(p.id_of("编辑框6")) + " / " +
                  d.text(p.id_of("编辑框7"))),
              Gbk(c.remaining))
        << c.h << ", " << c.m << ", " << c.s << " after " << c.ticks;
  }
}

TEST_F(CountdownTest, TimerDrivesOneTickPerSecondFromScheduling) {
  schedule("0", "1", "5");
  desktop.advance(999);
  EXPECT_EQ(remaining(), Gbk("0 / 1 / 5"));
  desktop.advance(1);
  EXPECT_EQ(remaining(), Gbk("0 / 1 / 4"));
  desktop.advance(4000);
  EXPECT_EQ(remaining(), Gbk("-1 / 60 / 60"));
}

TEST_F(CountdownTest, RemainingTotalFallsByExactlyOnePerTickOverALongRun) {
  const char* starts[][3] = {{"0", "00", "3"}, {"", " 1", "１２"}, {"1", "0", "0"},
                             {"-2", "75", "-9"}, {"3", "", "00"}};
  for (const auto& s : starts) {
    HeadlessDesktop d;
    Program p(d);
    p.prepare();
    p.load();
    d.type(p.id_of("编辑框1"), s[0]);
    d.type(p.id_of("编辑框2"), s[1]);
    d.type(p.id_of("编辑框3"), s[2]);
    ASSERT_TRUE(d.click(p.id_of("按钮1")));
    auto total = [&] {
      auto v = [&](const char* n) { return static_cast<long long>(text_to_int(d.text(p.id_of(n)))); };
      return 3600 * v("编辑框5") + 60 * v("编辑框6") + v("编辑框7");
    };
    const long long start = total();
    // Driven by the countdown timer itself, on the virtual clock.
    for (long long k = 1; k <= 200000; ++k) {
      d.advance(1000);
      ASSERT_EQ(total(), start - k) << test::to_utf8(s[0]) << "|" << test::to_utf8(s[1]) << "|"
                                    << test::to_utf8(s[2]) << " tick " << k;
    }
  }
}

TEST_F(CountdownTest, ShutdownHourAndMinuteAreFoldedBackOneStepPerTick) {
  struct Case {
    const char* before;
    const char* after_one;
    const char* after_two;
  } hours[] = {{"24", "24", "24"}, {"48", "24", "24"}, {"49", "1", "1"},   {"72", "24", "24"},
               {"73", "1", "1"},   {"100", "28", "4"}, {"0", "0", "0"},    {"-5", "-5", "-5"},
               {"25", "1", "1"}},
    minutes[] = {{"60", "60", "60"}, {"61", "1", "1"}, {"130", "70", "10"}, {"200", "140", "80"},
                 {"-1", "-1", "-1"}};
  auto check_folding = [&](const char* field, const auto& cases) {
    for (const auto& c : cases) {
      program.fields().write_text(field, c.before);
      tick(1);
      EXPECT_EQ(text(field), Gbk(c.after_one)) << c.before;
      tick(1);
      EXPECT_EQ(text(field), Gbk(c.after_two)) << c.before;
    }
  };
  check_folding("编辑框8", hours);
  check_folding("编辑框9", minutes);
}

TEST_F(CountdownTest, MinutesTakenOffAreNotCarriedIntoTheHourAndSecondsStay) {
  schedule("0", "20", "45");  // at 10:50:30
  EXPECT_EQ(text("编辑框8"), Gbk("10"));
  EXPECT_EQ(text("编辑框9"), Gbk("70"));
  desktop.advance(1000);
  EXPECT_EQ(text("编辑框8"), Gbk("10"));
  EXPECT_EQ(text("编辑框9"), Gbk("10"));
  EXPECT_EQ(text("编辑框10"), Gbk("75"));
}

TEST_F(CountdownTest, SecondsBeyondTheRangeAreWrittenExactly) {
  program.fields().write_text("编辑框7", "-2147483648");
  tick(1);
  EXPECT_EQ(text("编辑框7"), Gbk("-2147483649"));
}

}  // namespace
}  // namespace dv
