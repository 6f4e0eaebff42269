// ATVESZ, main menu item 7 " 7  Adatátvétel a bérprogramból ": the payroll
// directory asked on the "Adatátvétel" screen and remembered in "kvaddir.txt", the
// takeover run with its company pick list, overwrite questions and progress lines,
// the report of what could not be placed, and the closing message.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "shell/context.h"
#include "takeover/takeover_run.h"
#include "ui/viewer.h"

namespace takeover {

// The remembered payroll directory's file in the program directory.
inline constexpr const char* kPayrollDirFile = "kvaddir.txt";
// The longest payroll directory kept (the field scrolls within its 30 columns).
inline constexpr int kPayrollDirWidth = 254;

// The payroll directory offered at the start: the remembered one (CP852, the bare
// text of "kvaddir.txt"), else the Linux path of "\KVAD" under the drive root.
std::string remembered_payroll_dir(const shell::Context& ctx);

// The question before a company's records are replaced: "Már vannak a NNN. cégnek
// adatai", true for "Felülírhatók".
std::function<bool(const std::string& vkod)> overwrite_question(shell::Context& ctx);
// The item's screen during the run: the progress lines, a number too large on row 24,
// a company that keeps its records told in a box.
Hooks screen_hooks(shell::Context& ctx);
// The lines of that box (CP852).
std::vector<std::string> kept_lines(const std::string& vkod, const std::string& missing);

// The menu item. The working set is open exclusively (the main menu opened it).
// `viewer`: the export and print keys of the report's viewer.
void ATVESZ(shell::Context& ctx, const ui::ViewerHooks& viewer);

}  // namespace takeover
