#include "entry/bottom_menu.h"

#include "console/colour.h"
#include "console/keys.h"
#include "console/menu_prompt.h"

namespace entry {

int ALSOMENU(shell::Context& ctx, const std::vector<std::string>& items, std::string_view prefix) {
  console::Console& con = ctx.con;
  std::string colour = con.set_colour(con.is_colour() ? "gr+/n,w+/g" : "w/n,i");
  ctx.windows.open(con, 24, 0, 24, 79);
  con.set_pos(24, 0);
  if (!prefix.empty()) {
    console::Attr gr = con.attr();
    console::parse_slot("gr", gr);
    con.say(24, 0, std::string(prefix) + " ", gr);
  }
  console::MenuPrompts menu;
  for (const std::string& item : items) {
    menu.add_here(con, item);
    con.say(con.row(), con.col(), "   ");
  }
  console::MenuOptions options;
  options.message_row = -1;
  int choice = console::menu_to(con, menu, 1, options);
  ctx.windows.close(con);
  con.set_colour(colour);
  if (choice < 1 || choice > static_cast<int>(items.size()) || items[choice - 1].empty())
    return console::key::kEsc;
  return static_cast<unsigned char>(items[static_cast<std::size_t>(choice - 1)][0]);
}

}  // namespace entry
