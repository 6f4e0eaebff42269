// The viewer's "P": the whole file to the printer route with a form feed after
// every NPAGE - 1 print rows and the current line kept; a route that is not ready
// says so and the viewer stays.
#include <gtest/gtest.h>

#include "console/keys.h"
#include "print/print_station.h"
#include "print/viewer_hooks.h"
#include "ui/viewer.h"
#include "xbase/hutext.h"

namespace print {
namespace {

namespace key = console::key;
using testing::PrintStation;
using testing::slurp;
using testing::spit;

TEST(ViewerPrint, PrintsPagesOfTheFileAndKeepsTheLine) {
  PrintStation s;
  s.route("LPT1", "EPSON", /*cwi=*/true);
  s.set("KHPAUTO", xbase::Value::num(2));
  std::string lpt = s.lpt1_file();
  std::string text;
  for (int i = 1; i <= 150; ++i) text += "L" + std::to_string(i) + "\r\n";
  text += std::string(HU("Ő\r\n"));
  spit(s.file("valt0001.txt"), text);
  // Down twice, print, then Esc; the line number shown after the print is 3.
  s.term->keys({key::kDown, key::kDown, 'P', key::kEsc});
  ui::readme_bg(*s.reads, s.windows, &s.vars, s.file("valt0001.txt"), 0, "ny", viewer_hooks(*s.ctx));
  EXPECT_EQ(s.term->waits()[3].row_utf8(24).substr(6, 6), "     3");
  std::string out = slurp(lpt);
  std::vector<std::string> pages;
  size_t from = 0;
  for (size_t ff; (ff = out.find('\f', from)) != std::string::npos; from = ff + 1)
    pages.push_back(out.substr(from, ff - from));
  ASSERT_EQ(pages.size(), 3u);  // 63 + 63 + 25 rows
  EXPECT_EQ(pages[0].substr(0, 4), "\r\nL1");
  EXPECT_EQ(pages[1].substr(0, 6), "\r\r\nL64");
  EXPECT_NE(pages[2].find("\r\n\x99"), std::string::npos);  // Ő for the CWI printer
  EXPECT_EQ(out.substr(out.size() - 2), "\f\r");
}

TEST(ViewerPrint, RouteNotReadySaysSoAndTheViewerStays) {
  PrintStation s;
  s.route("LPT2", "EPSON");
  ::setenv("VIRDA_LPT2", (s.dir + "/missing").c_str(), 1);
  spit(s.file("n.txt"), "a\r\nb\r\n");
  s.term->keys({'p', key::kEnter, key::kDown, key::kEsc});
  ui::readme_bg(*s.reads, s.windows, &s.vars, s.file("n.txt"), 0, "ny", viewer_hooks(*s.ctx));
  EXPECT_NE(s.term->waits()[1].text_utf8().find("A nyomtató nem érhető el: " + s.dir + "/missing"),
            std::string::npos);
  EXPECT_EQ(s.term->waits()[3].row_utf8(24).substr(6, 6), "     2");  // still viewing
  ::unsetenv("VIRDA_LPT2");
}

TEST(ViewerPrint, PdfOfAPreviewIsNamedAfterTheFileWithoutItsExtension) {
  PrintStation s;
  s.route("PDF", "EPSON");
  spit(s.file("jovedig.prn"), "ADATOK\r\n");
  s.term->keys({'P', key::kEsc, key::kEsc});  // the PDF dialog left with Esc, then the viewer
  ui::readme_bg(*s.reads, s.windows, &s.vars, s.file("jovedig.prn"), 0, "ny", viewer_hooks(*s.ctx));
  EXPECT_EQ(testing::cells(s.term->waits()[1], 12, 18, 9), "jovedig  ");
}

// A preview with an accented name: the PDF dialog offers its first 8 letters as the
// screen spells them (row 12 from column 18), and the PDF gets that UTF-8 name.
TEST(ViewerPrint, PdfOfAnAccentedPreviewIsNamedAfterItsLetters) {
  PrintStation s;
  s.route("PDF", "EPSON");
  spit(s.file("összesítő.prn"), "ADATOK\r\n");
  spit(s.file("pdfek.alk"), s.dir + "\r\n ");
  s.term->keys({'P', key::kEnter, key::kEnter, key::kEnter, key::kEsc});
  ui::readme_bg(*s.reads, s.windows, &s.vars, s.file("összesítő.prn"), 0, "ny",
                viewer_hooks(*s.ctx));
  EXPECT_EQ(testing::cells(s.term->waits()[1], 12, 18, 9), "\x94sszes\xa1t ");
  EXPECT_EQ(slurp(s.file("összesít.pdf")).substr(0, 5), "%PDF-");
}

}  // namespace
}  // namespace print
