// The entry of the bench's small window programs: a class of their own, one
// window of the given outer size, and the message loop, written once so the
// programs differ only in what their windows do.
#pragma once

#include <windows.h>

namespace bench {

// Registers the class, shows the window and runs the loop until WM_QUIT;
// returns its code, or 1 when the window could not be made. dialog_keys:
// Tab and Enter move between the controls, as in a dialog.
inline int run_window(HINSTANCE instance, const char* class_name, const char* title,
                      WNDPROC proc, int width, int height, int show, bool dialog_keys) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = class_name;
  if (RegisterClassA(&wc) == 0) return 1;

  HWND hwnd = CreateWindowExA(0, class_name, title, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                              CW_USEDEFAULT, CW_USEDEFAULT, width, height, nullptr, nullptr,
                              instance, nullptr);
  if (hwnd == nullptr) return 1;
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (dialog_keys && IsDialogMessageA(hwnd, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace bench
