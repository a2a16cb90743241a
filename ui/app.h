// Program start and exit: loads the main window from its layout, binds the
// handlers to the control events and runs the message loop.
#pragma once

#include "platform/platform.h"

namespace dv {

// The start routine: prepares the process, loads the main window and runs
// the message loop until the window is gone. Returns the exit code, 0.
// A failed start raises the fatal error report, which does not return.
int start_program(Platform& platform);

}  // namespace dv
