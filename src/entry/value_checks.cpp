#include "entry/value_checks.h"

namespace entry::checks {
namespace {

int64_t abs64(int64_t v) { return v < 0 ? -v : v; }

}  // namespace

bool cost_ok(int64_t revenue, int64_t cost) { return cost <= revenue; }

bool part_of_row7_ok(int64_t revenue, int64_t row7_revenue) { return revenue <= row7_revenue; }

bool disability_ok(int64_t amount, int64_t unit) {
  if (amount == 0) return true;
  if (unit <= 0 || amount < 0) return false;
  return amount <= 12 * unit && amount % unit == 0;
}

bool first_marriage_ok(int64_t amount, int64_t monthly) {
  return amount >= 0 && amount <= 12 * monthly;
}

bool assessed_ok(int64_t assessed, int64_t base) {
  // assessed <= base * 0.185 + 12
  return assessed * 1000 <= base * 185 + 12'000;
}

bool allowance_ok(int64_t allowance, int64_t assessed) { return allowance <= assessed; }

bool ekho15_ok(int64_t tax, int64_t base) {
  // tax < base * 0.15 + 15
  return tax == 0 || tax * 100 < base * 15 + 1'500;
}

bool ekho95_ok(int64_t tax, int64_t base) {
  // |tax - base * 0.095| < 15
  return tax == 0 || abs64(tax * 1000 - base * 95) < 15'000;
}

bool ekho_total_ok(int64_t total, int64_t bases) {
  return abs64(total * 1000 - bases * 95) < 15'000;
}

bool security_kind_ok(std::string_view kind) {
  if (kind.find_first_not_of(' ') == std::string_view::npos) return true;
  if (kind.size() < 3) return false;
  if (kind[0] < '1' || kind[0] > '3') return false;
  const std::string_view tail = kind.substr(1, 2);
  for (std::string_view ok : {"10", "11", "12", "13", "14", "20", "22"})
    if (tail == ok) return true;
  return false;
}

bool code_ok(std::string_view value, std::string_view allowed) {
  const char c = value.empty() ? ' ' : value[0];
  return allowed.find(c) != std::string_view::npos;
}

}  // namespace entry::checks
