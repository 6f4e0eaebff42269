// The dialogs of the backup and the restore: the backup offered when the program
// ends (ADATMENTES), the restore of the "Egyéb funkciók" submenu (ADATTOLTES) and
// the target directory they share (MELYFLOPPY), remembered in "masdrv.txt".
#pragma once

#include <optional>
#include <string>

#include "maint/outcome.h"
#include "shell/context.h"
#include "shell/startup_files.h"

namespace maint {

// MELYFLOPPY: asks for the directory of the archive in the window "Mentés helye";
// for a backup a missing directory may be created, for a restore it is refused.
// The path as typed (CP852, trimmed; written into "masdrv.txt"), or none when the
// user pressed Esc.
std::optional<std::string> MELYFLOPPY(shell::Context& ctx, bool backup);

// The path remembered in "masdrv.txt" of the program directory ("" when none).
std::string remembered_target(const std::string& program_dir);

// The backup of the exit sequence below its questions, with our tables closed: the
// unclean-exit marker "gond.baj" deleted when no other workstation runs, then the
// backup into `target_dir` (a Linux path).
Result backup_at_exit(shell::Context& ctx, const std::string& target_dir);

// ADATMENTES: "Adatállomány mentése?", the target, the backup and its box.
void ADATMENTES(shell::Context& ctx);

// ADATTOLTES: "Adatállomány visszatöltése?", the source, the restore and its box.
// The start-up guard is taken into `guard` (see restore.h). True when the tables
// were replaced.
bool ADATTOLTES(shell::Context& ctx, shell::StartupGuard& guard);

// The box that tells a backup's or a restore's outcome (nothing for Cancelled).
void show_outcome(shell::Context& ctx, const Result& result, bool backup);

}  // namespace maint
