// The printer settings: the first fill from the payroll program's global settings or
// the defaults, the print variables derived from the record (routes, HP only on the
// LPT ports, Esc's zeros), the F2 dialog storing each choice, and the dialog refusing
// to change anything while another workstation holds the settings table.
#include "print/settings.h"

#include <cstdlib>

#include "console/keys.h"
#include "shell/shell_test_util.h"
#include "xbase/cp852.h"
#include "xbase/hutext.h"

namespace print {
namespace {

using shell::testing::Other;
using shell::testing::Station;
using xbase::Value;
namespace key = console::key;

const xbase::Structure kKonstans = {{"NYOMTIP", 'N', 1, 0}, {"KPAGE", 'N', 1, 0},
                                    {"KKAR852", 'N', 1, 0}, {"NPRPORT", 'N', 1, 0},
                                    {"KHPAUTO", 'N', 1, 0}, {"KWWWELLEN", 'N', 1, 0}};

// A station whose drive root is its own directory, with a fresh settings table.
struct SettingsStation : Station {
  SettingsStation() {
    ::setenv("VIRDA_DRIVE", dir.c_str(), 1);
    ::unsetenv("TEMP");
    EXPECT_TRUE(areas.create(file("konstans.dbf"), kKonstans));
    EXPECT_TRUE(areas.use(file("konstans"), "", xbase::OpenMode::Exclusive));
    EXPECT_TRUE(areas.current().append_blank());
    areas.current().put("KWWWELLEN", Value::num(1));
    areas.close_all();
    vars.make_public("PRGDIR", Value::str("\\VIRDA23"));
  }
  ~SettingsStation() { ::unsetenv("VIRDA_DRIVE"); }

