// Display scaling. The window and its looks are designed in pixels at 96
// DPI (100 %); on a screen of another DPI every design length is scaled.
#pragma once

namespace dv {

constexpr int design_dpi = 96;

// A design length at `dpi`: v * dpi / 96, rounded half away from zero, as
// Windows' MulDiv rounds. At 96 DPI every length stays as it is.
constexpr int scale_to_dpi(int v, int dpi) {
  const long long n = static_cast<long long>(v) * dpi;
  const long long half = design_dpi / 2;
  return static_cast<int>(n >= 0 ? (n + half) / design_dpi : -((-n + half) / design_dpi));
}

// The thickness of a one-pixel design line at `dpi`: never below one pixel.
constexpr int line_at_dpi(int dpi) {
  const int line = scale_to_dpi(1, dpi);
  return line < 1 ? 1 : line;
}

}  // namespace dv
