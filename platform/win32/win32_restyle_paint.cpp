// Executing the restyled looks with GDI: solid frames and fills with brushes
// made for the paint, gradients with GdiGradientFill, single pixels, the focus
// rectangle and the caption; and the client area of a disabled edit box.
#include <string>
#include <vector>

#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_gdi.h"
#include "platform/win32/win32_restyle.h"
#include "platform/win32/win32_text.h"

namespace dv::win32 {

namespace {

RECT to_rect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

bool is_empty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

// Gradients want 16-bit channels: the 8-bit value times 256.
TRIVERTEX vertex(LONG x, LONG y, ColourRef colour) {
  TRIVERTEX v{};
  v.x = x;
  v.y = y;
  v.Red = static_cast<COLOR16>(GetRValue(colour) << 8);
  v.Green = static_cast<COLOR16>(GetGValue(colour) << 8);
  v.Blue = static_cast<COLOR16>(GetBValue(colour) << 8);
  v.Alpha = 0;
  return v;
}

void gradient(HDC dc, const Rect& r, ColourRef top, ColourRef bottom) {
  TRIVERTEX v[2] = {vertex(r.left, r.top, top), vertex(r.right, r.bottom, bottom)};
  GRADIENT_RECT mesh{0, 1};
  // gdi32's own entry, not msimg32's GradientFill (which only forwards to
  // it): msimg32 is not one of the DLLs the system always loads from its own
  // folder, so importing it would let a file of that name beside the
  // program run as soon as the program starts.
  GdiGradientFill(dc, v, 2, &mesh, 1, GRADIENT_FILL_RECT_V);
}

}  // namespace

void draw_steps(HDC dc, const std::vector<DrawStep>& steps, const WideText& caption,
                HFONT font) {
  for (const DrawStep& step : steps) {
    if (is_empty(step.rect)) continue;
    RECT rect = to_rect(step.rect);
    switch (step.kind) {
      case StepKind::Frame: {
        GdiObject<HBRUSH> brush(CreateSolidBrush(step.colour));
        if (brush.get() == nullptr) break;
        // A thicker line is that many one-pixel outlines, each inside the
        // one before.
        for (int i = 0; i < step.line && rect.right > rect.left && rect.bottom > rect.top; ++i) {
          FrameRect(dc, &rect, brush.get());
          InflateRect(&rect, -1, -1);
        }
        break;
      }
      case StepKind::Fill: {
        GdiObject<HBRUSH> brush(CreateSolidBrush(step.colour));
        if (brush.get() != nullptr) FillRect(dc, &rect, brush.get());
        break;
      }
      case StepKind::Gradient:
        gradient(dc, step.rect, step.colour, step.colour2);
        break;
      case StepKind::Pixel:
        if (rect.right - rect.left == 1 && rect.bottom - rect.top == 1) {
          SetPixelV(dc, rect.left, rect.top, step.colour);
        } else {
          GdiObject<HBRUSH> brush(CreateSolidBrush(step.colour));
          if (brush.get() != nullptr) FillRect(dc, &rect, brush.get());
        }
        break;
      case StepKind::FocusRect:
        // The dotted pattern is a monochrome brush: it takes the DC's text
        // and background colours, which must be the defaults for the usual
        // inverted dots.
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &rect);
        break;
      case StepKind::Caption: {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, step.colour);
        // No DT_NOPREFIX: a single '&' marks the mnemonic.
        const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        if (font != nullptr) {
          SelectedObject selected(dc, font);
          DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rect, format);
        } else {
          DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &rect, format);
        }
        break;
      }
    }
  }
}

void paint_push_button(HWND button, HDC target, const ButtonState& state) {
  if (target == nullptr) return;
  RECT client{};
  GetClientRect(button, &client);
  const int w = client.right - client.left;
  const int h = client.bottom - client.top;
  if (w <= 0 || h <= 0) return;

  OffscreenBuffer buffer(target, w, h);
  if (!buffer.ok()) return;
  draw_steps(buffer.dc(), button_look(state, w, h, GetSysColor(COLOR_BTNFACE), system_dpi()),
             window_text_wide(button), font_of(button));
  buffer.copy_to(target, 0, 0);
}

void paint_edit_frame(HWND edit, const EditState& state) {
  if (!IsWindowVisible(edit)) return;
  RECT window{};
  GetWindowRect(edit, &window);
  const int w = window.right - window.left;
  const int h = window.bottom - window.top;
  WindowDc dc(edit, true);
  if (dc.dc() == nullptr) return;
  draw_steps(dc.dc(),
             edit_frame_look(state, w, h, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOW),
                             system_dpi()),
             WideText(), nullptr);
}

void paint_disabled_edit(HWND edit, HDC target) {
  if (target == nullptr) return;
  RECT client{};
  GetClientRect(edit, &client);
  const int w = client.right - client.left;
  const int h = client.bottom - client.top;
  if (w <= 0 || h <= 0) return;

  OffscreenBuffer buffer(target, w, h);
  if (!buffer.ok()) return;
  HDC dc = buffer.dc();

  // What the system would use when the parent says nothing; the parent's
  // answer to WM_CTLCOLORSTATIC sets the box's own text and background.
  SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  HWND parent = GetParent(edit);
  auto brush = parent != nullptr
                   ? reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORSTATIC,
                                                           reinterpret_cast<WPARAM>(dc),
                                                           reinterpret_cast<LPARAM>(edit)))
                   : nullptr;
  if (brush == nullptr) brush = GetSysColorBrush(COLOR_BTNFACE);
  FillRect(dc, &client, brush);

  const auto style = static_cast<DWORD>(GetWindowLongPtrW(edit, GWL_STYLE));
  // The edit control's own margins, so the text stands where it stood
  // while the box was enabled.
  const auto margins = static_cast<DWORD>(SendMessageW(edit, EM_GETMARGINS, 0, 0));
  RECT text_area = client;
  text_area.left += LOWORD(margins);
  text_area.right -= HIWORD(margins);

  UINT format = DT_NOPREFIX;
  if (style & ES_CENTER) format |= DT_CENTER;
  else if (style & ES_RIGHT) format |= DT_RIGHT;
  else format |= DT_LEFT;
  // A single-line box's client area is its one line; a multi-line box
  // writes from the top and wraps as the edit control does.
  format |= (style & ES_MULTILINE) ? (DT_TOP | DT_WORDBREAK | DT_EDITCONTROL)
                                   : (DT_SINGLELINE | DT_VCENTER);

  const WideText text = window_text_wide(edit);
  {
    SelectedObject selected(dc, font_of(edit));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &text_area, format);
  }
  buffer.copy_to(target, 0, 0);
}

}  // namespace dv::win32
