// The texts of an M30 XML file: the field values by their type, the escapes of the
// XML characters, and the cleaned person name and the file name. Values come in as
// CP852 and go out in Windows-1250, the file's character set.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "xbase/date.h"

namespace efile {

// XMLSZUR(text): control characters (codes below 32) removed, then "&", the double
// quote, "'", "<" and ">" replaced by their entities, in that order (so an "&" is
// never escaped twice). CP852 in, CP852 out.
std::string XMLSZUR(std::string_view cp852);

// The value text of a text field: trimmed at both ends, XMLSZUR, then K852WIN
// (Windows-1250).
std::string text_value(std::string_view cp852);

// The value text of a number: empty for zero unless zero is written; otherwise the
// whole number with its minus sign, without separators or blanks.
std::string number_value(double value, bool zero_written = false);

// The value text of a date: year, month and day as eight digits; empty for the
// empty date (eight blanks would not be a date to the form filler).
std::string date_value(xbase::Date d);

// CEGNEVTISZ(name): the person's name cleaned for the file name: trailing blanks and
// every "." removed and the first 15 characters kept; then slashes, backslashes,
// apostrophes and double quotes removed, "&" written as "és" and blanks as "_".
// Accented letters stay. CP852 in, CP852 out.
std::string CEGNEVTISZ(std::string_view nev);

// The file name of a certificate: EV + "M30_" + its sequence number in four digits
// (all of them above 9999) + "_" + CEGNEVTISZ(nev) + ".xml". CP852.
std::string xml_file_name(std::string_view ev, int db, std::string_view nev);

}  // namespace efile
