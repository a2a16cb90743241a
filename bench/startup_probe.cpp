// Bench driver: starts programs on the same desktop and measures them from
// the outside, as a user would see them.
//
//   startup_probe start <runs> <Dovrane.exe> <bare exe> [<other Dovrane.exe>]
//       Times each start from just before CreateProcess until the program's
//       main window is visible with all its visible controls (Dovrane: 28,
//       the bare window: 3), then closes it with WM_CLOSE and waits for the
//       exit. The programs take turns, so all see the same machine; one
//       warm-up start of each is not counted. Prints
//       "start <name> run <i> <ms>" and "start <name> median <ms>"; another
//       build of Dovrane.exe, when given, is timed the same way as "other".
//   startup_probe idle <seconds> <Dovrane.exe> <bare exe> <countdown exe> [<other>]
//       Starts them all, schedules a 1:59:59 shutdown in Dovrane (and in the
//       other build, when given), then reads the CPU time (kernel + user) of
//       every process over the same <seconds> of wall time. The countdown
//       window does the steady work of a running countdown (two one-second
//       timers writing edit boxes) and is the yardstick; the bare window
//       does nothing. Prints "idle <name> cpu_ms <c> wall_ms <w>
//       countdown_s <n>", n being how many seconds the countdown moved
//       meanwhile (0 for the bare window).
//   startup_probe timer <ms>
//       Sets a window timer of <ms>, calls EnableWindow on its own hidden
//       window (the mark a relay trace sees), and on the timer's first
//       event calls MessageBeep(0x0B5E): the same two calls' distance that
//       the shutdown delay is measured by, for this driver's own timer.
//   startup_probe schedule <Dovrane.exe> <h> <m> <s> <wait seconds>
//       Schedules the given delay and waits. Prints "pid <hex>" and
//       "scheduled"; "END" only when nothing ended this driver meanwhile.
//
// Exit code: 0 when the measurement ran, 1 when it failed (the reason is
// printed as "error: ..."), 2 on a usage error.
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"

namespace {

using e2e::Process;

constexpr DWORD kReadyTimeoutMs = 20000;

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
  putchar('\n');
  fflush(stdout);
}

// Milliseconds, finer than the harness's tick count: start-up times are
// a few hundred of them.
double now_ms() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Counted without a message to the program, so polling does not slow the
// start it measures.
int visible_children(HWND parent) {
  int n = 0;
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (IsWindowVisible(h)) ++n;
  }
  return n;
}

struct Program {
  std::string name, exe, cls, title;
  int controls = 0;
};

// Starts the program and polls every millisecond until its window is up
// with its controls; the window, or null after saying why not.
HWND start_ready(Process& app, const Program& p) {
  std::string error;
  if (!app.start(p.exe, &error, false)) {
    say("error: %s: %s", p.exe.c_str(), error.c_str());
    return nullptr;
  }
  const double end = now_ms() + kReadyTimeoutMs;
  while (now_ms() < end) {
    HWND main = app.find_window(p.cls.c_str(), p.title.c_str());
    if (main && visible_children(main) >= p.controls) return main;
    if (app.wait_exit(1)) {
      say("error: %s ended with code %lu before its window was ready", p.exe.c_str(),
          app.exit_code());
      return nullptr;
    }
  }
  say("error: %s: no visible window %s \"%s\" with %d visible controls within %lu ms",
      p.exe.c_str(), p.cls.c_str(), p.title.c_str(), p.controls, kReadyTimeoutMs);
  return nullptr;
}

bool close(Process& app, HWND main, const Program& p) {
  PostMessageW(main, WM_CLOSE, 0, 0);
  if (app.wait_exit(e2e::kExitTimeoutMs)) return true;
  say("error: %s did not end within %u ms of WM_CLOSE", p.exe.c_str(), e2e::kExitTimeoutMs);
  return false;
}

// Dovrane's window as the end-to-end tier knows it.
e2e::Window dovrane_window(HWND main) { return e2e::Window{main, e2e::children_of(main)}; }

bool schedule(Process& app, const e2e::Window& w, const char* h, const char* m, const char* s) {
  if (e2e::schedule_delay(app, w, h, m, s)) return true;
  say("error: %s/%s/%s could not be scheduled (schedule button still enabled)", h, m, s);
  return false;
}

// The remaining time in seconds, from the three remaining fields.
long remaining_seconds(const e2e::Window& w) {
  return 3600 * std::atol(w.text("编辑框5").c_str()) + 60 * std::atol(w.text("编辑框6").c_str()) +
         std::atol(w.text("编辑框7").c_str());
}

// The countdown window's seconds left, in its second edit box (at 8,40).
long yardstick_seconds(HWND main) {
  for (const e2e::Child& c : e2e::children_of(main)) {
    if (c.rect.left == 8 && c.rect.top == 40) return std::atol(c.text.c_str());
  }
  return -1;
}

// ---------------------------------------------------------------------------
// Modes

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int run_start(int runs, const std::vector<Program>& programs) {
  std::vector<std::vector<double>> times(programs.size());
  for (int i = 0; i <= runs; ++i) {  // run 0 warms up
    for (size_t k = 0; k < programs.size(); ++k) {
      Process app;
      const double t0 = now_ms();
      HWND main = start_ready(app, programs[k]);
      if (!main) return 1;
      const double elapsed = now_ms() - t0;
      if (!close(app, main, programs[k])) return 1;
      if (i == 0) continue;
      times[k].push_back(elapsed);
      say("start %s run %d %.1f", programs[k].name.c_str(), i, elapsed);
    }
  }
  for (size_t k = 0; k < programs.size(); ++k) {
    say("start %s median %.1f", programs[k].name.c_str(), median(times[k]));
  }
  return 0;
}

