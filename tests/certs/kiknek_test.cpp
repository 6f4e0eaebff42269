// The print selection dialog on a headless screen: its place for both kinds, the
// codes filled with zeros, a blank last code kept, the XML question refusing what is
// not I or N with its help box shown only there, Esc in any field, F1's company
// list typing the chosen code, and a company added by another workstation after
// start-up as the default last code.
#include "certs/kiknek.h"

#include "certs/certs_test_util.h"
#include "console/keys.h"
#include "entry/help.h"
#include "xbase/vars.h"

namespace certs {
namespace {

namespace key = console::key;
using testing::cells;
using testing::CompanyStation;
using xbase::Value;

std::string hu(std::string_view s) { return std::string(s); }
std::string var(CompanyStation& s, const char* name) { return s.vars.find(name)->as_str(); }

struct DialogStation : CompanyStation {
  DialogStation() : CompanyStation({"001", "002", "003"}, /*exclusive=*/false) {
    // The program's F1.
    con->set_key(key::kF1, [this](console::Console&) { entry::HELP(*ctx); });
    // What start-up found.
    vars.make_public("KMINVKOD", Value::str("001"));
    vars.make_public("KMAXVKOD", Value::str("003"));
  }
  // The first wait at which the cursor stood at (row, col).
  const console::Screen* waiting_at(int row, int col) const {
    for (const auto& w : term->waits())
      if (w.cursor_row() == row && w.cursor_col() == col) return &w;
    return nullptr;
  }
};

TEST(Kiknek, M30DialogFieldsZerosBlankLastCodeAndTheXmlQuestion) {
  DialogStation s;
  // Another workstation adds company 009 after this one started.
  ASSERT_EQ(s.append_elsewhere("009"), 0);

  s.type("5\r");                               // first code: 005
  s.term->keys({key::ctrl('y'), key::kEnter});  // last code emptied: stays blank
  s.term->keys({key::kEnter, key::kEnter});     // tax identifier, start number
  s.type(" xi");                               // XML: blank and x refused, i taken as I
  KIKNEK(*s.ctx, "JOV");
  EXPECT_NE(s.con->last_key(), key::kEsc);
  EXPECT_EQ(var(s, "KVKOD1"), "005");
  EXPECT_EQ(var(s, "KVKOD2"), "   ");
  EXPECT_EQ(var(s, "KELLM30XML"), "I");
  EXPECT_EQ(var(s, "KMAXVKOD"), "009");

  const console::Screen& first = s.term->waits()[0];
  EXPECT_EQ(cells(first, 6, 15, 1), hu(HU("╔")));
  EXPECT_EQ(cells(first, 19, 65, 1), hu(HU("╝")));
  EXPECT_EQ(cells(first, 8, 26, 29), hu(HU("Jövedelemigazolás nyomtatása:")));
  EXPECT_EQ(cells(first, 10, 30, 20), hu(HU("Cég: 001-tól  009-ig")));  // the fields in the text
  EXPECT_EQ(cells(first, 12, 19, 42), hu(HU("Adóazonosító (F1, ha üres, nem vizsgálja):")));
  EXPECT_EQ(cells(first, 15, 30, 17), hu(HU("Kezdő oldal:    1")));
  EXPECT_EQ(cells(first, 17, 19, 42), hu(HU("ÁNYK 23M30 XML fájlok létrehozása [I/N]: N")));
  EXPECT_EQ(first.cursor_row(), 10);
  EXPECT_EQ(first.cursor_col(), 35);
  EXPECT_EQ(cells(first, 21, 6, 70), std::string(70, ' '));  // no help box here

  // In the XML question the help box stands below the dialog.
  const console::Screen* xml = s.waiting_at(17, 60);
  ASSERT_NE(xml, nullptr);
  EXPECT_EQ(cells(*xml, 21, 6, 1), hu(HU("┌")));
  EXPECT_EQ(cells(*xml, 21, 75, 1), hu(HU("┐")));
  EXPECT_EQ(cells(*xml, 21, 8, 65),
            hu(HU("Nem kötelező az M30 igazolást az ÁNYK nyomtatvánnyal kinyomtatni.")));
  EXPECT_EQ(cells(*xml, 22, 13, 54), hu(HU("A program által kinyomtatott nyomtatvány is megfelelő.")));
  EXPECT_EQ(cells(*xml, 23, 6, 1), hu(HU("└")));
  // Refused twice, then accepted: the box is gone with the dialog.
  EXPECT_EQ(cells(s.con->screen(), 21, 6, 70), std::string(70, ' '));
  EXPECT_EQ(cells(s.con->screen(), 6, 15, 1), " ");
}

TEST(Kiknek, EkhoDialogF1TypesTheChosenCodeAndEscCancels) {
  DialogStation s;
  s.con->set_colour("w/n");
  s.term->keys({key::kF1, key::kDown, key::kEnter});  // the second company: 002
  s.term->keys({key::kEsc});                          // in the last code
  KIKNEK(*s.ctx, "EKHO");
  EXPECT_EQ(s.con->last_key(), key::kEsc);
  EXPECT_EQ(var(s, "KVKOD1"), "002");
  EXPECT_EQ(s.con->colour_string().substr(0, 4), "W/N,");

  const console::Screen& first = s.term->waits()[0];
  EXPECT_EQ(cells(first, 10, 15, 1), hu(HU("╔")));
  EXPECT_EQ(cells(first, 9, 15, 1), " ");
  EXPECT_EQ(cells(first, 12, 28, 25), hu(HU("Ekho igazolás nyomtatása:")));
  EXPECT_EQ(cells(first, 14, 30, 20), hu(HU("Cég: 001-tól  003-ig")));
  EXPECT_EQ(cells(first, 17, 35, 10), std::string(10, ' '));
  EXPECT_EQ(cells(first, 19, 30, 12), hu(HU("════════════")));  // no start number, no XML
  // The company list of F1 was on the screen.
  bool listed = false;
  for (const auto& w : s.term->waits()) listed |= cells(w, 2, 1, 1) == hu(HU("┌"));
  EXPECT_TRUE(listed);

  // Esc in the first field cancels too.
  s.term->keys({key::kEsc});
  KIKNEK(*s.ctx, "JOV");
  EXPECT_EQ(s.con->last_key(), key::kEsc);
}

}  // namespace
}  // namespace certs
