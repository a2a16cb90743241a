#include "platform/headless/headless_desktop.h"

#include <algorithm>

namespace dv {

namespace {

// Windows keeps timer periods within 10 ms .. 0x7FFFFFFF ms.
int clamp_interval(int ms) { return ms < 10 ? 10 : ms; }

// The desktop's own calendar (proleptic Gregorian), counted year by year
// and month by month. It is deliberately not the program's date arithmetic:
// a fault there must not move the clock the tests compare it against.
bool leap_year(long long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int days_in_year(long long y) { return leap_year(y) ? 366 : 365; }
int days_in_month(long long y, int m) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leap_year(y) ? 29 : days[m - 1];
}

// Seconds since 1970-01-01 00:00 of a local date and time. The month must be
// 1..12; the other fields run on past their end (day 32 is the first of the
// next month, hour 24 the next day).
long long seconds_since_1970(const LocalTime& t) {
  if (t.month < 1 || t.month > 12) throw std::out_of_range("set_local_time: no such month");
  long long days = 0;
  for (long long y = 1970; y < t.year; ++y) days += days_in_year(y);
  for (long long y = t.year; y < 1970; ++y) days -= days_in_year(y);
  for (int m = 1; m < t.month; ++m) days += days_in_month(t.year, m);
  days += t.day - 1;
  return days * 86400 + t.hour * 3600LL + t.minute * 60LL + t.second;
}

LocalTime local_time_at(long long seconds) {
  long long days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  LocalTime t;
  long long y = 1970;
  while (days < 0) days += days_in_year(--y);
  while (days >= days_in_year(y)) days -= days_in_year(y++);
  int m = 1;
  while (days >= days_in_month(y, m)) days -= days_in_month(y, m++);
  t.year = static_cast<int>(y);
  t.month = m;
  t.day = static_cast<int>(days) + 1;
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

}  // namespace

HeadlessDesktop::HeadlessDesktop() {
  set_local_time(LocalTime{2024, 3, 7, 10, 50, 30});
  box_script_ = [](const MessageBoxRecord&, HeadlessDesktop&) { return mb::id_ok; };
}

void HeadlessDesktop::set_local_time(const LocalTime& t) {
  start_seconds_ = seconds_since_1970(t) - static_cast<long long>(now_ / 1000);
}

LocalTime HeadlessDesktop::local_time() const {
  return local_time_at(start_seconds_ + static_cast<long long>(now_ / 1000));
}

void HeadlessDesktop::add_top_window(const std::string& title, std::uintptr_t handle) {
  top_windows_[title] = handle;
}

int HeadlessDesktop::timer_interval(int id) const {
  const auto it = timers_.find(id);
  return it == timers_.end() ? -1 : it->second.interval;
}

int HeadlessDesktop::change_notifications(int id) const {
  return controls_.at(id).change_notifications;
}

// --- What a user does ------------------------------------------------------

bool HeadlessDesktop::type(int id, const std::string& text) {
  if (!accepts_input() || !exists(id)) return false;
  Control& c = controls_.at(id);
  if (!c.enabled || !c.visible || c.desc.kind != ControlKind::EditBox) return false;
  focus_ = id;
  c.text = text;
  return true;
}

bool HeadlessDesktop::click(int id) {
  if (!accepts_input() || !exists(id)) return false;
  const Control& c = controls_.at(id);
  if (!c.enabled || !c.visible || c.desc.kind != ControlKind::Button) return false;
  focus_ = id;
  posted_.push_back(Message{Posted::Click, id});
  process_pending();
  return true;
}

void HeadlessDesktop::press_left(int id, int x, int y, int keys) {
  if (!accepts_input() || !exists(id) || sink_ == nullptr) return;
  sink_->on_left_button_down(id, x, y, keys);
}

void HeadlessDesktop::press_key(Key key, bool shift) {
  if (!accepts_input() || sink_ == nullptr) return;
  // A key addressed to a disabled control is passed on untouched.
  if (focus_ >= 0 && exists(focus_) && !controls_.at(focus_).enabled) return;
  if (sink_->on_key(key, shift)) return;
}

void HeadlessDesktop::close_by_caption() {
  if (!accepts_input()) return;
  posted_.push_back(Message{Posted::Close, 0});
  process_pending();
}

void HeadlessDesktop::advance(std::uint64_t ms) {
  const std::uint64_t until = now_ + ms;
  while (deliver_one(until)) {
  }
  now_ = std::max(now_, until);
}

void HeadlessDesktop::process_pending() {
  while (deliver_one(now_)) {
  }
}

bool HeadlessDesktop::deliver_one(std::uint64_t until) {
  if (!posted_.empty()) {
    const Message m = posted_.front();
    posted_.pop_front();
    deliver(m);
    return true;
  }
  // Earliest expired timer; ties go to the lower id.
  auto next = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->second.next_due <= until &&
        (next == timers_.end() || it->second.next_due < next->second.next_due)) {
      next = it;
    }
  }
  if (next == timers_.end()) return false;
  const int id = next->first;
  Timer& t = next->second;
  now_ = std::max(now_, t.next_due);
  // Every expiry up to now is merged into this one event.
  while (t.next_due <= now_) t.next_due += static_cast<std::uint64_t>(t.interval);
  if (sink_ != nullptr) sink_->on_timer(id);
  return true;
}

