// The restyled push button and edit box looks: the drawing steps are played
// onto a small canvas, and the pixels that matter are read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "ui/looks.h"

namespace dv {
namespace {

constexpr ColourRef kFace = colour_ref(236, 233, 216);
constexpr ColourRef kWindow = colour_ref(255, 255, 255);
constexpr ColourRef kNavy = colour_ref(0, 60, 116);
constexpr int kW = 48;
constexpr int kH = 24;

// Plays Frame, Fill, Gradient and Pixel steps into a w x h grid of colours.
// A pixel step is a block of its rectangle's size.
// A gradient row gets the colour GradientFill puts on it (linear, the first
// colour on the top row); the focus rectangle and the caption leave the
// grid alone.
class Canvas {
 public:
  Canvas(int w, int h, const std::vector<DrawStep>& steps)
      : w_(w), h_(h), px_(static_cast<std::size_t>(w * h), kUnpainted) {
    for (const DrawStep& s : steps) play(s);
  }
  ColourRef at(int x, int y) const { return px_[static_cast<std::size_t>(y * w_ + x)]; }

  static constexpr ColourRef kUnpainted = 0xFF000000;

 private:
  void set(int x, int y, ColourRef c) {
    if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[static_cast<std::size_t>(y * w_ + x)] = c;
  }
  static ColourRef lerp(ColourRef a, ColourRef b, int num, int den) {
    ColourRef out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      const int ca = static_cast<int>((a >> shift) & 0xFF);
      const int cb = static_cast<int>((b >> shift) & 0xFF);
      out |= static_cast<ColourRef>(ca + (cb - ca) * num / den) << shift;
    }
    return out;
  }
  void play(const DrawStep& s) {
    const Rect& r = s.rect;
    switch (s.kind) {
      case StepKind::Frame:
        for (int i = 0; i < s.line; ++i) {
          const Rect o{r.left + i, r.top + i, r.right - i, r.bottom - i};
          for (int x = o.left; x < o.right; ++x) {
            set(x, o.top, s.colour);
            set(x, o.bottom - 1, s.colour);
          }
          for (int y = o.top; y < o.bottom; ++y) {
            set(o.left, y, s.colour);
            set(o.right - 1, y, s.colour);
          }
        }
        break;
      case StepKind::Pixel:
      case StepKind::Fill:
      case StepKind::Gradient:
        for (int y = r.top; y < r.bottom; ++y) {
          const ColourRef c = s.kind != StepKind::Gradient
                                  ? s.colour
                                  : lerp(s.colour, s.colour2, y - r.top, r.bottom - r.top);
          for (int x = r.left; x < r.right; ++x) set(x, y, c);
        }
        break;
      case StepKind::FocusRect:
      case StepKind::Caption:
        break;
    }
  }

