// The smallest program of Dovrane's kind: a window class of its own, one
// window with an edit box, a button and a label in the default GUI font, and
// a message loop. It is the yardstick for size, start-up and idle cost.
#include <windows.h>

#include "bench/window_main.h"

namespace {

const char kClassName[] = "BenchBareWindow";
const char kTitle[] = "Bare window";

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      const HINSTANCE instance = reinterpret_cast<CREATESTRUCTA*>(lp)->hInstance;
      struct Control {
        const char* cls;
        const char* text;
        DWORD style;
        int x, y, w, h;
      };
      const Control controls[] = {
          {"EDIT", "0", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 8, 8, 64, 24},
          {"BUTTON", "OK", BS_PUSHBUTTON | WS_TABSTOP, 80, 8, 64, 24},
          {"STATIC", "Seconds", SS_LEFT, 8, 40, 136, 16},
      };
      const HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
      for (const Control& c : controls) {
        HWND child = CreateWindowExA(0, c.cls, c.text, WS_CHILD | WS_VISIBLE | c.style, c.x, c.y,
                                     c.w, c.h, hwnd, nullptr, instance, nullptr);
        if (child == nullptr) return -1;
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      }
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  return bench::run_window(instance, kClassName, kTitle, window_proc, 176, 120, show, true);
}
