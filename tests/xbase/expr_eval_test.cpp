// Evaluation against work areas and variables: the program's own expression texts
// (certificate filters, browse columns, the search filter, index keys), name
// resolution, errors and the error handler's answers, TYPE() and code blocks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xbase/error.h"
#include "xbase/expr.h"
#include "xbase/expr_functions.h"
#include "xbase/expr_host.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/vars.h"

namespace xbase {
namespace {

// Work areas held in memory: area n is areas[n - 1].
struct FakeArea {
  std::string alias;
  std::vector<std::string> fields;  // upper case
  std::vector<std::vector<Value>> rows;
  std::vector<bool> deleted;
  int recno = 1;
};

class FakeHost : public ExprHost {
 public:
  std::vector<FakeArea> areas;
  int selected = 1;
  uint64_t generation = 7001;
  mutable int lookups = 0;

  int selected_area() const override {
    return selected >= 1 && selected <= static_cast<int>(areas.size()) ? selected : 0;
  }
  int area_of_alias(std::string_view alias) const override {
    for (std::size_t i = 0; i < areas.size(); ++i)
      if (areas[i].alias == alias) return static_cast<int>(i + 1);
    return 0;
  }
  int field_index(int area, std::string_view name) const override {
    ++lookups;
    const auto& f = areas[area - 1].fields;
    for (std::size_t i = 0; i < f.size(); ++i)
      if (f[i] == name) return static_cast<int>(i);
    return -1;
  }
  Value field_value(int area, int index) const override {
    const FakeArea& a = areas[area - 1];
    return a.rows[a.recno - 1][index];
  }
  void set_field(int area, int index, const Value& v) override {
    FakeArea& a = areas[area - 1];
    a.rows[a.recno - 1][index] = v;
  }
  bool deleted(int area) const override {
    const FakeArea& a = areas[area - 1];
    return a.deleted[a.recno - 1];
  }
  int64_t recno(int area) const override { return areas[area - 1].recno; }
  int select_area(int area) override {
    int before = selected;
    selected = area;
    return before;
  }
  uint64_t layout_generation() const override { return generation; }
};

Value C(std::string_view s, int width) { return Value::str(padr(s, width)); }

// The year table (persons) in area 1 and the company table in area 2.
class ExprEval : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeArea virda;
    virda.alias = "VIRDA";
    virda.fields = {"VKOD", "NEV", "SZEMSZAM", "NYILAT", "IRSZAM", "HELYSEG", "UTCA", "JOVEDELEM"};
    auto person = [](std::string_view vkod, std::string_view nev, std::string_view szemszam,
                     std::string_view nyilat, double jov) {
      return std::vector<Value>{C(vkod, 3),         C(nev, 30),
                                C(szemszam, 10),    C(nyilat, 1),
                                C("1051", 4),       C("Budapest", 25),
                                C(HU("Fő utca 1."), 30), Value::num(jov, 9, 0)};
    };
    virda.rows = {person("001", HU("Kovács Anna"), "8123456789", "M", 1000),
                  person("001", HU("KOVÁCS BÉLA"), "8123456790", "K", 2000),
                  person("002", HU("Kovács Csaba"), "8123456791", "E", 1000),
                  person("001", "Nagy Ede", "8123456789", "E", 1000)};
    virda.deleted = {false, true, false, false};
    FakeArea vallal;
    vallal.alias = "VALLAL";
    vallal.fields = {"VKOD", "VNEV"};
    vallal.rows = {{C("001", 3), C("Alfa Kft.", 30)}, {C("002", 3), C("Beta Bt.", 30)}};
    vallal.deleted = {false, false};
    vallal.recno = 2;
    host.areas = {virda, vallal};
    ctx.host = &host;
    ctx.vars = &vars;
  }

  Value run(const std::string& text) { return Expr::compile(text, &app).eval(ctx); }

  // The records of area 1 for which `cond` holds.
  std::vector<int> matching(const Expr& cond) {
    std::vector<int> out;
    for (int r = 1; r <= static_cast<int>(host.areas[0].rows.size()); ++r) {
      host.areas[0].recno = r;
      if (cond.eval_condition(ctx)) out.push_back(r);
    }
    return out;
  }

