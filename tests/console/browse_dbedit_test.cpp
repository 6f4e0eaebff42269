// The table browse on a headless console over a table of 10,000 records in index
// order: paging to the right records, columns on and off the screen, the user
// function's modes and answers, deleted records vanishing after a repaint.
#include "console/browse_dbedit.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "console/get_read.h"
#include "console/headless.h"
#include "console/keys.h"
#include "xbase/dbf_format.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/ntx_order.h"
#include "xbase/vars.h"
#include "xbase/workarea.h"

namespace {

using namespace console;
using xbase::Value;

constexpr int kRecords = 10000;

// Record i (from 1) has the name "N" + (i·7919 mod 10000) in five digits, so the name
// order is a shuffle of the record order and name k is the k-th in index order.
std::string name_of(int i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "N%05d", (i * 7919) % kRecords);
  return buf;
}

void write_table(const std::string& path, int n) {
  xbase::Structure st = {{"KOD", 'C', 5, 0},
                         {"NEV", 'C', 20, 0},
                         {"OSSZ", 'N', 10, 0},
                         {"CIM", 'C', 40, 0},
                         {"MEGJ", 'C', 30, 0}};
  std::ofstream out(path, std::ios::binary);
  out << xbase::build_dbf_header(st, static_cast<uint32_t>(n), 2023, 1, 1);
  for (int i = 1; i <= n; ++i) {
    char rec[128];
    std::snprintf(rec, sizeof rec, " %05d%-20s%10d%-40s%-30s", i, name_of(i).c_str(), i,
                  ("Cim " + std::to_string(i)).c_str(),
                  ("Megjegyzes " + std::to_string(i)).c_str());
    out.write(rec, 1 + 5 + 20 + 10 + 40 + 30);
  }
  out.put(0x1A);
}

struct BrowseTest : ::testing::Test {
  std::string dir;
  xbase::WorkAreas areas;
  HeadlessBackend* term = nullptr;
  std::unique_ptr<Console> con;
  std::vector<std::string> log;  // what the user function saw

  void SetUp() override {
    std::string base = std::filesystem::temp_directory_path().string() + "/browse-XXXXXX";
    dir = ::mkdtemp(base.data());
    auto b = std::make_unique<HeadlessBackend>();
    term = b.get();
    con = std::make_unique<Console>(std::move(b));
    con->set_colour("bg/n,bg+/b,n,n,bg/n");
  }
  void TearDown() override {
    areas.close_all();
    std::filesystem::remove_all(dir);
  }
  void open(int n, bool indexed = true) {
    write_table(dir + "/tabla.dbf", n);
    ASSERT_TRUE(areas.use(dir + "/tabla"));
    if (indexed)
      area().add_order(xbase::NtxOrder::index_on(area(), dir + "/tabla", "NEV",
                                                 xbase::ntx_key_function(areas, "NEV")));
    area().go_top();
  }
  xbase::WorkArea& area() { return areas.current(); }
  std::vector<BrowseColumn> columns() {
    std::vector<std::string> heads = {"Kod", "Nev", "Osszeg", "Cim", "Megjegyzes"};
    return browse_columns(areas, {"KOD", "NEV", "OSSZ", "CIM", "MEGJ", ""},
                          {"", "", "@Z 9999999999"}, &heads);
  }
  std::string nev() { return xbase::rtrim(area().get("NEV").as_str()); }
  std::string row(int r) { return con->screen().row_utf8(r); }
  // The browse in the person browse's rectangle: rows 4 to 20, one heading line and
  // the separator, so 15 records a page.
  void browse(BrowseOptions opt) { dbedit(*con, area(), 4, 1, 20, 78, columns(), opt); }
};

