// The program: MAIN with its start-up, the main menu loop, the "Egyéb funkciók"
// submenu and the exit sequence, and the menu screen frame KEPFO.
//
// The subsystems a menu item calls, the printer settings and the update check come
// in through ShellServices, filled by the program's entry; an item whose subsystem
// is not there yet says so in a question box.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/context.h"
#include "shell/startup_files.h"
#include "ui/viewer.h"

namespace shell {

struct ShellServices {
  using Action = std::function<void(Context&)>;
  // Printer settings: KONS_INI (with "konstans" open and selected), KONSBE, BEALLIT.
  Action kons_ini, konsbe, beallit;
  // The update check WWWELLEN.
  Action wwwellen;
  // The F1 help HELP, bound to F1 for the whole run.
  Action help;
  // The hot keys Alt+S (the calculator) and Alt+V (the version box).
  Action calculator, version_box;
  // What an interrupted restore or backup left, put right at start-up under the
  // start-up guard before the template copy.
  Action recover;
  // The viewer's export and print keys for the change notes.
  ui::ViewerHooks viewer;
  // Menu items: the person browse (1), the M30 (2) and EKHO (3) certificates, the
  // company browse (5), the takeover (7) and the backup offer ADATMENTES.
  Action browse_persons, m30, ekho, browse_companies, takeover, backup;
  // The restore ADATTOLTES of the submenu. It takes the start-up guard into
  // `guard` before it replaces anything; the submenu holds it until the indexes
  // are built again. True when the tables were replaced.
  std::function<bool(Context&, StartupGuard& guard)> restore;
};

struct StartArgs {
  std::optional<std::string> honnanind;  // the first argument
  std::optional<std::string> valttxt;    // the second argument
};

// The message of a start without arguments (CP852).
std::string start_message(const std::string& ev);

// The text of a menu item whose subsystem is not yet part of the program.
std::string not_yet_available_text();

// MAIN: start-up, the main menu loop until the user leaves, the exit sequence.
// `ctx.program_dir` is the installation directory (the current directory).
// Returns the exit code.
int MAIN(Context& ctx, const StartArgs& args, const ShellServices& services);

// The pieces of MAIN, for tests and for the program's other menus.
// The global values, colours and masks of the program (no tables touched).
void set_globals(Context& ctx, const StartArgs& args);
// The start checks; false (after the message and the 5-second wait) when the
// program must end.
bool start_checks(Context& ctx, const StartArgs& args);
// Template copy, upgrade and indexes (first workstation only), buffer variables.
// False when the program must end, with its exit code: 0 when the start-up guard's
// or the company table's wait was given up, 1 when a template file is missing while
// other workstations run (named in a question box; nothing is changed).
bool prepare_tables(Context& ctx, int& exit_code, const ShellServices& services = {});
// The table upgrade of the first workstation in (new fields, wider fields, the
// unclean-exit marker); also run after a restore, for an older backup's tables.
void upgrade_tables(Context& ctx);
// The title screen with the processing date's field placed on row 24.
void title_screen(Context& ctx);
// The change notes shown at start-up, with the question and the renaming.
void show_change_notes(Context& ctx, const ShellServices& services);
// The main menu loop; returns when the user leaves (the exit sequence not run).
void main_menu_loop(Context& ctx, const ShellServices& services);
// The "Egyéb funkciók" submenu, entered with the working set open exclusively; it
// stays open until the submenu is left, so no other workstation gets in meanwhile.
void egyeb_funkciok(Context& ctx, const ShellServices& services);
// The list of change notes of the submenu.
void change_note_list(Context& ctx, const ShellServices& services);
// The entries of that list: unread notes, then read ones not also unread.
std::vector<std::string> change_note_entries(const std::string& program_dir);
// The exit sequence.
void exit_sequence(Context& ctx, const ShellServices& services);

// KEPFO: the frame of every menu screen.
void KEPFO(Context& ctx);

}  // namespace shell
