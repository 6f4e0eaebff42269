// The table definitions: field widths shared between tables, composed texts wide
// enough for their parts, structures the engine accepts; and the template directory
// made from them.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "store/m30_rows.h"
#include "store/tables.h"
#include "store/template_dir.h"
#include "xbase/dbf_table.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace {

namespace fs = std::filesystem;
using store::TableDef;

int width(const TableDef& t, std::string_view name) {
  const xbase::FieldDef* f = store::find_field(t, name);
  EXPECT_NE(f, nullptr) << t.file << "." << name;
  return f ? f->width : 0;
}

TEST(TableDefs, SameNamedFieldsShareTypeAndWidth) {
  std::map<std::string, std::pair<const TableDef*, xbase::FieldDef>> seen;
  const auto tables = store::program_tables();
  for (const TableDef& t : tables) {
    EXPECT_EQ(xbase::check_structure(t.fields), "") << t.file;
    for (const xbase::FieldDef& f : t.fields) {
      auto [it, fresh] = seen.emplace(f.name, std::pair{&t, f});
      if (!fresh) {
        EXPECT_EQ(it->second.second, f) << f.name << " in " << t.file << " and "
                                        << it->second.first->file;
      }
    }
  }
  // The names the record buffer shares between the company, year and dependants tables.
  for (const char* n : {"VKOD", "SZEMSZAM", "NEV", "IRSZAM", "HELYSEG", "UTCA", "KOZTER"})
    EXPECT_TRUE(seen.count(n)) << n;
}

TEST(TableDefs, ComposedTextsHoldTheirParts) {
  const TableDef y = store::year_table("23");
  const TableDef d = store::dependants_table("23");
  const TableDef c = store::company_table();
  EXPECT_GE(width(y, "nev"), width(y, "grof") + width(y, "veznev") + width(y, "utonev") + 2);
  EXPECT_GE(width(y, "leanynev"), width(y, "lveznev") + width(y, "lutonev") + 1);
  EXPECT_GE(width(y, "anyja"), width(y, "aveznev") + width(y, "autonev") + 1);
  int street = 6;
  for (const char* p : {"koztnev", "kozter", "hazszam", "epulet", "lepcso", "emelet", "ajto"})
    street += width(y, p);
  EXPECT_GE(width(y, "utca"), street);
  EXPECT_GE(width(d, "nev"), width(d, "csnev") + width(d, "utonev1") + width(d, "utonev2") + 2);
  // Names and addresses take at least 30 characters.
  for (const char* n : {"nev", "leanynev", "anyja", "utca", "elsohnev"})
    EXPECT_GE(width(y, n), 30) << n;
  for (const char* n : {"vnev", "vkepv", "ugyint"}) EXPECT_GE(width(c, n), 30) << n;
  // The mailing address has the seat address's widths.
  for (const char* n :
       {"irszam", "helyseg", "utca", "kozter", "hazszam", "epulet", "lepcso", "emelet", "ajto"})
    EXPECT_EQ(width(c, n), width(c, std::string(n) + "2")) << n;
}

TEST(TableDefs, WidthsTheProgramFixes) {
  const TableDef y = store::year_table("23");
  const TableDef c = store::company_table();
  const TableDef d = store::dependants_table("23");
  EXPECT_EQ(width(c, "vkod"), 3);
  EXPECT_EQ(width(c, "irszam"), 4);
  EXPECT_EQ(width(c, "helyseg"), 25);
  EXPECT_GE(width(c, "adoszam"), 11);
  EXPECT_GE(width(c, "jogelasz"), 11);
  EXPECT_EQ(width(y, "szemszam"), 10);
  EXPECT_EQ(width(d, "taj2"), 9);
  EXPECT_EQ(width(y, "oszt16"), 10);
  EXPECT_EQ(width(y, "oszt16p"), 10);
  // Every amount the forms edit with eight or nine digits fits its field.
  for (const xbase::FieldDef& f : y.fields)
    if (f.type == 'N') {
      EXPECT_GE(f.width, 8) << f.name;
    }
  EXPECT_EQ(store::find_field(d, "szulido"), nullptr);  // a dependant's date is eszulido
}

