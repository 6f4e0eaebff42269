// The dependants of a person from page 4 of the person form: the button, the
// dependants browse, the dependant form with its checks, and the person form as it
// was afterwards.
#include "person_test_util.h"
#include "stations_test_util.h"

namespace entry {
namespace {

using namespace testing;
using console::Screen;

// The first screen of the dependant form that waited with the cursor at row, column.
const Screen* wait_at(const console::HeadlessBackend& t, int r, int c) {
  for (const Screen& s : t.waits())
    if (s.cursor_row() == r && s.cursor_col() == c && at(s, 2, 2, 12) == "Eltartó neve") return &s;
  return nullptr;
}

// From the bottom menu of page 1 of a new person to the read of page 4.
void to_page_4_of_a_new_person(Install& in) {
  in.keys({'K', key::kPgDn, 'K', key::kPgDn, 'K'});
}

TEST(DependantForm, ADependantOfANewPersonStaysWhenThePersonIsNotStored) {
  Persons p;
  Install& in = p.in;
  new_person_page1(in, "8123456786", "Szabó", "Anna");
  to_page_4_of_a_new_person(in);
  in.keys({key::kEnter, 'F'});  // the button; a new dependant
  in.type("1");                  // kind of allowance (the under-30 title is skipped)
  in.type("Kis");
  in.keys({key::kEnter});
  in.type("Anna");
  in.keys({key::kEnter});
  in.type("Mária");
  in.keys({key::kEnter});
  in.type(kChildId);
  in.type("123456789");  // a wrong TAJ number: its message
  in.keys({key::kEnter});
  in.type("123456788");
  in.keys({key::kEnter, key::kEnter});  // birth place; the birth date from the identifier
  in.keys({key::kPgDn});                 // stops at the first month: blank
  for (int m = 1; m <= 12; ++m) in.type("1");  // the last one ends the read: stored
  in.keys({key::kEsc});                  // the dependants browse
  in.keys({key::kEsc, 'I', key::kEsc});  // the person thrown away
  p.run();
  const console::HeadlessBackend& t = p.term();

  EXPECT_NE(shown(t, 2, 2, "Eltartó neve : Szabó Anna"), nullptr);
  // Back on page 4 the person is still being added.
  const Screen* back = nullptr;
  for (const Screen& s : t.waits())
    if (!back && s.cursor_row() == 6 && s.cursor_col() == 61) back = &s;
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(at(*back, 0, 31, 8), "Felvitel");
  EXPECT_EQ(at(*back, 2, 20, 10), "Szabó Anna");
  EXPECT_NE(shown_on_row(t, 2, "Eltartó: Szabó Anna"), nullptr);
  EXPECT_EQ(count_shown(t, -1, "Hibás TAJ-szám!"), 1);
  const Screen* date = wait_at(t, 9, 19);
  ASSERT_NE(date, nullptr);
  EXPECT_EQ(at(*date, 9, 19, 10), "2015.03.02");
  const Screen* month = wait_at(t, 21, 5);
  ASSERT_NE(month, nullptr);
  EXPECT_EQ(at(*month, 21, 5, 1), " ");
  EXPECT_NE(row(*month, 11).find("Eltartott kód"), std::string::npos);

  EXPECT_EQ(in.rows("virda23", {"nev"}).size(), 2u);
  EXPECT_EQ(in.rows("eltar23", {"vkod", "szemszam", "nev", "taj2", "eltkod01", "eltkod12"}).at(1),
            "001,8123456786,Kis Anna Mária,123456788,1,1");
  xbase::WorkAreas other;
  ASSERT_TRUE(other.use(in.s.file("eltar23"), "", xbase::OpenMode::Shared, true));
  other.current().go_to(2);
  EXPECT_EQ(other.current().get("eszulido").as_date().dtos(), "20150302");
}

TEST(DependantForm, AfterADependantThePersonFormIsAsItWas) {
  Persons p;
  Install& in = p.in;
  in.keys({'M', 'K', 'K', 'K', 'J', key::kEnter});  // page 4 read; the button
  in.keys({key::kEnter});                          // modify the dependant
  in.type("3");
  in.keys({key::kPgDn});                            // stored
  in.keys({key::kEsc});                             // back on page 4, on the next field
  in.keys({key::kPgDn, 'T', key::kEsc});            // the person stored
  p.run();
  const console::HeadlessBackend& t = p.term();
  const Screen* back = nullptr;
  for (const Screen& s : t.waits())
    if (!back && s.cursor_row() == 6 && s.cursor_col() == 61) back = &s;
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(at(*back, 2, 7, 3), "001");
  EXPECT_EQ(at(*back, 2, 20, 12), "Kovács Péter");
  EXPECT_EQ(at(*back, 2, 66, 10), kPersonId);
  EXPECT_EQ(at(*back, 4, 2, 24), "Eltartottak adatai      ");
  EXPECT_EQ(at(*back, 0, 27, 16), "   Módosítás    ");
  EXPECT_EQ(person_row(in, 1, {"vkod", "szemszam", "nev", "jovedelem"}),
            std::string("vkod=001 szemszam=") + kPersonId + " nev=Kovács Péter jovedelem=5400000");
  EXPECT_EQ(in.rows("eltar23", {"vkod", "szemszam", "nev", "kedvtipus"}),
            (std::vector<std::string>{std::string("001,") + kPersonId + ",Kovács Bence,3"}));
}

TEST(DependantForm, AGivenUpWaitReopensTheDependantFormWithItsEntries) {
  Persons p;
  Install& in = p.in;
  Other other = other_station(in.s.dir, "eltar23", {}, [](xbase::WorkArea& a) { return a.flock(); });
  ASSERT_TRUE(other.ready());
  in.s.term->esc_after = 1;  // Esc in the wait window
  Steps steps(in);
  in.keys({'M', 'K', 'K', 'K', 'J', key::kEnter, key::kEnter});  // the dependant, modified
  in.type("3");
  in.keys({key::kPgDn});
  steps.then([&] { in.keys({'V'}); });  // "Vissza az adatokhoz"
  steps.then([&] {                      // the dependant form again, with the entry
    in.s.term->esc_after = -1;
    other.go();
    other.ready();
    in.keys({key::kPgDn});
  });
  steps.then([&] { in.keys({key::kEsc, key::kEsc, 'I', key::kEsc}); });
  p.run();
  EXPECT_EQ(other.finish(), 0);
  const console::HeadlessBackend& t = p.term();
  const Screen* ask = shown(t, 17, 23, "Az adatok nincsenek tárolva: az állomány foglalt.");
  ASSERT_NE(ask, nullptr);
  const Screen* again = nullptr;
  for (std::size_t i = static_cast<std::size_t>(ask - t.waits().data()) + 1; i < t.waits().size(); ++i)
    if (!again && t.waits()[i].cursor_row() == 3 && t.waits()[i].cursor_col() == 22) again = &t.waits()[i];
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(at(*again, 2, 2, 27), "Eltartó neve : Kovács Péter");
  EXPECT_EQ(at(*again, 0, 30, 9), "Módosítás");
  EXPECT_EQ(at(*again, 3, 22, 1), "3");
  EXPECT_EQ(in.rows("eltar23", {"nev", "kedvtipus"}), (std::vector<std::string>{"Kovács Bence,3"}));
}

TEST(DependantForm, KindOfAllowanceAndBirthDate) {
  Persons p;
  Install& in = p.in;
  in.keys({'M', 'K', 'K', 'K', 'J', key::kEnter, key::kEnter});
  in.type("4");  // mothers under 30: the title is asked
  in.type("3");
  press(in, key::kDown, 6);                       // to the birth date
  in.keys({key::ctrl('y'), key::kEnter});        // empty: refused
  in.type("18991231");                            // before 1900: refused
  in.type("20150302");
  in.keys({key::kEsc, 'I', key::kEsc, key::kEsc, 'I', key::kEsc});
  p.run();
  const console::HeadlessBackend& t = p.term();
  const Screen* title = wait_at(t, 3, 73);
  ASSERT_NE(title, nullptr);
  EXPECT_NE(row(*title, 7).find("3 - 2022.12.31. után örökbefogadott gyermek"), std::string::npos);
  int empty = 0, early = 0;
  for (const Screen& s : t.waits()) {
    if (s.cursor_row() != 9 || s.cursor_col() != 19 || at(s, 2, 2, 12) != "Eltartó neve") continue;
    empty += at(s, 9, 19, 10) == "    .  .  ";
    early += at(s, 9, 19, 10) == "1899.12.31";
  }
  EXPECT_GE(empty, 1);
  EXPECT_GE(early, 1);
  const Screen* on = wait_at(t, 10, 22);  // accepted only with 2015
  ASSERT_NE(on, nullptr);
  EXPECT_EQ(at(*on, 9, 19, 10), "2015.03.02");
}

}  // namespace
}  // namespace entry
