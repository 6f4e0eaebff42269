// The exit codes of the commands that run without the screen ("mvirda23 init" and
// the batch commands beside it), so that a script or cron can act on the outcome.
#pragma once

#include "console/unattended.h"

namespace shell::exit_code {

inline constexpr int kDone = 0;
inline constexpr int kFatal = 1;       // a run-time error ended the program
inline constexpr int kUsage = 2;       // the command line is wrong; nothing done
inline constexpr int kFindings = 3;    // done, with faults found or warnings given
inline constexpr int kInput = 4;       // input missing or unusable; nothing changed
inline constexpr int kBusy = console::kExitBusy;  // another workstation held what was needed
inline constexpr int kUnanswered = console::kExitUnanswered;  // a question nothing answered
inline constexpr int kNotWritten = 7;  // the output could not be written

}  // namespace shell::exit_code
