// The main window as data: its settings, its 31 controls, which handler each
// control event is bound to, and the order of creation. The control records
// are declared in core/control_table.h: the field store reads this same
// table.
#pragma once

#include <string>

#include "core/control_table.h"
#include "platform/platform.h"

namespace dv {

struct WindowLayout {
  WindowDesc window;
  ControlTable controls;  // in creation order
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
