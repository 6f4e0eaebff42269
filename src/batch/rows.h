// The M30 row table "xxx/seg23m30.dbf" written to and loaded from the text file an
// office edits (batch/rows_file.h): how the form's real field identifiers get into
// an installation without a new program.
#pragma once

#include "batch/commands.h"

namespace batch {

// "rows --export FILE" or "rows --import FILE"; the exit code of its outcome.
//
// The export reads the table as an XML run reads it (shared, deleted rows left out)
// and writes the file in one step. The import checks the whole file first (any
// fault: each named with its line, exit 4, nothing written); then, under the
// start-up guard and with the table held exclusively (waiting for a workstation
// that has it open from an XML run), the new table is written under a work name
// beside it, synced and renamed into place. A file that brings the table's own
// rows leaves the table as it is.
int batch_rows(BatchRun& run);

// For the check: one result line when the row table still holds identifiers the
// program shipped as placeholders, and how to load the real ones.
void report_placeholder_rows(BatchRun& run);

}  // namespace batch
