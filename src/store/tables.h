// The tables the program owns: file names, aliases, fields with their widths, and
// the index files with their key expressions, all in one place. docs/tables.md
// explains the widths.
//
// Table names that carry the tax year are the fixed word followed by the two-digit
// year ("virda" + "23"); the functions take that year text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "xbase/dbf_format.h"

namespace store {

// The two-digit tax year of this program version.
inline constexpr std::string_view kTaxYear = "23";

struct IndexDef {
  std::string file;  // the index file's name without ".ntx"
  std::string key;   // the key expression stored in the file
};

struct TableDef {
  std::string file;   // the table's file name without ".dbf", lower case
  std::string alias;  // the alias the table opens under
  xbase::Structure fields;
  std::vector<IndexDef> indexes;  // the first one is the controlling order
};

// The five tables of an installation.
TableDef company_table();                        // "vallal"
TableDef year_table(std::string_view ev);        // "virda" + ev
TableDef dependants_table(std::string_view ev);  // "eltar" + ev
TableDef public_space_table();                   // "kozter"
TableDef settings_table();                       // "konstans"

// All of them, in the order above.
std::vector<TableDef> program_tables(std::string_view ev = kTaxYear);

// The M30 row table "seg" + ev + "m30" of the template directory (alias SEGED): one
// row of the M30 form per record, its designation `sor` (Windows-1250) and its XML
// field identifier `xmlkod`. Shipped with the installation and only read; neither
// in the working set nor in the index set (store/m30_rows.h holds its rows).
TableDef m30_row_table(std::string_view ev = kTaxYear);

// The index set of the program in the order it is built: (table file, index).
struct IndexedTable {
  std::string table;
  IndexDef index;
};
std::vector<IndexedTable> index_set(std::string_view ev = kTaxYear);

// The field of that name (case ignored), or nullptr.
const xbase::FieldDef* find_field(const TableDef& t, std::string_view name);

// The kinds of public space the "kozter" table of a new installation holds, in
// CP852, "postafiók" last.
const std::vector<std::string_view>& public_space_kinds();
// "postafiók": valid for a person's address, refused for a company's.
std::string_view post_box_kind();

// The titles allowed in front of a name (the name window offers only these).
const std::vector<std::string_view>& name_titles();

}  // namespace store
