// The bytes of the table file: header, descriptors, records, end of file, and what
// the engine makes of malformed files.
#include <gtest/gtest.h>

#include <cstring>

#include "dbf_test_util.h"
#include "xbase/dbf_table.h"
#include "xbase/hutext.h"
#include "xbase/workarea.h"

namespace xbase {
namespace {

using testing::person_structure;
using testing::read_file;
using testing::ScratchDir;
using testing::write_file;

uint32_t u32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<size_t>(i)]);
  return v;
}
uint32_t u16(const std::string& b, size_t at) {
  return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

TEST(DbfFormat, CreatedTableHasTheFamilysHeaderAndEndsWithEofByte) {
  ScratchDir dir;
  DbfTable::create(dir.file("t.dbf"), person_structure())->close();
  std::string b = read_file(dir.file("t.dbf"));
  ASSERT_EQ(b.size(), 32u + 5 * 32 + 2 + 1);
  EXPECT_EQ(static_cast<unsigned char>(b[0]), 0x03);
  EXPECT_EQ(u32(b, 4), 0u);
  EXPECT_EQ(u16(b, 8), 32u + 5 * 32 + 2);
  EXPECT_EQ(u16(b, 10), 1u + 3 + 20 + 8 + 8 + 1);
  for (int i = 12; i < 32; ++i) EXPECT_EQ(b[static_cast<size_t>(i)], 0) << i;
  // Second descriptor: "NEV" NUL-padded, type C, width 20.
  const char* d = b.data() + 64;
  EXPECT_EQ(std::string(d, 11), std::string("NEV\0\0\0\0\0\0\0\0", 11));
  EXPECT_EQ(d[11], 'C');
  EXPECT_EQ(d[16], 20);
  // Third: N 8.2
  EXPECT_EQ(b[96 + 11], 'N');
  EXPECT_EQ(b[96 + 16], 8);
  EXPECT_EQ(b[96 + 17], 2);
  EXPECT_EQ(b[192], 0x0D);
  EXPECT_EQ(b[193], 0x00);
  EXPECT_EQ(b[194], 0x1A);
}

TEST(DbfFormat, RecordsHoldTheFieldTextsOfTheFamily) {
  ScratchDir dir;
  {
    WorkAreas wa;
    ASSERT_TRUE(wa.create(dir.file("t"), person_structure()));
    ASSERT_TRUE(wa.use(dir.file("t")));
    WorkArea& a = wa.current();
    ASSERT_TRUE(a.append_blank());
    a.put("vkod", Value::str("001"));
    a.put("nev", Value::str(std::string(HU("Árvíztűrő"))));
    a.put("osszeg", Value::num(-12.5));
    a.put("szulido", Value::date(Date::from_ymd(1970, 3, 9)));
    a.put("flag", Value::logical(true));
    ASSERT_TRUE(a.append_blank());  // a blank record: every type blank
    ASSERT_TRUE(a.append_blank());
    a.put("osszeg", Value::num(0));
    a.put("flag", Value::logical(false));
    a.delete_record();
  }
  std::string b = read_file(dir.file("t.dbf"));
  const size_t hl = 32 + 5 * 32 + 2, rl = 41;
  ASSERT_EQ(b.size(), hl + 3 * rl + 1);
  EXPECT_EQ(u32(b, 4), 3u);
  std::string r1 = b.substr(hl, rl);
  EXPECT_EQ(r1, std::string(" 001") + std::string(HU("Árvíztűrő")) + std::string(11, ' ') +
                    "  -12.50" + "19700309" + "T");
  EXPECT_EQ(b.substr(hl + rl, rl), std::string(rl, ' '));
  std::string r3 = b.substr(hl + 2 * rl, rl);
  EXPECT_EQ(r3[0], '*');
  EXPECT_EQ(r3.substr(24, 8), "    0.00");
  EXPECT_EQ(r3.substr(40, 1), "F");
  EXPECT_EQ(b.back(), 0x1A);
}

TEST(DbfFormat, TextFieldsWiderThan255KeepTheHighByteInTheDecimals) {
  ScratchDir dir;
  DbfTable::create(dir.file("w.dbf"), {{"SZOVEG", 'C', 300, 0}})->close();
  std::string b = read_file(dir.file("w.dbf"));
  EXPECT_EQ(static_cast<unsigned char>(b[32 + 16]), 300 % 256);
  EXPECT_EQ(static_cast<unsigned char>(b[32 + 17]), 1);
  auto t = DbfTable::open(dir.file("w.dbf"), true);
  EXPECT_EQ(t->fields()[0].width, 300);
  EXPECT_EQ(t->record_length(), 301u);
}

TEST(DbfFormat, NumbersAreRoundedHalfAwayFromZeroAndRefusedWhenTooWide) {
  char buf[16];
  auto fmt = [&](double v, int w, int d) -> std::string {
    return format_number(v, w, d, buf) ? std::string(buf, static_cast<size_t>(w)) : "overflow";
  };
  EXPECT_EQ(fmt(-12.5, 6, 2), "-12.50");
  EXPECT_EQ(fmt(0, 6, 2), "  0.00");
  EXPECT_EQ(fmt(2.675, 6, 2), "  2.68");
  EXPECT_EQ(fmt(-0.004, 6, 2), "  0.00");  // no "-0.00"
  EXPECT_EQ(fmt(0.5, 3, 0), "  1");
  EXPECT_EQ(fmt(-0.5, 3, 0), " -1");
  EXPECT_EQ(fmt(999999999, 9, 0), "999999999");
  EXPECT_EQ(fmt(1000000000, 9, 0), "overflow");
  EXPECT_EQ(fmt(-99999999, 9, 0), "-99999999");
  EXPECT_EQ(fmt(-100000000, 9, 0), "overflow");
  EXPECT_EQ(fmt(0.1, 5, 3), "0.100");
  EXPECT_EQ(fmt(12345678901234.0, 14, 0), "12345678901234");
}

TEST(DbfFormat, MalformedFieldContentsReadAsDocumentedValues) {
  FieldDef n{"N", 'N', 6, 2}, d{"D", 'D', 8, 0}, l{"L", 'L', 1, 0};
  EXPECT_EQ(decode_field(n, " 12.5x").as_num(), 12.5);
  EXPECT_EQ(decode_field(n, "abcdef").as_num(), 0);
  EXPECT_EQ(decode_field(n, "******").as_num(), 0);
  EXPECT_EQ(decode_field(n, "      ").as_num(), 0);
  EXPECT_EQ(decode_field(n, " -3.25").as_num(), -3.25);
  EXPECT_TRUE(decode_field(d, "20231341").as_date().empty());
  EXPECT_TRUE(decode_field(d, "        ").as_date().empty());
  EXPECT_EQ(decode_field(d, "20240229").as_date(), Date::from_ymd(2024, 2, 29));
  EXPECT_FALSE(decode_field(l, " ").as_logical());
  EXPECT_FALSE(decode_field(l, "?").as_logical());
  EXPECT_TRUE(decode_field(l, "t").as_logical());
  EXPECT_TRUE(decode_field(l, "Y").as_logical());
  double v = 0;
  EXPECT_TRUE(parse_number_strict("  -1.50", &v));
  EXPECT_EQ(v, -1.5);
  EXPECT_FALSE(parse_number_strict(" 1 2", &v));
  EXPECT_FALSE(parse_number_strict("  -", &v));
}

// Expects DbfTable::open to fail with a corruption error object.
void expect_corrupt(const std::string& path) {
  try {
    DbfTable::open(path, true);
    ADD_FAILURE() << "opened a malformed table";
  } catch (const ErrorException& ex) {
    EXPECT_EQ(ex.error().gen_code, gen::kCorruption);
    EXPECT_EQ(ex.error().subsystem, "DBFNTX");
    EXPECT_EQ(ex.error().sub_code, dbferr::kCorruption);
    EXPECT_EQ(ex.error().filename, path);
  }
}

TEST(DbfFormat, MalformedHeadersGiveACorruptionError) {
  ScratchDir dir;
  DbfTable::create(dir.file("good.dbf"), person_structure())->close();
  std::string good = read_file(dir.file("good.dbf"));

  write_file(dir.file("empty.dbf"), "");
  expect_corrupt(dir.file("empty.dbf"));
  write_file(dir.file("short.dbf"), good.substr(0, 20));
  expect_corrupt(dir.file("short.dbf"));
  write_file(dir.file("trunc.dbf"), good.substr(0, 100));  // descriptors cut off
  expect_corrupt(dir.file("trunc.dbf"));

  std::string overrun = good;  // header length ends inside the third descriptor
  overrun[8] = static_cast<char>(32 + 2 * 32 + 10);
  overrun[9] = 0;
  write_file(dir.file("overrun.dbf"), overrun);
  expect_corrupt(dir.file("overrun.dbf"));

  std::string no_term = good;  // no terminator: descriptors run to the header end
  no_term[192] = 'X';
  write_file(dir.file("noterm.dbf"), no_term);
  expect_corrupt(dir.file("noterm.dbf"));

  std::string short_rec = good;  // record length smaller than the fields
  short_rec[10] = 10;
  short_rec[11] = 0;
  write_file(dir.file("shortrec.dbf"), short_rec);
  expect_corrupt(dir.file("shortrec.dbf"));

  std::string not_dbf = good;
  not_dbf[0] = 'P';
  write_file(dir.file("pdf.dbf"), not_dbf);
  expect_corrupt(dir.file("pdf.dbf"));
}

TEST(DbfFormat, RecordCountComesFromTheFileSizeNotTheHeader) {
  ScratchDir dir;
  {
    auto t = DbfTable::create(dir.file("c.dbf"), {{"A", 'C', 4, 0}});
    for (int i = 0; i < 3; ++i) t->append_record("     ");
  }
  std::string b = read_file(dir.file("c.dbf"));
  b[4] = 100;  // the header claims 100 records
  write_file(dir.file("c.dbf"), b);
  EXPECT_EQ(DbfTable::open(dir.file("c.dbf"), true)->record_count(), 3u);

  // A header that ends with 0x0D alone; a file without the end-of-file byte; a partial
  // record after the last whole one.
  b = read_file(dir.file("c.dbf"));
  std::string alt = b.substr(0, 64) + "\x0D" + b.substr(66, 15);  // drop the 0x00 and the EOF byte
  alt[8] = 65;
  alt += "  x";
  write_file(dir.file("alt.dbf"), alt);
  auto t = DbfTable::open(dir.file("alt.dbf"), true);
  EXPECT_EQ(t->header_length(), 65u);
  EXPECT_EQ(t->record_count(), 3u);
}

TEST(DbfFormat, MemoFieldsReadEmptyAndRefuseWriting) {
  ScratchDir dir;
  DbfTable::create(dir.file("m.dbf"), {{"A", 'C', 2, 0}, {"B", 'C', 10, 0}})->close();
  std::string b = read_file(dir.file("m.dbf"));
  b[0] = static_cast<char>(0x83);
  b[64 + 11] = 'M';
  b.pop_back();
  b += " xx         1";
  write_file(dir.file("m.dbf"), b);
  WorkAreas wa;
  ASSERT_TRUE(wa.use(dir.file("m.dbf")));
  WorkArea& a = wa.current();
  EXPECT_EQ(a.lastrec(), 1u);
  EXPECT_EQ(a.get("B").as_str(), "");
  EXPECT_EQ(a.get("A").as_str(), "xx");
  try {
    a.put("B", Value::str("text"));
    ADD_FAILURE() << "memo written";
  } catch (const ErrorException& ex) {
    EXPECT_EQ(ex.error().gen_code, gen::kDataType);
  }
}

TEST(DbfFormat, StructuresAreCheckedBeforeCreating) {
  EXPECT_EQ(check_structure(person_structure()), "");
  EXPECT_NE(check_structure({}), "");
  EXPECT_NE(check_structure({{"A", 'C', 1, 0}, {"A", 'N', 3, 0}}), "");
  EXPECT_NE(check_structure({{"TOOLONGNAME1", 'C', 1, 0}}), "");
  EXPECT_NE(check_structure({{"D", 'D', 10, 0}}), "");
  EXPECT_NE(check_structure({{"N", 'N', 3, 2}}), "");
  EXPECT_NE(check_structure({{"M", 'M', 10, 0}}), "");
}

}  // namespace
}  // namespace xbase
