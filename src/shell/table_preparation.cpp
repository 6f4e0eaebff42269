#include "shell/table_preparation.h"

#include "shell/record_buffer.h"
#include "shell/record_replace.h"
#include "shell/reindex.h"
#include "shell/shared_access.h"
#include "shell/startup_files.h"
#include "shell/table_upgrades.h"
#include "shell/upgrade.h"
#include "support/error_routines.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "ui/dialogs.h"

namespace shell {

namespace {

namespace pf = support::platform;
using xbase::Value;

// The election of the first workstation in: it can have the company table to itself,
// or that table is missing and no table of the installation is open anywhere.
bool first_workstation_in(Context& ctx) {
  const std::string dir = ctx.dir();
  if (pf::exists(pf::join(dir, "vallal.dbf"))) {
    if (!NETUSE(ctx, "vallal", true)) return false;
    ctx.areas.close_area();
    return true;
  }
  for (const pf::DirEntry& e : pf::list(pf::join(dir, "*.dbf")))
    if (held_open(pf::join(dir, e.name))) return false;
  return true;
}

}  // namespace

bool prepare_tables(Context& ctx, int& exit_code, const StartServices& services) {
  support::Routine r(ctx.routines(), "MAIN", __LINE__);
  const std::string dir = ctx.dir();
  StartupGuard guard;
  if (!acquire_startup_guard(ctx, guard)) {
    exit_code = 0;
    ctx.end_program(exit_code);
    return false;
  }

  ctx.areas.select(1);
  if (first_workstation_in(ctx)) {
    // Only here may files be put back, copied or index files deleted: nobody else
    // has a table open, and the guard keeps starting workstations out while the
    // upgrade closes and reopens the tables.
    recover_restructure(ctx);
    recover_record_replacement(ctx);  // an interrupted takeover
    services.recover(ctx);  // an interrupted restore or backup
    copy_missing_templates(dir);
    upgrade_tables(ctx);
    ctx.areas.close_all();
    ctx.areas.select(1);
    INDEXELES(ctx);
    ctx.areas.close_all();
  } else {
    // The others run without this file: it cannot be copied beside them.
    std::vector<std::string> missing = missing_templates(dir);
    if (!missing.empty()) {
      std::vector<std::string> text = missing_file_message(missing.front());
      ui::kerdez(ctx.con, std::vector<std::string_view>(text.begin(), text.end()), {"OK"});
      exit_code = 1;
      ctx.end_program(exit_code);
      return false;
    }
  }

  ctx.areas.select(1);
  if (!ensure_indexes(ctx, "vallal") || !NETUSE(ctx, "vallal", false, true)) {
    exit_code = 0;
    ctx.end_program(exit_code);
    return false;
  }
  guard.release();
  xbase::WorkArea& a = ctx.areas.current();
  attach_index(ctx, a, ctx.path("vallal"));
  PUBI(ctx);
  a.go_bottom();
  set_var(ctx, "KMAXVKOD", a.eof() ? Value::str("   ") : a.get("vkod"));
  a.go_top();
  set_var(ctx, "KMINVKOD", a.eof() ? Value::str("   ") : a.get("vkod"));
  if (NETUSE(ctx, "eltar" + ctx.ev, false, true, "ELTAR")) PUBI(ctx);
  if (NETUSE(ctx, "virda" + ctx.ev, false, true, "VIRDA")) PUBI(ctx);
  ctx.areas.close_area();
  return true;
}

}  // namespace shell
