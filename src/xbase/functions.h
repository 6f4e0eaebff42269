// The runtime's string, number and date functions on CP852 text. Where a function
// takes an optional argument the runtime's default is written here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "xbase/date.h"
#include "xbase/value.h"

namespace xbase {

// STR(n [, width [, decimals]]): right-aligned; `width` asterisks when the whole
// part does not fit beside the point and the decimals. Without width the number's
// own display width is used (a computed number's: see default_whole_width).
std::string str(double n, int width = -1, int decimals = -1);
std::string str(const Value& n, int width = -1, int decimals = -1);
// VAL(text): leading white space skipped, digits with an optional sign and decimal
// point. Width and decimals follow the text: with a point, the characters before it
// and every character after it; without one, the text's length (20 beyond 10 digits,
// 10 for the empty text).
Value val(std::string_view s);
// ROUND: half away from zero, also to negative places (ROUND(77333.33, -2) = 77300).
double round_half_away(double n, int places);
// n in plain decimal notation with `decimals` places (0..300), no padding; the text
// STR and TRANSFORM start from after rounding.
std::string format_fixed(double n, int decimals);

std::string padr(std::string_view s, int n, char fill = ' ');
std::string padl(std::string_view s, int n, char fill = ' ');
std::string padc(std::string_view s, int n, char fill = ' ');
// White space as LTRIM and VAL skip it: blank, tab, LF, VT, FF, CR.
bool is_white_space(char c);
std::string rtrim(std::string_view s);    // TRIM and RTRIM: blanks only
std::string ltrim(std::string_view s);    // every white-space byte
std::string alltrim(std::string_view s);  // LTRIM of RTRIM
std::string upper(std::string_view s);  // HU852 upper case
std::string lower(std::string_view s);
std::string left(std::string_view s, int n);
std::string right(std::string_view s, int n);
// SUBSTR(s, start [, count]): start is 1-based; a negative start counts from the end.
std::string substr(std::string_view s, int start, int count = -1);
std::string replicate(std::string_view s, int n);
std::string space(int n);
bool empty(const Value& v);  // EMPTY(): blanks, 0, empty date, .F., nil

// Dates in the program's format "yyyy.mm.dd" (SET DATE ANSI, SET CENTURY ON);
// two-digit years read with the century window starting 1959 (SET EPOCH 1959).
std::string dtoc(Date d);          // "2023.09.01"; the empty date "    .  .  "
Date ctod(std::string_view text);  // "2023.09.01", "23.09.01"; invalid → empty date
Date today();

// TRANSFORM(value, picture) with functions @K @R @Z @E @! (also combined) and
// templates 9 # X ! A N L Y , . - and literal characters. See docs/values.md.
std::string transform(const Value& v, std::string_view picture);

// A picture parsed once and applied to many values, as TRANSFORM gives them: a
// report that prints thousands of amounts under a few masks parses each mask once.
class CompiledPicture {
 public:
  explicit CompiledPicture(std::string_view picture = "");

  const std::string& text() const { return text_; }
  // The template's length: the width of a number formatted under it.
  int template_width() const { return static_cast<int>(tmpl_.size()); }
  std::string apply(const Value& v) const;
  std::string apply(double n) const;

 private:
  std::string text_;
  std::string tmpl_;  // what follows the functions
  unsigned flags_ = 0;
};

}  // namespace xbase