TEST_F(BrowseTest, PagesLandOnTheRightRecordsInIndexOrder) {
  open(kRecords);
  term->keys({key::kPgDn, key::kPgDn, key::kPgUp, key::kCtrlPgDn, key::kPgUp, key::kCtrlPgUp,
              key::kUp, key::kDown, key::kCtrlPgDn, key::kDown, key::kEsc});
  BrowseOptions opt;
  opt.heading_sep = HU("─");
  opt.user = [&](int mode, int) {
    log.push_back(std::to_string(mode) + ":" + nev() + "@" + std::to_string(con->row()));
    return mode == kDeException && con->last_key() == key::kEsc ? 0 : 1;
  };
  browse(opt);
  std::vector<std::string> want = {
      "0:N00000@6",                                 // first record on the first data row
      "0:N00015@6",  "0:N00030@6",  "0:N00015@6",   // PgDn PgDn PgUp: same row, a page on
      "0:N09999@20",                                // Ctrl+PgDn: last record on the last row
      "0:N09984@20",                                // PgUp keeps the row
      "0:N00000@6",                                 // Ctrl+PgUp
      "1:N00000@6",                                 // Up at the first record: top reached, once
      "0:N00001@7",  "0:N09999@20", "2:N09999@20",  // Down at the last: bottom, once
      "4:N09999@20"};
  EXPECT_EQ(log, want);
  // The last page: N09985 … N09999 under the heading and its separator; the three
  // columns (41 wide) centred in the 78 columns from column 1: from column 19.
  const Screen& last = term->waits()[4];
  // (byte offsets of UTF-8 rows: "│" is three bytes)
  EXPECT_EQ(last.row_utf8(6).find("N09985"), 19u + 5 + 5) << last.row_utf8(6);
  EXPECT_EQ(last.row_utf8(20).find("N09999"), 19u + 5 + 5);
  EXPECT_EQ(last.row_utf8(4).find("Kod     Nev"), 19u) << last.row_utf8(4);
  EXPECT_EQ(last.at(20, 25).ch, static_cast<unsigned char>(HU("│")[0]));
  EXPECT_EQ(last.at(20, 19).attr, con->attr(kEnhanced));  // the current cell
  EXPECT_EQ(last.at(20, 27).attr, con->attr(kStandard));
  EXPECT_EQ(nev(), "N09999");  // the area stays where the cursor was
}

TEST_F(BrowseTest, ColumnsOnTheScreenAndSideways) {
  open(kRecords);
  // Kod, Nev and Osszeg fit in 78 columns; Cim and Megjegyzes are off to the right.
  term->keys({key::kEnd, key::kHome, key::kRight, key::kRight, key::kRight, key::kHome,
              key::kCtrlEnd, key::kCtrlHome, key::kCtrlRight, key::kCtrlLeft, key::kEsc});
  BrowseOptions opt;
  std::vector<int> cols;
  opt.user = [&](int mode, int col) {
    if (mode == kDeIdle) cols.push_back(col);
    return mode == kDeException ? 0 : 1;
  };
  browse(opt);
  EXPECT_EQ(cols, (std::vector<int>{1, 3, 1, 2, 3, 4, 2, 5, 1, 2, 2}));
  const auto& w = term->waits();
  EXPECT_EQ(w[0].row_utf8(4).find("Cim"), std::string::npos);
  // Right onto Cim scrolls it in: Nev becomes the first column on the screen (76
  // columns wide: from column 1 + 1).
  EXPECT_EQ(w[5].row_utf8(4).find("Nev"), 2u) << w[5].row_utf8(4);
  EXPECT_NE(w[5].row_utf8(4).find("Cim"), std::string::npos);
  // Ctrl+End shows the last column with its values.
  EXPECT_NE(w[7].row_utf8(4).find("Megjegyzes"), std::string::npos) << w[7].row_utf8(4);
  EXPECT_NE(w[7].row_utf8(6).find("Megjegyzes 10000"), std::string::npos) << w[7].row_utf8(6);
  // Ctrl+Right pans one column while the cursor stays on a visible column.
  EXPECT_EQ(w[9].row_utf8(4).find("Nev"), 2u);
  EXPECT_EQ(w[10].row_utf8(4).find("Kod"), 19u);
}

