// Fuzzes the text-to-integer rule against a reference written differently:
// the GBK text is first cut into characters, folded through a table, and
// the number is accumulated in 64 bits and reduced at the end.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text_rules.h"

namespace {

std::string reference_fold(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> chars;
  for (std::size_t i = 0; i < size;) {
    const std::size_t len = data[i] >= 0x80 ? 2 : 1;
    if (i + len > size) break;
    chars.emplace_back(reinterpret_cast<const char*>(data + i), len);
    i += len;
  }
  std::string out;
  for (const std::string& c : chars) {
    if (c.size() == 1) { out += c; continue; }
    const auto a = static_cast<std::uint8_t>(c[0]), b = static_cast<std::uint8_t>(c[1]);
    if (a == 0xA3 && b >= 0xA1 && b != 0xFF) out += static_cast<char>(b - 0x80);
    else if (a == 0xA1 && b == 0xA1) out += ' ';
    else if (a == 0xA1 && b == 0xAB) out += '~';
    else if (a == 0xA1 && (b == 0xEE || b == 0xEF)) out += '*';
    else out += c;
  }
  return out;
}

std::int32_t reference_int(const std::string& s) {
  std::size_t i = s.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string::npos) return 0;
  int sign = 1;
  if (s[i] == '+' || s[i] == '-') sign = s[i++] == '-' ? -1 : 1;
  std::uint64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    v = (v * 10 + static_cast<std::uint64_t>(s[i] - '0')) % 4294967296ULL;
  }
  std::int64_t r = static_cast<std::int64_t>(v) * sign;
  r = ((r % 4294967296LL) + 4294967296LL) % 4294967296LL;
  return static_cast<std::int32_t>(r >= 2147483648LL ? r - 4294967296LL : r);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::int32_t got = dv::text_to_int(text);
  const std::int32_t want = reference_int(reference_fold(data, size));
  if (got != want) std::abort();
  // Folding never grows a text and leaves nothing it should have replaced.
  if (dv::fold_full_width(text).size() > size) std::abort();
  return 0;
}
