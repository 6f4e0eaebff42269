#include "shell/menus.h"

#include "console/menu_prompt.h"
#include "shell/change_notes.h"
#include "shell/menu_screens.h"
#include "shell/program_year.h"
#include "shell/reindex.h"
#include "shell/shared_access.h"
#include "shell/table_upgrades.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace shell {

namespace {

using xbase::Value;

// Names the index files a reindexing could not delete or build, one a line; false
// when there are none.
bool report_unbuilt_indexes(Context& ctx, const std::vector<std::string>& files) {
  if (files.empty()) return false;
  std::vector<std::string> lines;
  for (const std::string& f : files)
    lines.push_back(std::string(HU("Az index nem építhető újra: ")) + f);
  ui::kerdez(ctx.con, std::vector<std::string_view>(lines.begin(), lines.end()),
             {std::string(HU("Tovább"))});
  return true;
}

}  // namespace

void main_menu_loop(Context& ctx, const ShellServices& services) {
  console::Console& con = ctx.con;
  const std::string ev = ctx.ev;
  for (;;) {
    ctx.areas.close_all();
    ctx.areas.select(1);
    NETUSE(ctx, "vallal", false);
    set_var(ctx, "CONDI", Value::str(".T."));
    KEPFO(ctx);
    con.say(3, 1, xbase::padc(std::string(HU("SZJA ADATSZOLGÁLTATÁS v")) + std::string(kVerz), 78));

    console::MenuPrompts menu;
    menu.add(con, 8, 24, std::string(HU(" 1  Adatbevitel, módosítás      ")),
             std::string(HU("Magánszemélynek kifizetett összegek módosítása")));
    menu.add(con, 9, 24, " 2  " + ev + std::string(HU("M30 jövedelemigazolás     ")),
             std::string(HU("M30 nyomtatása")));
    menu.add(con, 10, 24, std::string(HU(" 3  Ekho igazolás               ")));
    menu.add(con, 11, 24, std::string(HU(" 4  K71, K91 nyomtatványok      ")));
    menu.add(con, 12, 24, std::string(HU(" 5  Vállalkozások törzsadatai   ")));
    menu.add(con, 13, 24, std::string(HU(" 6  ÁNYK import fájlok készítése")),
             "K71, K91, " + ev + "SZJA, BEVTERVK");
    menu.add(con, 14, 24, std::string(HU(" 7  Adatátvétel a bérprogramból ")));
    menu.add(con, 15, 24, std::string(HU(" 8  Egyéb funkciók              ")));
    menu.add(con, 16, 24, std::string(HU(" 0  Kilépés a programból        ")));
    con.say(22, 3, std::string(HU("F1 - segítség")));
    con.say(22, 60, std::string(HU("F2 - beállítások")));
    const Value* m0 = ctx.vars.find("MENU0");
    int initial = m0 && m0->is_num() ? static_cast<int>(m0->as_num()) : 1;
    int choice = console::menu_to(con, menu, initial);
    set_var(ctx, "MENU0", Value::num(choice));

    con.clear_keyboard();
    set_var(ctx, "MENU2", Value::num(1));
    ctx.areas.close_all();
    ctx.areas.select(1);
    if (choice == 0 || choice == 9) return;
    // The takeover keeps starting workstations waiting at the start-up guard from
    // here until its tables are indexed again: it closes and reopens them on the way.
    StartupGuard guard;
    if (choice == 7 && !acquire_startup_guard(ctx, guard)) continue;
    if (!NYITOGAT(ctx, choice >= 6, choice == 7 ? &guard : nullptr)) return;

    switch (choice) {
      case 1: {
        set_var(ctx, "SCRNNUM", Value::num(1));
        con.clear_keyboard();
        xbase::WorkArea& a = ctx.areas.current();
        if (a.order_count() > 0) a.set_order(1);
        a.go_top();
        services.browse_persons(ctx);
        break;
      }
      case 2:
      case 3: {
        std::string title = choice == 2 ? std::string(HU("M30 jövedelemigazolás"))
                                        : std::string(HU("Ekho igazolás"));
        int k = ui::kerdez(con, title,
                           {std::string(HU("Munkáltatói igazolás")),
                            std::string(HU("Kifizetői igazolás")), std::string(HU("Mindkettő"))});
        if (k == 0) break;
        const char* cond[] = {".T..AND.nyilat='M'", ".T..AND.nyilat$'K'", ".T..AND.nyilat$'MK'"};
        set_var(ctx, "CONDI", Value::str(cond[k - 1]));
        if (choice == 2) set_var(ctx, "KEZDOLD", Value::num(1));
        (choice == 2 ? services.m30 : services.ekho)(ctx);
        break;
      }
      case 4:
      case 6:
        ui::kerdez(con, std::string(HU("Még nem jelentek meg a nyomtatványok!")), {"OK"});
        break;
      case 5: {
        if (ctx.areas.select(std::string_view("vallal"))) {
          xbase::WorkArea& a = ctx.areas.current();
          if (a.order_count() > 0) a.set_order(1);
          a.go_top();
        }
        services.browse_companies(ctx);
        break;
      }
      case 7:
        services.takeover(ctx);
        break;
      case 8:
        egyeb_funkciok(ctx, services);
        break;
    }
  }
}

void egyeb_funkciok(Context& ctx, const ShellServices& services) {
  console::Console& con = ctx.con;
  con.clear_keyboard();
  for (;;) {
    KEPFO(ctx);
    con.say(3, 33, std::string(HU("Egyéb funkciók")));
    console::MenuPrompts menu;
    menu.add(con, 9, 28, std::string(HU(" 1  Mentés visszatöltése ")));
    menu.add(con, 11, 28, std::string(HU(" 2  Újraindexelés        ")));
    menu.add(con, 13, 28, std::string(HU(" 3  Változás fájlok      ")));
    menu.add(con, 15, 28, std::string(HU(" 0  Előző menü           ")));
    const Value* m2 = ctx.vars.find("MENU2");
    int initial = m2 && m2->is_num() ? static_cast<int>(m2->as_num()) : 1;
    int choice = console::menu_to(con, menu, initial);
    set_var(ctx, "MENU2", Value::num(choice));
    switch (choice) {
      case 1:
        report_unbuilt_indexes(ctx, restore_then_reindex(ctx, services.start, services.start.restore));
        break;
      case 2:
        if (!report_unbuilt_indexes(ctx, reindex_open_tables(ctx)))
          ui::kerdez(con, std::string(HU("Indexelés kész")), {std::string(HU("Tovább"))});
        break;
      case 3:
        change_note_list(ctx, services.viewer);
        break;
      default:
        return;
    }
  }
}

std::vector<std::string> restore_then_reindex(Context& ctx, const StartServices& services,
                                              const RestoreAction& restore) {
  // A restore holds the start-up guard until its tables are indexed again.
  // The indexes are rebuilt also when the restore did not run; the working set
  // stays open (and ours) until the submenu is left.
  StartupGuard guard;
  if (restore(ctx, guard)) {
    // An older backup's tables get the new fields; "konstans" came back too.
    ctx.areas.close_all();
    ctx.areas.select(1);
    upgrade_tables(ctx);
    ctx.areas.close_all();
    services.konsbe(ctx);
    ctx.areas.close_all();
  }
  return reindex_open_tables(ctx);
}

}  // namespace shell