TEST_F(BrowseTest, RepaintAfterADeletionDropsTheRecord) {
  open(kRecords);
  areas.set_deleted(true);
  term->keys({key::kDown, key::kDown, 't', key::kEsc});
  BrowseOptions opt;
  opt.heading_sep = HU("─");
  opt.user = [&](int mode, int) {
    if (mode != kDeException) return 1;
    if (con->last_key() == 't') {
      area().delete_record();
      area().skip(1);
      return 2;
    }
    return 0;
  };
  browse(opt);
  const Screen& after = term->waits().back();
  EXPECT_NE(after.row_utf8(7).find("N00001"), std::string::npos);
  EXPECT_NE(after.row_utf8(8).find("N00003"), std::string::npos) << after.row_utf8(8);
  EXPECT_EQ(after.text_utf8().find("N00002"), std::string::npos);
  EXPECT_EQ(after.at(8, 19).attr, con->attr(kEnhanced));  // the cursor stays on its row
  EXPECT_EQ(nev(), "N00003");
}

TEST_F(BrowseTest, WithoutUserFunctionEnterAndEscEnd) {
  open(40, false);  // natural order
  term->keys({'x', key::kF2, key::kDown, key::kEnter});
  int hot = 0;
  con->set_key(key::kF2, [&](Console&) { ++hot; });
  browse({});
  EXPECT_EQ(hot, 1);
  EXPECT_EQ(area().recno(), 2u);
  // The default separators and a two-line heading split at ";".
  std::vector<std::string> heads = {";Kod", "Nev"};
  auto cols = browse_columns(areas, {"KOD", "NEV"}, {}, &heads);
  term->keys({key::kEsc});
  dbedit(*con, area(), 0, 0, 10, 40, cols);
  const Screen& s = term->waits().back();
  EXPECT_EQ(s.row_utf8(0).substr(6, 12), "        Nev ");  // 28 columns centred in 41
  EXPECT_EQ(s.row_utf8(1).substr(6, 3), "Kod");
  EXPECT_EQ(s.at(2, 0).ch, static_cast<unsigned char>(HU("═")[0]));
  EXPECT_NE(s.row_utf8(3).find("00002 │ "), std::string::npos) << s.row_utf8(3);
}

TEST_F(BrowseTest, EmptyTableAndFilter) {
  open(30, false);
  area().set_filter([&] { return area().get("OSSZ").as_num() > 25; });
  area().go_top();
  term->keys({key::kCtrlPgUp, key::kPgDn, key::kEsc});
  std::vector<std::string> seen;
  BrowseOptions opt;
  opt.user = [&](int mode, int) {
    seen.push_back(std::to_string(mode) + ":" + std::to_string(area().recno()));
    return mode == kDeException ? 0 : 1;
  };
  browse(opt);
  EXPECT_EQ(seen, (std::vector<std::string>{"0:26", "0:26", "0:30", "4:30"}));
  EXPECT_EQ(term->waits().back().row_utf8(10).find("00030"), 19u);
  // Below the last record the column separators run on to the window's bottom.
  std::string sep_only =
      std::string(25, ' ') + "│" + std::string(22, ' ') + "│" + std::string(31, ' ');
  EXPECT_EQ(term->waits().back().row_utf8(11), sep_only);
  EXPECT_EQ(term->waits().back().row_utf8(20), sep_only);

  area().set_filter([] { return false; });  // nothing to show: the empty mode
  area().go_top();
  term->keys({'f', key::kEsc});
  seen.clear();
  opt.user = [&](int mode, int) {
    seen.push_back(std::to_string(mode) + ":" + std::to_string(con->last_key()));
    return mode == kDeException && con->last_key() == key::kEsc ? 0 : 1;
  };
  browse(opt);
  EXPECT_EQ(seen, (std::vector<std::string>{"3:27", "4:102", "3:102", "4:27"}));
}

