// The batch mode: one of the program's tasks run from a script or cron without a
// terminal, never asking a question (docs/batch.md).
//
//   mvirda23 batch [--dir DIR] [--wait SEC] [--date YYYY.MM.DD] [--quiet] COMMAND [OPTIONS]
//
// The run starts and ends as the program does without its screen, answers the
// questions of the run it calls from the options, and returns an exit code taken
// from the run's outcome.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "shell/context.h"
#include "shell/program.h"

namespace batch {

struct BatchServices {
  // What the start-up and the restore use: the printer settings, the recoveries.
  shell::StartServices start;
};

// What every start of the program takes from the subsystems, for the menus and the
// batch mode alike: the printer settings, the recoveries of an interrupted backup or
// restore, and the restore.
shell::StartServices program_start_services();

// Runs "mvirda23 batch" with the arguments after "batch"; the exit code.
int run_batch(const std::vector<std::string>& args, const BatchServices& services,
              std::FILE* out = stdout, std::FILE* err = stderr);

// "mvirda23 2023.01" and the compiler line of the version box.
std::string version_text();

}  // namespace batch