  int w_, h_;
  std::vector<ColourRef> px_;
};

std::vector<DrawStep> steps_of(const std::vector<DrawStep>& steps, StepKind kind) {
  std::vector<DrawStep> out;
  std::copy_if(steps.begin(), steps.end(), std::back_inserter(out),
               [kind](const DrawStep& s) { return s.kind == kind; });
  return out;
}

ButtonState state(bool pressed, bool hot, bool focused, bool is_default) {
  ButtonState s;
  s.pressed = pressed;
  s.hot = hot;
  s.focused = focused;
  s.is_default = is_default;
  return s;
}

// --- Push button, enabled ------------------------------------------------------

struct RingCase {
  const char* name;
  ButtonState state;
  ColourRef ring_top, ring_bottom, face_top, face_bottom;
};

const RingCase kRingCases[] = {
    {"normal", state(false, false, false, false), colour_ref(255, 255, 255),
     colour_ref(226, 223, 214), colour_ref(252, 252, 251), colour_ref(198, 197, 215)},
    {"hot", state(false, true, false, false), colour_ref(255, 240, 207), colour_ref(229, 151, 0),
     colour_ref(252, 252, 251), colour_ref(198, 197, 215)},
    {"focused", state(false, false, true, false), colour_ref(206, 231, 255),
     colour_ref(105, 130, 238), colour_ref(252, 252, 251), colour_ref(198, 197, 215)},
    {"default", state(false, false, false, true), colour_ref(206, 231, 255),
     colour_ref(105, 130, 238), colour_ref(252, 252, 251), colour_ref(198, 197, 215)},
    {"pressed", state(true, false, false, false), colour_ref(239, 227, 206),
     colour_ref(239, 227, 206), colour_ref(179, 178, 197), colour_ref(252, 252, 251)},
    // Precedence: pressed before hot before focused or default.
    {"pressed and hot", state(true, true, true, true), colour_ref(239, 227, 206),
     colour_ref(239, 227, 206), colour_ref(179, 178, 197), colour_ref(252, 252, 251)},
    {"hot and focused", state(false, true, true, true), colour_ref(255, 240, 207),
     colour_ref(229, 151, 0), colour_ref(252, 252, 251), colour_ref(198, 197, 215)},
};

TEST(ButtonLook, RingAndFaceGradientsFollowTheState) {
  for (const RingCase& c : kRingCases) {
    SCOPED_TRACE(c.name);
    const auto steps = button_look(c.state, kW, kH, kFace, 96);
    const auto gradients = steps_of(steps, StepKind::Gradient);
    ASSERT_EQ(gradients.size(), 2u);
    EXPECT_EQ(gradients[0].rect, (Rect{2, 2, kW - 2, kH - 2}));
    EXPECT_EQ(gradients[0].colour, c.ring_top);
    EXPECT_EQ(gradients[0].colour2, c.ring_bottom);
    EXPECT_EQ(gradients[1].rect, (Rect{4, 4, kW - 4, kH - 4}));
    EXPECT_EQ(gradients[1].colour, c.face_top);
    EXPECT_EQ(gradients[1].colour2, c.face_bottom);

    // On the canvas the ring shows as a two-pixel band around the face.
    const Canvas canvas(kW, kH, steps);
    EXPECT_EQ(canvas.at(kW / 2, 2), c.ring_top);
    EXPECT_EQ(canvas.at(2, kH / 2), canvas.at(3, kH / 2));
    EXPECT_EQ(canvas.at(kW / 2, 4), c.face_top);
    EXPECT_TRUE(steps_of(steps, StepKind::Fill).empty());
  }
}

TEST(ButtonLook, FramesAndRoundedCornersOfAnEnabledButton) {
  const Canvas canvas(kW, kH, button_look(state(false, false, false, false), kW, kH, kFace, 96));
  const int r = kW - 1, b = kH - 1;
  // The outer line is button face, the inner one navy.
  for (auto [x, y] : {std::pair{0, 0}, {kW / 2, 0}, {r, kH / 2}, {kW / 2, b}, {r, b}}) {
    EXPECT_EQ(canvas.at(x, y), kFace) << x << "," << y;
  }
  for (auto [x, y] : {std::pair{1, kH / 2}, {kW / 2, 1}, {r - 1, kH / 2}, {kW / 2, b - 1}}) {
    EXPECT_EQ(canvas.at(x, y), kNavy) << x << "," << y;
  }
  // Each corner: the diagonal pixel of the inner line is cut off (button
  // face), the ring's corner pixel is navy, and so are its neighbours on
  // the inner line.
  for (auto [x, y] : {std::pair{1, 1}, {r - 1, 1}, {1, b - 1}, {r - 1, b - 1}}) {
    EXPECT_EQ(canvas.at(x, y), kFace) << x << "," << y;
  }
  for (auto [x, y] : {std::pair{2, 2}, {r - 2, 2}, {2, b - 2}, {r - 2, b - 2}, {1, 2}, {2, 1},
                      {r - 2, 1}, {r - 1, 2}, {r - 2, b - 1}, {r - 1, b - 2}, {2, b - 1},
                      {1, b - 2}}) {
    EXPECT_EQ(canvas.at(x, y), kNavy) << x << "," << y;
  }
  // Nothing is left unpainted.
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) ASSERT_NE(canvas.at(x, y), Canvas::kUnpainted) << x << "," << y;
  }
}

// --- Push button, disabled -----------------------------------------------------

TEST(ButtonLook, DisabledButtonIsFlatWithShadesTakenFromTheFace) {
  // "Face less N" is one subtraction on the 0x00BBGGRR value: with a red
  // channel below 0x20 the borrow runs into green, so a channel-wise
  // subtraction would give other colours.
  struct Case {
    ColourRef face, frame, corner, edge;
  };
  const Case cases[] = {
      {colour_ref(240, 240, 240), colour_ref(208, 208, 208), colour_ref(219, 219, 219),
       colour_ref(223, 223, 223)},
      {0x00F0F010, 0x00D0CFF0, 0x00DBDAFB, 0x00DFDEFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.face);
    // Hot and default show nothing on a disabled button (which can be
    // neither focused nor pressed).
    ButtonState disabled = state(false, true, false, true);
    disabled.disabled = true;
    const auto steps = button_look(disabled, kW, kH, c.face, 96);
    EXPECT_TRUE(steps_of(steps, StepKind::Gradient).empty());

    const Canvas canvas(kW, kH, steps);
    EXPECT_EQ(canvas.at(0, kH / 2), c.face);
    EXPECT_EQ(canvas.at(1, kH / 2), c.frame);
    EXPECT_EQ(canvas.at(kW / 2, kH - 2), c.frame);
    // Ring and face area alike: one flat fill.
    EXPECT_EQ(canvas.at(2, kH / 2), colour_ref(245, 244, 234));
    EXPECT_EQ(canvas.at(kW / 2, kH / 2), colour_ref(245, 244, 234));
    EXPECT_EQ(canvas.at(1, 1), c.face);
    EXPECT_EQ(canvas.at(kW - 3, kH - 3), c.corner);
    EXPECT_EQ(canvas.at(2, 1), c.edge);
    EXPECT_EQ(canvas.at(kW - 2, kH - 3), c.edge);

    const auto caption = steps_of(steps, StepKind::Caption);
    ASSERT_EQ(caption.size(), 1u);
    EXPECT_EQ(caption[0].colour, colour_ref(165, 162, 148));
    EXPECT_EQ(caption[0].rect, (Rect{4, 4, kW - 4, kH - 4}));  // not moved
  }
}

