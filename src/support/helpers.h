// Small date, number and text helpers used across the program: building a date,
// month boundaries, a range test, Hungarian month names, the collation key of the
// name indexes and a left-trimmed number text. All are pure functions.
#pragma once

#include <string>
#include <string_view>

#include "xbase/date.h"
#include "xbase/value.h"

namespace support {

// NUMTOD(day, month, year): that date, or the empty date when there is no such day.
xbase::Date NUMTOD(int day, int month, int year);
// The same over values: numbers give a date; anything else gives NIL.
xbase::Value NUMTOD(const xbase::Value& day, const xbase::Value& month, const xbase::Value& year);

// FDOFM / LDOFM: the first and the last day of a month.
xbase::Date FDOFM(int month, int year);
xbase::Date FDOFM(xbase::Date d);
xbase::Date LDOFM(int month, int year);
xbase::Date LDOFM(xbase::Date d);
// Over values: (month, year) as two numbers, or one date; anything else gives NIL.
xbase::Value FDOFM(const xbase::Value& a, const xbase::Value& b = xbase::Value());
xbase::Value LDOFM(const xbase::Value& a, const xbase::Value& b = xbase::Value());

// BETWEEN(value, low, high): low <= value <= high, texts compared with SET EXACT
// off. Values of different types raise the runtime's argument error.
bool BETWEEN(const xbase::Value& value, const xbase::Value& low, const xbase::Value& high);

// HONAPNEV(month): "január" … "december" in CP852; "" outside 1..12.
std::string HONAPNEV(int month);

// HUNGORD(text): the collation key of names, the text in HU852 capitals, so that
// a name typed in small letters finds the same name stored in capitals.
std::string HUNGORD(std::string_view cp852);

// LSTR(number, width): STR(number, width) without its leading blanks; asterisks
// when the number does not fit ("**" for LSTR(123, 2)).
std::string LSTR(double number, int width);

}  // namespace support
