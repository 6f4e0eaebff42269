// The runtime's number, text and date functions on CP852 text.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "xbase/cp852.h"
#include "xbase/error.h"
#include "xbase/functions.h"

namespace xbase {
namespace {

constexpr int kEpoch = 1959;       // first year of the two-digit century window

double pow10i(int n) {
  double p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

}  // namespace

std::string format_fixed(double n, int decimals) {
  decimals = std::clamp(decimals, 0, 300);
  int len = std::snprintf(nullptr, 0, "%.*f", decimals, n);
  if (len <= 0) return "0";
  std::string s(static_cast<std::size_t>(len) + 1, '\0');
  std::snprintf(s.data(), s.size(), "%.*f", decimals, n);
  s.resize(static_cast<std::size_t>(len));
  return s;
}

namespace {

// Plain decimal form of an already rounded number; no "-0".
std::string fixed(double n, int decimals) {
  if (n == 0) n = 0;  // drops the sign of -0.0
  std::string s = format_fixed(n, decimals);
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

// Right-aligned in `width`; asterisks when it does not fit. A width of -1 means
// "as wide as needed, at least `min_width`".
std::string fit(std::string s, int width, int min_width) {
  if (width < 0) {
    if (static_cast<int>(s.size()) < min_width) s.insert(0, min_width - s.size(), ' ');
    return s;
  }
  if (static_cast<int>(s.size()) > width) return std::string(width, '*');
  s.insert(0, width - s.size(), ' ');
  return s;
}

}  // namespace

double round_half_away(double n, int places) {
  if (!std::isfinite(n)) return n;
  places = std::clamp(places, -20, 20);
  double scaled = places >= 0 ? n * pow10i(places) : n / pow10i(-places);
  if (std::fabs(scaled) >= 1e17) return n;  // no fraction left to round
  // 15 significant digits remove the binary noise (2.675 is 2.67499999…), so that
  // halves written in decimal round away from zero as the user expects.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", scaled);
  double r = std::round(std::strtod(buf, nullptr));
  double out = places >= 0 ? r / pow10i(places) : r * pow10i(-places);
  return out == 0 ? 0.0 : out;
}

std::string str(double n, int width, int decimals) {
  if (decimals < 0) decimals = 0;
  // The decimals and the point are kept; when the whole part does not fit in what
  // is left, the result is all asterisks.
  std::string s = fixed(round_half_away(n, decimals), decimals);
  int min_width = default_whole_width(n) + (decimals > 0 ? decimals + 1 : 0);
  return fit(std::move(s), width, min_width);
}

std::string str(const Value& n, int width, int decimals) {
  if (!n.is_num()) throw_argument_error("STR", 1099, {n});
  if (width >= 0) return str(n.as_num(), width, decimals);
  int d = n.decimals();
  std::string s = fixed(round_half_away(n.as_num(), d), d);
  return fit(std::move(s), -1, n.width());
}

Value val(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && is_white_space(s[i])) ++i;
  std::string text;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) text += s[i++];
  int int_digits = 0, dec_digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    text += s[i++];
    ++int_digits;
  }
  if (i < s.size() && s[i] == '.') {
    text += s[i++];
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      text += s[i++];
      ++dec_digits;
    }
  }
  double v = (int_digits + dec_digits) ? std::strtod(text.c_str(), nullptr) : 0.0;
  if (v == 0) v = 0;
  // The size comes from the text, not from the digits read: with a point anywhere
  // in it, the characters before the point are the whole part and every character
  // after it a decimal; without one, the whole text is the width.
  const std::size_t point = s.find('.');
  if (point != std::string_view::npos) {
    int whole = std::max(static_cast<int>(point), 1);  // ".5" is read as "0.5"
    int decimals = static_cast<int>(s.size() - point - 1);
    return Value::num(v, whole + (decimals ? decimals + 1 : 0), decimals);
  }
  if (s.empty()) return Value::num(v);
  return Value::num(v, int_digits > 10 ? 20 : static_cast<int>(s.size()), 0);
}

std::string padr(std::string_view s, int n, char fill) {
  if (n <= 0) return {};
  std::string out(s.substr(0, static_cast<std::size_t>(n)));
  out.resize(static_cast<std::size_t>(n), fill);
  return out;
}

std::string padl(std::string_view s, int n, char fill) {
  if (n <= 0) return {};
  if (s.size() >= static_cast<std::size_t>(n)) return std::string(s.substr(0, n));
  return std::string(n - s.size(), fill) + std::string(s);
}

std::string padc(std::string_view s, int n, char fill) {
  if (n <= 0) return {};
  if (s.size() >= static_cast<std::size_t>(n)) return std::string(s.substr(0, n));
  std::size_t total = n - s.size(), before = total / 2;
  return std::string(before, fill) + std::string(s) + std::string(total - before, fill);
}

std::string rtrim(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return std::string(s.substr(0, n));
}

bool is_white_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string ltrim(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && is_white_space(s[i])) ++i;
  return std::string(s.substr(i));
}

std::string alltrim(std::string_view s) { return ltrim(rtrim(s)); }

std::string upper(std::string_view s) { return hu852_upper(s); }
std::string lower(std::string_view s) { return hu852_lower(s); }

std::string left(std::string_view s, int n) {
  if (n <= 0) return {};
  return std::string(s.substr(0, static_cast<std::size_t>(n)));
}

std::string right(std::string_view s, int n) {
  if (n <= 0) return {};
  std::size_t k = std::min(s.size(), static_cast<std::size_t>(n));
  return std::string(s.substr(s.size() - k));
}

std::string substr(std::string_view s, int start, int count) {
  long len = static_cast<long>(s.size());
  long from = start > 0 ? start - 1 : (start < 0 ? std::max(0L, len + start) : 0);
  if (from >= len) return {};
  std::size_t n = count < 0 ? std::string_view::npos : static_cast<std::size_t>(count);
  return std::string(s.substr(static_cast<std::size_t>(from), n));
}

std::string replicate(std::string_view s, int n) {
  std::string out;
  if (n <= 0) return out;
  out.reserve(s.size() * n);
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

std::string space(int n) { return n > 0 ? std::string(n, ' ') : std::string(); }

bool empty(const Value& v) {
  switch (v.type()) {
    case Type::Nil: return true;
    case Type::Character:
      return v.as_str().find_first_not_of(" \t\r\n") == std::string::npos;
    case Type::Numeric: return v.as_num() == 0;
    case Type::Date: return v.as_date().empty();
    case Type::Logical: return !v.as_logical();
    case Type::Block: return false;
  }
  return false;
}

std::string dtoc(Date d) {
  if (d.empty()) return "    .  .  ";
  std::string s = d.dtos();
  return s.substr(0, 4) + "." + s.substr(4, 2) + "." + s.substr(6, 2);
}

Date ctod(std::string_view text) {
  // Year, month and day in this order, each a run of digits, separated by any
  // other characters. A year of one or two digits falls in the century window.
  int part[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int k = 0;
  std::size_t i = 0;
  while (k < 3) {
    while (i < text.size() && (text[i] < '0' || text[i] > '9')) ++i;
    if (i >= text.size()) break;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      if (digits[k] < 9) part[k] = part[k] * 10 + (text[i] - '0');
      ++digits[k];
      ++i;
    }
    ++k;
  }
  if (k < 3) return Date();
  int year = part[0];
  if (digits[0] <= 2) year += (year >= kEpoch % 100) ? 1900 : 2000;
  return Date::from_ymd(year, part[1], part[2]);
}

Date today() {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return Date::from_ymd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

}  // namespace xbase
