#include "entry/help.h"

#include <cctype>

#include "console/browse_dbedit.h"
#include "console/colour.h"
#include "console/frames.h"
#include "console/get_read.h"
#include "console/keys.h"
#include "entry/form.h"
#include "support/error_routines.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace entry {
namespace {

namespace key = console::key;

// The field of the company record that the company pick list types into the field.
constexpr std::string_view kKeyMezo = "vkod";

void company_pick_list(shell::Context& ctx, xbase::WorkArea& companies) {
  KeptPlace kept(ctx.areas, companies);
  ctx.areas.select(companies.number());
  if (companies.eof()) companies.go_top();
  std::vector<std::string> heads = {std::string(HU("Kód")), std::string(HU("Név")), "Cim"};
  auto cols = console::browse_columns(ctx.areas, {"vkod", "vnev", "helyseg"}, {"", "", ""}, &heads,
                                      &ctx.vars);
  ui::doboz(ctx.con, 2, 1, 22, 77);
  console::BrowseOptions opt;
  opt.heading_sep = std::string(HU("─"));
  opt.user = [&ctx](int mode, int) { return HDBFUNC(ctx, mode); };
  console::dbedit(ctx.con, companies, 3, 2, 21, 76, std::move(cols), opt);
}

}  // namespace

std::string help_subject(std::string_view variable) {
  std::string s = xbase::upper(xbase::alltrim(variable));
  if (s.empty() || (s[0] != 'X' && s[0] != 'K')) return s;
  s.erase(0, 1);
  for (int i = 0; i < 2 && !s.empty() && std::isdigit(static_cast<unsigned char>(s.back())); ++i)
    s.pop_back();
  return s;
}

void key_help(shell::Context& ctx) {
  console::Console& con = ctx.con;
  const std::string up_line = "        \x18" + std::string(12, ' ') +
                              std::string(HU("A kurzor az előző mezőre áll"));
  const std::string down_line = "        \x19" + std::string(12, ' ') +
                                std::string(HU("A kurzor a következő mezőre áll"));
  const std::string_view lines[] = {
      "",
      HU("             Adatfelvitelnél és kereséskor használható billentyűk"),
      "",
      "",
      HU("        Home         A kurzor a mező elejére áll"),
      HU("        End          A kurzor a mező végére áll"),
      "",
      up_line,
      down_line,
      "",
      HU("        PgDn         Az adatbeviteli képernyőn végigmegy, helyettesíti"),
      HU("                     az ENTER billentyű ismételt megnyomását"),
      "",
      HU("        Ctrl U       Visszaadja a mező eredeti tartalmát"),
      "",
      HU("        Ctrl Y       Törlés a kurzortól a mező végéig"),
      "",
      HU("        Ins          Beszúrás mód be. Ismételt megnyomása felülirás mód"),
      "",
      HU("        Esc          Kilépés eltárolás nélkül"),
      "",
  };
  con.set_colour(con.is_colour() ? "GR+/B" : "I,W/N");
  con.clear_screen();
  int row = 1;
  for (std::string_view l : lines) con.say(row++, 0, l);
  con.box(1, 0, 23, 79, console::kDoubleFrame);
  con.say(4, 1, xbase::replicate(HU("─"), 78));
  con.inkey(0);
}

void HELP(shell::Context& ctx) {
  support::Routine r(ctx.routines(), "HELP", __LINE__);
  console::Console& con = ctx.con;
  console::Screen::Saved screen = con.screen().save_all();
  int row = con.row(), col = con.col();
  console::CursorShape cursor = con.screen().cursor_shape();
  std::string colour = con.set_colour(con.is_colour() ? "GR+/B" : "I,W/N");
  con.set_cursor(console::CursorShape::Off);
  // F1 is off while help runs, so that help cannot call itself.
  console::Console::HotKey f1;
  if (auto it = con.hot_keys().find(key::kF1); it != con.hot_keys().end()) f1 = it->second;
  con.clear_key(key::kF1);

  std::string subject = help_subject(ctx.reads.read_var());
  xbase::WorkArea* companies = open_table(ctx, TableKind::Company);
  xbase::WorkArea* persons = open_table(ctx, TableKind::Person);
  if (!subject.empty() && std::string_view("VKOD").find(subject) != std::string_view::npos &&
      companies) {
    company_pick_list(ctx, *companies);
  } else if (!subject.empty() &&
             std::string_view("KSZEMSZAM").find(subject) != std::string_view::npos && persons) {
    xbase::AreaSelection keep(ctx.areas);
    ctx.areas.select(persons->number());
    M30VAL(ctx, 3, 10, 22, 69);
  } else {
    key_help(ctx);
  }

  con.screen().restore(screen);
  if (f1) con.set_key(key::kF1, f1);
  con.set_pos(row, col);
  con.set_cursor(cursor);
  con.set_colour(colour);
}

int HDBFUNC(shell::Context& ctx, int mode) {
  if (mode != console::kDeException) return console::kDeContinue;
  int k = ctx.con.last_key();
  if (k == key::kEsc) return console::kDeAbort;
  if (k == key::kEnter) {
    xbase::WorkArea& a = ctx.areas.current();
    if (!a.eof()) ctx.con.keyboard(a.get(kKeyMezo).as_str());
    return console::kDeAbort;
  }
  return console::kDeContinue;
}

bool M30VAL(shell::Context& ctx, int top, int left, int bottom, int right) {
  support::Routine r(ctx.routines(), "M30VAL", __LINE__);
  console::Console& con = ctx.con;
  xbase::WorkArea& persons = ctx.areas.current();
  std::string colour = con.set_colour("n/bg,bg/n");
  ctx.windows.open(con, top, left, bottom, right, console::kSingleFrame,
                   HU("Kiválasztás igazolás nyomtatáshoz"));
  console::Attr bg_n = con.attr(), n_bg = con.attr();
  console::parse_slot("bg/n", bg_n);
  console::parse_slot("n/bg", n_bg);
  con.say(bottom - 1, left + 1, xbase::padc(HU("Kiválasztás - ENTER"), right - left - 1), bg_n);
  bool more = static_cast<int>(persons.lastrec()) > bottom - top - 4;
  con.say(bottom - 4, left + 1, more ? std::string(1, '\x19') : std::string(" "), n_bg);
  bool chosen = false;
  std::string id;
  {
    KeptPlace kept(ctx.areas, persons);
    if (persons.eof()) persons.go_top();
    std::vector<std::string> heads = {std::string(HU("Cég")), std::string(HU("Név")),
                                      std::string(HU("Adóazonosító"))};
    auto cols = console::browse_columns(ctx.areas, {"vkod", "nev", "szemszam"}, {"", "", ""},
                                        &heads, &ctx.vars);
    console::BrowseOptions opt;
    opt.heading_sep = " ";
    opt.column_sep = " ";
    console::dbedit(con, persons, top + 2, left + 2, bottom - 4, right - 2, std::move(cols), opt);
    chosen = con.last_key() == key::kEnter && !persons.eof();
    if (chosen) id = persons.get("szemszam").as_str();
  }
  ctx.windows.close(con);
  if (chosen) set_var(ctx, "KSZEMSZAM", xbase::Value::str(id));
  con.set_colour(colour);
  return true;
}

}  // namespace entry
