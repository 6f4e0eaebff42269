#include "print/settings.h"

#include <cstdlib>

#include "console/frames.h"
#include "console/menu_prompt.h"
#include "print/control_codes.h"
#include "shell/shared_access.h"
#include "support/error_routines.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "ui/dialogs.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace print {

namespace {

namespace pf = support::platform;
using xbase::Value;

int field_num(xbase::WorkArea& a, const char* name) {
  if (a.field_pos(name) < 0) return 0;
  return static_cast<int>(a.get(name).as_num());
}

void put_num(xbase::WorkArea& a, const char* name, int n) {
  if (a.field_pos(name) >= 0) a.put(name, Value::num(n));
}

using shell::set_var;
using shell::var_text;

// One prompt menu of the dialog: the items at (row, col) inside the window, the
// highlight on `current`; the chosen number, 0 for Esc.
int choose(shell::Context& ctx, const std::vector<std::pair<int, std::string_view>>& items, int col,
           int current) {
  int top = ctx.windows.offmax(1);
  int left = ctx.windows.offmax(2);
  console::MenuPrompts menu;
  for (const auto& [row, text] : items) menu.add(ctx.con, top + row, left + col, text);
  console::MenuOptions opts;
  opts.message_row = -1;
  return console::menu_to(ctx.con, menu, current < 1 ? 1 : current, opts);
}

}  // namespace

std::string route_of(int nprport) {
  if (nprport == 6) return "USB";
  if (nprport == 7) return "PDF";
  return "LPT" + std::to_string(nprport < 1 ? 1 : nprport);
}

std::map<std::string, std::string> read_global_settings(shell::Context& ctx) {
  std::map<std::string, std::string> out;
  std::string path = pf::to_linux("\\kvad\\global.dbf");
  if (!pf::exists(path)) return out;
  xbase::AreaSelection keep(ctx.areas);
  ctx.areas.select(0);
  if (!shell::NETUSE(ctx, path, false, true)) return out;
  xbase::WorkArea& a = ctx.areas.current();
  if (a.field_pos("VALT") >= 0 && a.field_pos("ERTEK") >= 0) {
    for (a.go_top(); !a.eof(); a.skip())
      out.emplace(xbase::upper(xbase::alltrim(a.get("VALT").as_str())),
                  xbase::alltrim(a.get("ERTEK").as_str()));
  }
  ctx.areas.close_area();
  return out;
}

void KONS_INI(shell::Context& ctx) {
  support::Routine r(ctx.routines(), "KONS_INI", __LINE__);
  xbase::WorkArea& k = ctx.areas.current();
  if (!k.used()) return;
  k.go_top();
  if (k.eof() && !k.append_blank()) return;
  if (field_num(k, "nyomtip") != 0) return;
  auto global = read_global_settings(ctx);
  if (!global.empty()) {
    auto get = [&](const char* name) {
      auto it = global.find(name);
      return it == global.end() ? std::string() : xbase::upper(it->second);
    };
    put_num(k, "nyomtip", get("KNYOMTIP").rfind("EPS", 0) == 0 ? 1 : 2);
    put_num(k, "kpage", xbase::val(get("KPAGE")).as_num() >= 70 ? 1 : 2);
    put_num(k, "kkar852", get("KKAR852").rfind("852", 0) == 0 ? 1 : 2);
    std::string port = get("KPRPORT");
    int n = port.size() >= 4 && port[3] >= '0' && port[3] <= '9' ? port[3] - '0' : 0;
    put_num(k, "nprport", n);
    put_num(k, "khpauto", get("KHPAUTO").rfind("I", 0) == 0 ? 1 : 2);
  }
  if (field_num(k, "nyomtip") == 0) {
    put_num(k, "nyomtip", 2);
    put_num(k, "kpage", 2);
    put_num(k, "kkar852", 1);
    put_num(k, "nprport", 1);
    put_num(k, "khpauto", 1);
  }
  k.commit();
}