void HeadlessDesktop::deliver(const Message& m) {
  if (sink_ == nullptr) return;
  switch (m.what) {
    case Posted::DestroyRequest:
      if (alive_) sink_->on_destroy_request_message();
      break;
    case Posted::Click:
      if (alive_ && exists(m.id) && controls_.at(m.id).enabled) sink_->on_button_clicked(m.id);
      break;
    case Posted::Close:
      if (alive_) destroy_window();
      break;
  }
}

// --- Platform ----------------------------------------------------------------

void HeadlessDesktop::ole_initialize() {
  ++ole_depth_;
  log("OleInitialize");
}

void HeadlessDesktop::ole_uninitialize() {
  if (ole_depth_ > 0) --ole_depth_;
  log("OleUninitialize");
}

void HeadlessDesktop::exit_process(int code) {
  log("ExitProcess " + std::to_string(code));
  throw ProcessExit(code);
}

bool HeadlessDesktop::create_window(const WindowDesc& desc) {
  window_ = desc;
  alive_ = true;
  log("CreateWindow " + desc.class_name);
  return true;
}

bool HeadlessDesktop::create_control(int id, const ControlDesc& desc) {
  if (!alive_ || id == failing_control_ || exists(id)) return false;
  Control c;
  c.desc = desc;
  c.text = desc.kind == ControlKind::Timer ? std::string() : desc.text;
  c.enabled = !desc.disabled;
  controls_[id] = c;
  created_.push_back(id);
  return true;
}

void HeadlessDesktop::show_control(int id) {
  if (exists(id)) controls_.at(id).visible = true;
}

void HeadlessDesktop::show_window(int x, int y) {
  window_x_ = x;
  window_y_ = y;
  window_shown_ = true;
  log("ShowWindow " + std::to_string(x) + " " + std::to_string(y));
  if (sink_ != nullptr) sink_->on_activate();
}

void HeadlessDesktop::destroy_window() {
  if (!alive_) return;
  log("DestroyWindow");
  alive_ = false;
  window_shown_ = false;
  timers_.clear();  // every timer dies with its window
  controls_.clear();
  focus_ = -1;
  if (sink_ != nullptr) sink_->on_window_gone();
}

void HeadlessDesktop::close_window() {
  log("WM_CLOSE");
  if (alive_) destroy_window();
}

int HeadlessDesktop::restyle(int scheme) {
  restyle_scheme_ = scheme;
  log("Restyle " + std::to_string(scheme));
  return scheme >= 1 && scheme <= 3 ? 1 : 0;
}

void HeadlessDesktop::post_destroy_request() {
  log("PostMessage destroy");
  posted_.push_back(Message{Posted::DestroyRequest, 0});
}

