// End-to-end driver: starts Dovrane.exe under the same (Wine) desktop, looks
// at its window from the outside and drives it like a user would.
//
//   dovrane_e2e.exe <scenario> <path of Dovrane.exe> [stop file]
//
// Scenarios: layout (window and controls at start), schedule, empty (empty
// delay fields), overlong (a delay beyond the timer's range), closebutton,
// sysclose (caption close), show (keeps the window up until the stop file
// exists, for a screenshot), relay-probe (calls for the runner's trace).
//
// Every check prints one line, "PASS <name>: ..." or "FAIL <name>: ...",
// with what was expected and what was seen (texts as UTF-8). The last line
// is "END <scenario>" when the driver got to the end by itself; a missing
// END line means the driver was killed, e.g. because the Wine session went
// down. Exit code: 0 when every check passed, 1 when one failed, 2 on a
// usage error.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/probe.h"

using e2e::Child;
using e2e::MessageBoxView;
using e2e::Process;
using e2e::to_utf8;

namespace {

constexpr unsigned kStartTimeoutMs = 15000;
constexpr unsigned kBoxTimeoutMs = 5000;
constexpr unsigned kExitTimeoutMs = 10000;

const char* const kCaption = "信息：";
const char* const kEmptyWarning = "时间不能为空";

// ---------------------------------------------------------------------------
// Reporting

int g_passed = 0;
int g_failed = 0;

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

enum class Kind { Edit, Button, Own };  // Own: a window class of the program

struct Expected {
  const char* name;
  Kind kind;
  int x, y, w, h;
  const char* text;  // nullptr: any non-empty text
  bool enabled;
};

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
constexpr int kControlCount = sizeof kControls / sizeof kControls[0];

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

// The running program's main window and its visible controls by name.
struct Window {
  HWND main = nullptr;
  std::vector<Child> children;

