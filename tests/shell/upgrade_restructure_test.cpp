// New and wider fields: what is copied and what is left alone, the messages on
// row 24, the refused narrowing, and the index files built again afterwards.
#include <gtest/gtest.h>

#include "shell/upgrade.h"
#include "shell/upgrade_test_util.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace shell {
namespace {

using namespace testing;
using xbase::Value;

TEST(Upgrade, FieldsThatAllExistTouchNoFile) {
  Station s;
  make_year_table(s, 3);
  INDEXELES(*s.ctx);
  s.areas.close_all();
  s.con->say(24, 0, "ROW24");
  std::string table = file_stamp(s, "virda23.dbf"), index = file_stamp(s, "virda23.ntx");

  UJMEZOINSA(*s.ctx, "virda23", {{{"nev", 'C', 30, 0}}, {{"Oszt16", 'N', 8, 0}}});
  MEZOHMOD(*s.ctx, "virda23", "oszt16", 'N', 8, 0);  // already that size
  MEZOHMOD(*s.ctx, "virda23", "nincsilyen", 'N', 12, 0);

  EXPECT_EQ(file_stamp(s, "virda23.dbf"), table);
  EXPECT_EQ(file_stamp(s, "virda23.ntx"), index);
  EXPECT_FALSE(exists(s, "temp.dbf"));
  EXPECT_EQ(row_text(s.con->screen(), 24).substr(0, 6), "ROW24 ");
}

class UpgradeNewFields : public ::testing::TestWithParam<bool> {};

// With deleted records hidden (as the program runs) and shown.
TEST_P(UpgradeNewFields, LeaveOutDeletedRecordsAndKeepEveryValue) {
  Station s;
  s.areas.set_deleted(GetParam());
  make_year_table(s, 3, {2});
  INDEXELES(*s.ctx);
  s.areas.close_all();
  s.con->say(24, 0, "ROW24");
  std::string while_working;
  set_restructure_step_hook([&](std::string_view step) {
    if (step == "temp-filled") while_working = row_text(s.con->screen(), 24);
  });

  int computed = 0;
  UJMEZOINSA(*s.ctx, "virda23",
             {{{"ekhohat", 'C', 1, 0}},
              {{"ekho1n", 'N', 9, 0}},
              filled({"allamkod", 'C', 2, 0}, Value::str("HU")),
              {{"szuldat", 'D', 8, 0}},
              {{"nyugdijas", 'L', 1, 0}},
              {{"sorszam", 'N', 5, 0}, std::nullopt,
               [&](xbase::WorkArea& a) { return Value::num(++computed * 10.0 + a.recno()); }}},
             "nyilat");
  set_restructure_step_hook(nullptr);

  EXPECT_EQ(while_working.rfind("Új mező a virda23 állományba...", 0), 0u) << while_working;
  EXPECT_EQ(row_text(s.con->screen(), 24).substr(0, 6), "ROW24 ");
  EXPECT_FALSE(exists(s, "temp.dbf"));
  EXPECT_FALSE(exists(s, "virda23.BAK"));
  ASSERT_TRUE(s.areas.use(s.file("virda23")));
  xbase::WorkArea& a = s.areas.current();
  std::vector<std::string> names;
  for (const xbase::FieldDef& f : a.structure()) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"VKOD", "SZEMSZAM", "NYILAT", "EKHOHAT", "EKHO1N",
                                             "ALLAMKOD", "SZULDAT", "NYUGDIJAS", "SORSZAM", "NEV",
                                             "OSZT16"}));
  ASSERT_EQ(a.lastrec(), 2u);
  const int kept[] = {1, 3};
  for (uint32_t r = 1; r <= 2; ++r) {
    a.go_to(r);
    int i = kept[r - 1];
    EXPECT_FALSE(a.deleted());
    EXPECT_EQ(a.get("SZEMSZAM").as_str(), std::to_string(8000000000LL + i));
    EXPECT_EQ(xbase::rtrim(a.get("NEV").as_str()), "SZEMELY " + std::to_string(4 - i));
    EXPECT_EQ(a.get("OSZT16").as_num(), 12345600 + i);
    EXPECT_EQ(a.get("EKHOHAT").as_str(), " ");
    EXPECT_EQ(a.get("EKHO1N").as_num(), 0);
    EXPECT_EQ(a.get("ALLAMKOD").as_str(), "HU");
    EXPECT_TRUE(a.get("SZULDAT").as_date().empty());
    EXPECT_FALSE(a.get("NYUGDIJAS").as_logical());
    EXPECT_EQ(a.get("SORSZAM").as_num(), r * 10.0 + r);
  }
  s.areas.close_all();
  // The old index files counted three records; the new ones match the two.
  EXPECT_TRUE(index_matches(s, "virda23", "virda23.ntx"));
  EXPECT_TRUE(index_matches(s, "virda23", "virda232.ntx"));
}