TEST(TableDefs, KindsAndTitlesFitTheirFields) {
  const int kind = width(store::company_table(), "kozter");
  EXPECT_EQ(width(store::public_space_table(), "kozternev"), kind);
  for (std::string_view k : store::public_space_kinds())
    EXPECT_LE(static_cast<int>(k.size()), kind) << k;
  EXPECT_EQ(store::public_space_kinds().back(), HU("postafiók"));
  const int title = width(store::year_table("23"), "grof");
  for (std::string_view t : store::name_titles()) EXPECT_LE(static_cast<int>(t.size()), title);
}

TEST(TableDefs, IndexSetInBuildOrder) {
  const auto set = store::index_set("23");
  ASSERT_EQ(set.size(), 4u);
  EXPECT_EQ(set[0].table, "vallal");
  EXPECT_EQ(set[0].index.key, "vkod");
  EXPECT_EQ(set[1].table, "eltar23");
  EXPECT_EQ(set[1].index.key, "vkod+szemszam");
  EXPECT_EQ(set[2].index.file, "virda23");
  EXPECT_EQ(set[2].index.key, "vkod+HUNGORD(nev)");
  EXPECT_EQ(set[3].index.file, "virda232");
  EXPECT_EQ(set[3].index.key, "vkod+szemszam+nyilat");
}

class TemplateDir : public ::testing::Test {
 protected:
  fs::path dir = fs::temp_directory_path() /
                 ("h7_template_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                  "_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
  void TearDown() override { fs::remove_all(dir); }
};

TEST_F(TemplateDir, EmptyTablesKindsAndOneSettingsRecordNoIndexes) {
  store::write_template_dir(dir.string(), "23");
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir)) {
    ++files;
    EXPECT_EQ(e.path().extension(), ".dbf") << e.path();
  }
  EXPECT_EQ(files, 6);
  for (const TableDef& t : store::program_tables("23")) {
    auto table = xbase::DbfTable::open((dir / (t.file + ".dbf")).string(), false, true);
    EXPECT_EQ(table->fields(), t.fields) << t.file;
    uint32_t expected = 0;
    if (t.file == "kozter") expected = static_cast<uint32_t>(store::public_space_kinds().size());
    if (t.file == "konstans") expected = 1;
    EXPECT_EQ(table->record_count(), expected) << t.file;
  }
  auto kozter = xbase::DbfTable::open((dir / "kozter.dbf").string(), false, true);
  std::string rec(kozter->record_length(), ' ');
  ASSERT_TRUE(kozter->read_record(16, rec.data()));
  EXPECT_EQ(xbase::decode_field(kozter->fields()[0], rec.data() + kozter->field_offset(0)).as_str(),
            std::string(HU("lakótelep")) + " ");
  // The M30 row table with its shipped rows, its texts in Windows-1250.
  auto rows = xbase::DbfTable::open((dir / "seg23m30.dbf").string(), false, true);
  EXPECT_EQ(rows->fields(), store::m30_row_table("23").fields);
  ASSERT_EQ(rows->record_count(), store::m30_rows().size());
  rec.assign(rows->record_length(), ' ');
  ASSERT_TRUE(rows->read_record(16, rec.data()));
  EXPECT_EQ(xbase::alltrim(rec.substr(rows->field_offset(0), 80)).substr(0, 8), "kor\xE1" "bbi ");
  auto konstans = xbase::DbfTable::open((dir / "konstans.dbf").string(), false, true);
  rec.assign(konstans->record_length(), ' ');
  ASSERT_TRUE(konstans->read_record(1, rec.data()));
  for (int i = 0; i < static_cast<int>(konstans->fields().size()); ++i) {
    const double v =
        xbase::decode_field(konstans->fields()[static_cast<size_t>(i)], rec.data() + konstans->field_offset(i))
            .as_num();
    EXPECT_EQ(v, konstans->fields()[static_cast<size_t>(i)].name == "KWWWELLEN" ? 1 : 0);
  }
}

}  // namespace
