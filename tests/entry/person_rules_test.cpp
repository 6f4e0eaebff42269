// The person form's fields at work: the income rows, the duplicate certificate,
// the PgDn walk, the help, the K91 fields, the EKHO total, the help boxes of page 4,
// and leaving from the bottom menu.
#include "person_test_util.h"

namespace entry {
namespace {

using namespace testing;
using console::Screen;

// The first screen that waited with the cursor at row, column (from wait `from`).
const Screen* wait_at(const console::HeadlessBackend& t, int r, int c, std::size_t from = 0) {
  for (std::size_t i = from; i < t.waits().size(); ++i)
    if (t.waits()[i].cursor_row() == r && t.waits()[i].cursor_col() == c) return &t.waits()[i];
  return nullptr;
}

int count_shown_on(const Screen& s, const std::string& text) {
  int n = 0;
  for (int r = 0; r < 25; ++r) n += row(s, r).find(text) != std::string::npos;
  return n;
}

TEST(PersonRules, IncomeRowsShowTheirIncomeOnlyForAnAcceptedCost) {
  Persons p;
  Install& in = p.in;
  in.keys({'M', 'J'});
  press(in, key::kDown, 21);  // to the cost of row 2 (revenue 120,000)
  in.type("130000");
  in.keys({key::kEnter, key::ctrl('y')});  // more than the revenue: refused
  in.type("20000");
  in.keys({key::kEnter});
  press(in, key::kDown, 5);  // the cost of row 6 (revenue 60,000)
  in.type("50000");
  in.keys({key::kEnter, key::kUp});
  in.type("60000");          // equal to the revenue: accepted, no income
  in.keys({key::kEnter, key::kDown, key::kDown});
  in.type("1000001");        // row 8 above row 7's 1,000,000: refused
  in.keys({key::kEnter, key::ctrl('y')});
  in.type("1000000");
  in.keys({key::kEnter, key::kEsc, 'I', key::kEsc});
  p.run();
  const console::HeadlessBackend& t = p.term();
  const Screen* row3 = wait_at(t, 13, 52);
  ASSERT_NE(row3, nullptr);
  EXPECT_EQ(at(*row3, 12, 61, 17), "   20000   100000");
  const Screen* row7 = wait_at(t, 17, 52);  // after the cost of 50,000
  ASSERT_NE(row7, nullptr);
  EXPECT_EQ(at(*row7, 16, 69, 9), "    10000");
  const Screen* again = wait_at(t, 17, 52, static_cast<std::size_t>(row7 - t.waits().data()) + 1);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(at(*again, 16, 61, 17), "   60000         ");
  const Screen* row8cost = wait_at(t, 18, 61);
  ASSERT_NE(row8cost, nullptr);
  EXPECT_EQ(at(*row8cost, 18, 52, 8), " 1000000");
  // Nothing stored: the exit question was answered "Igen".
  EXPECT_EQ(person_row(in, 1, {"mvktgbizn", "ktgbiznel", "ingberbe"}),
            "mvktgbizn=20000 ktgbiznel=60000 ingberbe=400000");
}

TEST(PersonRules, ADuplicateCertificateKeepsTheCursorInTheKindFieldUntilUp) {
  Persons p;
  Install& in = p.in;
  in.keys({'F'});
  in.type(std::string("001") + kPersonId);
  in.keys({key::kEnter});
  in.type("M");             // Kovács Péter's kind: the message
  in.keys({key::kEnter});   // OK
  in.keys({key::kUp});      // Up leaves it without a message
  in.keys({key::kEsc, 'I', key::kEsc});
  p.run();
  const console::HeadlessBackend& t = p.term();
  EXPECT_EQ(count_shown(t, -1, "Ez már volt. Nem lehet újra felvinni !"), 1);
  const Screen* message = shown_on_row(t, 18, "Ez már volt. Nem lehet újra felvinni !");
  ASSERT_NE(message, nullptr);
  const std::size_t after = static_cast<std::size_t>(message - t.waits().data()) + 1;
  ASSERT_LT(after + 1, t.waits().size());
  EXPECT_EQ(t.waits()[after].cursor_row(), 3);
  EXPECT_EQ(t.waits()[after].cursor_col(), 50);
  EXPECT_EQ(t.waits()[after + 1].cursor_col(), 7);  // the name
  EXPECT_EQ(in.rows("virda23", {"nev"}).size(), 2u);
}

TEST(PersonRules, PgDnWalksPastTheComposedFieldsAndStopsAtABlankSexCode) {
  Persons p;
  Install& in = p.in;
  in.keys({key::kDown, 'M', 'J', key::kPgDn});  // Nagy Béla, without a sex code
  in.type("2");                                   // then on to the end of the page
  in.keys({key::kPgDn, 'T', key::kEsc});
  p.run();
  const console::HeadlessBackend& t = p.term();
  const Screen* stop = wait_at(t, 5, 76);
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(at(*stop, 7, 64, 12), "┌    Neme   ");  // its help box
  // No name or address window opened on the way.
  EXPECT_EQ(count_shown(t, -1, "Dolgozó neve"), 0);
  EXPECT_EQ(count_shown(t, -1, "Cím részletezése"), 0);
  EXPECT_EQ(person_row(in, 2, {"nev", "neme"}), "nev=Nagy Béla neme=2");
}

TEST(PersonRules, PickListsInTheKeyFields) {
  Persons p;
  Install& in = p.in;
  // F1 in the company code lists the companies; Enter on 002 types "002".
  in.keys({'F', key::kF1, key::kDown, key::kEnter});
  in.keys({key::kEsc, 'I'});
  // F1 in the tax identifier lists the persons and moves the year table; Tárolás
  // still writes the record the form loaded.
  in.keys({'M', 'J', key::kDown, key::kF1, key::kDown, key::kEnter});
  in.keys({key::kUp});
  in.type("1");  // company "1" becomes "001"
  in.keys({key::kPgDn, 'T', key::kEsc});
  p.run();
  const console::HeadlessBackend& t = p.term();
  const Screen* code = wait_at(t, 2, 56);
  ASSERT_NE(code, nullptr);
  EXPECT_EQ(at(*code, 2, 7, 3), "002");
  EXPECT_NE(shown_on_row(t, 3, "Kiválasztás igazolás nyomtatáshoz"), nullptr);
  EXPECT_EQ(person_row(in, 1, {"vkod", "nev"}), "vkod=001 nev=Kovács Péter");
  EXPECT_EQ(person_row(in, 2, {"vkod", "nev"}), "vkod=001 nev=Nagy Béla");
  EXPECT_EQ(in.rows("virda23", {"nev"}).size(), 2u);
}

TEST(PersonRules, TheQuarterlyK91FieldsOnlyAfterATakenOverEkho) {
  for (bool taken_over : {false, true}) {
    SCOPED_TRACE(taken_over);
    Persons p;
    Install& in = p.in;
    if (!taken_over) in.keys({key::kDown});  // Nagy Béla: neither flag
    in.keys({'M', 'K', 'K', 'K', 'K', 'K', 'J'});
    press(in, key::kDown, 28);  // the 28 fields of page 6 before the quarters
    if (taken_over)
      in.keys({key::kEsc, 'I', key::kEsc});  // a question: the quarter was entered
    else
      in.keys({key::kEsc, key::kEsc});
    p.run();
    const console::HeadlessBackend& t = p.term();
    EXPECT_EQ(wait_at(t, 21, 5) != nullptr, taken_over);
    // Without them the last Down ended the read: the menu.
    EXPECT_EQ(menu_of_page(t, 6, t.waits().size() - 2) != nullptr, !taken_over);
  }
}

// The 9.5 % total against the bases the payer settles: rows 4.1, 4.2 and row 4.3's
// 9.5 % base make 490,000 (46,550 ± 14); once the person took over row 4.3, 450,000
// (42,750 ± 14).
TEST(PersonRules, TheEkhoTotalCountsTheRowsThePayerSettles) {
  Persons p;
  Install& in = p.in;
  in.keys({'M', 'K', 'K', 'K', 'K', 'K', 'J'});
  press(in, key::kDown, 18);                                    // row 4.2's declaration "X"
  in.keys({key::ctrl('y'), key::kEnter, key::kDown, key::kDown});  // cleared; row 4.3
  in.type("40000");                                             // its 9.5 % base
  in.keys({key::kEnter, key::kDown, key::kDown, key::kDown, key::kDown});  // the total
  for (const char* total : {"46565", "46535", "46536"}) {
    in.keys({key::ctrl('y')});
    in.type(total);
    in.keys({key::kEnter});
  }
  in.keys({key::kUp, key::kUp});
  in.type("X");  // row 4.3 taken over
  for (const char* total : {"42765", "42735", "42764"}) {
    in.keys({key::ctrl('y')});
    in.type(total);
    in.keys({key::kEnter});
  }
  in.keys({key::kEsc, 'I', key::kEsc});
  p.run();
  // The totals that let the cursor on to the upper limit.
  std::vector<std::string> passed;
  for (const Screen& s : p.term().waits()) {
    if (s.cursor_row() != 19 || s.cursor_col() != 21) continue;
    const std::string total = xbase::alltrim(at(s, 16, 39, 9));
    if (passed.empty() || passed.back() != total) passed.push_back(total);
  }
  EXPECT_EQ(passed, (std::vector<std::string>{"46536", "42764"}));
}

TEST(PersonRules, HelpBoxesOfPage4NameTheCertificateRows) {
  Persons p;
  Install& in = p.in;
  in.keys({'M', 'K', 'K', 'K', 'J'});
  press(in, key::kDown, 7);  // the first-marriage allowance used for the advance
  in.keys({key::kDown, key::kDown});  // the family allowance used for the advance
  in.keys({key::kEsc, 'I', key::kEsc});
  p.run();
  const console::HeadlessBackend& t = p.term();
  EXPECT_GE(count_shown(t, -1, "gyelembe vehető összegtől. Az M30 611. sorban ez jelenik meg."), 1);
  EXPECT_GE(count_shown(t, -1, "gesen figyelembe vehető összegtől. Az M30 612. sorban ez jele-"), 1);
  EXPECT_EQ(count_shown(t, -1, "Az M30 20. sorban"), 0);
  EXPECT_EQ(count_shown(t, -1, "Az M30 610. sorban"), 0);
}

TEST(PersonRules, EscInTheMenuAsksOnlyWhenTheEntriesChanged) {
  Persons p;
  Install& in = p.in;
  // An unchanged record: Esc leaves at once.
  in.keys({'M', 'K', key::kEsc});
  // A changed one: the question; "Nem" goes back to the menu, "Igen" throws away.
  in.keys({'M', 'J'});
  in.type("002");
  in.keys({key::kPgDn, key::kEsc, 'N', key::kEsc, 'I'});
  // A new one is always asked about.
  new_person_page1(in, "8123456786");
  in.keys({key::kEsc, 'I', key::kEsc});
  p.run();
  const console::HeadlessBackend& t = p.term();
  EXPECT_EQ(count_shown(t, -1, "Kilépés tárolás nélkül?"), 3);
  // After "Nem" the menu waited again.
  int menus_of_changed = 0;
  for (const Screen& s : t.waits())
    menus_of_changed += at(s, 2, 7, 3) == "002" && at(s, 24, 0, 5) == "Javít" &&
                        count_shown_on(s, "Kilépés") == 0;
  EXPECT_EQ(menus_of_changed, 2);
  EXPECT_EQ(in.rows("virda23", {"vkod", "nev"}),
            (std::vector<std::string>{"001,Kovács Péter", "001,Nagy Béla"}));
}

}  // namespace
}  // namespace entry
