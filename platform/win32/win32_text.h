// Reading a window's text and font, for the backend's own painting and the
// fields.
#pragma once

#include <windows.h>

#include <string>

namespace dv::win32 {

// The window's text as it stands now, asked anew at every call.
inline std::string window_text(HWND hwnd) {
  const int len = GetWindowTextLengthA(hwnd);
  if (len <= 0) return std::string();
  std::string text(static_cast<std::size_t>(len) + 1, '\0');
  const int got = GetWindowTextA(hwnd, &text[0], len + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

// The font the window draws its text in; the system font for a window that
// was never given one.
inline HFONT font_of(HWND hwnd) {
  auto font = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
  return font != nullptr ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

}  // namespace dv::win32
