// The row table: the lookup's traps over a hand-made table, the shipped rows, and
// tables that cannot serve.
#include <gtest/gtest.h>

#include <fstream>

#include "efile/m30_fields.h"
#include "efile/row_table.h"
#include "efile/xml_fixture.h"
#include "shell/shell_test_util.h"
#include "store/m30_rows.h"
#include "store/template_dir.h"
#include "xbase/hutext.h"

namespace efile {
namespace {

using shell::testing::Station;
using testing::write_row_table;

std::string cp(std::string_view utf8) { return xbase::utf8_to_cp852(utf8); }

TEST(RowLookup, FirstLiveRowInTableOrderExactAndInWindows1250) {
  Station s;
  write_row_table(s.file("xxx/seg23m30.dbf"),
                  {{"*7. sor, törölt D1", "deleted"},
                   {cp("1. sor kis betűvel d1"), "lower"},
                   {"D1 az elején", "front"},
                   {cp("   munkaltato_neve  Munkáltató neve"), "   name  "},
                   {cp("1. munkaviszonyból származó bérjövedelem D1"), "real"},
                   {cp("IV. január (d) [01]D1"), "month"},
                   {cp("korábbi munkáltató adatai"), "previous"},
                   {cp("A175 a jövedelem megnevezése"), "A175text"}});
  std::optional<RowTable> t = open_row_table(*s.ctx);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->rows().size(), 7u);  // the deleted row is left out
  EXPECT_EQ(t->find("D1", true), "real");
  EXPECT_EQ(t->find("D1  ", true), "real");  // the key is trimmed
  EXPECT_EQ(t->find("[01]D1", true), "month");
  EXPECT_EQ(t->find("munkaltato_neve", false), "name");  // SOR and XMLKOD trimmed
  EXPECT_EQ(t->find(HU("korábbi"), false), "previous");
  EXPECT_EQ(t->find("korabbi", false), std::nullopt);
  EXPECT_EQ(t->find("A175", false), "A175text");
  EXPECT_EQ(t->find("A175", true), std::nullopt);  // a number's key ends its row
  EXPECT_EQ(t->find("B2", true), std::nullopt);
  // Open under SEGED, read only and shared, until the tables are closed.
  xbase::WorkArea* seged = s.areas.find("SEGED");
  ASSERT_NE(seged, nullptr);
  EXPECT_TRUE(seged->table()->read_only());
  EXPECT_FALSE(seged->table()->exclusive());
  // A second run takes the open area.
  EXPECT_TRUE(open_row_table(*s.ctx));
}

TEST(RowLookup, EveryKeyOfTheShippedRowsFindsItsOwnRow) {
  Station s;
  store::write_template_dir(s.file("xxx"));
  std::optional<RowTable> t = open_row_table(*s.ctx);
  ASSERT_TRUE(t);
  const std::vector<store::M30Row>& rows = store::m30_rows();
  ASSERT_EQ(t->rows().size(), rows.size());
  ASSERT_EQ(m30_fields().size(), rows.size());
  EXPECT_TRUE(key_faults(*t).empty());  // the check an import of the rows makes
  for (const XmlField& f : m30_fields()) {
    auto row = std::find_if(rows.begin(), rows.end(), [&](const store::M30Row& r) { return r.key == f.key; });
    ASSERT_NE(row, rows.end()) << xbase::cp852_to_utf8(f.key);
    // Identifiers are distinct, so the identifier names the row.
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [&](const store::M30Row& r) { return r.xmlkod == row->xmlkod; }), 1);
    EXPECT_EQ(t->find(f.key, f.type == ValueType::Number), xbase::cp852_to_cp1250(row->xmlkod))
        << xbase::cp852_to_utf8(f.key);
  }
}

TEST(RowLookup, AKeyWithoutARowOfItsOwnIsAFaultNamingTheRowThatTakesIt) {
  EXPECT_TRUE(is_row_of("1. sor D1", "D1", true));
  EXPECT_TRUE(is_row_of("D1", "D1", true));
  EXPECT_FALSE(is_row_of("IV. január [01]D1", "D1", true));
  EXPECT_TRUE(is_row_of(xbase::cp852_to_cp1250(cp("korábbi munkáltató")), cp("korábbi"), false));
  EXPECT_FALSE(is_row_of("korabbiak", "korabbi", false));
  EXPECT_FALSE(is_row_of("A175 szöveg", "A175", true));

  // The shipped rows: the main sheet's "D1" moved behind the month rows, "[01]B607" gone.
  std::vector<RowTable::Row> rows;
  RowTable::Row d1;
  for (const store::M30Row& r : store::m30_rows()) {
    RowTable::Row row{xbase::cp852_to_cp1250(r.sor), r.xmlkod};
    if (r.key == "D1") d1 = row;
    else if (r.key != "[01]B607") rows.push_back(row);
  }
  rows.push_back(d1);
  const RowTable table(rows);
  std::vector<KeyFault> faults = key_faults(table);
  ASSERT_EQ(faults.size(), 2u);
  EXPECT_EQ(faults[0].key, "D1");
  ASSERT_TRUE(faults[0].taken_by);
  EXPECT_EQ(table.rows()[*faults[0].taken_by].sor, xbase::cp852_to_cp1250(cp("IV. január: levont járulékok [01]D1")));
  EXPECT_EQ(faults[1].key, "[01]B607");
  EXPECT_FALSE(faults[1].taken_by);
}

TEST(RowData, LinesOfFourPartsWithTheirState) {
  EXPECT_THROW(store::parse_m30_rows("D1 | sor D1 | X1\n"), std::invalid_argument);
  EXPECT_THROW(store::parse_m30_rows("D1 | sor D1 | X1 | maybe\n"), std::invalid_argument);
  std::vector<store::M30Row> r =
      store::parse_m30_rows("# comment\n\nD1 | 1. sor D1 | X1 | confirmed\r\nB2|sor B2|X2|unconfirmed");
  ASSERT_EQ(r.size(), 2u);
  EXPECT_TRUE(r[0].confirmed);
  EXPECT_EQ(r[1].sor, "sor B2");
  EXPECT_FALSE(r[1].confirmed);
}

TEST(RowLookup, TablesThatCannotServeOpenNothing) {
  Station s;
  EXPECT_FALSE(open_row_table(*s.ctx));  // missing
  std::filesystem::create_directories(s.file("xxx"));
  {
    std::ofstream(s.file("xxx/seg23m30.dbf")) << "SOR;XMLKOD\nD1;X\n";
  }
  EXPECT_FALSE(open_row_table(*s.ctx));  // not a table
  auto t = xbase::DbfTable::create(s.file("xxx/seg23m30.dbf"), {{"SOR", 'C', 40, 0}, {"KOD", 'C', 10, 0}});
  t->close();
  EXPECT_FALSE(open_row_table(*s.ctx));  // no XMLKOD
  t = xbase::DbfTable::create(s.file("xxx/seg23m30.dbf"), {{"SOR", 'C', 40, 0}, {"XMLKOD", 'N', 10, 0}});
  t->close();
  EXPECT_FALSE(open_row_table(*s.ctx));  // XMLKOD not a text
  EXPECT_EQ(s.areas.find("SEGED"), nullptr);
  // Found ignoring case.
  std::filesystem::remove_all(s.file("xxx"));
  write_row_table(s.file("XXX/SEG23M30.DBF"), {{"sor D1", "X"}});
  EXPECT_TRUE(open_row_table(*s.ctx));
}

}  // namespace
}  // namespace efile
