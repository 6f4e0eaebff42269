// The list of the run's XML files: its window, the hand-over of the chosen file and
// the list shown again, the way out, and an empty list.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "certs/certs_test_util.h"
#include "console/keys.h"
#include "efile/xml_list.h"
#include "shell/shell_test_util.h"
#include "xbase/cp852.h"

namespace efile {
namespace {

namespace fs = std::filesystem;
using shell::testing::Station;
namespace key = console::key;

// `n` cells of a screen row from `col`, as UTF-8.
std::string cells(const console::Screen& s, int row, int col, int n) {
  return xbase::cp852_to_utf8(certs::testing::cells(s, row, col, n));
}

struct ListTest : ::testing::Test {
  Station s;
  std::string dir = s.file("M30XML");
  std::vector<std::string> opened;
  std::string colour;
  void SetUp() override {
    fs::create_directories(dir);
    for (const char* n : {"23M30_0002_Nagy_Éva.xml", "23M30_0001_Kovács_János.xml", "m30xml.lck",
                          "22M30_0001_Régi.xml", "23M30_0001_Kovács_János_2.xml"})
      std::ofstream(dir + "/" + n) << "x";
    s.con->set_colour("w/b");
    colour = s.con->colour_string();
  }
  void run() { M30XMLANYK(*s.ctx, dir, [this](const std::string& p) { opened.push_back(p); }); }
};

TEST_F(ListTest, TheWindowTheNamesAndTheHandOver) {
  s.term->keys({key::kEnter, key::kDown, key::kEnter, key::kRight, key::kEsc});
  run();
  const auto& waits = s.term->waits();
  ASSERT_GE(waits.size(), 4u);
  const console::Screen& first = waits[0];
  EXPECT_EQ(cells(first, 6, 20, 40), "╔═══════════" "23M30 XML fájlok" "═══════════╗");
  EXPECT_EQ(cells(first, 21, 20, 40), "╚══════════════════════════════════════╝");
  EXPECT_EQ(cells(first, 20, 21, 38), "     ÁNYK - ENTER   Kilépés - Esc     ");
  EXPECT_EQ(cells(first, 8, 24, 32), "23M30_0001_Kovács_János.xml     ");
  EXPECT_EQ(cells(first, 9, 24, 32), "23M30_0001_Kovács_János_2.xml   ");
  EXPECT_EQ(cells(first, 10, 24, 32), "23M30_0002_Nagy_Éva.xml         ");
  EXPECT_EQ(cells(first, 11, 24, 32), std::string(32, ' '));
  // Enter opens the first; the list comes back on it; Down and Enter the second.
  EXPECT_EQ(opened, (std::vector<std::string>{dir + "/23M30_0001_Kovács_János.xml",
                                              dir + "/23M30_0001_Kovács_János_2.xml"}));
  // After Right the list is shown again on the item chosen last.
  const console::Screen& again = waits.back();
  EXPECT_NE(again.at(9, 24).attr, again.at(8, 24).attr);
  EXPECT_EQ(again.at(10, 24).attr, again.at(8, 24).attr);
  // Esc: the window gone, the colour back.
  EXPECT_EQ(s.con->screen().row_utf8(6), std::string(80, ' '));
  EXPECT_EQ(s.con->colour_string(), colour);
  EXPECT_EQ(s.windows.count(), 0);
}

TEST_F(ListTest, WithoutTheFormFillerTheAlertAndTheListStays) {
  ::setenv("VIRDA_ABEVJAVA", s.file("nincs").c_str(), 1);
  s.term->keys({key::kDown, key::kEnter, key::kEnter, key::kEsc});
  M30XMLANYK(*s.ctx, dir);
  ::unsetenv("VIRDA_ABEVJAVA");
  const auto& waits = s.term->waits();
  ASSERT_EQ(waits.size(), 4u);  // the list, the list, the alert, the list again
  bool alert = false;
  for (int r = 0; r < 25; ++r)
    alert = alert || waits[2].row_utf8(r).find("Ezen a gépen a programból nem nyitható meg az ÁNYK!") != std::string::npos;
  EXPECT_TRUE(alert);
  EXPECT_NE(waits[3].at(9, 24).attr, waits[3].at(8, 24).attr);  // on the second item
  EXPECT_EQ(cells(waits[3], 9, 24, 29), "23M30_0001_Kovács_János_2.xml");
}

TEST_F(ListTest, AnEmptyListClosesOnAnyKey) {
  for (const auto& e : fs::directory_iterator(dir)) fs::remove(e.path());
  s.term->key('x');
  run();
  ASSERT_EQ(s.term->waits().size(), 1u);
  EXPECT_EQ(cells(s.term->waits()[0], 8, 24, 21), "Nem készült XML fájl.");
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(s.windows.count(), 0);
}

}  // namespace
}  // namespace efile
