// COPY STRUCTURE, APPEND FROM another table by field name, and the fixed-width text import.
#include <gtest/gtest.h>

#include "dbf_test_util.h"
#include "xbase/dbf_copy.h"
#include "xbase/hutext.h"

namespace xbase {
namespace {

using testing::ScratchDir;
using testing::write_file;

TEST(DbfCopy, AppendFromMatchesFieldsByNameConvertsTypesAndSkipsHiddenRecords) {
  ScratchDir dir;
  WorkAreas wa;
  ASSERT_TRUE(wa.create(dir.file("src"), {{"VKOD", 'C', 3, 0},
                                          {"NEV", 'C', 30, 0},
                                          {"OSSZEG", 'N', 9, 2},
                                          {"KOD", 'C', 5, 0},
                                          {"SZAM", 'N', 6, 0},
                                          {"NAP", 'D', 8, 0},
                                          {"CSAK", 'C', 4, 0}}));
  ASSERT_TRUE(wa.use(dir.file("src")));
  WorkArea& src = wa.current();
  const char* names[] = {"ELSO", "MASODIK", "HARMADIK", "NEGYEDIK"};
  for (int i = 0; i < 4; ++i) {
    src.append_blank();
    src.put("VKOD", Value::str(i == 2 ? "002" : "001"));
    src.put("NEV", Value::str(std::string(names[i]) + std::string(HU(" Ödön"))));
    src.put("OSSZEG", Value::num(1234.5 * (i + 1)));
    src.put("KOD", Value::str(" 42"));
    src.put("SZAM", Value::num(-7));
    src.put("NAP", Value::date(Date::from_ymd(2023, 1, i + 1)));
  }
  src.go_to(2);
  src.delete_record();
  wa.close_area();

  // The target: narrower name, other decimals, converted types, a field of its own.
  ASSERT_TRUE(wa.create(dir.file("dst"), {{"NEV", 'C', 10, 0},
                                          {"OSSZEG", 'N', 10, 0},
                                          {"KOD", 'N', 4, 0},
                                          {"SZAM", 'C', 6, 0},
                                          {"NAP", 'C', 8, 0},
                                          {"UJ", 'N', 3, 0}}));
  wa.select(3);
  ASSERT_TRUE(wa.use(dir.file("dst")));
  WorkArea& dst = wa.current();
  wa.set_deleted(true);
  size_t n = append_from(dst, dir.file("src"), [](WorkArea& s) {
    return s.get("VKOD").as_str() == "001";
  });
  EXPECT_EQ(n, 2u);  // record 2 is deleted, record 3 fails the condition
  EXPECT_EQ(wa.selected(), 3);
  EXPECT_EQ(wa.next_free(), 1);  // the source is closed again
  ASSERT_EQ(dst.lastrec(), 2u);
  dst.go_to(2);
  EXPECT_EQ(dst.get("NEV").as_str(), "NEGYEDIK " + std::string(HU("Ö")));
  EXPECT_EQ(dst.get("OSSZEG").as_num(), 4938);
  EXPECT_EQ(dst.get("KOD").as_num(), 42);
  EXPECT_EQ(dst.get("SZAM").as_str(), "-7    ");
  EXPECT_EQ(dst.get("NAP").as_str(), "20230104");
  EXPECT_EQ(std::string(dst.record_bytes() + dst.table()->field_offset(5), 3), "   ");

  // With SET DELETED OFF a deleted record comes over deleted.
  wa.set_deleted(false);
  EXPECT_EQ(append_from(dst, dir.file("src")), 4u);
  dst.go_to(4);
  EXPECT_TRUE(dst.deleted());

  // COPY STRUCTURE, all fields or a chosen few.
  ASSERT_TRUE(copy_structure(dst, dir.file("ures")));
  ASSERT_TRUE(copy_structure(dst, dir.file("ket"), {"UJ", "nev"}));
  wa.select(0);
  ASSERT_TRUE(wa.use(dir.file("ures")));
  EXPECT_EQ(wa.current().structure(), dst.structure());
  EXPECT_EQ(wa.current().lastrec(), 0u);
  wa.select(0);
  ASSERT_TRUE(wa.use(dir.file("ket")));
  EXPECT_EQ(wa.current().structure(), (Structure{{"UJ", 'N', 3, 0}, {"NEV", 'C', 10, 0}}));
}

TEST(DbfCopy, FixedWidthTextSpreadsEachLineOverTheFields) {
  ScratchDir dir;
  WorkAreas wa;
  ASSERT_TRUE(wa.create(dir.file("t"), {{"KOD", 'C', 3, 0},
                                        {"OSSZEG", 'N', 7, 2},
                                        {"NAP", 'D', 8, 0},
                                        {"JEL", 'L', 1, 0},
                                        {"NEV", 'C', 6, 0}}));
  ASSERT_TRUE(wa.use(dir.file("t")));
  write_file(dir.file("be.txt"), "001  -1.5020230115TKiss\r\n"
                                 "002   3.00        F\n"
                                 "003\n"
                                 "\x1A");
  WorkArea& a = wa.current();
  EXPECT_EQ(append_from_text(a, dir.file("BE.TXT")), 3u);
  a.go_top();
  EXPECT_EQ(a.get("OSSZEG").as_num(), -1.5);
  EXPECT_EQ(a.get("NAP").as_date(), Date::from_ymd(2023, 1, 15));
  EXPECT_TRUE(a.get("JEL").as_logical());
  EXPECT_EQ(a.get("NEV").as_str(), "Kiss  ");
  a.skip();
  EXPECT_EQ(a.get("OSSZEG").as_num(), 3);
  EXPECT_TRUE(a.get("NAP").as_date().empty());
  a.skip();
  EXPECT_EQ(a.get("KOD").as_str(), "003");
  EXPECT_EQ(a.get("NEV").as_str(), "      ");
  EXPECT_THROW(append_from_text(a, dir.file("nincs.txt")), ErrorException);
}

}  // namespace
}  // namespace xbase
