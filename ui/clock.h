// The clock field at the top of the window.
#pragma once

#include "core/field_store.h"

namespace dv {

// Handler of 时钟2: shows the current date and time in 编辑框4.
void clock_tick(FieldStore& fields);

}  // namespace dv
