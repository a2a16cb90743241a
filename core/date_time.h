// Date-time values: days since 1899-12-30 00:00 local time as a double, the
// fraction being the time of day.
#pragma once

#include <string>

#include "platform/platform.h"

namespace dv {

struct DateFields {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0;
};

// Days between 1970-01-01 and the given day of the proleptic Gregorian
// calendar (negative before it).
long long days_from_civil(long long year, int month, int day);

// The date-time value of a local date and time.
double date_time_of(const LocalTime& t);

// The current local date and time, to the whole second.
double current_date_time(const Platform& platform);

// Hour, minute and second of a date-time value. Half a second is added
// before cutting so that a value built from a whole second gives that second
// back however its fraction was rounded.
int hour_of(double date_time);
int minute_of(double date_time);
int second_of(double date_time);

// The calendar fields of any value, clamped to 1 January 100 .. 31 December
// 9999 and rounded to the nearest second.
DateFields split_date_time(double date_time);

// The clock's Chinese form: "2024年3月7日10时5分", trailing zero fields
// left out, no leading zeros.
std::string date_time_text(double date_time);

}  // namespace dv
