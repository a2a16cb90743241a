// The restyle operation: subclassing of push buttons and edit boxes, the
// records that keep their state flags, and the WH_CALLWNDPROC hook that
// takes hold of those created later on the thread.
//
// The looks of all three schemes are the one look of ui/looks.h: the
// program only ever asks for the third, and the palettes of the other two
// were never drawn.
#include "platform/win32/win32_restyle.h"

#include <unordered_map>

#include "platform/win32/win32_gdi.h"

namespace dv::win32 {

namespace {

enum class Kind { PushButton, EditBox };

// What we keep for one restyled window, found by its handle.
struct Restyled {
  Kind kind = Kind::PushButton;
  WNDPROC previous = nullptr;  // the procedure we replaced
  bool disabled = false;
  bool pressed = false;
  bool hot = false;
  bool focused = false;
  bool is_default = false;
  bool read_only = false;  // taken once, when the box is restyled
  bool bordered = false;   // edit boxes: whether the frame is drawn
  // Someone subclassed the window after us, so our procedure could not be
  // taken out of the chain: it only passes messages on until the window
  // is gone.
  bool detached = false;
};

// Everything the restyling knows. One per process: the program has one
// thread, and the hook procedure has no way to carry a context.
struct Restyling {
  HHOOK hook = nullptr;
  // Node-based, so a record stays where it is while others come and go;
  // still, code that called into the system looks its record up again.
  std::unordered_map<HWND, Restyled> windows;
};

// The window property that note_bordered_edit() leaves on a box.
constexpr const wchar_t* kBorderedProp = L"DvBorderedEdit";

Restyling& restyling() {
  static Restyling state;
  return state;
}

Restyled* record_of(HWND hwnd) {
  auto& windows = restyling().windows;
  auto it = windows.find(hwnd);
  return it != windows.end() ? &it->second : nullptr;
}

LRESULT CALLBACK restyled_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

bool class_is(HWND hwnd, const wchar_t* name) {
  wchar_t class_name[64] = {};
  return GetClassNameW(hwnd, class_name, 64) > 0 && lstrcmpiW(class_name, name) == 0;
}

// Which windows the restyling takes: push buttons (not picture buttons) and
// edit boxes, except the fields of an IP-address control.
bool qualifies(HWND hwnd, Kind* kind) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  if (class_is(hwnd, L"Button")) {
    const DWORD type = style & BS_TYPEMASK;
    if ((type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) && (style & BS_BITMAP) == 0) {
      *kind = Kind::PushButton;
      return true;
    }
    return false;
  }
  if (class_is(hwnd, L"Edit")) {
    HWND parent = GetParent(hwnd);
    if (parent != nullptr && class_is(parent, L"SysIPAddress32")) return false;
    *kind = Kind::EditBox;
    return true;
  }
  return false;
}

ButtonState button_state(const Restyled& r) {
  ButtonState s;
  s.disabled = r.disabled;
  s.pressed = r.pressed;
  s.hot = r.hot;
  s.focused = r.focused;
  s.is_default = r.is_default;
  return s;
}

EditState edit_state(const Restyled& r) {
  EditState s;
  s.disabled = r.disabled;
  s.read_only = r.read_only;
  return s;
}

// Paints the button now, over whatever the system just drew.
void redraw_button(HWND hwnd) {
  const Restyled* r = record_of(hwnd);
  if (r == nullptr || r->detached || !IsWindowVisible(hwnd)) return;
  WindowDc dc(hwnd, false);
  paint_push_button(hwnd, dc.dc(), button_state(*r));
}

void redraw_edit_frame(HWND hwnd) {
  const Restyled* r = record_of(hwnd);
  if (r == nullptr || r->detached || !r->bordered) return;
  paint_edit_frame(hwnd, edit_state(*r));
}

void repaint_now(HWND hwnd) {
  if (!IsWindowVisible(hwnd)) return;  // the first paint will show the look
  RedrawWindow(hwnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
}

// `create_style` is the style the window was created with, when known: the
// style it has now may have lost WS_BORDER to the edit control itself.
void take_hold(HWND hwnd, Kind kind, DWORD create_style) {
  Restyled* existing = record_of(hwnd);
  if (existing != nullptr && !existing->detached) return;

  const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  Restyled r;
  r.kind = kind;
  r.disabled = (style & WS_DISABLED) != 0;
  r.focused = GetFocus() == hwnd;
  if (kind == Kind::PushButton) {
    r.is_default = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    r.pressed = (SendMessageW(hwnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
  } else {
    r.read_only = (style & ES_READONLY) != 0;
    const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    r.bordered = ((style | create_style) & WS_BORDER) != 0 ||
                 (ex_style & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0 ||
                 GetPropW(hwnd, kBorderedProp) != nullptr;
  }

  if (existing != nullptr) {
    // Still in the chain from an earlier installation: take it up again.
    r.previous = existing->previous;
    *existing = r;
  } else {
    r.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&restyled_proc)));
    if (r.previous == nullptr) return;  // the window would not take our procedure
    restyling().windows.emplace(hwnd, r);
  }
  repaint_now(hwnd);
}

void take_hold_if_qualifies(HWND hwnd, DWORD create_style) {
  Kind kind;
  if (qualifies(hwnd, &kind)) take_hold(hwnd, kind, create_style);
}

BOOL CALLBACK take_child(HWND hwnd, LPARAM) {
  take_hold_if_qualifies(hwnd, 0);
  return TRUE;
}

BOOL CALLBACK take_top_level(HWND hwnd, LPARAM) {
  take_hold_if_qualifies(hwnd, 0);
  // EnumChildWindows walks all descendants, not only the direct children.
  EnumChildWindows(hwnd, take_child, 0);
  return TRUE;
}

LRESULT CALLBACK create_hook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lp);
    // Seen before the window procedure handles WM_CREATE: the window exists,
    // with its class, style and parent, and is not visible yet.
    if (call->message == WM_CREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(call->lParam);
      take_hold_if_qualifies(call->hwnd, create != nullptr ? create->style : 0);
    }
  }
  return CallNextHookEx(restyling().hook, code, wp, lp);
}

