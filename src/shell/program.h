// The program: MAIN with its start-up, the main menu until the user leaves, and the
// exit sequence. The pieces it runs in order are in start_checks.h,
// table_preparation.h, menu_screens.h, change_notes.h and menus.h.
#pragma once

#include "shell/context.h"
#include "shell/services.h"
#include "shell/start_checks.h"

namespace shell {

// MAIN: start-up, the main menu loop until the user leaves, the exit sequence.
// `ctx.program_dir` is the installation directory (the current directory).
// Returns the exit code.
int MAIN(Context& ctx, const StartArgs& args, const ShellServices& services);
// The exit sequence of a workstation: the backup offer, then leave_program.
void exit_sequence(Context& ctx, const ShellServices& services);
// The end of every run: the tables closed, "gond.baj" removed when this is the last
// workstation.
void leave_program(Context& ctx);

}  // namespace shell
