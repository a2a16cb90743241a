// What every scenario of the end-to-end driver shares: the PASS/FAIL report,
// the window as laid out, starting the program, answering its message boxes
// and reading its fields.
//
// Every check prints one line, "PASS <name>: <actual>" or
// "FAIL <name>: expected <...>, actual <...>", texts converted to UTF-8.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/probe.h"

namespace e2e {

constexpr unsigned kStartTimeoutMs = 15000;
constexpr unsigned kBoxTimeoutMs = 5000;
constexpr unsigned kExitTimeoutMs = 10000;

extern const char* const kCaption;       // "信息：", caption of every box
extern const char* const kEmptyWarning;  // "时间不能为空"

// ---------------------------------------------------------------------------
// Reporting

extern int g_passed;
extern int g_failed;

// Prints one line (GBK in, UTF-8 out) and flushes it.
void print_line(const std::string& gbk_line);
std::string quoted(const std::string& text);
// "31 32 B0": the bytes of a text, for reports of texts that differ.
std::string hex(const std::string& bytes);
void check(bool ok, const std::string& name, const std::string& expected,
           const std::string& actual);
void check_text(const std::string& name, const std::string& expected, const std::string& actual);
std::string rect_text(const RECT& r);

// ---------------------------------------------------------------------------
// The window as laid out

enum class Kind { Edit, Button, Own };  // Own: a window class of the program

struct Expected {
  const char* name;
  Kind kind;
  int x, y, w, h;
  const char* text;  // nullptr: any non-empty text
  bool enabled;
};

// The visible controls in creation order (the timers are hidden windows and
// are not listed).
extern const Expected kControls[];
extern const int kControlCount;

bool at_place(const Child& c, const Expected& e);
const Expected& expected_named(const char* name);

// The running program's main window and its visible controls by name.
struct Window {
  HWND main = nullptr;
  std::vector<Child> children;

  HWND control(const char* name) const;
  std::string text(const char* name) const;
  bool enabled(const char* name) const;
};

// Starts the program and waits for its main window. Reports a failure and
// returns false when the window does not come up.
bool launch(Process& app, const std::string& exe, Window& window);

// ---------------------------------------------------------------------------
// Message boxes

// Answers every message box of the program with OK, in order, until done()
// holds with no box open, or until no box has come for quiet_ms, or until
// timeout_ms. Returns the boxes seen.
std::vector<MessageBoxView> answer_boxes(Process& app, HWND main, const std::function<bool()>& done,
                                         unsigned quiet_ms, unsigned timeout_ms);
std::string describe(const std::vector<MessageBoxView>& boxes);
// One check for the whole sequence of boxes (caption and text each), and
// one that every box offered OK alone.
void check_boxes(const std::string& name, const std::vector<MessageBoxView>& seen,
                 const std::vector<std::string>& expected_texts);

// ---------------------------------------------------------------------------
// Fields and buttons

// Types the three delay texts (WM_SETTEXT) and checks that each reads back
// as typed.
bool fill_delay(const Window& w, const char* hours, const char* minutes, const char* seconds);
// Posts BM_CLICK to the named button.
bool click(const Window& w, const char* name);
// Types the delay, presses 确定 and answers the boxes with OK until 按钮1 is
// disabled (the delay is scheduled) or no box has come for a while. Returns
// whether 按钮1 ended up disabled; boxes (if given) gets the boxes seen.
bool schedule_delay(Process& app, const Window& w, const char* hours, const char* minutes,
                    const char* seconds, std::vector<MessageBoxView>* boxes = nullptr);

// The texts of the ten edit boxes, read in one go: the countdown and the
// clock rewrite some of them every second.
using Fields = std::map<std::string, std::string>;
Fields read_fields(const Window& w);
void check_fields(const Fields& seen, const std::vector<std::pair<const char*, std::string>>& wanted);
void check_enabled(const Window& w, const std::vector<const char*>& names, bool enabled);

// Closes the window the given way and checks that the process ends with 0.
void close_and_check_exit(Process& app, const Window& w, const std::string& how, UINT msg,
                          WPARAM wp);

int seconds_of_day(const SYSTEMTIME& t);
// 100 ns units since 1601 of a SYSTEMTIME, for differences between times.
long long file_time_of(const SYSTEMTIME& t);

}  // namespace e2e
