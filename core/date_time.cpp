#include "core/date_time.h"

#include <cmath>

namespace dv {

namespace {

constexpr double half_second = 1.0 / 172800.0;
constexpr double earliest = -657434.0;  // 1 January 100
constexpr double latest = 2958465.0;    // 31 December 9999

// The calendar day `days` after 1970-01-01 (proleptic Gregorian).
void civil_from_days(long long days, int& year, int& month, int& day) {
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long doe = days - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// Whole seconds of the day, for the hour/minute/second rule.
long long seconds_of_day(double date_time) {
  const double e = date_time + half_second;
  return static_cast<long long>((e - std::floor(e)) * 86400.0);
}

}  // namespace

long long days_from_civil(long long year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const long long yoe = year - era * 400;
  const long long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

double date_time_of(const LocalTime& t) {
  static const long long epoch = days_from_civil(1899, 12, 30);
  const double days = static_cast<double>(days_from_civil(t.year, t.month, t.day) - epoch);
  const double seconds = 3600.0 * t.hour + 60.0 * t.minute + t.second;
  return days + seconds / 86400.0;
}

double current_date_time(const Platform& platform) {
  return date_time_of(platform.local_time());
}

int hour_of(double date_time) {
  return static_cast<int>(seconds_of_day(date_time) / 3600);
}
int minute_of(double date_time) {
  return static_cast<int>(seconds_of_day(date_time) / 60 % 60);
}
int second_of(double date_time) {
  return static_cast<int>(seconds_of_day(date_time) % 60);
}

DateFields split_date_time(double x) {
  if (std::isnan(x)) x = 0.0;  // no date at all: show the epoch
  if (x > latest) x = latest;
  if (x < earliest) x = earliest;
  const double r = x > 0 ? x + half_second : x - half_second;

  DateFields f;
  static const long long epoch = days_from_civil(1899, 12, 30);
  civil_from_days(epoch + static_cast<long long>(std::trunc(r)), f.year, f.month, f.day);

  const double magnitude = std::fabs(r);
  const auto s = static_cast<int>((magnitude - std::floor(magnitude)) * 86400.0);
  f.hour = s / 3600;
  f.minute = s / 60 % 60;
  f.second = s % 60;
  return f;
}

std::string date_time_text(double date_time) {
  const DateFields f = split_date_time(date_time);
  using std::to_string;
  std::string text = to_string(f.year) + "年" + to_string(f.month) + "月" + to_string(f.day) + "日";
  // Trailing zero fields are left out; a zero before a later field is not.
  if (f.second != 0) {
    text += to_string(f.hour) + "时" + to_string(f.minute) + "分" + to_string(f.second) + "秒";
  } else if (f.minute != 0) {
    text += to_string(f.hour) + "时" + to_string(f.minute) + "分";
  } else if (f.hour != 0) {
    text += to_string(f.hour) + "时";
  }
  return text;
}

}  // namespace dv