INSTANTIATE_TEST_SUITE_P(DeletedHiddenOrShown, UpgradeNewFields, ::testing::Bool());

TEST(Upgrade, UnknownAfterFieldShowsItsNameAndChangesNothing) {
  Station s;
  make_year_table(s, 2);
  std::string before = file_stamp(s, "virda23.dbf");
  std::string shown;
  s.term->before_untimed_wait = [&] {
    for (int r = 0; r < 25; ++r) shown += row_text(s.con->screen(), r);
    s.term->key(console::key::kEnter);
  };
  UJMEZOINSA(*s.ctx, "virda23", {{{"ekhohat", 'C', 1, 0}}}, "nincsmezo");
  EXPECT_NE(shown.find("nincsmezo"), std::string::npos);
  EXPECT_EQ(file_stamp(s, "virda23.dbf"), before);
}

TEST(Upgrade, WidthChangeKeepsValuesAndRefusesToCutThem) {
  Station s;
  make_year_table(s, 3, {3});
  ASSERT_TRUE(s.areas.use(s.file("virda23")));
  s.areas.current().go_to(1);
  s.areas.current().put("OSZT16", Value::num(12345678, 8, 0));
  s.areas.close_all();

  MEZOHMOD(*s.ctx, "virda23", "oszt16", 'N', 10, 0);
  ASSERT_TRUE(s.areas.use(s.file("virda23")));
  EXPECT_EQ(s.areas.current().field(s.areas.current().field_pos("OSZT16")),
            (xbase::FieldDef{"OSZT16", 'N', 10, 0}));
  s.areas.current().go_to(1);
  EXPECT_EQ(s.areas.current().get("OSZT16").as_num(), 12345678);
  EXPECT_EQ(s.areas.current().lastrec(), 2u);
  s.areas.close_all();

  // A narrower name field would cut "SZEMELY 3"; the table stays and row 24 says so.
  std::string before = file_stamp(s, "virda23.dbf");
  MEZOHMOD(*s.ctx, "virda23", "nev", 'C', 8, 0);
  EXPECT_EQ(file_stamp(s, "virda23.dbf"), before);
  EXPECT_NE(row_text(s.con->screen(), 24).find("virda23 : nev"), std::string::npos);
  // A number wider than the new width: refused too.
  MEZOHMOD(*s.ctx, "virda23", "oszt16", 'N', 7, 0);
  EXPECT_EQ(file_stamp(s, "virda23.dbf"), before);

  // Narrowing that every kept value fits is made.
  MEZOHMOD(*s.ctx, "virda23", "nev", 'C', 9, 0);
  ASSERT_TRUE(s.areas.use(s.file("virda23")));
  EXPECT_EQ(s.areas.current().field(s.areas.current().field_pos("NEV")).width, 9);
  s.areas.current().go_to(2);
  EXPECT_EQ(s.areas.current().get("NEV").as_str(), "SZEMELY 2");
}

}  // namespace
}  // namespace shell
