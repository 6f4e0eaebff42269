// TRANSFORM with the pictures the screens, certificates and exports use.
#include <gtest/gtest.h>

#include "xbase/error.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace xbase {
namespace {

std::string tf(double n, std::string_view pic) { return transform(Value::num(n), pic); }
std::string tf(std::string_view s, std::string_view pic) {
  return transform(Value::str(std::string(s)), pic);
}

TEST(Transform, AmountsWithThousandsSeparators) {
  EXPECT_EQ(tf(1234567, "@EZ 999,999,999"), "  1.234.567");
  EXPECT_EQ(tf(0, "@EZ 999,999,999"), std::string(11, ' '));
  EXPECT_EQ(tf(0, "@E 999,999,999"), "          0");
  EXPECT_EQ(tf(999, "@E 999,999,999"), "        999");
  EXPECT_EQ(tf(1000, "@E 999,999,999"), "      1.000");
  EXPECT_EQ(tf(999999999, "@E 999,999,999"), "999.999.999");
  EXPECT_EQ(tf(1234567, "999,999,999"), "  1,234,567");
  EXPECT_EQ(tf(12345678901, "@ZE 99,999,999,999"), "12.345.678.901");
  EXPECT_EQ(tf(1000000000, "@E 999,999,999"), "***********");  // does not fit
}

TEST(Transform, NegativeAmountsPutTheSignBeforeTheFirstDigit) {
  EXPECT_EQ(tf(-1234567, "@EZ 999,999,999"), " -1.234.567");
  EXPECT_EQ(tf(-123456, "@EZ 999,999,999"), "   -123.456");  // sign takes the blank separator
  EXPECT_EQ(tf(-5, "@EZ 999,999,999"), "         -5");
  EXPECT_EQ(tf(-12345678, "@EZ 999,999,999"), "-12.345.678");
  EXPECT_EQ(tf(-123456789, "@EZ 999,999,999"), "***********");  // no room for the sign
  EXPECT_EQ(tf(-42, "@Z 999999999"), "      -42");
  EXPECT_EQ(tf(-0.4, "999"), "  0");  // rounds to zero: no sign
}

TEST(Transform, ZeroSuppressionAndPlainTemplates) {
  EXPECT_EQ(tf(0, "@Z 999"), "   ");
  EXPECT_EQ(tf(7, "@Z 999"), "  7");
  EXPECT_EQ(tf(0, "999"), "  0");
  EXPECT_EQ(tf(1234, "999"), "***");
  EXPECT_EQ(tf(3, "99"), " 3");
  EXPECT_EQ(tf(0, "@Z " + std::string(11, '9')), std::string(11, ' '));
}

TEST(Transform, LiteralCharactersInNumericTemplates) {
  EXPECT_EQ(tf(55, "9999 %"), "  55 %");
  EXPECT_EQ(tf(100, "9999 %"), " 100 %");
  EXPECT_EQ(tf(66.6, "9999 %"), "  67 %");
  EXPECT_EQ(tf(12345, "9999 %"), "**** %");
}

TEST(Transform, Decimals) {
  EXPECT_EQ(tf(1234.5, "9,999.99"), "1,234.50");
  EXPECT_EQ(tf(1234.5, "@E 9,999.99"), "1.234,50");
  EXPECT_EQ(tf(2.675, "9.99"), "2.68");  // half away from zero in decimal
  EXPECT_EQ(tf(-0.5, "99.9"), "-0.5");
  EXPECT_EQ(tf(0.25, ".99"), ".25");
}

TEST(Transform, NumbersWithoutTemplate) {
  EXPECT_EQ(tf(1234, ""), "      1234");
  EXPECT_EQ(tf(0, "@Z"), std::string(10, ' '));
  EXPECT_EQ(tf(12, "@B"), "12        ");
  EXPECT_EQ(transform(Value::num(1.5, 5, 2), "@E"), " 1,50");
}

TEST(Transform, TextWithInsertedLiterals) {
  EXPECT_EQ(tf("12345678123", "@R 99999999-9-99"), "12345678-1-23");
  EXPECT_EQ(tf("123456789", "@R 999 999 999"), "123 456 789");
  EXPECT_EQ(tf("1234567", "@R 99/99999-9"), "12/34567- ");  // short text: blank slots
  EXPECT_EQ(tf("", "@R 999 999 999"), "           ");
  EXPECT_EQ(tf("8123456789", "@KR XXXXXXXXXX"), "8123456789");
  EXPECT_EQ(tf("123456789012345678901234", "@R 99999999-99999999-99999999"),
            "12345678-90123456-78901234");
}

TEST(Transform, TextTemplatesStopWhereTheTextEnds) {
  EXPECT_EQ(tf("szeptember", "!XXXXXXXXXXXX"), "Szeptember");
  EXPECT_EQ(tf(HU("január"), "!XXXXXXXXXXXX"), HU("Január"));
  EXPECT_EQ(tf(HU("ősz"), "!XXXXXXXXXXXX"), HU("Ősz"));
  EXPECT_EQ(tf("ABCDEF", "XXX"), "ABC");         // the template ends first
  EXPECT_EQ(tf("1234567890", "999-999"), "123-567");  // a literal takes the text's place
  EXPECT_EQ(tf("i", "!"), "I");
}

TEST(Transform, UpperCaseFunction) {
  EXPECT_EQ(tf(HU("kovács ödön"), "@!"), HU("KOVÁCS ÖDÖN"));
  EXPECT_EQ(tf(HU("árvíz"), "@! XXX"), HU("ÁRV"));
  EXPECT_EQ(tf("abc", "@K"), "abc");
}

TEST(Transform, DatesLogicalsAndBadValues) {
  EXPECT_EQ(transform(Value::date(Date::from_ymd(2023, 9, 1)), ""), "2023.09.01");
  EXPECT_EQ(transform(Value::date(Date()), "@D"), "    .  .  ");
  EXPECT_EQ(transform(Value::logical(true), ""), "T");
  EXPECT_EQ(transform(Value::logical(false), "Y"), "N");
  EXPECT_THROW(transform(Value(), "999"), ErrorException);
}

TEST(Transform, CompiledPictureGivesWhatTransformGives) {
  const char* pictures[] = {"@EZ 999,999,999", "@E 99,999,999", "@ZE 99,999,999,999", "@Z 99999999999",
                            "@R 99999999-9-99", "@KR XXXXXXXXXX", "!XXXXXXXXXX", "9999.99", ""};
  const Value values[] = {Value::num(0), Value::num(1234567), Value::num(-99999999),
                          Value::num(1234567890), Value::num(-0.4), Value::num(12.345, 10, 3),
                          Value::str("12345678242"), Value::str(std::string(HU("május"))), Value::str(""),
                          Value::date(Date::from_ymd(2024, 1, 31))};
  for (const char* p : pictures) {
    CompiledPicture c(p);
    EXPECT_EQ(c.text(), p);
    for (const Value& v : values) {
      EXPECT_EQ(c.apply(v), transform(v, p)) << p;
      if (v.is_num()) {
        EXPECT_EQ(c.apply(v.as_num()), transform(Value::num(v.as_num()), p)) << p;
      }
    }
  }
  EXPECT_EQ(CompiledPicture("@EZ 999,999,999").template_width(), 11);
}

}  // namespace
}  // namespace xbase
