#include "tests/e2e/harness.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace e2e {

// ---------------------------------------------------------------------------
// Reporting

int g_passed = 0;
int g_failed = 0;

const char* const kCaption = "信息：";
const char* const kEmptyWarning = "时间不能为空";

void print_line(const std::string& gbk_line) {
  std::string line = to_utf8(gbk_line) + "\n";
  fwrite(line.data(), 1, line.size(), stdout);
  fflush(stdout);
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string hex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char c : bytes) {
    snprintf(buf, sizeof buf, "%02X", c);
    if (!out.empty()) out += ' ';
    out += buf;
  }
  return out;
}

void check(bool ok, const std::string& name, const std::string& expected,
           const std::string& actual) {
  (ok ? g_passed : g_failed)++;
  if (ok) {
    print_line("PASS " + name + ": " + actual);
  } else {
    print_line("FAIL " + name + ": expected " + expected + ", actual " + actual);
  }
}

void check_utf8(bool ok, const std::string& name, const std::string& expected,
                const std::string& actual) {
  (ok ? g_passed : g_failed)++;
  std::string line = ok ? "PASS " + name + ": " + actual + "\n"
                        : "FAIL " + name + ": expected " + expected + ", actual " + actual + "\n";
  fwrite(line.data(), 1, line.size(), stdout);
  fflush(stdout);
}

void check_text(const std::string& name, const std::string& expected, const std::string& actual) {
  bool ok = expected == actual;
  check(ok, name, quoted(expected), ok ? quoted(actual) : quoted(actual) + " [" + hex(actual) + "]");
}

std::string rect_text(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ") " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

std::string num(long long v) { return std::to_string(v); }

// ---------------------------------------------------------------------------
// Display scaling

int screen_dpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    int d = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return d > 0 ? d : 96;
  }();
  return dpi;
}

int scaled(int v) { return MulDiv(v, screen_dpi(), 96); }

// ---------------------------------------------------------------------------
// The window as laid out

// The visible controls in creation order (the three timers are hidden
// windows and are not listed).
const Expected kControls[] = {
    {"按钮1", Kind::Button, 16, 80, 48, 24, "确定", true},
    {"标签2", Kind::Own, 96, 48, 24, 24, "分钟", true},
    {"标签1", Kind::Own, 40, 48, 24, 24, "小时", true},
    {"编辑框1", Kind::Edit, 8, 48, 32, 24, "0", true},
    {"编辑框2", Kind::Edit, 64, 48, 32, 24, "0", true},
    {"编辑框3", Kind::Edit, 120, 48, 32, 24, "0", true},
    {"按钮2", Kind::Button, 112, 80, 48, 24, "关闭", true},
    {"标签3", Kind::Own, 152, 48, 16, 24, "秒", true},
    {"编辑框4", Kind::Edit, 8, 8, 160, 16, "", false},
    {"标签4", Kind::Own, 8, 104, 48, 16, "剩余时间", true},
    {"编辑框5", Kind::Edit, 8, 120, 32, 24, "0", false},
    {"编辑框6", Kind::Edit, 64, 120, 32, 24, "0", false},
    {"编辑框7", Kind::Edit, 120, 120, 32, 24, "0", false},
    {"标签5", Kind::Own, 152, 120, 16, 24, "秒", true},
    {"标签6", Kind::Own, 96, 120, 24, 24, "分钟", true},
    {"标签7", Kind::Own, 40, 120, 24, 24, "小时", true},
    {"编辑框8", Kind::Edit, 8, 168, 32, 24, "0", false},
    {"编辑框9", Kind::Edit, 64, 168, 32, 24, "0", false},
    {"编辑框10", Kind::Edit, 120, 168, 32, 24, "0", false},
    {"标签8", Kind::Own, 8, 152, 48, 16, "关机时间", true},
    {"标签10", Kind::Own, 40, 168, 24, 24, "小时", true},
    {"标签11", Kind::Own, 96, 168, 24, 24, "分钟", true},
    {"标签12", Kind::Own, 152, 168, 16, 24, "秒", true},
    {"标签13", Kind::Own, 8, 24, 72, 24, "关机时间设定", true},
    {"超级链接框1", Kind::Own, 8, 200, 152, 24, "Lumtrek", true},
    {"标签9", Kind::Own, 8, 224, 160, 16, "国内高清电影首选,绿色安全！", true},
    {"标签14", Kind::Own, 32, 240, 104, 16, "无不良广告和弹窗", true},
    {"标签15", Kind::Own, 24, 256, 120, 16, nullptr, true},
};
const int kControlCount = sizeof kControls / sizeof kControls[0];

