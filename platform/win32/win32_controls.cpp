// The controls of the main window: creating them, their colours, the
// vertically centred single-line edit box, and the window procedures of the
// kinds we draw ourselves (label, hyper linker) and of the timer windows.
#include <algorithm>
#include <string>

#include "platform/win32/win32_gdi.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace dv {

namespace {

constexpr const wchar_t* kLabelClass = L"DvLabel";
constexpr const wchar_t* kHyperLinkerClass = L"DvHyperLinker";
constexpr const wchar_t* kTimerClass = L"DvTimer";

bool register_class(HINSTANCE instance, const wchar_t* name, WNDPROC proc,
                    UINT style, HCURSOR cursor) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, name, &existing)) return true;  // second window
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = cursor;
  wc.hbrBackground = nullptr;  // every paint fills the whole control itself
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

bool Win32Platform::register_control_classes() {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  return register_class(instance_, kLabelClass, label_proc, 0, arrow) &&
         // Double clicks are a message of their own on the link, so the second
         // press of a double click is not a second press.
         register_class(instance_, kHyperLinkerClass, hyper_linker_proc,
                        CS_DBLCLKS, LoadCursorW(nullptr, IDC_HAND)) &&
         register_class(instance_, kTimerClass, timer_proc, 0, arrow);
}

// --- Colours and brushes ----------------------------------------------------

COLORREF Win32Platform::colorref(Colour colour) {
  // Button face is looked up at every use, so a change of the system's
  // colours shows at the next paint.
  return colour.button_face ? GetSysColor(COLOR_BTNFACE)
                            : RGB(colour.r, colour.g, colour.b);
}

HBRUSH Win32Platform::brush_for(Colour colour) {
  // The system's own brush follows the colour scheme and must not be deleted.
  if (colour.button_face) return GetSysColorBrush(COLOR_BTNFACE);
  const COLORREF rgb = colorref(colour);
  auto it = std::find_if(brushes_.begin(), brushes_.end(),
                         [rgb](const CachedBrush& b) { return b.colour == rgb; });
  if (it != brushes_.end()) return it->brush;
  // One brush per colour for the life of the window: the edit boxes ask for
  // their background at every paint, and a brush per paint would leak.
  HBRUSH brush = CreateSolidBrush(rgb);
  if (brush != nullptr) brushes_.push_back(CachedBrush{rgb, brush});
  return brush;
}

void Win32Platform::delete_brushes() {
  for (const CachedBrush& b : brushes_) DeleteObject(b.brush);
  brushes_.clear();
}

// --- Creation -----------------------------------------------------------------

bool Win32Platform::create_control(int id, const ControlDesc& desc) {
  if (main_ == nullptr || id < 0) return false;
  const auto slot = static_cast<std::size_t>(id);
  if (slot < controls_.size() && controls_[slot] != nullptr) return false;

  auto record = std::make_unique<Control>();
  Control& c = *record;
  c.owner = this;
  c.id = id;
  c.kind = desc.kind;
  c.text_colour = desc.text_colour;
  c.background = desc.background;
  c.hover_colour = desc.hover_colour;
  c.background_brush = brush_for(desc.background);

  // Created hidden: the caller shows the visible ones once all exist.
  DWORD style = WS_CHILD;
  if (desc.tab_stop) style |= WS_TABSTOP;
  if (desc.disabled) style |= WS_DISABLED;

  HWND hwnd = nullptr;
  switch (desc.kind) {
    case ControlKind::EditBox:
      hwnd = create_edit_box(c, desc, style);
      break;
    case ControlKind::Button:
      hwnd = CreateWindowExW(
          0, L"BUTTON", win32::widen(desc.text).c_str(),
          style | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE, desc.x,
          desc.y, desc.width, desc.height, main_,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kChildIdBase + id)),
          instance_, nullptr);
      break;
    case ControlKind::Label:
      hwnd = create_own_control(c, desc, style, kLabelClass);
      break;
    case ControlKind::HyperLinker:
      hwnd = create_own_control(c, desc, style, kHyperLinkerClass);
      break;
    case ControlKind::Timer:
      // Never shown and disabled, so it can take no input of any kind.
      hwnd = create_own_control(c, desc, style | WS_DISABLED, kTimerClass);
      break;
  }
  if (hwnd == nullptr) return false;
  c.hwnd = hwnd;

  if (slot >= controls_.size()) controls_.resize(slot + 1);
  controls_[slot] = std::move(record);

  // The font goes in last: for an edit box it also lays out the centred line.
  if (desc.kind != ControlKind::Timer) {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(gui_font_), FALSE);
  }
  return true;
}

