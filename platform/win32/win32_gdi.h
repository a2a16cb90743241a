// Small owners for GDI state, so a paint can never leave an object selected
// into a DC or a DC unreleased, whichever way the painting code returns.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace dv::win32 {

// Selects an object into a DC and selects the previous one back on exit.
// The previous object must be back in place before the DC is released or
// the selected object deleted, or GDI keeps it alive.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, old_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// BeginPaint/EndPaint as one scope.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd_, &ps_); }
  ~PaintScope() { EndPaint(hwnd_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }
  const RECT& dirty() const { return ps_.rcPaint; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// A DC obtained with GetDC or GetWindowDC, released on exit.
class WindowDc {
 public:
  WindowDc(HWND hwnd, bool whole_window)
      : hwnd_(hwnd), dc_(whole_window ? GetWindowDC(hwnd) : GetDC(hwnd)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// A GDI object we created (brush, pen, bitmap), deleted on exit. Select it
// with a SelectedObject declared after this owner, so the old object is back
// in the DC before the deletion.
template <typename Handle>
class GdiObject {
 public:
  explicit GdiObject(Handle handle) : handle_(handle) {}
  ~GdiObject() {
    if (handle_ != nullptr) DeleteObject(handle_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  Handle get() const { return handle_; }

 private:
  Handle handle_;
};

// Off-screen painting: a memory DC with a bitmap of the target's size
// selected into it. copy_to() puts the picture on the target with one
// BitBlt; the destructor selects the old bitmap back, then deletes the DC
// and the bitmap.
class OffscreenBuffer {
 public:
  OffscreenBuffer(HDC target, int width, int height)
      : width_(width),
        height_(height),
        dc_(CreateCompatibleDC(target)),
        bitmap_(CreateCompatibleBitmap(target, width > 0 ? width : 1, height > 0 ? height : 1)) {
    if (dc_ != nullptr && bitmap_ != nullptr) old_bitmap_ = SelectObject(dc_, bitmap_);
  }
  ~OffscreenBuffer() {
    if (old_bitmap_ != nullptr) SelectObject(dc_, old_bitmap_);
    if (dc_ != nullptr) DeleteDC(dc_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
  }
  OffscreenBuffer(const OffscreenBuffer&) = delete;
  OffscreenBuffer& operator=(const OffscreenBuffer&) = delete;

  // False when the system had no memory for the DC or the bitmap.
  bool ok() const { return old_bitmap_ != nullptr; }
  HDC dc() const { return dc_; }
  void copy_to(HDC target, int x, int y) const {
    BitBlt(target, x, y, width_, height_, dc_, 0, 0, SRCCOPY);
  }

 private:
  int width_;
  int height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_bitmap_ = nullptr;
};

}  // namespace dv::win32