void HeadlessDesktop::post_quit(int code) {
  log("PostQuitMessage " + std::to_string(code));
  quit_posted_ = true;
  quit_code_ = code;
}

int HeadlessDesktop::run_message_loop() {
  process_pending();
  while (!quit_posted_ && driver_ && driver_(*this)) {
  }
  if (!quit_posted_) throw std::logic_error("message loop left without WM_QUIT");
  return quit_code_;
}

std::string HeadlessDesktop::get_text(int id) { return exists(id) ? controls_.at(id).text : ""; }

void HeadlessDesktop::set_text(int id, const std::string& text) {
  if (!exists(id)) return;
  Control& c = controls_.at(id);
  c.text = text;
  ++c.change_notifications;
  log("SetWindowText " + std::to_string(id));
}

void HeadlessDesktop::set_enabled(int id, bool enabled) {
  if (!exists(id)) return;
  controls_.at(id).enabled = enabled;
  // A control that is disabled loses the focus, as on Windows.
  if (!enabled && focus_ == id) focus_ = -1;
  log(std::string("EnableWindow ") + std::to_string(id) + (enabled ? " 1" : " 0"));
}

bool HeadlessDesktop::is_enabled(int id) const { return exists(id) && controls_.at(id).enabled; }

bool HeadlessDesktop::is_visible(int id) const { return exists(id) && controls_.at(id).visible; }

void HeadlessDesktop::set_focus(int id) {
  if (exists(id)) focus_ = id;
}

void HeadlessDesktop::set_timer(int id, int ms) {
  log("SetTimer " + std::to_string(id) + " " + std::to_string(ms));
  if (!exists(id)) return;
  Timer t;
  t.interval = clamp_interval(ms);
  t.next_due = now_ + static_cast<std::uint64_t>(t.interval);
  timers_[id] = t;
}

void HeadlessDesktop::kill_timer(int id) {
  log("KillTimer " + std::to_string(id));
  timers_.erase(id);
}

int HeadlessDesktop::message_box(const std::string& text, const std::string& caption,
                                 unsigned flags) {
  boxes_.push_back(MessageBoxRecord{text, caption, flags, now_});
  log("MessageBox");
  const MessageBoxRecord record = boxes_.back();
  // The box takes the activation; the window gets it back afterwards.
  if (sink_ != nullptr && alive_) sink_->on_deactivate();
  ++modal_depth_;
  int answer = mb::id_ok;
  try {
    answer = box_script_ ? box_script_(record, *this) : mb::id_ok;
  } catch (...) {
    --modal_depth_;
    throw;
  }
  --modal_depth_;
  if (sink_ != nullptr && alive_) sink_->on_activate();
  return answer;
}

unsigned HeadlessDesktop::os_platform_id() {
  log("GetVersionEx");
  return os_platform_;
}

bool HeadlessDesktop::open_process_token() {
  log("OpenProcessToken");
  token_open_ = token_opens_;
  return token_opens_;
}

unsigned HeadlessDesktop::enable_privilege(const char* name) {
  log(std::string("AdjustTokenPrivileges ") + name);
  if (!token_open_) return 6;  // ERROR_INVALID_HANDLE
  token_open_ = false;
  return privilege_error_;
}

bool HeadlessDesktop::exit_windows(unsigned flags, unsigned reason) {
  log("ExitWindowsEx " + std::to_string(flags) + " " + std::to_string(reason));
  power_.push_back(PowerRecord{flags, reason, now_});
  return exit_windows_ok_;
}

std::uintptr_t HeadlessDesktop::find_top_window(const char* title) {
  const auto it = top_windows_.find(title);
  return it == top_windows_.end() ? 0 : it->second;
}

void HeadlessDesktop::shell_execute(std::uintptr_t owner, const char* verb, const char* file,
                                    int show) {
  log(std::string("ShellExecute ") + verb + " " + file);
  shell_.push_back(ShellRecord{owner, verb, file, show});
}

}  // namespace dv
