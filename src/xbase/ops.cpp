// Operators on values. Numbers keep the display decimals the runtime gives them:
// + and - the larger of the two, * the sum, / the SET DECIMALS value (2); see
// docs/values.md.
#include "xbase/ops.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "xbase/collation.h"
#include "xbase/cp852.h"
#include "xbase/error.h"

namespace xbase {
namespace {

constexpr int kSetDecimals = 2;  // SET DECIMALS: decimals of a quotient

// The BASE subsystem's codes of the operators' argument errors.
constexpr int kSubEq = 1071, kSubExactEq = 1070, kSubLess = 1073, kSubContains = 1109;
constexpr int kSubPlus = 1081, kSubMinus = 1082, kSubMult = 1083, kSubDiv = 1084,
              kSubMod = 1085, kSubNeg = 1080;
constexpr int kSubZeroDiv = 1340, kSubZeroMod = 1341;

[[noreturn]] void arg_error(int sub_code, const char* op, const Value& a, const Value* b) {
  throw_argument_error(op, sub_code, b ? std::vector<Value>{a, *b} : std::vector<Value>{a});
}

[[noreturn]] void zero_div(int sub_code, const char* op, const Value& a, const Value& b) {
  Error e;
  e.gen_code = gen::kZeroDiv;
  e.subsystem = "BASE";
  e.sub_code = sub_code;
  e.description = "Zero divisor";
  e.operation = op;
  e.can_substitute = true;
  e.args = {a, b};
  throw ErrorException(std::move(e));
}

std::string_view without_trailing_blanks(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

// Text ordering by the HU852 collation. Exact off: only as many bytes as the right
// side has take part (so anything compares equal to ""). Exact on: trailing blanks
// do not count on either side.
int compare_text(std::string_view a, std::string_view b, bool exact) {
  if (exact) return collation::compare(without_trailing_blanks(a), without_trailing_blanks(b));
  if (a.size() > b.size()) a = a.substr(0, b.size());
  return collation::compare(a, b);
}

template <typename T>
int sign_of(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

// Same-type ordering; `sub_code` names the operator in an argument error.
int compare_same(const Value& a, const Value& b, bool exact, int sub_code, const char* op) {
  if (a.type() != b.type()) arg_error(sub_code, op, a, &b);
  switch (a.type()) {
    case Type::Character: return compare_text(a.as_str(), b.as_str(), exact);
    case Type::Numeric: return sign_of(a.as_num(), b.as_num());
    case Type::Date: return sign_of(a.as_date().julian(), b.as_date().julian());
    case Type::Logical: return sign_of(int(a.as_logical()), int(b.as_logical()));
    case Type::Nil: return 0;
    default: arg_error(sub_code, op, a, &b);
  }
}

// A date moved by a number of days; the empty date stays empty, and so does a
// result outside the years 1-9999 that dates can hold.
Value shift_date(Date d, double days) {
  constexpr double kFirst = 1721426, kLast = 5373484;  // 0001-01-01, 9999-12-31
  double jd = d.julian() + std::trunc(days);
  if (d.empty() || !(jd >= kFirst && jd <= kLast)) return Value::date(Date());
  return Value::date(Date::from_julian(static_cast<int32_t>(jd)));
}

Value number(double v, int decimals) { return Value::num(v, -1, decimals); }

bool whole(const Value& v) {
  return v.decimals() == 0 && std::fabs(v.as_num()) < 9.2e18 && std::trunc(v.as_num()) == v.as_num();
}

bool fits_32_bits(double v) { return v >= -2147483648.0 && v <= 2147483647.0; }

// A sum, difference or product of two whole numbers is an integer of the runtime.
// It keeps ten columns up to the integer's limit: 999,999,999 when both sides fit
// 32 bits (the old dBASE limit the runtime kept for them), 9,999,999,999 otherwise.
// A larger result is one column wider than its digits; one below -999,999,999 is
// twenty wide, as a computed number is.
Value integer_or_number(double r, const Value& a, const Value& b, int decimals) {
  if (!whole(a) || !whole(b) || std::fabs(r) >= 9.2e18) return number(r, decimals);
  double limit = fits_32_bits(a.as_num()) && fits_32_bits(b.as_num()) ? 999999999.0 : 9999999999.0;
  if (r < -999999999.0 || r <= limit) return number(r, 0);
  char digits[32];
  int n = std::snprintf(digits, sizeof digits, "%.0f", r);
  return Value::num(r, n + 1, 0);
}

}  // namespace

bool equal(const Value& a, const Value& b, bool exact) {
  // NIL equals only NIL; comparing it with anything else is false, not an error.
  if (a.is_nil() || b.is_nil()) return a.is_nil() && b.is_nil();
  return compare_same(a, b, exact, kSubEq, "=") == 0;
}

bool exactly_equal(const Value& a, const Value& b) {
  if (a.is_nil() || b.is_nil()) return a.is_nil() && b.is_nil();
  if (a.is_str() && b.is_str()) return a.as_str() == b.as_str();
  return compare_same(a, b, true, kSubExactEq, "==") == 0;
}

int compare(const Value& a, const Value& b, bool exact) {
  return compare_same(a, b, exact, kSubLess, "<");
}

bool contains(const Value& a, const Value& b) {
  if (!a.is_str() || !b.is_str()) arg_error(kSubContains, "$", a, &b);
  // As in the runtime, the empty text is contained in nothing.
  return !a.as_str().empty() && b.as_str().find(a.as_str()) != std::string::npos;
}

Value add(const Value& a, const Value& b) {
  if (a.is_num() && b.is_num())
    return integer_or_number(a.as_num() + b.as_num(), a, b, std::max(a.decimals(), b.decimals()));
  if (a.is_str() && b.is_str()) return Value::str(a.as_str() + b.as_str());
  if (a.is_date() && b.is_num()) return shift_date(a.as_date(), b.as_num());
  if (a.is_num() && b.is_date()) return shift_date(b.as_date(), a.as_num());
  arg_error(kSubPlus, "+", a, &b);
}

Value subtract(const Value& a, const Value& b) {
  if (a.is_num() && b.is_num())
    return integer_or_number(a.as_num() - b.as_num(), a, b, std::max(a.decimals(), b.decimals()));
  if (a.is_str() && b.is_str()) {
    // "-" joins the texts and moves the left side's trailing blanks to the end.
    std::string_view left = without_trailing_blanks(a.as_str());
    std::string out(left);
    out += b.as_str();
    out.append(a.as_str().size() - left.size(), ' ');
    return Value::str(std::move(out));
  }
  if (a.is_date() && b.is_num()) return shift_date(a.as_date(), -b.as_num());
  if (a.is_date() && b.is_date())
    return number(static_cast<double>(a.as_date().julian()) - b.as_date().julian(), 0);
  arg_error(kSubMinus, "-", a, &b);
}

Value multiply(const Value& a, const Value& b) {
  if (!a.is_num() || !b.is_num()) arg_error(kSubMult, "*", a, &b);
  return integer_or_number(a.as_num() * b.as_num(), a, b, a.decimals() + b.decimals());
}

Value divide(const Value& a, const Value& b) {
  if (!a.is_num() || !b.is_num()) arg_error(kSubDiv, "/", a, &b);
  if (b.as_num() == 0) zero_div(kSubZeroDiv, "/", a, b);
  return number(a.as_num() / b.as_num(), kSetDecimals);
}

Value modulo(const Value& a, const Value& b) {
  if (!a.is_num() || !b.is_num()) arg_error(kSubMod, "%", a, &b);
  if (b.as_num() == 0) zero_div(kSubZeroMod, "%", a, b);
  return number(std::fmod(a.as_num(), b.as_num()), std::max(a.decimals(), b.decimals()));
}

Value negate(const Value& a) {
  if (!a.is_num()) arg_error(kSubNeg, "-", a, nullptr);
  return Value::num(-a.as_num(), a.width(), a.decimals());
}

}  // namespace xbase
