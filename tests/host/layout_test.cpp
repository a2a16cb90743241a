#include "ui/layout.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/host/gbk_text.h"

namespace dv {
namespace {

using test::Gbk;

TEST(Layout, IsLoadable) { EXPECT_EQ(layout_problem(main_window_layout()), ""); }

TEST(Layout, HasTheWindowAndItsThirtyOneControls) {
  const WindowLayout& w = main_window_layout();
  EXPECT_EQ(w.window.title, "Dovrane");
  EXPECT_EQ(w.window.class_name, "WTWindow");
  EXPECT_EQ(w.window.width, 180);
  EXPECT_EQ(w.window.height, 305);
  std::map<ControlKind, int> kinds;
  for (const auto& c : w.controls) ++kinds[c.desc.kind];
  EXPECT_EQ(kinds[ControlKind::EditBox], 10);
  EXPECT_EQ(kinds[ControlKind::Label], 15);
  EXPECT_EQ(kinds[ControlKind::Button], 2);
  EXPECT_EQ(kinds[ControlKind::HyperLinker], 1);
  EXPECT_EQ(kinds[ControlKind::Timer], 3);
}

TEST(Layout, CreationOrderStartsWithTheScheduleButtonAndEndsWithTheCredit) {
  const auto& c = main_window_layout().controls;
  ASSERT_EQ(c.size(), 31u);
  const char* expected[] = {"按钮1", "标签2", "时钟1", "标签1", "编辑框1", "编辑框2", "编辑框3",
                            "按钮2", "标签3", "时钟2", "编辑框4", "时钟3", "标签4", "编辑框5",
                            "编辑框6", "编辑框7", "标签5", "标签6", "标签7", "编辑框8", "编辑框9",
                            "编辑框10", "标签8", "标签10", "标签11", "标签12", "标签13",
                            "超级链接框1", "标签9", "标签14", "标签15"};
  for (std::size_t i = 0; i < c.size(); ++i) EXPECT_EQ(Gbk(c[i].name), Gbk(expected[i])) << i;
}

TEST(Layout, BindsEachHandlerToItsControl) {
  std::map<Handler, std::string> bound;
  for (const auto& c : main_window_layout().controls) {
    if (c.handler != Handler::None) {
      EXPECT_TRUE(bound.emplace(c.handler, c.name).second) << "bound twice";
    }
  }
  EXPECT_EQ(Gbk(bound[Handler::Schedule]), Gbk("按钮1"));
  EXPECT_EQ(Gbk(bound[Handler::Close]), Gbk("按钮2"));
  EXPECT_EQ(Gbk(bound[Handler::ShutdownTrigger]), Gbk("时钟1"));
  EXPECT_EQ(Gbk(bound[Handler::ClockTick]), Gbk("时钟2"));
  EXPECT_EQ(Gbk(bound[Handler::CountdownTick]), Gbk("时钟3"));
  EXPECT_EQ(Gbk(bound[Handler::LinkClick]), Gbk("超级链接框1"));
}

TEST(Layout, ProblemsAreFound) {
  WindowLayout broken = main_window_layout();
  broken.controls[5].name = broken.controls[4].name;
  EXPECT_NE(layout_problem(broken), "");

  broken = main_window_layout();
  broken.controls[1].desc.x = broken.controls[0].desc.x + 1;  // onto 按钮1
  broken.controls[1].desc.y = broken.controls[0].desc.y + 1;
  EXPECT_NE(layout_problem(broken), "");

  broken = main_window_layout();
  std::swap(broken.controls[0], broken.controls[1]);
  EXPECT_NE(layout_problem(broken), "");
}

TEST(Layout, CentredOnAnyScreen) {
  const WindowDesc& w = main_window_layout().window;
  const Point p = centred_place(w, ScreenSize{1024, 768});
  EXPECT_EQ(p.x, 422);
  EXPECT_EQ(p.y, 231);
  const Point q = centred_place(w, ScreenSize{1921, 1081});
  EXPECT_EQ(q.x, 870);
  EXPECT_EQ(q.y, 388);
}

}  // namespace
}  // namespace dv