// The layout the program's browses get: the visible columns centred as a group, a
// plain line under the headings, the highlight over the value's own width, the
// column separators down to the bottom of a window the records do not fill.
TEST_F(BrowseTest, CentredColumnsPlainHeadingLineAndShortTable) {
  open(3, false);
  std::vector<std::string> heads = {"Kod", "Nev", "Megjegyzes"};
  auto cols = browse_columns(areas, {"KOD", "NEV", "LEFT(MEGJ,18)"}, {},
                             &heads);  // 5 + 3 + 20 + 3 + 18 = 49
  BrowseOptions opt;
  opt.heading_sep = HU("─");
  opt.user = [&](int mode, int) { return mode == kDeException ? 0 : 1; };
  term->keys({key::kEsc});
  dbedit(*con, area(), 4, 1, 20, 78, cols, opt);
  const auto& w = term->waits();
  const Screen& s = w[0];
  EXPECT_EQ(s.row_utf8(4).find("Kod"), 15u) << s.row_utf8(4);  // 1 + (78 - 49) / 2
  EXPECT_EQ(s.at(6, 14).ch, ' ');
  EXPECT_EQ(s.row_utf8(6).substr(15, 5), "00001");
  for (int c = 1; c <= 78; ++c)
    EXPECT_EQ(s.at(5, c).ch, static_cast<unsigned char>(HU("─")[0])) << c;
  for (int r = 9; r <= 20; ++r) {  // three records, then the separators alone
    EXPECT_EQ(s.at(r, 21).ch, static_cast<unsigned char>(HU("│")[0])) << r;
    EXPECT_EQ(s.at(r, 44).ch, static_cast<unsigned char>(HU("│")[0])) << r;
    EXPECT_EQ(s.at(r, 15).ch, ' ');
  }
  EXPECT_EQ(s.at(6, 19).attr, con->attr(kEnhanced));  // Kod: 5 of 5
  EXPECT_EQ(s.at(6, 20).attr, con->attr(kStandard));

  // A column whose heading is wider than its value: only the value is highlighted.
  std::vector<std::string> wide = {"Kod", "Megjegyzes"};
  auto cols2 = browse_columns(areas, {"KOD", "LEFT(MEGJ,4)"}, {}, &wide);
  term->keys({key::kRight, key::kEsc});
  dbedit(*con, area(), 4, 1, 20, 78, cols2, opt);
  const Screen& t = w.back();  // on "Megjegyzes" of the first record
  int x = 1 + (78 - 18) / 2 + 5 + 3;
  EXPECT_EQ(t.row_utf8(4).substr(static_cast<std::size_t>(x), 10), "Megjegyzes");
  EXPECT_EQ(t.at(6, x).ch, 'M');
  for (int c = x; c < x + 4; ++c) EXPECT_EQ(t.at(6, c).attr, con->attr(kEnhanced));
  EXPECT_EQ(t.at(6, x + 4).attr, con->attr(kStandard));

  // No spare width: the columns start at the window's edge.
  std::vector<std::string> full = {"Kod", "Nev", "Cim", "M"};
  auto cols3 = browse_columns(areas, {"KOD", "NEV", "CIM", "LEFT(MEGJ,4)"}, {}, &full);  // 78 wide
  term->keys({key::kEsc});
  dbedit(*con, area(), 4, 1, 20, 78, cols3, opt);
  EXPECT_EQ(w.back().row_utf8(6).substr(1, 5), "00001");
  EXPECT_EQ(w.back().at(6, 75).ch, 'M');
  EXPECT_EQ(w.back().at(6, 78).ch, 'j');
}

