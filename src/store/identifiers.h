// Check digits of the Hungarian identifiers, as pure functions: the 10-digit tax
// identifier of a private person, the 11-digit tax number of an organisation and the
// 9-digit social security (TAJ) number; the birth date hidden in a tax identifier;
// the zero filling of numeric codes kept in text fields.
//
// Every position a check reads must hold a digit: a letter or a blank there makes the
// value invalid (it is never read as 0).
#pragma once

#include <string>
#include <string_view>

#include "xbase/date.h"

namespace store::ids {

// Tax identifier: ten digits, not all zero; S = Σ i·d_i over digits 1..9; valid when
// S mod 11 equals digit 10 (a remainder of 10 never matches). Characters after the
// tenth are not read.
bool tax_id_valid(std::string_view id);

// Tax number: eleven characters without trailing blanks, all digits; S = Σ d_i·w_i
// over digits 1..7 with the weights 9 7 3 1 9 7 3; valid when S + d_8 is a multiple
// of 10. Digits 9 to 11 (VAT code and county) carry no check digit.
bool tax_number_valid(std::string_view number);

// Which check a company identifier goes to, by its length without blanks around it.
enum class CompanyIdKind { TaxNumber, TaxId, WrongLength };
CompanyIdKind company_id_kind(std::string_view value);
// The company identifier check without the message: 11 characters the tax number,
// 10 the tax identifier on the first ten characters, anything else invalid.
bool company_id_valid(std::string_view value);

// TAJ number: empty (blanks only) is accepted; a length other than 9 (trailing blanks
// dropped) is refused silently; otherwise nine digits with S = Σ d_i·w_i over digits
// 1..8, weights 3 on the odd and 7 on the even positions, and S mod 10 = digit 9.
enum class TajResult { Valid, WrongLength, Invalid };
TajResult check_taj(std::string_view number);

// Birth date in a tax identifier: 1 January 1867 plus the number formed by
// characters 2 to 6 (read as VAL() reads them). The empty date for an empty id.
xbase::Date birth_date_of(std::string_view id);

// Zero filling: a non-empty value trimmed on both sides and padded on the left with
// "0" to the value's length; an empty one is left as it is. "1" of width 3 -> "001".
std::string zero_fill(std::string_view value);

// --- For building valid identifiers (test data, examples) ---
// The check digit of the first nine digits of a tax identifier, or -1 when the
// remainder is 10 (no valid identifier has those nine digits).
int tax_id_check_digit(std::string_view first9);
// The check digit (digit 8) of the first seven digits of a tax number.
int tax_number_check_digit(std::string_view first7);
// The check digit (digit 9) of the first eight digits of a TAJ number.
int taj_check_digit(std::string_view first8);
// Days from 1 January 1867 to `d` (what characters 2 to 6 of a tax identifier hold).
int days_since_1867(xbase::Date d);

}  // namespace store::ids
