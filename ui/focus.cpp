#include "ui/focus.h"

#include <algorithm>

namespace dv {

namespace {
bool in_cycle(const FocusCandidate& c) { return c.tab_stop && c.visible && c.enabled; }
}  // namespace

std::vector<int> tab_cycle(const std::vector<FocusCandidate>& controls) {
  std::vector<int> ids;
  for (const auto& c : controls) {
    if (in_cycle(c)) ids.push_back(c.id);
  }
  return ids;
}

int next_focus(const std::vector<FocusCandidate>& controls, int current, bool backwards) {
  const std::size_t n = controls.size();
  if (tab_cycle(controls).empty()) return -1;
  std::size_t at = n;  // position of `current`; n when it is none of ours
  for (std::size_t i = 0; i < n; ++i) {
    if (controls[i].id == current) at = i;
  }
  if (at == n) {
    // No focused control: Tab starts at the first, Shift+Tab at the last.
    at = backwards ? 0 : n - 1;
  }
  for (std::size_t step = 1; step <= n; ++step) {
    const std::size_t i = backwards ? (at + n - step % n) % n : (at + step) % n;
    if (in_cycle(controls[i])) return controls[i].id;
  }
  return -1;
}

int focus_on_activation(const std::vector<FocusCandidate>& controls, int remembered) {
  const auto it = std::find_if(controls.begin(), controls.end(),
                               [&](const FocusCandidate& c) { return c.id == remembered; });
  // A remembered control that has since been disabled cannot take the focus
  // back; the first control that can takes it instead.
  if (it != controls.end() && it->visible && it->enabled) return remembered;
  const auto cycle = tab_cycle(controls);
  return cycle.empty() ? -1 : cycle.front();
}

}  // namespace dv
