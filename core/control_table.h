// The main window's controls as one table. ui/layout.cpp fills it in; the
// start routine creates the controls from it, the field store finds them in
// it by name, and the event routing reads each control's handler from it.
// A control's platform id is its index in the table.
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

// One control: its place in the creation order, the name the handlers
// address it by, how the platform creates it, and what its event runs.
struct ControlLayout {
  int order = 0;  // place in the creation order, 1 first
  std::string name;
  ControlDesc desc;
  int period = 0;  // Timer only: the period at start, milliseconds
  Handler handler = Handler::None;
};

// In creation order; the index is the platform id.
using ControlTable = std::vector<ControlLayout>;

}  // namespace dv
