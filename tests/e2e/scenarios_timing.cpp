// Scenarios that depend on time passing: the clock field, the countdown of
// the remaining fields, the folding of the shutdown time, and the shutdown
// timer itself (cancelled by 关闭, or left to fire).
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/scenarios.h"

namespace e2e {

namespace {

// ---------------------------------------------------------------------------
// Clock text

// A clock text split into its numbers and unit characters. ok is false when
// the text is not "<n>年<n>月<n>日" followed by "<n>时", "<n>时<n>分" or
// "<n>时<n>分<n>秒", each number plain decimal without leading zeros.
struct ClockText {
  bool ok = false;
  std::string why;
  int fields = 0;  // 3 (date only) to 6 (down to the second)
  SYSTEMTIME time{};
};

ClockText parse_clock(const std::string& gbk) {
  ClockText out;
  int len = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, gbk.data(), static_cast<int>(gbk.size()),
                                nullptr, 0);
  if (len <= 0) {
    out.why = "not valid GBK";
    return out;
  }
  std::wstring text(static_cast<size_t>(len), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), &text[0], len);
  const wchar_t units[] = {L'\x5E74', L'\x6708', L'\x65E5', L'\x65F6', L'\x5206', L'\x79D2'};  // 年月日时分秒
  int values[6] = {0, 0, 0, 0, 0, 0};
  size_t pos = 0;
  int n = 0;
  while (pos < text.size()) {
    if (n == 6) {
      out.why = "text after 秒";
      return out;
    }
    size_t start = pos;
    while (pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9') ++pos;
    if (pos == start || pos - start > 4) {
      out.why = "field " + num(n + 1) + " is not a number of 1 to 4 digits";
      return out;
    }
    if (text[start] == L'0' && pos - start > 1) {
      out.why = "field " + num(n + 1) + " has a leading zero";
      return out;
    }
    if (pos >= text.size() || text[pos] != units[n]) {
      out.why = "field " + num(n + 1) + " not followed by its unit";
      return out;
    }
    values[n] = std::stoi(std::string(text.begin() + static_cast<long>(start), text.begin() + static_cast<long>(pos)));
    ++pos;
    ++n;
  }
  if (n < 3) {
    out.why = "no full date";
    return out;
  }
  // Trailing zero fields are left out, and only those.
  if ((n == 6 && values[5] == 0) || (n == 5 && values[4] == 0) || (n == 4 && values[3] == 0)) {
    out.why = "ends in a zero field that should have been left out";
    return out;
  }
  out.fields = n;
  out.time.wYear = static_cast<WORD>(values[0]);
  out.time.wMonth = static_cast<WORD>(values[1]);
  out.time.wDay = static_cast<WORD>(values[2]);
  out.time.wHour = static_cast<WORD>(values[3]);
  out.time.wMinute = static_cast<WORD>(values[4]);
  out.time.wSecond = static_cast<WORD>(values[5]);
  FILETIME ft{};
  if (!SystemTimeToFileTime(&out.time, &ft)) {
    out.why = "not a calendar date and time";
    return out;
  }
  out.ok = true;
  return out;
}

std::string time_text(const SYSTEMTIME& t) {
  char buf[64];
  snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour,
           t.wMinute, t.wSecond, t.wMilliseconds);
  return buf;
}

// ---------------------------------------------------------------------------
// Remaining fields

struct Remaining {
  std::string h, m, s;
  unsigned long long at_ms = 0;  // when first seen
  std::string text() const { return h + "/" + m + "/" + s; }
  bool operator==(const Remaining& o) const { return h == o.h && m == o.m && s == o.s; }
};

// The three fields are read one message at a time, so a tick can fall
// between two reads; a reading counts once two in a row agree.
Remaining read_remaining(const Window& w) {
  auto once = [&] {
    Remaining r;
    r.h = w.text("编辑框5");
    r.m = w.text("编辑框6");
    r.s = w.text("编辑框7");
    r.at_ms = now_ms();
    return r;
  };
  Remaining r = once();
  for (int i = 0; i < 5; ++i) {
    Remaining again = once();
    if (again == r) break;
    r = again;
  }
  return r;
}

// Whole decimal text, or false.
bool to_long(const std::string& t, long long* v) {
  if (t.empty() || t.size() > 12) return false;
  size_t i = t[0] == '-' ? 1 : 0;
  if (i == t.size()) return false;
  for (size_t k = i; k < t.size(); ++k) {
    if (t[k] < '0' || t[k] > '9') return false;
  }
  *v = std::stoll(t);
  return true;
}

}  // namespace