HWND Win32Platform::create_edit_box(Control& c, const ControlDesc& desc, DWORD style) {
  DWORD ex_style = 0;
  if (desc.border == EditBorder::ClientEdge) ex_style |= WS_EX_CLIENTEDGE;
  else style |= WS_BORDER;

  if (desc.multiline) {
    // The clock field: text wraps and grows downwards, never scrolls sideways.
    style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
  } else {
    style |= ES_AUTOHSCROLL;
  }
  style |= desc.align == TextAlign::Centre ? ES_CENTER : ES_LEFT;

  HWND hwnd = CreateWindowExW(
      ex_style, L"EDIT", win32::widen(desc.text).c_str(), style, desc.x, desc.y, desc.width,
      desc.height, main_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kChildIdBase + c.id)),
      instance_, nullptr);
  if (hwnd == nullptr) return nullptr;

  if (!desc.multiline) {
    // The system edit puts a single line at the top of its client area; ours
    // sit in the middle of the box. Wrap the edit procedure so the client
    // area shrinks to one centred line (see edit_box_calc_size).
    c.hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&c));
    c.edit_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&edit_box_proc)));
  }
  return hwnd;
}

HWND Win32Platform::create_own_control(Control& c, const ControlDesc& desc,
                                       DWORD style, const wchar_t* class_name) {
  // The record travels in the create parameters; WM_NCCREATE files it in
  // GWLP_USERDATA before any other message needs it.
  return CreateWindowExW(
      0, class_name, win32::widen(desc.text).c_str(), style, desc.x, desc.y, desc.width,
      desc.height, main_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kChildIdBase + c.id)),
      instance_, &c);
}

// --- The single-line edit box -------------------------------------------------

void Win32Platform::measure_line(Control& c) {
  win32::WindowDc dc(c.hwnd, false);
  if (dc.dc() == nullptr) return;
  win32::SelectedObject selected(dc.dc(), win32::font_of(c.hwnd));
  SIZE size{};
  if (GetTextExtentPoint32W(dc.dc(), L"W", 1, &size)) c.line_height = size.cy;
}

LRESULT Win32Platform::edit_box_calc_size(Control& c, HWND hwnd, WPARAM wp, LPARAM lp) {
  RECT* rect = wp ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0]
                  : reinterpret_cast<RECT*>(lp);
  const RECT outer = *rect;
  // The system takes off the border first; what is left is the inner area.
  const LRESULT result = CallWindowProcW(c.edit_proc, hwnd, WM_NCCALCSIZE, wp, lp);
  c.frame_top = rect->top - outer.top;
  c.frame_bottom = outer.bottom - rect->bottom;

  // One line of text, starting half the spare height below the inner top;
  // the bands above and below become frame, painted in WM_NCPAINT.
  const int inner_height = rect->bottom - rect->top;
  if (c.line_height > 0 && c.line_height < inner_height) {
    rect->top += (inner_height - c.line_height) / 2;
    rect->bottom = rect->top + c.line_height;
  }
  return result;
}

void Win32Platform::edit_box_paint_bands(const Control& c, HWND hwnd) {
  RECT window{};
  RECT client{};
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);

  // Everything in window coordinates, as a window DC expects.
  const int left = origin.x - window.left;
  const int right = left + client.right;
  const int client_top = origin.y - window.top;
  const int client_bottom = client_top + client.bottom;
  const int inner_bottom = (window.bottom - window.top) - c.frame_bottom;
  const RECT above{left, c.frame_top, right, client_top};
  const RECT below{left, client_bottom, right, inner_bottom};

  win32::WindowDc dc(hwnd, true);
  if (dc.dc() == nullptr) return;
  if (above.bottom > above.top) FillRect(dc.dc(), &above, c.background_brush);
  if (below.bottom > below.top) FillRect(dc.dc(), &below, c.background_brush);
}

LRESULT CALLBACK Win32Platform::edit_box_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* c = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (c == nullptr || c->edit_proc == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  const WNDPROC system_proc = c->edit_proc;

  switch (msg) {
    case WM_SETFONT: {
      const LRESULT result = CallWindowProcW(system_proc, hwnd, msg, wp, lp);
      // A new font means a new line height: have the frame laid out again.
      measure_line(*c);
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                       SWP_FRAMECHANGED);
      return result;
    }
    case WM_NCCALCSIZE:
      return edit_box_calc_size(*c, hwnd, wp, lp);
    case WM_NCPAINT: {
      // The system draws the border; the bands inside it are ours.
      const LRESULT result = CallWindowProcW(system_proc, hwnd, msg, wp, lp);
      edit_box_paint_bands(*c, hwnd);
      return result;
    }
    case WM_NCHITTEST: {
      // A click on a band above or below the text still belongs to the box,
      // as it would if the text filled the box.
      const LRESULT hit = CallWindowProcW(system_proc, hwnd, msg, wp, lp);
      if (hit != HTBORDER && hit != HTNOWHERE) return hit;
      RECT window{};
      GetWindowRect(hwnd, &window);
      const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
      const bool inside_frame = pt.y >= window.top + c->frame_top &&
                                pt.y < window.bottom - c->frame_bottom;
      return inside_frame ? HTCLIENT : hit;
    }
    case WM_NCDESTROY:
      // Hand the window back to the system procedure for its last message.
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(system_proc));
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      return CallWindowProcW(system_proc, hwnd, msg, wp, lp);
    default:
      return CallWindowProcW(system_proc, hwnd, msg, wp, lp);
  }
}

