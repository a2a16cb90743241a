// Fuzzes the number-to-text rule against the C library's "%.13g" with the
// exponent widened to three digits, and checks that whole numbers read back.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/text_rules.h"

namespace {

std::string reference_text(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.13g", v);
  std::string s = buffer;
  const auto e = s.find('e');
  if (e != std::string::npos) {
    std::string digits = s.substr(e + 2);
    while (digits.size() < 3) digits.insert(0, "0");
    s = s.substr(0, e + 2) + digits;
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof(double)) return 0;
  double v;
  std::memcpy(&v, data, sizeof v);
  if (std::isnan(v) || std::isinf(v)) return 0;
  if (dv::number_to_text(v) != reference_text(v)) std::abort();
  // The handlers' own numbers: sums of two 32-bit values are written as
  // plain digits and read back unchanged when they fit.
  std::int32_t a, b;
  std::memcpy(&a, data, sizeof a);
  std::memcpy(&b, data + sizeof a, sizeof b);
  const double sum = static_cast<double>(a) + static_cast<double>(b);
  const std::string text = dv::number_to_text(sum);
  if (text.find_first_of(".e") != std::string::npos) std::abort();
  if (sum >= -2147483648.0 && sum <= 2147483647.0 && dv::text_to_int(text) != sum) std::abort();
  return 0;
}
