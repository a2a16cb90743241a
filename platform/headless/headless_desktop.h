// An in-memory desktop for running the program without Windows.
//
// It keeps real state (texts, enabled flags, focus, timers, a message queue)
// and follows the rules the program relies on from Windows: posted messages
// are handed out before timer events; a timer that expired several times
// while its event was pending fires once; SetTimer on a running timer starts
// its count afresh; a message box is modal and keeps delivering timer events
// while it is open. Time is virtual: it moves only when a test says so.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace dv {

// Thrown by exit_process(): the test sees the exit code instead of losing
// its own process.
struct ProcessExit : std::runtime_error {
  explicit ProcessExit(int c) : std::runtime_error("process exit"), code(c) {}
  int code;
};

class HeadlessDesktop final : public Platform {
 public:
  struct MessageBoxRecord {
    std::string text, caption;
    unsigned flags = 0;
    std::uint64_t at_ms = 0;  // virtual time the box was shown
  };
  struct PowerRecord { unsigned flags = 0, reason = 0; std::uint64_t at_ms = 0; };
  struct ShellRecord {
    std::uintptr_t owner = 0;
    std::string verb, file;
    int show = 0;
  };
  // Answers an open message box; may let time pass with advance().
  using BoxScript = std::function<int(const MessageBoxRecord&, HeadlessDesktop&)>;
  // Drives the message loop: one step of user activity per call; returning
  // false ends the loop's driver (the loop must have received WM_QUIT).
  using LoopDriver = std::function<bool(HeadlessDesktop&)>;

  HeadlessDesktop();

  // --- Test set-up -------------------------------------------------------
  void set_local_time(const LocalTime& t);  // the local time from now on
  void set_screen(ScreenSize s) { screen_ = s; }
  void set_dpi(int dpi) { dpi_ = dpi; }
  void set_box_script(BoxScript s) { box_script_ = std::move(s); }
  void set_loop_driver(LoopDriver d) { driver_ = std::move(d); }
  void fail_control_creation(int id) { failing_control_ = id; }
  void set_os_platform(unsigned id) { os_platform_ = id; }
  void set_token_opens(bool ok) { token_opens_ = ok; }
  void set_privilege_error(unsigned e) { privilege_error_ = e; }
  void set_exit_windows_result(bool ok) { exit_windows_ok_ = ok; }
  void add_top_window(const std::string& title, std::uintptr_t handle);
  void set_executable_folder(const std::string& f) { exe_folder_ = f; }

  // --- What a user does ---------------------------------------------------
  // Typing replaces the text of an enabled box that can take the focus.
  bool type(int id, const std::string& text);
  // A click on an enabled button, delivered through the message queue.
  bool click(int id);
  // A left-button press on a control (pointer in its client area).
  void press_left(int id, int x, int y, int keys);
  // A key press handled as the message loop would before the focused
  // control sees it.
  void press_key(Key key, bool shift = false);
  // The caption's close button.
  void close_by_caption();
  // Lets virtual time pass, delivering messages and timer events on the way.
  void advance(std::uint64_t ms);
  // Delivers whatever is due now.
  void process_pending();
  // Lets time pass while the thread is busy: nothing is delivered, timers
  // that expire meanwhile wait (merged) for the next delivery.
  void stall(std::uint64_t ms) { now_ += ms; }

  // --- What a test reads --------------------------------------------------
  std::uint64_t now_ms() const { return now_; }
  const std::string& text(int id) const { return controls_.at(id).text; }
  bool exists(int id) const { return controls_.count(id) != 0; }
  const ControlDesc& desc(int id) const { return controls_.at(id).desc; }
  bool timer_set(int id) const { return timers_.count(id) != 0; }
  int timer_interval(int id) const;  // -1 when not set
  const WindowDesc& window_desc() const { return window_; }
  int window_x() const { return window_x_; }
  int window_y() const { return window_y_; }
  bool window_shown() const { return window_shown_; }
  bool quit_posted() const { return quit_posted_; }
  int quit_code() const { return quit_code_; }
  int restyle_scheme() const { return restyle_scheme_; }
  int ole_depth() const { return ole_depth_; }
  const std::string& current_directory() const { return cwd_; }
  const std::vector<MessageBoxRecord>& boxes() const { return boxes_; }
  const std::vector<PowerRecord>& power_requests() const { return power_; }
  const std::vector<ShellRecord>& shell_requests() const { return shell_; }
  // Every call the program made into the platform that changes something,
  // one line each ("SetTimer 3 1000", "EN_CHANGE 14", ...).
  const std::vector<std::string>& calls() const { return calls_; }
  void clear_calls() { calls_.clear(); }
  int change_notifications(int id) const;
  std::vector<int> creation_order() const { return created_; }

