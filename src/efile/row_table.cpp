#include "efile/row_table.h"

#include "efile/m30_fields.h"
#include "print/text_convert.h"
#include "support/platform_paths.h"
#include "xbase/dbf_format.h"
#include "xbase/error.h"
#include "xbase/functions.h"
#include "xbase/workarea.h"

namespace efile {

std::optional<RowTable> RowTable::read(xbase::DbfTable& table) {
  const int sor = table.field_index("SOR");
  const int xmlkod = table.field_index("XMLKOD");
  if (sor < 0 || xmlkod < 0) return std::nullopt;
  const xbase::FieldDef& sor_def = table.fields()[static_cast<size_t>(sor)];
  const xbase::FieldDef& kod_def = table.fields()[static_cast<size_t>(xmlkod)];
  if (sor_def.type != 'C' || kod_def.type != 'C') return std::nullopt;

  std::vector<Row> rows;
  std::string rec(table.record_length(), ' ');
  const uint32_t count = table.refresh_count();
  for (uint32_t r = 1; r <= count; ++r) {
    if (!table.read_record(r, rec.data())) break;
    if (rec[0] == '*') continue;  // deleted
    rows.push_back({xbase::alltrim(rec.substr(table.field_offset(sor), sor_def.width)),
                    xbase::alltrim(rec.substr(table.field_offset(xmlkod), kod_def.width))});
  }
  return RowTable(std::move(rows));
}

std::optional<std::string> RowTable::find(std::string_view key_cp852, bool numeric) const {
  std::optional<size_t> row = find_row(key_cp852, numeric);
  if (!row) return std::nullopt;
  return rows_[*row].xmlkod;
}

std::optional<size_t> RowTable::find_row(std::string_view key_cp852, bool numeric) const {
  const std::string key = xbase::alltrim(print::k852win(key_cp852));
  for (size_t i = 0; i < rows_.size(); ++i) {
    const std::string_view sor = rows_[i].sor;
    if (numeric ? sor.ends_with(key) : sor.starts_with(key)) return i;
  }
  return std::nullopt;
}

bool is_row_of(std::string_view sor, std::string_view key_cp852, bool numeric) {
  const std::string key = xbase::alltrim(print::k852win(key_cp852));
  if (key.empty() || sor.size() < key.size()) return false;
  if (sor.size() == key.size()) return sor == key;
  return numeric ? sor.ends_with(key) && sor[sor.size() - key.size() - 1] == ' '
                 : sor.starts_with(key) && sor[key.size()] == ' ';
}

std::vector<KeyFault> key_faults(const RowTable& rows) {
  std::vector<KeyFault> faults;
  for (const XmlField& f : m30_fields()) {
    const bool numeric = f.type == ValueType::Number;
    std::optional<size_t> row = rows.find_row(f.key, numeric);
    if (!row || !is_row_of(rows.rows()[*row].sor, f.key, numeric)) faults.push_back({f.key, row});
  }
  return faults;
}

std::string row_table_name(std::string_view ev) {
  return "xxx/seg" + std::string(ev) + "m30.dbf";
}

std::optional<RowTable> open_row_table(shell::Context& ctx) {
  if (xbase::WorkArea* open = ctx.areas.find("SEGED"); open && open->table()) {
    try {
      return RowTable::read(*open->table());
    } catch (const xbase::ErrorException&) {
      return std::nullopt;
    }
  }
  const std::string path = support::platform::find_nocase(ctx.path(row_table_name(ctx.ev)));
  std::unique_ptr<xbase::DbfTable> table;
  std::optional<RowTable> rows;
  try {
    table = xbase::DbfTable::open(path, false, true);
    rows = RowTable::read(*table);
  } catch (const xbase::ErrorException&) {
    return std::nullopt;
  }
  if (!rows) return std::nullopt;
  // Kept open under its alias, as the other tables, until the main menu closes them.
  const int free_area = ctx.areas.next_free();
  if (free_area > 0) ctx.areas.area(free_area).attach(std::move(table), "SEGED");
  return rows;
}

}  // namespace efile
