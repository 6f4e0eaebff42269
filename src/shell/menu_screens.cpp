#include "shell/menu_screens.h"

#include "console/colour.h"
#include "console/frames.h"
#include "shell/program_year.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace shell {

namespace {

constexpr std::string_view kMenuColour = "g/n,g+/gr,n,n";
constexpr std::string_view kMenuMono = "w/n,i,n,n,w/n";

}  // namespace

void menu_colour(Context& ctx) {
  ctx.con.set_colour(ctx.con.is_colour() ? kMenuColour : kMenuMono);
}

void say_centred(console::Console& con, int row, std::string_view text) {
  con.say(row, 40 - static_cast<int>(text.size()) / 2, text);
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

}  // namespace shell
