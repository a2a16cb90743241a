// The system's DPI, which the whole window is scaled by.
//
// The program declares itself DPI-aware in its manifest (system-aware: one
// DPI for every screen, as of the moment the user logged on), so the system
// does not stretch its window as a bitmap and the window draws itself at
// the real size instead.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/win32/win32_dll_search.h"

namespace dv::win32 {

// GetDpiForSystem where the system has it (Windows 10 1607 on), otherwise
// LOGPIXELSY of the screen, which a DPI-aware program gets unchanged. Read
// once: a system DPI only changes with a new logon.
inline int system_dpi() {
  static const int dpi = [] {
    if (const auto get = optional_entry<UINT(WINAPI*)()>(L"user32.dll", "GetDpiForSystem")) {
      if (const UINT d = get()) return static_cast<int>(d);
    }
    int d = 0;
    if (HDC screen = GetDC(nullptr)) {
      d = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
    }
    return d > 0 ? d : 96;
  }();
  return dpi;
}

}  // namespace dv::win32
