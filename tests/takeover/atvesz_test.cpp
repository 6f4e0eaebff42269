// Menu item 7 on a headless screen: the "Adatátvétel" screen and its field, the
// pick list, the overwrite question, the progress lines, the row-24 message of a
// number too large, the report in the viewer and the closing message at their rows
// and columns; Esc at the first question; a payroll directory without a payroll
// program; a payroll program somebody uses.
#include <gtest/gtest.h>

#include <fstream>

#include "common/forked_process.h"
#include "common/idle_services.h"
#include "common/scoped_env.h"
#include "takeover/atvesz.h"
#include "takeover/run_test_util.h"
#include "xbase/cp852.h"

namespace takeover {
namespace {

using testing::count_by_company;
using testing::Installation;
using testing::Workstation;
namespace key = console::key;

// The column (in characters) where `text` begins on row `row`, -1 when it is not
// there.
int column_of(const console::Screen& s, int row, const std::string& text) {
  std::string line = s.row_utf8(row);
  size_t at = line.find(text);
  if (at == std::string::npos) return -1;
  int col = 0;
  for (size_t i = 0; i < at; ++i)
    if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) ++col;
  return col;
}

// The first screen shown at a wait for a key that has `text` on `row`.
const console::Screen* screen_with(const console::HeadlessBackend& t, int row,
                                   const std::string& text) {
  for (const console::Screen& s : t.waits())
    if (column_of(s, row, text) >= 0) return &s;
  return nullptr;
}

const console::Screen* screen_with_anywhere(const console::HeadlessBackend& t,
                                            const std::string& text) {
  for (const console::Screen& s : t.waits())
    for (int row = 0; row < 25; ++row)
      if (column_of(s, row, text) >= 0) return &s;
  return nullptr;
}

struct Drive : ScopedEnv {
  explicit Drive(const Installation& inst) : ScopedEnv("VIRDA_DRIVE", inst.root) {}
};

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(AtveszScreens, WholeRunFromTheDirectoryToTheClosingMessage) {
  Installation inst(1, 10);
  Drive drive(inst);
  Workstation w(inst);
  auto& t = *w.term;
  t.key(key::kEnter);  // the offered payroll directory
  t.keys({'M', 'K'});   // every company
  t.key('F');           // 001 overwritten
  t.keys({key::kEnter, key::kEnter});  // its two numbers too large
  t.keys({'N', 'N'});    // 002 and 003 kept
  t.key(key::kEsc);     // the report
  t.key(key::kEnter);   // "Az átvétel kész"
  ATVESZ(*w.ctx, mvirda_test::idle_viewer());
  EXPECT_EQ(t.keys_left(), 0u);

  const console::Screen& first = t.waits().front();
  EXPECT_EQ(column_of(first, 0, "Adatátvétel"), 34);
  EXPECT_EQ(column_of(first, 1, "┌──"), 0);
  EXPECT_EQ(column_of(first, 23, "└──"), 0);
  EXPECT_EQ(column_of(first, 9, "2023. évi bérprogram alkönyvtára:"), 2);
  EXPECT_EQ(column_of(first, 9, inst.root + "/kvad"), 36);

  EXPECT_NE(screen_with(t, 4, "Ügyfél kiválasztás"), nullptr);
  const console::Screen* asked = screen_with_anywhere(t, "Már vannak a 001. cégnek adatai");
  ASSERT_NE(asked, nullptr);
  const console::Screen* big = screen_with(t, 24, "Túl nagy szám: 001 Olajfa Ottó JOVEDELEM -109800000");
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(column_of(*big, 13, "Kész:"), 2);
  EXPECT_EQ(column_of(*big, 15, "Cég: 001  Név: Olajfa Ottó"), 2);
  const console::Screen* report = screen_with(t, 24, "Sor:");
  ASSERT_NE(report, nullptr);
  // What the dependant form would refuse comes first: the first person's dependants.
  EXPECT_EQ(column_of(*report, 0, "001 8350001003 Alma Bence (eltartott): ELTKOD02-ELTKOD11"), 0);
  EXPECT_EQ(column_of(*report, 2, "001 8350001631 Juhar János: állampolgárság 777"), 0);
  const console::Screen* done = screen_with_anywhere(t, "Az átvétel kész");
  ASSERT_NE(done, nullptr);
  EXPECT_EQ(column_of(*done, 15, "Cég:"), -1);  // the progress line blanked

  EXPECT_EQ(read_file(inst.program + "/kvaddir.txt"), xbase::utf8_to_cp852(inst.root + "/kvad"));
  std::map<std::string, int> after = count_by_company(inst.program + "/virda23.dbf");
  EXPECT_EQ(after["001"], 17);
  EXPECT_GT(after["010"], 0);
}

TEST(AtveszScreens, EscAtTheDirectoryChangesNothing) {
  Installation inst;
  Drive drive(inst);
  std::map<std::string, int> before = count_by_company(inst.program + "/virda23.dbf");
  {
    Workstation w(inst);
    w.term->key(key::kEsc);
    ATVESZ(*w.ctx, mvirda_test::idle_viewer());
  }
  EXPECT_FALSE(std::filesystem::exists(inst.program + "/kvaddir.txt"));
  EXPECT_EQ(count_by_company(inst.program + "/virda23.dbf"), before);
}

TEST(AtveszScreens, WrongDirectoryIsRememberedAndSaysNoPayrollProgram) {
  Installation inst;
  Drive drive(inst);
  std::ofstream(inst.program + "/kvaddir.txt") << "C:\\KVAD";  // a Windows form remembered
  Workstation w(inst);
  EXPECT_EQ(remembered_payroll_dir(*w.ctx), "C:\\KVAD");
  for (char c : std::string("/nincs itt")) w.term->key(c);
  w.term->key(key::kEnter);
  w.term->key(key::kEnter);  // "Kilépés"
  ATVESZ(*w.ctx, mvirda_test::idle_viewer());
  EXPECT_NE(screen_with_anywhere(*w.term, "Nem található a bérprogram!"), nullptr);
  EXPECT_NE(screen_with_anywhere(*w.term, "Kilépés"), nullptr);
  EXPECT_EQ(read_file(inst.program + "/kvaddir.txt"), "/nincs itt");
}

TEST(AtveszScreens, PayrollProgramInUseGivesTheTwoLineBoxAndChangesNothing) {
  Installation inst;
  Drive drive(inst);
  std::string vallal_before = read_file(inst.program + "/vallal.dbf");
  // The payroll program on another workstation holds its company table.
  mvirda_test::ForkedProcess payroll([&](int from_parent, int to_parent) {
    xbase::WorkAreas areas;
    if (!areas.use(inst.payroll + "/vallal.dbf", "", xbase::OpenMode::Shared)) return 1;
    mvirda_test::say_ready(to_parent);
    mvirda_test::wait_parent(from_parent);
    return 0;
  });
  ASSERT_TRUE(payroll.ready());
  {
    Workstation w(inst);
    w.term->keys({key::kEnter, key::kEnter});
    ATVESZ(*w.ctx, mvirda_test::idle_viewer());
    const console::Screen* box =
        screen_with_anywhere(*w.term, "Valaki használja a megadott könyvtárban levő bérprogramot.");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(screen_with_anywhere(*w.term,
                                   "Az átvétel csak akkor futtatható, ha a bérprogramból mindenki kilép!"),
              nullptr);
  }
  payroll.go();
  EXPECT_EQ(payroll.finish(), 0);
  EXPECT_EQ(read_file(inst.program + "/vallal.dbf"), vallal_before);
}

}  // namespace
}  // namespace takeover
