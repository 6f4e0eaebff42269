// Expression texts over real tables: index keys, filters and LOCATE conditions given
// as texts, alias->field, writing a field, the work areas' error handler.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbf_test_util.h"
#include "xbase/expr.h"
#include "xbase/expr_workareas.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/vars.h"
#include "xbase/workarea.h"

namespace xbase {
namespace {

using testing::ScratchDir;

class ExprWorkAreas : public ::testing::Test {
 protected:
  void SetUp() override {
    Structure persons = {{"VKOD", 'C', 3, 0},
                         {"NEV", 'C', 20, 0},
                         {"NYILAT", 'C', 1, 0},
                         {"OSSZEG", 'N', 8, 0}};
    ASSERT_TRUE(wa.create(dir.file("virda23"), persons));
    ASSERT_TRUE(wa.use(dir.file("virda23"), "VIRDA"));
    struct Row {
      const char* vkod;
      std::string_view nev;
      const char* nyilat;
      double osszeg;
    };
    for (const Row& r : {Row{"001", HU("Kovács Anna"), "M", 100}, Row{"001", HU("öreg Ödön"), "K", 0},
                         Row{"002", "Nagy Ede", "E", 300}, Row{"002", HU("Új Béla"), "M", 400}}) {
      ASSERT_TRUE(wa.current().append_blank());
      wa.current().put("VKOD", Value::str(r.vkod));
      wa.current().put("NEV", Value::str(std::string(r.nev)));
      wa.current().put("NYILAT", Value::str(r.nyilat));
      wa.current().put("OSSZEG", Value::num(r.osszeg));
    }
    wa.select(2);
    ASSERT_TRUE(wa.create(dir.file("vallal"), {{"VKOD", 'C', 3, 0}, {"VNEV", 'C', 20, 0}}));
    ASSERT_TRUE(wa.use(dir.file("vallal")));
    ASSERT_TRUE(wa.current().append_blank());
    wa.current().put("VKOD", Value::str("001"));
    wa.current().put("VNEV", Value::str("Alfa Kft."));
    wa.select(1);
    ctx.host = &host;
    ctx.vars = &vars;
  }

  std::vector<uint32_t> walk(WorkArea& a) {
    std::vector<uint32_t> seen;
    for (a.go_top(); !a.eof(); a.skip()) seen.push_back(a.recno());
    return seen;
  }

  ScratchDir dir;
  WorkAreas wa;
  WorkAreasHost host{wa};
  Variables vars;
  EvalContext ctx;
};

TEST_F(ExprWorkAreas, IndexKeyOverTheRecords) {
  Expr key = Expr::compile("vkod+HUNGORD(nev)");
  std::vector<std::string> keys;
  WorkArea& a = wa.current();
  for (a.go_top(); !a.eof(); a.skip()) keys.push_back(key.eval(ctx).as_str());
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0], "001" + padr(HU("KOVÁCS ANNA"), 20));
  EXPECT_EQ(keys[1], "001" + padr(HU("ÖREG ÖDÖN"), 20));
  EXPECT_EQ(keys[3], "002" + padr(HU("ÚJ BÉLA"), 20));
  a.go_to(3);
  EXPECT_EQ(Expr::compile("STR(osszeg, 8) + nyilat").eval(ctx).as_str(), "     300E");
  EXPECT_EQ(Expr::compile("VALLAL->vnev").eval(ctx).as_str(), padr("Alfa Kft.", 20));
  EXPECT_EQ(Expr::compile("VALLAL->(RECNO()) + RECNO()").eval(ctx).as_num(), 4);
  EXPECT_EQ(wa.selected(), 1);
  // A host fixed on the person table keeps its names while another area is selected.
  WorkAreasHost own(wa, 1);
  EvalContext fixed;
  fixed.host = &own;
  wa.select("VALLAL");
  EXPECT_EQ(key.eval(fixed).as_str(), "002" + padr(HU("NAGY EDE"), 20));
  EXPECT_THROW(key.eval(ctx), ErrorException);  // the company table has no "nev"
}

TEST_F(ExprWorkAreas, FiltersAndLocateGivenAsTexts) {
  WorkArea& virda = wa.area(1);
  virda.set_filter(text_condition(wa, ".T..AND.nyilat$'MK'", &vars));
  // The filter is the person table's, even while the company table is selected.
  wa.select("VALLAL");
  EXPECT_EQ(walk(virda), (std::vector<uint32_t>{1, 2, 4}));
  wa.select(1);
  virda.clear_filter();
  vars.make_public("KSZEMSZAM", Value::str("002"));
  EXPECT_TRUE(virda.locate(text_condition(wa, "vkod=kszemszam", &vars)));
  EXPECT_EQ(virda.recno(), 3u);
  EXPECT_TRUE(virda.continue_locate());
  EXPECT_EQ(virda.recno(), 4u);
  EXPECT_FALSE(virda.continue_locate());
  EXPECT_THROW(text_condition(wa, "nyilat $", &vars), ErrorException);
}

// SET EXACT is the work areas' one setting: a condition compiled once follows it at
// every evaluation, and so do LOCATE and contexts made over the areas.
TEST_F(ExprWorkAreas, SetExactTakenByEveryEvaluation) {
  WorkArea& virda = wa.area(1);
  RecordCondition prefix = text_condition(wa, "UPPER(nev)=UPPER(TRIM('nagy    '))", &vars);
  EXPECT_FALSE(wa.exact());
  EXPECT_TRUE(virda.locate(prefix));  // off: a prefix of the name is enough
  EXPECT_EQ(virda.recno(), 3u);
  wa.set_exact(true);
  EXPECT_FALSE(virda.locate(prefix));
  virda.go_to(3);
  EvalContext c = areas_context(wa, &host, &vars);
  EXPECT_FALSE(Expr::compile("nev='Nagy'").eval(c).as_logical());
  EXPECT_TRUE(Expr::compile("nev='Nagy Ede    '").eval(c).as_logical());  // trailing blanks ignored
  wa.set_exact(false);
  EXPECT_TRUE(Expr::compile("nev='Nagy'").eval(with_settings(c, wa)).as_logical());
}

TEST_F(ExprWorkAreas, DivisionByZeroAnsweredByTheHandler) {
  wa.set_error_handler([](Error& e) {
    if (e.gen_code == gen::kZeroDiv) return ErrorAnswer::substitute(Value::num(0));
    return ErrorAnswer::fail();
  });
  WorkArea& virda = wa.area(1);
  virda.set_filter(text_condition(wa, "300 / osszeg > 1", &vars));
  EXPECT_EQ(walk(virda), (std::vector<uint32_t>{1}));  // record 2 divides by zero: 0
}

TEST_F(ExprWorkAreas, AssignmentWritesTheField) {
  WorkArea& virda = wa.area(1);
  virda.go_to(2);
  Expr::compile("nyilat := 'E'").eval(ctx);
  virda.go_to(1);
  virda.go_to(2);
  EXPECT_EQ(virda.get("NYILAT").as_str(), "E");
}

}  // namespace
}  // namespace xbase