void install() {
  EnumThreadWindows(GetCurrentThreadId(), take_top_level, 0);
  // Without the hook only the later controls keep the system's look.
  restyling().hook = SetWindowsHookExW(WH_CALLWNDPROC, create_hook, nullptr, GetCurrentThreadId());
}

// Gives every restyled window its previous procedure back where we still
// are on top of its chain; returns what UnhookWindowsHookEx said, or 0.
int remove() {
  Restyling& s = restyling();
  int result = 0;
  if (s.hook != nullptr) {
    result = UnhookWindowsHookEx(s.hook) ? 1 : 0;
    s.hook = nullptr;
  }
  for (auto it = s.windows.begin(); it != s.windows.end();) {
    HWND hwnd = it->first;
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    if (current == &restyled_proc) {
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.previous));
      it = s.windows.erase(it);
    } else {
      it->second.detached = true;
      ++it;
    }
    // The system's look comes back with the next paint.
    if (IsWindowVisible(hwnd)) {
      RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
  }
  return result;
}

// Updates the flags a message changes. True when the look changed.
bool update_flags(HWND hwnd, Restyled& r, UINT msg, WPARAM wp) {
  const Restyled before = r;
  switch (msg) {
    case WM_ENABLE:
      r.disabled = wp == 0;
      break;
    case WM_SETFOCUS:
      r.focused = true;
      break;
    case WM_KILLFOCUS:
      r.focused = false;
      break;
    case BM_SETSTATE:
      if (r.kind == Kind::PushButton) r.pressed = wp != 0;
      break;
    case BM_SETSTYLE:
      if (r.kind == Kind::PushButton) r.is_default = (wp & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
      break;
    case WM_MOUSEMOVE:
      // Moving on with the left button held (a press that started elsewhere)
      // does not make the control hot.
      if (!r.hot && (wp & MK_LBUTTON) == 0) {
        r.hot = true;
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = hwnd;
        TrackMouseEvent(&track);
      }
      break;
    case WM_MOUSELEAVE:
      r.hot = false;
      break;
    default:
      break;
  }
  return before.disabled != r.disabled || before.pressed != r.pressed || before.hot != r.hot ||
         before.focused != r.focused || before.is_default != r.is_default;
}

// Messages after which the system button has drawn itself (directly, not
// through WM_PAINT), so ours must go over it at once.
bool button_draws_itself(UINT msg) {
  switch (msg) {
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE:
    case WM_SYSCOLORCHANGE:
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case BM_SETCHECK:
    case BM_CLICK:
      return true;
    default:
      return false;
  }
}

LRESULT button_message(HWND hwnd, Restyled& r, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT: {
      PaintScope paint(hwnd);
      paint_push_button(hwnd, paint.dc(), button_state(r));
      return 0;
    }
    case WM_PRINTCLIENT:
      paint_push_button(hwnd, reinterpret_cast<HDC>(wp), button_state(r));
      return 0;
    default:
      break;
  }
  const bool changed = update_flags(hwnd, r, msg, wp);
  const LRESULT result = CallWindowProcW(r.previous, hwnd, msg, wp, lp);
  // r may be gone now: redraw_button looks the record up again.
  if (changed || button_draws_itself(msg)) redraw_button(hwnd);
  return result;
}

