// Where the program's GBK texts meet the system.
//
// Inside, every text is GBK bytes, whatever the system's ANSI code page is.
// The backend talks to Windows with the W forms only and converts here, with
// code page 936 named, never CP_ACP: an English Windows (code page 1252)
// would otherwise read the Chinese texts as Latin-1. A character that GBK
// cannot hold comes back as "?", as an ANSI program gets it on a Chinese
// Windows.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace dv::win32 {

constexpr UINT kGbk = 936;

// A UTF-16 text as the W calls take it: zero-terminated, size() without
// the terminator. Kept in a vector rather than a std::wstring, whose
// explicit instantiation would bring some 20 KB of code into the program
// for a handful of conversions.
class WideText {
 public:
  WideText() : chars_(1, L'\0') {}
  explicit WideText(std::size_t n) : chars_(n + 1, L'\0') {}
  const wchar_t* c_str() const { return chars_.data(); }
  wchar_t* data() { return chars_.data(); }
  int size() const { return static_cast<int>(chars_.size() - 1); }
  bool empty() const { return chars_.size() == 1; }
  // Keeps the first n characters.
  void truncate(std::size_t n) {
    if (n + 1 < chars_.size()) {
      chars_.resize(n + 1);
      chars_[n] = L'\0';
    }
  }

 private:
  std::vector<wchar_t> chars_;
};

// GBK bytes to UTF-16.
inline WideText widen(std::string_view gbk) {
  if (gbk.empty()) return WideText();
  const int in = static_cast<int>(gbk.size());
  const int n = MultiByteToWideChar(kGbk, 0, gbk.data(), in, nullptr, 0);
  if (n <= 0) return WideText();
  WideText out(static_cast<std::size_t>(n));
  MultiByteToWideChar(kGbk, 0, gbk.data(), in, out.data(), n);
  return out;
}

// UTF-16 to GBK bytes; what GBK cannot hold becomes "?".
inline std::string narrow(const WideText& text) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(kGbk, 0, text.c_str(), text.size(), nullptr, 0, nullptr,
                                    nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(kGbk, 0, text.c_str(), text.size(), &out[0], n, nullptr, nullptr);
  return out;
}

// The window's text as it stands now, asked anew at every call, as the
// system holds it (for drawing).
inline WideText window_text_wide(HWND hwnd) {
  const int len = GetWindowTextLengthW(hwnd);
  if (len <= 0) return WideText();
  WideText text(static_cast<std::size_t>(len));
  const int got = GetWindowTextW(hwnd, text.data(), len + 1);
  text.truncate(got > 0 ? static_cast<std::size_t>(got) : 0);
  return text;
}

// The same, as the program's GBK bytes (for the fields).
inline std::string window_text(HWND hwnd) { return narrow(window_text_wide(hwnd)); }

// The font the window draws its text in; the system font for a window that
// was never given one.
inline HFONT font_of(HWND hwnd) {
  auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  return font != nullptr ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

}  // namespace dv::win32
