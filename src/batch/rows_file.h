// The M30 row table as a text file an office edits: UTF-8, the header line
// "sor;xmlkod", then one line per row in table order (the order decides the
// lookup: the first matching row wins), SOR and XMLKOD separated by ";".
//
// A SOR may hold ";" (the last ";" of a line separates); an XMLKOD never does.
// Reading takes CR LF or LF line ends, a UTF-8 byte-order mark, blank lines, and
// blanks around a field; it refuses everything else, line by line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "efile/row_table.h"
#include "store/template_dir.h"

namespace batch {

inline constexpr std::string_view kRowsHeader = "sor;xmlkod";

// The file's text (CR LF line ends) of the rows as the XML run reads them.
// `unwritable`: the rows whose XMLKOD holds ";" (0-based), which the text cannot
// carry; the text is good only when it is empty.
struct RowsText {
  std::string text;
  std::vector<size_t> unwritable;
};
RowsText rows_text(const efile::RowTable& rows);

// A fault of the file: its line (1-based) and what is wrong (UTF-8).
struct RowsFault {
  int line = 0;
  std::string text;
};

struct RowsFile {
  std::vector<store::M30RowText> rows;  // trimmed, Windows-1250
  std::vector<RowsFault> faults;        // in line order; the rows are good only without
};

// Reads the file's bytes. Every line is checked: it is UTF-8 (a Latin-2 or
// Windows-1250 file is not), its text has a Windows-1250 form, it has a ";", its SOR
// and XMLKOD are not empty and fit the table's widths. When every line is good,
// every key of the XML file must find a row of its own (efile::key_faults): a key
// taken by another key's row names that row's line; a key without a row names the
// line where its row stands in the export of the shipped table.
RowsFile parse_rows_file(std::string_view bytes);

}  // namespace batch
