#include "shell/startup_main.h"

#include <algorithm>
#include <cmath>

#include "console/achoice.h"
#include "console/frames.h"
#include "console/get_read.h"
#include "console/menu_prompt.h"
#include "shell/fminber.h"
#include "shell/record_buffer.h"
#include "shell/record_replace.h"
#include "shell/reindex.h"
#include "shell/shared_access.h"
#include "shell/startup_files.h"
#include "shell/upgrade.h"
#include "support/error_routines.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace shell {

namespace {

namespace pf = support::platform;
namespace key = console::key;
using xbase::Value;

constexpr std::string_view kEv4 = "2023";
constexpr std::string_view kVerz = "2023.01";
constexpr std::string_view kMenuColour = "g/n,g+/gr,n,n";
constexpr std::string_view kMenuMono = "w/n,i,n,n,w/n";

std::string var_text(Context& ctx, std::string_view name) {
  const Value* v = ctx.vars.find(name);
  return v && v->is_str() ? v->as_str() : std::string();
}

void set_var(Context& ctx, std::string_view name, Value v) {
  if (ctx.vars.exists(name))
    ctx.vars.assign(name, std::move(v));
  else
    ctx.vars.make_public(name, std::move(v));
}

std::string dir_of(const Context& ctx) { return ctx.program_dir.empty() ? "." : ctx.program_dir; }

void menu_colour(Context& ctx) {
  ctx.con.set_colour(ctx.con.is_colour() ? kMenuColour : kMenuMono);
}

void say_centred(console::Console& con, int row, std::string_view text) {
  con.say(row, 40 - static_cast<int>(text.size()) / 2, text);
}

// The end of a refused start: the line, up to 5 seconds for a key.
void refuse(Context& ctx, std::string_view line) {
  ctx.con.clear_screen();
  ctx.con.say(0, 0, line);
  ctx.con.inkey(5.0);
}

// PRGDIR: a backslash and the current directory below the drive root; a directory
// outside the drive root keeps its Linux path.
std::string prgdir() {
  std::string cur = pf::current_dir();
  std::string root = pf::drive_root();
  std::string under = pf::dir_under_drive();
  bool inside = root == "/" || cur == root || cur.rfind(root + "/", 0) == 0;
  if (!inside) return under;
  std::replace(under.begin(), under.end(), '/', '\\');
  return under;
}

void not_yet(Context& ctx) {
  ui::kerdez(ctx.con, not_yet_available_text(), {std::string(HU("Tovább"))});
}

void run_or_notice(Context& ctx, const ShellServices::Action& action) {
  if (action)
    action(ctx);
  else
    not_yet(ctx);
}

xbase::FieldDef fd(const char* name, char type, int width, int decimals = 0) {
  return xbase::FieldDef{name, type, width, decimals};
}

std::vector<NewField> new_fields(const std::vector<xbase::FieldDef>& defs) {
  std::vector<NewField> out;
  for (const auto& d : defs) out.push_back(NewField{d});
  return out;
}

// The seat or mailing address fields of the company table.
std::vector<xbase::FieldDef> address_fields(std::string_view suffix) {
  auto n = [&](const char* base) { return std::string(base) + std::string(suffix); };
  return {{n("irszam"), 'C', 4, 0}, {n("helyseg"), 'C', 25, 0}, {n("utca"), 'C', 25, 0},
          {n("kozter"), 'C', 8, 0}, {n("hazszam"), 'C', 5, 0},  {n("epulet"), 'C', 2, 0},
          {n("lepcso"), 'C', 2, 0}, {n("emelet"), 'C', 5, 0},   {n("ajto"), 'C', 2, 0}};
}

}  // namespace

