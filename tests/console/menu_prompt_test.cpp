// Prompt menus on a headless console: the main menu's nine prompts with their
// messages on row 24, arrows round the ends, the first non-blank character, Esc.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "console/headless.h"
#include "console/keys.h"
#include "console/menu_prompt.h"
#include "xbase/hutext.h"

namespace {

using namespace console;

struct MainMenu {
  HeadlessBackend* term;
  std::unique_ptr<Console> con;
  MenuPrompts prompts;
  MainMenu() {
    auto b = std::make_unique<HeadlessBackend>();
    term = b.get();
    con = std::make_unique<Console>(std::move(b));
    con->set_colour("g/n,g+/gr,n,n");
    const std::string_view texts[9] = {
        HU(" 1  Adatbevitel, módosítás      "), HU(" 2  2023M30 jövedelemigazolás     "),
        HU(" 3  Ekho igazolás               "), HU(" 4  K71, K91 nyomtatványok      "),
        HU(" 5  Vállalkozások törzsadatai   "), HU(" 6  ÁNYK import fájlok készítése"),
        HU(" 7  Adatátvétel a bérprogramból "), HU(" 8  Egyéb funkciók              "),
        HU(" 0  Kilépés a programból        ")};
    const std::string_view messages[9] = {HU("Magánszemélynek kifizetett összegek módosítása"), HU("M30 nyomtatása"), "", "",
                               "", HU("K71, K91, 2023SZJA, BEVTERVK"), "", "", ""};
    for (int i = 0; i < 9; ++i) prompts.add(*con, 8 + i, 24, texts[i], messages[i]);
  }
  int run(int initial) { return menu_to(*con, prompts, initial); }
  std::string row(const Screen& s, int r) { return s.row_utf8(r); }
  int highlighted(const Screen& s) {
    for (int r = 8; r <= 16; ++r)
      if (s.at(r, 24).attr == con->attr(kEnhanced)) return r - 7;
    return 0;
  }
};

TEST(MenuTo, ArrowsWrapMessagesAndChoice) {
  MainMenu m;
  m.term->keys({key::kUp, key::kDown, key::kDown, key::kDown, key::kLeft, key::kEnter});
  EXPECT_EQ(m.run(1), 2);
  const auto& w = m.term->waits();
  ASSERT_EQ(w.size(), 6u);
  // Starts on 1 with its message centred on row 24: from column (79 - 46) / 2.
  EXPECT_EQ(m.highlighted(w[0]), 1);
  std::string msg = "Magánszemélynek kifizetett összegek módosítása";
  EXPECT_EQ(w[0].row_utf8(24), std::string(16, ' ') + msg + std::string(18, ' '));
  EXPECT_EQ(m.highlighted(w[1]), 9);  // Up wraps to the last
  EXPECT_EQ(w[1].row_utf8(24), std::string(80, ' '));  // no message: the row is blank
  EXPECT_EQ(m.highlighted(w[2]), 1);  // Down wraps to the first
  EXPECT_EQ(m.highlighted(w[3]), 2);
  EXPECT_EQ(w[3].row_utf8(24).find("M30 nyomtatása"), 32u);  // (79 - 14) / 2
  EXPECT_EQ(m.highlighted(w[4]), 3);
  EXPECT_EQ(m.highlighted(w[5]), 2);
  // Only one prompt is highlighted.
  int count = 0;
  for (int r = 8; r <= 16; ++r) count += w[5].at(r, 30).attr == m.con->attr(kEnhanced);
  EXPECT_EQ(count, 1);
}

TEST(MenuTo, FirstNonBlankCharacterEscAndStart) {
  MainMenu a;
  a.term->keys({'0'});
  EXPECT_EQ(a.run(3), 9);
  EXPECT_EQ(a.highlighted(a.term->waits()[0]), 3);  // the highlight starts on the given item

  MainMenu b;
  b.term->keys({'x', key::kEsc});  // no prompt begins with x
  EXPECT_EQ(b.run(5), 0);

  MainMenu c;
  c.term->keys({key::kPgDn});
  EXPECT_EQ(c.run(0), 1);
  EXPECT_TRUE(c.prompts.empty());  // MENU TO uses the prompts up

  // Letters in either case; hot keys work while the menu waits.
  auto b2 = std::make_unique<HeadlessBackend>();
  HeadlessBackend* term = b2.get();
  Console con(std::move(b2));
  MenuPrompts p;
  con.say(24, 0, "x");
  p.add(con, 24, 2, HU("Javít"));
  con.say(con.row(), con.col(), "   ");
  p.add_here(con, HU("Következő kép"));
  con.say(con.row(), con.col(), "   ");
  p.add_here(con, HU("Tárolás"));
  EXPECT_EQ(p.items()[2].col, 2 + 5 + 3 + 13 + 3);
  int hot = 0;
  con.set_key(key::kF2, [&](Console&) { ++hot; });
  term->keys({key::kF2, 't'});
  EXPECT_EQ(menu_to(con, p, 1), 3);
  EXPECT_EQ(hot, 1);
  EXPECT_EQ(con.screen().row_utf8(24).substr(0, 1), "x");  // prompts without messages leave the row

  // A letter two prompts begin with chooses the upper one, wherever the highlight is.
  auto b3 = std::make_unique<HeadlessBackend>();
  HeadlessBackend* t3 = b3.get();
  Console c3(std::move(b3));
  MenuPrompts shared;
  for (int i = 0; i < 4; ++i)
    shared.add(c3, 5 + i, 10, i == 1 || i == 3 ? HU("Kilépés") : i == 0 ? "Adatok" : "Mentés");
  t3->keys({'k'});
  EXPECT_EQ(menu_to(c3, shared, 4), 2);
}

}  // namespace