void KONSBE(shell::Context& ctx) {
  support::Routine r(ctx.routines(), "KONSBE", __LINE__);
  {
    xbase::AreaSelection keep(ctx.areas);
    ctx.areas.select(0);
    if (!shell::NETUSE(ctx, "konstans", false, true)) {
      ctx.end_program(0);
      return;
    }
    xbase::WorkArea& k = ctx.areas.current();
    k.go_top();
    int nyomtip = field_num(k, "nyomtip");
    int kpage = field_num(k, "kpage");
    int kkar852 = field_num(k, "kkar852");
    int nprport = field_num(k, "nprport");
    set_var(ctx, "KNYOMTIP", Value::str(nyomtip == 2 && nprport <= 4 ? "HP" : "EPSON"));
    set_var(ctx, "LKAR852", Value::logical(kkar852 != 2));
    set_var(ctx, "NPAGE", Value::num(kpage == 1 ? 72 : 64));
    std::string route = route_of(nprport);
    set_var(ctx, "EPRPORT", Value::str(route));
    std::string kprport = route;
    if (nprport == 5) {
      kprport = "C:\\PRTWRK\\PRTWIN.PRN";
    } else if (nprport == 6 || nprport == 7) {
      const char* temp = std::getenv("TEMP");
      std::string base = temp && *temp ? std::string(temp) : var_text(ctx, "PRGDIR");
      kprport = base + "\\DOSPRINT.PRN";
    }
    set_var(ctx, "KPRPORT", Value::str(kprport));
    set_var(ctx, "KHPAUTO", Value::num(field_num(k, "khpauto")));
    set_var(ctx, "KWWWELLEN", Value::num(field_num(k, "kwwwellen")));
    ctx.areas.close_area();
  }
  nyomtipbe(ctx.vars, ctx.dir());
}

void BEALLIT(shell::Context& ctx) {
  support::Routine r(ctx.routines(), "BEALLIT", __LINE__);
  console::Console& con = ctx.con;
  std::string colour = con.set_colour("b/bg,w/b");
  bool opened = false;
  {
    xbase::AreaSelection keep(ctx.areas);
    ctx.areas.select(0);
    opened = shell::NETUSE(ctx, "konstans", ctx.areas.exclusive());
    if (opened) {
      xbase::WorkArea& k = ctx.areas.current();
      k.go_top();
      bool locked = ctx.areas.exclusive() || shell::RECLOCK(ctx);
      if (k.eof() || !locked) {
        ctx.areas.close_area();
        opened = false;
      } else {
        ctx.windows.open(con, 11, 2, 22, 78, console::kDoubleFrame,
                         HU("Nyomtató és egyéb beállítások"));
        int top = ctx.windows.offmax(1);
        int left = ctx.windows.offmax(2);
        auto head = [&](int row, int col, std::string_view text) {
          con.say(top + row, left + col, text);
        };
        head(1, 3, HU("Nyomtató"));
        int v = choose(ctx, {{3, "EPSON"}, {4, "HP   "}}, 3, field_num(k, "nyomtip"));
        put_num(k, "nyomtip", v);
        head(1, 15, HU("Lapméret"));
        v = choose(ctx, {{3, HU("Leporelló")}, {4, HU("A4-es lap")}}, 15, field_num(k, "kpage"));
        put_num(k, "kpage", v);
        head(1, 27, HU("Karakterkészlet"));
        v = choose(ctx, {{3, "852"}, {4, "CWI"}}, 27, field_num(k, "kkar852"));
        put_num(k, "kkar852", v);
        head(1, 45, HU("Nyomtató"));
        head(2, 45, "port");
        v = choose(ctx,
                   {{3, "LPT1"},
                    {4, "LPT2"},
                    {5, "LPT3"},
                    {6, "LPT4"},
                    {7, "LPT5"},
                    {8, "USB "},
                    {9, "PDF "}},
                   45, field_num(k, "nprport"));
        put_num(k, "nprport", v);
        if (field_num(k, "nyomtip") == 2) {
          head(1, 57, HU("HP nyomtató"));
          head(2, 57, HU("autom. beáll."));
          v = choose(ctx, {{3, "Igen"}, {4, "Nem"}}, 57, field_num(k, "khpauto"));
          put_num(k, "khpauto", v);
        }
        head(7, 3, HU("Frissítés ellenőrzés"));
        v = choose(ctx, {{8, "Igen"}, {9, "Nem"}}, 3, field_num(k, "kwwwellen"));
        put_num(k, "kwwwellen", v);
        k.commit();
        k.unlock();
        ctx.windows.close(con);
        ctx.areas.close_area();
      }
    }
  }
  con.set_colour(colour);
  if (!opened) {
    ui::kerdez(con,
               {HU("A beállítások most nem módosíthatók:"),
                HU("a \"konstans\" állomány nem nyitható meg.")},
               {HU("Tovább")});
    return;
  }
  KONSBE(ctx);
}

}  // namespace print
