// Table upgrade: new fields (UJMEZOINSA) and wider fields (MEZOHMOD) for tables
// made by older program versions. The table is copied into "temp.dbf" with the new
// structure (records hidden as deleted are left out) and the copy takes the table's
// name.
//
// The swap never loses the table. Once "temp.dbf" holds every record and is on
// disk, the table's index files are deleted, the table is renamed to table +
// ".BAK", "temp.dbf" to the table's name, and the ".BAK" is deleted; then the
// index files are built again. Whenever the program stops in between, one complete
// copy is either under the table's name or under its ".BAK" name, and
// recover_restructure() (run at start-up before anything looks for the tables)
// renames a ".BAK" whose table is missing back into place. The index files are
// missing at every point where they might not match, so they are built again.
// A ".BAK" found beside its table that may hold records the table lacks is never
// deleted: a swap moves it aside to table + ".B01" (".B02" …).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/context.h"
#include "xbase/dbf_format.h"
#include "xbase/value.h"

namespace shell {

// A field a table should have, and what a newly added one holds in every record:
// blank (space, 0, empty date, false), `value`, or what `compute` gives for the
// record the area stands on.
struct NewField {
  xbase::FieldDef def;
  std::optional<xbase::Value> value = std::nullopt;
  std::function<xbase::Value(xbase::WorkArea&)> compute = nullptr;
};

// UJMEZOINSA: adds to `table` every field of `fields` it lacks (names compared
// exactly, case ignored), in their order, after the field whose name begins with
// `after` (after the last field when empty). An unknown `after` shows an alert box
// with that name and changes nothing. When every field exists no file is touched.
// Always true, as the callers expect; the table is closed on return.
bool UJMEZOINSA(Context& ctx, std::string_view table, const std::vector<NewField>& fields,
                std::string_view after = "");

// MEZOHMOD: gives the first field whose name begins with `field` the width `width`
// and `decimals` decimals; its type stays (`type` names it for the reader). Nothing
// happens when there is no such field or it has that size already. A narrower size
// that a value of the table would not fit (a longer text, a bigger number, lost
// decimals) is not made: the field stays as it is and row 24 says so. Always true.
bool MEZOHMOD(Context& ctx, std::string_view table, std::string_view field, char type, int width,
              int decimals);

// PACK through the same swap: the records not marked deleted are copied into
// "temp.dbf", which takes the table's name; the table's index files are built again.
// Nothing happens when the table has no deleted record. The table must be closed.
// True when it holds no deleted record afterwards.
bool pack_table(Context& ctx, std::string_view table);

// Puts back what an interrupted restructure left: every table + ".BAK" of the
// program directory whose table is missing is renamed to the table's name, its
// index files deleted (they are built again); a ".BAK" beside its table that holds
// nothing the table lacks (every field, no more records) is deleted, any other is
// left alone; a leftover "temp.dbf" is deleted. Returns the number of tables put
// back.
int recover_restructure(Context& ctx);

// For tests of the interrupted swap: called with the name of each step as it is
// reached ("temp-created", "temp-filled", "indexes-removed", "table-to-bak",
// "temp-to-table", "bak-removed", "index-written" for each index file before it
// takes its name, "indexes-built"; in the submenu's reindexing "indexes-let-go" once
// the open tables have let their index files go; in the start's template copy
// "template-copied", "template-synced", "template-renamed" for each file). An empty
// function turns it off.
void set_restructure_step_hook(std::function<void(std::string_view step)> hook);
// Reports a step to the hook.
void restructure_step(std::string_view step);

}  // namespace shell
