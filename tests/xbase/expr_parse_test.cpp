// Parsing and operator precedence of expression texts, evaluated without tables.
#include <gtest/gtest.h>

#include <string>

#include "xbase/error.h"
#include "xbase/expr.h"

namespace xbase {
namespace {

Value run(const std::string& text) {
  EvalContext ctx;
  return Expr::compile(text).eval(ctx);
}

double num(const std::string& text) {
  Value v = run(text);
  EXPECT_TRUE(v.is_num()) << text;
  return v.as_num();
}

bool logical(const std::string& text) {
  Value v = run(text);
  EXPECT_TRUE(v.is_logical()) << text;
  return v.as_logical();
}

int compile_error(const std::string& text) {
  try {
    Expr::compile(text);
  } catch (const ErrorException& e) {
    return e.error().gen_code;
  }
  return 0;
}

TEST(ExprParse, ArithmeticPrecedenceAndAssociativity) {
  EXPECT_EQ(num("2+3*4"), 14);
  EXPECT_EQ(num("(2+3)*4"), 20);
  EXPECT_EQ(num("10-2-3"), 5);
  EXPECT_EQ(num("24/4/2"), 3);
  EXPECT_EQ(num("2*7%4"), 2);       // (2*7)%4
  EXPECT_EQ(num("2**3**2"), 64);    // left to right
  EXPECT_EQ(num("-2**2"), 4);       // unary minus binds tighter
  EXPECT_EQ(num("2^3*2"), 16);
  EXPECT_EQ(num("1 - -1"), 2);
  EXPECT_EQ(num("- (3 - 5)"), 2);
  EXPECT_EQ(num(".5 + 1.25"), 1.75);
}

TEST(ExprParse, LogicalPrecedence) {
  // .NOT. binds looser than the comparisons: "!1 > 2" is ".NOT. (1 > 2)".
  EXPECT_TRUE(logical("!1 > 2"));
  EXPECT_TRUE(logical(".NOT. 'a' $ 'xyz'"));
  // .AND. before .OR.
  EXPECT_TRUE(logical(".T. .OR. .T. .AND. .F."));
  EXPECT_FALSE(logical("(.T. .OR. .T.) .AND. .F."));
  EXPECT_TRUE(logical("!.F. .AND. !.F."));
  EXPECT_TRUE(logical("1 = 1 .AND. 'b' $ 'abc'"));
  // The comparisons share one level, evaluated left to right.
  EXPECT_TRUE(logical("1 < 2 == .T."));
  // ! where an operand is expected.
  EXPECT_TRUE(logical(".F. == !.T."));
  // Keywords in any case, the dotted forms glued to their neighbours.
  EXPECT_TRUE(logical(".t..and..Not..f."));
  EXPECT_TRUE(logical(".Y. .or. .N."));
}

TEST(ExprParse, Strings) {
  EXPECT_EQ(run("'a\"b'").as_str(), "a\"b");
  EXPECT_EQ(run("\"a'b\"").as_str(), "a'b");
  EXPECT_EQ(run("[x] + 'y'").as_str(), "xy");
  EXPECT_EQ(run("''").as_str(), "");
  EXPECT_TRUE(run("NIL").is_nil());
  EXPECT_EQ(num("(1, 2, 3)"), 3);  // a list yields its last value
}

TEST(ExprParse, SyntaxErrorsAreErrorObjects) {
  for (const char* bad : {"", "   ", "1 +", "(1", "1)", "'abc", "\"abc", "[abc", ".X.", "a b",
                          "UPPER(", "UPPER(1,)", "x :=", "1 := 2", "UPPER(1) := 2", "{|| 1",
                          "{|1| 1}", "IIF(.T., 1)", "M->(1)", "a->", "&x", "1 = = 2", "@",
                          ".AND.", "a..b", "{1,2}", "'it''s'"}) {
    EXPECT_EQ(compile_error(bad), gen::kSyntax) << bad;
  }
  try {
    Expr::compile("1 +");
  } catch (const ErrorException& e) {
    EXPECT_EQ(e.error().subsystem, "BASE");
    EXPECT_EQ(e.error().sub_code, 1449);
    ASSERT_EQ(e.error().args.size(), 1u);
    EXPECT_EQ(e.error().args[0].as_str(), "1 +");
  }
}

TEST(ExprParse, DeepNestingIsRefusedNotACrash) {
  std::string deep(5000, '(');
  EXPECT_EQ(compile_error(deep + "1" + std::string(5000, ')')), gen::kComplexity);
  std::string chain = "1";
  for (int i = 0; i < 3000; ++i) chain += "+1";
  EXPECT_EQ(compile_error(chain), gen::kComplexity);
  std::string nots(3000, '!');
  EXPECT_EQ(compile_error(nots + ".T."), gen::kComplexity);
  // Reasonable lengths still work.
  std::string ok = "0";
  for (int i = 0; i < 300; ++i) ok += "+1";
  EXPECT_EQ(num(ok), 300);
}

TEST(ExprParse, BlockTextIsKept) {
  Value b = run("{|a, b| a + b}");
  ASSERT_TRUE(b.is_block());
  EXPECT_EQ(b.as_block()->params.size(), 2u);
  EXPECT_EQ(b.as_block()->text, "{|A,B| a + b}");
  Value c = compile_block(".T..AND.nyilat$'MK'");
  ASSERT_TRUE(c.is_block());
  EXPECT_EQ(c.as_block()->text, "{|| .T..AND.nyilat$'MK'}");
}

}  // namespace
}  // namespace xbase