// --- Focus rectangle and caption -------------------------------------------------

TEST(ButtonLook, FocusRectangleOnlyWhenFocusedAndDrawnOverTheFills) {
  for (const RingCase& c : kRingCases) {
    SCOPED_TRACE(c.name);
    const auto steps = button_look(c.state, kW, kH, kFace, 96);
    const auto focus = steps_of(steps, StepKind::FocusRect);
    ASSERT_EQ(focus.size(), c.state.focused ? 1u : 0u);
    if (focus.empty()) continue;
    EXPECT_EQ(focus[0].rect, (Rect{3, 3, kW - 3, kH - 3}));
    // It inverts what is under it, so every fill must be done by then.
    const auto at = std::find_if(steps.begin(), steps.end(),
                                 [](const DrawStep& s) { return s.kind == StepKind::FocusRect; });
    EXPECT_TRUE(std::none_of(at, steps.end(), [](const DrawStep& s) {
      return s.kind == StepKind::Gradient || s.kind == StepKind::Fill;
    }));
  }
}

TEST(ButtonLook, CaptionIsLastBlackAndMovesOnePixelWhilePressed) {
  for (const RingCase& c : kRingCases) {
    SCOPED_TRACE(c.name);
    const auto steps = button_look(c.state, kW, kH, kFace, 96);
    ASSERT_FALSE(steps.empty());
    const DrawStep& caption = steps.back();
    ASSERT_EQ(caption.kind, StepKind::Caption);
    EXPECT_EQ(caption.colour, colour_ref(0, 0, 0));
    const Rect expected =
        c.state.pressed ? Rect{5, 5, kW - 3, kH - 3} : Rect{4, 4, kW - 4, kH - 4};
    EXPECT_EQ(caption.rect, expected);
  }
}

// --- Edit box frame --------------------------------------------------------------

TEST(EditFrameLook, ColoursPerState) {
  struct Case {
    const char* name;
    bool disabled, read_only;
    ColourRef outer, inner;
  };
  const ColourRef face = colour_ref(240, 240, 240);
  const Case cases[] = {
      {"enabled", false, false, colour_ref(198, 197, 215), kWindow},
      {"read-only", false, true, colour_ref(198, 197, 215), face},
      {"disabled", true, false, colour_ref(208, 208, 208), face},
      {"disabled read-only", true, true, colour_ref(208, 208, 208), face},
  };
  constexpr int w = 32, h = 24;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EditState s;
    s.disabled = c.disabled;
    s.read_only = c.read_only;
    const auto steps = edit_frame_look(s, w, h, face, kWindow, 96);
    // Only the two lines: the box's own painting inside stays as it is.
    ASSERT_EQ(steps.size(), steps_of(steps, StepKind::Frame).size());
    const Canvas canvas(w, h, steps);
    EXPECT_EQ(canvas.at(0, 0), c.outer);
    EXPECT_EQ(canvas.at(w - 1, h / 2), c.outer);
    EXPECT_EQ(canvas.at(1, 1), c.inner);
    EXPECT_EQ(canvas.at(w / 2, h - 2), c.inner);
    EXPECT_EQ(canvas.at(2, 2), Canvas::kUnpainted);
  }
}

// --- Display scaling ------------------------------------------------------------

// The looks on screens of more than 96 DPI, for a control of the design size
// 48 x 24 scaled with the window: lines, ring band, corners, focus inset and
// the pressed caption's shift grow, and nothing is left unpainted.
struct ScaledCase {
  int dpi;
  int w, h;
  int line, ring_at, face_at, focus_inset;
};
const ScaledCase kScaledCases[] = {
    {120, 60, 30, 1, 2, 5, 4},  // 1.25x: lines stay one pixel, the ring band grows
    {144, 72, 36, 2, 4, 7, 5},  // 1.5x
    {192, 96, 48, 2, 4, 8, 6},  // 2x
};

