// The frames of the program's screens: the title screen with the processing date,
// and KEPFO, the frame every menu is drawn in.
#pragma once

#include <string_view>

#include "shell/context.h"

namespace shell {

// The title screen with the processing date's field placed on row 24.
void title_screen(Context& ctx);
// KEPFO: the frame of every menu screen.
void KEPFO(Context& ctx);
// The menu screens' colour.
void menu_colour(Context& ctx);
// A text centred on row `row` of the 80 columns.
void say_centred(console::Console& con, int row, std::string_view text);

}  // namespace shell
