// NTX indexes as orders of a work area: INDEX ON, SET INDEX TO, SEEK and SKIP in key
// order with SET DELETED and a filter, and the index kept current by every change.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "xbase/hutext.h"
#include "xbase/ntx_order.h"
#include "xbase/ntx_test_util.h"
#include "xbase/workarea.h"

namespace xbase {
namespace {

using ntx_test::ScratchDir;

class NtxOrderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(areas.create(dir.file("virda23.dbf"),
                             {{"VKOD", 'C', 3, 0}, {"NEV", 'C', 20, 0}, {"OSSZEG", 'N', 8, 2},
                              {"SZEMSZAM", 'C', 10, 0}}));
    ASSERT_TRUE(areas.use(dir.file("virda23")));
  }
  WorkArea& area() { return areas.current(); }
  void add(std::string_view vkod, std::string_view nev, double osszeg = 0, std::string_view szsz = "") {
    ASSERT_TRUE(area().append_blank());
    area().put("VKOD", Value::str(std::string(vkod)));
    area().put("NEV", Value::str(std::string(nev)));
    area().put("OSSZEG", Value::num(osszeg, 8, 2));
    area().put("SZEMSZAM", Value::str(std::string(szsz)));
  }
  NtxOrder& index_on(const std::string& name, const std::string& key) {
    auto o = NtxOrder::index_on(area(), dir.file(name), key, ntx_key_function(areas, key));
    NtxOrder* p = o.get();
    area().add_order(std::move(o));
    return *p;
  }
  std::vector<uint32_t> walk() {
    std::vector<uint32_t> out;
    for (area().go_top(); !area().eof(); area().skip(1)) out.push_back(area().recno());
    return out;
  }
  std::vector<uint32_t> walk_back() {
    std::vector<uint32_t> out;
    for (area().go_bottom(); !area().bof() && !area().eof(); area().skip(-1)) {
      out.insert(out.begin(), area().recno());
      if (area().bof()) break;
    }
    return out;
  }
  // check-index: every record once, each under the key its fields give now.
  void expect_sound(NtxOrder& o) {
    uint32_t keep = area().recno();
    uint32_t n = area().lastrec();
    std::map<uint32_t, std::string> keys;
    for (uint32_t r = 1; r <= n; ++r) {
      area().go_to(r);
      keys[r] = o.current_key();
    }
    auto res = o.file().check(n, [&](uint32_t r) { return std::optional<std::string>(keys[r]); });
    EXPECT_TRUE(res.ok()) << res.faults.front();
    area().go_to(keep);
  }

  ScratchDir dir;
  WorkAreas areas;
};

TEST_F(NtxOrderTest, IndexOnWalksAndSeeksInHungarianOrder) {
  add("002", "Nagy Anna");
  add("001", HU("Őri Péter"));
  add("001", HU("ördög Ödön"));
  add("001", "Kiss Bela");
  add("001", HU("Ács Éva"));
  add("001", "Abai Zoltan");
  NtxOrder& o = index_on("virda23", "vkod+HUNGORD(nev)");
  EXPECT_EQ(o.file().key_size(), 23u);
  EXPECT_EQ(o.key_expr(), "vkod+HUNGORD(nev)");
  std::vector<uint32_t> want = {6, 5, 4, 3, 2, 1};  // ABAI ÁCS KISS ÖRDÖG ŐRI, then 002
  EXPECT_EQ(walk(), want);
  EXPECT_EQ(walk_back(), want);

  // A prefix seek with the collation key of a lower-case text.
  EXPECT_TRUE(area().seek(Value::str("001" + std::string(HU("ÖRD")))));
  EXPECT_EQ(area().recno(), 3u);
  area().skip(1);
  EXPECT_EQ(area().recno(), 2u);
  area().skip(-2);
  EXPECT_EQ(area().recno(), 4u);
  EXPECT_FALSE(area().seek(Value::str("001L")));
  EXPECT_TRUE(area().eof());
  EXPECT_FALSE(area().seek(Value::str("001L"), /*soft=*/true));
  EXPECT_EQ(area().recno(), 3u);
  EXPECT_FALSE(area().seek(Value::str("003"), true));
  EXPECT_TRUE(area().eof());
  EXPECT_TRUE(area().seek(Value::str("001"), false, /*last=*/true));
  EXPECT_EQ(area().recno(), 2u);
}

