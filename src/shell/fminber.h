// The monthly minimum wage of the tax year and the inessive suffix after a year.
#pragma once

#include <string>
#include <string_view>

namespace shell {

// FMINBER(month): the minimum wage valid in `month` ("01" .. "12") of the tax year
// `ev4`: 232000, or 266800 from December 2023 on.
double FMINBER(std::string_view ev4, std::string_view month);

// BANBEN(year): "ben" when the text's last digit is 1, 2, 4, 5, 7 or 9, else "ban"
// (2023-ban, 2021-ben).
std::string BANBEN(std::string_view year);

// The monthly unit of the severe-disability allowance: a third of January's minimum
// wage rounded to hundreds (77300 for 2023).
double kfogyatek(std::string_view ev4);

}  // namespace shell
