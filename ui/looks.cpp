#include "ui/looks.h"

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
  return DrawStep{kind, r, c, c2};
}
DrawStep pixel(int x, int y, ColourRef c) {
  return step(StepKind::Pixel, Rect{x, y, x + 1, y + 1}, c);
}

// The darker shades of a disabled control are the face colour minus a
// constant, taken as one number as the look was designed.
ColourRef face_less(ColourRef face, ColourRef n) { return face - n; }

}  // namespace

std::vector<DrawStep> button_look(const ButtonState& s, int w, int h, ColourRef face) {
  std::vector<DrawStep> steps;
  steps.push_back(step(StepKind::Frame, Rect{0, 0, w, h}, face));
  steps.push_back(
      step(StepKind::Frame, Rect{1, 1, w - 1, h - 1}, s.disabled ? face_less(face, 0x202020) : navy));

  const Rect ring{2, 2, w - 2, h - 2};
  if (s.disabled) {
    steps.push_back(step(StepKind::Fill, ring, colour_ref(245, 244, 234)));
  } else {
    const Gradient g = s.pressed                    ? ring_pressed
                       : s.hot                      ? ring_hot
                       : (s.focused || s.is_default) ? ring_focused
                                                    : ring_normal;
    steps.push_back(step(StepKind::Gradient, ring, g.top, g.bottom));
  }

  const Rect face_area{4, 4, w - 4, h - 4};
  if (!s.disabled) {
    const Gradient g = s.pressed ? face_pressed : face_normal;
    steps.push_back(step(StepKind::Gradient, face_area, g.top, g.bottom));
  }

  // Rounded corners.
  for (auto [x, y] : {std::pair{1, 1}, {w - 2, 1}, {1, h - 2}, {w - 2, h - 2}}) {
    steps.push_back(pixel(x, y, face));
  }
  const ColourRef inner = s.disabled ? face_less(face, 0x151515) : navy;
  for (auto [x, y] : {std::pair{2, 2}, {w - 3, 2}, {2, h - 3}, {w - 3, h - 3}}) {
    steps.push_back(pixel(x, y, inner));
  }
  const ColourRef edge = s.disabled ? face_less(face, 0x111111) : navy;
  for (auto [x, y] : {std::pair{1, 2}, {2, 1}, {w - 3, 1}, {w - 2, 2}, {w - 3, h - 2}, {w - 2, h - 3},
                      {2, h - 2}, {1, h - 3}}) {
    steps.push_back(pixel(x, y, edge));
  }

  if (s.focused) steps.push_back(step(StepKind::FocusRect, Rect{3, 3, w - 3, h - 3}, 0));

  Rect caption = face_area;
  if (s.pressed) {
    caption.left += 1;
    caption.top += 1;
    caption.right += 1;
    caption.bottom += 1;
  }
  steps.push_back(step(StepKind::Caption, caption,
                       s.disabled ? colour_ref(165, 162, 148) : colour_ref(0, 0, 0)));
  return steps;
}

std::vector<DrawStep> edit_frame_look(const EditState& s, int w, int h, ColourRef face,
                                      ColourRef window) {
  return {
      step(StepKind::Frame, Rect{0, 0, w, h},
           s.disabled ? face_less(face, 0x202020) : colour_ref(198, 197, 215)),
      step(StepKind::Frame, Rect{1, 1, w - 1, h - 1}, s.disabled || s.read_only ? face : window),
  };
}

}  // namespace dv