RECT expected_rect(const Expected& e) {
  return RECT{scaled(e.x), scaled(e.y), scaled(e.x + e.w), scaled(e.y + e.h)};
}

bool at_place(const Child& c, const Expected& e) {
  const RECT want = expected_rect(e);
  const int slack = screen_dpi() == 96 ? 0 : 1;
  auto close_to = [slack](LONG a, LONG b) { return a - b <= slack && b - a <= slack; };
  return close_to(c.rect.left, want.left) && close_to(c.rect.top, want.top) &&
         close_to(c.rect.right, want.right) && close_to(c.rect.bottom, want.bottom);
}

const Expected& expected_named(const char* name) {
  for (const Expected& e : kControls) {
    if (std::strcmp(e.name, name) == 0) return e;
  }
  print_line(std::string("driver error: no control named ") + name);
  ExitProcess(2);
}

HWND Window::control(const char* name) const {
  const Expected& e = expected_named(name);
  for (const Child& c : children) {
    if (c.visible && at_place(c, e)) return c.hwnd;
  }
  return nullptr;
}

std::string Window::text(const char* name) const {
  HWND h = control(name);
  return h ? window_text(h) : std::string("<no such control>");
}

bool Window::enabled(const char* name) const {
  HWND h = control(name);
  return h && IsWindowEnabled(h);
}

// Starts the program and waits for its main window. Reports a failure and
// returns false when the window does not come up.
bool launch(Process& app, const std::string& exe, Window& window) {
  std::string error;
  if (!app.start(exe, &error)) {
    check(false, "program starts", "a running process", error);
    return false;
  }
  bool shown = wait_until(
      [&] {
        window.main = app.find_window("WTWindow", "Dovrane");
        return window.main != nullptr || !app.running();
      },
      kStartTimeoutMs);
  if (!shown || !window.main) {
    std::string seen = app.running() ? "process running, no window" :
                                       "process ended with code " + std::to_string(app.exit_code());
    for (HWND box : app.message_boxes()) {
      MessageBoxView v = read_message_box(box);
      seen += "; box " + quoted(v.caption) + ": " + quoted(v.text);
    }
    check(false, "main window appears", "visible window WTWindow \"Dovrane\"", seen);
    return false;
  }
  window.children = children_of(window.main);
  return true;
}

// ---------------------------------------------------------------------------
// Message boxes

// Answers every message box of the program with OK, in order, until done()
// holds with no box open, or until no box has come for quiet_ms, or until
// timeout_ms. Returns the boxes seen.
std::vector<MessageBoxView> answer_boxes(Process& app, HWND main, const std::function<bool()>& done,
                                         unsigned quiet_ms, unsigned timeout_ms) {
  std::vector<MessageBoxView> seen;
  const unsigned long long end = now_ms() + timeout_ms;
  unsigned long long last_event = now_ms();
  while (now_ms() < end && app.running()) {
    std::vector<HWND> boxes = app.message_boxes();
    if (!boxes.empty()) {
      MessageBoxView view = read_message_box(boxes.front());
      std::string note;
      if (!press_ok(boxes.front(), &note)) {
        check(false, "OK closes the box " + quoted(view.text), "box gone after BM_CLICK", note);
      }
      seen.push_back(view);
      last_event = now_ms();
      continue;
    }
    bool finished = done();
    if (finished || now_ms() - last_event >= quiet_ms) {
      // Let the program's thread take one more turn: a box it is about to
      // show would be created before it reads its next message.
      sync_with(main);
      if (app.message_boxes().empty()) break;
      continue;
    }
    Sleep(15);
  }
  return seen;
}

std::string describe(const std::vector<MessageBoxView>& boxes) {
  std::string out = std::to_string(boxes.size()) + " box(es)";
  for (const MessageBoxView& b : boxes) out += " [" + quoted(b.caption) + ": " + quoted(b.text) + "]";
  return out;
}

// One check for the whole sequence of boxes (caption and text each), and
// one that every box offered OK alone.
void check_boxes(const std::string& name, const std::vector<MessageBoxView>& seen,
                 const std::vector<std::string>& expected_texts) {
  std::vector<MessageBoxView> expected;
  bool ok = seen.size() == expected_texts.size();
  for (size_t i = 0; i < expected_texts.size(); ++i) {
    MessageBoxView v;
    v.caption = kCaption;
    v.text = expected_texts[i];
    expected.push_back(v);
    if (ok && (seen[i].caption != v.caption || seen[i].text != v.text)) ok = false;
  }
  std::string actual = describe(seen);
  if (!ok) {
    for (const MessageBoxView& b : seen) actual += " [" + hex(b.text) + "]";
  }
  check(ok, name, describe(expected), actual);

  bool single_ok = !seen.empty();
  std::string buttons = seen.empty() ? "no box" : "";
  for (const MessageBoxView& b : seen) {
    buttons += "[" + std::to_string(b.buttons.size()) + " button(s)" + (b.has_ok ? ", IDOK" : "") + "]";
    single_ok = single_ok && b.buttons.size() == 1 && b.has_ok;
  }
  check(single_ok, name + ": every box has a single button", "1 button each, IDOK", buttons);
}