  int error_code(const std::string& text) {
    try {
      run(text);
    } catch (const ErrorException& e) {
      last_error = e.error();
      return e.error().gen_code;
    }
    return 0;
  }

  FakeHost host;
  Variables vars;
  Functions app;
  EvalContext ctx;
  Error last_error;
};

TEST_F(ExprEval, CertificateFilters) {
  EXPECT_EQ(matching(Expr::compile(".T.")), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(matching(Expr::compile(".T..AND.nyilat='M'")), (std::vector<int>{1}));
  EXPECT_EQ(matching(Expr::compile(".T..AND.nyilat$'K'")), (std::vector<int>{2}));
  EXPECT_EQ(matching(Expr::compile(".T..AND.nyilat$'MK'")), (std::vector<int>{1, 2}));
  // One person chosen by tax identifier: every kind of certificate passes.
  vars.make_public("KSZEMSZAM", Value::str("          "));
  {
    Variables::Scope run_scope(vars);
    run_scope.declare("KSZEMSZAM", Value::str("8123456789"));
    EXPECT_EQ(matching(Expr::compile("szemszam=kszemszam")), (std::vector<int>{1, 4}));
  }
  // The public (blank) is back. Blanks are compared like any other text (only an empty
  // right side matches everything), which is why the run sets this filter only for a
  // given tax identifier.
  EXPECT_EQ(matching(Expr::compile("szemszam=kszemszam")), (std::vector<int>{}));
  EXPECT_EQ(matching(Expr::compile("szemszam=TRIM(kszemszam)")), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(ExprEval, BrowseColumns) {
  host.areas[0].recno = 1;
  Value v = run("PADR(irszam+' '+TRIM(helyseg)+' '+utca,40)");
  ASSERT_TRUE(v.is_str());
  EXPECT_EQ(v.as_str(), padr(std::string("1051 Budapest ") + std::string(HU("Fő utca 1.")), 40));
  EXPECT_EQ(run("LEFT(helyseg,19)").as_str(), padr("Budapest", 19));
  EXPECT_EQ(run("vkod").as_str(), "001");
}

TEST_F(ExprEval, SearchFilterBuiltFromTheBuffer) {
  // The search form: ".T." and one term per non-empty buffer variable, compiled into a
  // block and evaluated on each record.
  vars.make_public("XVKOD", C("001", 3));
  vars.make_public("XNEV", C("kov", 30));
  vars.make_public("XJOVEDELEM", Value::num(0));
  std::string felt = ".T.";
  felt += ".AND.UPPER(vkod)=UPPER(TRIM(Xvkod))";
  felt += ".AND.UPPER(nev)=UPPER(TRIM(Xnev))";
  Value block = compile_block(felt);
  std::vector<int> found;
  for (int r = 1; r <= 4; ++r) {
    host.areas[0].recno = r;
    Value ok = eval_block(block, {}, ctx);
    ASSERT_TRUE(ok.is_logical());
    if (ok.as_logical()) found.push_back(r);
  }
  // Case-insensitive prefix, accented capitals included; company 002 and "Nagy" fail.
  EXPECT_EQ(found, (std::vector<int>{1, 2}));

  vars.assign("XJOVEDELEM", Value::num(2000));
  Value block2 = compile_block(felt + ".AND.jovedelem=XJOVEDELEM");
  found.clear();
  for (int r = 1; r <= 4; ++r) {
    host.areas[0].recno = r;
    if (eval_block(block2, {}, ctx).as_logical()) found.push_back(r);
  }
  EXPECT_EQ(found, (std::vector<int>{2}));
}

TEST_F(ExprEval, IndexKeys) {
  host.areas[0].recno = 1;
  Expr key = Expr::compile("vkod+HUNGORD(nev)");
  EXPECT_EQ(key.eval(ctx).as_str(), "001" + padr(HU("KOVÁCS ANNA"), 30));
  EXPECT_EQ(run("HUNGORD('" + std::string(HU("öcsi ődön űrhajós")) + "')").as_str(),
            std::string(HU("ÖCSI ŐDÖN ŰRHAJÓS")));
  EXPECT_EQ(run("vkod+szemszam+nyilat").as_str(), "0018123456789M");
  EXPECT_EQ(run("DTOS(CTOD('2023.09.01'))").as_str(), "20230901");
}

TEST_F(ExprEval, TextChainsGiveTheSameResultsAsValueByValue) {
  // Keys and columns are built in one buffer; every mixed case must still behave as
  // the operators and functions do one value at a time.
  host.areas[0].recno = 1;
  EXPECT_EQ(run("jovedelem + 1").as_num(), 1001);
  EXPECT_EQ(run("PADR(TRIM(nev), 3) + '|' + PADR(vkod, 5) + '|'").as_str(), "Kov|001  |");
  EXPECT_EQ(run("PADR(jovedelem, 6) + 'x'").as_str(), "1000  x");
  EXPECT_EQ(run("UPPER(TRIM('  ab  ') + 'c')").as_str(), "  ABC");
  EXPECT_EQ(run("PADR('abc', 0) + PADR('abc', 2.9)").as_str(), "ab");
  EXPECT_EQ(run("HUNGORD(vkod + nyilat) + DTOS(CTOD('2023.01.02'))").as_str(), "001M20230102");
  EXPECT_EQ(error_code("nev + 1"), gen::kArg);
  EXPECT_EQ(error_code("1 + nev"), gen::kArg);
  EXPECT_EQ(error_code("HUNGORD(jovedelem)"), gen::kArg);
  EXPECT_EQ(error_code("PADR(nev, 'x') + 'y'"), gen::kArg);
  EXPECT_EQ(error_code("vkod + nincs"), gen::kNoVar);
  ctx.max_string = 40;
  EXPECT_EQ(error_code("nev + nev"), gen::kStrOverflow);
  EXPECT_EQ(error_code("PADR(nev, 41)"), gen::kStrOverflow);
  ctx.max_string = std::size_t{16} << 20;
  // Substitutes take the place of the failing part only.
  ctx.handler = [](Error& e) {
    return ErrorAnswer::substitute(e.gen_code == gen::kNoVar ? Value::str("?") : Value::num(7));
  };
  EXPECT_EQ(run("vkod + nincs + nyilat").as_str(), "001?M");
  EXPECT_EQ(run("nyilat + 1").as_num(), 7);
  EXPECT_EQ(run("HUNGORD(1)").as_num(), 7);
}

TEST_F(ExprEval, FieldIndexesAreKeptWhileTheLayoutStays) {
  Expr key = Expr::compile("vkod+nev");
  key.eval(ctx);
  int after_first = host.lookups;
  for (int r = 1; r <= 4; ++r) {
    host.areas[0].recno = r;
    key.eval(ctx);
  }
  EXPECT_EQ(host.lookups, after_first);
  // The table reopened with another field order: the new positions are looked up.
  FakeArea& a = host.areas[0];
  std::swap(a.fields[0], a.fields[1]);
  for (auto& row : a.rows) std::swap(row[0], row[1]);
  ++host.generation;
  a.recno = 1;
  EXPECT_EQ(key.eval(ctx).as_str(), "001" + padr(HU("Kovács Anna"), 30));
  // Another area selected: its own fields.
  host.selected = 2;
  EXPECT_EQ(Expr::compile("vnev").eval(ctx).as_str(), padr("Beta Bt.", 30));
  EXPECT_THROW(key.eval(ctx), ErrorException);  // the company table has no "nev"
  vars.make_public("NEV", Value::str("-"));
  EXPECT_EQ(key.eval(ctx).as_str(), "002-");
  // A host without a layout generation: a remembered index is checked before use.
  host.selected = 1;
  host.generation = 0;
  EXPECT_EQ(key.eval(ctx).as_str(), "001" + padr(HU("Kovács Anna"), 30));
  std::swap(a.fields[0], a.fields[1]);
  for (auto& row : a.rows) std::swap(row[0], row[1]);
  EXPECT_EQ(key.eval(ctx).as_str(), "001" + padr(HU("Kovács Anna"), 30));
}

TEST_F(ExprEval, NameResolution) {
  vars.make_public("NEV", Value::str("variable"));
  vars.make_public("KER", Value::str("search"));
  host.areas[0].recno = 1;
  // A field of the selected area wins over a variable unless M-> is written.
  EXPECT_EQ(run("nev").as_str(), padr(HU("Kovács Anna"), 30));
  EXPECT_EQ(run("M->nev").as_str(), "variable");
  EXPECT_EQ(run("MEMVAR->NEV").as_str(), "variable");
  EXPECT_EQ(run("FIELD->nev").as_str(), padr(HU("Kovács Anna"), 30));
  EXPECT_EQ(run("ker").as_str(), "search");
  // alias->field reads another area at its own record.
  EXPECT_EQ(run("VALLAL->vnev").as_str(), padr("Beta Bt.", 30));
  EXPECT_EQ(run("vallal->VKOD + vkod").as_str(), "002001");
  // alias->(expression) runs with that area selected, then selects back.
  EXPECT_EQ(run("VALLAL->(RECNO()) * 10 + RECNO()").as_num(), 21);
  EXPECT_EQ(host.selected, 1);
  host.areas[0].recno = 2;
  EXPECT_TRUE(run("DELETED()").as_logical());
  EXPECT_FALSE(run("VALLAL->(DELETED())").as_logical());
  // No table at all: the variables alone.
  ctx.host = nullptr;
  EXPECT_EQ(run("nev").as_str(), "variable");
  EXPECT_EQ(run("RECNO()").as_num(), 0);
  EXPECT_FALSE(run("DELETED()").as_logical());
}

TEST_F(ExprEval, Assignment) {
  host.areas[0].recno = 3;
  // A field of the selected area is written through the host.
  EXPECT_EQ(run("nyilat := 'K'").as_str(), "K");
  EXPECT_EQ(host.areas[0].rows[2][3].as_str(), "K");
  // Names built at run time: the month's first-marriage flag.
  vars.make_public("XELSOHH03", Value::str(" "));
  vars.assign("XELSOHH" + std::string("03"), Value::str("1"));
  EXPECT_EQ(run("XELSOHH03").as_str(), "1");
  EXPECT_EQ(run("(M->XELSOHH03 := '2', XELSOHH03)").as_str(), "2");
  // The month's flag by a name built at run time: the field when the table has one.
  host.areas[0].fields.push_back("ELSOHH05");
  for (auto& row : host.areas[0].rows) row.push_back(C(" ", 1));
  ++host.generation;
  assign_name("elsohh" + std::string("05"), Value::str("2"), ctx);
  EXPECT_EQ(host.areas[0].rows[2].back().as_str(), "2");
  assign_name("XELSOHH" + std::string("03"), Value::str("3"), ctx);
  EXPECT_EQ(vars.find("XELSOHH03")->as_str(), "3");
  assign_name("M->ELSOHH05", Value::str("v"), ctx);
  EXPECT_EQ(vars.find("ELSOHH05")->as_str(), "v");
  EXPECT_THROW(assign_name("ELSOHH + '05'", Value::str("x"), ctx), ErrorException);
  // A new name inside a routine becomes a private of that routine.
  {
    Variables::Scope routine(vars);
    run("UJ := 5");
    EXPECT_EQ(run("UJ + 1").as_num(), 6);
  }
  EXPECT_FALSE(vars.exists("UJ"));
  EXPECT_EQ(error_code("VALLAL->vnev := 'x'"), 0);
  EXPECT_EQ(host.areas[1].rows[1][1].as_str(), "x");
}

TEST_F(ExprEval, NonExactComparison) {
  EXPECT_TRUE(run("'ABC' = 'AB'").as_logical());
  EXPECT_FALSE(run("'AB' = 'ABC'").as_logical());
  EXPECT_TRUE(run("'ABC' = ''").as_logical());
  EXPECT_FALSE(run("'ABC' != 'AB'").as_logical());
  EXPECT_TRUE(run("'ABC' <> 'ABD'").as_logical());
  EXPECT_TRUE(run("'ABC' # 'ABD'").as_logical());
  EXPECT_FALSE(run("'AB' == 'AB '").as_logical());
  EXPECT_TRUE(run("'AB' == 'AB'").as_logical());
  ctx.exact = true;
  EXPECT_FALSE(run("'ABC' = 'AB'").as_logical());
  EXPECT_TRUE(run("'AB' = 'AB  '").as_logical());
  ctx.exact = false;
  EXPECT_TRUE(run("1 < 2 .AND. 2 <= 2 .AND. 3 > 2 .AND. 3 >= 3 .AND. 2 = 2.0").as_logical());
  EXPECT_TRUE(run("CTOD('2023.12.31') > CTOD('2023.01.01')").as_logical());
}

TEST_F(ExprEval, DatesAndNumbers) {
  EXPECT_EQ(run("DTOS(CTOD('2023.09.01') + 30)").as_str(), "20231001");
  EXPECT_EQ(run("CTOD('2023.09.01') - CTOD('2023.08.01')").as_num(), 31);
  EXPECT_EQ(run("YEAR(CTOD('2023.09.01')) * 100 + MONTH(CTOD('2023.09.01'))").as_num(), 202309);
  EXPECT_EQ(run("DTOC(STOD('20230102'))").as_str(), "2023.01.02");
  EXPECT_EQ(run("STR(12, 5)").as_str(), "   12");
  EXPECT_EQ(run("VAL('  42') + LEN('abc')").as_num(), 45);
  EXPECT_EQ(run("SUBSTR('abcdef', 2, 3) + RIGHT('xyz', 1) + LTRIM('  q')").as_str(), "bcdzq");
  EXPECT_EQ(run("PADL(7, 3, '0') + PADC('a', 3)").as_str(), "007 a ");
  EXPECT_TRUE(run("EMPTY('   ') .AND. EMPTY(0) .AND. !EMPTY('x')").as_logical());
  EXPECT_EQ(run("ROUND(77333.33, -2)").as_num(), 77300);
  EXPECT_EQ(run("AT('b', 'abc') + INT(2.7) + ABS(-1)").as_num(), 5);
  EXPECT_EQ(run("MAX(3, 5) - MIN(3, 5)").as_num(), 2);
}

TEST_F(ExprEval, ShortCircuitAndIif) {
  // The right side, which would fail, is never evaluated.
  EXPECT_FALSE(run(".F. .AND. nincsilyen").as_logical());
  EXPECT_TRUE(run(".T. .OR. nincsilyen").as_logical());
  EXPECT_EQ(run("IIF(nyilat = 'M', 'employer', nincsilyen)").as_str(), "employer");
  EXPECT_EQ(run("IF(.F., nincsilyen, 2)").as_num(), 2);
  EXPECT_EQ(error_code(".T. .AND. nincsilyen"), gen::kNoVar);
}

TEST_F(ExprEval, ErrorsAreErrorObjects) {
  EXPECT_EQ(error_code("nincsilyen + 1"), gen::kNoVar);
  EXPECT_EQ(last_error.operation, "NINCSILYEN");
  EXPECT_EQ(last_error.subsystem, "BASE");
  EXPECT_EQ(last_error.sub_code, 1003);
  EXPECT_EQ(error_code("M->nev"), gen::kNoVar);
  EXPECT_EQ(error_code("NINCSFV(1)"), gen::kNoFunc);
  EXPECT_EQ(last_error.operation, "NINCSFV");
  EXPECT_EQ(error_code("NINCS->nev"), gen::kNoAlias);
  EXPECT_EQ(error_code("VALLAL->nincs"), gen::kNoVar);
  EXPECT_EQ(error_code("UPPER(1)"), gen::kArg);
  EXPECT_EQ(last_error.operation, "UPPER");
  ASSERT_EQ(last_error.args.size(), 1u);
  EXPECT_EQ(last_error.args[0].as_num(), 1);
  EXPECT_EQ(error_code("SUBSTR('abc')"), gen::kArg);
  EXPECT_EQ(error_code("1 + 'a'"), gen::kArg);
  EXPECT_EQ(error_code("'a' .AND. .T."), gen::kArg);
  EXPECT_EQ(last_error.sub_code, 1078);
  EXPECT_EQ(error_code("IIF(1, 2, 3)"), gen::kArg);
  EXPECT_EQ(error_code("EVAL(5)"), gen::kNoMethod);
  EXPECT_EQ(error_code("10 / 0"), gen::kZeroDiv);
  EXPECT_EQ(error_code("SPACE(100000000)"), gen::kStrOverflow);
  // A block that calls itself ends in an error object, not a stack overflow.
  vars.make_public("B", Value());
  EXPECT_EQ(error_code("(B := {|| EVAL(B)}, EVAL(B))"), gen::kComplexity);
  EXPECT_EQ(ctx.depth, 0);
}

TEST_F(ExprEval, HandlerAnswers) {
  int calls = 0;
  std::vector<int> codes;
  ctx.handler = [&](Error& e) {
    ++calls;
    codes.push_back(e.gen_code);
    if (e.gen_code == gen::kZeroDiv) return ErrorAnswer::substitute(Value::num(0));
    return ErrorAnswer::fail();
  };
  // Division by zero answered 0, as the program's handler does; no exception.
  EXPECT_EQ(run("jovedelem / 0 + 5").as_num(), 5);
  EXPECT_EQ(run("10 % 0").as_num(), 0);
  EXPECT_EQ(calls, 2);
  // A failure is shown to the handler once, not again by every enclosing operation.
  calls = 0;
  EXPECT_EQ(error_code("1 + (2 + UPPER(nincs))"), gen::kNoVar);
  EXPECT_EQ(calls, 1);
  EXPECT_THROW(run("nincs"), EvalFailure);  // callers with a handler let it pass
  // Default: the operation's default (0 for a division by zero, nil otherwise).
  ctx.handler = [&](Error&) { return ErrorAnswer::fallback(); };
  EXPECT_EQ(run("5 / 0").as_num(), 0);
  EXPECT_TRUE(run("UPPER(1)").is_nil());
  EXPECT_FALSE(run("1 = 'a'").as_logical());
  // Substitute for a missing variable and for an argument error of a condition.
  ctx.handler = [&](Error& e) {
    if (e.gen_code == gen::kNoVar) return ErrorAnswer::substitute(Value::str("S"));
    return ErrorAnswer::substitute(Value::logical(true));
  };
  EXPECT_EQ(run("nincs + 'x'").as_str(), "Sx");
  EXPECT_EQ(run("IIF('x', 1, 2)").as_num(), 1);
  // Retry runs the operation again: the handler creates the variable.
  ctx.handler = [&](Error& e) {
    vars.assign(e.operation, Value::num(3));
    return ErrorAnswer::retry();
  };
  EXPECT_EQ(run("MOST + 1").as_num(), 4);
  // A handler that always retries does not hang the program.
  ctx.handler = [&](Error&) { return ErrorAnswer::retry(); };
  EXPECT_EQ(error_code("1 / 0"), gen::kZeroDiv);
}

TEST_F(ExprEval, TypeOfTexts) {
  // The print routing asks whether the caller has a logical PR.
  EXPECT_EQ(type_of("PR", ctx), "U");
  vars.make_public("PR", Value::logical(true));
  EXPECT_EQ(type_of("PR", ctx), "L");
  {
    Variables::Scope routine(vars);
    routine.declare("PR", Value::str("x"));
    EXPECT_EQ(run("TYPE('PR')").as_str(), "C");
  }
  EXPECT_EQ(run("TYPE('PR') == 'L'").as_logical(), true);
  EXPECT_EQ(type_of("nev", ctx), "C");
  EXPECT_EQ(type_of("jovedelem * 2", ctx), "N");
  EXPECT_EQ(type_of("CTOD('2023.01.01')", ctx), "D");
  EXPECT_EQ(type_of("{|| 1}", ctx), "B");
  EXPECT_EQ(type_of("NIL", ctx), "U");
  EXPECT_EQ(type_of("UPPER(nincs)", ctx), "U");
  EXPECT_EQ(type_of("1 +", ctx), "UE");
  EXPECT_EQ(type_of("1 + 'a'", ctx), "UE");
  // An application function is not run by TYPE().
  int runs = 0;
  app.add("SAJAT", [&](std::span<const Value>, EvalContext&) {
    ++runs;
    return Value::num(1);
  });
  ctx.functions = &app;
  EXPECT_EQ(type_of("SAJAT() + 1", ctx), "UI");
  EXPECT_EQ(type_of("NINCSFV()", ctx), "UI");
  EXPECT_EQ(runs, 0);
  // TYPE() never calls the handler.
  int calls = 0;
  ctx.handler = [&](Error&) {
    ++calls;
    return ErrorAnswer::substitute(Value::num(0));
  };
  EXPECT_EQ(type_of("nincs", ctx), "U");
  EXPECT_EQ(calls, 0);
}

TEST_F(ExprEval, ApplicationFunctions) {
  app.add("LSTR", [](std::span<const Value> a, EvalContext&) {
    if (a.size() < 2 || !a[0].is_num() || !a[1].is_num()) throw_arg_error("LSTR", a);
    return Value::str(ltrim(str(a[0].as_num(), static_cast<int>(a[1].as_num()))));
  });
  EXPECT_EQ(run("LSTR(9, 2) + '/' + LSTR(123, 2)").as_str(), "9/**");
  // Compiled before the function existed: found at the call through the context.
  Expr late = Expr::compile("KESOBBI(2)");
  EXPECT_THROW(late.eval(ctx), ErrorException);
  app.add("KESOBBI", [](std::span<const Value> a, EvalContext&) {
    return Value::num(a[0].as_num() * 10);
  });
  ctx.functions = &app;
  EXPECT_EQ(late.eval(ctx).as_num(), 20);
  // A built-in cannot be replaced by the application.
  app.add("UPPER", [](std::span<const Value>, EvalContext&) { return Value::str("!"); });
  EXPECT_EQ(run("UPPER('a')").as_str(), "A");
}

TEST_F(ExprEval, CodeBlocks) {
  EXPECT_EQ(run("EVAL({|a, b| a + b}, 1, 2)").as_num(), 3);
  EXPECT_TRUE(run("EVAL({|a| a})").is_nil());  // a missing argument is nil
  EXPECT_EQ(run("EVAL({|| 1, 2, 3})").as_num(), 3);
  // A parameter hides a field and a variable of the same name.
  EXPECT_EQ(run("EVAL({|nev| nev}, 'p')").as_str(), "p");
  vars.make_public("SZAM", Value::num(1));
  Value inc = compile_block("SZAM := SZAM + 1");
  for (int i = 0; i < 3; ++i) eval_block(inc, {}, ctx);
  EXPECT_EQ(vars.find("SZAM")->as_num(), 4);
  // A block made in C++.
  auto native = std::make_shared<CodeBlock>();
  native->native = [](std::span<const Value> a, EvalContext&) { return a[0]; };
  vars.make_public("NB", Value::block(native));
  EXPECT_EQ(run("EVAL(NB, 'n')").as_str(), "n");
  EXPECT_EQ(run("VALTYPE(NB) + VALTYPE(1) + VALTYPE(NIL)").as_str(), "BNU");
  // Macro evaluation of a text built at run time.
  vars.make_public("HONAP", Value::str("03"));
  vars.make_public("ELSOHH03", Value::str("1"));
  EXPECT_EQ(evaluate("ELSOHH" + std::string("03"), ctx).as_str(), "1");
  EXPECT_THROW(evaluate("1 +", ctx), ErrorException);
}

}  // namespace
}  // namespace xbase
