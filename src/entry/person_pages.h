// The six pages of the person form as data tables: identity and section I of the
// M30 (page 1), rows 18 to 65 (page 2), the separately taxed incomes and the social
// contribution tax (page 3), the allowances with the dependants button and the
// first-marriage data (page 4), the monthly family contribution allowance (page 5),
// the K71, EKHO and K91 data (page 6). Fields are listed in reading order.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "console/console.h"
#include "entry/form_page.h"

namespace entry {

// Pages 1 to 6 (index 0 to 5) for the four-digit tax year `ev4`, which some labels
// name.
std::vector<PageSpec> person_pages(std::string_view ev4);
PageSpec person_page_1();
PageSpec person_page_2();
PageSpec person_page_3();
PageSpec person_page_4(std::string_view ev4);
PageSpec person_page_5();
PageSpec person_page_6();

// MELLEJOV: a row's income (revenue less cost) at `col` of `row`, with the picture
// "@Z 999999999" (zero shows blank). Returns true.
bool MELLEJOV(console::Console& con, int row, int64_t amount, int col = 69);

// The amount pictures of the forms.
inline constexpr std::string_view kPZ8 = "@Z 99999999";
inline constexpr std::string_view kPZ9 = "@Z 999999999";
inline constexpr std::string_view kPZ10 = "@Z 9999999999";

}  // namespace entry