// ---------------------------------------------------------------------------
// Helpers for the scenarios

bool fill_delay(const Window& w, const char* hours, const char* minutes, const char* seconds) {
  const char* names[] = {"编辑框1", "编辑框2", "编辑框3"};
  const char* texts[] = {hours, minutes, seconds};
  for (int i = 0; i < 3; ++i) {
    HWND h = w.control(names[i]);
    if (!h || !set_window_text(h, texts[i]) || window_text(h) != texts[i]) {
      check(false, std::string("typing into ") + names[i], quoted(texts[i]),
            h ? quoted(window_text(h)) : std::string("control not found"));
      return false;
    }
  }
  return true;
}

bool click(const Window& w, const char* name) {
  HWND h = w.control(name);
  if (!h) {
    check(false, std::string("clicking ") + name, "the control", "not found");
    return false;
  }
  PostMessageW(h, BM_CLICK, 0, 0);
  return true;
}

std::vector<MessageBoxView> press_schedule(Process& app, const Window& w, unsigned timeout_ms) {
  if (!click(w, "按钮1")) return {};
  HWND button = w.control("按钮1");
  return answer_boxes(app, w.main, [&] { return !IsWindowEnabled(button); }, kBoxTimeoutMs,
                      timeout_ms);
}

bool schedule_delay(Process& app, const Window& w, const char* hours, const char* minutes,
                    const char* seconds, std::vector<MessageBoxView>* boxes) {
  if (!fill_delay(w, hours, minutes, seconds)) return false;
  std::vector<MessageBoxView> seen = press_schedule(app, w);
  if (boxes) *boxes = seen;
  return !IsWindowEnabled(w.control("按钮1"));
}

bool schedule_checked(Process& app, const Window& w, const char* hours, const char* minutes,
                      const char* seconds, std::vector<MessageBoxView>* boxes) {
  std::vector<MessageBoxView> seen;
  bool scheduled = schedule_delay(app, w, hours, minutes, seconds, &seen);
  check(scheduled, std::string(hours) + "/" + minutes + "/" + seconds + " scheduled",
        "按钮1 disabled after the confirmation", describe(seen));
  if (boxes) *boxes = seen;
  return scheduled;
}

// The texts of the ten edit boxes, read in one go: the countdown and the
// clock rewrite some of them every second.
Fields read_fields(const Window& w) {
  Fields out;
  for (const char* name : {"编辑框1", "编辑框2", "编辑框3", "编辑框4", "编辑框5", "编辑框6",
                           "编辑框7", "编辑框8", "编辑框9", "编辑框10"}) {
    out[name] = w.text(name);
  }
  return out;
}

void check_fields(const Fields& seen, const std::vector<std::pair<const char*, std::string>>& wanted) {
  for (const auto& f : wanted) {
    auto it = seen.find(f.first);
    check_text(std::string(f.first) + " text", f.second, it == seen.end() ? "<not read>" : it->second);
  }
}

void check_enabled(const Window& w, const std::vector<const char*>& names, bool enabled) {
  std::string expected, actual;
  bool ok = true;
  for (const char* n : names) {
    bool e = w.enabled(n);
    ok = ok && e == enabled;
    expected += std::string(n) + (enabled ? "=enabled " : "=disabled ");
    actual += std::string(n) + (e ? "=enabled " : "=disabled ");
  }
  check(ok, enabled ? "inputs enabled" : "inputs disabled", expected, actual);
}

bool check_exit_zero(Process& app, const std::string& how) {
  bool ended = app.wait_exit(kExitTimeoutMs);
  bool ok = ended && app.exit_code() == 0;
  std::string actual = ended ? "ended, exit code " + num(static_cast<long>(app.exit_code()))
                             : "still running after " + num(kExitTimeoutMs) + " ms";
  check(ok, how + " ends the program with code 0", "ended, exit code 0", actual);
  return ok;
}

void close_and_check_exit(Process& app, const Window& w, const std::string& how, UINT msg,
                          WPARAM wp) {
  PostMessageW(w.main, msg, wp, 0);
  check_exit_zero(app, how);
}

