// The table browse on a headless console over a table of 10,000 records in index
// order: paging to the right records, columns on and off the screen, the user
// function's modes and answers, deleted records vanishing after a repaint.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "console/browse_dbedit.h"
#include "console/headless.h"
#include "console/keys.h"
#include "xbase/dbf_format.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/ntx_order.h"
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
  xbase::Structure st = {{"KOD", 'C', 5, 0}, {"NEV", 'C', 20, 0}, {"OSSZ", 'N', 10, 0},
                         {"CIM", 'C', 40, 0}, {"MEGJ", 'C', 30, 0}};
  std::ofstream out(path, std::ios::binary);
  out << xbase::build_dbf_header(st, static_cast<uint32_t>(n), 2023, 1, 1);
  for (int i = 1; i <= n; ++i) {
    char rec[128];
    std::snprintf(rec, sizeof rec, " %05d%-20s%10d%-40s%-30s", i, name_of(i).c_str(), i,
                  ("Cim " + std::to_string(i)).c_str(), ("Megjegyzes " + std::to_string(i)).c_str());
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
    return browse_columns(areas, {"KOD", "NEV", "OSSZ", "CIM", "MEGJ", ""}, {"", "", "@Z 9999999999"},
                          &heads);
  }
  std::string nev() { return xbase::rtrim(area().get("NEV").as_str()); }
  std::string row(int r) { return con->screen().row_utf8(r); }
  // The browse in the person browse's rectangle: rows 4 to 20, one heading line and
  // the separator, so 15 records a page.
  void browse(BrowseOptions opt) { dbedit(*con, area(), 4, 1, 20, 78, columns(), opt); }
};

TEST_F(BrowseTest, PagesLandOnTheRightRecordsInIndexOrder) {
  open(kRecords);
  term->keys({key::kPgDn, key::kPgDn, key::kPgUp, key::kCtrlPgDn, key::kPgUp, key::kCtrlPgUp, key::kUp,
              key::kDown, key::kCtrlPgDn, key::kDown, key::kEsc});
  BrowseOptions opt;
  opt.heading_sep = HU("─");
  opt.user = [&](int mode, int) {
    log.push_back(std::to_string(mode) + ":" + nev() + "@" + std::to_string(con->row()));
    return mode == kDeException && con->last_key() == key::kEsc ? 0 : 1;
  };
  browse(opt);
  std::vector<std::string> want = {
      "0:N00000@6",                                // first record on the first data row
      "0:N00015@6",  "0:N00030@6", "0:N00015@6",   // PgDn PgDn PgUp: same row, a page on
      "0:N09999@20",                               // Ctrl+PgDn: last record on the last row
      "0:N09984@20",                               // PgUp keeps the row
      "0:N00000@6",                                // Ctrl+PgUp
      "1:N00000@6",  "0:N00000@6",                 // Up at the first record: top reached
      "0:N00001@7",  "0:N09999@20", "2:N09999@20", "0:N09999@20",  // Down at the last: bottom
      "4:N09999@20"};
  EXPECT_EQ(log, want);
  // The last page: N09985 … N09999 under the heading and its separator.
  const Screen& last = term->waits()[4];
  // (byte offsets of UTF-8 rows: "│" is three bytes)
  EXPECT_EQ(last.row_utf8(6).find("N09985"), 11u) << last.row_utf8(6);
  EXPECT_EQ(last.row_utf8(20).find("N09999"), 11u);
  EXPECT_EQ(last.row_utf8(4).find("Kod     Nev"), 1u) << last.row_utf8(4);
  EXPECT_EQ(last.at(5, 1).ch, static_cast<unsigned char>(HU("─")[0]));
  EXPECT_EQ(last.at(5, 7).ch, static_cast<unsigned char>(HU("┬")[0]));
  EXPECT_EQ(last.at(20, 7).ch, static_cast<unsigned char>(HU("│")[0]));
  EXPECT_EQ(last.at(20, 1).attr, con->attr(kEnhanced));  // the current cell
  EXPECT_EQ(last.at(20, 9).attr, con->attr(kStandard));
  EXPECT_EQ(nev(), "N09999");  // the area stays where the cursor was
}

}  // namespace
