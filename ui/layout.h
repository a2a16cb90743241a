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

// Top-left corner that centres the window on a screen of the given size.
struct Point { int x = 0, y = 0; };
Point centred_place(const WindowDesc& window, ScreenSize screen);

}  // namespace dv