Rect inset_by(int w, int h, int by) { return Rect{by, by, w - by, h - by}; }

TEST(ScaledLooks, ButtonLinesRingCornersAndFocusGrowWithTheDpi) {
  for (const ScaledCase& c : kScaledCases) {
    SCOPED_TRACE(c.dpi);
    ButtonState focused = state(false, false, true, false);
    const auto steps = button_look(focused, c.w, c.h, kFace, c.dpi);
    const auto gradients = steps_of(steps, StepKind::Gradient);
    ASSERT_EQ(gradients.size(), 2u);
    EXPECT_EQ(gradients[0].rect, inset_by(c.w, c.h, c.ring_at));
    EXPECT_EQ(gradients[1].rect, inset_by(c.w, c.h, c.face_at));
    const auto focus = steps_of(steps, StepKind::FocusRect);
    ASSERT_EQ(focus.size(), 1u);
    EXPECT_EQ(focus[0].rect, inset_by(c.w, c.h, c.focus_inset));

    const Canvas canvas(c.w, c.h, steps);
    const int L = c.line;
    // Across the left edge at mid-height: face, then navy, each one line.
    for (int x = 0; x < L; ++x) EXPECT_EQ(canvas.at(x, c.h / 2), kFace) << x;
    for (int x = L; x < 2 * L; ++x) EXPECT_EQ(canvas.at(x, c.h / 2), kNavy) << x;
    EXPECT_EQ(canvas.at(c.ring_at, c.h / 2), canvas.at(c.face_at - 1, c.h / 2));  // one ring row
    // The same at the bottom edge.
    for (int y = c.h - L; y < c.h; ++y) EXPECT_EQ(canvas.at(c.w / 2, y), kFace) << y;
    for (int y = c.h - 2 * L; y < c.h - L; ++y) EXPECT_EQ(canvas.at(c.w / 2, y), kNavy) << y;
    // Corners: the design pixel (1,1) and its mirror images are a block of
    // button face one line wide, the ring's corner pixel (2,2) a navy one.
    for (int d = 0; d < L; ++d) {
      EXPECT_EQ(canvas.at(L + d, L + d), kFace) << d;
      EXPECT_EQ(canvas.at(c.w - 2 * L + d, c.h - 2 * L + d), kFace) << d;
      EXPECT_EQ(canvas.at(c.w - 2 * L + d, L + d), kFace) << d;
      EXPECT_EQ(canvas.at(2 * L + d, 2 * L + d), kNavy) << d;
      EXPECT_EQ(canvas.at(c.w - 3 * L + d, c.h - 3 * L + d), kNavy) << d;
      EXPECT_EQ(canvas.at(2 * L + d, L + d), kNavy) << d;  // edge pixel (2,1)
    }
    for (int y = 0; y < c.h; ++y) {
      for (int x = 0; x < c.w; ++x) ASSERT_NE(canvas.at(x, y), Canvas::kUnpainted) << x << "," << y;
    }

    // Pressed: the caption moves one line right and down.
    const auto pressed = button_look(state(true, false, false, false), c.w, c.h, kFace, c.dpi);
    const Rect face_area = inset_by(c.w, c.h, c.face_at);
    EXPECT_EQ(pressed.back().rect,
              (Rect{face_area.left + L, face_area.top + L, face_area.right + L, face_area.bottom + L}));
  }
}

TEST(ScaledLooks, EditFrameLinesGrowWithTheDpi) {
  const ColourRef lilac = colour_ref(198, 197, 215);
  for (const ScaledCase& c : kScaledCases) {
    SCOPED_TRACE(c.dpi);
    const int w = c.w * 2 / 3, h = c.h;  // a 32 x 24 box, scaled
    const Canvas canvas(w, h, edit_frame_look(EditState{}, w, h, kFace, kWindow, c.dpi));
    const int L = c.line;
    for (int x = 0; x < L; ++x) EXPECT_EQ(canvas.at(x, h / 2), lilac) << x;
    for (int x = L; x < 2 * L; ++x) EXPECT_EQ(canvas.at(x, h / 2), kWindow) << x;
    EXPECT_EQ(canvas.at(w - 1, h - 1), lilac);
    EXPECT_EQ(canvas.at(w - 2 * L, h - 2 * L), kWindow);
    EXPECT_EQ(canvas.at(2 * L, 2 * L), Canvas::kUnpainted);  // the box's own painting
  }
}

}  // namespace
}  // namespace dv
