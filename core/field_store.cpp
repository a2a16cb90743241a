#include "core/field_store.h"

#include "core/fatal.h"

namespace dv {

FieldStore::FieldStore(Platform& platform, const ControlTable& controls)
    : platform_(platform), controls_(controls) {
  timers_.reserve(controls.size());
  for (const ControlLayout& c : controls) timers_.push_back(TimerState{c.period, false});
}

int FieldStore::id_of(std::string_view name) const {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

std::string_view FieldStore::name_of(int id) const {
  if (id < 0 || id >= static_cast<int>(controls_.size())) return {};
  return controls_[static_cast<std::size_t>(id)].name;
}

int FieldStore::find(std::string_view name, bool needs_window) {
  if (needs_window && !platform_.window_alive()) {
    fatal_error_report(platform_, 0, "未载入欲访问窗口组件所在的窗口");
  }
  const int id = id_of(name);
  if (id < 0) fatal_error_report(platform_, 0, "指定窗口尚未载入");
  return id;
}

std::string FieldStore::read_text(std::string_view name) {
  return platform_.get_text(find(name));
}

void FieldStore::write_text(std::string_view name, std::string_view text) {
  platform_.set_text(find(name), std::string(text));
}

void FieldStore::write_disabled(std::string_view name, bool disabled) {
  platform_.set_enabled(find(name), !disabled);
}

std::int32_t FieldStore::read_period(std::string_view name) {
  return timers_[static_cast<std::size_t>(find(name, false))].period;
}

bool FieldStore::timer_running(std::string_view name) {
  return timers_[static_cast<std::size_t>(find(name, false))].running;
}

void FieldStore::write_period(std::string_view name, std::int32_t period) {
  const int id = find(name);
  TimerState& t = timers_[static_cast<std::size_t>(id)];
  if (period < 0) period = 0;
  // Same period: a running timer keeps its rhythm.
  if (period == t.period) return;
  t.period = period;
  if (t.running) {
    platform_.kill_timer(id);
    t.running = false;
  }
  if (period > 0) start_timer(id);
}

void FieldStore::start_timer(int id) {
  TimerState& t = timers_[static_cast<std::size_t>(id)];
  platform_.set_timer(id, t.period);
  t.running = true;
}

void FieldStore::timer_window_created(int id) {
  if (id < 0 || id >= static_cast<int>(controls_.size())) return;
  const auto i = static_cast<std::size_t>(id);
  if (controls_[i].desc.kind == ControlKind::Timer && timers_[i].period > 0) start_timer(id);
}

void FieldStore::window_destroyed() {
  for (auto& t : timers_) t.running = false;
  destroy_mark_ = false;
}

void FieldStore::destroy_request() {
  destroy_mark_ = true;
  platform_.post_destroy_request();
}

void FieldStore::on_destroy_request_message() {
  // A window closed by another road meanwhile leaves the message without
  // effect: the mark was cleared when it went.
  if (!destroy_mark_ || !platform_.window_alive()) return;
  destroy_mark_ = false;
  platform_.destroy_window();
}

}  // namespace dv