// The key that ends the browse reaches the user function with the highlight off,
// and the browse leaves it off; a key that goes on gets it back.
TEST_F(BrowseTest, HighlightOffWhileTheUserFunctionHasTheKey) {
  open(5, false);
  std::vector<Attr> seen;
  BrowseOptions opt;
  opt.heading_sep = HU("─");
  opt.user = [&](int mode, int) {
    if (mode != kDeException) return 1;
    seen.push_back(con->screen().at(7, 19).attr);
    return con->last_key() == key::kEsc ? 0 : 1;
  };
  term->keys({key::kDown, 'x', key::kEsc});
  browse(opt);
  EXPECT_EQ(seen, (std::vector<Attr>{con->attr(kStandard), con->attr(kStandard)}));
  EXPECT_EQ(term->waits().back().at(7, 19).attr, con->attr(kEnhanced));  // back after "x"
  EXPECT_EQ(con->screen().at(7, 19).attr, con->attr(kStandard));         // not after Esc
}

// An empty table shows the phantom record on one highlighted row (numbers as 0);
// a movement key brings only the empty mode.
TEST_F(BrowseTest, EmptyTableShowsThePhantomRecord) {
  open(0, false);
  std::vector<int> modes;
  BrowseOptions opt;
  opt.heading_sep = HU("─");
  opt.user = [&](int mode, int) {
    modes.push_back(mode);
    return mode == kDeException ? 0 : 1;
  };
  term->keys({key::kDown, key::kPgUp, key::kEsc});
  std::vector<std::string> heads = {"Kod", "Nev", "Osszeg"};
  dbedit(*con, area(), 4, 1, 20, 78, browse_columns(areas, {"KOD", "NEV", "OSSZ"}, {}, &heads),
         opt);
  EXPECT_EQ(modes, (std::vector<int>{kDeEmpty, kDeEmpty, kDeEmpty, kDeException}));
  const Screen& s = term->waits()[0];
  EXPECT_EQ(s.row_utf8(6).substr(19, 5), "     ");
  EXPECT_EQ(s.at(6, 19).attr, con->attr(kEnhanced));
  EXPECT_EQ(s.at(6, 27).attr, con->attr(kStandard));
  EXPECT_EQ(s.row_utf8(6).find("         0"), 19u + 5 + 5 + 20 + 5) << s.row_utf8(6);
  EXPECT_EQ(s.at(6, 59).ch, '0');
  EXPECT_EQ(s.at(20, 25).ch, static_cast<unsigned char>(HU("│")[0]));
}

TEST_F(BrowseTest, RepaintShowsWhatAnotherWorkstationWrote) {
  write_table(dir + "/tabla.dbf", 50);
  ASSERT_TRUE(areas.use(dir + "/tabla", "", xbase::OpenMode::Shared));
  area().go_top();
  xbase::WorkAreas other;  // another workstation on the same file
  ASSERT_TRUE(other.use(dir + "/tabla", "", xbase::OpenMode::Shared));
  term->keys({key::kDown, 'r', key::kEsc});
  BrowseOptions opt;
  opt.user = [&](int mode, int) {
    if (mode != kDeException) return 1;
    if (con->last_key() != 'r') return 0;
    other.current().go_to(2);
    EXPECT_TRUE(other.current().rlock());
    other.current().put("NEV", Value::str("MODOSITOTT"));
    other.current().unlock();
    return 2;
  };
  browse(opt);
  EXPECT_NE(term->waits().back().row_utf8(7).find("MODOSITOTT"), std::string::npos)
      << term->waits().back().row_utf8(7);
  other.close_all();
}

// A key that changes the current record (a mark set with Space) shows on its row
// when the browse goes on, in every visible column, not only the highlighted one.
TEST_F(BrowseTest, AKeyThatChangesTheRecordShowsOnItsRowAtOnce) {
  write_table(dir + "/tabla.dbf", 5);
  ASSERT_TRUE(areas.use(dir + "/tabla", "", xbase::OpenMode::Exclusive));
  area().go_top();
  term->keys({key::kDown, ' ', key::kEsc});
  BrowseOptions opt;
  opt.user = [&](int mode, int) {
    if (mode != kDeException) return 1;
    if (con->last_key() != ' ') return 0;
    area().put("OSSZ", Value::num(777));  // another column than the highlighted one
    return 1;
  };
  browse(opt);
  // The wait before Esc: record 2 on the second data row (rows 4 and 5 hold the
  // heading and its separator line).
  std::string second = term->waits().back().row_utf8(7);
  EXPECT_NE(second.find("777"), std::string::npos) << second;
}