// --- Label, hyper linker, timer -----------------------------------------------

namespace {

// Files the record handed over in CreateWindowExW; returns the record of the
// window for every later message (null before WM_NCCREATE).
template <typename Record>
Record* own_record(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* record = static_cast<Record*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    return record;
  }
  return reinterpret_cast<Record*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Messages our self-drawn controls share. True when handled, with *result set.
bool common_own_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                               HFONT* font, LRESULT* result) {
  switch (msg) {
    case WM_SETFONT:
      *font = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, FALSE);
      *result = 0;
      return true;
    case WM_GETFONT:
      *result = reinterpret_cast<LRESULT>(*font);
      return true;
    case WM_ERASEBKGND:
      *result = 1;  // WM_PAINT fills everything; erasing first would flicker
      return true;
    case WM_SETTEXT:
      // The default handling stores the text but does not draw a child's
      // caption: ask for a paint.
      *result = DefWindowProcW(hwnd, msg, wp, lp);
      InvalidateRect(hwnd, nullptr, FALSE);
      return true;
    default:
      return false;
  }
}

}  // namespace

void Win32Platform::paint_caption(const Control& c, HWND hwnd, Colour text,
                                  UINT format) {
  win32::PaintScope paint(hwnd);
  HDC dc = paint.dc();
  RECT rect{};
  GetClientRect(hwnd, &rect);
  FillRect(dc, &rect, c.background_brush);

  const win32::WideText caption = win32::window_text_wide(hwnd);
  HFONT font = c.font != nullptr ? c.font : c.owner->gui_font_;
  win32::SelectedObject selected(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colorref(text));
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rect, format);
}

LRESULT CALLBACK Win32Platform::label_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Control* c = own_record<Control>(hwnd, msg, lp);
  if (c == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  if (common_own_message(hwnd, msg, wp, lp, &c->font, &result)) return result;
  if (msg == WM_PAINT) {
    paint_caption(*c, hwnd, c->text_colour,
                  DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Win32Platform::hyper_linker_proc(HWND hwnd, UINT msg, WPARAM wp,
                                                  LPARAM lp) {
  Control* c = own_record<Control>(hwnd, msg, lp);
  if (c == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  if (common_own_message(hwnd, msg, wp, lp, &c->font, &result)) return result;

  switch (msg) {
    case WM_PAINT:
      paint_caption(*c, hwnd, c->hover ? c->hover_colour : c->text_colour,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
      return 0;
    case WM_MOUSEMOVE:
      // The capture is how we learn that the pointer has left the link.
      if (!c->hover) {
        c->hover = true;
        InvalidateRect(hwnd, nullptr, FALSE);
        SetCapture(hwnd);
        // The capture only sees moves over this program's windows while no
        // button is held: a pointer that leaves straight for another program
        // would leave the link lit. Leave tracking catches that road.
        TRACKMOUSEEVENT leave{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&leave);
      } else if (GetCapture() == hwnd) {
        RECT client{};
        GetClientRect(hwnd, &client);
        const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        if (!PtInRect(&client, pt)) {
          c->hover = false;
          ReleaseCapture();
          InvalidateRect(hwnd, nullptr, FALSE);
        }
      }
      return 0;
    case WM_MOUSELEAVE:
      if (c->hover) {
        c->hover = false;
        if (GetCapture() == hwnd) ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case WM_CAPTURECHANGED:
      // Someone else took the mouse (a message box, a drag): without the
      // capture we would never see the pointer leave, so stop hovering now.
      if (c->hover) {
        c->hover = false;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    default:
      // A press opens nothing here: the link has no address of its own.
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

LRESULT CALLBACK Win32Platform::timer_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Control* c = own_record<Control>(hwnd, msg, lp);
  if (c == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_TIMER:
      if (wp == kTimerEventId && c->owner->sink_ != nullptr) {
        c->owner->sink_->on_timer(c->id);
      }
      return 0;
    case WM_DESTROY:
      // The timer dies with its window, whatever period it had.
      KillTimer(hwnd, kTimerEventId);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

}  // namespace dv