int seconds_of_day(const SYSTEMTIME& t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; }

ShutdownTimes shutdown_times(const SYSTEMTIME& before, const SYSTEMTIME& after, long long hours,
                             long long minutes, long long seconds) {
  ShutdownTimes out;
  int from = seconds_of_day(before);
  int to = seconds_of_day(after);
  if (to < from) to += 24 * 3600;
  for (int s = from; s <= to; ++s) {
    int t = s % (24 * 3600);
    out.hours.insert(num(t / 3600 + hours));
    out.minutes.insert(num(t / 60 % 60 + minutes));
    out.seconds.insert(num(t % 60 + seconds));
  }
  return out;
}

std::string one_of(const std::set<std::string>& allowed) {
  std::string list;
  for (const std::string& a : allowed) list += (list.empty() ? "" : " or ") + quoted(a);
  return list;
}

void hold_for_screenshot(const Window& w, const std::string& stop_file) {
  RECT r{};
  GetWindowRect(w.main, &r);
  print_line("READY " + num(r.left) + " " + num(r.top) + " " + num(r.right - r.left) + " " +
             num(r.bottom - r.top));
  bool stopped = wait_for_file(stop_file, 30000);
  check(stopped, "runner took its screenshot", "stop file within 30 s",
        stopped ? "stop file within 30 s" : "no stop file");
}

namespace {
std::string environment(const wchar_t* name) {
  wchar_t buffer[2048] = {};
  DWORD n = GetEnvironmentVariableW(name, buffer, 2048);
  return n > 0 && n < 2048 ? wide_to_utf8(buffer) : std::string();
}
}  // namespace

std::string browser_log() { return environment(L"DOVRANE_E2E_BROWSER_LOG"); }

int times_opened(const std::string& address) {
  int n = 0;
  for (const std::string& line : file_lines(browser_log())) n += line == address ? 1 : 0;
  return n;
}

// ---------------------------------------------------------------------------
// Files

