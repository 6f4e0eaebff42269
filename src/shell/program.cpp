#include "shell/program.h"

#include "console/keys.h"
#include "shell/change_notes.h"
#include "shell/menu_screens.h"
#include "shell/menus.h"
#include "shell/program_year.h"
#include "shell/shared_access.h"
#include "shell/table_preparation.h"
#include "support/error_routines.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "ui/dialogs.h"
#include "xbase/hutext.h"

namespace shell {

namespace {

namespace pf = support::platform;
namespace key = console::key;
using xbase::Value;

}  // namespace

void exit_sequence(Context& ctx, const ShellServices& services) {
  ctx.areas.close_all();
  ctx.areas.select(1);
  services.backup(ctx);
  leave_program(ctx);
}

void leave_program(Context& ctx) {
  ctx.areas.close_all();
  ctx.areas.select(1);
  if (NETUSE(ctx, "vallal", true)) pf::delete_file(pf::join(ctx.dir(), "gond.baj"));
  ctx.areas.close_all();
}

int MAIN(Context& ctx, const StartArgs& args, const ShellServices& services) {
  support::Routine r(ctx.routines(), "MAIN", __LINE__);
  console::Console& con = ctx.con;
  con.set_key_filter(console::clipboard_filter(
      [&ctx](std::string& value) { return ctx.reads.active_text(value); }));
  con.clear_screen();
  set_globals(ctx, args);
  if (!start_checks(ctx, args)) return 0;

  ctx.areas.set_deleted(true);
  ctx.areas.set_exact(false);
  con.set_message_row(24, true);
  con.set_key(key::kF1, [&ctx, &services](console::Console&) { services.help(ctx); });
  ctx.reads.escape = true;
  con.set_key(key::kAltS, [&ctx, &services](console::Console&) { services.calculator(ctx); });
  con.set_key(key::kAltV, [&ctx, &services](console::Console&) { services.version_box(ctx); });
  con.set_title(std::string(HU("Szja adatszolgáltatás ")) + std::string(kEv4) +
                std::string(HU("  (32 bites változat)")));

  int end_code = 0;
  if (!prepare_tables(ctx, end_code, services.start)) return end_code;

  con.set_colour("n/bg,n/bg,bg,bg");
  con.clear_screen();
  std::string first = pf::join(ctx.dir(), "elsoind.jel");
  if (!pf::exists(first)) {
    ui::kerdez(con, std::string(HU("A indítás után F2-vel lehet a nyomtatót beállítani.")),
               {std::string(HU("Tovább"))});
    pf::File f;
    if (f.create(first)) f.write(std::string(HU("Első indítás jelző fájl")));
  }
  title_screen(ctx);

  ctx.areas.select(0);
  if (NETUSE(ctx, "konstans", true, true)) {
    services.start.kons_ini(ctx);
    ctx.areas.close_area();
  }
  con.set_key(key::kF2, [&ctx, &services](console::Console&) { services.beallit(ctx); });
  console::read_pending(ctx.reads);

  set_var(ctx, "LKAR852", Value::logical(false));
  services.start.konsbe(ctx);
  services.wwwellen(ctx);
  if (!args.valttxt) show_change_notes(ctx, services.viewer);

  con.clear_keyboard();
  set_var(ctx, "MENU0", Value::num(1));
  main_menu_loop(ctx, services);
  exit_sequence(ctx, services);
  return 0;
}

}  // namespace shell
