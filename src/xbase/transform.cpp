// TRANSFORM(value, picture): the display form of a value under a picture of
// functions ("@EZ") and a template ("999,999,999"). The rules are in docs/values.md.
#include <cmath>
#include <string>

#include "xbase/cp852.h"
#include "xbase/error.h"
#include "xbase/functions.h"

namespace xbase {
namespace {

struct Picture {
  bool b = false, c = false, e = false, r = false, x = false, z = false, paren = false,
       upper = false;
  std::string_view tmpl;

  // The function letters as bits, for a picture kept compiled.
  unsigned bits() const {
    return b | c << 1 | e << 2 | r << 3 | x << 4 | z << 5 | paren << 6 | upper << 7;
  }
  static Picture from_bits(unsigned f, std::string_view tmpl) {
    Picture p;
    p.b = f & 1, p.c = f >> 1 & 1, p.e = f >> 2 & 1, p.r = f >> 3 & 1, p.x = f >> 4 & 1,
    p.z = f >> 5 & 1, p.paren = f >> 6 & 1, p.upper = f >> 7 & 1;
    p.tmpl = tmpl;
    return p;
  }
};

// "@<functions> <template>", or a bare template. The function letters end at the
// first blank; what follows that one blank is the template.
Picture parse(std::string_view pic) {
  Picture p;
  if (pic.empty() || pic[0] != '@') {
    p.tmpl = pic;
    return p;
  }
  std::size_t end = pic.find(' ');
  std::string_view funcs = pic.substr(1, end == std::string_view::npos ? pic.npos : end - 1);
  if (end != std::string_view::npos) p.tmpl = pic.substr(end + 1);
  for (char f : funcs) {
    switch (hu852_upper(static_cast<unsigned char>(f))) {
      case 'B': p.b = true; break;
      case 'C': p.c = true; break;
      case 'E': p.e = true; break;
      case 'R': p.r = true; break;
      case 'X': p.x = true; break;
      case 'Z': p.z = true; break;
      case '(': p.paren = true; break;
      case '!': p.upper = true; break;
      default: break;  // K, S<n>, A …: field-editor functions, no effect on display
    }
  }
  return p;
}

bool is_digit_slot(char t) {
  return t == '9' || t == '#' || t == 'X' || t == 'A' || t == 'N' || t == '*' || t == '$';
}

bool is_text_slot(char t) {
  return t == '9' || t == '#' || t == 'X' || t == 'A' || t == 'N' || t == '!' || t == 'L' ||
         t == 'Y';
}

std::string left_justify(const std::string& s) {
  std::size_t i = s.find_first_not_of(' ');
  if (i == std::string::npos) return s;
  std::string out = s.substr(i);
  out.append(i, ' ');
  return out;
}

// @( and @X show a negative number without its minus sign, as its absolute value.
bool shown_absolute(const Picture& p, double n) { return n < 0 && (p.paren || p.x); }

// The sign decorations, also around asterisks: @( writes "(" over the first column
// of a negative number and appends ")"; @C appends " CR" to a positive number, @X
// " DB" to a negative one.
std::string decorate(std::string s, const Picture& p, double n) {
  if (p.paren && n < 0 && !s.empty()) {
    s[0] = '(';
    s += ')';
  }
  if (p.c && n > 0) s += " CR";
  if (p.x && n < 0) s += " DB";
  return s;
}

// @Z blanks a value that is itself zero; one that only rounds to zero is shown.
std::string number_without_template(const Value& v, const Picture& p) {
  double n = v.as_num();
  std::string s =
      shown_absolute(p, n) ? str(Value::num(std::fabs(n), v.width(), v.decimals())) : str(v);
  if (p.z && n == 0) return std::string(s.size(), ' ');
  if (p.e)
    for (char& ch : s)
      if (ch == '.') ch = ',';
  if (p.b) s = left_justify(s);
  return decorate(std::move(s), p, n);
}

std::string number_with_template(double n, const Picture& p) {
  std::string_view t = p.tmpl;
  const std::size_t size = t.size();
  const std::size_t point = t.find('.');
  const std::size_t int_end = point == std::string_view::npos ? size : point;
  int dec_slots = 0;
  for (std::size_t i = int_end; i < size; ++i)
    if (is_digit_slot(t[i])) ++dec_slots;

  if (p.z && n == 0) return std::string(size, ' ');
  double r = round_half_away(shown_absolute(p, n) ? std::fabs(n) : n, dec_slots);
  const bool negative = r < 0;
  std::string digits = format_fixed(std::fabs(r), dec_slots);
  std::string whole = digits.substr(0, digits.find('.'));
  std::string frac = dec_slots ? digits.substr(digits.find('.') + 1) : std::string();
  bool has_int_slot = false;
  for (std::size_t i = 0; i < int_end; ++i) has_int_slot |= is_digit_slot(t[i]);
  if (!has_int_slot && whole == "0") whole.clear();  // ".99" shows no leading zero

  const char thousands = p.e ? '.' : ',';
  const char decimal = p.e ? ',' : '.';
  std::string out(t);
  std::string leading(size, '\0');  // positions left of the number, free for the sign
  bool overflow = false;

  // Whole part, right to left: digits into the slots, a comma only between digits.
  long next = static_cast<long>(whole.size()) - 1;
  long first_digit = static_cast<long>(int_end);
  for (long i = static_cast<long>(int_end) - 1; i >= 0; --i) {
    char slot = t[i];
    if (is_digit_slot(slot)) {
      if (next >= 0) {
        out[i] = whole[next--];
        first_digit = i;
      } else {
        out[i] = (slot == '*' || slot == '$') ? slot : ' ';
        leading[i] = 1;
      }
    } else if (slot == ',') {
      if (next >= 0) {
        out[i] = thousands;
      } else {
        out[i] = ' ';
        leading[i] = 1;
      }
    }
  }
  if (next >= 0) overflow = true;
  if (negative && !overflow) {
    long at = first_digit - 1;
    if (at >= 0 && leading[at]) out[at] = '-';
    else overflow = true;
  }

  // Decimal part, left to right.
  std::size_t f = 0;
  for (std::size_t i = int_end; i < size; ++i) {
    if (i == point) out[i] = decimal;
    else if (is_digit_slot(t[i])) out[i] = f < frac.size() ? frac[f++] : '0';
    else if (t[i] == ',') out[i] = thousands;
  }

  if (overflow) {
    // Digits and separators become asterisks; the decimal point stays.
    for (std::size_t i = 0; i < size; ++i)
      if (i != point && (is_digit_slot(t[i]) || t[i] == ',' || t[i] == '.')) out[i] = '*';
  } else if (p.b) {
    out = left_justify(out);
  }
  return decorate(std::move(out), p, n);
}

std::string text(const std::string& s, const Picture& p) {
  std::string out;
  if (p.tmpl.empty()) {
    out = s;
  } else {
    std::size_t i = 0;
    for (char slot : p.tmpl) {
      bool more = i < s.size();
      if (is_text_slot(slot)) {
        if (!more && !p.r) break;
        char c = more ? s[i++] : ' ';
        if (slot == '!') c = static_cast<char>(hu852_upper(static_cast<unsigned char>(c)));
        out += c;
      } else if (p.r) {
        out += slot;  // @R inserts the template's own characters
      } else {
        if (!more) break;
        out += slot;  // without @R a template character takes the text's place
        ++i;
      }
    }
  }
  if (p.upper) out = hu852_upper(out);
  return out;
}

std::string logical(bool b, const Picture& p) {
  char first = p.tmpl.empty() ? 'L' : p.tmpl[0];
  if (first == 'Y' || first == 'y') return b ? "Y" : "N";
  return b ? "T" : "F";
}

std::string transform_parsed(const Value& v, const Picture& p) {
  switch (v.type()) {
    case Type::Character: return text(v.as_str(), p);
    case Type::Numeric:
      return p.tmpl.empty() ? number_without_template(v, p) : number_with_template(v.as_num(), p);
    case Type::Date: return dtoc(v.as_date());
    case Type::Logical: return logical(v.as_logical(), p);
    default: break;
  }
  throw_argument_error("TRANSFORM", 1122, {v});
}

}  // namespace

std::string transform(const Value& v, std::string_view picture) {
  return transform_parsed(v, parse(picture));
}

CompiledPicture::CompiledPicture(std::string_view picture) : text_(picture) {
  Picture p = parse(text_);
  tmpl_ = std::string(p.tmpl);
  flags_ = p.bits();
}

std::string CompiledPicture::apply(const Value& v) const {
  return transform_parsed(v, Picture::from_bits(flags_, tmpl_));
}

std::string CompiledPicture::apply(double n) const {
  Picture p = Picture::from_bits(flags_, tmpl_);
  return p.tmpl.empty() ? number_without_template(Value::num(n), p) : number_with_template(n, p);
}

}  // namespace xbase
