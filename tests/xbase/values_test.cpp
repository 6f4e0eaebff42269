// Value operators and the runtime's text, number and date functions.
#include <gtest/gtest.h>

#include "xbase/error.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/ops.h"

namespace xbase {
namespace {

Value S(std::string_view s) { return Value::str(std::string(s)); }
Value N(double n) { return Value::num(n); }
Value D(int y, int m, int d) { return Value::date(Date::from_ymd(y, m, d)); }

int gen_code_of(auto&& f) {
  try {
    f();
  } catch (const ErrorException& e) {
    return e.error().gen_code;
  }
  return 0;
}

TEST(Compare, TextWithExactOff) {
  EXPECT_TRUE(equal(S("ABC"), S("AB")));
  EXPECT_TRUE(equal(S("ABC"), S("")));
  EXPECT_TRUE(equal(S(""), S("")));
  EXPECT_FALSE(equal(S("AB"), S("ABC")));
  EXPECT_FALSE(equal(S(""), S("A")));
  EXPECT_FALSE(equal(S("AB "), S("AB  ")));  // trailing blanks count with exact off
  EXPECT_TRUE(equal(S("AB "), S("AB"), /*exact=*/true));
  EXPECT_FALSE(equal(S("ABC"), S("AB"), /*exact=*/true));
  EXPECT_FALSE(exactly_equal(S("ABC"), S("AB")));
  EXPECT_FALSE(exactly_equal(S("AB "), S("AB")));
  EXPECT_TRUE(exactly_equal(S("AB"), S("AB")));
}

TEST(Compare, OrderingUsesHungarianCollation) {
  EXPECT_EQ(compare(S("ABC"), S("AB")), 0);  // exact off: only "AB" takes part
  EXPECT_EQ(compare(S("AB"), S("ABC")), -1);
  EXPECT_EQ(compare(S(HU("ÁRPÁD")), S("BELA")), -1);  // Á sorts after A, before B
  EXPECT_EQ(compare(S(HU("ÖRS")), S("OTTO")), 1);
  EXPECT_EQ(compare(N(2), N(10)), -1);
  EXPECT_EQ(compare(D(2023, 1, 1), Value::date(Date())), 1);  // empty date first
  EXPECT_TRUE(equal(Value(), Value()));
  EXPECT_FALSE(equal(Value(), N(0)));
  EXPECT_EQ(gen_code_of([] { compare(S("1"), N(1)); }), gen::kArg);
}

TEST(Operators, TextAndContains) {
  EXPECT_EQ(add(S("AB "), S("C")).as_str(), "AB C");
  EXPECT_EQ(subtract(S("AB  "), S("C")).as_str(), "ABC  ");
  EXPECT_TRUE(contains(S("K"), S("MK")));
  EXPECT_FALSE(contains(S("E"), S("MK")));
  EXPECT_FALSE(contains(S(""), S("MK")));
  EXPECT_EQ(gen_code_of([] { add(S("A"), N(1)); }), gen::kArg);
  EXPECT_EQ(gen_code_of([] { contains(N(1), S("1")); }), gen::kArg);
}

TEST(Operators, NumbersKeepTheirDisplayDecimals) {
  Value sum = add(Value::num(1.5, 5, 1), Value::num(2.25, 6, 2));
  EXPECT_DOUBLE_EQ(sum.as_num(), 3.75);
  EXPECT_EQ(sum.decimals(), 2);
  EXPECT_EQ(multiply(Value::num(1.5, 5, 1), Value::num(2.25, 6, 2)).decimals(), 3);
  Value q = divide(N(10), N(4));
  EXPECT_DOUBLE_EQ(q.as_num(), 2.5);
  EXPECT_EQ(str(q), "         2.50");
  EXPECT_EQ(str(add(N(1), N(2))), "         3");
  EXPECT_DOUBLE_EQ(modulo(N(7), N(3)).as_num(), 1);
  EXPECT_DOUBLE_EQ(negate(N(4)).as_num(), -4);
}

TEST(Operators, DivisionByZeroIsAnAnswerableError) {
  try {
    divide(N(1), N(0));
    FAIL();
  } catch (const ErrorException& e) {
    EXPECT_EQ(e.error().gen_code, gen::kZeroDiv);
    EXPECT_EQ(e.error().subsystem, "BASE");
    EXPECT_TRUE(e.error().can_substitute);
  }
  EXPECT_EQ(gen_code_of([] { modulo(N(1), N(0)); }), gen::kZeroDiv);
}

TEST(Operators, DateArithmetic) {
  EXPECT_EQ(add(D(2023, 12, 31), N(1)).as_date(), Date::from_ymd(2024, 1, 1));
  EXPECT_EQ(add(N(1), D(2024, 2, 28)).as_date(), Date::from_ymd(2024, 2, 29));
  EXPECT_EQ(subtract(D(2023, 3, 1), N(1)).as_date(), Date::from_ymd(2023, 2, 28));
  EXPECT_DOUBLE_EQ(subtract(D(2024, 1, 1), D(2023, 1, 1)).as_num(), 365);
  EXPECT_TRUE(add(Value::date(Date()), N(5)).as_date().empty());
  EXPECT_TRUE(add(D(9999, 12, 31), N(1)).as_date().empty());  // beyond the years dates hold
  EXPECT_TRUE(add(D(2023, 1, 1), N(1e300)).as_date().empty());
  EXPECT_EQ(gen_code_of([] { add(D(2023, 1, 1), D(2023, 1, 1)); }), gen::kArg);
}

TEST(Numbers, StrWidthsAndAsterisks) {
  EXPECT_EQ(str(123.0), "       123");
  EXPECT_EQ(str(-5.0), "        -5");
  EXPECT_EQ(str(12345678901.0), "         12345678901");  // beyond ten digits: twenty
  EXPECT_EQ(str(123.0, 2), "**");
  EXPECT_EQ(str(12.0, 2), "12");
  EXPECT_EQ(str(3.14159, 6, 2), "  3.14");
  EXPECT_EQ(str(3.14159, 3, 2), "***");  // the decimals are kept, the whole part has no room
  EXPECT_EQ(str(2.5, 3), "  3");
  EXPECT_EQ(str(-2.5, 3), " -3");
  EXPECT_EQ(str(Value::num(1234, 8, 0)), "    1234");  // a field's own width
  EXPECT_EQ(str(Value::num(7.5, 6, 2)), "  7.50");
}

TEST(Numbers, RoundHalfAwayFromZero) {
  EXPECT_DOUBLE_EQ(round_half_away(77333.33, -2), 77300);
  EXPECT_DOUBLE_EQ(round_half_away(77350, -2), 77400);
  EXPECT_DOUBLE_EQ(round_half_away(-77350, -2), -77400);
  EXPECT_DOUBLE_EQ(round_half_away(2.5, 0), 3);
  EXPECT_DOUBLE_EQ(round_half_away(-2.5, 0), -3);
  EXPECT_DOUBLE_EQ(round_half_away(1.005, 2), 1.01);
  EXPECT_DOUBLE_EQ(round_half_away(0.185 * 100, 0), 19);
  EXPECT_DOUBLE_EQ(round_half_away(232000.0 / 3, -2), 77300);
}

TEST(Numbers, Val) {
  Value v = val("  -12.50xyz");
  EXPECT_DOUBLE_EQ(v.as_num(), -12.5);
  EXPECT_EQ(v.decimals(), 5);  // every character after the point
  EXPECT_DOUBLE_EQ(val("12A12").as_num(), 12);
  EXPECT_DOUBLE_EQ(val("A1212").as_num(), 0);
  EXPECT_DOUBLE_EQ(val("").as_num(), 0);
  EXPECT_EQ(val("5").decimals(), 0);
  EXPECT_EQ(str(val("5")), "5");
  // Hundreds of typed decimals: shown, not overflowing a buffer.
  EXPECT_NE(str(val("1." + std::string(350, '0'))).find("1.000"), std::string::npos);
}

TEST(Text, PaddingTrimmingAndCutting) {
  EXPECT_EQ(padr("AB", 4), "AB  ");
  EXPECT_EQ(padr("ABCDE", 3), "ABC");
  EXPECT_EQ(padl("AB", 4, '0'), "00AB");
  EXPECT_EQ(padl("ABCDE", 3), "ABC");
  EXPECT_EQ(padc("AB", 5), " AB  ");
  EXPECT_EQ(padr("AB", 0), "");
  EXPECT_EQ(rtrim("  A B  "), "  A B");
  EXPECT_EQ(ltrim("  A B  "), "A B  ");
  EXPECT_EQ(alltrim("  A B  "), "A B");
  EXPECT_EQ(left("ABC", 5), "ABC");
  EXPECT_EQ(right("ABC", 2), "BC");
  EXPECT_EQ(substr("ABCDEF", 2, 3), "BCD");
  EXPECT_EQ(substr("ABCDEF", 5), "EF");
  EXPECT_EQ(substr("ABCDEF", -2), "EF");
  EXPECT_EQ(substr("ABCDEF", 7), "");
  EXPECT_EQ(substr("ABCDEF", 0, 2), "AB");
  EXPECT_EQ(replicate("ab", 3), "ababab");
  EXPECT_EQ(upper(HU("Öt kőműves")), HU("ÖT KŐMŰVES"));
  EXPECT_EQ(lower(HU("ÉVA")), HU("éva"));
}

TEST(Text, Empty) {
  EXPECT_TRUE(empty(S("  \t")));
  EXPECT_FALSE(empty(S(" x")));
  EXPECT_TRUE(empty(N(0)));
  EXPECT_TRUE(empty(Value::date(Date())));
  EXPECT_TRUE(empty(Value::logical(false)));
  EXPECT_TRUE(empty(Value()));
  EXPECT_FALSE(empty(D(2023, 1, 1)));
}

TEST(Dates, DtocCtodAndTheCenturyWindow) {
  EXPECT_EQ(dtoc(Date::from_ymd(2023, 9, 1)), "2023.09.01");
  EXPECT_EQ(dtoc(Date()), "    .  .  ");
  EXPECT_EQ(ctod("2023.09.01"), Date::from_ymd(2023, 9, 1));
  EXPECT_EQ(ctod("59.01.01"), Date::from_ymd(1959, 1, 1));
  EXPECT_EQ(ctod("58.12.31"), Date::from_ymd(2058, 12, 31));
  EXPECT_EQ(ctod("99.12.31"), Date::from_ymd(1999, 12, 31));
  EXPECT_EQ(ctod("23.09.01"), Date::from_ymd(2023, 9, 1));
  EXPECT_TRUE(ctod("2023.02.29").empty());
  EXPECT_TRUE(ctod("    .  .  ").empty());
  EXPECT_TRUE(ctod("").empty());
  EXPECT_EQ(ctod(dtoc(Date::from_ymd(2024, 2, 29))), Date::from_ymd(2024, 2, 29));
  Date d = Date::from_ymd(2024, 2, 29);
  EXPECT_EQ(d.year() * 10000 + d.month() * 100 + d.day(), 20240229);
  EXPECT_EQ(d.dtos(), "20240229");
  EXPECT_FALSE(today().empty());
}

}  // namespace
}  // namespace xbase
