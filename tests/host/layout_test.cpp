#include "ui/layout.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <vector>

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

// --- Display scaling ------------------------------------------------------------

TEST(ScaledLayout, NinetySixDpiIsTheDesign) {
  const WindowLayout& design = main_window_layout();
  const WindowLayout same = scaled_layout(design, 96);
  EXPECT_EQ(same.window.width, 180);
  EXPECT_EQ(same.window.height, 305);
  ASSERT_EQ(same.controls.size(), design.controls.size());
  for (std::size_t i = 0; i < design.controls.size(); ++i) {
    const ControlDesc& a = design.controls[i].desc;
    const ControlDesc& b = same.controls[i].desc;
    EXPECT_TRUE(a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height)
        << test::to_utf8(design.controls[i].name);
  }
}

TEST(ScaledLayout, PlacesAndSizesGrowWithTheDpiAndNothingOverlaps) {
  struct Case {
    int dpi;
    int window_w, window_h;
    int button_x, button_y, button_w, button_h;  // 按钮1, 16,80 48x24 in the design
    int credit_x, credit_y, credit_w, credit_h;  // 标签15, 24,256 120x16
  };
  const Case cases[] = {
      {120, 225, 381, 20, 100, 60, 30, 30, 320, 150, 20},
      {144, 270, 458, 24, 120, 72, 36, 36, 384, 180, 24},
      {192, 360, 610, 32, 160, 96, 48, 48, 512, 240, 32},
  };
  const WindowLayout& design = main_window_layout();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi);
    const WindowLayout scaled = scaled_layout(design, c.dpi);
    EXPECT_EQ(scaled.window.width, c.window_w);
    EXPECT_EQ(scaled.window.height, c.window_h);
    const ControlDesc& button = scaled.controls[0].desc;
    EXPECT_EQ((std::vector<int>{button.x, button.y, button.width, button.height}),
              (std::vector<int>{c.button_x, c.button_y, c.button_w, c.button_h}));
    const ControlDesc& credit = scaled.controls.back().desc;
    EXPECT_EQ((std::vector<int>{credit.x, credit.y, credit.width, credit.height}),
              (std::vector<int>{c.credit_x, c.credit_y, c.credit_w, c.credit_h}));
    // Every control: its edges are the scaled design edges, its size is
    // within a pixel of the scaled design size.
    for (std::size_t i = 0; i < design.controls.size(); ++i) {
      const ControlDesc& d = design.controls[i].desc;
      const ControlDesc& s = scaled.controls[i].desc;
      SCOPED_TRACE(test::to_utf8(design.controls[i].name));
      EXPECT_EQ(s.x, (d.x * c.dpi + 48) / 96);
      EXPECT_EQ(s.y, (d.y * c.dpi + 48) / 96);
      EXPECT_EQ(s.x + s.width, ((d.x + d.width) * c.dpi + 48) / 96);
      EXPECT_EQ(s.y + s.height, ((d.y + d.height) * c.dpi + 48) / 96);
      EXPECT_LE(std::abs(s.width - (d.width * c.dpi + 48) / 96), 1);
      EXPECT_LE(std::abs(s.height - (d.height * c.dpi + 48) / 96), 1);
    }
    // Still loadable: in particular no two visible controls overlap.
    EXPECT_EQ(layout_problem(scaled), "");
  }
}

}  // namespace
}  // namespace dv
