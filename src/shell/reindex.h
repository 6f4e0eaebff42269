// Index files of the program's tables: building the missing ones (VANINDEX,
// INDEXELES) and removing and rebuilding those of one table after its structure
// changed. Index files are derived data: any of them may be deleted and is built
// again here.
//
// A file is built under a work name (table + ".ntmp") and renamed into place only
// when complete, so an interrupted build never leaves a half-written index under
// the name that the next start takes for sound.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/context.h"

namespace shell {

// One table of the program's index set with its one or two index keys: the index
// file is the table's name, the second one the table's name + "2".
struct TableIndexes {
  std::string table;  // lower case, without ".dbf"
  std::string key1;
  std::string key2;   // empty when the table has one index
};

// The index set in the order it is built: "vallal" on "vkod", "eltar"+EV on
// "vkod+szemszam", "virda"+EV on "vkod+HUNGORD(nev)" and "vkod+szemszam+nyilat".
std::vector<TableIndexes> program_index_set(std::string_view ev);

// VANINDEX: builds the index file `table` (.ntx) on `key1` when it is missing and,
// when `key2` is given, `table` + "2" on `key2` when that one is missing. The table
// is opened in the selected work area (in the default access mode) and left open
// there with the built files attached. True unless the table could not be opened
// or an index could not be built (the error handler has reported it).
bool VANINDEX(Context& ctx, std::string_view table, std::string_view key1,
              std::string_view key2 = "");

// INDEXELES: VANINDEX for the whole index set.
void INDEXELES(Context& ctx);

// The index files of `table` in the index set ("virda23.ntx", "virda232.ntx");
// none for a table outside it.
std::vector<std::string> index_files_of(const Context& ctx, std::string_view table);

// Deletes the index files of `table` (and leftover work files of a broken build).
// False when one of them could not be deleted.
bool remove_table_indexes(Context& ctx, std::string_view table);

// Builds the missing index files of `table` when it is in the index set; the table
// is closed afterwards. True when nothing was to be built or all were built.
bool rebuild_table_indexes(Context& ctx, std::string_view table);

// Building the missing index files of one table while other workstations may run:
// only with the table to itself (opened exclusively in a free area, closed again).
enum class AloneBuild { Built, Busy, Failed };
AloneBuild build_missing_indexes_alone(Context& ctx, std::string_view table);

// Reindexing from the maintenance menu while this workstation has the working set
// open exclusively: the index files of the open tables are let go, every "*.ntx"
// file of the directory is deleted and the index set is built again into the areas
// of its tables, which stay open (a table of the set that is not open is opened
// exclusively). Returns the names of the index files that could not be deleted or
// built ("virda23.ntx"); empty when every one was built anew.
std::vector<std::string> reindex_open_tables(Context& ctx);

}  // namespace shell
