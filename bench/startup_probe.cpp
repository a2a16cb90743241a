// Bench driver: starts programs on the same desktop and measures them from
// the outside, as a user would see them.
//
//   startup_probe start <runs> <Dovrane.exe> <bare exe>
//       Times each start from just before CreateProcess until the program's
//       main window is visible with all its visible controls (Dovrane: 28,
//       the bare window: 3), then closes it with WM_CLOSE and waits for the
//       exit. The two programs take turns, so both see the same machine; one
//       warm-up start of each is not counted. Prints
//       "start <name> run <i> <ms>" and "start <name> median <ms>".
//   startup_probe idle <seconds> <Dovrane.exe> <bare exe> <countdown exe>
//       Starts all three, schedules a 1:59:59 shutdown in Dovrane (answering
//       its box), then reads the CPU time (kernel + user) of the three
//       processes over the same <seconds> of wall time. The countdown
//       window does the steady work of a running countdown (two one-second
//       timers writing edit boxes) and is the yardstick; the bare window
//       does nothing. Prints "idle <name> cpu_ms <c> wall_ms <w>" and, for
//       Dovrane and the countdown window, how many seconds their countdowns
//       moved meanwhile ("countdown_s <n>").
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
#include <tlhelp32.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kReadyTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr DWORD kAnswerTimeoutMs = 3000;

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
  putchar('\n');
  fflush(stdout);
}

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

std::string class_of(HWND h) {
  char buffer[256] = {};
  const int n = GetClassNameA(h, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

// Window text with a timeout: a busy program cannot hang the driver.
std::string text_of(HWND h) {
  char buffer[256] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(h, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied)) {
    return std::string();
  }
  return std::string(buffer, strnlen(buffer, sizeof buffer));
}

// The visible top-level windows of a process with the given class (and
// title, unless null).
std::vector<HWND> top_windows(DWORD pid, const char* cls, const char* title) {
  struct Query {
    DWORD pid;
    const char* cls;
    const char* title;
    std::vector<HWND> found;
  } q{pid, cls, title, {}};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* q = reinterpret_cast<Query*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner != q->pid || !IsWindowVisible(h) || class_of(h) != q->cls) return TRUE;
        if (q->title != nullptr) {
          char buffer[256] = {};
          GetWindowTextA(h, buffer, sizeof buffer);  // caption only, no message
          if (std::strcmp(buffer, q->title) != 0) return TRUE;
        }
        q->found.push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&q));
  return q.found;
}

int visible_children(HWND parent) {
  int n = 0;
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (IsWindowVisible(h)) ++n;
  }
  return n;
}

// The visible child whose outer rectangle starts at (x, y) of the parent's
// client area.
HWND child_at(HWND parent, int x, int y) {
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    if (IsWindowVisible(h) && r.left == x && r.top == y) return h;
  }
  return nullptr;
}

unsigned long long ticks(const FILETIME& f) {
  return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
}

struct Program {
  std::string name, exe, cls, title;
  int controls = 0;
};

class Running {
 public:
  Running() = default;
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;
  ~Running() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(info_.hProcess, 0xBE);
      WaitForSingleObject(info_.hProcess, kExitTimeoutMs);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }

  // Starts the program in its own folder.
  bool start(const Program& p) {
    program_ = p;
    std::string folder = p.exe;
    const size_t slash = folder.find_last_of("\\/");
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    std::string command = "\"" + p.exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(p.exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &si, &info_)) {
      say("error: CreateProcessA %s failed, error %lu", p.exe.c_str(), GetLastError());
      return false;
    }
    started_ = true;
    return true;
  }

  // Polls every millisecond until the window is up with its controls.
  bool wait_ready() {
    const double end = now_ms() + kReadyTimeoutMs;
    while (now_ms() < end) {
      for (HWND h : top_windows(pid(), program_.cls.c_str(), program_.title.c_str())) {
        if (visible_children(h) >= program_.controls) {
          main_ = h;
          return true;
        }
      }
      if (WaitForSingleObject(info_.hProcess, 1) != WAIT_TIMEOUT) {
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        say("error: %s ended with code %lu before its window was ready", program_.exe.c_str(),
            code);
        return false;
      }
    }
    say("error: %s: no visible window %s \"%s\" with %d visible controls within %lu ms",
        program_.exe.c_str(), program_.cls.c_str(), program_.title.c_str(), program_.controls,
        kReadyTimeoutMs);
    return false;
  }

  bool close() {
    PostMessageA(main_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info_.hProcess, kExitTimeoutMs) == WAIT_OBJECT_0) return true;
    say("error: %s did not end within %lu ms of WM_CLOSE", program_.exe.c_str(), kExitTimeoutMs);
    return false;
  }

  // Kernel plus user time of the process's threads so far, in
  // milliseconds; negative when unknown. Counted thread by thread: Wine
  // reports no times for another process through GetProcessTimes, but it
  // does for each of its threads.
  double cpu_ms() const {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    unsigned long long total = 0;
    int threads = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID != pid()) continue;
      HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
      FILETIME created, exited, kernel, user;
      if (thread && GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
        total += ticks(kernel) + ticks(user);
        ++threads;
      }
      if (thread) CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return threads > 0 ? static_cast<double>(total) / 10000.0 : -1;
  }

  DWORD pid() const { return info_.dwProcessId; }
  HWND main() const { return main_; }
  HANDLE process() const { return info_.hProcess; }

 private:
  Program program_;
  PROCESS_INFORMATION info_{};
  bool started_ = false;
  HWND main_ = nullptr;
};

