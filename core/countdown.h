// The once-a-second countdown of the remaining fields.
#pragma once

#include "core/field_store.h"

namespace dv {

// Handler of 时钟3: lowers the remaining time by one second, borrowing from
// the next larger unit when a unit shows "0", and brings the shown shutdown
// hour and minute back towards clock range.
void countdown_tick(FieldStore& fields);

}  // namespace dv
