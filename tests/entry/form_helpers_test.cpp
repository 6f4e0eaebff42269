// The helpers of the record forms: the read with the exit question and the PgDn
// run, the F1 help with its pick lists and key screen, the field help box and the
// bottom menu.
#include "console/get_read.h"
#include "entry/bottom_menu.h"
#include "entry/form_read.h"
#include "entry/help.h"
#include "entry/help_box.h"
#include "entry_test_util.h"
#include "ui/dialogs.h"

namespace entry {
namespace {

using namespace testing;
using console::Screen;

struct TestForm {
  Install in;
  console::GetList fields;
  TestForm() {
    in.company("001", "Alfa Kft.", {{"helyseg", "Győr"}});
    in.company("002", "Béta Bt.", {{"helyseg", "Sopron"}});
    in.company("003", "Gamma Kft.", {{"helyseg", "Pécs"}});
    in.person("001", "Kovács Anna", "8123456789");
    in.person("002", "Antal Ödön", "8123456791");
    in.open();
    in.s.con->set_key(key::kF1, [this](console::Console&) { HELP(in.ctx); });
  }
  console::GetField& field(int r, const char* name, const char* value, const char* picture = "") {
    set_var(in.ctx, name, xbase::Value::str(value));
    return fields.add(*in.s.con, in.s.vars, r, 10, name, picture);
  }
};

TEST(FormRead, PgDnRunsTheChecksAndStopsAtTheFirstRefusalWithOneMessage) {
  TestForm f;
  int checked_c = 0, messages = 0;
  f.field(1, "XA", "a");
  f.field(2, "XB", "  ").valid = [&](console::ReadSession&) {
    if (f.in.var("XB") == "ok") return true;
    ++messages;
    ui::kerdez(*f.in.s.con, "rossz", {"OK"});
    return false;
  };
  f.field(3, "XC", "c").valid = [&](console::ReadSession&) { return ++checked_c > 0; };
  f.field(4, "XD", "d");
  f.in.keys({key::kPgDn, key::kEnter});  // the run stops in B; Enter answers the message
  f.in.type("ok");
  f.in.keys({key::kPgDn});  // from B through C and D: the read ends
  READESC(f.in.ctx, f.fields);
  EXPECT_EQ(messages, 1);
  EXPECT_EQ(checked_c, 1);
  EXPECT_EQ(f.in.var("XB"), "ok");
  EXPECT_EQ(f.in.s.con->last_key(), key::kEnter);  // after the last field
  EXPECT_TRUE(f.in.s.con->keyboard_empty());
  // The bindings are what they were.
  EXPECT_EQ(f.in.s.con->hot_keys().count(key::kPgDn), 0u);
  EXPECT_EQ(f.in.s.con->hot_keys().count(key::kEsc), 0u);
  EXPECT_TRUE(f.in.s.con->field_keys().empty());
}

TEST(FormRead, EscAsksAndNoGoesBackToTheField) {
  TestForm f;
  f.field(1, "XA", "aaa");
  f.field(2, "XB", "bbb");
  f.in.keys({key::kEnter, key::kEsc, 'N'});  // in B: Esc, "Nem"
  f.in.type("x");                             // still typing into B
  f.in.keys({key::kEsc, 'I'});                // Esc, "Igen"
  READESC(f.in.ctx, f.fields);
  EXPECT_EQ(f.in.s.con->last_key(), key::kEsc);
  EXPECT_EQ(f.in.var("XB"), "xbb");
  EXPECT_EQ(count_shown(*f.in.s.term, -1, "Kilépés tárolás nélkül?"), 2);
}

TEST(FormRead, KeysKeepTheirMeaningInABoxAndInANestedPlainRead) {
  TestForm f;
  int answer = -1;
  f.field(1, "XA", "a").valid = [&](console::ReadSession&) {
    answer = ui::kerdez(*f.in.s.con, "Kérdés", {"Egy", "Kettő"});
    return true;
  };
  bool inner_esc = false;
  f.field(2, "XB", "b").valid = [&](console::ReadSession&) {
    console::GetList inner;
    set_var(f.in.ctx, "XI", xbase::Value::str("i"));
    inner.add(*f.in.s.con, f.in.s.vars, 5, 5, "XI");
    plain_read(f.in.ctx, inner);
    inner_esc = f.in.s.con->last_key() == key::kEsc;
    return true;
  };
  // Esc in the box answers it; Esc in the inner read ends that read; then the last
  // field ends the form's read.
  f.in.keys({key::kEnter, key::kEsc, key::kEnter, key::kEsc});
  READESC(f.in.ctx, f.fields);
  EXPECT_EQ(answer, 0);
  EXPECT_TRUE(inner_esc);
  EXPECT_EQ(count_shown(*f.in.s.term, -1, "Kilépés tárolás nélkül?"), 0);
}

TEST(FormRead, ANestedFormReadPutsTheOuterBindingsBack) {
  TestForm f;
  int outer_escapes = 0;
  f.field(1, "XA", "a").valid = [&](console::ReadSession&) {
    console::GetList inner;
    set_var(f.in.ctx, "XI", xbase::Value::str("i"));
    inner.add(*f.in.s.con, f.in.s.vars, 5, 5, "XI");
    READESC(f.in.ctx, inner);
    return true;
  };
  f.field(2, "XB", "b");
  f.in.s.con->set_key(key::kEsc, [&](console::Console&) { ++outer_escapes; });
  f.in.keys({key::kEnter, key::kEnter,  // into the inner read, Enter ends it
             key::kEsc, 'N', key::kEnter});
  READESC(f.in.ctx, f.fields);
  EXPECT_EQ(count_shown(*f.in.s.term, -1, "Kilépés tárolás nélkül?"), 1);
  ASSERT_EQ(f.in.s.con->hot_keys().count(key::kEsc), 1u);  // the binding from before
  f.in.s.con->hot_keys().at(key::kEsc)(*f.in.s.con);
  EXPECT_EQ(outer_escapes, 1);
}

TEST(Help, CompanyCodeFieldPicksACompanyAndPutsTheTableBack) {
  TestForm f;
  xbase::WorkArea& companies = f.in.select("VALLAL");
  companies.go_to(2);
  f.field(1, "XVKOD", "   ", "@K 999");
  f.field(2, "XNEV", "n");
  // F1, the list, Down twice to 003, Enter types it; typing fills the field: on to
  // the name; there F1 is the key help; any key; Enter ends the read.
  f.in.keys({key::kF1, key::kDown, key::kEnter, key::kF1, 'x', key::kEnter});
  READESC(f.in.ctx, f.fields);
  EXPECT_EQ(f.in.var("XVKOD"), "003");
  EXPECT_EQ(companies.recno(), 2u);
  EXPECT_EQ(f.in.s.areas.current().alias(), "VALLAL");
  const Screen* list = shown(*f.in.s.term, 3, 2, "Kód");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(at(*list, 2, 1, 3), "┌──");
  EXPECT_EQ(at(*list, 22, 77, 1), "┘");
  EXPECT_EQ(at(*list, 3, 8, 3), "Név");
  // The list starts where the table was: on 002, below 001.
  EXPECT_NE(row(*list, 6).find("002 │ Béta Bt."), std::string::npos);
  EXPECT_NE(list->at(6, 2).attr, list->at(5, 2).attr);
  EXPECT_NE(shown(*f.in.s.term, 2, 13, "Adatfelvitelnél"), nullptr);
}

TEST(Help, EscInTheCompanyListAndEnterInAnEmptyOneChooseNothing) {
  TestForm f;
  f.in.select("VALLAL");
  f.field(1, "XVKOD", "005", "@K 999");
  f.in.keys({key::kF1, key::kEsc, key::kEnter});
  READESC(f.in.ctx, f.fields);
  EXPECT_EQ(f.in.var("XVKOD"), "005");

  TestForm g;
  xbase::WorkArea& companies = g.in.select("VALLAL");
  ASSERT_TRUE(companies.flock());
  for (companies.go_top(); !companies.eof(); companies.go_top()) companies.delete_record();
  companies.unlock();
  g.field(1, "XVKOD", "005", "@K 999");
  g.in.keys({key::kF1, key::kEnter, key::kEnter});
  READESC(g.in.ctx, g.fields);
  EXPECT_EQ(g.in.var("XVKOD"), "005");
}

TEST(Help, PersonPickListSetsTheIdentifierAndLeavesTheYearTableOnItsRecord) {
  TestForm f;
  xbase::WorkArea& persons = f.in.select("VIRDA");
  persons.go_to(1);
  set_var(f.in.ctx, "KSZEMSZAM", xbase::Value::str("          "));
  f.field(1, "KSZEMSZAM", "          ");
  f.in.keys({key::kF1, key::kDown, key::kEnter, key::kEnter});
  READESC(f.in.ctx, f.fields);
  EXPECT_EQ(f.in.var("KSZEMSZAM"), "8123456791");  // Antal Ödön, below Kovács Anna
  EXPECT_EQ(persons.recno(), 1u);                   // the table is back on Kovács Anna
  const Screen* list = shown(*f.in.s.term, 3, 10, "┌");
  ASSERT_NE(list, nullptr);
  EXPECT_NE(row(*list, 3).find("Kiválasztás igazolás nyomtatáshoz"), std::string::npos);
  EXPECT_EQ(at(*list, 21, 11, 58), xbase::cp852_to_utf8(xbase::padc(HU("Kiválasztás - ENTER"), 58)));
  EXPECT_EQ(list->at(18, 11).ch, ' ');  // two persons: nothing more below
}

TEST(Help, TheNameOfTheFieldChoosesTheHelp) {
  EXPECT_EQ(help_subject("Xvkod"), "VKOD");
  EXPECT_EQ(help_subject("KVKOD1"), "VKOD");
  EXPECT_EQ(help_subject("Xszemszam"), "SZEMSZAM");
  EXPECT_EQ(help_subject("KSZEMSZAM"), "SZEMSZAM");
  EXPECT_EQ(help_subject("Xelsohh01"), "ELSOHH");
  EXPECT_EQ(help_subject("MAINAP"), "MAINAP");
  EXPECT_EQ(help_subject(""), "");
}

TEST(Help, KeyHelpScreenOutsideAFieldAndBack) {
  TestForm f;
  f.in.s.con->say(10, 10, "alatta");
  f.in.keys({'q'});
  HELP(f.in.ctx);
  const Screen& sc = f.in.s.term->waits().at(0);
  EXPECT_EQ(row(sc, 1), "╔" + xbase::replicate("═", 78) + "╗");
  EXPECT_EQ(row(sc, 23), "╚" + xbase::replicate("═", 78) + "╝");
  EXPECT_EQ(at(sc, 4, 0, 80), "║" + xbase::replicate("─", 78) + "║");
  EXPECT_EQ(at(sc, 2, 13, 52), "Adatfelvitelnél és kereséskor használható billentyűk");
  EXPECT_EQ(at(sc, 5, 8, 4), "Home");
  EXPECT_EQ(at(sc, 5, 21, 27), "A kurzor a mező elejére áll");
  EXPECT_EQ(sc.at(8, 8).ch, 0x18);
  EXPECT_EQ(sc.at(9, 8).ch, 0x19);
  EXPECT_EQ(at(sc, 9, 21, 31), "A kurzor a következő mezőre áll");
  EXPECT_EQ(at(sc, 11, 8, 4), "PgDn");
  EXPECT_EQ(at(sc, 12, 21, 39), "az ENTER billentyű ismételt megnyomását");
  EXPECT_EQ(at(sc, 20, 8, 3), "Esc");
  EXPECT_EQ(at(sc, 20, 21, 24), "Kilépés eltárolás nélkül");
  EXPECT_EQ(sc.at(2, 13).attr, 0x1e);  // "GR+/B"
  EXPECT_EQ(at(f.in.s.con->screen(), 10, 10, 6), "alatta");
}

TEST(HelpBox, ShownAtItsCornerOrMovedLeftAndRemoved) {
  Install in;
  console::Console& con = *in.s.con;
  con.say(7, 25, "alatta");
  HelpBox box;
  EXPECT_TRUE(GET_MESS(box, con, "be",
                       {cp("Igazolás"), cp("M - munkáltatói"), cp("K - kifizetői"), cp("E - más kifizetés")},
                       5, 20));
  const Screen& sc = con.screen();
  EXPECT_EQ(at(sc, 5, 20, 22), "┌      Igazolás      ┐");
  EXPECT_EQ(at(sc, 6, 20, 22), "│ M - munkáltatói    │");
  EXPECT_EQ(at(sc, 8, 20, 22), "│ E - más kifizetés  │");
  EXPECT_EQ(at(sc, 9, 20, 22), "└────────────────────┘");
  EXPECT_EQ(sc.at(5, 27).attr, 0x20);  // the title bar "n/g"
  EXPECT_EQ(sc.at(5, 20).attr, 0x02);  // the frame "g"
  EXPECT_EQ(sc.at(6, 22).attr, 0x06);  // the lines "gr"
  EXPECT_TRUE(GET_MESS(box, con, "ki"));
  EXPECT_EQ(at(sc, 7, 25, 6), "alatta");
  EXPECT_EQ(at(sc, 5, 20, 22), std::string(22, ' '));

  std::string long_line(65, 'x');
  GET_MESS(box, con, "", {"", long_line}, 3, 30);
  EXPECT_EQ(at(sc, 3, 9, 1), "┌");
  EXPECT_EQ(at(sc, 3, 78, 1), "┐");
  EXPECT_EQ(at(sc, 3, 10, 10), xbase::replicate("─", 10));  // no title
  EXPECT_EQ(at(sc, 4, 11, 65), long_line);
  EXPECT_EQ(at(sc, 5, 9, 1), "└");
}

TEST(BottomMenu, LetterOrEnterChoosesAndEscGives27) {
  Install in;
  console::Console& con = *in.s.con;
  con.say(24, 0, "alatta");
  const std::vector<std::string> items = {cp("Javít"), cp("Következő kép"), cp("Tárolás")};
  in.keys({'t'});
  EXPECT_EQ(ALSOMENU(in.ctx, items, "Lap 1"), 'T');
  const Screen& sc = in.s.term->waits().at(0);
  EXPECT_EQ(at(sc, 24, 0, 47), "Lap 1 Javít   Következő kép   Tárolás          ");
  EXPECT_EQ(at(con.screen(), 24, 0, 6), "alatta");
  in.keys({key::kRight, key::kEnter});
  EXPECT_EQ(ALSOMENU(in.ctx, items), 'K');
  EXPECT_EQ(at(in.s.term->waits().back(), 24, 0, 6), "Javít ");
  in.keys({key::kEsc});
  EXPECT_EQ(ALSOMENU(in.ctx, items), 27);
}

}  // namespace
}  // namespace entry
