// The standard alert box ALERT(): message lines split at ";", the choices side by
// side under them, all centred on the screen.
#pragma once

#include <string_view>
#include <vector>

#include "console/console.h"

namespace console {

// The lines of an alert's message: the parts between its ";" separators.
std::vector<std::string_view> alert_lines(std::string_view message);

// Returns the chosen choice's number (from 1), or 0 for Esc. Left and Right (also
// Tab, Shift+Tab) move between the choices, Enter takes the highlighted one, a
// letter takes the first choice beginning with it. Without choices there is one,
// "Ok". Hot keys do not run here. The screen, colour, cursor and device are
// restored afterwards.
int alert(Console& con, std::string_view message, const std::vector<std::string_view>& choices = {},
          std::string_view colour = "w+/r,w+/b");

}  // namespace console
