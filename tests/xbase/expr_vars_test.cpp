// The variable store: publics, privates hiding them for a routine and its callees.
#include <gtest/gtest.h>

#include <stdexcept>

#include "xbase/expr.h"
#include "xbase/vars.h"

namespace xbase {
namespace {

std::string text_of(const Variables& v, const char* name) {
  const Value* p = v.find(name);
  return p && p->is_str() ? p->as_str() : "<none>";
}

TEST(Variables, PrivatesHidePublicsForTheRoutineAndItsCallees) {
  Variables vars;
  vars.make_public("KER", Value::str("global"));
  vars.make_public("JAR1", Value::str("job"));
  {
    Variables::Scope viewer(vars);  // the text viewer's call
    viewer.declare("KER", Value::str(std::string(42, ' ')));
    viewer.declare("JAR1", Value::str("jovedig"));
    EXPECT_EQ(text_of(vars, "ker"), std::string(42, ' '));
    {
      Variables::Scope callee(vars);  // a routine the viewer calls sees its privates
      EXPECT_EQ(text_of(vars, "JAR1"), "jovedig");
      vars.assign("KER", Value::str("adat"));  // assigns the visible private
      callee.declare("JAR1", Value::str("inner"));
      EXPECT_EQ(text_of(vars, "JAR1"), "inner");
    }
    EXPECT_EQ(text_of(vars, "JAR1"), "jovedig");
    EXPECT_EQ(text_of(vars, "KER"), "adat");
  }
  EXPECT_EQ(text_of(vars, "KER"), "global");
  EXPECT_EQ(text_of(vars, "JAR1"), "job");
  EXPECT_EQ(vars.scope_depth(), 0);
}

TEST(Variables, DeclarationsAndTypes) {
  Variables vars;
  EXPECT_EQ(vars.type("PR"), "U");
  vars.make_public("PR");  // PUBLIC starts at .F.
  EXPECT_EQ(vars.type("pr"), "L");
  vars.make_public("PR", Value::num(5));  // an existing public keeps its value
  EXPECT_EQ(vars.type("PR"), "L");
  {
    Variables::Scope s(vars);
    s.declare("PR");  // PRIVATE starts at nil
    EXPECT_TRUE(vars.exists("PR"));
    EXPECT_EQ(vars.type("PR"), "U");
    s.declare("PR", Value::num(1));  // twice in one routine: only the value changes
    // A PUBLIC made while a private hides the name stays behind the private.
    vars.make_public("MSZEMSZAM", Value::str("pub"));
    s.declare("MSZEMSZAM", Value::str("priv"));
    EXPECT_EQ(text_of(vars, "MSZEMSZAM"), "priv");
  }
  EXPECT_EQ(vars.type("PR"), "L");
  EXPECT_EQ(text_of(vars, "MSZEMSZAM"), "pub");
}

TEST(Variables, AssignmentCreatesAtTheInnermostRoutine) {
  Variables vars;
  vars.assign("ELSOHH" + std::string("01"), Value::str("0"));  // no routine: a public
  {
    Variables::Scope s(vars);
    vars.assign("MVKOD", Value::str("001"));  // a private of this routine
    vars.assign("ELSOHH01", Value::str("1"));  // the existing public
    EXPECT_TRUE(vars.exists("MVKOD"));
  }
  EXPECT_FALSE(vars.exists("MVKOD"));
  EXPECT_EQ(text_of(vars, "ELSOHH01"), "1");
}

TEST(Variables, ScopeEndsOnException) {
  Variables vars;
  vars.make_public("KSZEMSZAM", Value::str("          "));
  try {
    Variables::Scope s(vars);
    s.declare("KSZEMSZAM", Value::str("8123456789"));
    throw std::runtime_error("run cancelled");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(text_of(vars, "KSZEMSZAM"), "          ");
}

TEST(Variables, ExpressionsSeeTheVisibleBinding) {
  Variables vars;
  EvalContext ctx;
  ctx.vars = &vars;
  Expr e = Expr::compile("KER + '|'");
  vars.make_public("KER", Value::str("a"));
  EXPECT_EQ(e.eval(ctx).as_str(), "a|");
  {
    Variables::Scope s(vars);
    s.declare("KER", Value::str("b"));
    EXPECT_EQ(e.eval(ctx).as_str(), "b|");
  }
  EXPECT_EQ(e.eval(ctx).as_str(), "a|");
  // The same compiled text against another store.
  Variables other;
  ctx.vars = &other;
  EXPECT_THROW(e.eval(ctx), ErrorException);
  other.make_public("KER", Value::str("c"));
  EXPECT_EQ(e.eval(ctx).as_str(), "c|");
}

}  // namespace
}  // namespace xbase
