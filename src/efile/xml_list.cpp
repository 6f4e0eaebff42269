#include "efile/xml_list.h"

#include <algorithm>

#include "console/achoice.h"
#include "console/frames.h"
#include "console/keys.h"
#include "efile/form_filler.h"
#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace efile {

namespace pf = support::platform;

std::vector<std::string> xml_file_names(const std::string& dir, std::string_view ev) {
  std::vector<std::string> names;
  for (const pf::DirEntry& e : pf::list(pf::join(dir, std::string(ev) + "M30*.xml")))
    names.push_back(e.name);
  return names;
}

void M30XMLANYK(shell::Context& ctx, const std::string& dir,
                const std::function<void(const std::string& path)>& open) {
  console::Console& con = ctx.con;
  const std::vector<std::string> names = xml_file_names(dir, ctx.ev);
  std::vector<std::string> items;
  for (const std::string& n : names) items.push_back(pf::shown_path(n));

  const std::string old_colour = con.set_colour("N/W,W/N,N,N,N/W");
  ctx.windows.open(con, 6, 20, 21, 59, console::kDoubleFrame, ctx.ev + std::string(HU("M30 XML fájlok")));
  con.say(20, 21, xbase::padc(HU("ÁNYK - ENTER   Kilépés - Esc"), 38));
  if (items.empty()) {
    // The chooser would return at once without reading a key.
    con.say(8, 24, HU("Nem készült XML fájl."));
    con.inkey(0);
  } else {
    constexpr int kTop = 8, kBottom = 18;
    int item = 1;
    for (;;) {
      console::AchoiceOptions o;
      o.initial = item;
      o.initial_row = std::min(item - 1, kBottom - kTop);
      int chosen = console::achoice(con, kTop, 24, kBottom, 55, items, o);
      if (chosen > 0) {
        item = chosen;
        const std::string path = pf::join(dir, names[static_cast<size_t>(chosen - 1)]);
        if (open) {
          open(path);
        } else {
          ANYKM30NYIT(con, path);
        }
        continue;
      }
      if (con.last_key() == console::key::kEsc) break;
      // Left or Right: the list again.
    }
  }
  ctx.windows.close(con);
  con.set_colour(old_colour);
}

}  // namespace efile
