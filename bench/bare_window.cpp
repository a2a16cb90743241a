// The smallest program of Dovrane's kind: a window class of its own, one
// window with an edit box, a button and a label in the default GUI font, and
// a message loop. It is the yardstick for size, start-up and idle cost.
#include <windows.h>

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
  WNDCLASSA wc{};
  wc.lpfnWndProc = window_proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (RegisterClassA(&wc) == 0) return 1;

  HWND hwnd = CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                              CW_USEDEFAULT, CW_USEDEFAULT, 176, 120, nullptr, nullptr, instance,
                              nullptr);
  if (hwnd == nullptr) return 1;
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(hwnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}
