// A push button among the fields of a form (NYOMOGOMB): the person form's
// "Eltartottak adatai" on page 4.
#pragma once

#include <functional>

#include "console/get_read.h"
#include "shell/context.h"

namespace entry {

// NYOMOGOMB: the reader of a button field. Shows the button in "N/GR" with " Enter"
// after it, waits for one key and shows the button again in "GR/N" without the hint.
// Enter runs `action` and moves on; Up goes back; any other key moves on. Esc, PgDn,
// PgUp and Ctrl+W act as in the rest of the read (the exit question, the run through
// the fields).
void NYOMOGOMB(shell::Context& ctx, console::ReadSession& session, console::GetField& field,
               const std::function<void()>& action);

}  // namespace entry
