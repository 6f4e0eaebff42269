// The value checks of the person and dependant forms at their limits.
#include <gtest/gtest.h>

#include "entry/value_checks.h"

namespace entry::checks {
namespace {

struct Case {
  const char* what;
  int64_t value;
  int64_t against;
  bool ok;
};

void expect_cases(bool (*check)(int64_t, int64_t), std::initializer_list<Case> cases) {
  for (const Case& c : cases)
    EXPECT_EQ(check(c.value, c.against), c.ok) << c.what << ": " << c.value << " / " << c.against;
}

TEST(ValueChecks, AllowancesAgainstTheirCaps) {
  expect_cases(disability_ok, {{"none", 0, 77'300, true},
                               {"one unit", 77'300, 77'300, true},
                               {"twelve units", 927'600, 77'300, true},
                               {"not a whole unit", 77'000, 77'300, false},
                               {"thirteen units", 1'004'900, 77'300, false},
                               {"a negative unit", -77'300, 77'300, false}});
  expect_cases(first_marriage_ok, {{"none", 0, 33'335, true},
                                   {"twelve months", 400'020, 33'335, true},
                                   {"one forint more", 400'021, 33'335, false},
                                   {"negative", -1, 33'335, false}});
}

TEST(ValueChecks, ContributionsAgainstTheRate) {
  // base × 0.185 + 12: 18,512 on 100,000; 22,851.545 on 123,457.
  expect_cases(assessed_ok, {{"at the limit", 18'512, 100'000, true},
                             {"one above", 18'513, 100'000, false},
                             {"below a fractional limit", 22'851, 123'457, true},
                             {"above a fractional limit", 22'852, 123'457, false},
                             {"nothing on nothing", 0, 0, true}});
  expect_cases(allowance_ok, {{"all of it", 18'512, 18'512, true},
                              {"more than assessed", 18'513, 18'512, false}});
}

TEST(ValueChecks, EkhoAgainstItsRates) {
  // 15 %: less than base × 0.15 + 15; any lower value passes.
  expect_cases(ekho15_ok, {{"just below", 15'014, 100'000, true},
                           {"at base × 0.15 + 15", 15'015, 100'000, false},
                           {"far below", 1, 100'000, true},
                           {"zero", 0, 100'000, true}});
  // 9.5 % and the EEA rows: within 14 of base × 0.095.
  expect_cases(ekho95_ok, {{"14 below", 9'486, 100'000, true},
                           {"14 above", 9'514, 100'000, true},
                           {"zero", 0, 100'000, true},
                           {"15 below", 9'485, 100'000, false},
                           {"15 above", 9'515, 100'000, false}});
  // The 9.5 % total: 0.095 × (300,000 of row 4.1 + 150,000 of row 4.2 + 40,000 of 4.3)
  // = 46,550; without row 4.3 (taken over) 42,750.
  expect_cases(ekho_total_ok, {{"+14", 46'564, 490'000, true},
                               {"-14", 46'536, 490'000, true},
                               {"+15", 46'565, 490'000, false},
                               {"-15", 46'535, 490'000, false},
                               {"4.3 taken over, +14", 42'764, 450'000, true},
                               {"4.3 taken over, -15", 42'735, 450'000, false},
                               {"zero on a base", 0, 490'000, false}});
}

TEST(ValueChecks, CostsAndTheBreakdownOfRow7) {
  expect_cases(cost_ok, {{"equal", 50'000, 50'000, true},
                         {"less", 50'000, 49'999, true},
                         {"more", 50'000, 50'001, false}});
  expect_cases(part_of_row7_ok, {{"all of row 7", 1'000'000, 1'000'000, true},
                                 {"above row 7", 1'000'001, 1'000'000, false}});
}

TEST(ValueChecks, CodesOfTheK71AndTheMonths) {
  for (const char* ok : {"   ", "110", "322", "214", "120"}) EXPECT_TRUE(security_kind_ok(ok)) << ok;
  for (const char* bad : {"410", "115", "1  ", "021", "12"}) EXPECT_FALSE(security_kind_ok(bad)) << bad;
  // A dependant's month code: blank refused; a first-marriage month code: blank allowed.
  EXPECT_FALSE(code_ok(" ", "123450"));
  EXPECT_FALSE(code_ok("", "123450"));
  EXPECT_TRUE(code_ok("0", "123450"));
  EXPECT_TRUE(code_ok(" ", "1230 "));
  EXPECT_FALSE(code_ok("4", "1230 "));
  EXPECT_FALSE(code_ok("A", "acd "));  // the entitlement codes are lower case
}

}  // namespace
}  // namespace entry::checks
