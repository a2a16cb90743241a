// The end of a scheduled shutdown: the power-off itself, or its cancellation.
#pragma once

#include "core/field_store.h"

namespace dv {

// Enables the shutdown privilege where the system has one and asks for a
// forced power-off. True when the system accepted the request.
bool power_off_request(Platform& platform);

// Handler of 时钟1. The timer keeps running: if the computer stays on, the
// request is made again after every further period.
void shutdown_trigger(FieldStore& fields);

// Handler of 按钮2 (关闭): stops the shutdown timer and has the window
// destroyed once this handler has returned.
void close_command(FieldStore& fields);

}  // namespace dv
