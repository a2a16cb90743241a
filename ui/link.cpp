#include "ui/link.h"

namespace dv {

void open_url(Platform& p, const char* address) {
  const std::uintptr_t owner = p.find_top_window("Microsoft Internet Explorer");
  p.shell_execute(owner, "open", address, show_normal);
}

void link_click(Platform& p) { open_url(p, site_address); }

}  // namespace dv
