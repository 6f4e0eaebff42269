// The rows the M30 row table ships with: the text file store/data/seg23m30.txt,
// compiled in. One line per row in table order, "key | SOR | XMLKOD | state"; lines
// beginning with "#" and empty lines are comments. The file is UTF-8; the rows here
// are CP852, as every text inside the program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace store {

struct M30Row {
  std::string key;      // what the XML writer looks up in `sor`
  std::string sor;      // the row's designation
  std::string xmlkod;   // the form field's identifier
  bool confirmed = false;  // false: `xmlkod` is a placeholder still to be replaced
};

// The shipped rows, in table order.
const std::vector<M30Row>& m30_rows();

// Reads rows from the text of such a file. Throws std::invalid_argument naming the
// line for a line without its four parts or with a state other than "confirmed"
// or "unconfirmed".
std::vector<M30Row> parse_m30_rows(std::string_view utf8);

// The text of store/data/seg23m30.txt (generated from the file at build time).
std::string_view m30_rows_text();

}  // namespace store
