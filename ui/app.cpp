#include "ui/app.h"

#include <cfenv>

#include "core/countdown.h"
#include "core/fatal.h"
#include "core/schedule.h"
#include "core/shutdown.h"
#include "ui/clock.h"
#include "ui/link.h"

namespace dv {

namespace {

// Every push button and edit box of the thread gets the third look.
constexpr int style_scheme = 3;

}  // namespace

Program::Program(Platform& platform, const WindowLayout& layout)
    : platform_(platform),
      layout_(layout),
      fields_(std::make_unique<FieldStore>(platform, layout.controls)) {
  platform_.set_event_sink(this);
}

Program::~Program() {
  platform_.set_event_sink(nullptr);
  // The fatal report must not outlive the platform it was handed; a newer
  // program's platform stays where it is.
  if (fatal_platform() == &platform_) set_fatal_platform(nullptr);
}

void Program::prepare() {
  platform_.ole_initialize();
  platform_.enter_executable_folder();
  set_fatal_platform(&platform_);
  if (!layout_problem(layout_).empty()) {
    fatal_error_report(platform_, 0, "载入窗口模板数据段出错!");
  }
  // Round to nearest, every floating-point exception masked.
  std::fesetenv(FE_DFL_ENV);
}

void Program::load() {
  // The design is in pixels at 100 % display scaling; the screen may have more.
  const WindowLayout on_screen = scaled_layout(layout_, platform_.system_dpi());
  if (!platform_.create_window(on_screen.window)) {
    fatal_error_report(platform_, 0, "载入启动窗口失败");
  }
  for (std::size_t i = 0; i < on_screen.controls.size(); ++i) {
    const int id = static_cast<int>(i);
    if (!platform_.create_control(id, on_screen.controls[i].desc)) {
      fatal_error_report(platform_, 0, "载入启动窗口失败");
    }
    if (on_screen.controls[i].desc.kind == ControlKind::Timer) fields_->timer_window_created(id);
  }
  for (std::size_t i = 0; i < on_screen.controls.size(); ++i) {
    if (on_screen.controls[i].desc.visible) platform_.show_control(static_cast<int>(i));
  }

  // The created event: restyle before the first paint.
  platform_.restyle(style_scheme);

  if (platform_.window_alive()) {
    const Point at = centred_place(on_screen.window, platform_.screen_size());
    platform_.show_window(at.x, at.y);
  }
}

int Program::run() {
  loop_entered_ = true;
  int code = 0;
  if (platform_.window_alive()) code = platform_.run_message_loop();
  platform_.ole_uninitialize();
  return code;
}

int Program::id_of(std::string_view name) const { return fields_->id_of(name); }

std::vector<FocusCandidate> Program::focus_candidates() const {
  std::vector<FocusCandidate> out;
  for (std::size_t i = 0; i < layout_.controls.size(); ++i) {
    const int id = static_cast<int>(i);
    out.push_back(FocusCandidate{id, layout_.controls[i].desc.tab_stop,
                                 platform_.is_visible(id), platform_.is_enabled(id)});
  }
  return out;
}

Handler Program::handler_of(int id) const {
  if (id < 0 || id >= static_cast<int>(layout_.controls.size())) return Handler::None;
  return layout_.controls[static_cast<std::size_t>(id)].handler;
}

void Program::run_handler(Handler h) {
  FieldStore& f = *fields_;
  switch (h) {
    case Handler::Schedule: schedule_command(f); break;
    case Handler::Close: close_command(f); break;
    case Handler::ShutdownTrigger: shutdown_trigger(f); break;
    case Handler::ClockTick: clock_tick(f); break;
    case Handler::CountdownTick: countdown_tick(f); break;
    case Handler::LinkClick: link_click(platform_); break;
    case Handler::None: break;
  }
}

void Program::on_button_clicked(int id) {
  const Handler h = handler_of(id);
  if (h == Handler::Schedule || h == Handler::Close) run_handler(h);
}

void Program::on_timer(int id) {
  // A timer event that was already queued when its timer stopped is void.
  const std::string_view name = fields_->name_of(id);
  if (name.empty() || !fields_->timer_running(name)) return;
  const Handler h = handler_of(id);
  if (h == Handler::ShutdownTrigger || h == Handler::ClockTick || h == Handler::CountdownTick) {
    run_handler(h);
  }
}

bool Program::on_left_button_down(int id, int, int, int) {
  if (handler_of(id) == Handler::LinkClick) run_handler(Handler::LinkClick);
  return true;  // the press goes on to the control
}

bool Program::on_key(Key key, bool shift) {
  switch (key) {
    case Key::Tab: {
      const int next = next_focus(focus_candidates(), platform_.focused_control(), shift);
      if (next >= 0) platform_.set_focus(next);
      return true;
    }
    case Key::Escape:
      platform_.close_window();
      return true;
    case Key::Enter:
    case Key::F1:
      // No default button and no help: these keys do nothing, not even beep.
      return true;
    default:
      return false;
  }
}

void Program::on_activate() {
  const int target = focus_on_activation(focus_candidates(), remembered_focus_);
  if (target >= 0) platform_.set_focus(target);
}

void Program::on_deactivate() {
  const int focused = platform_.focused_control();
  if (focused >= 0) remembered_focus_ = focused;
}

void Program::on_destroy_request_message() { fields_->on_destroy_request_message(); }

void Program::on_window_gone() {
  fields_->window_destroyed();
  if (loop_entered_) platform_.post_quit(0);
}

int start_program(Platform& platform) {
  Program program(platform);
  program.prepare();
  program.load();
  return program.run();
}

}  // namespace dv
