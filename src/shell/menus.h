// The main menu loop and its "Egyéb funkciók" submenu: before every item the
// working set is opened afresh (shared for items 1 to 5, exclusively for 6 to 8),
// then the item's subsystem runs and the menu is shown again.
#pragma once

#include <string>
#include <vector>

#include "shell/context.h"
#include "shell/services.h"

namespace shell {

// The main menu loop; returns when the user leaves (the exit sequence not run).
void main_menu_loop(Context& ctx, const ShellServices& services);
// The "Egyéb funkciók" submenu, entered with the working set open exclusively; it
// stays open until the submenu is left, so no other workstation gets in meanwhile.
void egyeb_funkciok(Context& ctx, const ShellServices& services);
// Submenu item 1 below its questions, with the working set open exclusively:
// `restore` (the restore proper; it takes the start-up guard into the guard it is
// given, true when the tables were replaced), then for replaced tables the upgrade
// and the printer settings, and in every case the index files built anew. Returns
// the index files that could not be built.
std::vector<std::string> restore_then_reindex(Context& ctx, const StartServices& services,
                                              const RestoreAction& restore);

}  // namespace shell
