// The tables made ready at start-up under the start-up guard: the first workstation
// in puts back what interrupted runs left, copies missing templates, upgrades the
// tables and builds the indexes; every workstation then opens the company table
// shared and makes the record buffer variables.
#pragma once

#include "shell/context.h"
#include "shell/services.h"

namespace shell {

// Template copy, upgrade and indexes (first workstation only), buffer variables.
// False when the program must end, with its exit code: 0 when the start-up guard's
// or the company table's wait was given up, 1 when a template file is missing while
// other workstations run (named in a question box; nothing is changed).
bool prepare_tables(Context& ctx, int& exit_code, const StartServices& services);

}  // namespace shell