void upgrade_tables(Context& ctx) {
  support::Routine r(ctx.routines(), "MAIN", __LINE__);
  const std::string ev = ctx.ev;
  const std::string dir = dir_of(ctx);
  if (pf::exists(pf::join(dir, "gond.baj"))) {
    DELCSILL2(dir, "*.ntx");
  } else {
    pf::File f;
    f.create(pf::join(dir, "gond.baj"));
  }
  UJMEZOINSA(ctx, "konstans", new_fields({fd("kwwwellen", 'N', 1)}));
  UJMEZOINSA(ctx, "vallal", new_fields(address_fields("")));
  UJMEZOINSA(ctx, "vallal", new_fields(address_fields("2")));

  // Companies without a mailing address get their seat address as one.
  if (NETUSE(ctx, "vallal", true)) {
    xbase::WorkArea& a = ctx.areas.current();
    auto seat = address_fields("");
    auto mail = address_fields("2");
    for (a.go_top(); !a.eof(); a.skip()) {
      std::string probe =
          a.get("irszam2").as_str() + a.get("helyseg2").as_str() + a.get("utca2").as_str();
      if (!xbase::alltrim(probe).empty()) continue;
      for (size_t i = 0; i < seat.size(); ++i) a.put(mail[i].name, a.get(seat[i].name));
    }
    ctx.areas.close_area();
  }

  std::string year = "virda" + ev;
  UJMEZOINSA(ctx, year,
             new_fields({fd("ekhohat", 'C', 1), fd("ekho1n", 'N', 9), fd("ekho2n", 'N', 9),
                         fd("ekho3n", 'N', 9), fd("ekho4n", 'N', 9)}));
  UJMEZOINSA(ctx, year,
             new_fields({fd("ekho1beg", 'N', 9), fd("ekho1_eg", 'N', 9), fd("ekho2beg", 'N', 9),
                         fd("ekho2_eg", 'N', 9), fd("ekho3beg", 'N', 9), fd("ekho3_eg", 'N', 9)}));
  std::string extra = pf::join(dir, "ujmezok.txt");
  if (pf::exists(extra)) {
    std::vector<xbase::FieldDef> defs = parse_extra_fields(pf::read_lines(extra, 70));
    for (int half = 1; half <= 2; ++half)
      for (int m = 1; m <= 12; ++m)
        defs.push_back(
            {"hazho" + std::to_string(half) + (m < 10 ? "0" : "") + std::to_string(m), 'C', 1, 0});
    UJMEZOINSA(ctx, year, new_fields(defs));
  }

  // Hungarian citizens without a country code get "HU".
  if (NETUSE(ctx, year, true, false, "VIRDA")) {
    xbase::WorkArea& a = ctx.areas.current();
    if (a.field_pos("allampolg") >= 0 && a.field_pos("allamkod") >= 0) {
      for (a.go_top(); !a.eof(); a.skip()) {
        if (xbase::upper(a.get("allampolg").as_str()).rfind("MAGYAR", 0) != 0) continue;
        if (!xbase::alltrim(a.get("allamkod").as_str()).empty()) continue;
        a.put("allamkod", Value::str("HU"));
      }
    }
    ctx.areas.close_area();
  }

  std::vector<xbase::FieldDef> dep = {fd("taj2", 'C', 9), fd("jogcim30", 'C', 1),
                                      fd("eorszag", 'C', 2), fd("kedvtipus", 'C', 1),
                                      fd("eltjogc", 'C', 1)};
  for (int m = 1; m <= 12; ++m)
    dep.push_back({std::string("eltkod") + (m < 10 ? "0" : "") + std::to_string(m), 'C', 1, 0});
  UJMEZOINSA(ctx, "eltar" + ev, new_fields(dep));
  MEZOHMOD(ctx, year, "oszt16", 'N', 10, 0);
  MEZOHMOD(ctx, year, "oszt16p", 'N', 10, 0);
  ctx.areas.close_area();
}

