// The start before any table is touched: the arguments and the directory the
// program runs in, and the global values, colours and input masks every part of the
// program reads.
#pragma once

#include <optional>
#include <string>

#include "shell/context.h"

namespace shell {

struct StartArgs {
  std::optional<std::string> honnanind;  // the first argument
  std::optional<std::string> valttxt;    // the second argument
};

// The message of a start without arguments (CP852).
std::string start_message(const std::string& ev);
// The global values, colours and masks of the program (no tables touched).
void set_globals(Context& ctx, const StartArgs& args);
// The start checks; false (after the message and the 5-second wait) when the
// program must end.
bool start_checks(Context& ctx, const StartArgs& args);
// The line a refused start shows (CP852), or none when the program may start.
std::optional<std::string> start_check_failure(const Context& ctx, const StartArgs& args);

}  // namespace shell
