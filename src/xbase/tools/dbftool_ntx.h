// dbftool's index commands:
//   dbftool index T.dbf "KEY EXPRESSION" I.ntx   builds the index (INDEX ON … TO …)
//   dbftool check-index T.dbf I.ntx              exit 0 when sound, 1 with the faults
//   dbftool seek T.dbf I.ntx TEXT                prints the record number or "not found"
#pragma once

namespace xbase::tools {

// Runs an index command; -1 when argv names none of them (or has the wrong count).
int run_index_command(int argc, char** argv);

}  // namespace xbase::tools