namespace {

std::string lower_name(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

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

// The election of the first workstation in: it can have the company table to itself,
// or that table is missing and no table of the installation is open anywhere.
bool first_workstation_in(Context& ctx) {
  const std::string dir = dir_of(ctx);
  if (pf::exists(pf::join(dir, "vallal.dbf"))) {
    if (!NETUSE(ctx, "vallal", true)) return false;
    ctx.areas.close_area();
    return true;
  }
  for (const pf::DirEntry& e : pf::list(pf::join(dir, "*.dbf")))
    if (held_open(pf::join(dir, e.name))) return false;
  return true;
}

void view_note(Context& ctx, const ShellServices& services, const std::string& path) {
  ui::readme_bg(ctx.reads, ctx.windows, &ctx.vars, path, 80, "ny", services.viewer);
}

}  // namespace

std::string start_message(const std::string& ev) {
  return std::string(HU("A program indítása: VIRDA")) + ev +
         std::string(HU(".BAT-tal, ne az EXE-t indítsa !"));
}

std::string not_yet_available_text() { return std::string(HU("Ez a funkció még nem érhető el.")); }

void set_globals(Context& ctx, const StartArgs& args) {
  const std::string ev4(kEv4);
  const std::string ev = ev4.substr(2);
  ctx.ev = ev;
  set_var(ctx, "HONNANIND", args.honnanind ? Value::str(*args.honnanind) : Value());
  set_var(ctx, "VALTTXT", args.valttxt ? Value::str(*args.valttxt) : Value());
  set_var(ctx, "EV4", Value::str(ev4));
  set_var(ctx, "EV", Value::str(ev));
  set_var(ctx, "VERZ", Value::str(std::string(kVerz)));
  set_var(ctx, "PRGDIR", Value::str(prgdir()));
  set_var(ctx, "NL", Value::str("\r\n"));
  set_var(ctx, "KNYILATOK", Value::str("MKE"));
  set_var(ctx, "KFOGYATEK", Value::num(kfogyatek(ev4)));
  set_var(ctx, "KELSOHAZ", Value::num(33335));
  set_var(ctx, "SZ_UTBJ", Value::num(0.185, -1, 3));
  set_var(ctx, "PAPIRMERET", Value::num(0));
  set_var(ctx, "LKAR852", Value::logical(false));
  bool colour = ctx.con.is_colour();
  set_var(ctx, "GETSZIN", Value::str(colour ? "gr/n,w+/g,n,n,gr+/n" : "w/n,i,n,n,w+/n"));
  const std::pair<const char*, const char*> masks[] = {
      {"PSZ", "@KR XXXXXXXXXX"},
      {"PADO", "@R 99999999-9-99"},
      {"PTAJ", "@R 999 999 999"},
      {"PBANKSZ95", "@R 99999999-99999999-99999999"},
      {"PCSGAZD", "@R 99/99999-9"},
      {"P2", "99"},
      {"PZ2", "@Z 99"},
      {"P3", "999"},
      {"PZ3", "@Z 999"},
      {"PZ4", "@Z 9999"},
      {"PZ5", "@Z 99999"},
      {"P7", "9999999"},
      {"PZ7", "@Z 9999999"},
      {"P8", "99999999"},
      {"PZ8", "@Z 99999999"},
      {"P9", "999999999"},
      {"PZ9", "@Z 999999999"},
      {"PZ10", "@Z 9999999999"},
      {"PV8", "@EZ 99,999,999"},
      {"PV8_0", "@E 99,999,999"},
      {"PV9", "@EZ 999,999,999"},
      {"PV9_0", "@E 999,999,999"},
  };
  for (const auto& [name, mask] : masks) set_var(ctx, name, Value::str(mask));
  // Created empty; other parts of the program fill them.
  for (const char* name : {"MENU0", "MENU2", "SCRNNUM", "MAXSCRN", "LAP", "KVKOD1", "KVKOD2",
                           "KMINVKOD", "KMAXVKOD", "CONDI", "KEZDOLD", "KNYOMTIP", "A_", "NPAGE",
                           "EPRPORT", "KPRPORT", "KHPAUTO", "KWWWELLEN"})
    if (!ctx.vars.exists(name)) ctx.vars.make_public(name, Value());
  set_var(ctx, "MAINAP", Value::date(xbase::today()));
  set_var(ctx, "CEGNEV", Value::str(read_cegnev(dir_of(ctx))));
}

std::optional<std::string> start_check_failure(const Context& ctx, const StartArgs& args) {
  const std::string ev = ctx.ev;
  if (!args.honnanind) return start_message(ev);
  std::string here = xbase::upper(pf::dir_under_drive());
  std::string want = "/VIRDA" + ev;
  bool bg = args.honnanind->rfind("bg", 0) == 0;
  if (here.compare(0, want.size(), want) != 0 && !bg)
    return std::string(HU("A program nem a ")) +
           pf::shown_path(pf::join(pf::drive_root(), "VIRDA" + ev)) +
           std::string(HU(" könyvtárban van, nem indítható !"));
  return std::nullopt;
}

bool start_checks(Context& ctx, const StartArgs& args) {
  std::optional<std::string> refused = start_check_failure(ctx, args);
  if (refused) refuse(ctx, *refused);
  return !refused;
}

bool prepare_tables(Context& ctx, int& exit_code, const ShellServices& services) {
  support::Routine r(ctx.routines(), "MAIN", __LINE__);
  const std::string dir = dir_of(ctx);
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
    if (services.recover) services.recover(ctx);  // an interrupted restore or backup
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

void title_screen(Context& ctx) {
  console::Console& con = ctx.con;
  const std::string ev = ctx.ev;
  con.set_colour("bg/n");
  for (int row = 7; row <= 17; ++row) con.say(row, 19, xbase::replicate(std::string(HU("▒")), 47));
  con.set_colour("gr+/b");
  con.clear_rect(6, 17, 16, 63);
  con.box(6, 17, 16, 63, console::kDoubleFrame);
  con.say(8, 36, "VIRDA" + ev);
  say_centred(con, 11, std::string(HU("SZJA ADATSZOLGÁLTATÁS ")) + std::string(kEv4) + ".");
  say_centred(con, 14, std::string(HU("Verzió: ")) + std::string(kVerz) + " (32 bites)");
  menu_colour(ctx);
  con.clear_rect(24, 0, 24, 79);
  std::string label = std::string(HU("A feldolgozás dátuma: "));
  con.say(24, 0, label);
  ctx.reads.getlist().add(con, ctx.vars, 24, static_cast<int>(label.size()) + 1, "MAINAP");
  std::string f2 = std::string(HU("Nyomtató és egyéb beállítás: "));
  con.say(24, 46, f2);
  console::Attr blink = con.attr();
  console::parse_slot("w+*/n", blink);
  con.say(24, 46 + static_cast<int>(f2.size()), "F2", blink);
}

void show_change_notes(Context& ctx, const ShellServices& services) {
  const std::string dir = dir_of(ctx);
  std::vector<pf::DirEntry> notes = pf::list(pf::join(dir, "valt????.txt"));
  if (notes.empty()) return;
  for (const pf::DirEntry& e : notes) {
    view_note(ctx, services, pf::join(dir, e.name));
    ctx.con.keyboard(" ");
    ctx.con.inkey();
  }
  int answer =
      ui::kerdez(ctx.con, std::string(HU("A következő indításkor is láthatók legyenek a fájlok?")),
                 {std::string(HU("Igen")), std::string(HU("Nem"))});
  if (answer != 2) return;
  for (const pf::DirEntry& e : notes) {
    // One step that replaces an older read note of that number; a note another
    // workstation has renamed meanwhile is gone and skipped. Nothing is deleted.
    std::string read_name(1, e.name[0] == 'V' ? 'P' : 'p');
    read_name.append(e.name, 1);
    pf::rename_replacing(pf::join(dir, e.name), pf::find_nocase(pf::join(dir, read_name)));
  }
  ui::kerdez(ctx.con, std::string(HU("A fájlokat az egyéb funkciók menüben lehet elolvasni")),
             {"Ok"});
}

void KEPFO(Context& ctx) {
  console::Console& con = ctx.con;
  ctx.reads.getlist().clear();
  menu_colour(ctx);
  con.clear_screen();
  std::string cegnev = var_text(ctx, "CEGNEV");
  con.say(0, (80 - static_cast<int>(cegnev.size())) / 2, cegnev);
  con.box(1, 0, 23, 79, console::kDoubleFrame);
  con.say(4, 0,
          std::string(HU("╠")) + xbase::replicate(std::string(HU("═")), 78) + std::string(HU("╣")));
  con.say(2, 68, xbase::dtoc(xbase::today()));
}

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
        run_or_notice(ctx, services.browse_persons);
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
        run_or_notice(ctx, choice == 2 ? services.m30 : services.ekho);
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
        run_or_notice(ctx, services.browse_companies);
        break;
      }
      case 7:
        run_or_notice(ctx, services.takeover);
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
      case 1: {
        auto restore = services.restore;
        if (!restore) restore = [](Context& c, StartupGuard&) {
          not_yet(c);
          return false;
        };
        report_unbuilt_indexes(ctx, restore_then_reindex(ctx, services, restore));
        break;
      }
      case 2:
        if (!report_unbuilt_indexes(ctx, reindex_open_tables(ctx)))
          ui::kerdez(con, std::string(HU("Indexelés kész")), {std::string(HU("Tovább"))});
        break;
      case 3:
        change_note_list(ctx, services);
        break;
      default:
        return;
    }
  }
}

