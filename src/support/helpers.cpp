#include "support/helpers.h"

#include <cmath>

#include "xbase/cp852.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/ops.h"

namespace support {

using xbase::Date;
using xbase::Value;

Date NUMTOD(int day, int month, int year) {
  // The date is read from its "yyyymmdd" form, so a part that does not fit its
  // digits (a year beyond 9999, a negative month) is no date either.
  if (year < 0 || year > 9999 || month < 0 || month > 99 || day < 0 || day > 99) return Date();
  return Date::from_ymd(year, month, day);
}

namespace {

// A number as a whole count, as STRZERO() would render it (half away from zero).
bool whole(const Value& v, int& out) {
  if (!v.is_num()) return false;
  double r = xbase::round_half_away(v.as_num(), 0);
  if (!(r > -1e9 && r < 1e9)) r = -1;  // far out of range: no date
  out = static_cast<int>(r);
  return true;
}

}  // namespace

Value NUMTOD(const Value& day, const Value& month, const Value& year) {
  int d, m, y;
  if (!whole(day, d) || !whole(month, m) || !whole(year, y)) return Value();
  return Value::date(NUMTOD(d, m, y));
}

Date FDOFM(Date d) {
  if (d.empty()) return d;
  return Date::from_ymd(d.year(), d.month(), 1);
}

Date LDOFM(Date d) {
  if (d.empty()) return d;
  return Date::from_ymd(d.year(), d.month(), xbase::days_in_month(d.year(), d.month()));
}

Date FDOFM(int month, int year) { return FDOFM(NUMTOD(1, month, year)); }
Date LDOFM(int month, int year) { return LDOFM(NUMTOD(1, month, year)); }

Value FDOFM(const Value& a, const Value& b) {
  if (a.is_date()) return Value::date(FDOFM(a.as_date()));
  int m, y;
  if (!whole(a, m) || !whole(b, y)) return Value();
  return Value::date(FDOFM(m, y));
}

Value LDOFM(const Value& a, const Value& b) {
  if (a.is_date()) return Value::date(LDOFM(a.as_date()));
  int m, y;
  if (!whole(a, m) || !whole(b, y)) return Value();
  return Value::date(LDOFM(m, y));
}

bool BETWEEN(const Value& value, const Value& low, const Value& high) {
  return xbase::compare(value, low) >= 0 && xbase::compare(value, high) <= 0;
}

std::string HONAPNEV(int month) {
  static constexpr std::string_view kNames[12] = {
      HU("január"), HU("február"), HU("március"),   HU("április"), HU("május"),    HU("június"),
      HU("július"), HU("augusztus"), HU("szeptember"), HU("október"), HU("november"), HU("december")};
  Date d = NUMTOD(1, month, 1);
  if (d.empty()) return {};
  return std::string(kNames[d.month() - 1]);
}

std::string HUNGORD(std::string_view cp852) { return xbase::hu852_upper(cp852); }

std::string LSTR(double number, int width) { return xbase::ltrim(xbase::str(number, width)); }

}  // namespace support
