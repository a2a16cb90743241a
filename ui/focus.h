// Keyboard focus rules of the main window, as pure functions of the
// controls' states so they can be checked without a window.
#pragma once

#include <vector>

namespace dv {

struct FocusCandidate {
  int id = 0;
  bool tab_stop = false;
  bool visible = false;
  bool enabled = false;
};

// The controls Tab visits: tab stops that are visible and enabled now, in
// the order given (creation order).
std::vector<int> tab_cycle(const std::vector<FocusCandidate>& controls);

// Where Tab (or Shift+Tab with backwards) moves the focus from `current`.
// From a control outside the cycle, Tab goes to the next cycle member after
// it in creation order. Returns -1 when the cycle is empty.
int next_focus(const std::vector<FocusCandidate>& controls, int current, bool backwards);

// The control that takes the focus when the window is activated: the one
// remembered at the last deactivation if it can still take the focus,
// otherwise the first of the Tab cycle; -1 when no control can.
int focus_on_activation(const std::vector<FocusCandidate>& controls, int remembered);

}  // namespace dv
