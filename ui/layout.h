// The main window as data: its settings, its 31 controls, which handler each
// control event is bound to, and the order of creation.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace dv {

// The program's own code that a control event runs.
enum class Handler {
  None,
  Schedule,         // 按钮1 clicked
  Close,            // 按钮2 clicked
  ShutdownTrigger,  // 时钟1 elapsed
  ClockTick,        // 时钟2 elapsed
  CountdownTick,    // 时钟3 elapsed
  LinkClick,        // 超级链接框1 left button pressed
};

struct ControlLayout {
  int order = 0;  // place in the creation order, 1 first
  std::string name;
  ControlDesc desc;
  int period = 0;  // Timer only, milliseconds
  Handler handler = Handler::None;
};

struct WindowLayout {
  WindowDesc window;
  std::vector<ControlLayout> controls;  // in creation order
};

const WindowLayout& main_window_layout();

// Why a layout cannot be loaded, or empty when it can: names must be unique,
// the creation order complete, and visible controls must not overlap.
std::string layout_problem(const WindowLayout& layout);

// The layout as it is on a screen of `dpi`: the window's outer size and
// every control's edges scaled from the 96-DPI design (ui/dpi.h). Edges,
// not sizes, are scaled, so controls that touch in the design still touch
// and none overlaps another; a size may differ by a pixel from the scaled
// design size. At 96 DPI the layout is returned as it is.
WindowLayout scaled_layout(const WindowLayout& layout, int dpi);

// Top-left corner that centres the window on a screen of the given size.
struct Point { int x = 0, y = 0; };
Point centred_place(const WindowDesc& window, ScreenSize screen);

}  // namespace dv
