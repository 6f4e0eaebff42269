// The value checks of the person and dependant forms as pure functions: amounts
// against their row, allowances against their caps, contributions and EKHO against
// their rates, and the codes of the K71 form. Amounts are whole forints; the rates
// are compared in integers (a tax times 1000 against the base times the rate in
// thousandths), so no rounding decides a limit.
#pragma once

#include <cstdint>
#include <string_view>

namespace entry::checks {

// A row's cost: not more than the revenue of its row.
bool cost_ok(int64_t revenue, int64_t cost);
// Rows 8 to 12 break row 7 down: a revenue not more than the row 7 revenue.
bool part_of_row7_ok(int64_t revenue, int64_t row7_revenue);

// Severe-disability allowance: 0 to 12 units, in whole units (`unit` is KFOGYATEK).
bool disability_ok(int64_t amount, int64_t unit);
// First-marriage allowance claimable in the return: 0 to 12 × the monthly amount
// (KELSOHAZ).
bool first_marriage_ok(int64_t amount, int64_t monthly);

// Contributions assessed on a base: not more than base × 0.185 + 12.
bool assessed_ok(int64_t assessed, int64_t base);
// Family contribution allowance: not more than the contributions assessed.
bool allowance_ok(int64_t allowance, int64_t assessed);

// EKHO at 15 %: 0, or less than base × 0.15 + 15.
bool ekho15_ok(int64_t tax, int64_t base);
// EKHO at 9.5 % (also the EEA rows): 0, or differing from base × 0.095 by less than 15.
bool ekho95_ok(int64_t tax, int64_t base);
// The total 9.5 % part of the tax withheld: differing by less than 15 from 0.095 ×
// `bases` (the bases of the rows the payer settles). Zero is no exception.
bool ekho_total_ok(int64_t total, int64_t bases);

// Kind of security of the K71 form: empty, or three characters whose first is "1",
// "2" or "3" and whose last two are 10, 11, 12, 13, 14, 20 or 22.
bool security_kind_ok(std::string_view kind);

// A one-character code: its first character is one of `allowed` (which holds a
// blank when a blank code is allowed). An empty value counts as a blank.
bool code_ok(std::string_view value, std::string_view allowed);

}  // namespace entry::checks
