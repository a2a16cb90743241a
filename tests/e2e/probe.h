// Looking at and driving another process's windows from the outside, the
// way a user (or an accessibility tool) would: window texts, enabled and
// visible flags, places, clicks, message boxes and the process exit code.
//
// Every wait is a bounded poll; nothing here blocks forever on the program
// under test. Texts are GBK bytes, as the program holds them, whatever the
// system's code page: they cross to the system through the W forms,
// converted with code page 936 named. Paths are UTF-8.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// GBK bytes as UTF-8, for readable reports on a Linux terminal.
std::string to_utf8(const std::string& gbk);
// Conversions with the code page named: 936 (GBK) and UTF-8.
std::wstring gbk_to_wide(const std::string& gbk);
std::string wide_to_gbk(const std::wstring& wide);  // "?" for what GBK lacks
std::string wide_to_utf8(const std::wstring& wide);
std::wstring utf8_to_wide(const std::string& utf8);

// Milliseconds since some fixed point; for deadlines.
unsigned long long now_ms();

// Polls pred() every 15 ms until it holds or timeout_ms has passed.
template <typename Pred>
bool wait_until(Pred pred, unsigned timeout_ms) {
  const unsigned long long end = now_ms() + timeout_ms;
  for (;;) {
    if (pred()) return true;
    if (now_ms() >= end) return false;
    Sleep(15);
  }
}

// Window text through WM_GETTEXT with a timeout, so a hung program cannot
// hang the driver. ok is false when the program did not answer.
std::string window_text(HWND hwnd, bool* ok = nullptr);
std::wstring window_text_wide(HWND hwnd, bool* ok = nullptr);
// The same through the ANSI form: what a program of the system's own code
// page reads.
std::string window_text_ansi(HWND hwnd);
bool set_window_text(HWND hwnd, const std::string& text);
bool set_window_text_wide(HWND hwnd, const std::wstring& text);
std::string class_name(HWND hwnd);

// Round trip through the window's thread: returns once that thread has
// taken the message from one of its message loops (main or modal).
bool sync_with(HWND hwnd);

// One child window of the main window as seen from outside.
struct Child {
  HWND hwnd = nullptr;
  std::string cls;
  std::string text;
  RECT rect{};  // outer rectangle in the parent's client coordinates
  bool visible = false;
  bool enabled = false;
  LONG style = 0;
  int z_index = 0;  // position in GW_CHILD / GW_HWNDNEXT order
};

// The direct children of parent, in GW_CHILD / GW_HWNDNEXT order.
std::vector<Child> children_of(HWND parent);

// A program started by the driver.
class Process {
 public:
  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Starts the executable (UTF-8 path) in its own folder, and waits (up to
  // 10 s) until it waits for input, unless told not to. error gets the
  // reason on failure.
  bool start(const std::string& exe_path, std::string* error, bool wait_idle = true);
  DWORD pid() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }
  bool running() const;
  // Waits for the process to end; false on timeout.
  bool wait_exit(unsigned timeout_ms);
  DWORD exit_code() const;
  // Ends the process if it still runs. Returns true when it had to.
  bool kill();
  // Kernel plus user time of the process's threads so far, in milliseconds
  // (10 ms steps); negative when unknown. Counted thread by thread: Wine
  // reports no times for another process through GetProcessTimes, but it
  // does for each of its threads.
  double cpu_ms() const;

  // The visible top-level window of this process with the given class and
  // title, or null.
  HWND find_window(const char* cls, const char* title) const;
  // Visible top-level message boxes (class "#32770") of this process.
  std::vector<HWND> message_boxes() const;
  // Visible top-level windows of this process other than `except`.
  std::vector<HWND> other_top_windows(HWND except) const;

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

// A message box as the user sees it.
struct MessageBoxView {
  HWND hwnd = nullptr;
  std::string caption;
  std::string text;
  std::vector<std::string> buttons;  // captions of its buttons
  bool has_ok = false;               // a button with id IDOK
};
MessageBoxView read_message_box(HWND box);
// Presses OK (the button with id IDOK) with a posted BM_CLICK and waits for
// the box to go away. Falls back to WM_COMMAND IDOK so that a run can go on;
// returns false when the click alone did not close the box.
bool press_ok(HWND box, std::string* note);

}  // namespace e2e
