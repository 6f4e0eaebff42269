#include "shell/table_upgrades.h"

#include "shell/shared_access.h"
#include "shell/startup_files.h"
#include "shell/upgrade.h"
#include "support/error_routines.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "xbase/functions.h"

namespace shell {

namespace {

namespace pf = support::platform;
using xbase::Value;

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
  const std::string dir = ctx.dir();
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

}  // namespace shell
