// The main window's class and procedure: background, control colours,
// button clicks, activation, the destroy request and the window's end.
#include "platform/win32/win32_gdi.h"
#include "platform/win32/win32_platform.h"

namespace dv {

bool Win32Platform::register_main_class(const wchar_t* class_name) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance_, class_name, &existing)) return true;

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = main_window_proc;
  wc.hInstance = instance_;
  // The icons are set on the window itself, big and small (create_window).
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  // No class brush: the client is painted with button face by the window
  // procedure, looked up at each paint.
  wc.hbrBackground = nullptr;
  wc.lpszClassName = class_name;
  return RegisterClassExW(&wc) != 0;
}

LRESULT CALLBACK Win32Platform::main_window_proc(HWND hwnd, UINT msg, WPARAM wp,
                                                 LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Win32Platform*>(
        reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  // Messages sent before WM_NCCREATE (WM_GETMINMAXINFO) find no owner yet.
  auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  return self->on_main_message(hwnd, msg, wp, lp);
}

LRESULT Win32Platform::on_main_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills what needs it; filling here too paints twice
    case WM_PAINT: {
      win32::PaintScope paint(hwnd);
      FillRect(paint.dc(), &paint.dirty(), GetSysColorBrush(COLOR_BTNFACE));
      return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      // Enabled edit boxes ask with WM_CTLCOLOREDIT, disabled and read-only
      // ones with WM_CTLCOLORSTATIC; both get the box's own colours.
      const LRESULT brush =
          control_colours(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
      return brush != 0 ? brush : DefWindowProcW(hwnd, msg, wp, lp);
    }
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED && lp != 0 && sink_ != nullptr) {
        const int id = id_of(reinterpret_cast<HWND>(lp));
        const Control* c = control_of(id);
        if (c != nullptr && c->kind == ControlKind::Button) sink_->on_button_clicked(id);
      }
      return 0;
    case WM_ACTIVATE:
      // The logic remembers and places the focus itself, so the default
      // handling (focus to the main window) is skipped.
      if (sink_ != nullptr) {
        if (LOWORD(wp) == WA_INACTIVE) sink_->on_deactivate();
        else sink_->on_activate();
      }
      return 0;
    case kDestroyRequestMessage:
      if (sink_ != nullptr) sink_->on_destroy_request_message();
      return 0;
    case WM_NCDESTROY: {
      const LRESULT result = DefWindowProcW(hwnd, msg, wp, lp);
      main_window_gone();
      return result;
    }
    default:
      // WM_CLOSE included: DefWindowProc destroys the window.
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

LRESULT Win32Platform::control_colours(HDC dc, HWND control) {
  const Control* c = control_of(id_of(control));
  if (c == nullptr || c->kind != ControlKind::EditBox) return 0;
  SetTextColor(dc, colorref(c->text_colour));
  SetBkColor(dc, colorref(c->background));
  return reinterpret_cast<LRESULT>(c->background_brush);
}

void Win32Platform::main_window_gone() {
  // Every child has had its WM_NCDESTROY before the parent's, so nothing
  // paints with the brushes or reads the records any more.
  main_ = nullptr;
  controls_.clear();
  delete_brushes();
  if (sink_ != nullptr) sink_->on_window_gone();
}

}  // namespace dv
