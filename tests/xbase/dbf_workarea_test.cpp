// Work areas: opening and aliases, navigation with the runtime's semantics, SET
// DELETED, filters, LOCATE, writing, the error handler's answers, the order hook.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "dbf_test_util.h"
#include "xbase/workarea.h"

namespace xbase {
namespace {

using testing::person_structure;
using testing::ScratchDir;

// A table of n records; record i has VKOD = i as three digits and OSSZEG = i.
void make_table(WorkAreas& wa, const std::string& path, int n) {
  ASSERT_TRUE(wa.create(path, person_structure()));
  ASSERT_TRUE(wa.use(path));
  WorkArea& a = wa.current();
  for (int i = 1; i <= n; ++i) {
    ASSERT_TRUE(a.append_blank());
    char code[4];
    std::snprintf(code, sizeof code, "%03d", i);
    a.put("VKOD", Value::str(code));
    a.put("OSSZEG", Value::num(i));
  }
  wa.close_area();
}

std::vector<uint32_t> walk(WorkArea& a) {
  std::vector<uint32_t> seen;
  for (a.go_top(); !a.eof(); a.skip()) seen.push_back(a.recno());
  return seen;
}

TEST(WorkArea, OpensExclusivelyByDefaultUnderTheUpperCaseBaseName) {
  ScratchDir dir;
  WorkAreas wa;
  make_table(wa, dir.file("vallal"), 2);
  std::filesystem::rename(dir.file("vallal.dbf"), dir.file("VALLAL.DBF"));
  ASSERT_TRUE(wa.use(dir.file("vallal")));  // found ignoring case, ".dbf" added
  EXPECT_EQ(wa.current().alias(), "VALLAL");
  EXPECT_TRUE(wa.current().table()->exclusive());
  wa.set_exclusive(false);
  wa.select(0);
  EXPECT_EQ(wa.selected(), 2);
  // A dotted directory does not count as the file's extension.
  std::filesystem::create_directory(dir.file("001.23"));
  make_table(wa, dir.file("001.23/nemrend"), 1);
  EXPECT_TRUE(std::filesystem::exists(dir.file("001.23/nemrend.dbf")));
  ASSERT_TRUE(wa.use(dir.file("001.23/nemrend"), "nr"));
  EXPECT_EQ(wa.current().alias(), "NR");
  EXPECT_FALSE(wa.current().table()->exclusive());
  EXPECT_TRUE(wa.select("vallal"));
  EXPECT_EQ(wa.selected(), 1);
  {
    AreaSelection keep(wa);
    wa.select("NR");
    EXPECT_EQ(wa.selected(), 2);
  }
  EXPECT_EQ(wa.selected(), 1);
  EXPECT_EQ(wa.next_free(), 3);
  wa.select(3);
  EXPECT_THROW(wa.use(dir.file("001.23/nemrend.dbf"), "vallal", OpenMode::Shared), ErrorException);
  wa.close_all();
  EXPECT_FALSE(wa.area(1).used());
  EXPECT_FALSE(wa.area(2).used());
}

TEST(WorkArea, NavigationFollowsTheRuntime) {
  ScratchDir dir;
  WorkAreas wa;
  make_table(wa, dir.file("t"), 3);
  ASSERT_TRUE(wa.use(dir.file("t")));
  WorkArea& a = wa.current();
  EXPECT_EQ(a.recno(), 1u);
  EXPECT_FALSE(a.bof());
  a.skip(-1);  // before the top: BOF, still on record 1
  EXPECT_TRUE(a.bof());
  EXPECT_EQ(a.recno(), 1u);
  a.skip(5);  // past the end: the phantom record
  EXPECT_TRUE(a.eof());
  EXPECT_EQ(a.recno(), 4u);
  EXPECT_EQ(a.get("VKOD").as_str(), "   ");
  EXPECT_EQ(a.get("OSSZEG").as_num(), 0);
  a.skip(-1);  // from the phantom back to the last record
  EXPECT_EQ(a.recno(), 3u);
  EXPECT_FALSE(a.eof());
  a.go_to(2);
  EXPECT_EQ(a.get("VKOD").as_str(), "002");
  a.go_to(9);
  EXPECT_TRUE(a.eof());
  EXPECT_EQ(a.recno(), 4u);
  a.go_bottom();
  EXPECT_EQ(a.recno(), 3u);
  EXPECT_EQ(a.lastrec(), 3u);

  // An empty table: BOF and EOF at once, RECNO 1.
  ASSERT_TRUE(a.zap());
  a.go_top();
  EXPECT_TRUE(a.eof());
  EXPECT_TRUE(a.bof());
  EXPECT_EQ(a.recno(), 1u);
  a.skip(1);
  EXPECT_TRUE(a.eof());
}

TEST(WorkArea, DeletedRecordsAndFiltersAreHiddenFromNavigationAndLocate) {
  ScratchDir dir;
  WorkAreas wa;
  make_table(wa, dir.file("t"), 6);
  ASSERT_TRUE(wa.use(dir.file("t")));
  WorkArea& a = wa.current();
  for (uint32_t r : {1u, 4u, 6u}) {
    a.go_to(r);
    a.delete_record();
  }
  EXPECT_EQ(walk(a), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
  wa.set_deleted(true);
  EXPECT_EQ(walk(a), (std::vector<uint32_t>{2, 3, 5}));
  a.go_bottom();
  EXPECT_EQ(a.recno(), 5u);
  a.skip(-2);
  EXPECT_EQ(a.recno(), 2u);
  a.skip(-1);
  EXPECT_TRUE(a.bof());
  EXPECT_EQ(a.recno(), 2u);
  a.go_to(4);  // GOTO reaches a hidden record
  EXPECT_EQ(a.recno(), 4u);
  EXPECT_TRUE(a.deleted());

  a.set_filter([&] { return a.get("OSSZEG").as_num() >= 3; });
  EXPECT_EQ(walk(a), (std::vector<uint32_t>{3, 5}));
  a.clear_filter();

  auto odd = [&] { return static_cast<int>(a.get("OSSZEG").as_num()) % 2 == 1; };
  EXPECT_TRUE(a.locate(odd));
  EXPECT_EQ(a.recno(), 3u);
  EXPECT_TRUE(a.continue_locate());
  EXPECT_EQ(a.recno(), 5u);
  EXPECT_FALSE(a.continue_locate());
  EXPECT_TRUE(a.eof());
  EXPECT_FALSE(a.found());
  a.go_to(5);  // REST starts at the current record
  EXPECT_TRUE(a.locate(odd, true));
  EXPECT_EQ(a.recno(), 5u);
  a.go_to(2);  // WHILE stops the scan at the first record that fails it
  EXPECT_FALSE(a.locate(odd, true, [&] { return a.get("OSSZEG").as_num() < 3; }));
  EXPECT_EQ(a.recno(), 3u);

  a.go_to(4);
  a.recall();
  ASSERT_TRUE(a.pack());
  EXPECT_EQ(a.lastrec(), 4u);
  wa.set_deleted(false);
  std::vector<std::string> codes;
  for (a.go_top(); !a.eof(); a.skip()) codes.push_back(a.get("VKOD").as_str());
  EXPECT_EQ(codes, (std::vector<std::string>{"002", "003", "004", "005"}));
}

TEST(WorkArea, ChangesAreWrittenBackWhenThePointerMovesOrTheTableCloses) {
  ScratchDir dir;
  {
    WorkAreas wa;
    make_table(wa, dir.file("t"), 3);
    ASSERT_TRUE(wa.use(dir.file("t")));
    WorkArea& a = wa.current();
    a.go_to(2);
    a.put("NEV", Value::str("KISS"));
    a.skip(1);
    a.put("NEV", Value::str("NAGY"));
  }  // closing the set closes the table
  WorkAreas wa;
  ASSERT_TRUE(wa.use(dir.file("t")));
  WorkArea& a = wa.current();
  a.go_to(2);
  EXPECT_EQ(a.get("NEV").as_str(), "KISS" + std::string(16, ' '));
  a.go_to(3);
  EXPECT_EQ(a.get("NEV").as_str(), "NAGY" + std::string(16, ' '));
  EXPECT_EQ(a.get("OSSZEG").as_num(), 3);
}

TEST(WorkArea, ErrorsGoToTheHandlerWhoseAnswerIsObeyed) {
  ScratchDir dir;
  WorkAreas wa;
  // Without a handler: an exception with the runtime's fields.
  try {
    wa.use(dir.file("nincs"));
    ADD_FAILURE();
  } catch (const ErrorException& ex) {
    EXPECT_EQ(ex.error().gen_code, gen::kOpen);
    EXPECT_EQ(ex.error().sub_code, 1001);
    EXPECT_EQ(ex.error().os_code, 2);
    EXPECT_EQ(ex.error().subsystem, "DBFNTX");
    EXPECT_TRUE(ex.error().can_retry);
    EXPECT_TRUE(ex.error().can_default);
    EXPECT_EQ(std::string(ex.what()), "Error DBFNTX/1001  Open error: " + dir.file("nincs.dbf"));
  }

  // Retry until the table appears, then the open succeeds.
  std::vector<Error> seen;
  bool retrying = true;
  wa.set_error_handler([&](Error& e) {
    seen.push_back(e);
    if (retrying && e.gen_code == gen::kOpen) {
      if (e.tries == 2) DbfTable::create(dir.file("nincs.dbf"), person_structure())->close();
      return ErrorAnswer::retry();
    }
    return ErrorAnswer::fallback();
  });
  wa.select(2);
  EXPECT_TRUE(wa.use(dir.file("nincs")));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].tries, 2);
  ASSERT_TRUE(wa.current().append_blank());