// ---------------------------------------------------------------------------
// Dovrane's window, as laid out: the places (client coordinates) of the
// controls the bench types into, clicks and reads.

struct Place {
  int x, y;
};
constexpr Place kDelay[] = {{8, 48}, {64, 48}, {120, 48}};       // hours, minutes, seconds
constexpr Place kRemaining[] = {{8, 120}, {64, 120}, {120, 120}};  // hours, minutes, seconds
constexpr Place kScheduleButton = {16, 80};
const char kScheduleText[] = "确定";

// Answers each message box of the process with OK until the schedule
// button is disabled and no box is open.
bool schedule(const Running& app, const char* const delay[3]) {
  const HWND main = app.main();
  for (int i = 0; i < 3; ++i) {
    HWND edit = child_at(main, kDelay[i].x, kDelay[i].y);
    DWORD_PTR ok = 0;
    if (!edit || !SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(delay[i]),
                                      SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &ok) ||
        text_of(edit) != delay[i]) {
      say("error: could not type \"%s\" into delay field %d", delay[i], i + 1);
      return false;
    }
  }
  HWND button = child_at(main, kScheduleButton.x, kScheduleButton.y);
  if (!button || text_of(button) != kScheduleText) {
    say("error: schedule button not found at (%d,%d)", kScheduleButton.x, kScheduleButton.y);
    return false;
  }
  PostMessageA(button, BM_CLICK, 0, 0);
  const double end = now_ms() + kReadyTimeoutMs;
  while (now_ms() < end) {
    std::vector<HWND> boxes = top_windows(app.pid(), "#32770", nullptr);
    if (!boxes.empty()) {
      HWND ok = GetDlgItem(boxes.front(), IDOK);
      PostMessageA(ok ? ok : boxes.front(), ok ? BM_CLICK : WM_CLOSE, 0, 0);
      const double box_end = now_ms() + kAnswerTimeoutMs;
      while (IsWindow(boxes.front()) && IsWindowVisible(boxes.front()) && now_ms() < box_end) {
        Sleep(5);
      }
      continue;
    }
    if (!IsWindowEnabled(button)) return true;
    Sleep(5);
  }
  say("error: the schedule button was still enabled %lu ms after the click", kReadyTimeoutMs);
  return false;
}

// The remaining time in seconds, from the three remaining fields.
long remaining_seconds(HWND main) {
  long total = 0;
  const long unit[] = {3600, 60, 1};
  for (int i = 0; i < 3; ++i) {
    HWND h = child_at(main, kRemaining[i].x, kRemaining[i].y);
    if (!h) return -1;
    total += unit[i] * std::atol(text_of(h).c_str());
  }
  return total;
}

// The countdown window's seconds left, from its second edit box.
constexpr Place kYardstickRemaining = {8, 40};

