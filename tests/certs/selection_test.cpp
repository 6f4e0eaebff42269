// The selection below the dialog: the default company range read afresh (a company
// added by another workstation after start-up is in it), the defaults a run sets,
// and the record filter: the certificate type, or one person's records of every
// type.
#include "certs/selection.h"

#include "certs/certs_test_util.h"
#include "xbase/vars.h"

namespace certs {
namespace {

using testing::CompanyStation;
using xbase::Value;

std::string var(CompanyStation& s, const char* name) { return s.vars.find(name)->as_str(); }

TEST(Selection, DefaultRangeIsReadAfreshEachRun) {
  CompanyStation s({"007", "003", "010"}, /*exclusive=*/false);
  s.vallal().go_to(2);
  set_selection_defaults(*s.ctx, "JOV");
  EXPECT_EQ(var(s, "KMINVKOD"), "003");
  EXPECT_EQ(var(s, "KMAXVKOD"), "010");
  EXPECT_EQ(var(s, "KVKOD1"), "003");
  EXPECT_EQ(var(s, "KVKOD2"), "010");
  EXPECT_EQ(var(s, "KSZEMSZAM"), std::string(10, ' '));
  EXPECT_EQ(var(s, "KELLM30XML"), "N");
  EXPECT_EQ(s.vallal().recno(), 2u);

  // Another workstation adds company 020 while this one has the table open.
  ASSERT_EQ(s.append_elsewhere("020"), 0);
  s.vars.assign("KELLM30XML", Value::str("I"));
  set_selection_defaults(*s.ctx, "EKHO");
  EXPECT_EQ(var(s, "KVKOD2"), "020");
  EXPECT_EQ(var(s, "KELLM30XML"), "I");  // only the M30 run sets it

  // Without the company table open it is opened for the reading and closed again.
  s.areas.close_all();
  EXPECT_EQ(default_company_range(*s.ctx).last, "020");
  EXPECT_EQ(s.areas.find("VALLAL"), nullptr);
}

TEST(Selection, FilterByTypeOrOnePersonOfEveryType) {
  CompanyStation s({"001"});
  store::create_template_table(s.dir, store::year_table("23"));
  s.areas.select(0);
  ASSERT_TRUE(s.areas.use(s.file("virda23"), "VIRDA", xbase::OpenMode::Exclusive));
  xbase::WorkArea& v = s.areas.current();
  const char* rows[][2] = {{"1111111111", "M"}, {"1111111111", "E"}, {"2222222222", "K"}, {"2222222222", "E"}};
  for (auto& r : rows) {
    ASSERT_TRUE(v.append_blank());
    v.put("szemszam", Value::str(r[0]));
    v.put("nyilat", Value::str(r[1]));
  }
  auto passing = [&] {
    xbase::RecordCondition f = record_filter(*s.ctx);
    std::string out;
    for (uint32_t r = 1; r <= v.lastrec(); ++r) {
      v.go_to(r);
      if (f()) out += std::to_string(r);
    }
    return out;
  };
  s.vars.make_public("CONDI", Value::str(".T..AND.nyilat$'MK'"));
  s.vars.make_public("KSZEMSZAM", Value::str(std::string(10, ' ')));
  EXPECT_EQ(record_filter_text(s.vars), ".T..AND.nyilat$'MK'");
  EXPECT_EQ(passing(), "13");
  s.vars.assign("CONDI", Value::str(".T..AND.nyilat='M'"));
  EXPECT_EQ(passing(), "1");
  s.vars.assign("KSZEMSZAM", Value::str("2222222222"));
  EXPECT_EQ(record_filter_text(s.vars), "szemszam=kszemszam");
  EXPECT_EQ(passing(), "34");
}

}  // namespace
}  // namespace certs
