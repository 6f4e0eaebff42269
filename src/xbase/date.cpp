#include "xbase/date.h"

namespace xbase {

bool is_leap_year(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int days_in_month(int y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12) return 0;
  return (m == 2 && is_leap_year(y)) ? 29 : kDays[m - 1];
}

// Julian day number of a Gregorian date (Fliegel & Van Flandern).
static int32_t to_julian(int y, int m, int d) {
  int a = (14 - m) / 12;
  int yy = y + 4800 - a;
  int mm = m + 12 * a - 3;
  return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}

static void from_julian_parts(int32_t jd, int& y, int& m, int& d) {
  int a = jd + 32044;
  int b = (4 * a + 3) / 146097;
  int c = a - 146097 * b / 4;
  int dd = (4 * c + 3) / 1461;
  int e = c - 1461 * dd / 4;
  int mm = (5 * e + 2) / 153;
  d = e - (153 * mm + 2) / 5 + 1;
  m = mm + 3 - 12 * (mm / 10);
  y = 100 * b + dd - 4800 + mm / 10;
}

Date Date::from_ymd(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > days_in_month(year, month))
    return Date();
  return from_julian(to_julian(year, month, day));
}

Date Date::from_julian(int32_t jd) {
  Date d;
  d.jd_ = jd < 0 ? 0 : jd;
  return d;
}

Date Date::from_dtos(std::string_view s) {
  if (s.size() != 8) return Date();
  int v[8];
  for (int i = 0; i < 8; ++i) {
    if (s[i] < '0' || s[i] > '9') return Date();
    v[i] = s[i] - '0';
  }
  int y = v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3];
  return from_ymd(y, v[4] * 10 + v[5], v[6] * 10 + v[7]);
}

int Date::year() const {
  if (empty()) return 0;
  int y, m, d;
  from_julian_parts(jd_, y, m, d);
  return y;
}

int Date::month() const {
  if (empty()) return 0;
  int y, m, d;
  from_julian_parts(jd_, y, m, d);
  return m;
}

int Date::day() const {
  if (empty()) return 0;
  int y, m, d;
  from_julian_parts(jd_, y, m, d);
  return d;
}

int Date::day_of_week() const {
  if (empty()) return 0;
  return static_cast<int>((jd_ + 1) % 7) + 1;  // JD 0 was a Monday
}

std::string Date::dtos() const {
  if (empty()) return std::string(8, ' ');
  int y, m, d;
  from_julian_parts(jd_, y, m, d);
  char buf[9];
  buf[0] = static_cast<char>('0' + y / 1000 % 10);
  buf[1] = static_cast<char>('0' + y / 100 % 10);
  buf[2] = static_cast<char>('0' + y / 10 % 10);
  buf[3] = static_cast<char>('0' + y % 10);
  buf[4] = static_cast<char>('0' + m / 10);
  buf[5] = static_cast<char>('0' + m % 10);
  buf[6] = static_cast<char>('0' + d / 10);
  buf[7] = static_cast<char>('0' + d % 10);
  return std::string(buf, 8);
}

}  // namespace xbase
