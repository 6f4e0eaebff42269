// The upgrade killed at each step of the table swap, and the program started
// again: every record is there and the index files match the table.
#include <gtest/gtest.h>
#include <signal.h>

#include <set>

#include "shell/upgrade.h"
#include "shell/upgrade_test_util.h"
#include "xbase/functions.h"

namespace shell {
namespace {

using namespace testing;

const std::vector<NewField> kNewFields = {{{"ekhohat", 'C', 1, 0}},
                                          filled({"allamkod", 'C', 2, 0}, xbase::Value::str("HU"))};

// The person numbers in the table (deleted records left out) and whether it has
// the new fields.
std::set<std::string> persons(Station& s, bool* upgraded) {
  std::set<std::string> out;
  xbase::WorkAreas areas;
  if (!areas.use(s.file("virda23"), "", xbase::OpenMode::Shared, true)) return out;
  xbase::WorkArea& a = areas.current();
  *upgraded = a.field_pos("ALLAMKOD") >= 0;
  for (a.go_top(); !a.eof(); a.skip()) {
    if (a.deleted()) continue;
    out.insert(a.get("SZEMSZAM").as_str() + "/" + xbase::rtrim(a.get("NEV").as_str()));
    if (*upgraded) {
      EXPECT_EQ(a.get("ALLAMKOD").as_str(), "HU");
    }
  }
  return out;
}

class UpgradeKilled : public ::testing::TestWithParam<const char*> {};

TEST_P(UpgradeKilled, RestartFindsEveryRecordAndMatchingIndexes) {
  const std::string kill_at = GetParam();
  Station s;
  make_year_table(s, 60, {7, 30, 60});
  INDEXELES(*s.ctx);
  s.areas.close_all();
  bool upgraded = false;
  const std::set<std::string> before = persons(s, &upgraded);
  ASSERT_EQ(before.size(), 57u);

  std::string dir = s.dir;
  Other upgrade([&](int, int) {
    Station child(dir);
    set_restructure_step_hook([&](std::string_view step) {
      if (step == kill_at) ::kill(::getpid(), SIGKILL);
    });
    UJMEZOINSA(*child.ctx, "virda23", kNewFields);
    return 0;
  });
  ASSERT_EQ(upgrade.finish(), 128 + SIGKILL);

  // The next start: what the swap left is put back before anything looks for the
  // table, the upgrade runs again and the missing index files are built.
  Station again(dir);
  recover_restructure(*again.ctx);
  ASSERT_TRUE(exists(s, "virda23.dbf"));
  UJMEZOINSA(*again.ctx, "virda23", kNewFields);
  INDEXELES(*again.ctx);
  again.areas.close_all();

  EXPECT_EQ(persons(s, &upgraded), before);
  EXPECT_TRUE(upgraded);
  EXPECT_FALSE(exists(s, "temp.dbf"));
  EXPECT_FALSE(exists(s, "virda23.BAK"));
  EXPECT_FALSE(exists(s, "virda23.ntx.ntmp"));
  EXPECT_TRUE(index_matches(s, "virda23", "virda23.ntx"));
  EXPECT_TRUE(index_matches(s, "virda23", "virda232.ntx"));
}

INSTANTIATE_TEST_SUITE_P(EachStep, UpgradeKilled,
                         ::testing::Values("temp-created", "temp-filled", "indexes-removed",
                                           "table-to-bak", "temp-to-table", "bak-removed",
                                           "index-written", "indexes-built"),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (c == '-') c = '_';
                           return n;
                         });

TEST(UpgradeRecovery, BakBesideItsTableIsDeletedOnlyWhenTheTableHoldsItAll) {
  Station s;
  make_year_table(s, 3);
  // What a stop after the last rename leaves: the table holds everything.
  ASSERT_TRUE(std::filesystem::copy_file(s.file("virda23.dbf"), s.file("virda23.BAK")));
  EXPECT_EQ(recover_restructure(*s.ctx), 0);
  EXPECT_FALSE(exists(s, "virda23.BAK"));

  // An empty table in the place of the one in ".BAK" (what an older program
  // version left): the records are kept, also through the next swap.
  ASSERT_TRUE(std::filesystem::copy_file(s.file("virda23.dbf"), s.file("virda23.BAK")));
  ASSERT_TRUE(s.areas.create(s.file("virda23.dbf"), kYearFields));
  EXPECT_EQ(recover_restructure(*s.ctx), 0);
  EXPECT_TRUE(exists(s, "virda23.BAK"));
  UJMEZOINSA(*s.ctx, "virda23", kNewFields);
  bool upgraded = false;
  EXPECT_TRUE(persons(s, &upgraded).empty());
  EXPECT_TRUE(upgraded);
  EXPECT_FALSE(exists(s, "virda23.BAK"));
  ASSERT_TRUE(std::filesystem::copy_file(s.file("virda23.B01"), s.file("old.dbf")));
  xbase::WorkAreas areas;
  ASSERT_TRUE(areas.use(s.file("old")));
  EXPECT_EQ(areas.current().lastrec(), 3u);
}

}  // namespace
}  // namespace shell
