#include "core/countdown.h"

#include <cstdint>
#include <string_view>

#include "core/text_rules.h"

namespace dv {

namespace {

std::int32_t value_of(FieldStore& f, std::string_view field) {
  return text_to_int(f.read_text(field));
}

void lower(FieldStore& f, std::string_view field, double step) {
  const double difference = static_cast<double>(value_of(f, field)) - step;
  f.write_text(field, number_to_text(difference));
}

// Only the one-character text "0" marks a run-out unit; "00", " 0" or an
// empty field do not.
bool shows_zero(FieldStore& f, std::string_view field) {
  return text_equal(f.read_text(field), "0");
}

}  // namespace

void countdown_tick(FieldStore& f) {
  lower(f, "编辑框7", 1);
  if (shows_zero(f, "编辑框7")) {
    f.write_text("编辑框7", "60");
    lower(f, "编辑框6", 1);
  }
  if (shows_zero(f, "编辑框6")) {
    f.write_text("编辑框6", "60");
    lower(f, "编辑框5", 1);
  }

  // The shutdown time was written without carry; fold hour and minute back
  // one step per tick. Equal values stay: 24 and 60 are shown as such.
  if (value_of(f, "编辑框8") > 48) lower(f, "编辑框8", 48);
  if (value_of(f, "编辑框8") > 24) lower(f, "编辑框8", 24);
  if (value_of(f, "编辑框9") > 60) lower(f, "编辑框9", 60);
}

}  // namespace dv
