#include "core/text_rules.h"

#include <cmath>
#include <cstring>
#include <vector>

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

// A non-negative big integer in base 10^9, least significant limb first.
using BigDecimal = std::vector<std::uint32_t>;
constexpr std::uint32_t limb_base = 1000000000u;

void multiply(BigDecimal& n, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (auto& limb : n) {
    const std::uint64_t v = std::uint64_t{limb} * factor + carry;
    limb = static_cast<std::uint32_t>(v % limb_base);
    carry = v / limb_base;
  }
  while (carry != 0) {
    n.push_back(static_cast<std::uint32_t>(carry % limb_base));
    carry /= limb_base;
  }
}

// Multiplies by base^count, in steps that keep every product in 64 bits.
void multiply_power(BigDecimal& n, std::uint32_t base, std::uint32_t step_factor, int step,
                    int count) {
  for (; count >= step; count -= step) multiply(n, step_factor);
  std::uint32_t rest = 1;
  for (; count > 0; --count) rest *= base;
  multiply(n, rest);
}

// The decimal digits of a finite positive double, exactly: the value is
// 0.d1d2... only in spirit; `exponent` receives the power of ten of d1.
std::string exact_decimal(double value, int& exponent) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  int binary_exponent = -1074;
  if (biased != 0) {
    mantissa |= std::uint64_t{1} << 52;
    binary_exponent = biased - 1075;
  }
  // value = mantissa * 2^binary_exponent; for a negative power of two it is
  // mantissa * 5^k / 10^k.
  BigDecimal n{static_cast<std::uint32_t>(mantissa % limb_base),
               static_cast<std::uint32_t>(mantissa / limb_base % limb_base),
               static_cast<std::uint32_t>(mantissa / limb_base / limb_base)};
  int decimal_shift = 0;
  if (binary_exponent >= 0) {
    multiply_power(n, 2, 1u << 29, 29, binary_exponent);
  } else {
    multiply_power(n, 5, 1220703125u, 13, -binary_exponent);  // 5^13
    decimal_shift = binary_exponent;
  }
  while (n.size() > 1 && n.back() == 0) n.pop_back();

  std::string digits = std::to_string(n.back());
  for (std::size_t i = n.size() - 1; i-- > 0;) {
    std::string limb = std::to_string(n[i]);
    digits += std::string(9 - limb.size(), '0') + limb;
  }
  exponent = static_cast<int>(digits.size()) - 1 + decimal_shift;
  return digits;
}

// Cuts the digits to `count`, rounding half to even on the exact value.
void round_to_significant(std::string& digits, int& exponent, int count) {
  const auto keep = static_cast<std::size_t>(count);
  if (digits.size() <= keep) {
    digits.append(keep - digits.size(), '0');
    return;
  }
  const char first_dropped = digits[keep];
  const bool rest_nonzero = digits.find_first_not_of('0', keep + 1) != std::string::npos;
  const bool odd = (digits[keep - 1] - '0') % 2 != 0;
  digits.resize(keep);
  if (first_dropped > '5' || (first_dropped == '5' && (rest_nonzero || odd))) {
    std::size_t i = keep;
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0) {
      digits.insert(digits.begin(), '1');  // 9.99..9 became 10.00..0
      digits.resize(keep);
      ++exponent;
    } else {
      ++digits[i - 1];
    }
  }
}

void strip_trailing_zeros(std::string& s) {
  while (!s.empty() && s.back() == '0') s.pop_back();
}

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

  constexpr int precision = 13;  // significant digits, as "%.13g"
  std::string out = std::signbit(value) ? "-" : "";
  if (value == 0) return out + "0";

  // The exact decimal expansion, then one correctly rounded cut: the same
  // digits every C library prints, without depending on any of them.
  int exponent = 0;
  std::string digits = exact_decimal(std::fabs(value), exponent);
  round_to_significant(digits, exponent, precision);

  if (exponent < -4 || exponent >= precision) {
    out += digits[0];
    std::string fraction = digits.substr(1);
    strip_trailing_zeros(fraction);
    if (!fraction.empty()) out += "." + fraction;
    out += exponent < 0 ? "e-" : "e+";
    std::string e = std::to_string(exponent < 0 ? -exponent : exponent);
    if (e.size() < 3) e.insert(0, 3 - e.size(), '0');
    return out + e;
  }
  std::string whole, fraction;
  if (exponent >= 0) {
    whole = digits.substr(0, static_cast<std::size_t>(exponent) + 1);
    fraction = digits.substr(static_cast<std::size_t>(exponent) + 1);
  } else {
    whole = "0";
    fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  }
  strip_trailing_zeros(fraction);
  out += whole;
  if (!fraction.empty()) out += "." + fraction;
  return out;
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
