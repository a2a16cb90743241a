// The restyled looks of push buttons and edit boxes, as lists of drawing
// steps. The win32 backend executes them with GDI; host tests read them.
//
// The looks are designed for 96 DPI and scaled by the system's DPI: every
// line, the ring band, the corner pixels, the focus inset and the shift of
// a pressed caption grow as MulDiv(v, dpi, 96), and no line gets thinner
// than one pixel. At 96 DPI that is the design, pixel for pixel.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace dv {

// A colour as Windows keeps it: 0x00BBGGRR.
using ColourRef = std::uint32_t;
constexpr ColourRef colour_ref(unsigned r, unsigned g, unsigned b) {
  return static_cast<ColourRef>(r | (g << 8) | (b << 16));
}

// A rectangle that excludes its right and bottom edges.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
inline bool operator==(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

enum class StepKind {
  Frame,      // rectangle outline in `colour`, `line` pixels thick, drawn inwards
  Fill,       // solid fill in `colour`
  Gradient,   // top-to-bottom gradient from `colour` to `colour2`
  Pixel,      // one design pixel, a block of rect's size, in `colour`
  FocusRect,  // the system focus rectangle (drawn with XOR)
  Caption,    // the control's caption, one line, centred in rect, `colour`
};

struct DrawStep {
  StepKind kind = StepKind::Fill;
  Rect rect;
  ColourRef colour = 0;
  ColourRef colour2 = 0;
  int line = 1;  // Frame only
};

struct ButtonState {
  bool disabled = false;
  bool pressed = false;
  bool hot = false;       // the mouse is over it
  bool focused = false;
  bool is_default = false;
};

struct EditState {
  bool disabled = false;
  bool read_only = false;
};

// The push button of the third scheme, for a control of w x h pixels (as
// it is on the screen), the system's button face colour and DPI.
std::vector<DrawStep> button_look(const ButtonState& state, int w, int h, ColourRef face,
                                  int dpi);

// The frame drawn over an edit box's own painting.
std::vector<DrawStep> edit_frame_look(const EditState& state, int w, int h, ColourRef face,
                                      ColourRef window, int dpi);

}  // namespace dv
