// The backup of the program directory into one zip archive per tax year,
// "virda" + EV + "#.zip" in the target directory, made by 7-Zip (archiver.h).
//
// Under the start-up guard (no upgrade renames a table meanwhile) every table is
// held (table_locks.h) and copied with its memo file into the work directory
// "mentes.<pid>.tmp" of the program directory; then the locks and the guard go and
// the other "*.db?" and "*.pdf" files are linked in beside them. The archiver adds
// those names (and no others: no index files) to a copy of the existing archive,
// "virda23#.zip.<pid>.tmp" in the target, which takes the archive's name only when
// the archiver succeeded; so the archive accumulates, and a failed or killed backup
// leaves the previous one as it was. The work directory always goes; a killed
// backup's is removed at the next start.
#pragma once

#include <string>
#include <vector>

#include "maint/outcome.h"
#include "shell/context.h"

namespace maint {

// "virda23#.zip" for EV "23".
std::string archive_name(const std::string& ev);

// Backs the program directory (ctx.program_dir) up into the directory
// `target_dir` (a Linux path). While the archiver runs the window "Mentés
// folyamatban..." is shown.
Result backup(shell::Context& ctx, const std::string& target_dir);

// Whether a file name is one the backup takes: "*.db?" or "*.pdf", case ignored.
bool is_backup_name(const std::string& name);

// The work directories "mentes.*.tmp" of the program directory that no running
// backup holds: what a killed backup left.
std::vector<std::string> stale_backup_dirs(const std::string& program_dir);

// Removes the work directories "mentes.*.tmp" of the program directory that no
// running backup holds. The number removed.
int remove_stale_backup_dirs(const std::string& program_dir);

}  // namespace maint
