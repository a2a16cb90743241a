// Long runs on the in-memory desktop: the longest delay the shutdown timer
// takes, counted down tick by tick to its end and beyond.
#include <gtest/gtest.h>

#include "core/countdown.h"
#include "core/text_rules.h"
#include "tests/host/heap_count.h"
#include "tests/host/program_fixture.h"

namespace dv {
namespace {

class LongRunTest : public test::ProgramTest {
 protected:
  long long remaining_total() const {
    auto v = [&](const char* n) {
      return static_cast<long long>(text_to_int(desktop.text(id(n))));
    };
    return 3600 * v("编辑框5") + 60 * v("编辑框6") + v("编辑框7");
  }
};

TEST_F(LongRunTest, LongestDelayCountsDownToItsEndAndBeyondWithFlatMemory) {
  type_delay("596", "31", "23");
  ASSERT_TRUE(click("按钮1"));
  const long long delay = 596LL * 3600 + 31 * 60 + 23;
  ASSERT_EQ(remaining_total(), delay);
  ASSERT_EQ(program.fields().read_period("时钟1"), 2147483000);

  const long long ticks = delay + 5000;  // to the end, then well past it
  test::HeapUse early;
  for (long long k = 1; k <= ticks; ++k) {
    countdown_tick(program.fields());
    if (remaining_total() != delay - k) {
      FAIL() << "tick " << k << ": " << test::to_utf8(remaining().bytes);
    }
    if (k % 1000 == 0) desktop.clear_calls();  // the desktop's own record
    if (k == 1000) early = test::heap_in_use();
  }
  desktop.clear_calls();
  // Nothing accumulates: the heap in use is what it was after warm-up, in
  // blocks (where a leak too small for the byte margin shows) and in bytes.
  const test::HeapUse late = test::heap_in_use();
  EXPECT_LE(late.blocks, early.blocks);
  EXPECT_LE(late.bytes, early.bytes + 4096);
  EXPECT_EQ(remaining(), test::Gbk("-2 / 36 / 40"));  // 5000 s past the end
  // 606 lost 72 an hour per tick, then 24: the shutdown hour is in range.
  EXPECT_EQ(text("编辑框8"), test::Gbk("6"));
  EXPECT_EQ(text("编辑框9"), test::Gbk("21"));
}

}  // namespace
}  // namespace dv