void scenario_clock(const std::string& exe) {
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  HWND field = w.control("编辑框4");
  bool ticked = wait_until([&] { return !window_text(field).empty(); }, 3000);
  check(ticked, "clock field filled by the first tick", "non-empty within 3 s",
        ticked ? quoted(window_text(field)) : "still empty after 3 s");
  if (!ticked) return;

  // Three readings over about two seconds: each must name the local time of
  // its reading (within 2 s), in the shortest form, and the text must move.
  std::set<std::string> distinct;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) Sleep(1100);
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    std::string text = window_text(field);
    GetLocalTime(&after);
    distinct.insert(text);
    ClockText parsed = parse_clock(text);
    std::string name = "clock text " + num(i + 1) + " matches the local time";
    if (!parsed.ok) {
      check(false, name, "\"Y年M月D日H时M分S秒\", trailing zero fields left out",
            quoted(text) + " (" + parsed.why + ") [" + hex(text) + "]");
      continue;
    }
    // The program reads whole seconds: the shown time lies in
    // [before - 2 s, after + 2 s] once milliseconds are dropped.
    const long long second = 10000000;
    long long shown = file_time_of(parsed.time);
    long long lo = file_time_of(before) - 2 * second;
    long long hi = file_time_of(after) + 2 * second;
    bool ok = shown >= lo && shown <= hi;
    long long off_ms = (shown - file_time_of(before)) / 10000;
    check(ok, name, "within 2 s of " + time_text(before),
          quoted(text) + " = " + time_text(parsed.time) + " (" + num(off_ms) + " ms from the reading, " +
              num(parsed.fields) + " fields)");
  }
  check(distinct.size() >= 2, "clock text refreshed while the program runs",
        "at least 2 different texts in 3 readings 1.1 s apart", num(static_cast<long long>(distinct.size())) + " different");
  close_and_check_exit(app, w, "WM_CLOSE", WM_CLOSE, 0);
}

void scenario_countdown(const std::string& exe) {
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  if (!schedule_checked(app, w, "0", "1", "5")) return;

  // Remaining fields after k ticks of a 0/1/5 delay; the sixth tick shows
  // the borrow through a minute field that has reached "0".
  const char* const kAfterTicks[] = {"0/1/5", "0/1/4", "0/1/3", "0/1/2", "0/1/1", "-1/60/60", "-1/60/59"};
  const int kRows = sizeof kAfterTicks / sizeof kAfterTicks[0];

  // Every change of the remaining fields over 5.6 s (the first tick comes
  // about 1 s after scheduling).
  std::vector<Remaining> seen{read_remaining(w)};
  const unsigned long long end = now_ms() + 5600;
  while (now_ms() < end && app.running()) {
    Remaining r = read_remaining(w);
    if (!(r == seen.back())) seen.push_back(r);
    Sleep(15);
  }

  std::string sequence, expected_sequence;
  bool in_order = true;
  int first_k = -1, last_k = -1;
  for (size_t i = 0; i < seen.size(); ++i) {
    int k = -1;
    for (int j = 0; j < kRows; ++j) {
      if (seen[i].text() == kAfterTicks[j]) k = j;
    }
    sequence += (i ? " " : "") + seen[i].text();
    if (k < 0 || (i > 0 && k != last_k + 1)) in_order = false;
    if (i == 0) first_k = k;
    last_k = k;
  }
  for (int j = 0; j < kRows; ++j) expected_sequence += std::string(j ? " " : "") + kAfterTicks[j];
  bool ok = in_order && first_k >= 0 && first_k <= 1 && last_k >= 5;
  check(ok, "remaining fields fall one second per tick",
        "consecutive rows of " + expected_sequence + ", from tick 0 or 1 to at least tick 5", sequence);

  // R = 3600 h + 60 m + s drops by exactly one per change, from 65.
  std::string totals;
  bool totals_ok = true;
  long long previous = 66;
  for (size_t i = 0; i < seen.size(); ++i) {
    long long h = 0, m = 0, s = 0;
    bool numeric = to_long(seen[i].h, &h) && to_long(seen[i].m, &m) && to_long(seen[i].s, &s);
    long long r = 3600 * h + 60 * m + s;
    totals += (i ? " " : "") + (numeric ? num(r) : "?");
    if (!numeric || (i == 0 ? (r != 65 && r != 64) : r != previous - 1)) totals_ok = false;
    previous = r;
  }
  check(totals_ok, "3600h+60m+s equals 65 minus the ticks so far",
        "65 (or 64), then one less per change", totals);

  // Ticks come about a second apart.
  std::string gaps;
  bool paced = seen.size() >= 3;
  for (size_t i = 2; i < seen.size(); ++i) {
    unsigned long long gap = seen[i].at_ms - seen[i - 1].at_ms;
    gaps += (i > 2 ? " " : "") + num(static_cast<long long>(gap));
    if (gap < 600 || gap > 1500) paced = false;
  }
  check(paced, "ticks about 1000 ms apart", "every gap 600..1500 ms", gaps + " ms");
  app.kill();
}

