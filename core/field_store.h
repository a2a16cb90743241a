// The field store: every value the program works with lives in a property of
// one of the main window's controls, addressed by the control's name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/control_table.h"
#include "platform/platform.h"

namespace dv {

class FieldStore {
 public:
  // Names, kinds and start periods are read from `controls`, which must
  // outlive the store; a control's platform id is its index there.
  FieldStore(Platform& platform, const ControlTable& controls);
  FieldStore(const FieldStore&) = delete;
  FieldStore& operator=(const FieldStore&) = delete;

  Platform& platform() { return platform_; }

  // The control's text as it stands now; empty for an empty box.
  std::string read_text(std::string_view name);
  // Replaces the text (even with the same text) and notifies the change.
  void write_text(std::string_view name, std::string_view text);
  // Disables (true) or enables (false) an edit box or button.
  void write_disabled(std::string_view name, bool disabled);

  // The stored period of a Timer, also while it is stopped.
  std::int32_t read_period(std::string_view name);
  // Negative periods count as 0. Writing the stored value changes nothing;
  // any other value restarts the count (or stops it, for 0).
  void write_period(std::string_view name, std::int32_t period);
  bool timer_running(std::string_view name);

  // The Timer's window now exists: a positive period starts counting.
  void timer_window_created(int id);
  // The window is gone: every Timer stops with it.
  void window_destroyed();

  // The platform id of the control with this name, or -1. The one name
  // lookup: the accessors above and the program's own id_of() use it.
  int id_of(std::string_view name) const;
  // The name of the control with this platform id, or empty.
  std::string_view name_of(int id) const;

  // Asks for the window to be destroyed once the running handler returns.
  void destroy_request();
  // Carries out a pending destroy request when its message arrives.
  void on_destroy_request_message();
  bool destroy_pending() const { return destroy_mark_; }

 private:
  // What changes while the program runs, per control (by id); everything
  // else about a control stays in the table.
  struct TimerState {
    std::int32_t period = 0;  // the stored period, from the table at start
    bool running = false;
  };
  // The id of the named control; the fatal report when it cannot be used.
  int find(std::string_view name, bool needs_window = true);
  void start_timer(int id);

  Platform& platform_;
  const ControlTable& controls_;
  std::vector<TimerState> timers_;
  bool destroy_mark_ = false;
};

}  // namespace dv
