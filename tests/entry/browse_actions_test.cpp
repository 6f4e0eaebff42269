// What the browse screen does with its keys: the empty table, the quick search, the
// search by form and its continuation, the deletion with its two questions and a
// company's persons.
#include <vector>

#include "entry/browse_screen.h"
#include "entry/dependants_browse.h"
#include "entry_test_util.h"

namespace entry {
namespace {

using namespace testing;
using console::Screen;

// Notes the browsed record whenever F10 is pressed.
struct Marks {
  std::vector<std::string> names;
  Marks(Install& in, const char* field) {
    in.s.con->set_key(key::kF10, [&in, this, field](console::Console&) {
      xbase::WorkArea& a = in.s.areas.current();
      names.push_back(a.eof() ? "<eof>" : xbase::cp852_to_utf8(xbase::rtrim(a.get(field).as_str())));
    });
  }
};

void persons(Install& in) {
  in.company("001", "Alfa Informatikai Kft.");
  in.company("002", "Béta Bt.");
  in.person("001", "Antal Béla", "8123456701");
  in.person("001", "Kozma Ödön", "8123456702");
  in.person("001", "Kőszegi Éva", "8123456703");
  in.person("001", "Kovács Anna", "8123456704");
  in.person("002", "Kovács Zoltán", "8123456705");
}

TEST(BrowseKeys, OnAnEmptyTableOnlyAddingOpensAForm) {
  Install in;
  in.open();
  in.select("VALLAL");
  in.keys({'K', 'M', key::kEnter, 'T', 'k', 'm', 't', 'F', key::kEsc, 'I', key::kEsc});
  EXPECT_TRUE(DBEDFELV(in.ctx));
  const console::HeadlessBackend& t = *in.s.term;
  EXPECT_EQ(count_shown(t, 0, "Keresés") + count_shown(t, 0, "Módosítás"), 0);
  EXPECT_EQ(count_shown(t, -1, "törlése"), 0);
  EXPECT_NE(shown(t, 0, 31, "Felvitel"), nullptr);
  // The phantom record shows highlighted with blanks.
  EXPECT_EQ(at(t.waits().at(0), 7, 1, 5), "    │");
  EXPECT_TRUE(in.rows("vallal", {"vkod"}).empty());
}

TEST(BrowseKeys, QuickSearchSeeksCodeAndNameByTheCollationKey) {
  Install in;
  persons(in);
  in.open();
  in.select("VIRDA");
  Marks m(in, "nev");
  in.type("g001kov");  // the first person of 001 whose name begins with KOV
  in.keys({key::kF10, key::kEnter});
  in.type("g001kő");  // the accented capital of the collation key
  in.keys({key::kF10});
  in.type("x");  // no match: the cursor stays
  in.keys({key::kF10, key::kEsc, key::kF10, key::kEsc});  // Esc ends only the search
  DBEDFELV(in.ctx);
  EXPECT_EQ(m.names, (std::vector<std::string>{"Kovács Anna", "Kőszegi Éva", "Kőszegi Éva",
                                               "Kőszegi Éva"}));
}

TEST(BrowseKeys, QuickSearchTakesCommandLettersAndKeepsHotKeys) {
  Install in;
  persons(in);
  in.open();
  in.select("VIRDA");
  int f2 = 0;
  in.s.con->set_key(key::kF2, [&](console::Console&) { ++f2; });
  in.keys({'G', 'f', 'k', 'm', 't', key::kF2, key::kAltS, 'g', key::kEnter, key::kEsc});
  DBEDFELV(in.ctx);
  const auto& waits = in.s.term->waits();
  EXPECT_EQ(f2, 1);
  EXPECT_EQ(at(waits.at(8), 23, 31, 7), "fkmtg_ ");  // Alt+S (a code over 255) is not text
  EXPECT_EQ(count_shown(*in.s.term, 0, "Felvitel") + count_shown(*in.s.term, -1, "törlése"), 0);
  EXPECT_EQ(at(waits.at(9), 22, 14, 8), "Felvitel");
  EXPECT_EQ(in.rows("virda23", {"nev"}).size(), 5u);
}

TEST(BrowseKeys, SearchByFormIsACaseInsensitivePrefixAndContinues) {
  Install in;
  in.company("001", "Alfa Kft.");
  in.company("002", "Árvíztűrő Bt.");
  in.company("003", "alma Kft");
  in.company("007", "Béta Kft.");
  in.open();
  in.select("VALLAL");
  Marks m(in, "vnev");
  in.keys({'K', key::kEnter});
  in.type("árv");
  in.keys({key::kPgDn, key::kF10});                 // Árvíztűrő
  in.keys({'K', key::kPgDn, key::kEnter, key::kF10});  // unchanged: "Nincs több..."
  in.keys({'K', '7', key::kPgDn, key::kF10});       // a new search: code 7 is 007
  in.keys({'K', key::kPgDn, key::kEnter, key::kF10});  // "Nincs több..."
  in.keys({'K', key::kEnter});
  in.type("a");
  in.keys({key::kPgDn, key::kF10});                 // Alfa
  in.keys({'K', key::kPgDn, key::kF10});            // alma
  in.keys({'K', key::kPgDn, key::kEnter, key::kF10});  // "Nincs több..."
  in.keys({'K', key::kEsc, 'I'});                   // the next search starts blank
  in.keys({'K', key::kEnter});
  in.type("zzz");
  in.keys({key::kPgDn, key::kEnter, key::kF10, key::kEsc});  // "Nem található..."
  DBEDFELV(in.ctx);
  EXPECT_EQ(m.names, (std::vector<std::string>{"Árvíztűrő Bt.", "Árvíztűrő Bt.", "Béta Kft.",
                                               "Béta Kft.", "Alfa Kft.", "alma Kft", "alma Kft",
                                               "alma Kft"}));
  const console::HeadlessBackend& t = *in.s.term;
  EXPECT_EQ(count_shown(t, 20, "Nincs több..."), 3);
  const Screen* none = shown(t, 20, 56, "Nem található...");
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(at(*none, 19, 54, 1), "┌");
  // The form of the search after "Nincs több...": blank criteria.
  int blank_forms = 0;
  for (const Screen& s : t.waits())
    if (at(s, 0, 31, 7) == "Keresés" && at(s, 3, 46, 33) == std::string(33, ' ')) ++blank_forms;
  EXPECT_GE(blank_forms, 2);
}

TEST(BrowseKeys, DeletionAsksTwiceAndTakesTheCompanysPersonsButNotTheirDependants) {
  Install in;
  persons(in);
  in.dependant("001", "8123456704", "Kovács", "Bence");
  in.dependant("002", "8123456705", "Kovács", "Réka");
  in.open();
  in.select("VALLAL");
  in.keys({'T', 'N',        // the first question answered "Nem"
           'T', 'I', 'N',   // the second one
           't', 'I', 'I',   // both "Igen"
           key::kEsc});
  DBEDFELV(in.ctx);
  const console::HeadlessBackend& t = *in.s.term;
  EXPECT_NE(count_shown(t, -1, "001 Alfa Informatika törlése a dolgozók adataival együtt ?"), 0);
  const Screen* sure = shown(t, 17, 64, "Biztos ?");
  ASSERT_NE(sure, nullptr);
  EXPECT_EQ(at(*sure, 16, 62, 15), "┌─────────────┐");
  EXPECT_EQ(at(*sure, 19, 64, 3), "Nem");
  EXPECT_EQ(at(*sure, 20, 64, 4), "Igen");
  EXPECT_EQ(at(*sure, 21, 62, 15), "└─────────────┘");
  EXPECT_EQ(in.rows("vallal", {"vkod"}), (std::vector<std::string>{"*001", "002"}));
  EXPECT_EQ(in.rows("virda23", {"vkod", "nev"}),
            (std::vector<std::string>{"*001,Antal Béla", "*001,Kozma Ödön", "*001,Kőszegi Éva",
                                      "*001,Kovács Anna", "002,Kovács Zoltán"}));
  EXPECT_EQ(in.rows("eltar23", {"csnev", "utonev1"}),
            (std::vector<std::string>{"Kovács,Bence", "Kovács,Réka"}));
  // The browse went on with the next company.
  EXPECT_EQ(at(t.last_wait(), 7, 1, 3), "002");
}

TEST(BrowseKeys, PersonAndDependantDeletionQuestions) {
  Install in;
  persons(in);
  in.dependant("001", "8123456704", "Kovács", "Bence");
  in.open();
  in.select("VIRDA");
  in.keys({key::kDown, 'T', 'I', 'I', key::kEsc});
  DBEDFELV(in.ctx);
  EXPECT_NE(count_shown(*in.s.term, -1, "Kovács Anna törlése ?"), 0);
  EXPECT_EQ(in.rows("virda23", {"nev"}).at(3), "*Kovács Anna");

  set_var(in.ctx, "XVKOD", xbase::Value::str("001"));
  set_var(in.ctx, "XSZEMSZAM", xbase::Value::str("8123456704"));
  in.keys({'T', 'I', 'I', key::kEsc});
  ELTARBE(in.ctx);
  EXPECT_NE(count_shown(*in.s.term, -1, "Tétel törlése ?"), 0);
  EXPECT_EQ(in.rows("eltar23", {"csnev"}), std::vector<std::string>{"*Kovács"});
}

}  // namespace
}  // namespace entry
