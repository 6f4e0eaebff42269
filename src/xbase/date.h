// A calendar date with the runtime's empty date.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace xbase {

class Date {
 public:
  Date() = default;  // the empty date

  // The date year-month-day, or the empty date when there is no such day.
  static Date from_ymd(int year, int month, int day);
  // Days counted as Julian day numbers; 0 is the empty date.
  static Date from_julian(int32_t jd);
  // "YYYYMMDD" as tables and index keys hold it; blanks or anything invalid give the empty date.
  static Date from_dtos(std::string_view yyyymmdd);

  bool empty() const { return jd_ == 0; }
  int32_t julian() const { return jd_; }
  int year() const;   // 0 for the empty date
  int month() const;  // 0 for the empty date
  int day() const;    // 0 for the empty date
  int day_of_week() const;  // 1 = Sunday … 7 = Saturday (DOW()); 0 for the empty date

  std::string dtos() const;  // "YYYYMMDD", or 8 blanks for the empty date

  // The empty date sorts before every real date.
  auto operator<=>(const Date&) const = default;
  bool operator==(const Date&) const = default;

 private:
  int32_t jd_ = 0;
};

bool is_leap_year(int year);
int days_in_month(int year, int month);  // 0 for a month outside 1..12

}  // namespace xbase
