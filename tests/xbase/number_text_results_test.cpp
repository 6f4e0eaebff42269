// The number and text functions where xBase runtimes differ among themselves: each
// row is an expression as the program writes it and the result that the runtime the
// program was written for gives (measured there), with the agreeing neighbours.
// Numbers are compared through STR() of their own width, so widths count too.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xbase/expr.h"
#include "xbase/functions.h"

namespace xbase {
namespace {

struct Row {
  const char* expr;
  std::string want;
};

std::string shown(const Value& v) {
  if (v.is_str()) return v.as_str();
  if (v.is_num()) return str(v);
  if (v.is_logical()) return v.as_logical() ? ".T." : ".F.";
  return "<" + std::string(1, static_cast<char>(v.type())) + ">";
}

void check(const std::vector<Row>& rows) {
  for (const Row& r : rows) {
    EvalContext ctx;
    EXPECT_EQ(shown(Expr::compile(r.expr).eval(ctx)), r.want) << r.expr;
  }
}

TEST(NumberTextResults, ZeroSuppressionBlanksOnlyARealZero) {
  check({
      {R"(TRANSFORM(0.4, "@EZ 999,999,999"))", "          0"},
      {R"(TRANSFORM(-0.4, "@Z 999"))", "  0"},
      {R"(TRANSFORM(0.004, "@Z 999.99"))", "  0.00"},
      {R"(TRANSFORM(0, "@EZ 999,999,999"))", "           "},
      {R"(TRANSFORM(0, "@Z"))", "          "},
  });
}

TEST(NumberTextResults, WidthsOfComputedNumbersAndLongLiterals) {
  check({
      {"STR(-999999999-1)", "         -1000000000"},
      // Whole numbers are summed and multiplied as integers: beyond the integer's
      // limit one column more than the digits.
      {"STR(9999999999+1)", " 10000000000"},
      {"STR(1234567890+1)", " 1234567891"},
      {"STR(1000000*100000)", " 100000000000"},
      {"STR(2000000000-1000000000+1000000000)", " 2000000000"},
      {"STR(1234567890)", " 1234567890"},
      {"STR(ROUND(-1234567890.4, 0))", "         -1234567890"},
      {"LEN(STR(ROUND(-1234567890.4, 0)))", "        20"},
      // The edges that keep ten positions.
      {"STR(-999999998-1)", "-999999999"},
      {"STR(9999999998+1)", "9999999999"},
      {"STR(-999999999)", "-999999999"},
      {"STR(123)", "       123"},
  });
}

TEST(NumberTextResults, LeftTrimmingSkipsEveryWhiteSpaceByte) {
  check({
      {R"(ALLTRIM(CHR(9)+"abc "))", "abc"},
      {R"(LTRIM(" "+CHR(9)+"5"))", "5"},
      {R"(LTRIM(CHR(10)+CHR(11)+CHR(12)+CHR(13)+"x"))", "x"},
      {R"(STR(VAL(CHR(9)+"12")+0))", "        12"},
      {R"(RTRIM("abc"+CHR(9)) == "abc"+CHR(9))", ".T."},
      {R"(ALLTRIM(" abc"+CHR(9)) == "abc"+CHR(9))", ".T."},
  });
}

TEST(NumberTextResults, StrReservesTheDecimalsAndThePoint) {
  check({
      {"STR(3.14159, 3, 2)", "***"},
      {"STR(12.345, 4, 2)", "****"},
      {"STR(9999999, 10, 5)", "**********"},
      {"STR(1, 2, 2)", "**"},
      {"STR(3.14159, 6, 2)", "  3.14"},
      {"STR(123, 2)", "**"},
  });
}

TEST(NumberTextResults, ValOfAPointFirstCountsTheZeroBeforeIt) {
  EvalContext ctx;
  Value v = Expr::compile(R"(VAL(".5"))").eval(ctx);
  EXPECT_EQ(v.width(), 3);
  EXPECT_EQ(v.decimals(), 1);
}

TEST(NumberTextResults, ValTakesItsSizeFromTheText) {
  check({
      {R"(STR(VAL("12")))", "12"},
      {R"(STR(VAL("  12  ")))", "    12"},
      {R"(STR(VAL("-5")))", "-5"},
      {R"(STR(VAL(".5")))", "0.5"},
      {R"(STR(VAL("")))", "         0"},
      {R"(STR(VAL("1.5abc")))", "1.5000"},
      {R"(STR(VAL("1.2.3")))", "1.200"},
  });
}

TEST(NumberTextResults, TemplateOverflowAndSigns) {
  check({
      {R"(TRANSFORM(1000, "999.99"))", "***.**"},
      {R"(TRANSFORM(1234567, "@E 999,999.99"))", "*******,**"},
      {R"(TRANSFORM(-756, "@( 999,999"))", "(   756)"},
      {R"(TRANSFORM(-1234567, "@( 999,999"))", "(******)"},
      {R"(TRANSFORM(-8, "@X 999,999"))", "      8 DB"},
      {R"(TRANSFORM(1234567, "@C 999,999"))", "******* CR"},
      {R"(TRANSFORM(756, "@( 999,999"))", "    756"},
      {R"(TRANSFORM(1234, "9999 %"))", "1234 %"},
      {R"(TRANSFORM(12345, "9999 %"))", "**** %"},
  });
}

TEST(NumberTextResults, CertificateMasksOnWholeNumbers) {
  check({
      {R"(TRANSFORM(1234567, "@EZ 999,999,999"))", "  1.234.567"},
      {R"(TRANSFORM(-123456, "@EZ 999,999,999"))", "   -123.456"},
      {R"(TRANSFORM(0, "@E 999,999,999"))", "          0"},
      {R"(TRANSFORM(12345678, "@EZ 99,999,999"))", "12.345.678"},
      {R"(TRANSFORM(77300, "@Z 9999999"))", "  77300"},
      {R"(TRANSFORM(0, "@Z 9999999999"))", "          "},
      {R"(TRANSFORM(1000000000, "@E 999,999,999"))", "***********"},
      {R"(PADL(7, 3, "0") + PADC("a", 3) + PADR("ab", 1))", "007 a a"},
      {R"(UPPER("abc") + LOWER("DEF") + DTOC(CTOD("2023.09.01")))", "ABCdef2023.09.01"},
  });
}

}  // namespace
}  // namespace xbase
