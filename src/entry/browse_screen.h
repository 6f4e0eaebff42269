// The browse screen of the three editable tables (DBEDFELV): the records of the
// selected table with a title and the key help, and from it adding (F), modifying (M,
// Enter), searching by form (K), the quick search (G) and deleting (T).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "entry/form.h"

namespace entry {

// The columns of one browse: expression, picture and heading of up to 20 columns,
// numbered from 1 without gaps, and the two title lines.
struct BrowseDefinition {
  std::array<std::string, 20> f1, f2, f3;
  std::string title1, title2;
};

// TABLA: stores column i (from 1) of `def`. Returns true.
bool TABLA(BrowseDefinition& def, int i, std::string_view expression, std::string_view picture,
           std::string_view heading);

// The browse of a table: companies, persons, or the dependants of the person named
// `holder` ("Eltartó: " and the name on the second title line).
BrowseDefinition browse_definition(TableKind kind, std::string_view holder = "");

// DBEDFELV: browses the selected table, which the caller has positioned, until the
// user leaves with Esc. Screen, colour and cursor are put back. Returns true when the
// last key was Esc.
bool DBEDFELV(shell::Context& ctx, std::string_view holder = "");

// The search filter of the search by form: ".T." and, for every field of the current
// table whose buffer variable is not empty, a case-insensitive prefix test for text
// fields and an equality for numbers and dates.
std::string search_filter(shell::Context& ctx);

// The question before a record is deleted (CP852).
std::string delete_question(shell::Context& ctx, TableKind kind);

}  // namespace entry
