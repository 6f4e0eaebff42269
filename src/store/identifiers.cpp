#include "store/identifiers.h"

namespace store::ids {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
int digit(char c) { return c - '0'; }

bool all_digits(std::string_view s) {
  for (char c : s)
    if (!is_digit(c)) return false;
  return true;
}

std::string_view trim_right(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::string_view trim(std::string_view s) {
  s = trim_right(s);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

bool blank(std::string_view s) { return trim(s).empty(); }

xbase::Date base_date() { return xbase::Date::from_ymd(1867, 1, 1); }

}  // namespace

int tax_id_check_digit(std::string_view first9) {
  int s = 0;
  for (int i = 0; i < 9; ++i) s += (i + 1) * digit(first9[static_cast<size_t>(i)]);
  const int r = s % 11;
  return r == 10 ? -1 : r;
}

bool tax_id_valid(std::string_view id) {
  if (id.size() < 10) return false;
  id = id.substr(0, 10);
  if (!all_digits(id) || id == "0000000000") return false;
  return tax_id_check_digit(id) == digit(id[9]);
}

int tax_number_check_digit(std::string_view first7) {
  static constexpr int kWeights[7] = {9, 7, 3, 1, 9, 7, 3};
  int s = 0;
  for (int i = 0; i < 7; ++i) s += kWeights[i] * digit(first7[static_cast<size_t>(i)]);
  return (10 - s % 10) % 10;
}

bool tax_number_valid(std::string_view number) {
  number = trim_right(number);
  if (number.size() != 11 || !all_digits(number)) return false;
  return tax_number_check_digit(number) == digit(number[7]);
}

CompanyIdKind company_id_kind(std::string_view value) {
  switch (trim(value).size()) {
    case 11: return CompanyIdKind::TaxNumber;
    case 10: return CompanyIdKind::TaxId;
    default: return CompanyIdKind::WrongLength;
  }
}

bool company_id_valid(std::string_view value) {
  switch (company_id_kind(value)) {
    case CompanyIdKind::TaxNumber: return tax_number_valid(value);
    case CompanyIdKind::TaxId: return tax_id_valid(value.substr(0, 10));
    case CompanyIdKind::WrongLength: return false;
  }
  return false;
}

int taj_check_digit(std::string_view first8) {
  int s = 0;
  for (int i = 0; i < 8; ++i) s += (i % 2 == 0 ? 3 : 7) * digit(first8[static_cast<size_t>(i)]);
  return s % 10;
}

TajResult check_taj(std::string_view number) {
  if (blank(number)) return TajResult::Valid;
  number = trim_right(number);
  if (number.size() != 9) return TajResult::WrongLength;
  if (!all_digits(number)) return TajResult::Invalid;
  return taj_check_digit(number) == digit(number[8]) ? TajResult::Valid : TajResult::Invalid;
}

xbase::Date birth_date_of(std::string_view id) {
  if (blank(id)) return {};
  // VAL() of characters 2 to 6: leading blanks skipped, then the digits up to the
  // first other character.
  std::string_view part = id.size() > 1 ? id.substr(1, 5) : std::string_view();
  size_t i = 0;
  while (i < part.size() && part[i] == ' ') ++i;
  int n = 0;
  for (; i < part.size() && is_digit(part[i]); ++i) n = n * 10 + digit(part[i]);
  return xbase::Date::from_julian(base_date().julian() + n);
}

int days_since_1867(xbase::Date d) { return d.julian() - base_date().julian(); }

std::string zero_fill(std::string_view value) {
  if (blank(value)) return std::string(value);
  const std::string_view t = trim(value);
  return std::string(value.size() - t.size(), '0') + std::string(t);
}

}  // namespace store::ids
