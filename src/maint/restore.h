// The restore of a backup archive into the program directory, all or nothing.
//
// Our tables are closed, the start-up guard is taken (a workstation starting now
// waits) and every table of the program directory must open exclusively: another
// workstation still in the program stops the restore before anything changes. The
// archive's entries are listed first; only regular files without a directory named
// "*.db?" or "*.pdf" are taken (no links, index files or programs), and an archive
// whose names would meet once extracted is refused. The archive is extracted into
// "visszatoltes.tmp", every table must pass the table check, and only then the
// unclean-exit marker "GOND.BAJ" is written and the swap of restore_swap.h runs.
#pragma once

#include <string>
#include <vector>

#include "maint/archiver.h"
#include "maint/outcome.h"
#include "shell/context.h"
#include "shell/startup_files.h"

namespace maint {

// Restores the archive of `source_dir` (a Linux path) into ctx.program_dir. The
// guard is taken into `guard` and left held: the caller rebuilds the indexes
// before it lets another workstation start. While the archiver runs the window
// "Visszatöltés folyamatban..." is shown.
Result restore(shell::Context& ctx, const std::string& source_dir, shell::StartupGuard& guard);

// What an interrupted restore or backup left in the program directory, put right
// at start-up under the start-up guard: the restore's swap finished or undone
// (restore_swap.h), a killed backup's work directory removed.
void recover_leftovers(shell::Context& ctx);

// The entries of a listing that a restore takes, by name as stored; false (with
// the two entries' names in `clash`, "a, b") when two entries would land on one name.
bool restorable_entries(const std::vector<ArchiveEntry>& entries, std::vector<std::string>& taken,
                        std::string& clash);

}  // namespace maint