// A disabled box is painted by us, so its own text colour shows instead of
// the system's grey. A password box keeps the system's painting.
bool paints_client_itself(HWND hwnd, const Restyled& r) {
  return r.disabled && (GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_PASSWORD) == 0;
}

LRESULT edit_message(HWND hwnd, Restyled& r, UINT msg, WPARAM wp, LPARAM lp) {
  const WNDPROC previous = r.previous;
  switch (msg) {
    case WM_ERASEBKGND:
      if (paints_client_itself(hwnd, r)) return 1;
      return CallWindowProcW(previous, hwnd, msg, wp, lp);
    case WM_PAINT:
      if (paints_client_itself(hwnd, r)) {
        {
          PaintScope paint(hwnd);
          paint_disabled_edit(hwnd, paint.dc());
        }
        redraw_edit_frame(hwnd);
        return 0;
      } else {
        const LRESULT result = CallWindowProcW(previous, hwnd, msg, wp, lp);
        redraw_edit_frame(hwnd);
        return result;
      }
    case WM_NCPAINT: {
      // The procedures below draw the border (and the bands of a centred
      // line); the frame goes on top of them.
      const LRESULT result = CallWindowProcW(previous, hwnd, msg, wp, lp);
      redraw_edit_frame(hwnd);
      return result;
    }
    default:
      break;
  }
  const bool changed = update_flags(hwnd, r, msg, wp);
  const LRESULT result = CallWindowProcW(previous, hwnd, msg, wp, lp);
  if (changed) {
    redraw_edit_frame(hwnd);
    // Enabled and disabled boxes paint their client area differently.
    if (msg == WM_ENABLE) InvalidateRect(hwnd, nullptr, TRUE);
  }
  return result;
}

LRESULT CALLBACK restyled_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Restyled* r = record_of(hwnd);
  if (r == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);  // never ours
  const WNDPROC previous = r->previous;

  if (msg == WM_DESTROY) {
    RemovePropW(hwnd, kBorderedProp);
    // The record lives until the window goes; give back the procedure we
    // replaced, unless a later subclass sits on top of us.
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    if (current == &restyled_proc) {
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      restyling().windows.erase(hwnd);
    } else {
      r->detached = true;
    }
    return CallWindowProcW(previous, hwnd, msg, wp, lp);
  }
  if (msg == WM_NCDESTROY) {
    restyling().windows.erase(hwnd);
    return CallWindowProcW(previous, hwnd, msg, wp, lp);
  }
  if (r->detached) return CallWindowProcW(previous, hwnd, msg, wp, lp);
  return r->kind == Kind::PushButton ? button_message(hwnd, *r, msg, wp, lp)
                                     : edit_message(hwnd, *r, msg, wp, lp);
}

}  // namespace

void note_bordered_edit(HWND edit) {
  SetPropW(edit, kBorderedProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(1)));
}

int restyle_thread(int scheme) {
  const int unhooked = remove();
  if (scheme < 1 || scheme > 3) return unhooked;
  install();
  return 1;
}

}  // namespace dv::win32
