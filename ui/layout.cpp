#include "ui/layout.h"

#include <algorithm>
#include <set>

#include "ui/dpi.h"

namespace dv {

namespace {

constexpr Colour dark_green = Colour::rgb(0, 128, 0);

// A control of a kind at its place; the builders below add what differs.
ControlDesc placed(ControlKind kind, int x, int y, int w, int h, const char* text = "") {
  ControlDesc d;
  d.kind = kind;
  d.x = x; d.y = y; d.width = w; d.height = h;
  d.text = text;
  return d;
}

ControlDesc edit(int x, int y, int w, int h, bool disabled) {
  ControlDesc d = placed(ControlKind::EditBox, x, y, w, h, "0");
  d.disabled = disabled;
  d.tab_stop = true;
  d.background = Colour::rgb(255, 255, 255);
  return d;
}

ControlDesc label(int x, int y, int w, int h, const char* caption,
                  Colour colour = Colour::rgb(0, 0, 0)) {
  ControlDesc d = placed(ControlKind::Label, x, y, w, h, caption);
  d.text_colour = colour;
  return d;
}

ControlDesc button(int x, int y, int w, int h, const char* caption) {
  ControlDesc d = placed(ControlKind::Button, x, y, w, h, caption);
  d.tab_stop = true;
  return d;
}

ControlDesc timer(int x, int y) {
  ControlDesc d = placed(ControlKind::Timer, x, y, 26, 26);
  d.visible = false;
  return d;
}

ControlDesc clock_field() {
  ControlDesc d = edit(8, 8, 160, 16, true);
  d.text.clear();
  d.multiline = true;
  d.align = TextAlign::Centre;
  d.border = EditBorder::ThinLine;
  d.text_colour = Colour::rgb(0, 255, 0);
  d.background = Colour::face();
  return d;
}

ControlDesc link() {
  ControlDesc d = placed(ControlKind::HyperLinker, 8, 200, 152, 24, "Lumtrek");
  d.text_colour = Colour::rgb(0, 96, 192);
  d.hover_colour = Colour::rgb(144, 0, 255);
  return d;
}

WindowLayout build_main_window() {
  WindowLayout w;
  w.window.title = "Dovrane";
  w.window.class_name = "WTWindow";
  w.window.width = 180;
  w.window.height = 305;

  // Listed in creation order; the Tab key follows the same order.
  w.controls = {
      {1, "按钮1", button(16, 80, 48, 24, "确定"), 0, Handler::Schedule},
      {2, "标签2", label(96, 48, 24, 24, "分钟"), 0, Handler::None},
      {3, "时钟1", timer(56, 48), 0, Handler::ShutdownTrigger},
      {4, "标签1", label(40, 48, 24, 24, "小时"), 0, Handler::None},
      {5, "编辑框1", edit(8, 48, 32, 24, false), 0, Handler::None},
      {6, "编辑框2", edit(64, 48, 32, 24, false), 0, Handler::None},
      {7, "编辑框3", edit(120, 48, 32, 24, false), 0, Handler::None},
      {8, "按钮2", button(112, 80, 48, 24, "关闭"), 0, Handler::Close},
      {9, "标签3", label(152, 48, 16, 24, "秒"), 0, Handler::None},
      {10, "时钟2", timer(96, 16), 1000, Handler::ClockTick},
      {11, "编辑框4", clock_field(), 0, Handler::None},
      {12, "时钟3", timer(152, 0), 0, Handler::CountdownTick},
      {13, "标签4", label(8, 104, 48, 16, "剩余时间", dark_green), 0, Handler::None},
      {14, "编辑框5", edit(8, 120, 32, 24, true), 0, Handler::None},
      {15, "编辑框6", edit(64, 120, 32, 24, true), 0, Handler::None},
      {16, "编辑框7", edit(120, 120, 32, 24, true), 0, Handler::None},
      {17, "标签5", label(152, 120, 16, 24, "秒"), 0, Handler::None},
      {18, "标签6", label(96, 120, 24, 24, "分钟"), 0, Handler::None},
      {19, "标签7", label(40, 120, 24, 24, "小时"), 0, Handler::None},
      {20, "编辑框8", edit(8, 168, 32, 24, true), 0, Handler::None},
      {21, "编辑框9", edit(64, 168, 32, 24, true), 0, Handler::None},
      {22, "编辑框10", edit(120, 168, 32, 24, true), 0, Handler::None},
      {23, "标签8", label(8, 152, 48, 16, "关机时间", dark_green), 0, Handler::None},
      {24, "标签10", label(40, 168, 24, 24, "小时"), 0, Handler::None},
      {25, "标签11", label(96, 168, 24, 24, "分钟"), 0, Handler::None},
      {26, "标签12", label(152, 168, 16, 24, "秒"), 0, Handler::None},
      {27, "标签13", label(8, 24, 72, 24, "关机时间设定", dark_green), 0, Handler::None},
      {28, "超级链接框1", link(), 0, Handler::LinkClick},
      {29, "标签9", label(8, 224, 160, 16, "国内高清电影首选,绿色安全！"), 0, Handler::None},
      {30, "标签14", label(32, 240, 104, 16, "无不良广告和弹窗"), 0, Handler::None},
      {31, "标签15", label(24, 256, 120, 16, "Lumtrek 出品", Colour::rgb(255, 0, 0)), 0,
       Handler::None},
  };
  return w;
}

bool overlaps(const ControlDesc& a, const ControlDesc& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
         b.y < a.y + a.height;
}

}  // namespace

const WindowLayout& main_window_layout() {
  static const WindowLayout layout = build_main_window();
  return layout;
}

std::string layout_problem(const WindowLayout& layout) {
  if (layout.controls.empty()) return "no controls";
  std::set<std::string> names;
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const ControlLayout& c = layout.controls[i];
    if (c.name.empty() || !names.insert(c.name).second) return "duplicate name " + c.name;
    if (c.order != static_cast<int>(i) + 1) return "creation order broken at " + c.name;
    if (c.desc.width <= 0 || c.desc.height <= 0) return "empty control " + c.name;
    if (c.period < 0) return "negative period " + c.name;
    for (std::size_t j = 0; j < i; ++j) {
      const ControlLayout& d = layout.controls[j];
      if (c.desc.visible && d.desc.visible && overlaps(c.desc, d.desc)) {
        return c.name + " overlaps " + d.name;
      }
    }
  }
  return {};
}

WindowLayout scaled_layout(const WindowLayout& layout, int dpi) {
  WindowLayout out = layout;
  out.window.width = scale_to_dpi(layout.window.width, dpi);
  out.window.height = scale_to_dpi(layout.window.height, dpi);
  for (ControlLayout& c : out.controls) {
    ControlDesc& d = c.desc;
    const int right = scale_to_dpi(d.x + d.width, dpi);
    const int bottom = scale_to_dpi(d.y + d.height, dpi);
    d.x = scale_to_dpi(d.x, dpi);
    d.y = scale_to_dpi(d.y, dpi);
    d.width = right - d.x;
    d.height = bottom - d.y;
  }
  return out;
}

Point centred_place(const WindowDesc& window, ScreenSize screen) {
  return Point{(screen.width - window.width) / 2, (screen.height - window.height) / 2};
}

}  // namespace dv