  void set(std::initializer_list<std::pair<const char*, int>> fields) {
    ASSERT_TRUE(areas.use(file("konstans"), "", xbase::OpenMode::Exclusive));
    for (auto [name, v] : fields) areas.current().put(name, Value::num(v));
    areas.close_all();
  }
  int field(const char* name) {
    EXPECT_TRUE(areas.use(file("konstans"), "", xbase::OpenMode::Shared));
    int v = static_cast<int>(areas.current().get(name).as_num());
    areas.close_all();
    return v;
  }
  std::string text(const char* name) { return vars.find(name)->as_str(); }
  void kons_ini() {
    ASSERT_TRUE(areas.use(file("konstans"), "", xbase::OpenMode::Exclusive));
    KONS_INI(*ctx);
    areas.close_all();
  }
};

TEST(KonsIni, DefaultsWithoutTheGlobalSettingsAndNothingOnceSet) {
  SettingsStation s;
  s.kons_ini();
  EXPECT_EQ(s.field("NYOMTIP"), 2);
  EXPECT_EQ(s.field("KPAGE"), 2);
  EXPECT_EQ(s.field("KKAR852"), 1);
  EXPECT_EQ(s.field("NPRPORT"), 1);
  EXPECT_EQ(s.field("KHPAUTO"), 1);
  EXPECT_EQ(s.field("KWWWELLEN"), 1);  // not touched
  KONSBE(*s.ctx);
  EXPECT_EQ(s.text("KNYOMTIP"), "HP");
  EXPECT_EQ(s.text("KPRPORT"), "LPT1");
  EXPECT_EQ(s.vars.find("NPAGE")->as_num(), 64);
  EXPECT_TRUE(s.vars.find("LKAR852")->as_logical());
  EXPECT_TRUE(s.vars.exists("NYINI"));  // the control sequences follow

  s.set({{"NPRPORT", 3}});
  s.kons_ini();
  EXPECT_EQ(s.field("NPRPORT"), 3);
}

TEST(KonsIni, FromThePayrollProgramsGlobalSettings) {
  SettingsStation s;
  std::filesystem::create_directory(s.file("KVAD"));
  ASSERT_TRUE(
      s.areas.create(s.file("KVAD/GLOBAL.DBF"), {{"VALT", 'C', 10, 0}, {"ERTEK", 'C', 20, 0}}));
  ASSERT_TRUE(s.areas.use(s.file("KVAD/GLOBAL.DBF"), "", xbase::OpenMode::Exclusive));
  for (auto [valt, ertek] : {std::pair{"knyomtip", "EPSON LQ"},
                             {"KPAGE", "72"},
                             {"KKAR852", "CWI"},
                             {"KPRPORT", "USB"}}) {
    s.areas.current().append_blank();
    s.areas.current().put("VALT", Value::str(valt));
    s.areas.current().put("ERTEK", Value::str(ertek));
  }
  s.areas.close_all();
  s.kons_ini();
  EXPECT_EQ(s.field("NYOMTIP"), 1);
  EXPECT_EQ(s.field("KPAGE"), 1);
  EXPECT_EQ(s.field("KKAR852"), 2);
  EXPECT_EQ(s.field("NPRPORT"), 0);  // "USB" has no digit in its fourth place
  EXPECT_EQ(s.field("KHPAUTO"), 2);  // missing: the otherwise branch
  KONSBE(*s.ctx);
  EXPECT_EQ(s.text("KNYOMTIP"), "EPSON");
  EXPECT_EQ(s.text("EPRPORT"), "LPT1");
  EXPECT_EQ(s.vars.find("NPAGE")->as_num(), 72);
  EXPECT_FALSE(s.vars.find("LKAR852")->as_logical());
}

TEST(Konsbe, RoutesAndPrinterLanguage) {
  SettingsStation s;
  s.set({{"NYOMTIP", 2}, {"NPRPORT", 6}});
  KONSBE(*s.ctx);
  EXPECT_EQ(s.text("KNYOMTIP"), "EPSON");  // HP codes only on the LPT ports
  EXPECT_EQ(s.text("EPRPORT"), "USB");
  EXPECT_EQ(s.text("KPRPORT"), "\\VIRDA23\\DOSPRINT.PRN");
  ::setenv("TEMP", "C:\\TEMP", 1);
  s.set({{"NPRPORT", 7}});
  KONSBE(*s.ctx);
  EXPECT_EQ(s.text("EPRPORT"), "PDF");
  EXPECT_EQ(s.text("KPRPORT"), "C:\\TEMP\\DOSPRINT.PRN");
  ::unsetenv("TEMP");
  s.set({{"NPRPORT", 5}});
  KONSBE(*s.ctx);
  EXPECT_EQ(s.text("EPRPORT"), "LPT5");
  EXPECT_EQ(s.text("KPRPORT"), "C:\\PRTWRK\\PRTWIN.PRN");
  s.set({{"NPRPORT", 4}});
  KONSBE(*s.ctx);
  EXPECT_EQ(s.text("KNYOMTIP"), "HP");
  EXPECT_EQ(s.text("KPRPORT"), "LPT4");
  s.set({{"NYOMTIP", 0}, {"NPRPORT", 0}, {"KPAGE", 0}, {"KKAR852", 0}});
  KONSBE(*s.ctx);
  EXPECT_EQ(s.text("KNYOMTIP"), "EPSON");
  EXPECT_EQ(s.text("KPRPORT"), "LPT1");
  EXPECT_EQ(s.vars.find("NPAGE")->as_num(), 64);
  EXPECT_TRUE(s.vars.find("LKAR852")->as_logical());
}

TEST(Beallit, EveryChoiceGoesIntoItsFieldAndEscStoresZero) {
  SettingsStation s;
  s.kons_ini();
  s.areas.select(3);
  // HP stays (Enter), A4 -> continuous paper, 852 stays, Esc in the port menu,
  // initialisation "Nem", update check "Nem".
  s.term->keys({key::kEnter, key::kUp, key::kEnter, key::kEnter, key::kEsc, key::kDown, key::kEnter,
                key::kDown, key::kEnter});
  BEALLIT(*s.ctx);
  EXPECT_EQ(s.term->keys_left(), 0u);
  EXPECT_EQ(s.areas.selected(), 3);
  EXPECT_EQ(s.field("NYOMTIP"), 2);
  EXPECT_EQ(s.field("KPAGE"), 1);
  EXPECT_EQ(s.field("NPRPORT"), 0);
  EXPECT_EQ(s.field("KHPAUTO"), 2);
  EXPECT_EQ(s.field("KWWWELLEN"), 2);
  EXPECT_EQ(s.text("EPRPORT"), "LPT1");
  EXPECT_EQ(s.vars.find("NPAGE")->as_num(), 72);
  // The dialog as it waited for the first choice.
  const console::Screen& first = s.term->waits().front();
  std::string title = xbase::utf8_to_cp852(first.row_utf8(11));
  EXPECT_NE(title.find(HU("Nyomtató és egyéb beállítások")), std::string::npos);
  EXPECT_EQ(xbase::utf8_to_cp852(first.row_utf8(13)).substr(6, 8), HU("Nyomtató"));
  EXPECT_EQ(xbase::utf8_to_cp852(first.row_utf8(15)).substr(6, 5), "EPSON");

  // EPSON: the HP question is not asked.
  s.term->keys({key::kUp, key::kEnter, key::kEnter, key::kEnter, key::kEnter, key::kEnter});
  BEALLIT(*s.ctx);
  EXPECT_EQ(s.term->keys_left(), 0u);
  EXPECT_EQ(s.field("NYOMTIP"), 1);
  EXPECT_EQ(s.field("KHPAUTO"), 2);
}

TEST(Beallit, BusySettingsTableChangesNothing) {
  SettingsStation s;
  s.kons_ini();
  Other other([&](int from, int to) {
    xbase::WorkAreas areas;
    if (!areas.use(s.file("konstans"), "", xbase::OpenMode::Exclusive)) return 1;
    shell::testing::say_ready(to);
    shell::testing::wait_parent(from);
    return 0;
  });
  ASSERT_TRUE(other.ready());
  s.term->keys({key::kEnter});
  BEALLIT(*s.ctx);
  bool told = false;
  for (const auto& w : s.term->waits())
    if (w.text_utf8().find("nem nyitható meg") != std::string::npos) told = true;
  EXPECT_TRUE(told);
  other.go();
  EXPECT_EQ(other.finish(), 0);
  EXPECT_EQ(s.field("NYOMTIP"), 2);
}

}  // namespace
}  // namespace print
