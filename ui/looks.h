// The restyled looks of push buttons and edit boxes, as lists of drawing
// steps. The win32 backend executes them with GDI; host tests read them.
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
  Frame,      // 1-pixel rectangle outline in `colour`
  Fill,       // solid fill in `colour`
  Gradient,   // top-to-bottom gradient from `colour` to `colour2`
  Pixel,      // one pixel at (rect.left, rect.top) in `colour`
  FocusRect,  // the system focus rectangle (drawn with XOR)
  Caption,    // the control's caption, one line, centred in rect, `colour`
};

struct DrawStep {
  StepKind kind = StepKind::Fill;
  Rect rect;
  ColourRef colour = 0;
  ColourRef colour2 = 0;
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

// The push button of the third scheme, for a control of w x h pixels and
// the system's button face colour.
std::vector<DrawStep> button_look(const ButtonState& state, int w, int h, ColourRef face);

// The frame drawn over an edit box's own painting.
std::vector<DrawStep> edit_frame_look(const EditState& state, int w, int h, ColourRef face,
                                      ColourRef window);

}  // namespace dv
