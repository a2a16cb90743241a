// The promotion link.
#pragma once


#include "platform/platform.h"

namespace dv {

// The one address the program ever opens.
inline constexpr const char* site_address = "https://www.lumtrek.com/";

// Hands an address to the shell's "open" verb, owned by a browser window
// when one is found; the shell's answer is not looked at.
void open_url(Platform& platform, const char* address);

// Handler of a left-button press on 超级链接框1; pointer place and keys do
// not matter.
void link_click(Platform& platform);

}  // namespace dv