std::vector<std::string> restore_then_reindex(
    Context& ctx, const ShellServices& services,
    const std::function<bool(Context&, StartupGuard&)>& restore) {
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
    if (services.konsbe) services.konsbe(ctx);
    ctx.areas.close_all();
  }
  return reindex_open_tables(ctx);
}

std::vector<std::string> change_note_entries(const std::string& program_dir) {
  std::vector<pf::DirEntry> unread = pf::list(pf::join(program_dir, "valt????.txt"));
  std::vector<pf::DirEntry> read = pf::list(pf::join(program_dir, "palt????.txt"));
  std::vector<std::string> out;
  for (const auto& e : unread) out.push_back(e.name + "     olvasatlan");
  for (const auto& e : read) {
    std::string number = lower_name(xbase::substr(e.name, 5, 4));
    bool also_unread = std::any_of(unread.begin(), unread.end(), [&](const pf::DirEntry& u) {
      return lower_name(xbase::substr(u.name, 5, 4)) == number;
    });
    if (also_unread) continue;
    std::string entry = "V";
    entry.append(xbase::substr(e.name, 2, 11)).append("     olvasott  ");
    out.push_back(entry);
  }
  return out;
}

void change_note_list(Context& ctx, const ShellServices& services) {
  console::Console& con = ctx.con;
  const std::string dir = dir_of(ctx);
  for (;;) {
    std::vector<std::string> entries = change_note_entries(dir);
    int n = static_cast<int>(entries.size());
    int r = std::max(2, static_cast<int>(std::lround((25.0 - n) / 2)));
    console::Screen::Saved saved = con.screen().save_all();
    std::string colour = con.set_colour(con.is_colour() ? ui::kKerdezColour : ui::kKerdezMono);
    ui::doboz(con, r - 1, 25, r == 2 ? 23 : r + n, 55);
    int choice = console::achoice(con, r, 27, r == 2 ? 22 : r - 1 + n, 53, entries);
    if (choice == 0) {
      con.screen().restore(saved);
      con.set_colour(colour);
      return;
    }
    const std::string& entry = entries[static_cast<size_t>(choice - 1)];
    bool unread = !entry.empty() && xbase::rtrim(entry).back() == 'n';
    std::string rest = xbase::rtrim(xbase::substr(entry, 2, 11));  // "valt.txt" has blanks after it
    std::string path = pf::find_nocase(pf::join(dir, (unread ? "V" : "P") + rest));
    // Another workstation may have turned the unread note into a read one since the
    // list was made: it is shown under its new name.
    if (unread && !pf::exists(path)) path = pf::find_nocase(pf::join(dir, "P" + rest));
    view_note(ctx, services, path);
    con.screen().restore(saved);
    con.set_colour(colour);
  }
}

