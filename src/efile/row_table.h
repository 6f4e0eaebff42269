// The M30 row table "xxx/seg" + EV + "m30.dbf" as a run of XML files uses it: opened
// once, shared and only read, under the alias SEGED (it stays open until the main
// menu closes the tables); its rows read once into memory, in physical order,
// deleted rows left out. Each key is then looked up from the top, the first match
// winning.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/context.h"
#include "xbase/dbf_table.h"

namespace efile {

class RowTable {
 public:
  struct Row {
    std::string sor;     // trimmed, Windows-1250
    std::string xmlkod;  // trimmed, Windows-1250
  };

  RowTable() = default;
  explicit RowTable(std::vector<Row> rows) : rows_(std::move(rows)) {}

  // The rows of an open table, deleted rows left out. Throws xbase::ErrorException
  // for a table that cannot be read; nullopt when it has no text fields SOR and
  // XMLKOD.
  static std::optional<RowTable> read(xbase::DbfTable& table);

  // The identifier of the first row whose SOR ends with the key (a numeric field)
  // or begins with it (a text or date field), compared exactly, in Windows-1250:
  // the key is converted with K852WIN and trimmed. nullopt when no row matches.
  std::optional<std::string> find(std::string_view key_cp852, bool numeric) const;
  // The same lookup: the index of the row it finds.
  std::optional<size_t> find_row(std::string_view key_cp852, bool numeric) const;

  const std::vector<Row>& rows() const { return rows_; }

 private:
  std::vector<Row> rows_;
};

// Whether `sor` (trimmed, Windows-1250) is the row of the key: it begins (a text or
// date field) or ends (a numeric field) with the key as a word of its own, set off
// by a blank. "IV. január: levont járulékok [01]D1" is the row of "[01]D1", not of
// "D1", though the lookup of "D1" matches it.
bool is_row_of(std::string_view sor, std::string_view key_cp852, bool numeric);

// A key of the XML file whose lookup finds no row of its own.
struct KeyFault {
  std::string key;                // CP852
  std::optional<size_t> taken_by;  // the row that matches first; none: no row matches
};

// Every key of the XML file (m30_fields()) looked up as the XML run looks it up; the
// keys that find a row of another key, or nothing. Empty when every key finds its
// own row.
std::vector<KeyFault> key_faults(const RowTable& rows);

// "xxx/seg" + ev + "m30.dbf", as the alert names it.
std::string row_table_name(std::string_view ev);

// Opens the row table of the program directory under SEGED (or takes the area that
// has it open already) and reads its rows. nullopt when it is missing, cannot be
// read, is not a table or lacks SOR or XMLKOD; nothing is shown and no area is
// left open then. The selected area does not change.
std::optional<RowTable> open_row_table(shell::Context& ctx);

}  // namespace efile
