// Shared table access: opening a table or the working set of a menu item, and the
// record and file locks, with a visible wait while another workstation holds what is
// wanted and Esc as the way out.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/context.h"
#include "shell/startup_files.h"

namespace shell {

// NETUSE: opens `file` (".dbf" may be left off; a name without "/" is taken from the
// program directory) in the selected work area, exclusively or shared, under `alias`
// (the file's base name when empty). When the table is busy the window "Várakozás
// állományra..." is shown: without `wait` for one more try, with `wait` retrying
// about once a second until the table is free or Esc is pressed. True when open.
// `read_only` opens a table of another program that is never written.
bool NETUSE(Context& ctx, std::string_view file, bool exclusive, bool wait = false,
            std::string_view alias = "", bool read_only = false);

// SET INDEX TO path: attaches the existing index file `path` to `area`, its key
// evaluated from the key expression stored in the file. False when the file cannot
// be opened (the error handler has reported it).
bool attach_index(Context& ctx, xbase::WorkArea& area, const std::string& path);

// A small window at the place of the waits (rows 10-14, columns 25-55, single
// frame) with `text` centred on its first inner row (row 12), open while the
// object lives: "Várakozás állományra...", "Mentés folyamatban...".
class WaitWindow {
 public:
  WaitWindow(Context& ctx, std::string_view text);
  ~WaitWindow();
  WaitWindow(const WaitWindow&) = delete;
  WaitWindow& operator=(const WaitWindow&) = delete;

 private:
  Context& ctx_;
};

// The wait of NETUSE around any attempt: `attempt` is tried; while it fails the
// window "Várakozás állományra..." (rows 10-14, columns 25-55) is shown and, with
// `wait`, it is tried again about once a second until it succeeds or Esc is
// pressed; without `wait` it is tried once more. True when it succeeded. `what`
// names the file waited for, for a terminal that reports it.
bool wait_in_window(Context& ctx, const std::function<bool()>& attempt, bool wait,
                    std::string_view what = "");

// A lock file taken with that wait: tried, and while another process holds it tried
// again about once a second until it is free or Esc is pressed (then Busy).
support::platform::LockFile::Result wait_for_lock(Context& ctx, support::platform::LockFile& lock,
                                                  const std::string& path);

// The start-up guard of the program directory, taken with that wait: false when
// the user gave up with Esc.
bool acquire_startup_guard(Context& ctx, StartupGuard& guard);

// The two lines that name a file missing from the installation ("Hiányzó állomány: "
// + name + ".") and say that only a start of the program with every workstation
// out of it brings it back from the template directory.
std::vector<std::string> missing_file_message(std::string_view name);

// Before a table of the index set is opened with its indexes: builds its missing
// index files, at once when this workstation can have the table to itself, else
// waiting in the window "Várakozás állományra..." until it can, or until another
// workstation has built them. False when Esc gave up the wait or a build failed
// (the error handler has said why).
bool ensure_indexes(Context& ctx, std::string_view file);

// NYITOGAT: opens the working set of a main menu item in the given mode, each table
// in its own work area: "vallal" with its index, "eltar"+EV (ELTAR) with its index,
// "kozter" (KOZTER), "virda"+EV (VIRDA) with its two indexes; VIRDA is selected on
// return. A missing index file is built first (ensure_indexes). A table that cannot
// be opened (busy, missing, or its index not to be had) brings the question "Az
// állomány foglalt" with "Várakozás" (try again) and "Kilépés" (the program ends at
// once). The default open mode is exclusive again on return. False only when the
// program did not end on "Kilépés" (tests). A held start-up `guard` is given up
// while the question is shown and taken again before the next try.
bool NYITOGAT(Context& ctx, bool exclusive, StartupGuard* guard = nullptr);

// RECLOCK / FILELOCK: lock the current record / the whole current table. While it is
// held elsewhere a red window waits, retrying every half second, until the lock is
// granted (true) or Esc is pressed (false). The caller's last key, cursor and colour
// are the same after the call.
bool RECLOCK(Context& ctx);
bool FILELOCK(Context& ctx);

}  // namespace shell