// The dependants browse runs from a push button inside the person form's read: the
// form's field list is kept aside, the browse's own form reads a new list, and the
// outer read goes on where it was.
TEST_F(BrowseTest, BrowseWithItsOwnReadInsideAFormsRead) {
  open(20, false);
  xbase::Variables vars;
  ReadContext ctx(*con);
  vars.assign("XNEV", Value::str("      "));
  vars.assign("XELTART", Value::str("     "));
  vars.assign("XCIM", Value::str("    "));
  Value label = Value::str("Eltartottak");
  ctx.getlist().add(*con, vars, 1, 0, "XNEV");
  GetField& button = ctx.getlist().add(*con, 2, 0, "GOMB", bind_value(label));
  ctx.getlist().add(*con, vars, 3, 0, "XCIM");
  std::vector<std::string> names;
  button.reader = [&](ReadSession& s, GetField&) {
    if (s.wait_key() != key::kEnter) return;
    GetList kept = ctx.getlist();
    ctx.getlist().clear();
    BrowseOptions opt;
    opt.user = [&](int mode, int) {
      if (mode != kDeException) return 1;
      if (con->last_key() != 'm') return 0;
      ctx.getlist().add(*con, vars, 22, 0, "XELTART");
      read_pending(ctx);
      names.push_back(xbase::rtrim(vars.find("XELTART")->as_str()) + "@" +
                      std::to_string(area().recno()));
      return 2;
    };
    dbedit(*con, area(), 5, 0, 20, 79, columns(), opt);
    ctx.getlist() = kept;
    names.push_back(ctx.read_var());
  };
  term->input("nev");
  term->keys({key::kEnter});      // on to the button
  term->keys({key::kEnter});      // opens the browse
  term->keys({key::kDown, 'm'});  // the browse's form on record 2
  term->input("elt");
  term->keys({key::kEnter, key::kEsc});  // the form's read ends; Esc leaves the browse
  term->input("cim");
  term->keys({key::kEnter});  // the last field of the person form: the read ends
  EXPECT_TRUE(read_pending(ctx));
  EXPECT_EQ(names, (std::vector<std::string>{"elt@2", "GOMB"}));
  EXPECT_EQ(vars.find("XNEV")->as_str(), "nev   ");
  EXPECT_EQ(vars.find("XCIM")->as_str(), "cim ");
  EXPECT_TRUE(ctx.getlist().empty());
}

// The text viewer's way: no headings and no separators, so the columns join into
// the line; a line wider than the window scrolls sideways by column.
TEST_F(BrowseTest, JoinedColumnsWithoutHeadingsOrSeparators) {
  open(3, false);
  std::vector<std::string> none(5, "");
  auto cols = browse_columns(areas, {"KOD", "NEV", "OSSZ", "CIM", "MEGJ"}, {}, &none);
  BrowseOptions opt;
  opt.heading_sep = "";
  opt.column_sep = "";
  term->keys({key::kCtrlRight, key::kEsc});
  dbedit(*con, area(), 0, 0, 23, 79, cols, opt);
  const auto& w = term->waits();
  std::string first = w[0].row_utf8(0);  // 75 columns centred in 80
  EXPECT_EQ(first.substr(2, 40), "00001" + xbase::padr("N07919", 20) + "         1" + "Cim 1");
  EXPECT_EQ(w[0].row_utf8(3), std::string(80, ' '));
  EXPECT_EQ(w[1].row_utf8(0).substr(5, 11), "N07919     ");  // one column to the right
}

}  // namespace
