// The template directory "xxx" of an installation: the program's tables, empty and
// without index files, except "kozter" (the kinds of public space) and "konstans"
// (its one settings record); and the M30 row table "seg23m30" with its rows.
// Start-up copies every file missing from the program directory out of it. It is
// made from the table definitions and the row data, never shipped as files.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/tables.h"

namespace store {

inline constexpr std::string_view kTemplateDirName = "xxx";

// Creates one table file `dir`/<file>.dbf with the definition's structure, filled as
// the template wants it. An existing file of that name is replaced.
void create_template_table(const std::string& dir, const TableDef& t);

// The M30 row table at `path` (created or replaced) with these rows, each (SOR,
// XMLKOD) in Windows-1250, written as the template directory's table is. Throws
// xbase::ErrorException when the file cannot be written, std::length_error for a
// text wider than its field.
using M30RowText = std::pair<std::string, std::string>;
void write_m30_row_table(const std::string& path, const std::vector<M30RowText>& rows);

// Creates `dir` when missing and writes every template table into it. Throws
// xbase::ErrorException when a file cannot be written.
void write_template_dir(const std::string& dir, std::string_view ev = kTaxYear);

}  // namespace store
