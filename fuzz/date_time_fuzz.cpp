// Fuzzes the date-time split and its text against the calendar of the C++
// library (std::chrono days and year_month_day).
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/date_time.h"

namespace {

using namespace std::chrono;

constexpr sys_days ole_epoch = sys_days{year{1899} / December / 30};

void check(double x) {
  const dv::DateFields f = dv::split_date_time(x);
  // Reference: clamp, round to the nearest second away from zero, then
  // count whole days and seconds separately.
  const double c = std::fmin(std::fmax(x, -657434.0), 2958465.0);
  const double r = c > 0 ? c + 1.0 / 172800.0 : c - 1.0 / 172800.0;
  const auto day = ole_epoch + days{static_cast<long long>(std::trunc(r))};
  const year_month_day ymd{day};
  const double mag = std::fabs(r);
  const long long s = static_cast<long long>((mag - std::floor(mag)) * 86400.0);
  if (f.year != int(ymd.year()) || f.month != int(unsigned(ymd.month())) ||
      f.day != int(unsigned(ymd.day())) || f.hour != s / 3600 || f.minute != s / 60 % 60 ||
      f.second != s % 60) {
    std::abort();
  }
  if (f.hour > 23 || f.minute > 59 || f.second > 59) std::abort();
  const std::string text = dv::date_time_text(x);
  // 26 bytes in GBK; six Chinese characters take one byte more each when the
  // literals are UTF-8, as in this clang build.
  constexpr std::size_t longest = 26 + 6 * (sizeof("年") - 1 - 2);
  if (text.empty() || text.size() > longest) std::abort();
  // Positive whole-second values agree with the hour/minute/second rule.
  if (x > 0 && x < 2958465.0) {
    if (dv::hour_of(x) != f.hour || dv::minute_of(x) != f.minute || dv::second_of(x) != f.second) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < sizeof(double)) return 0;
  double x;
  std::memcpy(&x, data, sizeof x);
  if (std::isnan(x)) return 0;
  check(x);
  // A whole-second value built the way the clock builds them.
  std::uint32_t n;
  std::memcpy(&n, data, sizeof n);
  const long long seconds = static_cast<long long>(n % (2958465u * 86400u / 4u)) * 4 % (2958465LL * 86400);
  check(static_cast<double>(seconds / 86400) + static_cast<double>(seconds % 86400) / 86400.0);
  return 0;
}
