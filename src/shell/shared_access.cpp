#include "shell/shared_access.h"

#include <functional>
#include <string>

#include "console/frames.h"
#include "console/keys.h"
#include "shell/reindex.h"
#include "support/error_routines.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "ui/dialogs.h"
#include "xbase/fileio.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/ntx_order.h"

namespace shell {

namespace {

namespace key = console::key;
namespace pf = support::platform;

std::string table_path(Context& ctx, std::string_view file) {
  if (file.find('/') != std::string_view::npos) return std::string(file);
  return ctx.path(file);
}

// Writes `text` padded to the inner width of the newest window, `row` rows below
// its inner top.
void centred(Context& ctx, int row, std::string_view text) {
  int left = ctx.windows.offmax(2);
  int width = ctx.windows.offmax(4) - left + 1;
  ctx.con.say(ctx.windows.offmax(1) + row, left, xbase::padc(text, width));
}

// The red wait of RECLOCK and FILELOCK around `lock`.
bool wait_for_lock(Context& ctx, const std::function<bool()>& lock, std::string_view text) {
  console::Console& con = ctx.con;
  int last_key = con.last_key();
  int row = con.row(), col = con.col();
  if (lock()) return true;
  con.backend().waiting_for(ctx.areas.current().alias());

  std::string colour = con.set_colour("w+/r");
  ctx.windows.open(con, 16, 20, 22, 60, console::kSingleFrame);
  centred(ctx, 1, text);
  centred(ctx, 3, HU("ESC - kilépés"));
  bool granted = false;
  for (;;) {
    if (lock()) {
      granted = true;
      break;
    }
    // The key of this wait decides: an Esc pressed long before must not end it.
    if (con.inkey(0.5) == key::kEsc) break;
  }
  // The caller's next test of the last key sees what it saw before the wait.
  con.set_last_key(last_key);
  ctx.windows.close(con);
  con.set_pos(row, col);
  con.set_colour(colour);
  return granted;
}

// One table of the working set with its indexes, in the selected area; nothing is
// left open when a part of it fails.
bool open_with_indexes(Context& ctx, std::string_view file, bool exclusive, std::string_view alias,
                       const std::vector<std::string>& indexes) {
  if (!indexes.empty() && !ensure_indexes(ctx, file)) return false;
  if (!NETUSE(ctx, file, exclusive, false, alias)) return false;
  xbase::WorkArea& area = ctx.areas.current();
  area.clear_orders();
  for (const std::string& name : indexes) {
    if (!attach_index(ctx, area, ctx.path(name))) {
      area.close();
      return false;
    }
  }
  // USE … INDEX: the table stands on the first record of its order, so that a
  // browse or pick list opened on it starts there.
  if (!indexes.empty()) area.go_top();
  return true;
}

// Opens one table of the working set, asking while it is busy or missing. False when
// the user chose to leave and the program did not end (tests).
// A held start-up guard is given up while the question waits for an answer, so
// that a workstation starting meanwhile is not kept behind it.
bool open_or_ask(Context& ctx, std::string_view file, bool exclusive, std::string_view alias,
                 const std::vector<std::string>& indexes, StartupGuard* guard) {
  for (;;) {
    std::string dbf = xbase::with_default_extension(table_path(ctx, file), ".dbf");
    bool missing = !pf::exists(dbf);
    if (!missing && open_with_indexes(ctx, file, exclusive, alias, indexes)) return true;
    if (guard) guard->release();
    std::vector<std::string> text{std::string(HU("Az állomány foglalt"))};
    if (missing) text = missing_file_message(pf::file_name(dbf));
    int k = ui::kerdez(ctx.con, std::vector<std::string_view>(text.begin(), text.end()),
                       {HU("Várakozás"), HU("Kilépés")});
    if (k == 2) {
      ctx.end_program(0);
      return false;
    }
    if (guard) acquire_startup_guard(ctx, *guard);
  }
}

}  // namespace

bool attach_index(Context& ctx, xbase::WorkArea& area, const std::string& path) {
  return ctx.areas.guarded([&] {
    auto key = xbase::ntx_key_function(ctx.areas, xbase::NtxOrder::stored_key(path), &ctx.vars);
    area.add_order(xbase::NtxOrder::open(area, path, key));
  });
}

bool NETUSE(Context& ctx, std::string_view file, bool exclusive, bool wait,
            std::string_view alias, bool read_only) {
  support::Routine r(ctx.routines(), "NETUSE", __LINE__);
  std::string path = table_path(ctx, file);
  auto mode = exclusive ? xbase::OpenMode::Exclusive : xbase::OpenMode::Shared;
  return wait_in_window(ctx, [&] { return ctx.areas.use(path, alias, mode, read_only); }, wait,
                        pf::file_name(xbase::with_default_extension(path, ".dbf")));
}

WaitWindow::WaitWindow(Context& ctx, std::string_view text) : ctx_(ctx) {
  ctx.windows.open(ctx.con, 10, 25, 14, 55, console::kSingleFrame);
  centred(ctx, 1, text);
  ctx.con.refresh();  // shown also when nothing waits for a key under it
}

WaitWindow::~WaitWindow() { ctx_.windows.close(ctx_.con); }

bool wait_in_window(Context& ctx, const std::function<bool()>& attempt, bool wait,
                    std::string_view what) {
  if (attempt()) return true;
  if (!what.empty()) ctx.con.backend().waiting_for(what);
  WaitWindow window(ctx, HU("Várakozás állományra..."));
  for (;;) {
    if (attempt()) return true;
    if (!wait || ctx.con.inkey(1.0) == key::kEsc) return false;
  }
}

pf::LockFile::Result wait_for_lock(Context& ctx, pf::LockFile& lock, const std::string& path) {
  using Result = pf::LockFile::Result;
  Result r = lock.try_lock(path);
  if (r != Result::Busy) return r;
  wait_in_window(ctx, [&] { return (r = lock.try_lock(path)) != Result::Busy; }, true, pf::file_name(path));
  return r;
}

bool acquire_startup_guard(Context& ctx, StartupGuard& guard) {
  const std::string dir = ctx.dir();
  // A directory that cannot hold the lock file (read-only) has nothing to guard.
  return wait_for_lock(ctx, guard.lock_, StartupGuard::path(dir)) != pf::LockFile::Result::Busy;
}

std::vector<std::string> missing_file_message(std::string_view name) {
  return {std::string(HU("Hiányzó állomány: ")) + std::string(name) + ".",
          std::string(HU("Lépjen ki minden munkaállomás, majd indítsa újra a programot!"))};
}

bool ensure_indexes(Context& ctx, std::string_view file) {
  support::Routine r(ctx.routines(), "NETUSE", __LINE__);
  AloneBuild first = build_missing_indexes_alone(ctx, file);
  if (first != AloneBuild::Busy) return first == AloneBuild::Built;
  // Another workstation has the table open: wait until it lets it go, or has built
  // the files itself.
  bool failed = false;
  auto attempt = [&] {
    AloneBuild b = build_missing_indexes_alone(ctx, file);
    failed = b == AloneBuild::Failed;
    return b == AloneBuild::Built || failed;
  };
  return wait_in_window(ctx, attempt, true, file) && !failed;
}

bool NYITOGAT(Context& ctx, bool exclusive, StartupGuard* guard) {
  support::Routine r(ctx.routines(), "NYITOGAT", __LINE__);
  struct DefaultExclusive {
    xbase::WorkAreas& areas;
    ~DefaultExclusive() { areas.set_exclusive(true); }
  } restore{ctx.areas};
  ctx.areas.set_exclusive(exclusive);

  const std::string& ev = ctx.ev;
  if (!open_or_ask(ctx, "vallal", exclusive, "", {"vallal"}, guard)) return false;
  ctx.areas.select(0);
  if (!open_or_ask(ctx, "eltar" + ev, exclusive, "ELTAR", {"eltar" + ev}, guard)) return false;
  ctx.areas.select(0);
  if (!open_or_ask(ctx, "kozter", exclusive, "KOZTER", {}, guard)) return false;
  ctx.areas.select(0);
  if (!open_or_ask(ctx, "virda" + ev, exclusive, "VIRDA", {"virda" + ev, "virda" + ev + "2"},
                   guard))
    return false;
  ctx.areas.select("VIRDA");
  return true;
}

bool RECLOCK(Context& ctx) {
  support::Routine r(ctx.routines(), "RECLOCK", __LINE__);
  xbase::WorkArea& area = ctx.areas.current();
  return wait_for_lock(ctx, [&] { return area.rlock(); }, HU("Várakozás foglalt rekordra..."));
}

bool FILELOCK(Context& ctx) {
  support::Routine r(ctx.routines(), "FILELOCK", __LINE__);
  xbase::WorkArea& area = ctx.areas.current();
  return wait_for_lock(ctx, [&] { return area.flock(); }, HU("Várakozás foglalt állományra..."));
}

}  // namespace shell