void scenario_fold(const std::string& exe) {
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  // 30 h 70 min: the shutdown hour is 30..53 and the minute 70..129, so
  // the ticks have something to fold whatever the time of day.
  SYSTEMTIME before{};
  GetLocalTime(&before);
  const bool scheduled = schedule_checked(app, w, "30", "70", "45");
  Fields written = read_fields(w);
  SYSTEMTIME after{};
  GetLocalTime(&after);
  if (!scheduled) return;
  bool before_tick = written["编辑框7"] == "45";

  // What the Schedule command may have written, then what each tick makes
  // of it: hour and minute folded, the second left as it is.
  const ShutdownTimes written_times = shutdown_times(before, after, 30, 70, 45);
  auto fold_hour = [](int v) {
    if (v > 48) v -= 48;
    if (v > 24) v -= 24;
    return v;
  };
  auto fold_minute = [](int v) { return v > 60 ? v - 60 : v; };
  auto folded = [](const std::set<std::string>& texts, int (*fold)(int), int ticks) {
    std::set<std::string> out;
    for (const std::string& t : texts) {
      int v = std::stoi(t);
      for (int k = 0; k < ticks; ++k) v = fold(v);
      out.insert(num(v));
    }
    return out;
  };
  struct Stage {
    const char* when;
    const char* seconds_field;  // 编辑框7 at this stage
    std::set<std::string> hours, minutes, seconds;
  };
  Stage stages[3] = {{"before the first tick", "45", {}, {}, {}},
                     {"after the first tick", "44", {}, {}, {}},
                     {"after the second tick", "43", {}, {}, {}}};
  for (int ticks = 0; ticks < 3; ++ticks) {
    stages[ticks].hours = folded(written_times.hours, fold_hour, ticks);
    stages[ticks].minutes = folded(written_times.minutes, fold_minute, ticks);
    stages[ticks].seconds = written_times.seconds;
  }
  for (int i = 0; i < 3; ++i) {
    Stage& st = stages[i];
    Fields f = written;
    if (i > 0) {
      HWND secs = w.control("编辑框7");
      bool reached = wait_until([&] { return window_text(secs) == st.seconds_field; }, 2500);
      f = read_fields(w);
      if (!reached) {
        check(false, std::string("shutdown time ") + st.when, "编辑框7 reaching " + quoted(st.seconds_field),
              quoted(f["编辑框7"]));
        continue;
      }
    } else if (!before_tick) {
      check(false, std::string("shutdown time ") + st.when, "read before the first tick",
            "编辑框7 already " + quoted(written["编辑框7"]));
      continue;
    }
    std::string shown = f["编辑框8"] + ":" + f["编辑框9"] + ":" + f["编辑框10"];
    bool ok = st.hours.count(f["编辑框8"]) && st.minutes.count(f["编辑框9"]) && st.seconds.count(f["编辑框10"]);
    check(ok, std::string("shutdown time ") + st.when + " (hour:minute:second)",
          one_of(st.hours) + " : " + one_of(st.minutes) + " : " + one_of(st.seconds), shown);
  }
  app.kill();
}

void scenario_close_countdown(const std::string& exe) {
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  if (!schedule_checked(app, w, "0", "0", "3")) return;
  unsigned long long scheduled_at = now_ms();
  if (!click(w, "按钮2")) return;
  check_exit_zero(app, "关闭 before the delay");
  unsigned long long closed_after = now_ms() - scheduled_at;
  check(closed_after < 3000, "关闭 came within the 3 s delay", "under 3000 ms after scheduling",
        num(static_cast<long long>(closed_after)) + " ms");
  // Stay past the end of the delay: a power-off request would end this
  // whole Wine session, and the driver would never print its END line.
  Sleep(static_cast<DWORD>(closed_after < 5000 ? 5000 - closed_after : 0));
  print_line("waited 5 s past scheduling; the session is still up");
  check_traced("no power-off request after 关闭", app.pid(), "ExitWindowsEx", {});
}

void scenario_power_off(const std::string& exe) {
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  char pid[16];
  snprintf(pid, sizeof pid, "%04lx", static_cast<unsigned long>(app.pid()));
  print_line(std::string("PID ") + pid);
  if (!schedule_checked(app, w, "0", "0", "3")) return;
  print_line("SCHEDULED at tick " + num(static_cast<long long>(GetTickCount())));
  // The power-off request ends every process of the session, this driver
  // included; getting past this wait means it never came.
  Sleep(15000);
  check(false, "the Wine session ended by the power-off request", "driver killed within 15 s",
        "driver still running 15 s after scheduling a 3 s delay");
  app.kill();
}

}  // namespace e2e
