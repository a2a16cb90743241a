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
#include <set>
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
// The same as check() for texts that are UTF-8 already (what GBK cannot hold).
void check_utf8(bool ok, const std::string& name, const std::string& expected,
                const std::string& actual);
std::string rect_text(const RECT& r);
std::string num(long long v);

// ---------------------------------------------------------------------------
// Display scaling: the driver runs in the same Wine prefix as the program,
// so it sees the same system DPI.

int screen_dpi();
// A design length at the screen's DPI, as the program scales it (MulDiv).
int scaled(int v);

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

// Where the control must be on this screen: the design rectangle with its
// edges scaled.
RECT expected_rect(const Expected& e);
// At 96 DPI exactly there; on a scaled screen within a pixel of it.
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
// Presses 确定 and answers the boxes with OK until 按钮1 is disabled (the
// delay is scheduled), or no box has come for kBoxTimeoutMs, or timeout_ms
// has passed. Returns the boxes seen.
std::vector<MessageBoxView> press_schedule(Process& app, const Window& w,
                                           unsigned timeout_ms = 15000);
// Types the delay and presses 确定 as above. Returns whether 按钮1 ended up
// disabled; boxes (if given) gets the boxes seen.
bool schedule_delay(Process& app, const Window& w, const char* hours, const char* minutes,
                    const char* seconds, std::vector<MessageBoxView>* boxes = nullptr);
// The same, with one check that it was scheduled ("h/m/s scheduled").
bool schedule_checked(Process& app, const Window& w, const char* hours, const char* minutes,
                      const char* seconds, std::vector<MessageBoxView>* boxes = nullptr);

// The texts of the ten edit boxes, read in one go: the countdown and the
// clock rewrite some of them every second.
using Fields = std::map<std::string, std::string>;
Fields read_fields(const Window& w);
void check_fields(const Fields& seen, const std::vector<std::pair<const char*, std::string>>& wanted);
void check_enabled(const Window& w, const std::vector<const char*>& names, bool enabled);

// Checks that the process ends with exit code 0 within kExitTimeoutMs,
// after whatever the caller did to close it. Returns whether it did.
bool check_exit_zero(Process& app, const std::string& how);
// Closes the window the given way and checks that the process ends with 0.
void close_and_check_exit(Process& app, const Window& w, const std::string& how, UINT msg,
                          WPARAM wp);

int seconds_of_day(const SYSTEMTIME& t);
// 100 ns units since 1601 of a SYSTEMTIME, for differences between times.
long long file_time_of(const SYSTEMTIME& t);

// The texts the shutdown-time fields may show: the local time the program
// read (somewhere between before and after) plus the delay, hour, minute
// and second each on its own, without carry.
struct ShutdownTimes {
  std::set<std::string> hours, minutes, seconds;
};
ShutdownTimes shutdown_times(const SYSTEMTIME& before, const SYSTEMTIME& after, long long hours,
                             long long minutes, long long seconds);
// "a or b or c", for reports.
std::string one_of(const std::set<std::string>& allowed);

// Prints "READY x y w h" (the window's screen rectangle, for the runner's
// screenshot) and waits up to 30 s for the runner's stop file.
void hold_for_screenshot(const Window& w, const std::string& stop_file);

// The file in which the runner's stand-in browser writes each address it is
// handed, one a line (environment variable DOVRANE_E2E_BROWSER_LOG).
std::string browser_log();
// How many times the stand-in browser has been handed exactly this address.
int times_opened(const std::string& address);

// ---------------------------------------------------------------------------
// Files (UTF-8 paths)

bool file_exists(const std::string& path);
// Polls for the file for up to timeout_ms.
bool wait_for_file(const std::string& path, unsigned timeout_ms);
std::string folder_of(const std::string& path);
// The lines of a text file; empty when it cannot be read.
std::vector<std::string> file_lines(const std::string& path);

// ---------------------------------------------------------------------------
// The relay trace

// The runner starts each scenario with Wine's relay trace on for a few
// functions (WINEDEBUG=+relay,+pid, written to a file it names in the
// environment variable DOVRANE_E2E_TRACE), so a scenario can check what the
// program asked of the system. Lines look like
//   014c:0150:Call user32.MessageBoxW(00000000,00cd5cf0 L"0\5c0f",00002000) ret=140002223
//   014c:0150:Ret  user32.MessageBoxW() retval=00000001 ret=140002223
// Texts are written as Wine writes them: printable ASCII as it is, \\ for a
// backslash, \" for a quote, \n \r \t, any other character as \ and
// four hex digits.

bool trace_available();
// The calls of `function` (e.g. "MessageBoxW") that process `pid` made, in
// order, each as "MessageBoxW(00000000,L\"...\",...)": module name and the
// addresses in front of texts left out, and every other number cut to its
// low 32 bits (the trace writes whole registers), so they can be compared.
std::vector<std::string> traced_calls(DWORD pid, const std::string& function);
// The return values of those calls, in order ("00000001").
std::vector<std::string> traced_returns(DWORD pid, const std::string& function);
// A text (GBK) as the trace shows it: L"...".
std::string relay_text(const std::string& gbk);
std::string relay_text_wide(const std::wstring& text);
// A number as the trace shows it: eight hex digits.
std::string relay_hex(unsigned long v);
// One check that the program made exactly these calls of `function`, in
// this order (as traced_calls gives them; an entry ending in "..." matches
// any call that starts with the rest).
void check_traced(const std::string& name, DWORD pid, const std::string& function,
                  const std::vector<std::string>& expected);
// The SetTimer calls that set a period of `ms` (any window, timer id 1000).
int timers_set_to(DWORD pid, unsigned long ms);
// One check that the program set a timer of `ms` exactly `times` times.
void check_timer_set(DWORD pid, unsigned long ms, int times, const std::string& name);
// One check that the program showed exactly one box, this confirmation, as
// MessageBoxW(NULL, text, "信息：", MB_OK | MB_TASKMODAL).
void check_confirmation_traced(DWORD pid, const std::string& text);

}  // namespace e2e
