#include "certs/kiknek.h"

#include <string>
#include <vector>

#include "certs/selection.h"
#include "console/frames.h"
#include "console/get_read.h"
#include "entry/help_box.h"
#include "entry/id_checks_ui.h"
#include "support/error_routines.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/vars.h"

namespace certs {

namespace {

using xbase::Value;

void ensure(shell::Context& ctx, std::string_view name, Value v) {
  if (!ctx.vars.exists(name)) ctx.vars.make_public(name, std::move(v));
}

// A company code is filled with leading zeros when the cursor leaves it; always
// accepted (a blank code stays blank).
bool zero_filled(shell::Context& ctx, std::string_view name) {
  std::string code = ctx.vars.find(name)->as_str();
  entry::JOBBZERO(code);
  ctx.vars.assign(name, Value::str(code));
  return true;
}

}  // namespace

void KIKNEK(shell::Context& ctx, std::string_view kind) {
  support::Routine r(ctx.routines(), "KIKNEK", __LINE__);
  console::Console& con = ctx.con;
  bool m30 = kind == "JOV";
  std::string colour = con.set_colour("N/W,W/N,N,N,N/W");

  // The range starts from the companies as they are now.
  CompanyRange range = default_company_range(ctx);
  for (auto [name, code] : {std::pair{"KMINVKOD", range.first}, {"KMAXVKOD", range.last},
                            {"KVKOD1", range.first}, {"KVKOD2", range.last}}) {
    if (ctx.vars.exists(name))
      ctx.vars.assign(name, Value::str(code));
    else
      ctx.vars.make_public(name, Value::str(code));
  }
  ensure(ctx, "KSZEMSZAM", Value::str(std::string(10, ' ')));
  if (m30) {
    ensure(ctx, "KEZDOLD", Value::num(1));
    ensure(ctx, "KELLM30XML", Value::str("N"));
  }

  const int t = m30 ? 6 : 10;
  ctx.windows.open(con, t, 15, 19, 65, console::kDoubleFrame);
  con.say(t + 2, 16,
          xbase::padc(m30 ? HU("Jövedelemigazolás nyomtatása:") : HU("Ekho igazolás nyomtatása:"), 49));
  con.say(t + 4, 30, HU("Cég:    -tól     -ig"));
  con.say(t + 6, 19, HU("Adóazonosító (F1, ha üres, nem vizsgálja):"));
  console::GetList fields;
  fields.add(con, ctx.vars, t + 4, 35, "KVKOD1", "@K").valid = [&ctx](console::ReadSession&) {
    return zero_filled(ctx, "KVKOD1");
  };
  fields.add(con, ctx.vars, t + 4, 44, "KVKOD2", "@K").valid = [&ctx](console::ReadSession&) {
    return zero_filled(ctx, "KVKOD2");
  };
  fields.add(con, ctx.vars, t + 7, 35, "KSZEMSZAM", "@KR XXXXXXXXXX");

  entry::HelpBox box;
  if (m30) {
    con.say(t + 9, 30, HU("Kezdő oldal:"));
    fields.add(con, ctx.vars, t + 9, 43, "KEZDOLD", "@Z 9999");
    con.say(t + 11, 19, std::string(HU("ÁNYK ")) + ctx.ev + std::string(HU("M30 XML fájlok létrehozása [I/N]:")));
    console::GetField& xml = fields.add(con, ctx.vars, t + 11, 60, "KELLM30XML", "!");
    // While the cursor is in the XML question a box says that the program's own
    // printout is enough.
    xml.when = [&ctx, &box](console::ReadSession&) {
      return entry::GET_MESS(box, ctx.con, "be",
                             {std::string(HU("Nem kötelező az M30 igazolást az ÁNYK nyomtatvánnyal kinyomtatni.")),
                              std::string(HU("     A program által kinyomtatott nyomtatvány is megfelelő."))},
                             21, 6, "n/w");
    };
    xml.valid = [&ctx, &box](console::ReadSession&) {
      std::string v = ctx.vars.find("KELLM30XML")->as_str();
      if (v != "I" && v != "N") return false;
      return entry::GET_MESS(box, ctx.con, "ki");
    };
  }
  console::read(ctx.reads, fields);
  entry::GET_MESS(box, con, "ki");  // left with Esc: the box goes too
  ctx.windows.close(con);
  con.set_colour(colour);
}

}  // namespace certs
