#include "core/field_store.h"

#include "core/fatal.h"

namespace dv {

FieldStore::FieldStore(Platform& platform, std::vector<FieldEntry> entries)
    : platform_(platform) {
  fields_.reserve(entries.size());
  for (auto& e : entries) fields_.push_back(Field{std::move(e), false});
}

FieldStore::Field& FieldStore::find(std::string_view name, bool needs_window) {
  if (needs_window && !platform_.window_alive()) {
    fatal_error_report(platform_, 0, "未载入欲访问窗口组件所在的窗口");
  }
  for (auto& f : fields_) {
    if (f.entry.name == name) return f;
  }
  fatal_error_report(platform_, 0, "指定窗口尚未载入");
}

std::string FieldStore::read_text(std::string_view name) {
  return platform_.get_text(find(name).entry.id);
}

void FieldStore::write_text(std::string_view name, std::string_view text) {
  platform_.set_text(find(name).entry.id, std::string(text));
}

void FieldStore::write_disabled(std::string_view name, bool disabled) {
  platform_.set_enabled(find(name).entry.id, !disabled);
}

std::int32_t FieldStore::read_period(std::string_view name) {
  return find(name, false).entry.period;
}

bool FieldStore::timer_running(std::string_view name) {
  return find(name, false).running;
}

void FieldStore::write_period(std::string_view name, std::int32_t period) {
  Field& f = find(name);
  if (period < 0) period = 0;
  // Same period: a running timer keeps its rhythm.
  if (period == f.entry.period) return;
  f.entry.period = period;
  if (f.running) {
    platform_.kill_timer(f.entry.id);
    f.running = false;
  }
  if (period > 0) start_timer(f);
}

void FieldStore::start_timer(Field& f) {
  platform_.set_timer(f.entry.id, f.entry.period);
  f.running = true;
}

void FieldStore::timer_window_created(int id) {
  for (auto& f : fields_) {
    if (f.entry.id == id && f.entry.kind == ControlKind::Timer && f.entry.period > 0) {
      start_timer(f);
    }
  }
}

void FieldStore::window_destroyed() {
  for (auto& f : fields_) f.running = false;
  destroy_mark_ = false;
}

std::string_view FieldStore::name_of(int id) const {
  for (const auto& f : fields_) {
    if (f.entry.id == id) return f.entry.name;
  }
  return {};
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
