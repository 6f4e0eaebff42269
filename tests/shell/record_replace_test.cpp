// Replacing a group of records in one step: a change given up is undone; a start
// finds the journal and undoes a begun change or finishes an appended one; a
// journal that is not one (a path in it, a range backwards) is never followed.
#include <gtest/gtest.h>

#include <fstream>

#include "shell/record_replace.h"
#include "shell/upgrade_test_util.h"

namespace shell {
namespace {

using namespace testing;

// The deletion marks of every record of the year table, '*' or ' '.
std::string marks(Station& s) {
  xbase::WorkAreas areas;
  EXPECT_TRUE(areas.use(s.file("virda23"), "", xbase::OpenMode::Shared, true));
  std::string out;
  xbase::WorkArea& a = areas.current();
  for (uint32_t r = 1; r <= a.lastrec(); ++r) {
    a.go_to(r);
    out += a.deleted() ? '*' : ' ';
  }
  return out;
}

void write(Station& s, const std::string& name, const std::string& text) {
  std::ofstream(s.file(name), std::ios::binary) << text;
}

TEST(RecordReplacement, GivenUpChangeLeavesOnlyTheOldRecords) {
  Station s;
  make_year_table(s, 4);
  ASSERT_TRUE(s.areas.use(s.file("virda23"), "", xbase::OpenMode::Exclusive));
  xbase::WorkArea& a = s.areas.current();
  std::string record(a.record_bytes(), a.table()->record_length());
  {
    RecordReplacement r(*s.ctx);
    r.drop(a, {1, 2});
    ASSERT_TRUE(r.begin());
    EXPECT_TRUE(exists(s, kReplaceJournal));
    r.append(a, record);
    r.append(a, record);
  }  // not finished
  s.areas.close_all();
  EXPECT_EQ(marks(s), "    **");
  EXPECT_FALSE(exists(s, kReplaceJournal));
}

TEST(RecordReplacement, StartUndoesABegunChangeAndFinishesAnAppendedOne) {
  Station s;
  make_year_table(s, 5);
  INDEXELES(*s.ctx);
  s.areas.close_all();
  write(s, kReplaceJournal, "atiras 1\nallapot kezdett\nvirda23.dbf 3 1-2\n");
  EXPECT_EQ(recover_record_replacement(*s.ctx), 1);
  EXPECT_EQ(marks(s), "   **");
  EXPECT_FALSE(exists(s, kReplaceJournal));
  EXPECT_FALSE(exists(s, "virda23.ntx"));  // built again by the start's index check

  write(s, kReplaceJournal, "atiras 1\nallapot hozzafuzve\nVIRDA23.DBF 3 1-2\n");
  EXPECT_EQ(recover_record_replacement(*s.ctx), 1);
  EXPECT_EQ(marks(s), "** **");
  EXPECT_EQ(recover_record_replacement(*s.ctx), 0);  // nothing left to do
}

TEST(RecordReplacement, JournalThatIsNotOneIsNeverFollowed) {
  EXPECT_TRUE(parse_replace_journal("atiras 1\nallapot kezdett\nvirda23.dbf 3 -\n"));
  for (const char* bad : {"atiras 1\nallapot kesz\n", "atiras 2\nallapot kezdett\n",
                          "atiras 1\nallapot kezdett\n../virda23.dbf 3 -\n",
                          "atiras 1\nallapot kezdett\n/etc/passwd.dbf 3 -\n",
                          "atiras 1\nallapot kezdett\nvirda23.ntx 3 -\n",
                          "atiras 1\nallapot kezdett\nvirda23.dbf 3 9-2\n",
                          "atiras 1\nallapot kezdett\nvirda23.dbf 3 0\n",
                          "atiras 1\nallapot kezdett\nvirda23.dbf 99999999999 -\n",
                          "atiras 1\nallapot kezdett\nvirda23.dbf 3\n"})
    EXPECT_FALSE(parse_replace_journal(bad)) << bad;

  Station s;
  make_year_table(s, 3);
  write(s, kReplaceJournal, "atiras 1\nallapot hozzafuzve\nvirda23.dbf 3 1-4294967294\n");
  EXPECT_EQ(recover_record_replacement(*s.ctx), 1);  // only the records the table has
  EXPECT_EQ(marks(s), "***");
  write(s, kReplaceJournal, "not a journal");
  EXPECT_EQ(recover_record_replacement(*s.ctx), 0);
  EXPECT_FALSE(exists(s, kReplaceJournal));
}

}  // namespace
}  // namespace shell
