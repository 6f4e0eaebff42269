// Building the missing index files: only those, on the right keys, and a broken
// earlier build does not count as an index.
#include <gtest/gtest.h>

#include <fstream>

#include "shell/upgrade_test_util.h"

namespace shell {
namespace {

using namespace testing;

TEST(Reindex, OnlyTheMissingFileIsBuilt) {
  Station s;
  make_year_table(s, 20, {5});
  ASSERT_TRUE(s.areas.create(s.file("vallal.dbf"), {{"VKOD", 'C', 3, 0}, {"NEV", 'C', 30, 0}}));
  ASSERT_TRUE(s.areas.create(s.file("eltar23.dbf"), {{"VKOD", 'C', 3, 0}, {"SZEMSZAM", 'C', 10, 0}}));
  INDEXELES(*s.ctx);
  s.areas.close_all();
  for (const char* f : {"vallal.ntx", "eltar23.ntx", "virda23.ntx", "virda232.ntx"})
    EXPECT_TRUE(exists(s, f)) << f;
  EXPECT_EQ(xbase::NtxOrder::stored_key(s.file("virda23.ntx")), "vkod+HUNGORD(nev)");
  EXPECT_EQ(xbase::NtxOrder::stored_key(s.file("virda232.ntx")), "vkod+szemszam+nyilat");

  std::vector<std::string> stamps;
  for (const char* f : {"vallal.ntx", "eltar23.ntx", "virda23.ntx"}) stamps.push_back(file_stamp(s, f));
  ASSERT_EQ(::unlink(s.file("virda232.ntx").c_str()), 0);
  // A build stopped half way left its work file behind.
  std::ofstream(s.file("virda232.ntx.ntmp")) << "half";

  INDEXELES(*s.ctx);
  EXPECT_TRUE(s.areas.current().used());  // the last table stays open
  EXPECT_EQ(s.areas.current().order_count(), 1u);
  s.areas.close_all();
  int i = 0;
  for (const char* f : {"vallal.ntx", "eltar23.ntx", "virda23.ntx"})
    EXPECT_EQ(file_stamp(s, f), stamps[static_cast<size_t>(i++)]) << f;
  EXPECT_FALSE(exists(s, "virda232.ntx.ntmp"));
  EXPECT_TRUE(index_matches(s, "virda23", "virda232.ntx"));
  EXPECT_TRUE(index_matches(s, "virda23", "virda23.ntx"));
}

TEST(Reindex, RemovingAndRebuildingOneTablesIndexes) {
  Station s;
  make_year_table(s, 5);
  EXPECT_EQ(index_files_of(*s.ctx, "VIRDA23").size(), 2u);
  EXPECT_TRUE(index_files_of(*s.ctx, "konstans").empty());
  ASSERT_TRUE(rebuild_table_indexes(*s.ctx, "virda23"));
  EXPECT_FALSE(s.areas.current().used());
  EXPECT_TRUE(index_matches(s, "virda23", "virda23.ntx"));
  ASSERT_TRUE(remove_table_indexes(*s.ctx, "virda23"));
  EXPECT_FALSE(exists(s, "virda23.ntx"));
  EXPECT_FALSE(exists(s, "virda232.ntx"));
}

}  // namespace
}  // namespace shell
