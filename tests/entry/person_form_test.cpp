// The person form through the person browse: its six pages and the dependant form
// against screens drawn by hand, the bottom menu of every mode and page, a new
// person over six pages, and what "Tárolás" leaves behind.
#include "certs/szamol.h"
#include "person_test_util.h"

namespace entry {
namespace {

using namespace testing;
using console::Screen;

TEST(PersonForm, AStoredPersonPageByPage) {
  Persons p;
  Install& in = p.in;
  in.keys({'M', 'K', 'K', 'K', 'K', 'K'});
  in.keys({key::kEsc, key::kEsc});  // unchanged: Esc leaves at once
  p.run();
  for (int page = 1; page <= 6; ++page) {
    const Screen* s = menu_of_page(p.term(), page);
    ASSERT_NE(s, nullptr) << page;
    expect_golden(*s, "person_page" + std::to_string(page) + ".txt");
  }
  EXPECT_EQ(count_shown(p.term(), -1, "Kilépés tárolás nélkül?"), 0);
  // The values in the fields' colour ("gr+/n"), the labels in "gr/n", the page number
  // inverse.
  const Screen& one = *menu_of_page(p.term(), 1);
  EXPECT_EQ(one.at(3, 7).attr, 0x0e);
  EXPECT_EQ(one.at(3, 2).attr, 0x06);
  EXPECT_EQ(one.at(1, 78).attr, 0x70);
  const Screen& two = *menu_of_page(p.term(), 2);
  EXPECT_EQ(two.at(2, 20).attr, 0x0e);  // the header's values
  EXPECT_EQ(two.at(2, 15).attr, 0x06);
  const Screen& six = *menu_of_page(p.term(), 6);
  EXPECT_EQ(six.at(9, 2).attr, 0x60);  // the EKHO heading "n/gr"
  EXPECT_EQ(six.at(9, 77).attr, 0x60);
  EXPECT_EQ(six.at(9, 78).attr, 0x06);
}

TEST(PersonForm, TheDependantFormOfAStoredPerson) {
  Persons p;
  Install& in = p.in;
  in.keys({'M', 'K', 'K', 'K', 'J'});     // page 4 read: the button first
  in.keys({key::kEnter});                  // the dependants
  in.keys({key::kEnter, key::kEnter});     // modify the first; the kind of allowance
  in.keys({key::kEsc, 'I', key::kEsc});    // the dependant unstored, the browse left
  in.keys({key::kEsc, 'I', key::kEsc});    // the person too, and the person browse
  p.run();
  const console::HeadlessBackend& t = p.term();
  const Screen* form = nullptr;
  for (const Screen& s : t.waits())
    if (!form && s.cursor_row() == 5 && s.cursor_col() == 16) form = &s;
  ASSERT_NE(form, nullptr);
  expect_golden(*form, "dependant_form.txt");
  EXPECT_EQ(form->at(3, 2).attr, 0x07);   // "w/n" labels
  EXPECT_EQ(form->at(12, 2).attr, 0x07);
  EXPECT_EQ(form->at(4, 2).attr, 0x06);   // the others in the form colour
  // The button while it waits, and again afterwards.
  const Screen* on = shown(t, 4, 2, "Eltartottak adatai Enter");
  ASSERT_NE(on, nullptr);
  EXPECT_EQ(on->at(4, 2).attr, 0x60);  // "N/GR"
  EXPECT_EQ(on->at(4, 25).attr, 0x60);
  EXPECT_EQ(at(t.waits().at(t.waits().size() - 2), 4, 2, 24), "Eltartottak adatai      ");
  // Back in the person browse: its own columns.
  EXPECT_NE(row(t.last_wait(), 4).find("Adóazonosító"), std::string::npos);
  EXPECT_EQ(in.rows("eltar23", {"csnev"}).size(), 1u);
}

TEST(PersonForm, ANewPersonOverSixPagesThenEveryMenu) {
  Persons p;
  Install& in = p.in;
  new_person_page1(in, kChildId);
  for (int page = 2; page <= 6; ++page) in.keys({'K', key::kPgDn});
  in.keys({'T'});
  // Modify the stored one (it sorts first: no name) over six pages; search.
  in.keys({key::kCtrlPgUp, 'M', 'K', 'K', 'K', 'K', 'K', key::kEsc});
  in.keys({'K', key::kPgDn, '1', key::kPgDn, key::kEsc});  // the sex code is asked for
  p.run();
  const console::HeadlessBackend& t = p.term();
  auto menu_row = [](const Screen* s) { return s ? xbase::rtrim(row(*s, 24)) : "none"; };
  EXPECT_EQ(menu_row(menu_of_page(t, 1)), "Javít   Következő kép");
  for (int page = 2; page <= 5; ++page)
    EXPECT_EQ(menu_row(menu_of_page(t, page)), "Javít   Következő kép   Előző kép") << page;
  EXPECT_EQ(menu_row(menu_of_page(t, 6)), "Javít   Előző kép   Tárolás");

  std::size_t modify = 0;
  while (modify < t.waits().size() && at(t.waits()[modify], 0, 30, 9) != "Módosítás") ++modify;
  EXPECT_EQ(menu_row(menu_of_page(t, 1, modify)), "Javít   Következő kép   Tárolás");
  for (int page = 2; page <= 5; ++page)
    EXPECT_EQ(menu_row(menu_of_page(t, page, modify)), "Javít   Következő kép   Előző kép   Tárolás");
  EXPECT_EQ(menu_row(menu_of_page(t, 6, modify)), "Javít   Előző kép   Tárolás");
  // The search form takes page 1 only, without a menu; its sex code is mandatory.
  bool search_menu = false;
  int search_sex = 0;
  for (const Screen& s : t.waits()) {
    search_menu |= at(s, 0, 31, 7) == "Keresés" && at(s, 24, 0, 5) == "Javít";
    search_sex += at(s, 0, 31, 7) == "Keresés" && s.cursor_row() == 5 && s.cursor_col() == 76;
  }
  EXPECT_FALSE(search_menu);
  EXPECT_EQ(search_sex, 1);

  EXPECT_EQ(person_row(in, 3, {"vkod", "szemszam", "nyilat", "aszjell", "vanhozott", "neme"}),
            std::string("vkod=001 szemszam=") + kChildId + " nyilat=M aszjell=E vanhozott=N neme=1");
}

TEST(PersonForm, StoringComputesTheDerivedAmountsOfTheRecord) {
  Persons p;
  Install& in = p.in;
  in.keys({'M', 'T', key::kEsc});
  p.run();
  // The record is written unchanged; the certificate's amounts are those of its values.
  EXPECT_EQ(person_row(in, 1, {"nev", "jovedelem", "ekhos_95", "szulido"}),
            "nev=Kovács Péter jovedelem=5400000 ekhos_95=28500 szulido=19840506");
  EXPECT_EQ(in.s.vars.find("KOSSZJOV")->as_num(), 7'805'000);
  EXPECT_EQ(in.s.vars.find("KKULALAP")->as_num(), 2'642'345);
  EXPECT_EQ(in.s.vars.find("KGYERK30")->as_num(), 240'000);
}

}  // namespace
}  // namespace entry
