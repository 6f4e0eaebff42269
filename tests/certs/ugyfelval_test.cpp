// The company pick list: its place on the screen, the marks cleared on opening, all
// marked with "M", Space toggling, a range with "T" added to the marks, and the way
// out with "K" or Esc leaving the caller's record, work area and colour.
#include "certs/ugyfelval.h"

#include "certs/certs_test_util.h"
#include "console/keys.h"

namespace certs {
namespace {

namespace key = console::key;
using testing::cells;
using testing::CompanyStation;
std::string hu(std::string_view s) { return std::string(s); }

std::vector<std::string> codes(int from, int to) {
  std::vector<std::string> out;
  for (int i = from; i <= to; ++i) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03d", i);
    out.push_back(buf);
  }
  return out;
}

TEST(Ugyfelval, PlacesTheListAndClearsEveryMarkBeforeItOpens) {
  CompanyStation s(codes(1, 20));
  s.vallal().go_to(7);
  s.areas.select(3);
  s.con->set_colour("gr+/b");
  s.term->keys({'K'});
  EXPECT_TRUE(UGYFELVAL(*s.ctx, 4, 15, 22, 65));
  const console::Screen& shown = s.term->waits()[0];
  EXPECT_EQ(cells(shown, 4, 15, 51), hu(HU("┌───────────────Ügyfél kiválasztás────────────────┐")));
  // Browse rows 5 to 18 from column 22: code, a blank, the name, a blank, the mark
  // (the first row may carry the blank heading separator).
  int first = cells(shown, 5, 22, 3) == "001" ? 5 : 6;
  // The name is cut to 30 characters so that the mark stays in the list's 36 columns.
  EXPECT_EQ(cells(shown, first, 22, 36), hu(HU("001 Cég 001                        ")) + " ");
  EXPECT_EQ(cells(shown, 18, 22, 4), hu(HU("0")) + (first == 5 ? "14 " : "13 "));
  EXPECT_EQ(cells(shown, 19, 22, 3), "   ");
  EXPECT_EQ(cells(shown, 18, 20, 1), "\x19");  // 20 companies, 14 rows
  EXPECT_EQ(cells(shown, 20, 18, 45), hu(HU("Kiválasztás - szóköz  Mindegyik - M  Kész - K")));
  EXPECT_EQ(cells(shown, 21, 18, 15), hu(HU("Tól - ig    - T")));
  EXPECT_TRUE(s.marked().empty());
  EXPECT_EQ(s.con->last_key(), 'K');
  EXPECT_EQ(s.vallal().recno(), 7u);
  EXPECT_EQ(s.areas.selected(), 3);
  EXPECT_EQ(s.con->colour_string().substr(0, 6), "GR+/B,");
  EXPECT_EQ(s.con->screen().row_utf8(10).substr(20, 10), std::string(10, ' '));  // window closed
}

TEST(Ugyfelval, FewCompaniesShowNoArrow) {
  CompanyStation s(codes(1, 3));
  s.term->keys({key::kEsc});
  UGYFELVAL(*s.ctx, 4, 15, 22, 65);
  EXPECT_EQ(cells(s.term->waits()[0], 18, 20, 1), " ");
  EXPECT_EQ(s.con->last_key(), key::kEsc);
}

TEST(Ugyfelval, AllSpaceToggleAndARangeAddedToTheMarks) {
  CompanyStation s(codes(1, 30));
  // Space on 001 and 003, Space again on 001: only 003 stays.
  s.term->keys({' ', key::kDown, key::kDown, ' ', key::kUp, key::kUp, ' '});
  // "T" 10 to 20: codes filled to 010 and 020 when left.
  s.term->keys({'t'});
  s.type("10\r20\r");
  s.term->keys({'k'});
  UGYFELVAL(*s.ctx, 4, 15, 22, 65);
  std::vector<std::string> want = {"003"};
  for (auto& c : codes(10, 20)) want.push_back(c);
  EXPECT_EQ(s.marked(), want);
  // The mark shows in the list's last column once the cursor moved on.
  const console::Screen& after_space = s.term->waits()[2];
  int first = cells(after_space, 5, 22, 3) == "001" ? 5 : 6;
  EXPECT_EQ(cells(after_space, first, 57, 1), "\xFE");
  // The range window as it waited for the first code.
  const console::Screen* asked = nullptr;
  for (const auto& w : s.term->waits())
    if (w.row_utf8(12).find("Ügyfél: ") != std::string::npos) {
      asked = &w;
      break;
    }
  ASSERT_NE(asked, nullptr);
  EXPECT_EQ(cells(*asked, 12, 26, 23), hu(HU("Ügyfél:    -tól     -ig")));
  EXPECT_EQ(cells(*asked, 10, 20, 1), hu(HU("┌")));
  EXPECT_EQ(cells(*asked, 14, 60, 1), hu(HU("┘")));

  s.term->keys({'M', 'K'});
  UGYFELVAL(*s.ctx, 4, 15, 22, 65);
  EXPECT_EQ(s.marked(), codes(1, 30));
  // Every mark goes again when the list opens.
  s.term->keys({key::kEsc});
  UGYFELVAL(*s.ctx, 4, 15, 22, 65);
  EXPECT_TRUE(s.marked().empty());
}

}  // namespace
}  // namespace certs