  // Default: the open fails quietly and NETERR() is set.
  retrying = false;
  seen.clear();
  wa.select(3);
  EXPECT_FALSE(wa.use(dir.file("masik")));
  EXPECT_TRUE(wa.neterr());
  EXPECT_FALSE(wa.current().used());

  // Data width: the default leaves the old value; a substituted value is stored.
  wa.select(2);
  WorkArea& a = wa.current();
  a.put("OSSZEG", Value::num(12.5));
  seen.clear();
  EXPECT_FALSE(a.put("OSSZEG", Value::num(1000000)));  // N8.2 holds 99999.99
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].gen_code, gen::kDataWidth);
  EXPECT_EQ(seen[0].operation, "OSSZEG");
  EXPECT_EQ(a.get("OSSZEG").as_num(), 12.5);
  wa.set_error_handler([](Error&) { return ErrorAnswer::substitute(Value::num(-1)); });
  EXPECT_TRUE(a.put("OSSZEG", Value::num(-100000)));
  EXPECT_EQ(a.get("OSSZEG").as_num(), -1);
  // An answer the error does not allow is not obeyed.
  wa.set_error_handler([](Error&) { return ErrorAnswer::retry(); });
  EXPECT_THROW(a.put("OSSZEG", Value::str("x")), ErrorException);
  EXPECT_THROW(a.get("NINCSILYEN"), ErrorException);
}

