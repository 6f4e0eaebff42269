// The browse screens as they are drawn: the company, person and dependants browses,
// the quick search box and the form screen, at their rows and columns.
#include "console/get_read.h"
#include "entry/browse_screen.h"
#include "entry/dependants_browse.h"
#include "entry_test_util.h"

namespace entry {
namespace {

using namespace testing;
using console::Screen;

void three_companies(Install& in) {
  in.company("001", "Alfa Informatikai Kft.", {{"helyseg", "Győr"}, {"adoszam", "10000001000"}});
  in.company("002", "Béta Fuvarozó Bt.", {{"helyseg", "Sopron"}, {"adoszam", "10000001001"}});
  in.company("003", "Gamma Kft.", {{"helyseg", "Pécs"}, {"adoszam", "10000001002"}});
}

void some_persons(Install& in) {
  in.person("001", "Kovács Anna", "8123456789", "M",
            {{"irszam", "9021"}, {"helyseg", "Győr"}, {"utca", "Fő utca 1"}, {"aszjell", "E"}});
  in.person("001", "Kőszegi Béla", "8123456790");
  in.person("002", "Antal Ödön", "8123456791", "K");
}

TEST(BrowseScreen, CompaniesFillTheWindowUnderTheirTitleWithTheKeyHelp) {
  Install in;
  three_companies(in);
  in.open();
  in.select("VALLAL");
  in.keys({key::kEsc});
  EXPECT_TRUE(DBEDFELV(in.ctx));

  const Screen& sc = in.s.term->waits().at(0);
  EXPECT_EQ(at(sc, 1, 33, 13), "Vállalkozások");
  EXPECT_EQ(at(sc, 22, 14, 51), "Felvitel  - F      Módosítás - M      Kilépés - ESC");
  EXPECT_EQ(at(sc, 23, 14, 32), "Keresés - K,G      Törlés    - T");
  EXPECT_EQ(at(sc, 22, 78, 1), " ");  // no arrow: every column fits
  // Two-line headings with an empty first line; the four columns take all 78.
  EXPECT_EQ(at(sc, 4, 1, 78), std::string(78, ' '));
  EXPECT_EQ(at(sc, 5, 1, 3), "Kód");
  EXPECT_EQ(at(sc, 5, 7, 3), "Név");
  EXPECT_EQ(at(sc, 5, 46, 7), "Helység");
  EXPECT_EQ(at(sc, 5, 68, 7), "Adószám");
  EXPECT_EQ(row(sc, 6), "│" + xbase::replicate("─", 78) + "│");
  EXPECT_EQ(at(sc, 7, 1, 78),
            "001 │ Alfa Informatikai Kft.               │ Győr                │ 10000001000");
  EXPECT_EQ(at(sc, 9, 1, 16), "003 │ Gamma Kft.");
  EXPECT_EQ(row(sc, 0), "┌" + xbase::replicate("─", 78) + "┐");
  EXPECT_EQ(row(sc, 24), "└" + xbase::replicate("─", 78) + "┘");
  // Afterwards the screen is as it was.
  EXPECT_EQ(in.s.con->screen().row_utf8(1), std::string(80, ' '));
}

TEST(BrowseScreen, PersonsShowFourColumnsCentredAndScrollToTheRest) {
  Install in;
  three_companies(in);
  some_persons(in);
  in.open();
  in.select("VIRDA");
  in.keys({key::kRight, key::kRight, key::kRight, key::kRight, key::kRight, key::kEsc});
  DBEDFELV(in.ctx);

  const auto& waits = in.s.term->waits();
  const Screen& sc = waits.at(0);
  EXPECT_EQ(at(sc, 1, 29, 21), "SZJA adatszolgáltatás");
  // Cég 3, Név 40, Adóazonosító 12, Igazolás 8 and three separators: 72 of 78.
  EXPECT_EQ(at(sc, 4, 1, 3), "   ");
  EXPECT_EQ(at(sc, 4, 4, 3), "Cég");
  EXPECT_EQ(at(sc, 4, 10, 3), "Név");
  EXPECT_EQ(at(sc, 4, 53, 12), "Adóazonosító");
  EXPECT_EQ(at(sc, 4, 68, 8), "Igazolás");
  EXPECT_EQ(at(sc, 6, 4, 20), "001 │ Kovács Anna   ");
  EXPECT_EQ(at(sc, 6, 53, 10), "8123456789");
  EXPECT_EQ(at(sc, 8, 4, 16), "002 │ Antal Ödön");
  // The blinking arrow: more columns than fit.
  EXPECT_EQ(sc.at(22, 78).ch, 0x1a);
  EXPECT_TRUE(sc.at(22, 78).attr & 0x80);
  // Right moves to "Jelleg", then to "Cím", scrolling the columns sideways.
  EXPECT_NE(row(waits.at(4), 4).find("Jelleg"), std::string::npos);
  EXPECT_EQ(row(waits.at(4), 4).find("Cég"), std::string::npos);
  EXPECT_NE(row(waits.at(5), 4).find("Cím"), std::string::npos);
  EXPECT_NE(row(waits.at(5), 6).find("9021 Győr Fő utca 1"), std::string::npos);
}

TEST(BrowseScreen, DependantsOfTheFormsPersonUnderItsName) {
  Install in;
  three_companies(in);
  some_persons(in);
  in.dependant("001", "8123456789", "Kovács", "Bence");
  in.dependant("002", "8123456791", "Antal", "Réka");
  in.dependant("001", "8123456789", "Kovács", "Dóra");
  in.open();
  xbase::WorkArea& persons = in.select("VIRDA");
  persons.go_bottom();  // the year table is on another person than the form's
  // The person form holds a person being added: not in the year table yet.
  set_var(in.ctx, "XVKOD", xbase::Value::str("001"));
  set_var(in.ctx, "XSZEMSZAM", xbase::Value::str("8123456789"));
  set_var(in.ctx, "XNEV", xbase::Value::str(xbase::padr(HU("Minta Péter"), 40)));
  in.ctx.reads.getlist().add(*in.s.con, in.s.vars, 1, 1, "XVKOD");
  // F opens the dependant form (not here yet: its notice), which blanks the buffer.
  in.keys({'F', key::kEnter, key::kEsc});
  EXPECT_TRUE(ELTARBE(in.ctx));

  const Screen& sc = in.s.term->waits().at(0);
  EXPECT_EQ(at(sc, 1, 34, 11), "Eltartottak");
  const std::string holder = "Eltartó: Minta Péter";  // 20 characters, centred in 78
  EXPECT_EQ(at(sc, 2, 1 + 29, 20), holder);
  EXPECT_NE(row(sc, 6).find("Kovács Bence"), std::string::npos);
  EXPECT_NE(row(sc, 7).find("Kovács Dóra"), std::string::npos);
  EXPECT_EQ(row(sc, 8).find("Antal"), std::string::npos);
  // Back in the person form: its buffer values, its fields and the year table.
  EXPECT_EQ(in.var("XVKOD"), "001");
  EXPECT_EQ(in.var("XSZEMSZAM"), "8123456789");
  EXPECT_EQ(xbase::rtrim(in.var("XNEV")), "Minta Péter");
  EXPECT_EQ(in.ctx.reads.getlist().size(), 1u);
  EXPECT_EQ(in.s.areas.current().alias(), "VIRDA");
  EXPECT_FALSE(in.s.areas.find("ELTAR")->has_filter());
  EXPECT_EQ(in.rows("eltar23", {"csnev"}).size(), 3u);  // nothing appended
}

TEST(BrowseScreen, QuickSearchBoxReplacesTheKeyHelpUntilEnter) {
  Install in;
  three_companies(in);
  some_persons(in);
  in.open();
  in.select("VIRDA");
  in.keys({'g', '0', '0', '1', 'k', key::kEnter, key::kEsc});
  DBEDFELV(in.ctx);

  const auto& waits = in.s.term->waits();
  const Screen& open = waits.at(1);  // after "g"
  EXPECT_EQ(at(open, 22, 11, 58), "Gyorskeresés (cég száma+dolgozó neve, keresés vége: ENTER)");
  EXPECT_EQ(at(open, 23, 20, 10), "Keresendő:");
  EXPECT_EQ(at(open, 23, 31, 1), "_");
  EXPECT_TRUE(open.at(23, 31).attr & 0x80);
  EXPECT_EQ(at(open, 23, 1, 18), std::string(18, ' '));  // the key help is gone
  const Screen& typed = waits.at(5);  // after "001k"
  EXPECT_EQ(at(typed, 23, 31, 6), "001k_ ");
  EXPECT_EQ(at(waits.at(6), 22, 14, 8), "Felvitel");  // Enter: the key help is back
}

TEST(BrowseScreen, FormScreenOfTheCompanyInEachMode) {
  Install in;
  three_companies(in);
  in.open();
  in.select("VALLAL");
  in.keys({'F', key::kEsc, 'I',    // add, leave without storing
            'K', key::kEsc, 'I',    // search
            'M', key::kEsc, 'I',    // modify
            key::kEsc});
  DBEDFELV(in.ctx);

  const console::HeadlessBackend& t = *in.s.term;
  const Screen* add = shown(t, 0, 31, "Felvitel");
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(at(*add, 0, 0, 31), "      Vállalkozások            ");
  EXPECT_EQ(row(*add, 23), xbase::replicate("▒", 80));
  EXPECT_EQ(row(*add, 24), xbase::replicate("▒", 80));
  EXPECT_EQ(row(*add, 1), "┌" + xbase::replicate("─", 78) + "┐");
  EXPECT_EQ(row(*add, 22), "└" + xbase::replicate("─", 78) + "┘");
  EXPECT_EQ(at(*add, 3, 2, 5), "Szám:");
  EXPECT_EQ(at(*add, 3, 40, 4), "Név:");
  EXPECT_EQ(at(*add, 5, 2, 10), "Képviselő:");
  EXPECT_EQ(at(*add, 7, 2, 29), "Cim: -ir.:          -helység:");
  EXPECT_EQ(at(*add, 8, 7, 34), "-közterület (utca,tér stb.) neve :");
  EXPECT_EQ(at(*add, 9, 7, 34), "-közterület jellege (út,utca stb):");
  EXPECT_EQ(at(*add, 10, 7, 64),
            "-házszám:       -épület:    -lépcsőház:    -emelet:       -ajtó:");
  EXPECT_EQ(at(*add, 12, 2, 29), "Lev. -ir.:          -helység:");
  EXPECT_EQ(at(*add, 15, 7, 9), "-házszám:");
  EXPECT_EQ(at(*add, 17, 2, 8), "Adószám:");
  EXPECT_EQ(at(*add, 17, 40, 17), "Jogelőd adószáma:");
  EXPECT_EQ(at(*add, 19, 2, 8), "Telefon:");
  EXPECT_EQ(at(*add, 19, 40, 10), "Ügyintéző:");
  // The fields: the code, then the scrolling fields in the room left to them.
  EXPECT_EQ(add->at(3, 8).attr, add->at(3, 10).attr);
  EXPECT_NE(add->at(3, 8).attr, add->at(3, 7).attr);  // the code field, being edited
  EXPECT_EQ(at(*add, 3, 79, 1), "│");
  EXPECT_EQ(at(*add, 8, 79, 1), "│");
  EXPECT_EQ(at(*add, 19, 79, 1), "│");

  const Screen* search = shown(t, 0, 31, "Keresés");
  ASSERT_NE(search, nullptr);
  const Screen* modify = shown(t, 0, 30, "Módosítás");
  ASSERT_NE(modify, nullptr);
  EXPECT_EQ(at(*modify, 3, 8, 3), "001");  // shown, not a field
  EXPECT_EQ(modify->at(3, 8).attr, 0x0e);  // "gr+": bright yellow on black
  EXPECT_EQ(at(*modify, 3, 46, 22), "Alfa Informatikai Kft.");
}

}  // namespace
}  // namespace entry
