// The text viewer on a headless console: the status line and line numbers, search
// with "K" and its continuation, sideways scrolling of wide print files, the print
// key without printing, and a large preview.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common/idle_viewer.h"
#include "console/get_read.h"
#include "console/headless.h"
#include "ui/viewer.h"
#include "ui/windows.h"
#include "xbase/hutext.h"
#include "xbase/vars.h"

namespace fs = std::filesystem;
namespace key = console::key;

namespace {

struct Fixture {
  std::string dir;
  console::HeadlessBackend* term;
  std::unique_ptr<console::Console> con;
  std::unique_ptr<console::ReadContext> reads;
  ui::WindowStack windows;
  xbase::Variables vars;
  Fixture() {
    char tmpl[] = "/tmp/mvirda_viewer_XXXXXX";
    dir = ::mkdtemp(tmpl);
    auto b = std::make_unique<console::HeadlessBackend>();
    term = b.get();
    con = std::make_unique<console::Console>(std::move(b));
    reads = std::make_unique<console::ReadContext>(*con);
    con->set_colour("w/n");
    con->clear_screen();
  }
  ~Fixture() { fs::remove_all(dir); }
  std::string file(const std::string& name, const std::string& text) {
    std::string p = dir + "/" + name;
    std::ofstream(p, std::ios::binary) << text;
    return p;
  }
  void type(std::string_view s) {
    for (char c : s) term->key(static_cast<unsigned char>(c));
  }
  // The line number on the status line of the n-th wait.
  std::string number(size_t wait) const { return term->waits()[wait].row_utf8(24).substr(6, 6); }
};

TEST(Viewer, ThreeLineNoteShowsTheCountAndLeavesTheScreenAsItWas) {
  Fixture f;
  std::string p = f.file("valt0001.txt", std::string(HU("első\r\nmásodik\r\nharmadik\r\n")));
  f.con->say(5, 5, "under the viewer");
  console::Screen before = f.con->screen();
  f.vars.assign("KER", xbase::Value::str("caller's"));
  f.term->keys({key::kDown, key::kEsc});
  EXPECT_EQ(ui::readme_bg(*f.reads, f.windows, &f.vars, p, 80, "ny", mvirda_test::idle_viewer()), 0);

  const console::Screen& first = f.term->waits()[0];
  std::string status = first.row_utf8(24);
  EXPECT_EQ(status.substr(2, 16), "Sor:     1/3    ");
  std::string raw;
  for (int c = 0; c < 80; ++c) raw += static_cast<char>(first.at(24, c).ch);
  EXPECT_NE(raw.find(std::string(HU("Mozgás:")) + "\x18\x19\x1b\x1a" +
                     std::string(HU("PgDn,PgUp   Keresés-K   Nyomtatás-P   Kilép-Esc"))),
            std::string::npos);
  EXPECT_EQ(first.row_utf8(0).substr(0, 7), "első  ");
  EXPECT_EQ(first.row_utf8(2).substr(0, 8), "harmadik");
  EXPECT_NE(first.at(24, 79).ch, 0x1a);  // no arrow at width 80
  EXPECT_EQ(f.number(1), "     2");

  EXPECT_EQ(f.con->screen().text_utf8(), before.text_utf8());
  EXPECT_EQ(f.con->colour_string(), "W/N,N/W,N/N,N/N,N/W");
  EXPECT_EQ(f.con->last_key(), ' ');
  EXPECT_TRUE(f.con->keyboard_empty());
  EXPECT_EQ(f.vars.find("KER")->as_str(), "caller's");  // the viewer's KER was private
  EXPECT_EQ(f.windows.count(), 0);
}

TEST(Viewer, StatusLineLabelsTheExportKeyByDefault) {
  std::string s = ui::viewer_status_line(12345, "t");
  EXPECT_EQ(s.size(), 80u);
  EXPECT_EQ(s.substr(0, 19), "  Sor:      /12345 ");
  EXPECT_NE(s.find(HU("   TXT fájlba-T  Kilép-Esc")), std::string::npos);
}

TEST(Viewer, SearchIgnoresCaseAndContinuesWithTheSameText) {
  Fixture f;
  std::string p = f.file("n.txt", "bevezetes\nADATOK elso\nsemmi\nmeg adatok\nvege\n");
  f.term->key('k');
  f.type("adat");
  f.term->keys({key::kEnter});            // wait 1: the search window, 2..: typing
  f.term->keys({'K', key::kEnter});       // same text: the next one
  f.term->keys({'k', key::kEnter, 'x'});  // no more: the message, a key
  f.term->keys({key::kEsc});
  ui::readme_bg(*f.reads, f.windows, nullptr, p, 0, "t", mvirda_test::idle_viewer());
  const auto& w = f.term->waits();
  ASSERT_GE(w.size(), 12u);
  EXPECT_NE(w[1].row_utf8(19).find("Keresendő:"), std::string::npos);
  EXPECT_NE(w[1].row_utf8(18).find("Keresés"), std::string::npos);
  EXPECT_EQ(f.number(6), "     2");   // back in the viewer after the first search
  EXPECT_EQ(f.number(8), "     4");   // "k" again, unchanged
  EXPECT_NE(w[10].row_utf8(19).find("Nem található..."), std::string::npos);
  EXPECT_EQ(f.number(11), "     5");  // ran off the end
}

TEST(Viewer, ChangedSearchTextStartsAtTheFirstLineAndEscKeepsThePlace) {
  Fixture f;
  std::string p = f.file("n.txt", "alma\nkorte\nalma\n");
  f.term->keys({key::kDown, key::kDown, 'k'});
  f.type("alma");
  f.term->keys({key::kEnter, 'k', key::kEsc, key::kEsc});
  ui::readme_bg(*f.reads, f.windows, nullptr, p, 0, "t", mvirda_test::idle_viewer());
  const auto& w = f.term->waits();
  EXPECT_EQ(f.number(2), "     3");
  EXPECT_EQ(f.number(8), "     1");              // changed text: from the top
  EXPECT_EQ(f.number(w.size() - 1), "     1");   // Esc in the search: no move
}

TEST(Viewer, WideLinesShowTheBlinkingArrowAndScrollSideways) {
  Fixture f;
  std::string line;
  for (int i = 0; i < 136; ++i) line += static_cast<char>('A' + i % 26);
  std::string p = f.file("jovedig.prn", line + "\r\n" + line + "\r\n");
  f.term->keys({key::kRight, key::kRight, key::kRight, key::kRight, key::kCtrlEnd, key::kEsc});
  ui::readme_bg(*f.reads, f.windows, nullptr, p, 136, "ny", mvirda_test::idle_viewer());
  const auto& w = f.term->waits();
  EXPECT_EQ(w[0].at(24, 79).ch, 0x1a);
  EXPECT_TRUE(console::attr_blink(w[0].at(24, 79).attr));
  EXPECT_EQ(w[0].row_utf8(0), line.substr(0, 80));
  EXPECT_EQ(w[3].row_utf8(0), line.substr(0, 80));   // fourth column still on screen
  EXPECT_EQ(w[4].row_utf8(0), line.substr(20, 80));  // fifth: one column sideways
  EXPECT_EQ(w[5].row_utf8(0), line.substr(60, 76) + "    ");  // "c121" at the right edge
}

TEST(Viewer, LineTableColumnsAndJoinedLine) {
  Fixture f;
  std::vector<std::string> lines{"x", std::string(150, 'y')};
  ui::TextViewer v(*f.reads, f.windows, lines, 136, "t", mvirda_test::idle_viewer());
  EXPECT_EQ(v.columns(), 7);
  v.set_current(1);
  EXPECT_EQ(v.rmbgfn2(), std::string(140, 'y'));  // the line as loaded was cut at 140 already
  v.set_current(0);
  EXPECT_EQ(v.rmbgfn2(), "x" + std::string(139, ' '));
  EXPECT_EQ(ui::load_view_lines(f.file("cut", std::string(150, 'z') + "\nb\x1a" "rest"), 140),
            (std::vector<std::string>{std::string(140, 'z'), "b"}));
}

TEST(Viewer, PrintAndExportKeysGoToTheirHooksAndPrintingKeepsTheLine) {
  Fixture g;
  std::string q = g.file("p.txt", "1\n2\n3\n");
  int printed = 0;
  std::string exported;
  ui::ViewerHooks hooks{
      .export_file = [&](std::string_view file) { exported = file; },
      .print =
          [&](ui::TextViewer& v) {
            for (long i = 0; i < v.line_count(); ++i, ++printed) v.set_current(i);
          },
  };
  g.term->keys({key::kDown, 'P', 't', key::kEsc});
  ui::readme_bg(*g.reads, g.windows, nullptr, q, 0, "ny", hooks);
  EXPECT_EQ(printed, 3);
  EXPECT_EQ(g.number(2), "     2");
  EXPECT_EQ(exported, q);
}

TEST(Viewer, SzirWritesAtTheCursorInItsColourAndGivesEmptyText) {
  Fixture f;
  f.con->set_pos(3, 7);
  EXPECT_EQ(ui::szir(*f.con, "ab", "gr+/b") + "x", "x");
  EXPECT_EQ(f.con->screen().at(3, 7).ch, 'a');
  EXPECT_EQ(f.con->screen().at(3, 8).attr, console::make_attr(14, 1));
  EXPECT_EQ(f.con->col(), 9);
  EXPECT_EQ(f.con->colour_string(), "W/N,N/W,N/N,N/N,N/W");
}

TEST(Viewer, PrintingPagesByThePageLength) {
  Fixture f;
  std::vector<std::string> lines;
  for (int i = 1; i <= 150; ++i) lines.push_back("L" + std::to_string(i));
  ui::TextViewer v(*f.reads, f.windows, lines, 80, "ny", mvirda_test::idle_viewer());
  v.set_current(41);
  console::Printer pr;
  std::string out = f.dir + "/print.prn";
  ASSERT_TRUE(pr.set_printer(out));
  ui::print_lines(v, pr, 64);
  pr.close();
  EXPECT_EQ(v.current(), 41);
  std::ifstream in(out, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  // Pages of 63 printed rows, each beginning with one empty line; 150 = 63 + 63 + 24.
  std::vector<std::string> pages;
  size_t from = 0;
  for (size_t ff; (ff = bytes.find('\f', from)) != std::string::npos; from = ff + 1)
    pages.push_back(bytes.substr(from, ff - from));
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[0].substr(0, 4), "\r\nL1");
  EXPECT_EQ(pages[1].substr(0, 6), "\r\r\nL64");  // the eject's CR, then the empty line
  EXPECT_NE(pages[0].find("L63 "), std::string::npos);
  EXPECT_EQ(pages[0].find("L64"), std::string::npos);
  EXPECT_EQ(pages[2].substr(0, 7), "\r\r\nL127");
  EXPECT_NE(pages[2].find("L150 "), std::string::npos);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\f\r");
}

TEST(Viewer, LargePreviewOpensAtOnce) {
  Fixture f;
  std::string text;
  for (int i = 1; i <= 100000; ++i) text += "sor " + std::to_string(i) + std::string(100, '.') + "\r\n";
  std::string p = f.file("big.prn", text);
  f.term->keys({key::kCtrlPgDn, key::kEsc});
  auto t0 = std::chrono::steady_clock::now();
  ui::readme_bg(*f.reads, f.windows, nullptr, p, 136, "t", mvirda_test::idle_viewer());
  double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  RecordProperty("open_and_close_ms", static_cast<int>(ms));
  EXPECT_NE(f.term->waits()[0].row_utf8(24).find("/100000"), std::string::npos);
  EXPECT_EQ(f.number(1), "100000");
  EXPECT_EQ(f.term->waits()[1].row_utf8(23).substr(0, 11), "sor 100000.");
}

}  // namespace