TEST_F(NtxOrderTest, ChangesKeepEveryOpenIndexCurrent) {
  for (int i = 0; i < 40; ++i) add(i % 2 ? "001" : "002", "N" + std::to_string(100 - i), i, std::to_string(i));
  NtxOrder& byname = index_on("virda23", "vkod+HUNGORD(nev)");
  NtxOrder& second = index_on("virda232", "vkod+szemszam");
  // A key change moves the entry in both indexes; an append enters both.
  area().go_to(10);
  area().put("VKOD", Value::str("000"));
  area().go_top();
  EXPECT_EQ(area().recno(), 10u);
  add("000", "AAA", 1, "zzz");
  uint32_t added = area().recno();
  area().go_top();
  EXPECT_EQ(area().recno(), added);
  expect_sound(byname);
  expect_sound(second);

  // SET DELETED and a filter are applied to SKIP and SEEK.
  area().go_to(added);
  area().delete_record();
  areas.set_deleted(true);
  area().go_top();
  EXPECT_EQ(area().recno(), 10u);
  area().set_filter([&] { return area().get("OSSZEG").as_num() >= 30; });
  std::vector<uint32_t> w = walk();
  EXPECT_EQ(w.size(), 10u);
  for (uint32_t r : w) EXPECT_GE(r, 31u);
  area().clear_filter();
  areas.set_deleted(false);
  area().go_to(added);
  area().recall();
  EXPECT_EQ(walk().size(), 41u);

  area().set_order(2);
  EXPECT_TRUE(area().seek(Value::str("00139")));
  EXPECT_EQ(area().recno(), 40u);
  expect_sound(second);
}

TEST_F(NtxOrderTest, ZapAndPackWithOpenIndexesThenAppends) {
  for (int i = 0; i < 30; ++i) add("001", "P" + std::to_string(i), i);
  NtxOrder& a = index_on("virda23", "vkod+HUNGORD(nev)");
  NtxOrder& b = index_on("virda232", "osszeg");
  ASSERT_TRUE(area().zap());
  EXPECT_TRUE(walk().empty());
  for (int i = 0; i < 5; ++i) add("001", "Q" + std::to_string(i), -i);
  EXPECT_EQ(walk().size(), 5u);  // no record twice after ZAP
  expect_sound(a);
  expect_sound(b);
  for (uint32_t r = 1; r <= 5; r += 2) {
    area().go_to(r);
    area().delete_record();
  }
  ASSERT_TRUE(area().pack());
  for (int i = 0; i < 3; ++i) add("002", "R" + std::to_string(i), 100 + i);
  EXPECT_EQ(area().lastrec(), 5u);
  EXPECT_EQ(walk().size(), 5u);
  expect_sound(a);
  expect_sound(b);
  // The numeric index orders negative amounts below positive ones.
  area().set_order(2);
  std::vector<double> amounts;
  for (area().go_top(); !area().eof(); area().skip(1)) amounts.push_back(area().get("OSSZEG").as_num());
  EXPECT_EQ(amounts, (std::vector<double>{-3, -1, 100, 101, 102}));
  EXPECT_TRUE(area().seek(Value::num(-1)));
  EXPECT_EQ(area().get("NEV").as_str().substr(0, 2), "Q1");
}

