// The error handler over the console: its alerts in the console's alert box, the
// printer head reset after a given-up print, the terminal given back before the
// program ends.
#pragma once

#include "console/console.h"
#include "support/error_handler.h"

namespace shell {

support::ErrorHooks console_error_hooks(console::Console& con);

}  // namespace shell
