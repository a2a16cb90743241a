#include "tests/e2e/harness.h"

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

void check_text(const std::string& name, const std::string& expected, const std::string& actual) {
  bool ok = expected == actual;
  check(ok, name, quoted(expected), ok ? quoted(actual) : quoted(actual) + " [" + hex(actual) + "]");
}

std::string rect_text(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ") " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

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

bool at_place(const Child& c, const Expected& e) {
  return c.rect.left == e.x && c.rect.top == e.y && c.rect.right == e.x + e.w &&
         c.rect.bottom == e.y + e.h;
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
  PostMessageA(h, BM_CLICK, 0, 0);
  return true;
}

bool schedule_delay(Process& app, const Window& w, const char* hours, const char* minutes,
                    const char* seconds, std::vector<MessageBoxView>* boxes) {
  if (!fill_delay(w, hours, minutes, seconds) || !click(w, "按钮1")) return false;
  HWND button = w.control("按钮1");
  std::vector<MessageBoxView> seen = answer_boxes(
      app, w.main, [&] { return !IsWindowEnabled(button); }, kBoxTimeoutMs, 15000);
  if (boxes) *boxes = seen;
  return !IsWindowEnabled(button);
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

// Closes the window the given way and checks that the process ends with 0.
void close_and_check_exit(Process& app, const Window& w, const std::string& how, UINT msg,
                          WPARAM wp) {
  PostMessageA(w.main, msg, wp, 0);
  bool ended = app.wait_exit(kExitTimeoutMs);
  std::string actual = ended ? "ended, exit code " + std::to_string(static_cast<long>(app.exit_code()))
                             : "still running after " + std::to_string(kExitTimeoutMs) + " ms";
  check(ended && app.exit_code() == 0, how + " ends the program with code 0", "ended, exit code 0",
        actual);
}

int seconds_of_day(const SYSTEMTIME& t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; }

long long file_time_of(const SYSTEMTIME& t) {
  FILETIME ft{};
  if (!SystemTimeToFileTime(&t, &ft)) return 0;
  return static_cast<long long>((static_cast<unsigned long long>(ft.dwHighDateTime) << 32) |
                                ft.dwLowDateTime);
}

}  // namespace e2e
