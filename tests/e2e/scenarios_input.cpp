// Scenarios with unusual input through the real window, and with many
// copies of the program.
#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/scenarios.h"

namespace e2e {

namespace {

// A long text in a report: its start, its end and its length.
std::string brief(const std::string& text) {
  if (text.size() <= 48) return quoted(text);
  return quoted(text.substr(0, 16)) + "..." + quoted(text.substr(text.size() - 16)) + " (" +
         num(static_cast<long long>(text.size())) + " bytes)";
}

void check_long_text(const std::string& name, const std::string& expected, const std::string& actual) {
  bool ok = expected == actual;
  check(ok, name, brief(expected), ok ? brief(actual) : brief(actual) + " [" + hex(actual.substr(0, 24)) + "]");
}

struct InputCase {
  const char* what;
  std::string hours, minutes, seconds;
  // Values of the three texts as typed, by the program's text-to-integer
  // rule (full-width forms folded, digits up to the first other character,
  // wrapping modulo 2^32).
  long long h, m, s;
  bool refused;  // the total is beyond 596:31:23.647 and must be refused
};

// Every total here is negative (the shutdown timer stays stopped), at least
// a minute long, or refused, so that no case can switch anything off while
// the driver looks at it.
std::vector<InputCase> input_cases() {
  return {
      // Very long texts: 30,000 digits wrap to a negative value.
      {"30,000 ones as hours", std::string(30000, '1'), "0", "0", -954437177, 0, 0, false},
      {"30,000 nines as seconds", "0", "0", std::string(30000, '9'), 0, 0, -1, false},
      {"20 digits as hours", "12345678901234567890", "0", "0", -350287150, 0, 0, false},
      // Broken GBK: a lead byte at the very end is dropped, a lead byte with
      // a byte that cannot follow it stops the number, 0xFF is no lead byte.
      {"lone lead byte after 5 hours", "5\xB0", "0", "0", 5, 0, 0, false},
      {"81 20 before 3 minutes", "1", "\x81\x20" "3", "0", 1, 0, 0, false},
      {"FF FF as seconds", "1", "0", "\xFF\xFF", 1, 0, 0, false},
      // Blanks are not empty: no warning, value 0, copied as they are.
      {"only blanks as hours", "   ", "1", "0", 0, 1, 0, false},
      // Full-width digits and signs count as their ASCII forms.
      {"full-width 12 / -3 / +5", "１２", "－３", "＋５", 12, -3, 5, false},
      // The limit of the shutdown timer, and one second beyond it.
      {"596/31/23, the longest delay", "596", "31", "23", 596, 31, 23, false},
      {"596/31/24, one second too long", "596", "31", "24", 596, 31, 24, true},
  };
}

// Types text into a field; returns what the field holds afterwards.
std::string type_into(HWND field, const std::string& text) {
  set_window_text(field, text);
  return window_text(field);
}

void run_input_case(const std::string& exe, const InputCase& c) {
  const std::string tag = std::string("[") + c.what + "] ";
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  const char* inputs[] = {"编辑框1", "编辑框2", "编辑框3"};
  const std::string typed[] = {c.hours, c.minutes, c.seconds};
  std::string held[3];
  bool as_typed = true;
  for (int i = 0; i < 3; ++i) {
    HWND field = w.control(inputs[i]);
    held[i] = field ? type_into(field, typed[i]) : std::string();
    if (held[i] != typed[i]) {
      as_typed = false;
      // Bytes that are no GBK character are changed by the system's edit
      // control on the way in; the program can only work with what it holds.
      print_line("note " + tag + inputs[i] + " typed [" + hex(typed[i].substr(0, 24)) + "], holds [" +
                 hex(held[i].substr(0, 24)) + "] (" + num(static_cast<long long>(held[i].size())) + " bytes)");
    }
  }
  if (typed[0].size() >= 30000 || typed[2].size() >= 30000) {
    const std::string& t = typed[0].size() >= 30000 ? held[0] : held[2];
    check(t.size() == 30000, tag + "the field takes all 30,000 characters", "30000 bytes",
          num(static_cast<long long>(t.size())) + " bytes");
  }

  SYSTEMTIME before{};
  GetLocalTime(&before);
  if (!click(w, "按钮1")) return;
  HWND button = w.control("按钮1");
  std::vector<MessageBoxView> boxes = answer_boxes(
      app, w.main, [&] { return !IsWindowEnabled(button); }, 1000, 20000);
  Fields fields = read_fields(w);
  SYSTEMTIME after{};
  GetLocalTime(&after);

  // The boxes: the confirmation with the texts as the fields hold them,
  // then the limit when refused; no empty-field warning in any case.
  std::vector<std::string> wanted{held[0] + "小时" + held[1] + "分钟" + held[2] + "秒后关机"};
  if (c.refused) wanted.push_back("关机延时不能超过596小时31分钟23秒");
  bool boxes_ok = boxes.size() == wanted.size();
  std::string seen_text, wanted_text;
  for (size_t i = 0; i < wanted.size(); ++i) wanted_text += (i ? " + " : "") + brief(wanted[i]);
  for (size_t i = 0; i < boxes.size(); ++i) {
    seen_text += (i ? " + " : "") + brief(boxes[i].text);
    if (boxes_ok && (boxes[i].text != wanted[i] || boxes[i].caption != kCaption)) boxes_ok = false;
  }
  check(boxes_ok, tag + "boxes", wanted_text, num(static_cast<long long>(boxes.size())) + " box(es): " + seen_text);

  bool disabled = !IsWindowEnabled(button);
  check(disabled == !c.refused, tag + (c.refused ? "refused, inputs stay enabled" : "scheduled, inputs disabled"),
        c.refused ? "按钮1 enabled" : "按钮1 disabled", disabled ? "按钮1 disabled" : "按钮1 enabled");

  if (c.refused) {
    check_fields(fields, {{"编辑框5", "0"}, {"编辑框6", "0"}, {"编辑框7", "0"}});
  } else {
    // Remaining fields: copies of the texts as held.
    check_long_text(tag + "编辑框5 copy", held[0], fields["编辑框5"]);
    check_long_text(tag + "编辑框6 copy", held[1], fields["编辑框6"]);
    check_long_text(tag + "编辑框7 copy", held[2], fields["编辑框7"]);
    // Shutdown-time fields: clock + value, each on its own.
    if (as_typed) {
      const ShutdownTimes t = shutdown_times(before, after, c.h, c.m, c.s);
      std::string shown = fields["编辑框8"] + " : " + fields["编辑框9"] + " : " + fields["编辑框10"];
      bool ok = t.hours.count(fields["编辑框8"]) && t.minutes.count(fields["编辑框9"]) &&
                t.seconds.count(fields["编辑框10"]);
      check(ok, tag + "shutdown-time fields = clock + " + num(c.h) + "/" + num(c.m) + "/" + num(c.s),
            one_of(t.hours) + " : " + one_of(t.minutes) + " : " + one_of(t.seconds), shown);
    }
  }

  // The program lives on: through the first countdown tick over the copied
  // texts, or for 1.5 s after a refusal.
  if (c.refused) {
    app.wait_exit(1500);
  } else {
    HWND secs = w.control("编辑框7");
    std::string copied = fields["编辑框7"];
    wait_until([&] { return !app.running() || window_text(secs) != copied; }, 2500);
  }
  bool alive = app.running();
  std::string after_tick = alive && !c.refused ? ", remaining after the tick: " + brief(w.text("编辑框5")) + "/" +
                                                     brief(w.text("编辑框6")) + "/" + brief(w.text("编辑框7"))
                                               : "";
  check(alive, tag + "program still running", "running",
        (alive ? "running" : "ended with code " + num(static_cast<long>(app.exit_code()))) + after_tick);
  app.kill();
}

// Visible "WTWindow" / "Dovrane" top-level windows by process id.
struct DovraneWindows {
  std::map<DWORD, std::vector<HWND>> by_pid;
};

BOOL CALLBACK collect_dovrane(HWND hwnd, LPARAM lp) {
  auto* found = reinterpret_cast<DovraneWindows*>(lp);
  if (IsWindowVisible(hwnd) && class_name(hwnd) == "WTWindow" && window_text(hwnd) == "Dovrane") {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    found->by_pid[pid].push_back(hwnd);
  }
  return TRUE;
}

DovraneWindows dovrane_windows() {
  DovraneWindows found;
  EnumWindows(collect_dovrane, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

void scenario_bad_input(const std::string& exe) {
  for (const InputCase& c : input_cases()) run_input_case(exe, c);
}

void scenario_copies(const std::string& exe) {
  // Ten copies at once, each with its own window.
  constexpr int kCopies = 10;
  std::vector<std::unique_ptr<Process>> apps;
  std::string error;
  for (int i = 0; i < kCopies; ++i) {
    apps.push_back(std::make_unique<Process>());
    if (!apps.back()->start(exe, &error)) {
      check(false, "copy " + num(i + 1) + " starts", "a running process", error);
      return;
    }
  }
  auto windows_ok = [&](const DovraneWindows& found) {
    for (const auto& app : apps) {
      auto it = found.by_pid.find(app->pid());
      if (it == found.by_pid.end() || it->second.size() != 1) return false;
    }
    return true;
  };
  DovraneWindows found;
  wait_until([&] { return windows_ok(found = dovrane_windows()); }, 20000);
  int with_window = 0;
  std::string detail;
  for (const auto& app : apps) {
    auto it = found.by_pid.find(app->pid());
    size_t n = it == found.by_pid.end() ? 0 : it->second.size();
    if (n == 1) ++with_window;
    else detail += " pid " + num(app->pid()) + " has " + num(static_cast<long long>(n));
  }
  size_t total_windows = 0;
  for (const auto& p : found.by_pid) total_windows += p.second.size();
  check(with_window == kCopies && total_windows == kCopies, "ten copies each show their own window",
        "10 processes with one WTWindow \"Dovrane\" each, 10 windows in all",
        num(with_window) + " with one window, " + num(static_cast<long long>(total_windows)) + " windows" + detail);

  for (const auto& app : apps) {
    auto it = found.by_pid.find(app->pid());
    if (it != found.by_pid.end()) {
      for (HWND h : it->second) PostMessageA(h, WM_CLOSE, 0, 0);
    }
  }
  int clean = 0;
  std::string codes;
  for (const auto& app : apps) {
    bool ended = app->wait_exit(kExitTimeoutMs);
    if (ended && app->exit_code() == 0) ++clean;
    codes += ended ? " " + num(static_cast<long>(app->exit_code())) : " running";
  }
  check(clean == kCopies, "ten copies end with code 0 on WM_CLOSE", "10 x 0", "exit codes:" + codes);
  apps.clear();

  // One copy started and closed 100 times in a row.
  constexpr int kRounds = 100;
  int done = 0;
  std::string first_failure;
  const unsigned long long started = now_ms();
  for (int i = 0; i < kRounds; ++i) {
    Process app;
    if (!app.start(exe, &error)) {
      first_failure = "round " + num(i + 1) + ": " + error;
      break;
    }
    HWND main = nullptr;
    wait_until([&] { return (main = app.find_window("WTWindow", "Dovrane")) != nullptr || !app.running(); },
               kStartTimeoutMs);
    if (!main) {
      first_failure = "round " + num(i + 1) + ": no window" +
                      (app.running() ? "" : ", exit code " + num(static_cast<long>(app.exit_code())));
      break;
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    if (!app.wait_exit(kExitTimeoutMs) || app.exit_code() != 0) {
      first_failure = "round " + num(i + 1) + ": " +
                      (app.running() ? "still running" : "exit code " + num(static_cast<long>(app.exit_code())));
      break;
    }
    ++done;
  }
  unsigned long long took = now_ms() - started;
  check(done == kRounds, "started and closed 100 times in a row", "100 rounds, each window shown and exit code 0",
        num(done) + " rounds in " + num(static_cast<long long>(took)) + " ms (" +
            num(done ? static_cast<long long>(took) / done : 0) + " ms each)" +
            (first_failure.empty() ? "" : "; " + first_failure));
}

}  // namespace e2e