TEST_F(NtxOrderTest, KeyRangeWalksOnlyItsPartOfTheIndex) {
  // Three persons' records, interleaved in the file; 002 has four, one deleted.
  const char* codes[] = {"001", "002", "003", "002", "001", "002", "003", "002"};
  for (int i = 0; i < 8; ++i) add(codes[i], "N" + std::to_string(8 - i), 0, "S" + std::to_string(i));
  index_on("eltar23", "vkod+szemszam");
  area().go_to(6);
  ASSERT_TRUE(area().delete_record());
  areas.set_deleted(true);
  // Every record the area looks at while the range is set is counted by the filter.
  std::vector<std::string> looked_at;
  area().set_filter([&] {
    looked_at.push_back(area().get("VKOD").as_str());
    return true;
  });
  area().set_scope(Value::str("002"));
  EXPECT_EQ(walk(), (std::vector<uint32_t>{2, 4, 8}));
  EXPECT_EQ(walk_back(), (std::vector<uint32_t>{2, 4, 8}));
  for (const std::string& code : looked_at) EXPECT_EQ(code, "002");

  // SEEK inside the range finds; outside it is not found and leaves the area at EOF.
  EXPECT_TRUE(area().seek(Value::str("002S3")));
  EXPECT_EQ(area().recno(), 4u);
  EXPECT_FALSE(area().seek(Value::str("003")));
  EXPECT_TRUE(area().eof());
  area().go_top();
  area().skip(-1);
  EXPECT_TRUE(area().bof());
  EXPECT_EQ(area().recno(), 2u);

  // A range nothing has: empty. Another order controlling: the range rests.
  area().set_scope(Value::str("009"));
  EXPECT_TRUE(walk().empty());
  area().set_scope(Value::str("001"));
  area().set_order(0);
  EXPECT_EQ(walk().size(), 7u);
  area().set_order(1);
  EXPECT_EQ(walk(), (std::vector<uint32_t>{1, 5}));
  area().clear_scope();
  EXPECT_EQ(walk().size(), 7u);
}

TEST_F(NtxOrderTest, SetIndexToEvaluatesTheStoredKey) {
  for (int i = 0; i < 25; ++i) add("00" + std::to_string(i % 3), "M" + std::to_string(50 - i), 0, std::to_string(i));
  index_on("virda23", "vkod+HUNGORD(nev)");
  index_on("virda232", "vkod+szemszam");
  std::vector<uint32_t> first = walk();
  area().close();
  ASSERT_TRUE(areas.use(dir.file("VIRDA23.DBF")));
  for (const char* name : {"VIRDA23", "virda232.ntx"}) {
    std::string key = NtxOrder::stored_key(dir.file(name));
    area().add_order(NtxOrder::open(area(), dir.file(name), ntx_key_function(areas, key)));
  }
  EXPECT_EQ(walk(), first);  // the first index controls
  add("001", "A", 0, "x");
  area().set_order(2);
  EXPECT_TRUE(area().seek(Value::str("001x")));
  area().set_order(1);
  EXPECT_TRUE(area().seek(Value::str("001A")));

  // The convenience form on the selected area opens with the stored key; a key whose
  // field is gone is reported when the index is opened.
  area().clear_orders();
  area().add_order(NtxOrder::open(areas, dir.file("virda232")));
  EXPECT_TRUE(area().seek(Value::str("001x")));
  area().close();
  ASSERT_TRUE(areas.create(dir.file("other.dbf"), {{"VKOD", 'C', 3, 0}}));
  ASSERT_TRUE(areas.use(dir.file("other")));
  EXPECT_THROW(NtxOrder::open(areas, dir.file("virda23")), ErrorException);
  area().close();
  ASSERT_TRUE(areas.use(dir.file("virda23")));

  // A temporary index disappears with its order.
  auto tmp = NtxOrder::index_on(area(), dir.file("virda2"), "vkod+szemszam",
                                ntx_key_function(areas, "vkod+szemszam"), true);
  EXPECT_TRUE(std::filesystem::exists(dir.file("virda2.ntx")));
  tmp.reset();
  EXPECT_FALSE(std::filesystem::exists(dir.file("virda2.ntx")));
}

}  // namespace
}  // namespace xbase
