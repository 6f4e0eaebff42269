#include "store/template_dir.h"

#include <filesystem>

#include "store/m30_rows.h"
#include "store/record_writer.h"
#include "xbase/cp852.h"
#include "xbase/dbf_table.h"

namespace store {

void write_m30_row_table(const std::string& path, const std::vector<M30RowText>& rows) {
  auto table = xbase::DbfTable::create(path, m30_row_table().fields);
  RecordWriter w(*table);
  for (const auto& [sor, xmlkod] : rows) {
    w.set("sor", sor);
    w.set("xmlkod", xmlkod);
    w.append();
  }
  table->close();
}

void create_template_table(const std::string& dir, const TableDef& t) {
  const std::string path = (std::filesystem::path(dir) / (t.file + ".dbf")).string();
  if (t.alias == "SEGED") {
    // The row table's texts are kept in Windows-1250, as the XML files are written.
    std::vector<M30RowText> rows;
    for (const M30Row& row : m30_rows())
      rows.emplace_back(xbase::cp852_to_cp1250(row.sor), xbase::cp852_to_cp1250(row.xmlkod));
    write_m30_row_table(path, rows);
    return;
  }
  auto table = xbase::DbfTable::create(path, t.fields);
  RecordWriter w(*table);
  if (t.file == public_space_table().file) {
    for (std::string_view kind : public_space_kinds()) {
      w.set("kozternev", kind);
      w.append();
    }
  } else if (t.file == settings_table().file) {
    // Printer settings 0 (not set yet: the first start fills them); update check on.
    for (const auto& f : t.fields) w.set(f.name, 0.0);
    w.set("kwwwellen", 1.0);
    w.append();
  }
  table->close();
}

void write_template_dir(const std::string& dir, std::string_view ev) {
  std::filesystem::create_directories(dir);
  for (const TableDef& t : program_tables(ev)) create_template_table(dir, t);
  create_template_table(dir, m30_row_table(ev));
}

}  // namespace store
