#include "ui/app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/fatal.h"
#include "platform/headless/headless_desktop.h"
#include "tests/host/program_fixture.h"

namespace dv {
namespace {

using test::Gbk;

class StartTest : public test::ProgramTest {};

TEST_F(StartTest, PreparesTheProcessAndShowsTheWindowCentred) {
  EXPECT_EQ(desktop.ole_depth(), 1);
  EXPECT_EQ(desktop.current_directory(), "C:\\Program Files\\Dovrane");
  EXPECT_TRUE(desktop.window_shown());
  EXPECT_EQ(desktop.window_x(), 422);
  EXPECT_EQ(desktop.window_y(), 231);
  EXPECT_EQ(desktop.restyle_scheme(), 3);
  // The restyling comes before the window is first shown.
  const auto& calls = desktop.calls();
  const auto restyle = std::find(calls.begin(), calls.end(), "Restyle 3");
  const auto show = std::find(calls.begin(), calls.end(), "ShowWindow 422 231");
  ASSERT_NE(restyle, calls.end());
  ASSERT_NE(show, calls.end());
  EXPECT_LT(restyle, show);
}

TEST_F(StartTest, CreatesTheControlsInOrderWithTheirStartStates) {
  const auto order = desktop.creation_order();
  ASSERT_EQ(order.size(), 31u);
  for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], static_cast<int>(i));

  for (const char* n : {"编辑框1", "编辑框2", "编辑框3"}) {
    EXPECT_TRUE(enabled(n));
    EXPECT_EQ(text(n), Gbk("0"));
  }
  for (const char* n : {"编辑框5", "编辑框6", "编辑框7", "编辑框8", "编辑框9", "编辑框10"}) {
    EXPECT_FALSE(enabled(n));
    EXPECT_EQ(text(n), Gbk("0"));
  }
  EXPECT_FALSE(enabled("编辑框4"));
  EXPECT_EQ(text("编辑框4"), Gbk(""));
  for (const char* n : {"时钟1", "时钟2", "时钟3"}) EXPECT_FALSE(desktop.is_visible(id(n)));
  EXPECT_TRUE(desktop.is_visible(id("超级链接框1")));
  // The first control that can take the focus has it.
  EXPECT_EQ(desktop.focused_control(), id("按钮1"));
}

TEST_F(StartTest, ClosingByTheCaptionEndsTheLoopWithCodeZero) {
  desktop.set_loop_driver([](HeadlessDesktop& d) {
    d.advance(2500);
    d.close_by_caption();
    return true;
  });
  EXPECT_EQ(program.run(), 0);
  EXPECT_FALSE(desktop.window_alive());
  EXPECT_EQ(desktop.ole_depth(), 0);
}

TEST(StartProgram, RunsFromStartToExit) {
  HeadlessDesktop d;
  d.set_loop_driver([](HeadlessDesktop& desk) {
    desk.advance(1000);
    desk.close_by_caption();
    return true;
  });
  EXPECT_EQ(start_program(d), 0);
  EXPECT_EQ(d.calls().back(), "OleUninitialize");
}

TEST(StartProgram, OnAScaledScreenTheWindowIsCreatedScaledAndCentred) {
  HeadlessDesktop d;
  d.set_dpi(144);
  Program p(d);
  p.prepare();
  p.load();
  EXPECT_EQ(d.window_desc().width, 270);
  EXPECT_EQ(d.window_desc().height, 458);
  EXPECT_EQ(d.window_x(), (1024 - 270) / 2);
  EXPECT_EQ(d.window_y(), (768 - 458) / 2);
  const ControlDesc& schedule = d.desc(p.id_of("按钮1"));
  EXPECT_EQ((std::vector<int>{schedule.x, schedule.y, schedule.width, schedule.height}),
            (std::vector<int>{24, 120, 72, 36}));
  const ControlDesc& clock = d.desc(p.id_of("编辑框4"));
  EXPECT_EQ((std::vector<int>{clock.x, clock.y, clock.width, clock.height}),
            (std::vector<int>{12, 12, 240, 24}));
}

TEST(StartProgram, AControlThatCannotBeCreatedEndsInTheFatalReport) {
  HeadlessDesktop d;
  d.fail_control_creation(17);
  try {
    start_program(d);
    FAIL() << "the start went on";
  } catch (const ProcessExit& e) {
    EXPECT_EQ(e.code, -1);
  }
  ASSERT_EQ(d.boxes().size(), 1u);
  EXPECT_EQ(Gbk(d.boxes()[0].text), Gbk("运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"));
  EXPECT_EQ(Gbk(d.boxes()[0].caption), Gbk("错误"));
  EXPECT_EQ(d.boxes()[0].flags, mb::icon_error);
  EXPECT_EQ(d.ole_depth(), 0);
}

TEST(StartProgram, ABrokenLayoutIsReportedBeforeAnyWindowExists) {
  WindowLayout broken = main_window_layout();
  broken.controls[3].name = broken.controls[2].name;
  HeadlessDesktop d;
  Program p(d, broken);
  EXPECT_THROW(p.prepare(), ProcessExit);
  ASSERT_EQ(d.boxes().size(), 1u);
  EXPECT_EQ(Gbk(d.boxes()[0].text), Gbk("运行时出错!\r\n\r\n错误信息：载入窗口模板数据段出错!\r\n"));
  EXPECT_FALSE(d.window_alive());
}

TEST(FatalReport, TextHasACodeLineOnlyForANonZeroCode) {
  EXPECT_EQ(Gbk(fatal_report_text(0, "")), Gbk("运行时出错!\r\n\r\n"));
  EXPECT_EQ(Gbk(fatal_report_text(5, "x")),
            Gbk("运行时出错!\r\n\r\n错误代码：5\r\n\r\n错误信息：x\r\n"));
}

TEST(FatalReport, AProgramTakesItsPlatformBackWhenItEnds) {
  HeadlessDesktop first, second;
  auto older = std::make_unique<Program>(first);
  older->prepare();
  EXPECT_EQ(fatal_platform(), &first);
  {
    Program newer(second);
    newer.prepare();
    EXPECT_EQ(fatal_platform(), &second);
    older.reset();  // the older program's end leaves the newer's platform
    EXPECT_EQ(fatal_platform(), &second);
  }
  EXPECT_EQ(fatal_platform(), nullptr);
}

TEST(FatalReport, OutOfMemoryNamesTheSize) {
  HeadlessDesktop d;
  set_fatal_platform(&d);
  EXPECT_THROW(fatal_out_of_memory(123456), ProcessExit);
  set_fatal_platform(nullptr);
  ASSERT_EQ(d.boxes().size(), 1u);
  EXPECT_EQ(Gbk(d.boxes()[0].text),
            Gbk("运行时出错!\r\n\r\n错误信息：分配 123456 字节内存失败!\r\n"));
}

}  // namespace
}  // namespace dv
