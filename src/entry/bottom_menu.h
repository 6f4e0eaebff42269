// The one-line menu of a form on the bottom row (ALSOMENU).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/context.h"

namespace entry {

// Shows `prefix` and a blank at row 24, column 0 (nothing without a prefix), then the
// items one after another, three blanks apart, and lets the user choose with the
// arrows and Enter or with an item's first letter. Returns the chosen item's first
// character, or 27 when the menu is left with Esc. Row 24 and the colour are put back.
int ALSOMENU(shell::Context& ctx, const std::vector<std::string>& items,
             std::string_view prefix = "");

}  // namespace entry
