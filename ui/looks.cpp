#include "ui/looks.h"

#include "ui/dpi.h"

namespace dv {

namespace {

constexpr ColourRef navy = colour_ref(0, 60, 116);

struct Gradient {
  ColourRef top, bottom;
};
constexpr Gradient ring_pressed{colour_ref(239, 227, 206), colour_ref(239, 227, 206)};
constexpr Gradient ring_hot{colour_ref(255, 240, 207), colour_ref(229, 151, 0)};
constexpr Gradient ring_focused{colour_ref(206, 231, 255), colour_ref(105, 130, 238)};
constexpr Gradient ring_normal{colour_ref(255, 255, 255), colour_ref(226, 223, 214)};
constexpr Gradient face_pressed{colour_ref(179, 178, 197), colour_ref(252, 252, 251)};
constexpr Gradient face_normal{colour_ref(252, 252, 251), colour_ref(198, 197, 215)};

DrawStep step(StepKind kind, Rect r, ColourRef c, ColourRef c2 = 0) {
  return DrawStep{kind, r, c, c2, 1};
}
DrawStep frame(Rect r, ColourRef c, int line) { return DrawStep{StepKind::Frame, r, c, 0, line}; }
Rect inset(int w, int h, int by) { return Rect{by, by, w - by, h - by}; }

// The darker shades of a disabled control are the face colour minus a
// constant, taken as one number as the look was designed.
ColourRef face_less(ColourRef face, ColourRef n) { return face - n; }

// Where the design pixels of a control's corners land on the screen. At 96
// DPI a design pixel is one pixel; at higher DPI it is a block of one line's
// thickness, counted from the nearest edge, so the corners keep their shape.
class Corners {
 public:
  Corners(int w, int h, int line) : w_(w), h_(h), line_(line) {}
  // Design pixel (x, y) from the top-left corner; a negative coordinate
  // counts from the right or bottom edge (-1 is the last column or row).
  DrawStep pixel(int x, int y, ColourRef c) const {
    const Rect block{from_edge(x, w_), from_edge(y, h_), from_edge(x, w_) + line_,
                     from_edge(y, h_) + line_};
    return step(StepKind::Pixel, block, c);
  }

 private:
  int from_edge(int d, int size) const { return d >= 0 ? d * line_ : size + d * line_; }
  int w_, h_, line_;
};

}  // namespace

std::vector<DrawStep> button_look(const ButtonState& s, int w, int h, ColourRef face, int dpi) {
  // Two frame lines, the ring band, then the face; at 96 DPI the face starts
  // four pixels in.
  const int line = line_at_dpi(dpi);
  const int ring_at = 2 * line;
  const int face_at = ring_at + scale_to_dpi(2, dpi);

  std::vector<DrawStep> steps;
  steps.push_back(frame(inset(w, h, 0), face, line));
  steps.push_back(frame(inset(w, h, line), s.disabled ? face_less(face, 0x202020) : navy, line));

  const Rect ring = inset(w, h, ring_at);
  if (s.disabled) {
    steps.push_back(step(StepKind::Fill, ring, colour_ref(245, 244, 234)));
  } else {
    const Gradient g = s.pressed                    ? ring_pressed
                       : s.hot                      ? ring_hot
                       : (s.focused || s.is_default) ? ring_focused
                                                    : ring_normal;
    steps.push_back(step(StepKind::Gradient, ring, g.top, g.bottom));
  }

  const Rect face_area = inset(w, h, face_at);
  if (!s.disabled) {
    const Gradient g = s.pressed ? face_pressed : face_normal;
    steps.push_back(step(StepKind::Gradient, face_area, g.top, g.bottom));
  }

  // Rounded corners.
  const Corners corners(w, h, line);
  for (auto [x, y] : {std::pair{1, 1}, {-2, 1}, {1, -2}, {-2, -2}}) {
    steps.push_back(corners.pixel(x, y, face));
  }
  const ColourRef inner = s.disabled ? face_less(face, 0x151515) : navy;
  for (auto [x, y] : {std::pair{2, 2}, {-3, 2}, {2, -3}, {-3, -3}}) {
    steps.push_back(corners.pixel(x, y, inner));
  }
  const ColourRef edge = s.disabled ? face_less(face, 0x111111) : navy;
  for (auto [x, y] : {std::pair{1, 2}, {2, 1}, {-3, 1}, {-2, 2}, {-3, -2}, {-2, -3}, {2, -2},
                      {1, -3}}) {
    steps.push_back(corners.pixel(x, y, edge));
  }

  if (s.focused) steps.push_back(step(StepKind::FocusRect, inset(w, h, scale_to_dpi(3, dpi)), 0));

  // A pressed caption moves right and down by one line.
  const int shift = s.pressed ? line : 0;
  const Rect caption{face_area.left + shift, face_area.top + shift, face_area.right + shift,
                     face_area.bottom + shift};
  steps.push_back(step(StepKind::Caption, caption,
                       s.disabled ? colour_ref(165, 162, 148) : colour_ref(0, 0, 0)));
  return steps;
}

std::vector<DrawStep> edit_frame_look(const EditState& s, int w, int h, ColourRef face,
                                      ColourRef window, int dpi) {
  const int line = line_at_dpi(dpi);
  return {
      frame(inset(w, h, 0), s.disabled ? face_less(face, 0x202020) : colour_ref(198, 197, 215),
            line),
      frame(inset(w, h, line), s.disabled || s.read_only ? face : window, line),
  };
}

}  // namespace dv