  // --- Platform -------------------------------------------------------------
  void ole_initialize() override;
  void ole_uninitialize() override;
  void enter_executable_folder() override { cwd_ = exe_folder_; }
  [[noreturn]] void exit_process(int code) override;
  void set_event_sink(EventSink* sink) override { sink_ = sink; }
  bool create_window(const WindowDesc& desc) override;
  bool create_control(int id, const ControlDesc& desc) override;
  void show_control(int id) override;
  void show_window(int x, int y) override;
  bool window_alive() const override { return alive_; }
  ScreenSize screen_size() const override { return screen_; }
  int system_dpi() const override { return dpi_; }
  void destroy_window() override;
  void close_window() override;
  int restyle(int scheme) override;
  void post_destroy_request() override;
  void post_quit(int code) override;
  int run_message_loop() override;
  std::string get_text(int id) override;
  void set_text(int id, const std::string& text) override;
  void set_enabled(int id, bool enabled) override;
  bool is_enabled(int id) const override;
  bool is_visible(int id) const override;
  int focused_control() const override { return focus_; }
  void set_focus(int id) override;
  void set_timer(int id, int ms) override;
  void kill_timer(int id) override;
  int message_box(const std::string& text, const std::string& caption, unsigned flags) override;
  LocalTime local_time() const override;
  unsigned os_platform_id() override;
  bool open_process_token() override;
  unsigned enable_privilege(const char* name) override;
  bool exit_windows(unsigned flags, unsigned reason) override;
  std::uintptr_t find_top_window(const char* title) override;
  void shell_execute(std::uintptr_t owner, const char* verb, const char* file, int show) override;

 private:
  struct Control {
    ControlDesc desc;
    std::string text;
    bool enabled = true;
    bool visible = false;
    int change_notifications = 0;
  };
  struct Timer {
    int interval = 0;
    std::uint64_t next_due = 0;
  };
  enum class Posted { DestroyRequest, Click, Close };
  struct Message { Posted what; int id = 0; };

  void log(const std::string& line) { calls_.push_back(line); }
  // Hands out every posted message, then the earliest timer event due at or
  // before `until`; false when nothing was due.
  bool deliver_one(std::uint64_t until);
  void deliver(const Message& m);
  bool accepts_input() const { return alive_ && modal_depth_ == 0; }

  EventSink* sink_ = nullptr;
  std::uint64_t now_ = 0;
  long long start_seconds_ = 0;  // local time at 0 ms, seconds since 1970
  ScreenSize screen_{1024, 768};
  int dpi_ = 96;
  WindowDesc window_;
  bool alive_ = false, window_shown_ = false;
  int window_x_ = 0, window_y_ = 0;
  std::map<int, Control> controls_;
  std::vector<int> created_;
  int focus_ = -1;
  std::map<int, Timer> timers_;
  std::deque<Message> posted_;
  bool quit_posted_ = false;
  int quit_code_ = 0;
  int modal_depth_ = 0;
  BoxScript box_script_;
  LoopDriver driver_;
  std::vector<MessageBoxRecord> boxes_;
  int failing_control_ = -1;
  int restyle_scheme_ = 0;
  int ole_depth_ = 0;
  std::string exe_folder_ = "C:\\Program Files\\Dovrane";
  std::string cwd_ = "C:\\";
  unsigned os_platform_ = platform_win32_nt;
  bool token_opens_ = true, token_open_ = false;
  unsigned privilege_error_ = 0;
  bool exit_windows_ok_ = true;
  std::vector<PowerRecord> power_;
  std::map<std::string, std::uintptr_t> top_windows_;
  std::vector<ShellRecord> shell_;
  std::vector<std::string> calls_;
};

}  // namespace dv