bool file_exists(const std::string& path) {
  return GetFileAttributesW(utf8_to_wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool wait_for_file(const std::string& path, unsigned timeout_ms) {
  return wait_until([&] { return file_exists(path); }, timeout_ms);
}

std::string folder_of(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::vector<std::string> file_lines(const std::string& path) {
  std::vector<std::string> lines;
  // Shared for writing: Wine may still be appending to a trace.
  HANDLE f = CreateFileW(utf8_to_wide(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return lines;
  std::string data;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) data.append(buffer, got);
  CloseHandle(f);
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find('\n', start);
    if (end == std::string::npos) end = data.size();
    std::string line = data.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// ---------------------------------------------------------------------------
// The relay trace

namespace {

std::string trace_path() { return environment(L"DOVRANE_E2E_TRACE"); }

// The process id field of a trace line ("014c" in "014c:0150:Call ..."),
// after an optional "+timestamp" field ("1717.988:").
bool line_of_process(const std::string& line, const std::string& pid) {
  size_t at = 0;
  size_t colon = line.find(':');
  if (colon != std::string::npos && line.find('.') < colon) at = colon + 1;
  return line.compare(at, pid.size() + 1, pid + ":") == 0;
}

// The arguments as the checks compare them: "00cd5cf0 L\"...\"" loses the
// address (only the text is the same from run to run), and every other
// number keeps its low 32 bits (the trace writes whole 64-bit registers,
// and the upper half of a 32-bit argument is whatever the register held).
std::string normalised(const std::string& args) {
  std::string out;
  size_t i = 0;
  while (i < args.size()) {
    const bool field_start = i == 0 || args[i - 1] == ',' || args[i - 1] == '(';
    size_t j = i;
    while (j < args.size() && std::isxdigit(static_cast<unsigned char>(args[j]))) ++j;
    if (field_start && j > i) {
      if (args.compare(j, 3, " L\"") == 0) {
        i = j + 1;  // drop the digits and the space, keep L"
        continue;
      }
      if (j == args.size() || args[j] == ',' || args[j] == ')') {
        out += args.substr(j - i > 8 ? j - 8 : i, j - i > 8 ? 8 : j - i);
        i = j;
        continue;
      }
    }
    out += args[i++];
  }
  return out;
}

std::string pid_text(DWORD pid) {
  char buffer[16];
  snprintf(buffer, sizeof buffer, "%04lx", static_cast<unsigned long>(pid));
  return buffer;
}

}  // namespace

bool trace_available() { return !trace_path().empty() && file_exists(trace_path()); }

namespace {

// The trace lines of process `pid` that hold `marker` ("Call " or "Ret  "),
// each cut to what follows the marker.
std::vector<std::string> traced_lines(DWORD pid, const char* marker) {
  std::vector<std::string> out;
  const std::string p = pid_text(pid);
  const std::string m = std::string(":") + marker;
  for (const std::string& line : file_lines(trace_path())) {
    size_t at = line.find(m);
    if (at != std::string::npos && line_of_process(line, p)) out.push_back(line.substr(at + m.size()));
  }
  return out;
}

}  // namespace

std::vector<std::string> traced_calls(DWORD pid, const std::string& function) {
  // "user32.MessageBoxW(...) ret=140002223"
  std::vector<std::string> out;
  for (const std::string& call : traced_lines(pid, "Call ")) {
    size_t name = call.find("." + function + "(");
    size_t end = call.rfind(") ret=");
    if (name == std::string::npos || end == std::string::npos || end < name) continue;
    out.push_back(normalised(call.substr(name + 1, end + 1 - (name + 1))));
  }
  return out;
}

std::vector<std::string> traced_returns(DWORD pid, const std::string& function) {
  // "user32.MessageBoxW() retval=00000001 ret=140002223"
  std::vector<std::string> out;
  const std::string returned = "." + function + "() retval=";
  for (const std::string& ret : traced_lines(pid, "Ret  ")) {
    size_t at = ret.find(returned);
    if (at == std::string::npos) continue;
    size_t value = at + returned.size();
    out.push_back(ret.substr(value, ret.find(' ', value) - value));
  }
  return out;
}

std::string relay_text_wide(const std::wstring& text) {
  static const char hex_digits[] = "0123456789abcdef";
  std::string out = "L\"";
  for (wchar_t c : text) {
    switch (c) {
      case L'\n': out += "\\n"; break;
      case L'\r': out += "\\r"; break;
      case L'\t': out += "\\t"; break;
      case L'"': out += "\\\""; break;
      case L'\\': out += "\\\\"; break;
      default:
        if (c < L' ' || c >= 127) {
          out += '\\';
          for (int shift = 12; shift >= 0; shift -= 4) out += hex_digits[(c >> shift) & 0xF];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string relay_text(const std::string& gbk) { return relay_text_wide(gbk_to_wide(gbk)); }

std::string relay_hex(unsigned long v) {
  char buffer[16];
  snprintf(buffer, sizeof buffer, "%08lx", v);
  return buffer;
}

long long file_time_of(const SYSTEMTIME& t) {
  FILETIME ft{};
  if (!SystemTimeToFileTime(&t, &ft)) return 0;
  return static_cast<long long>((static_cast<unsigned long long>(ft.dwHighDateTime) << 32) |
                                ft.dwLowDateTime);
}

void check_traced(const std::string& name, DWORD pid, const std::string& function,
                  const std::vector<std::string>& expected) {
  if (!trace_available()) {
    check(false, name, "the relay trace (DOVRANE_E2E_TRACE)", "no trace to read");
    return;
  }
  std::vector<std::string> seen = traced_calls(pid, function);
  bool ok = seen.size() == expected.size();
  for (size_t i = 0; ok && i < seen.size(); ++i) {
    const std::string& e = expected[i];
    bool prefix = e.size() >= 3 && e.compare(e.size() - 3, 3, "...") == 0;
    ok = prefix ? seen[i].compare(0, e.size() - 3, e, 0, e.size() - 3) == 0 : seen[i] == e;
  }
  auto list = [](const std::vector<std::string>& calls) {
    std::string out = num(static_cast<long long>(calls.size())) + " call(s)";
    for (const std::string& c : calls) out += " " + c;
    return out;
  };
  check(ok, name, list(expected), list(seen));
}

int timers_set_to(DWORD pid, unsigned long ms) {
  const std::string tail = ",000003e8," + relay_hex(ms) + ",00000000)";
  int n = 0;
  for (const std::string& c : traced_calls(pid, "SetTimer")) {
    if (c.size() > tail.size() && c.compare(c.size() - tail.size(), tail.size(), tail) == 0) ++n;
  }
  return n;
}

void check_timer_set(DWORD pid, unsigned long ms, int times, const std::string& name) {
  const int set = timers_set_to(pid, ms);
  check(set == times, name, num(times) + " SetTimer(...,1000," + num(static_cast<long long>(ms)) +
        ",NULL)", num(set) + " such call(s)");
}

void check_confirmation_traced(DWORD pid, const std::string& text) {
  check_traced("the confirmation is one MessageBoxW call", pid, "MessageBoxW",
               {"MessageBoxW(00000000," + relay_text(text) + "," + relay_text(kCaption) +
                ",00002000)"});
}

}  // namespace e2e
