// The field store: every value the program works with lives in a property of
// one of the main window's controls, addressed by the control's name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace dv {

// One control the store can address.
struct FieldEntry {
  std::string name;
  ControlKind kind;
  int id;                      // the platform's id of the control
  std::int32_t period = 0;     // Timer: period at start, in milliseconds
};

class FieldStore {
 public:
  FieldStore(Platform& platform, std::vector<FieldEntry> entries);
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

  // The name of the control with this platform id, or empty.
  std::string_view name_of(int id) const;

  // Asks for the window to be destroyed once the running handler returns.
  void destroy_request();
  // Carries out a pending destroy request when its message arrives.
  void on_destroy_request_message();
  bool destroy_pending() const { return destroy_mark_; }

 private:
  struct Field {
    FieldEntry entry;
    bool running = false;
  };
  Field& find(std::string_view name, bool needs_window = true);
  void start_timer(Field& f);

  Platform& platform_;
  std::vector<Field> fields_;
  bool destroy_mark_ = false;
};

}  // namespace dv