// One program of the idle measurement, with what its countdown shows.
struct Idling {
  Program program;
  Process app;
  HWND main = nullptr;
  bool counts_down = false;  // a Dovrane, scheduled 1:59:59
  bool yardstick = false;    // the countdown window
  double cpu0 = 0, cpu1 = 0;
  long left0 = 0, left1 = 0;

  long left() const {
    if (counts_down) return remaining_seconds(dovrane_window(main));
    return yardstick ? yardstick_seconds(main) : 0;
  }
};

// Every program over the same wall time: the Dovranes with a countdown
// running, the countdown window and the bare window beside them.
int run_idle(double seconds, std::vector<Idling>& programs) {
  for (Idling& p : programs) {
    p.main = start_ready(p.app, p.program);
    if (!p.main) return 1;
  }
  for (Idling& p : programs) {
    if (p.counts_down && !schedule(p.app, dovrane_window(p.main), "1", "59", "59")) return 1;
  }
  Sleep(1500);  // let the countdowns take their first steps
  for (Idling& p : programs) {
    p.left0 = p.left();
    p.cpu0 = p.app.cpu_ms();
  }
  const double t0 = now_ms();
  Sleep(static_cast<DWORD>(seconds * 1000));
  for (Idling& p : programs) p.cpu1 = p.app.cpu_ms();
  const double t1 = now_ms();
  bool ok = true;
  for (Idling& p : programs) {
    p.left1 = p.left();
    if (p.cpu0 < 0 || p.cpu1 < 0) {
      say("error: the threads' CPU times of %s could not be read, error %lu",
          p.program.name.c_str(), GetLastError());
      return 1;
    }
    say("idle %s cpu_ms %.1f wall_ms %.1f countdown_s %ld", p.program.name.c_str(),
        p.cpu1 - p.cpu0, t1 - t0, p.left0 - p.left1);
  }
  for (Idling& p : programs) ok = close(p.app, p.main, p.program) && ok;
  return ok ? 0 : 1;
}

int run_timer(UINT ms) {
  HWND mark = CreateWindowExW(0, L"STATIC", L"bench timer", WS_POPUP, 0, 0, 1, 1, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!mark) {
    say("error: CreateWindowExW failed, error %lu", GetLastError());
    return 1;
  }
  const double t0 = now_ms();
  SetTimer(mark, 1, ms, nullptr);
  EnableWindow(mark, FALSE);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == mark) {
      MessageBeep(0x0B5E);
      say("timer fired after %.1f ms", now_ms() - t0);
      break;
    }
    DispatchMessageW(&msg);
  }
  DestroyWindow(mark);
  return 0;
}

int run_schedule(const Program& dovrane, const char* h, const char* m, const char* s,
                 DWORD wait_s) {
  Process app;
  HWND main = start_ready(app, dovrane);
  if (!main) return 1;
  say("pid %04lx", app.pid());
  if (!schedule(app, dovrane_window(main), h, m, s)) return 1;
  say("scheduled");
  // The shutdown ends this driver too; getting past the wait means it did
  // not come.
  app.wait_exit(wait_s * 1000);
  say("END");
  return 0;
}

int usage() {
  say("usage: startup_probe start <runs> <Dovrane.exe> <bare exe> [<other Dovrane.exe>]\n"
      "       startup_probe idle <seconds> <Dovrane.exe> <bare exe> <countdown exe> "
      "[<other Dovrane.exe>]\n"
      "       startup_probe timer <ms>\n"
      "       startup_probe schedule <Dovrane.exe> <h> <m> <s> <wait seconds>");
  return 2;
}

Program dovrane(const char* exe, const char* name = "dovrane") {
  return Program{name, exe, "WTWindow", "Dovrane", 28};
}
Program bare(const char* exe) { return Program{"bare", exe, "BenchBareWindow", "Bare window", 3}; }
Program countdown(const char* exe) {
  return Program{"countdown", exe, "BenchCountdownWindow", "Countdown window", 2};
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "start" && (argc == 5 || argc == 6)) {
    const int runs = std::atoi(argv[2]);
    std::vector<Program> programs{dovrane(argv[3]), bare(argv[4])};
    if (argc == 6) programs.push_back(dovrane(argv[5], "other"));
    return runs > 0 ? run_start(runs, programs) : usage();
  }
  if (mode == "idle" && (argc == 6 || argc == 7)) {
    const double seconds = std::atof(argv[2]);
    if (seconds <= 0) return usage();
    std::vector<Idling> programs(argc == 7 ? 4 : 3);
    programs[0].program = dovrane(argv[3]);
    programs[0].counts_down = true;
    programs[1].program = countdown(argv[5]);
    programs[1].yardstick = true;
    programs[2].program = bare(argv[4]);
    if (argc == 7) {
      programs[3].program = dovrane(argv[6], "other");
      programs[3].counts_down = true;
    }
    return run_idle(seconds, programs);
  }
  if (mode == "timer" && argc == 3) return run_timer(static_cast<UINT>(std::atoi(argv[2])));
  if (mode == "schedule" && argc == 7) {
    return run_schedule(dovrane(argv[2]), argv[3], argv[4], argv[5],
                        static_cast<DWORD>(std::atoi(argv[6])));
  }
  return usage();
}
