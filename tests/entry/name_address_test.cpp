// The composed name and street fields of the person form: the reader that takes the
// first key, the name and address windows at the form's positions, the composed
// texts, Esc in a window, the kinds of public space; the long address line; and the
// uniqueness check of a record key.
#include "entry/form_read.h"
#include "entry/help.h"
#include "entry/key_check.h"
#include "entry/name_address.h"
#include "entry_test_util.h"

namespace entry {
namespace {

using namespace testing;
using console::Screen;

// Page 1 of a person form in miniature: the name at (3,7), the birth name, the street
// line, then a plain field.
struct PersonPage {
  Install in;
  Form form;
  explicit PersonPage(FormMode mode) : form{in.ctx, mode} {
    in.open();
    in.select("VIRDA");
    shell::INI(in.ctx);
    in.s.con->set_key(key::kF1, [this](console::Console&) { HELP(in.ctx); });
  }
  void set(const char* name, const std::string& utf8) {
    const xbase::Value* v = in.s.vars.find(name);
    int width = v ? static_cast<int>(v->as_str().size()) : 0;
    set_var(in.ctx, name, xbase::Value::str(xbase::padr(cp(utf8), width)));
  }
  std::string get(const char* name) { return xbase::rtrim(in.var(name)); }
  void read() {
    console::Console& con = *in.s.con;
    console::GetList g;
    auto& name = g.add(con, in.s.vars, 3, 7, "XNEV", "@S33");
    name.reader = [this](console::ReadSession& s, console::GetField& f) { NEVGET(form, s, f); };
    name.valid = [this](console::ReadSession&) {
      return VEZ_UTO(form, HU("Dolgozó neve"), 5, 2, "XNEV", "XGROF", "XVEZNEV", "XUTONEV");
    };
    auto& birth = g.add(con, in.s.vars, 4, 7, "XLEANYNEV");
    birth.reader = name.reader;
    birth.valid = [this](console::ReadSession&) {
      return VEZ_UTO(form, HU("Születési név"), 8, 2, "XLEANYNEV", "", "XLVEZNEV", "XLUTONEV");
    };
    auto& street = g.add(con, in.s.vars, 5, 7, "XUTCA", "@S42");
    street.reader = name.reader;
    street.valid = [this](console::ReadSession&) {
      return KOZ_TER(form, HU("Cím részletezése"), 10, 2);
    };
    g.add(con, in.s.vars, 6, 7, "XSZULHELY");
    READESC(in.ctx, g);
  }
};

TEST(NameWindow, InAddModeTheFirstKeyStartsTheFamilyName) {
  PersonPage p(FormMode::Add);
  p.in.type("Kovács");  // K opens the window, "ovács" goes on after it
  p.in.keys({key::kEnter});
  p.in.type("Anna");
  p.in.keys({key::kEnter, key::kEnter});  // the title stays empty: the window closes
  p.in.keys({key::kEnter, key::kEnter, key::kEnter});  // birth name, street, place of birth
  p.read();
  EXPECT_EQ(p.get("XNEV"), "Kovács Anna");
  EXPECT_EQ(p.get("XVEZNEV"), "Kovács");
  const console::HeadlessBackend& t = *p.in.s.term;
  const Screen* hint = shown(t, 6, 5, "┌");
  ASSERT_NE(hint, nullptr);  // the hint under the empty name field
  EXPECT_EQ(at(*hint, 10, 38, 1), "┘");
  EXPECT_EQ(at(*hint, 7, 8, 25), "Ha a mezőbe elkezd adatot");
  EXPECT_EQ(at(*hint, 9, 8, 26), "a vezetéknévnek, utónévnek");
  EXPECT_EQ(at(*hint, 6, 13, 18), "Vezetéknév, utónév");
  const Screen* win = shown(t, 5, 17, "Dolgozó neve");
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(at(*win, 5, 2, 1), "╔");
  EXPECT_EQ(at(*win, 13, 44, 1), "╝");
  EXPECT_EQ(at(*win, 7, 5, 11), "Vezetéknév:");
  EXPECT_EQ(at(*win, 7, 17, 2), "K ");
  EXPECT_EQ(win->cursor_row(), 7);
  EXPECT_EQ(win->cursor_col(), 18);
  EXPECT_EQ(at(*win, 9, 5, 11), "Utónév    :");
  EXPECT_EQ(at(*win, 11, 5, 11), "Titulus   :");
  EXPECT_EQ(shown(t, 5, 17, "Születési név"), nullptr);  // Enter passed the birth name
}

TEST(NameWindow, InModifyModeAKeyOnlyOpensItAndTheNameIsComposedWithTheTitle) {
  PersonPage p(FormMode::Modify);
  p.set("XVEZNEV", "Minta");
  p.set("XUTONEV", "Péter");
  p.set("XNEV", "Minta Péter");
  p.in.keys({'x', key::kEnter, key::kEnter});  // the window: the parts as they were
  p.in.type("dr.");
  p.in.keys({key::kEnter, key::kEnter});  // refused: the titles listed
  p.in.type("Dr.");
  p.in.keys({key::kEnter, key::kEsc, 'I'});
  p.read();
  EXPECT_EQ(p.get("XNEV"), "Dr. Minta Péter");
  const console::HeadlessBackend& t = *p.in.s.term;
  const Screen* win = shown(t, 5, 17, "Dolgozó neve");
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(at(*win, 7, 17, 6), "Minta ");
  EXPECT_EQ(win->cursor_col(), 17);
  const Screen* titles = shown(t, 20, 54, "Csak ezek lehetnek");
  ASSERT_NE(titles, nullptr);
  EXPECT_EQ(at(*titles, 8, 54, 3), "Dr.");
  EXPECT_EQ(at(*titles, 15, 54, 4), "Özv.");
  EXPECT_EQ(at(*titles, 18, 54, 5), "Prof.");
}

TEST(NameWindow, PassingKeysOpenNoWindow) {
  PersonPage p(FormMode::Add);
  p.set("XNEV", "Minta Péter");
  p.in.keys({key::kEnter, key::kUp, key::kTab, key::kDown, key::kUp, key::kF1, 'q',
             key::kEsc, 'N', key::kPgDn});
  p.read();
  const console::HeadlessBackend& t = *p.in.s.term;
  for (const char* title : {"Dolgozó neve", "Születési név", "Cím részletezése"})
    EXPECT_EQ(count_shown(t, -1, title), 0) << title;
  EXPECT_EQ(count_shown(t, -1, "Kilépés tárolás nélkül?"), 1);
  EXPECT_NE(shown(t, 2, 13, "Adatfelvitelnél"), nullptr);
  EXPECT_EQ(p.get("XNEV"), "Minta Péter");
  EXPECT_EQ(p.in.s.con->last_key(), key::kEnter);  // the PgDn run ended the read
}

TEST(NameWindow, EscInAWindowPutsThePartsBack) {
  PersonPage p(FormMode::Modify);
  p.set("XLVEZNEV", "Nagy");
  p.set("XLUTONEV", "Ilona");
  p.set("XLEANYNEV", "Nagy Ilona");
  p.in.keys({key::kEnter, 'x'});  // to the birth name; a key opens its window
  p.in.keys({key::ctrl('y')});
  p.in.type("Kiss");
  p.in.keys({key::kEnter, key::kEsc, key::kEsc, 'I'});
  p.read();
  EXPECT_EQ(p.get("XLVEZNEV"), "Nagy");
  EXPECT_EQ(p.get("XLEANYNEV"), "Nagy Ilona");
  const Screen* win = shown(*p.in.s.term, 8, 17, "Születési név");
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(at(*win, 14, 2, 1), "╚");
  EXPECT_EQ(at(*win, 10, 5, 11), "Vezetéknév:");
  EXPECT_EQ(at(*win, 12, 5, 11), "Utónév    :");
  EXPECT_EQ(at(*win, 13, 5, 11), "           ");  // no title part
}

TEST(AddressWindow, PartsComposeTheStreetLineWithTheirBlanks) {
  PersonPage p(FormMode::Add);
  p.in.keys({key::kEnter, key::kEnter});
  p.in.type("Fő");  // F opens the window and starts the name of the public space
  p.in.keys({key::kEnter});
  p.in.type("postafiók");
  p.in.keys({key::kEnter, key::ctrl('y')});  // a post box is no street: refused silently
  p.in.type("utca");
  p.in.keys({key::kEnter});
  p.in.type("12");
  p.in.keys({key::kEnter, key::kEnter, key::kEnter});
  p.in.type("3");
  p.in.keys({key::kEnter});
  p.in.type("7");
  p.in.keys({key::kEnter, key::kEnter});
  p.read();
  EXPECT_EQ(p.get("XUTCA"), "Fő utca 12   3 7");
  EXPECT_EQ(p.in.s.vars.find("XUTCA")->as_str().size(), 57u);
  const console::HeadlessBackend& t = *p.in.s.term;
  const Screen* win = shown(t, 10, 30, "Cím részletezése");
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(at(*win, 10, 2, 1), "╔");
  EXPECT_EQ(at(*win, 16, 74, 1), "╝");
  EXPECT_EQ(at(*win, 12, 5, 34), "-közterület (utca,tér stb.) neve :");
  EXPECT_EQ(at(*win, 14, 5, 9), "-házszám:");
  // The cursor visits the fields at their places.
  std::vector<std::pair<int, int>> places;
  for (const Screen& s : t.waits())
    if (at(s, 10, 30, 16) == "Cím részletezése" &&
        (places.empty() || places.back() != std::make_pair(s.cursor_row(), s.cursor_col())))
      places.emplace_back(s.cursor_row(), s.cursor_col());
  for (auto want : {std::make_pair(12, 41), {13, 40}, {14, 15}, {14, 30}, {14, 45}, {14, 57},
                    {14, 70}})
    EXPECT_NE(std::find(places.begin(), places.end(), want), places.end())
        << want.first << "," << want.second;
}

TEST(AddressWindow, TheLongAddressLineNamesTheParts) {
  struct {
    Install in;
  } p;
  p.in.person("001", "Minta Péter", "8123456789", "M",
              {{"koztnev", "Fő"}, {"kozter", "utca"}, {"hazszam", "12"}, {"emelet", "3"},
               {"ajto", "7"}});
  p.in.company("001", "Alfa", {{"utca", "Kossuth Lajos"}, {"kozter", "tér"}, {"hazszam", "1"},
                               {"epulet", "B"}, {"lepcso", "2"}});
  p.in.open();
  p.in.select("VIRDA");
  EXPECT_EQ(xbase::cp852_to_utf8(UTCAHOSSZ(p.in.ctx)), "Fő utca 12 3 emelet 7 ajtó");
  p.in.select("VALLAL");
  EXPECT_EQ(xbase::cp852_to_utf8(UTCAHOSSZ(p.in.ctx)),
            "Kossuth Lajos tér 1 B épület 2 lépcsőház");
  EXPECT_EQ(xbase::cp852_to_utf8(compose_name("", cp("Minta"), cp("Péter"), 40)),
            "Minta Péter" + std::string(29, ' '));
  EXPECT_EQ(compose_name("Dr.", "", "Anna", 12), "Dr.  Anna   ");
}

struct KeyCheck : ::testing::Test {
  Install in;
  void SetUp() override {
    in.company("001", "Alfa");
    in.company("003", "Gamma");
    in.company("005", "Delta");
    in.open();
    xbase::WorkArea& a = in.select("VALLAL");
    a.go_to(2);
    ASSERT_TRUE(a.rlock());
    a.delete_record();  // 003 is deleted
    a.unlock();
  }
  bool check(FormMode mode, uint32_t recno, const char* code) {
    Form form{in.ctx, mode, recno};
    set_var(in.ctx, "XVKOD", xbase::Value::str(code));
    return IDXJO(form, "Xvkod", 1);
  }
};

TEST_F(KeyCheck, OwnKeyInModifyModeAnyOtherInAddMode) {
  xbase::WorkArea& a = in.s.areas.current();
  a.go_to(3);
  EXPECT_TRUE(check(FormMode::Modify, 1, "001"));  // the form's own record
  EXPECT_EQ(a.recno(), 1u);                        // back on the form's record
  in.keys({key::kEnter});
  EXPECT_FALSE(check(FormMode::Modify, 3, "001"));  // another record's key
  EXPECT_EQ(count_shown(*in.s.term, 18, "Ez már volt. Nem lehet újra felvinni !"), 1);
  in.keys({key::kEnter});
  EXPECT_FALSE(check(FormMode::Add, 0, "005"));
  EXPECT_TRUE(a.eof());  // past the last record, where the new one goes
  EXPECT_TRUE(check(FormMode::Add, 0, "003"));  // only a deleted record had it
  EXPECT_TRUE(check(FormMode::Add, 0, "002"));
}

TEST_F(KeyCheck, UpPassesAndOrderAndCursorAreKept) {
  xbase::WorkArea& a = in.s.areas.current();
  a.set_order(0);
  in.s.con->set_pos(7, 9);
  in.s.con->set_last_key(key::kUp);
  EXPECT_TRUE(check(FormMode::Add, 0, "001"));  // no message: the user goes back
  EXPECT_EQ(in.s.term->waits().size(), 0u);
  EXPECT_EQ(a.order_number(), 0);
  EXPECT_EQ(in.s.con->row(), 7);
  EXPECT_EQ(in.s.con->col(), 9);
  EXPECT_EQ(in.s.areas.current().alias(), "VALLAL");
}

TEST(KeyCheckPersons, TheYearTablesRecordKeyInItsSecondOrder) {
  Install in;
  in.person("001", "Kovács Anna", "8123456789", "M");
  in.open();
  in.select("VIRDA");
  Form form{in.ctx, FormMode::Add};
  set_var(in.ctx, "XVKOD", xbase::Value::str("001"));
  set_var(in.ctx, "XSZEMSZAM", xbase::Value::str("8123456789"));
  set_var(in.ctx, "XNYILAT", xbase::Value::str("K"));
  EXPECT_TRUE(IDXJO(form, "Xvkod+Xszemszam+Xnyilat", 2));  // a payer's certificate beside
  set_var(in.ctx, "XNYILAT", xbase::Value::str("M"));
  in.keys({key::kEnter});
  EXPECT_FALSE(IDXJO(form, "Xvkod+Xszemszam+Xnyilat", 2));
  EXPECT_EQ(in.s.areas.current().order_number(), 1);
}

}  // namespace
}  // namespace entry
