#include "ui/clock.h"

#include "core/date_time.h"

namespace dv {

void clock_tick(FieldStore& f) {
  f.write_text("编辑框4", date_time_text(current_date_time(f.platform())));
}

}  // namespace dv
