// The program's start-up and menus on a headless console over a small installation:
// the first start (templates, upgrade, "gond.baj", indexes, first-start box, title
// screen, F2 in the date field), the main menu's notices, the submenu's reindexing
// and the exit that removes "gond.baj"; a second workstation that neither upgrades
// nor touches "gond.baj"; the refused starts.
#include "common/idle_services.h"
#include "shell/program.h"

#include <fstream>

#include "common/scoped_env.h"
#include "shell/startup_test_util.h"
#include "xbase/cp852.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"

namespace shell {
namespace {

using testing::bg_start;
using testing::inode;
using testing::make_templates;
using testing::Other;
using testing::seen;
using testing::Station;
namespace fs = std::filesystem;
namespace key = console::key;

// Adds a person who is Hungarian without a country code, and a company.
void add_records(Station& s) {
  ASSERT_TRUE(s.areas.use(s.file("virda23"), "", xbase::OpenMode::Exclusive));
  ASSERT_TRUE(s.areas.current().append_blank());
  s.areas.current().put("VKOD", xbase::Value::str("001"));
  s.areas.current().put("NEV", xbase::Value::str("KISS ANNA"));
  s.areas.current().put("ALLAMPOLG", xbase::Value::str("magyar"));
  s.areas.close_all();
  ASSERT_TRUE(s.areas.use(s.file("vallal"), "", xbase::OpenMode::Exclusive));
  ASSERT_TRUE(s.areas.current().append_blank());
  s.areas.current().put("VKOD", xbase::Value::str("001"));
  s.areas.current().put("IRSZAM", xbase::Value::str("1011"));
  s.areas.current().put("HELYSEG", xbase::Value::str("BUDAPEST"));
  s.areas.close_all();
}

// Row `row` of a shown screen in CP852, one byte a column, compared with HU texts.
std::string row_at(const console::Screen& w, int row) {
  return xbase::utf8_to_cp852(w.row_utf8(row));
}

TEST(Startup, FirstStartUpgradesIndexesAndLeavesCleanly) {
  Station s;
  make_templates(s);
  int settings_calls = 0, konsbe_calls = 0;
  ShellServices services = mvirda_test::idle_services();
  services.beallit = [&](Context&) { ++settings_calls; };
  services.start.konsbe = [&](Context&) { ++konsbe_calls; };
  // First-start box, F2 and Enter in the date field, item 4's notice, the submenu's
  // reindexing, back and out with Esc.
  s.term->keys({key::kEnter, key::kF2, key::kEnter, '4', key::kEnter, '8', '2', key::kEnter,
                key::kEsc, key::kEsc});
  EXPECT_EQ(MAIN(*s.ctx, bg_start(false), services), 0);
  EXPECT_EQ(s.term->keys_left(), 0u);
  EXPECT_EQ(settings_calls, 1);
  EXPECT_EQ(konsbe_calls, 1);

  EXPECT_TRUE(seen(s, "A indítás után F2-vel lehet a nyomtatót beállítani."));
  EXPECT_TRUE(seen(s, "Még nem jelentek meg a nyomtatványok!"));
  EXPECT_TRUE(seen(s, "Indexelés kész"));
  std::ifstream jel(s.file("elsoind.jel"));
  std::string text((std::istreambuf_iterator<char>(jel)), {});
  EXPECT_EQ(text, std::string(HU("Első indítás jelző fájl")));
  for (const char* f : {"vallal.ntx", "eltar23.ntx", "virda23.ntx", "virda232.ntx"})
    EXPECT_TRUE(fs::exists(s.file(f))) << f;
  EXPECT_FALSE(fs::exists(s.file("gond.baj")));  // the last one out

  // The upgrade gave the tables their new fields.
  ASSERT_TRUE(s.areas.use(s.file("vallal"), "", xbase::OpenMode::Shared));
  EXPECT_GE(s.areas.current().field_pos("AJTO2"), 0);
  s.areas.close_all();
  ASSERT_TRUE(s.areas.use(s.file("eltar23"), "", xbase::OpenMode::Shared));
  EXPECT_GE(s.areas.current().field_pos("ELTKOD12"), 0);
  s.areas.close_all();
  ASSERT_TRUE(s.areas.use(s.file("virda23"), "", xbase::OpenMode::Shared));
  EXPECT_GE(s.areas.current().field_pos("EKHO3_EG"), 0);
  EXPECT_EQ(s.areas.current().field(s.areas.current().field_pos("OSZT16")).width, 10);
  s.areas.close_all();

  // The title screen and the main menu as they were shown.
  const console::Screen* title = nullptr;
  const console::Screen* menu = nullptr;
  for (const auto& w : s.term->waits()) {
    if (!title && w.row_utf8(24).rfind("A feldolgozás dátuma:", 0) == 0) title = &w;
    if (!menu && w.row_utf8(16).find("Kilépés a programból") != std::string::npos) menu = &w;
  }
  ASSERT_TRUE(title && menu);
  EXPECT_EQ(row_at(*title, 8).substr(36, 7), "VIRDA23");
  EXPECT_EQ(row_at(*title, 24).substr(46, 31), HU("Nyomtató és egyéb beállítás: F2"));
  EXPECT_EQ(row_at(*title, 11).substr(27, 27), HU("SZJA ADATSZOLGÁLTATÁS 2023."));
  EXPECT_EQ(row_at(*title, 14).substr(27, 26), HU("Verzió: 2023.01 (32 bites)"));
  EXPECT_EQ(row_at(*title, 24).substr(0, 33),
            std::string(HU("A feldolgozás dátuma:  ")) + xbase::dtoc(xbase::today()));
  EXPECT_EQ(row_at(*menu, 3).substr(25, 30), HU("SZJA ADATSZOLGÁLTATÁS v2023.01"));
  EXPECT_EQ(row_at(*menu, 24).substr(16, 46), HU("Magánszemélynek kifizetett összegek módosítása"));
  EXPECT_EQ(row_at(*menu, 8).substr(24, 32), HU(" 1  Adatbevitel, módosítás      "));
  EXPECT_EQ(row_at(*menu, 15).substr(24, 32), HU(" 8  Egyéb funkciók              "));
  EXPECT_EQ(row_at(*menu, 22).substr(60, 16), HU("F2 - beállítások"));
}

TEST(Startup, UpgradeCopiesAddressesAndSetsTheCountryCode) {
  Station s;
  make_templates(s);
  s.term->keys({key::kEnter, key::kEnter, key::kEsc});
  MAIN(*s.ctx, bg_start(false), mvirda_test::idle_services());
  add_records(s);
  fs::remove(s.file("vallal.ntx"));
  s.term->keys({key::kEnter, key::kEsc});
  MAIN(*s.ctx, bg_start(false), mvirda_test::idle_services());
  EXPECT_TRUE(fs::exists(s.file("vallal.ntx")));
  ASSERT_TRUE(s.areas.use(s.file("virda23"), "", xbase::OpenMode::Shared));
  s.areas.current().go_top();
  EXPECT_EQ(s.areas.current().get("ALLAMKOD").as_str(), "HU");
  s.areas.close_all();
  ASSERT_TRUE(s.areas.use(s.file("vallal"), "", xbase::OpenMode::Shared));
  s.areas.current().go_top();
  EXPECT_EQ(s.areas.current().get("IRSZAM2").as_str(), "1011");
  EXPECT_EQ(xbase::rtrim(s.areas.current().get("HELYSEG2").as_str()), "BUDAPEST");
  s.areas.close_all();
  EXPECT_EQ(s.vars.find("KMINVKOD")->as_str(), "001");
  EXPECT_EQ(s.vars.find("KFOGYATEK")->as_num(), 77300);
}

TEST(Startup, ASecondWorkstationNeitherUpgradesNorTouchesGondBaj) {
  Station s;
  make_templates(s);
  s.term->keys({key::kEnter, key::kEnter, key::kEsc});
  MAIN(*s.ctx, bg_start(false), mvirda_test::idle_services());
  std::string index_before = inode(s.file("virda23.ntx"));

  Other first([&](int from, int to) {
    xbase::WorkAreas areas;
    if (!areas.use(s.file("vallal"), "", xbase::OpenMode::Shared)) return 1;
    testing::say_ready(to);
    testing::wait_parent(from);
    return 0;
  });
  ASSERT_TRUE(first.ready());
  s.term->keys({key::kEnter, key::kEsc});
  MAIN(*s.ctx, bg_start(false), mvirda_test::idle_services());
  EXPECT_FALSE(fs::exists(s.file("gond.baj")));  // not created beside the first
  EXPECT_EQ(inode(s.file("virda23.ntx")), index_before);

  std::ofstream(s.file("gond.baj")).close();
  s.term->keys({key::kEnter, key::kEsc});
  MAIN(*s.ctx, bg_start(false), mvirda_test::idle_services());
  EXPECT_TRUE(fs::exists(s.file("gond.baj")));  // the first one still runs
  first.go();
  EXPECT_EQ(first.finish(), 0);

  // Alone again: "gond.baj" found, every index built anew, removed on the way out.
  s.term->keys({key::kEnter, key::kEsc});
  MAIN(*s.ctx, bg_start(false), mvirda_test::idle_services());
  EXPECT_NE(inode(s.file("virda23.ntx")), index_before);
  EXPECT_FALSE(fs::exists(s.file("gond.baj")));
}

TEST(Startup, RefusedStartsAndTheMenusQuestions) {
  Station s;
  s.term->keys({' '});
  EXPECT_EQ(MAIN(*s.ctx, StartArgs{}, mvirda_test::idle_services()), 0);
  EXPECT_EQ(row_at(s.term->last_wait(), 0).substr(0, 58),
            HU("A program indítása: VIRDA23.BAT-tal, ne az EXE-t indítsa !"));
  EXPECT_FALSE(fs::exists(s.file("gond.baj")));

  StartArgs elsewhere;
  elsewhere.honnanind = "x";
  s.term->keys({' '});
  EXPECT_EQ(MAIN(*s.ctx, elsewhere, mvirda_test::idle_services()), 0);
  EXPECT_NE(s.term->last_wait().row_utf8(0).find("VIRDA23 könyvtárban van, nem indítható !"),
            std::string::npos);

  // Item 2: the kind of certificate sets CONDI and the first page; Esc prints nothing.
  make_templates(s);
  std::string condi;
  ShellServices services = mvirda_test::idle_services();
  services.m30 = [&](Context& c) {
    condi = c.vars.find("CONDI")->as_str();
    EXPECT_EQ(c.vars.find("KEZDOLD")->as_num(), 1);
    EXPECT_EQ(c.areas.current().alias(), "VIRDA");
  };
  std::vector<std::string> called;
  services.ekho = [&](Context&) { called.push_back("ekho"); };
  services.browse_persons = [&](Context& c) {
    called.push_back("persons " + c.areas.current().alias());
  };
  // Item 3 left at its question; item 1, and Enter on it again.
  s.term->keys({key::kEnter, key::kEnter, '2', 'K', '2', key::kEsc, '3', key::kEsc, '1',
                key::kEnter, key::kEsc});
  MAIN(*s.ctx, bg_start(false), services);
  EXPECT_EQ(condi, ".T..AND.nyilat$'K'");
  EXPECT_EQ(called, (std::vector<std::string>{"persons VIRDA", "persons VIRDA"}));
  EXPECT_EQ(s.term->keys_left(), 0u);
}

// A drive root under an accented name: the refusal on row 0 from column 0 names the
// directory with "ű" (FB) as the screen spells it.
TEST(Startup, RefusalNamesAnAccentedDriveAsTheScreenSpellsIt) {
  Station s;
  fs::create_directories(s.file("mű"));
  ScopedEnv drive("VIRDA_DRIVE", s.file("mű"));
  StartArgs elsewhere;
  elsewhere.honnanind = "x";
  s.term->keys({' '});
  EXPECT_EQ(MAIN(*s.ctx, elsewhere, mvirda_test::idle_services()), 0);
  // The end of the line may be cut at column 79: the path is what is checked.
  const std::string told =
      std::string(HU("A program nem a ")) + fs::canonical(s.dir).string() + "/m\xfb/VIRDA23 ";
  EXPECT_EQ(row_at(s.term->last_wait(), 0).substr(0, told.size()), told);
}

TEST(Startup, ChangeNotesAnsweredNoBecomeReadNotes) {
  Station s;
  make_templates(s);
  std::ofstream(s.file("valt0001.txt")) << "ELSO\r\nADATOK\r\nHARMADIK\r\n";
  std::ofstream(s.file("palt0001.txt")) << "regi";
  // Box, date, the viewer (Esc), "Nem", "Ok"; then the submenu's list shows it read.
  s.term->keys({key::kEnter, key::kEnter, key::kEsc, 'N', key::kEnter, '8', '3', key::kEsc,
                key::kEsc, key::kEsc});
  MAIN(*s.ctx, bg_start(), mvirda_test::idle_services());
  EXPECT_TRUE(seen(s, "A következő indításkor is láthatók legyenek a fájlok?"));
  EXPECT_FALSE(fs::exists(s.file("valt0001.txt")));
  std::ifstream in(s.file("palt0001.txt"));
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text.substr(0, 4), "ELSO");
  EXPECT_TRUE(seen(s, "Valt0001.txt     olvasott"));
}

}  // namespace
}  // namespace shell
