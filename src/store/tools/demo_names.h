// Word lists of the demonstration data: Hungarian surnames, given names, towns with
// their postcodes, street names and company name parts (CP852).
#pragma once

#include <span>
#include <string_view>

namespace store::demo {

struct Town {
  std::string_view name;
  int postcode_low;
  int postcode_high;
};

std::span<const std::string_view> surnames();
std::span<const std::string_view> male_given_names();
std::span<const std::string_view> female_given_names();
std::span<const Town> towns();
std::span<const std::string_view> street_names();
std::span<const std::string_view> street_kinds();  // kinds of public space used in addresses
std::span<const std::string_view> company_words();
std::span<const std::string_view> company_trades();
std::span<const std::string_view> other_income_names();

}  // namespace store::demo