void exit_sequence(Context& ctx, const ShellServices& services) {
  ctx.areas.close_all();
  ctx.areas.select(1);
  if (services.backup) services.backup(ctx);
  ctx.areas.close_all();
  ctx.areas.select(1);
  if (NETUSE(ctx, "vallal", true)) pf::delete_file(pf::join(dir_of(ctx), "gond.baj"));
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
  if (services.help)
    con.set_key(key::kF1, [&ctx, &services](console::Console&) { services.help(ctx); });
  ctx.reads.escape = true;
  if (services.calculator)
    con.set_key(key::kAltS, [&ctx, &services](console::Console&) { services.calculator(ctx); });
  if (services.version_box)
    con.set_key(key::kAltV, [&ctx, &services](console::Console&) { services.version_box(ctx); });
  con.set_title(std::string(HU("Szja adatszolgáltatás ")) + std::string(kEv4) +
                std::string(HU("  (32 bites változat)")));

  int end_code = 0;
  if (!prepare_tables(ctx, end_code, services)) return end_code;

  con.set_colour("n/bg,n/bg,bg,bg");
  con.clear_screen();
  std::string first = pf::join(dir_of(ctx), "elsoind.jel");
  if (!pf::exists(first)) {
    ui::kerdez(con, std::string(HU("A indítás után F2-vel lehet a nyomtatót beállítani.")),
               {std::string(HU("Tovább"))});
    pf::File f;
    if (f.create(first)) f.write(std::string(HU("Első indítás jelző fájl")));
  }
  title_screen(ctx);

  ctx.areas.select(0);
  if (NETUSE(ctx, "konstans", true, true)) {
    if (services.kons_ini) services.kons_ini(ctx);
    ctx.areas.close_area();
  }
  if (services.beallit)
    con.set_key(key::kF2, [&ctx, &services](console::Console&) { services.beallit(ctx); });
  console::read_pending(ctx.reads);

  set_var(ctx, "LKAR852", Value::logical(false));
  if (services.konsbe) services.konsbe(ctx);
  if (services.wwwellen) services.wwwellen(ctx);
  if (!args.valttxt) show_change_notes(ctx, services);

  con.clear_keyboard();
  set_var(ctx, "MENU0", Value::num(1));
  main_menu_loop(ctx, services);
  exit_sequence(ctx, services);
  return 0;
}

}  // namespace shell
