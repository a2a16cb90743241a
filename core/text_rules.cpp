#include "core/text_rules.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace dv {

namespace {

// The replacement of a full-width character, or 0 when it has none.
char full_width_replacement(unsigned char lead, unsigned char trail) {
  if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
    // The full-width block mirrors printable ASCII 0x21..0x7E.
    return static_cast<char>(trail - 0x80);
  }
  if (lead == 0xA1) {
    switch (trail) {
      case 0xA1: return ' ';   // ideographic space
      case 0xAB: return '~';   // full-width tilde
      case 0xEE:               // white star
      case 0xEF: return '*';   // black star
      default: break;
    }
  }
  return 0;
}

bool is_blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::string fold_full_width(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out.push_back(text[i]);
      continue;
    }
    if (i + 1 >= text.size()) break;  // a lone lead byte ends the text
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    if (char ascii = full_width_replacement(lead, trail)) {
      out.push_back(ascii);
    } else {
      out.push_back(text[i]);
      out.push_back(text[i + 1]);
    }
    ++i;
  }
  return out;
}

std::int32_t text_to_int(std::string_view text) {
  const std::string folded = fold_full_width(text);
  std::size_t i = 0;
  while (i < folded.size() && is_blank(folded[i])) ++i;
  bool negative = false;
  if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) {
    negative = folded[i] == '-';
    ++i;
  }
  // Unsigned arithmetic wraps modulo 2^32 by definition, which is exactly
  // what a number longer than 32 bits should do here.
  std::uint32_t value = 0;
  for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(folded[i] - '0');
  }
  if (negative) value = 0u - value;
  // Two's complement reinterpretation, well defined through memcpy.
  std::int32_t result;
  std::memcpy(&result, &value, sizeof result);
  return result;
}

std::string number_to_text(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char buffer[64];
  const auto [end, error] = std::to_chars(
      buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
  if (error != std::errc()) return "0";  // cannot happen with 64 bytes
  std::string text(buffer, end);
  // to_chars writes at least two exponent digits; widen to three.
  const auto e = text.find('e');
  if (e != std::string::npos) {
    const std::size_t digits_at = e + 2;  // after 'e' and its sign
    const std::size_t digits = text.size() - digits_at;
    if (digits < 3) text.insert(digits_at, 3 - digits, '0');
  }
  return text;
}

bool text_equal(std::string_view a, std::string_view b) { return a == b; }

std::string concat(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (auto part : parts) size += part.size();
  std::string out;
  out.reserve(size);
  for (auto part : parts) out.append(part);
  return out;
}

}  // namespace dv
