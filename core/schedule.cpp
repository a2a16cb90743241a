#include "core/schedule.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "core/date_time.h"
#include "core/text_rules.h"

namespace dv {

namespace {

constexpr std::string_view empty_warning = "时间不能为空";
// A period of more than 2^31 - 1 ms cannot be given to the shutdown timer;
// wrapping it would switch the computer off far too early.
constexpr std::string_view too_long_warning = "关机延时不能超过596小时31分钟23秒";

constexpr std::string_view delay_fields[] = {"编辑框1", "编辑框2", "编辑框3"};

double as_double(std::int32_t v) { return static_cast<double>(v); }

// Writes clock value + delay value of one unit into its shutdown-time field.
void write_shutdown_unit(FieldStore& f, int clock_value, std::string_view delay_field,
                         std::string_view target) {
  const std::int32_t delay = text_to_int(f.read_text(delay_field));
  f.write_text(target, number_to_text(as_double(clock_value) + as_double(delay)));
}

}  // namespace

int show_message(Platform& platform, std::string_view text, unsigned style,
                 std::string_view caption) {
  unsigned flags = style;
  if ((flags & mb::system_modal) == 0) flags |= mb::task_modal;
  const int pressed = platform.message_box(std::string(text), std::string(caption), flags);
  // IDOK..IDNO are 1..7.
  return pressed >= 1 && pressed <= 7 ? pressed - 1 : 0;
}

double delay_total_ms(FieldStore& f) {
  const double h = as_double(text_to_int(f.read_text("编辑框1")));
  const double m = as_double(text_to_int(f.read_text("编辑框2")));
  const double s = as_double(text_to_int(f.read_text("编辑框3")));
  return h * 3600000.0 + m * 60000.0 + s * 1000.0;
}

void schedule_command(FieldStore& f) {
  Platform& p = f.platform();

  // The delay as typed, read back to the user.
  {
    const std::string hours = f.read_text("编辑框1");
    const std::string minutes = f.read_text("编辑框2");
    const std::string seconds = f.read_text("编辑框3");
    show_message(p, concat({hours, "小时", minutes, "分钟", seconds, "秒后关机"}));
  }

  // Each empty field is pointed out, and counts as 0 all the same.
  for (auto field : delay_fields) {
    if (text_equal(f.read_text(field), "")) show_message(p, empty_warning);
  }

  if (delay_total_ms(f) > 2147483647.0) {
    show_message(p, too_long_warning);
    return;  // inputs stay enabled so the delay can be corrected
  }

  // Shutdown time: each unit on its own, no carry between them.
  write_shutdown_unit(f, hour_of(current_date_time(p)), "编辑框1", "编辑框8");
  write_shutdown_unit(f, minute_of(current_date_time(p)), "编辑框2", "编辑框9");
  write_shutdown_unit(f, second_of(current_date_time(p)), "编辑框3", "编辑框10");

  // Remaining time starts as the delay texts exactly as typed.
  f.write_text("编辑框5", f.read_text("编辑框1"));
  f.write_text("编辑框6", f.read_text("编辑框2"));
  f.write_text("编辑框7", f.read_text("编辑框3"));

  // Totals below the 32-bit range are negative like any other: the timer
  // must stay stopped, not take the wrapped low bits.
  const double total = std::trunc(delay_total_ms(f));
  const std::int32_t period =
      total < -2147483648.0 ? INT32_MIN : static_cast<std::int32_t>(total);
  f.write_period("时钟1", period);
  f.write_period("时钟3", 1000);

  f.write_disabled("按钮1", true);
  for (auto field : delay_fields) f.write_disabled(field, true);
}

}  // namespace dv
