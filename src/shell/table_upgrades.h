// The upgrade of the tables of an older installation: the fields this year's program
// added or widened, the mailing address filled from the seat, "HU" for Hungarian
// citizens, and the unclean-exit marker that has the indexes built anew.
#pragma once

#include "shell/context.h"

namespace shell {

// The table upgrade of the first workstation in (new fields, wider fields, the
// unclean-exit marker); also run after a restore, for an older backup's tables.
void upgrade_tables(Context& ctx);

}  // namespace shell
