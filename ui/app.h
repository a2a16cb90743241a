// Program start and exit: loads the main window from its layout, binds the
// handlers to the control events and runs the message loop.
#pragma once

#include <memory>
#include <vector>

#include "core/field_store.h"
#include "platform/platform.h"
#include "ui/focus.h"
#include "ui/layout.h"

namespace dv {

// The running program: the main window's controls and the routing of
// their events to the handlers.
class Program final : public EventSink {
 public:
  // The layout is read where it stands, not copied: it must outlive the
  // program.
  explicit Program(Platform& platform, const WindowLayout& layout = main_window_layout());
  // Detaches from the platform's events and takes the platform back from
  // the fatal report if prepare() handed it over.
  ~Program() override;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // OLE, the current directory, the fatal-report platform, the layout check
  // and the floating-point defaults.
  void prepare();
  // Creates the window and its controls, fires the created event and shows
  // the window centred.
  void load();
  // Runs the message loop; returns the exit code after releasing OLE.
  int run();

  FieldStore& fields() { return *fields_; }
  // The platform id of a control, by name; -1 for an unknown name.
  int id_of(std::string_view name) const;
  std::vector<FocusCandidate> focus_candidates() const;

  // EventSink
  void on_button_clicked(int id) override;
  void on_timer(int id) override;
  bool on_left_button_down(int id, int x, int y, int keys) override;
  bool on_key(Key key, bool shift) override;
  void on_activate() override;
  void on_deactivate() override;
  void on_destroy_request_message() override;
  void on_window_gone() override;

 private:
  void run_handler(Handler h);
  Handler handler_of(int id) const;

  Platform& platform_;
  const WindowLayout& layout_;
  std::unique_ptr<FieldStore> fields_;
  bool loop_entered_ = false;
  int remembered_focus_ = -1;
};

// The start routine: prepares the process, loads the main window and runs
// the message loop until the window is gone. Returns the exit code, 0.
// A failed start raises the fatal error report, which does not return.
int start_program(Platform& platform);

}  // namespace dv