  HWND control(const char* name) const {
    const Expected& e = expected_named(name);
    for (const Child& c : children) {
      if (c.visible && at_place(c, e)) return c.hwnd;
    }
    return nullptr;
  }
  std::string text(const char* name) const {
    HWND h = control(name);
    return h ? e2e::window_text(h) : std::string("<no such control>");
  }
  bool enabled(const char* name) const {
    HWND h = control(name);
    return h && IsWindowEnabled(h);
  }
};

// Starts the program and waits for its main window. Reports a failure and
// returns false when the window does not come up.
bool launch(Process& app, const std::string& exe, Window& window) {
  std::string error;
  if (!app.start(exe, &error)) {
    check(false, "program starts", "a running process", error);
    return false;
  }
  bool shown = e2e::wait_until(
      [&] {
        window.main = app.find_window("WTWindow", "Dovrane");
        return window.main != nullptr || !app.running();
      },
      kStartTimeoutMs);
  if (!shown || !window.main) {
    std::string seen = app.running() ? "process running, no window" :
                                       "process ended with code " + std::to_string(app.exit_code());
    for (HWND box : app.message_boxes()) {
      MessageBoxView v = e2e::read_message_box(box);
      seen += "; box " + quoted(v.caption) + ": " + quoted(v.text);
    }
    check(false, "main window appears", "visible window WTWindow \"Dovrane\"", seen);
    return false;
  }
  window.children = e2e::children_of(window.main);
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
  const unsigned long long end = e2e::now_ms() + timeout_ms;
  unsigned long long last_event = e2e::now_ms();
  while (e2e::now_ms() < end && app.running()) {
    std::vector<HWND> boxes = app.message_boxes();
    if (!boxes.empty()) {
      MessageBoxView view = e2e::read_message_box(boxes.front());
      std::string note;
      if (!e2e::press_ok(boxes.front(), &note)) {
        check(false, "OK closes the box " + quoted(view.text), "box gone after BM_CLICK", note);
      }
      seen.push_back(view);
      last_event = e2e::now_ms();
      continue;
    }
    bool finished = done();
    if (finished || e2e::now_ms() - last_event >= quiet_ms) {
      // Let the program's thread take one more turn: a box it is about to
      // show would be created before it reads its next message.
      e2e::sync_with(main);
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
    if (!h || !e2e::set_window_text(h, texts[i]) || e2e::window_text(h) != texts[i]) {
      check(false, std::string("typing into ") + names[i], quoted(texts[i]),
            h ? quoted(e2e::window_text(h)) : std::string("control not found"));
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

// The texts of the ten edit boxes, read in one go: the countdown and the
// clock rewrite some of them every second.
using Fields = std::map<std::string, std::string>;
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

// ---------------------------------------------------------------------------
// Scenarios

void scenario_layout(const std::string& exe) {
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;

  // Read the clock field first: it stays empty only until the first tick.
  std::string clock_text = w.text("编辑框4");

  std::string cls = e2e::class_name(w.main);
  std::string title = e2e::window_text(w.main);
  check(cls == "WTWindow" && title == "Dovrane", "window class and title",
        "WTWindow \"Dovrane\"", cls + " " + quoted(title));

  RECT r{};
  GetWindowRect(w.main, &r);
  RECT want{422, 231, 422 + 180, 231 + 305};
  check(EqualRect(&r, &want) != FALSE, "window place and outer size on 1024x768",
        rect_text(want), rect_text(r));

  LONG style = GetWindowLongA(w.main, GWL_STYLE);
  struct StyleBit {
    const char* name;
    LONG bit;
    bool wanted;
  };
  const StyleBit bits[] = {
      {"WS_CAPTION", WS_CAPTION, true},         {"WS_SYSMENU", WS_SYSMENU, true},
      {"WS_MINIMIZEBOX", WS_MINIMIZEBOX, true}, {"WS_MAXIMIZEBOX", WS_MAXIMIZEBOX, false},
      {"WS_THICKFRAME", WS_THICKFRAME, false},
  };
  std::string expected_bits, actual_bits;
  bool styles_ok = true;
  for (const StyleBit& b : bits) {
    bool has = (style & b.bit) == b.bit;
    styles_ok = styles_ok && has == b.wanted;
    expected_bits += std::string(b.wanted ? "+" : "-") + b.name + " ";
    actual_bits += std::string(has ? "+" : "-") + b.name + " ";
  }
  char style_hex[16];
  snprintf(style_hex, sizeof style_hex, "%08lX", static_cast<unsigned long>(style));
  check(styles_ok, "window styles", expected_bits, actual_bits + "(style " + style_hex + ")");

  // Every visible control: place, size, class, text, enabled.
  std::vector<int> z_of(kControlCount, -1);
  std::vector<bool> matched(w.children.size(), false);
  for (int i = 0; i < kControlCount; ++i) {
    const Expected& e = kControls[i];
    std::string name = std::string(e.name) + " at " + std::to_string(e.x) + "," +
                       std::to_string(e.y) + " " + std::to_string(e.w) + "x" + std::to_string(e.h);
    const Child* found = nullptr;
    for (size_t k = 0; k < w.children.size(); ++k) {
      if (w.children[k].visible && at_place(w.children[k], e)) {
        found = &w.children[k];
        matched[k] = true;
        break;
      }
    }
    std::string want_text = e.text ? quoted(e.text) : std::string("any non-empty text");
    std::string want_class = e.kind == Kind::Edit ? "Edit" : e.kind == Kind::Button ? "Button" : "own class";
    std::string expected = want_class + " " + want_text + (e.enabled ? " enabled" : " disabled");
    if (!found) {
      check(false, name, expected, "no visible control with that rectangle");
      continue;
    }
    z_of[i] = found->z_index;
    // The clock field is judged by the text read right after start.
    std::string text = std::strcmp(e.name, "编辑框4") == 0 ? clock_text : found->text;
    bool class_ok = e.kind == Kind::Edit     ? _stricmp(found->cls.c_str(), "Edit") == 0
                    : e.kind == Kind::Button ? _stricmp(found->cls.c_str(), "Button") == 0
                                             : _stricmp(found->cls.c_str(), "Edit") != 0 &&
                                                   _stricmp(found->cls.c_str(), "Button") != 0;
    bool text_ok = e.text ? text == e.text : !text.empty();
    bool ok = class_ok && text_ok && found->enabled == e.enabled;
    std::string actual = found->cls + " " + quoted(text) + (found->enabled ? " enabled" : " disabled");
    if (!text_ok) actual += " [" + hex(text) + "]";
    check(ok, name, expected, actual);
  }

  // Nothing else is visible: the timers are hidden windows.
  std::string extra;
  int visible = 0;
  for (size_t k = 0; k < w.children.size(); ++k) {
    if (!w.children[k].visible) continue;
    ++visible;
    if (!matched[k]) {
      extra += " " + w.children[k].cls + " " + quoted(w.children[k].text) + " " +
               rect_text(w.children[k].rect);
    }
  }
  check(visible == kControlCount && extra.empty(), "no other visible child windows",
        std::to_string(kControlCount) + " visible children",
        std::to_string(visible) + " visible children" + (extra.empty() ? "" : ", unexpected:" + extra));
  std::vector<HWND> others = app.other_top_windows(w.main);
  std::string other_text;
  for (HWND h : others) other_text += " " + e2e::class_name(h) + " " + quoted(e2e::window_text(h));
  check(others.empty(), "no other visible top-level windows", "none",
        others.empty() ? "none" : other_text);

  // Children follow creation order in the GW_CHILD / GW_HWNDNEXT chain.
  std::string order;
  bool ordered = true;
  int last = -1;
  for (int i = 0; i < kControlCount; ++i) {
    if (z_of[i] < 0) continue;
    if (z_of[i] < last) ordered = false;
    last = z_of[i];
  }
  if (!ordered) {
    std::vector<std::pair<int, const char*>> by_z;
    for (int i = 0; i < kControlCount; ++i) {
      if (z_of[i] >= 0) by_z.emplace_back(z_of[i], kControls[i].name);
    }
    std::sort(by_z.begin(), by_z.end());
    for (const auto& p : by_z) order += std::string(p.second) + " ";
  }
  check(ordered, "child window order follows creation order", "按钮1 标签2 标签1 编辑框1 ... 标签15",
        ordered ? "in creation order" : order);

  close_and_check_exit(app, w, "WM_CLOSE", WM_CLOSE, 0);
}

void scenario_schedule(const std::string& exe) {
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  if (!fill_delay(w, "0", "20", "45")) return;

  SYSTEMTIME before{};
  GetLocalTime(&before);
  if (!click(w, "按钮1")) return;
  HWND button = w.control("按钮1");
  std::vector<MessageBoxView> boxes = answer_boxes(
      app, w.main, [&] { return !IsWindowEnabled(button); }, kBoxTimeoutMs, 15000);
  Fields fields = read_fields(w);
  SYSTEMTIME after{};
  GetLocalTime(&after);

  check_boxes("confirmation, no warning", boxes, {"0小时20分钟45秒后关机"});
  check_fields(fields, {{"编辑框5", "0"}, {"编辑框6", "20"}, {"编辑框7", "45"}});

  // Shutdown time = clock + delay, each part on its own, no carry. The clock
  // is read three times by the program somewhere between before and after.
  int from = seconds_of_day(before);
  int to = seconds_of_day(after);
  if (to < from) to += 24 * 3600;
  std::set<std::string> hours, minutes, seconds;
  for (int s = from; s <= to; ++s) {
    int t = s % (24 * 3600);
    hours.insert(std::to_string(t / 3600));
    minutes.insert(std::to_string(t / 60 % 60 + 20));
    seconds.insert(std::to_string(t % 60 + 45));
  }
  auto check_one_of = [&](const char* name, const std::set<std::string>& allowed) {
    std::string actual = fields[name];
    std::string list;
    for (const std::string& a : allowed) list += (list.empty() ? "" : " or ") + quoted(a);
    check(allowed.count(actual) == 1, std::string(name) + " text", list, quoted(actual));
  };
  check_one_of("编辑框8", hours);
  check_one_of("编辑框9", minutes);
  check_one_of("编辑框10", seconds);

  check_enabled(w, {"按钮1", "编辑框1", "编辑框2", "编辑框3"}, false);
  check_enabled(w, {"按钮2"}, true);

  // A shutdown is pending: closing must end the program and nothing else.
  close_and_check_exit(app, w, "WM_CLOSE with a shutdown pending", WM_CLOSE, 0);
}

void scenario_empty_fields(const std::string& exe) {
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  if (!fill_delay(w, "", "0", "")) return;
  if (!click(w, "按钮1")) return;
  HWND button = w.control("按钮1");
  std::vector<MessageBoxView> boxes = answer_boxes(
      app, w.main, [&] { return !IsWindowEnabled(button); }, kBoxTimeoutMs, 20000);
  check_boxes("confirmation, then a warning per empty field", boxes,
              {"小时0分钟秒后关机", kEmptyWarning, kEmptyWarning});
  check_fields(read_fields(w), {{"编辑框5", ""}, {"编辑框6", "0"}, {"编辑框7", ""}});
  check_enabled(w, {"按钮1", "编辑框1", "编辑框2", "编辑框3"}, false);
  app.kill();
}

void scenario_overlong(const std::string& exe) {
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  if (!fill_delay(w, "1193", "2", "48")) return;
  if (!click(w, "按钮1")) return;
  // The program ends up idle with the inputs still enabled, so there is no
  // state to wait for: wait for a quiet spell after the last box instead.
  std::vector<MessageBoxView> boxes =
      answer_boxes(app, w.main, [] { return false; }, 1000, 15000);
  check_boxes("confirmation, then the limit", boxes,
              {"1193小时2分钟48秒后关机", "关机延时不能超过596小时31分钟23秒"});
  check_enabled(w, {"按钮1", "编辑框1", "编辑框2", "编辑框3"}, true);
  check_fields(read_fields(w), {{"编辑框5", "0"}, {"编辑框6", "0"}, {"编辑框7", "0"},
                   {"编辑框8", "0"}, {"编辑框9", "0"}, {"编辑框10", "0"}});
  // 1193:02:48 cut to 32 bits is 704 ms: no shutdown timer may be running.
  // If one fired, the power-off request would end this Wine session and the
  // driver would never print its END line.
  bool ended = app.wait_exit(1500);
  check(!ended, "program still running 1.5 s after the refusal", "running",
        ended ? "ended with code " + std::to_string(static_cast<long>(app.exit_code())) : "running");
  app.kill();
}

void scenario_close_button(const std::string& exe) {
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  // With a shutdown pending, 关闭 stops it and ends the program.
  if (!fill_delay(w, "0", "5", "0")) return;
  if (!click(w, "按钮1")) return;
  HWND button = w.control("按钮1");
  std::vector<MessageBoxView> boxes = answer_boxes(
      app, w.main, [&] { return !IsWindowEnabled(button); }, kBoxTimeoutMs, 15000);
  check_boxes("scheduled", boxes, {"0小时5分钟0秒后关机"});
  if (!click(w, "按钮2")) return;
  bool ended = app.wait_exit(kExitTimeoutMs);
  std::string actual = ended ? "ended, exit code " + std::to_string(static_cast<long>(app.exit_code()))
                             : "still running after " + std::to_string(kExitTimeoutMs) + " ms";
  check(ended && app.exit_code() == 0, "关闭 ends the program with code 0", "ended, exit code 0",
        actual);
}

void scenario_system_close(const std::string& exe) {
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  close_and_check_exit(app, w, "SC_CLOSE from the caption", WM_SYSCOMMAND, SC_CLOSE);
}

// Keeps the window up until stop_file exists (at most 30 s), so that the
// runner can take a screenshot of it.
void scenario_show(const std::string& exe, const std::string& stop_file) {
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  e2e::sync_with(w.main);
  RedrawWindow(w.main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  print_line("READY");
  bool stopped = e2e::wait_until(
      [&] { return GetFileAttributesA(stop_file.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000);
  check(stopped, "runner took its screenshot", "stop file within 30 s",
        stopped ? "stop file within 30 s" : "no stop file");
  close_and_check_exit(app, w, "WM_CLOSE", WM_CLOSE, 0);
}

// Calls that the runner's relay trace and browser redirection must record:
// they prove that what is set up to watch the program under test works.
//   relay log:   "Call user32.MessageBeep(00004d56)", "Call shell32.ShellExecuteA("
//   browser log: the address below, handed over by winebrowser
void scenario_relay_probe() {
  MessageBeep(0x4D56);
  print_line("probe: called MessageBeep(0x4D56)");
  HINSTANCE r = ShellExecuteA(nullptr, "open", "https://e2e-probe.invalid/open", nullptr, nullptr,
                              SW_SHOWNORMAL);
  print_line("probe: ShellExecuteA(open, https://e2e-probe.invalid/open) returned " +
             std::to_string(reinterpret_cast<INT_PTR>(r)));
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 2) {
    fprintf(stderr,
            "usage: dovrane_e2e <layout|schedule|empty|overlong|closebutton|sysclose|show|relay-probe> "
            "[Dovrane.exe] [stop file]\n");
    return 2;
  }
  std::string scenario = argv[1];
  std::string exe = argc > 2 ? argv[2] : "";
  if (scenario == "relay-probe") {
    scenario_relay_probe();
  } else if (exe.empty()) {
    fprintf(stderr, "dovrane_e2e: scenario %s needs the path of Dovrane.exe\n", scenario.c_str());
    return 2;
  } else if (scenario == "layout") {
    scenario_layout(exe);
  } else if (scenario == "schedule") {
    scenario_schedule(exe);
  } else if (scenario == "empty") {
    scenario_empty_fields(exe);
  } else if (scenario == "overlong") {
    scenario_overlong(exe);
  } else if (scenario == "closebutton") {
    scenario_close_button(exe);
  } else if (scenario == "sysclose") {
    scenario_system_close(exe);
  } else if (scenario == "show" && argc > 3) {
    scenario_show(exe, argv[3]);
  } else {
    fprintf(stderr, "dovrane_e2e: unknown scenario or missing argument: %s\n", scenario.c_str());
    return 2;
  }
  print_line("END " + scenario);
  return g_failed == 0 ? 0 : 1;
}
