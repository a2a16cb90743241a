// The schedule command: turns the delay typed into the three delay fields
// into a running shutdown.
#pragma once

#include <string_view>

#include "core/field_store.h"

namespace dv {

// The caption of every message box that comes without one.
inline constexpr std::string_view default_caption = "信息：";

// Shows a modal message box without owner and waits for it. MB_TASKMODAL is
// added unless the style asks for a system-modal box. Returns the pressed
// button: 0 OK, 1 Cancel, 2 Abort, 3 Retry, 4 Ignore, 5 Yes, 6 No, else 0.
int show_message(Platform& platform, std::string_view text, unsigned style = 0,
                 std::string_view caption = default_caption);

// The whole delay of the three delay fields in milliseconds, read afresh.
double delay_total_ms(FieldStore& fields);

// Handler of 按钮1 (确定).
void schedule_command(FieldStore& fields);

}  // namespace dv