long yardstick_seconds(HWND main) {
  HWND h = child_at(main, kYardstickRemaining.x, kYardstickRemaining.y);
  return h ? std::atol(text_of(h).c_str()) : -1;
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
      Running app;
      const double t0 = now_ms();
      if (!app.start(programs[k]) || !app.wait_ready()) return 1;
      const double elapsed = now_ms() - t0;
      if (!app.close()) return 1;
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

int run_idle(double seconds, const Program& dovrane, const Program& bare,
             const Program& countdown) {
  Running app, base, yardstick;
  if (!app.start(dovrane) || !app.wait_ready()) return 1;
  if (!base.start(bare) || !base.wait_ready()) return 1;
  if (!yardstick.start(countdown) || !yardstick.wait_ready()) return 1;
  const char* const delay[3] = {"1", "59", "59"};
  if (!schedule(app, delay)) return 1;
  Sleep(1500);  // let the countdown take its first steps
  const long remaining0 = remaining_seconds(app.main());
  const long yardstick0 = yardstick_seconds(yardstick.main());
  const double a0 = app.cpu_ms(), b0 = base.cpu_ms(), c0 = yardstick.cpu_ms(), t0 = now_ms();
  Sleep(static_cast<DWORD>(seconds * 1000));
  const double a1 = app.cpu_ms(), b1 = base.cpu_ms(), c1 = yardstick.cpu_ms(), t1 = now_ms();
  const long remaining1 = remaining_seconds(app.main());
  const long yardstick1 = yardstick_seconds(yardstick.main());
  if (a0 < 0 || b0 < 0 || c0 < 0 || a1 < 0 || b1 < 0 || c1 < 0) {
    say("error: the threads' CPU times could not be read, error %lu", GetLastError());
    return 1;
  }
  say("idle dovrane cpu_ms %.1f wall_ms %.1f countdown_s %ld", a1 - a0, t1 - t0,
      remaining0 - remaining1);
  say("idle countdown cpu_ms %.1f wall_ms %.1f countdown_s %ld", c1 - c0, t1 - t0,
      yardstick0 - yardstick1);
  say("idle bare cpu_ms %.1f wall_ms %.1f", b1 - b0, t1 - t0);
  const bool closed = app.close() & base.close() & yardstick.close();
  return closed ? 0 : 1;
}

int run_timer(UINT ms) {
  HWND mark = CreateWindowExA(0, "STATIC", "bench timer", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (!mark) {
    say("error: CreateWindowExA failed, error %lu", GetLastError());
    return 1;
  }
  const double t0 = now_ms();
  SetTimer(mark, 1, ms, nullptr);
  EnableWindow(mark, FALSE);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.hwnd == mark) {
      MessageBeep(0x0B5E);
      say("timer fired after %.1f ms", now_ms() - t0);
      break;
    }
    DispatchMessageA(&msg);
  }
  DestroyWindow(mark);
  return 0;
}

int run_schedule(const Program& dovrane, const char* const delay[3], DWORD wait_s) {
  Running app;
  if (!app.start(dovrane) || !app.wait_ready()) return 1;
  say("pid %04lx", app.pid());
  if (!schedule(app, delay)) return 1;
  say("scheduled");
  // The shutdown ends this driver too; getting past the wait means it did
  // not come.
  WaitForSingleObject(app.process(), wait_s * 1000);
  say("END");
  return 0;
}

int usage() {
  say("usage: startup_probe start <runs> <Dovrane.exe> <bare exe>\n"
      "       startup_probe idle <seconds> <Dovrane.exe> <bare exe> <countdown exe>\n"
      "       startup_probe timer <ms>\n"
      "       startup_probe schedule <Dovrane.exe> <h> <m> <s> <wait seconds>");
  return 2;
}

Program dovrane(const char* exe) { return Program{"dovrane", exe, "WTWindow", "Dovrane", 28}; }
Program bare(const char* exe) { return Program{"bare", exe, "BenchBareWindow", "Bare window", 3}; }
Program countdown(const char* exe) {
  return Program{"countdown", exe, "BenchCountdownWindow", "Countdown window", 2};
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "start" && argc == 5) {
    const int runs = std::atoi(argv[2]);
    return runs > 0 ? run_start(runs, {dovrane(argv[3]), bare(argv[4])}) : usage();
  }
  if (mode == "idle" && argc == 6) {
    const double seconds = std::atof(argv[2]);
    return seconds > 0 ? run_idle(seconds, dovrane(argv[3]), bare(argv[4]), countdown(argv[5]))
                       : usage();
  }
  if (mode == "timer" && argc == 3) return run_timer(static_cast<UINT>(std::atoi(argv[2])));
  if (mode == "schedule" && argc == 7) {
    const char* const delay[3] = {argv[3], argv[4], argv[5]};
    return run_schedule(dovrane(argv[2]), delay, static_cast<DWORD>(std::atoi(argv[6])));
  }
  return usage();
}
