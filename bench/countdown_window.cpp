// The yardstick for Dovrane's idle cost while a countdown runs: a window
// doing the same steady work and nothing else. Two window timers of one
// second each write a short text into an edit box on every tick, as
// Dovrane's clock and countdown timers do: one writes the local time, the
// other a number of seconds that goes down by one per tick, from 1:59:59.
// Built with Dovrane.exe's own compile and link options (bench/CMakeLists.txt).
#include <windows.h>

#include <cstdio>

#include "bench/window_main.h"

namespace {

const char kClassName[] = "BenchCountdownWindow";
const char kTitle[] = "Countdown window";

constexpr UINT_PTR kClockTimer = 1;
constexpr UINT_PTR kCountdownTimer = 2;

// The edit boxes, at places the bench driver finds them by.
HWND g_clock = nullptr;      // client (8, 8)
HWND g_remaining = nullptr;  // client (8, 40): seconds left
long g_seconds_left = 7199;

void show_number(HWND edit, long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%ld", value);
  SetWindowTextA(edit, text);
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      const HINSTANCE instance = reinterpret_cast<CREATESTRUCTA*>(lp)->hInstance;
      const HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
      const DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
      g_clock = CreateWindowExA(0, "EDIT", "", style | ES_READONLY, 8, 8, 144, 24, hwnd, nullptr,
                                instance, nullptr);
      g_remaining = CreateWindowExA(0, "EDIT", "", style | ES_READONLY, 8, 40, 144, 24, hwnd,
                                    nullptr, instance, nullptr);
      if (g_clock == nullptr || g_remaining == nullptr) return -1;
      SendMessageA(g_clock, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      SendMessageA(g_remaining, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      show_number(g_remaining, g_seconds_left);
      if (SetTimer(hwnd, kClockTimer, 1000, nullptr) == 0 ||
          SetTimer(hwnd, kCountdownTimer, 1000, nullptr) == 0) {
        return -1;
      }
      return 0;
    }
    case WM_TIMER:
      if (wp == kClockTimer) {
        SYSTEMTIME t;
        GetLocalTime(&t);
        char text[32];
        std::snprintf(text, sizeof text, "%u-%u-%u %u:%u:%u", t.wYear, t.wMonth, t.wDay, t.wHour,
                      t.wMinute, t.wSecond);
        SetWindowTextA(g_clock, text);
      } else if (wp == kCountdownTimer) {
        show_number(g_remaining, --g_seconds_left);
      }
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, kClockTimer);
      KillTimer(hwnd, kCountdownTimer);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  return bench::run_window(instance, kClassName, kTitle, window_proc, 176, 112, show, false);
}
