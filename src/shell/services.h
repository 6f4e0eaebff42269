// What the shell takes from the subsystems above it: the printer settings, the
// recoveries, the restore, the hot keys, the viewer's keys and the entries of the
// menu items. The program's entry (src/app/main.cpp) fills them; every one must be
// given (support::Required), so one left out is a build error.
#pragma once

#include "shell/context.h"
#include "shell/startup_files.h"
#include "support/required.h"
#include "ui/viewer.h"

namespace shell {

using Action = support::Required<void(Context&)>;
// The restore ADATTOLTES of the submenu. It takes the start-up guard into `guard`
// before it replaces anything; the submenu holds it until the indexes are built
// again. True when the tables were replaced.
using RestoreAction = support::Required<bool(Context&, StartupGuard& guard)>;

// What every start of the program takes from the subsystems, at a workstation and
// in the batch mode alike.
struct StartServices {
  // Printer settings: KONS_INI (with "konstans" open and selected) and KONSBE.
  Action kons_ini, konsbe;
  // What an interrupted restore or backup left, put right at start-up under the
  // start-up guard before the template copy.
  Action recover;
  RestoreAction restore;
};

// What a workstation's menus take besides.
struct ShellServices {
  StartServices start;
  // The printer settings dialog BEALLIT, bound to F2.
  Action beallit;
  // The update check WWWELLEN.
  Action wwwellen;
  // The F1 help HELP, bound to F1 for the whole run.
  Action help;
  // The hot keys Alt+S (the calculator) and Alt+V (the version box).
  Action calculator, version_box;
  // The viewer's export and print keys for the change notes.
  ui::ViewerHooks viewer;
  // Menu items: the person browse (1), the M30 (2) and EKHO (3) certificates, the
  // company browse (5), the takeover (7) and the backup offer ADATMENTES.
  Action browse_persons, m30, ekho, browse_companies, takeover, backup;
};

}  // namespace shell