TEST(WorkArea, SharedTablesRefuseChangesWithoutALock) {
  ScratchDir dir;
  WorkAreas wa;
  make_table(wa, dir.file("t"), 2);
  ASSERT_TRUE(wa.use(dir.file("t"), "", OpenMode::Shared));
  WorkArea& a = wa.current();
  try {
    a.put("NEV", Value::str("X"));
    ADD_FAILURE();
  } catch (const ErrorException& ex) {
    EXPECT_EQ(ex.error().gen_code, gen::kUnlocked);
  }
  EXPECT_THROW(a.zap(), ErrorException);  // exclusive required
  ASSERT_TRUE(a.rlock());
  EXPECT_TRUE(a.put("NEV", Value::str("X")));
  a.unlock();
  ASSERT_TRUE(a.append_blank());  // the new record is locked by the append
  EXPECT_TRUE(a.put("NEV", Value::str("UJ")));
  EXPECT_EQ(a.recno(), 3u);
  ASSERT_TRUE(a.commit());
  a.unlock();
  EXPECT_EQ(a.lastrec(), 3u);
}

// An order in descending record-number order that logs the maintenance calls.
class ReverseOrder : public WorkAreaOrder {
 public:
  explicit ReverseOrder(WorkArea& a, std::vector<std::string>& log) : a_(a), log_(log) {}
  uint32_t first() override { return a_.table()->record_count(); }
  uint32_t last() override { return a_.table()->record_count() ? 1 : 0; }
  uint32_t next(uint32_t r) override { return r > 1 ? r - 1 : 0; }
  uint32_t prev(uint32_t r) override { return r < a_.table()->record_count() ? r + 1 : 0; }
  SeekResult seek(const Value& key, bool, const RecordVisible& visible) override {
    for (uint32_t r = first(); r; r = next(r))
      if (visible(r) && a_.get("OSSZEG").as_num() <= key.as_num())
        return {r, a_.get("OSSZEG").as_num() == key.as_num()};
    return {};
  }
  void appended(uint32_t r) override { log_.push_back("append " + std::to_string(r)); }
  void before_change(uint32_t r) override {
    log_.push_back("before " + std::to_string(r) + " " + a_.get("NEV").as_str().substr(0, 1));
  }
  void after_change(uint32_t r) override {
    log_.push_back("after " + std::to_string(r) + " " + a_.get("NEV").as_str().substr(0, 1));
  }
  void deleted_changed(uint32_t r, bool d) override {
    log_.push_back((d ? "delete " : "recall ") + std::to_string(r));
  }

 private:
  WorkArea& a_;
  std::vector<std::string>& log_;
};

TEST(WorkArea, TheControllingOrderDrivesNavigationAndHearsEveryChange) {
  ScratchDir dir;
  WorkAreas wa;
  make_table(wa, dir.file("t"), 4);
  ASSERT_TRUE(wa.use(dir.file("t")));
  WorkArea& a = wa.current();
  std::vector<std::string> log;
  a.add_order(std::make_unique<ReverseOrder>(a, log));
  EXPECT_EQ(walk(a), (std::vector<uint32_t>{4, 3, 2, 1}));
  a.go_bottom();
  EXPECT_EQ(a.recno(), 1u);
  a.skip(-1);
  EXPECT_EQ(a.recno(), 2u);
  EXPECT_TRUE(a.seek(Value::num(3)));
  EXPECT_EQ(a.recno(), 3u);
  EXPECT_FALSE(a.seek(Value::num(2.5)));
  EXPECT_TRUE(a.eof());
  EXPECT_FALSE(a.seek(Value::num(2.5), true));  // soft: stays on the next key
  EXPECT_EQ(a.recno(), 2u);
  a.put("NEV", Value::str("A"));
  a.put("NEV", Value::str("B"));
  a.delete_record();
  a.skip(1);
  ASSERT_TRUE(a.append_blank());
  EXPECT_EQ(log, (std::vector<std::string>{"before 2  ", "delete 2", "after 2 B", "append 5"}));
  a.set_order(0);
  EXPECT_EQ(walk(a), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
  a.set_order(1);
  a.clear_orders();
  EXPECT_THROW(a.seek(Value::num(1)), ErrorException);
}

}  // namespace
}  // namespace xbase
