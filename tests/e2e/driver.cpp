// End-to-end driver: starts Dovrane.exe under the same (Wine) desktop, looks
// at its window from the outside and drives it like a user would.
//
//   dovrane_e2e.exe <scenario> <path of Dovrane.exe> [stop file]
//
// Scenarios here: layout (window and controls at start), schedule, empty
// (empty delay fields), overlong (a delay beyond the timer's range),
// closebutton, sysclose (caption close), show (keeps the window up until the
// stop file exists, for a screenshot), relay-probe (calls for the runner's
// trace). The others are listed in scenarios.h; kScenarios below names them
// all.
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

#include "tests/e2e/harness.h"
#include "tests/e2e/scenarios.h"

using namespace e2e;

namespace {

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
  // The clock field fills at the first tick, a second after the start.
  HWND clock = w.control("编辑框4");
  wait_until([&] { return !window_text(clock).empty(); }, 3000);
  sync_with(w.main);
  RedrawWindow(w.main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT r{};
  GetWindowRect(w.main, &r);
  // The window's screen rectangle, for cropping the screenshot.
  print_line("READY " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
             std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top));
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

struct Entry {
  const char* name;
  void (*run)(const std::string& exe);
  void (*run_until)(const std::string& exe, const std::string& stop_file);  // needs a stop file
};

const Entry kScenarios[] = {
    {"layout", scenario_layout, nullptr},
    {"schedule", scenario_schedule, nullptr},
    {"empty", scenario_empty_fields, nullptr},
    {"overlong", scenario_overlong, nullptr},
    {"closebutton", scenario_close_button, nullptr},
    {"sysclose", scenario_system_close, nullptr},
    {"show", nullptr, scenario_show},
    {"clock", scenario_clock, nullptr},
    {"countdown", scenario_countdown, nullptr},
    {"fold", scenario_fold, nullptr},
    {"closecountdown", scenario_close_countdown, nullptr},
    {"poweroff", scenario_power_off, nullptr},
    {"badinput", scenario_bad_input, nullptr},
    {"copies", scenario_copies, nullptr},
    {"pixels", scenario_pixels, nullptr},
    {"keys", scenario_keys, nullptr},
    {"link", scenario_link, nullptr},
    {"stress", scenario_stress, nullptr},
    {"show-countdown", nullptr, scenario_show_countdown},
    {"resources", scenario_resources, nullptr},
};

void usage() {
  std::string names = "relay-probe";
  for (const Entry& e : kScenarios) names += std::string("|") + e.name;
  fprintf(stderr, "usage: dovrane_e2e <%s> [Dovrane.exe] [stop file]\n", names.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 2) {
    usage();
    return 2;
  }
  std::string scenario = argv[1];
  std::string exe = argc > 2 ? argv[2] : "";
  if (scenario == "relay-probe") {
    scenario_relay_probe();
  } else {
    const Entry* entry = nullptr;
    for (const Entry& e : kScenarios) {
      if (scenario == e.name) entry = &e;
    }
    if (!entry || exe.empty() || (entry->run_until && argc < 4)) {
      usage();
      return 2;
    }
    if (entry->run) {
      entry->run(exe);
    } else {
      entry->run_until(exe, argv[3]);
    }
  }
  print_line("END " + scenario);
  return g_failed == 0 ? 0 : 1;
}
