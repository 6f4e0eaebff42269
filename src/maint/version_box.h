// The version box of Alt+V: the program directory, the version, the date of the
// program file and the compiler that built it.
#pragma once

#include <string>

#include "shell/context.h"

namespace maint {

// "clang++ 14.0 (20240131)": the C++ compiler that built the program, its major
// and minor version, and the build date (SOURCE_DATE_EPOCH when the build was
// given one, else the day of compiling).
std::string compiler_text();

// A directory as the box shows it: up to 24 columns as it is, a longer one as
// "..." and its last 21 characters.
std::string shortened_dir(const std::string& cp852);

// VERZ_DRV: the box; a key closes it and the screen is as before.
void VERZ_DRV(shell::Context& ctx);

}  // namespace maint
