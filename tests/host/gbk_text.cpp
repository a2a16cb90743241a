#include "tests/host/gbk_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace dv::test {

std::string to_utf8(const std::string& gbk) {
  iconv_t cd = iconv_open("UTF-8", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) return gbk;
  std::string out;
  std::vector<char> in(gbk.begin(), gbk.end());
  char* src = in.data();
  std::size_t left = in.size();
  while (left > 0) {
    char buffer[256];
    char* dst = buffer;
    std::size_t room = sizeof buffer;
    const std::size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // Not GBK: show the byte and go on after it.
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(*src));
      out += hex;
      ++src;
      --left;
    }
  }
  iconv_close(cd);
  return out;
}

void PrintTo(const Gbk& text, std::ostream* os) { *os << '"' << to_utf8(text.bytes) << '"'; }

}  // namespace dv::test
