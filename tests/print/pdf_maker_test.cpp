// The PDF maker: how a job's bytes are read (pitches, line spacing, bold,
// underline, resets, unknown sequences, pages), and the PDF it makes as the poppler
// tools see it: page count and size, the text of every page in order, one embedded
// font with its Unicode map, the same bytes for the same job, everything inside the
// page, and no file without a font.
#include "print/pdf_maker.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <set>

#include "print/pdf_check.h"
#include "print/pdf_page.h"
#include "print/pdf_font.h"
#include "print/print_station.h"
#include "print/routing.h"
#include "xbase/cp852.h"
#include "xbase/hutext.h"

namespace print::pdf {
namespace {

namespace fs = std::filesystem;
using print::testing::slurp;
using testing::run;
using testing::Scratch;

std::string esc(std::string_view s) { return "\x1b" + std::string(s); }
std::string hu(std::string_view s) { return std::string(s); }

std::string no_blanks(std::string_view utf8) {
  std::string out;
  for (char c : utf8)
    if (c != ' ' && c != '\n' && c != '\r' && c != '\f' && c != '\t') out += c;
  return out;
}

TEST(PdfStream, EpsonPitchesSpacingAndStyles) {
  std::string b = "a" + std::string("\x0f") + "b" + esc("M") + "c" + esc("P") + "\x12" + "d" +
                  esc("W\x01") + "e" + std::string("\x1bW\0", 3) + esc("E") + "f" + esc("F") +
                  esc("-\x01") + "g" + esc("-0") + "\r\n" + esc("0") + "h\n" + esc("2") + "i";
  std::vector<Page> pages = read_pages(b, Language::Epson);
  ASSERT_EQ(pages.size(), 1u);
  const auto& r = pages[0].runs;
  ASSERT_GE(r.size(), 8u);
  EXPECT_EQ(r[0].text, "a");
  EXPECT_DOUBLE_EQ(r[0].cell, 7.2);
  EXPECT_NEAR(r[1].cell, 4.2, 1e-9);  // condensed
  EXPECT_DOUBLE_EQ(r[2].cell, 3.6);   // elite condensed
  EXPECT_EQ(r[3].text, "d");
  EXPECT_DOUBLE_EQ(r[3].cell, 7.2);
  EXPECT_EQ(r[4].text, "e");
  EXPECT_DOUBLE_EQ(r[4].cell, 14.4);  // double width
  EXPECT_TRUE(r[5].bold);
  EXPECT_EQ(r[5].text, "f");
  EXPECT_TRUE(r[6].underline);
  EXPECT_FALSE(r[6].bold);
  // "h" one line down at 6 lpi, then "i" at 8 lpi spacing below it, from the margin
  // after the CR of the first line only (a bare LF keeps the column).
  EXPECT_EQ(r[7].text, "h");
  EXPECT_DOUBLE_EQ(r[7].top, 12);
  EXPECT_DOUBLE_EQ(r[7].x, 0);
  EXPECT_EQ(r[8].text, "i");
  EXPECT_DOUBLE_EQ(r[8].top, 21);
  EXPECT_DOUBLE_EQ(r[8].x, 7.2);
}

TEST(PdfStream, HpSequencesResetsUnknownOnesAndPages) {
  std::string b = esc("E") + esc("&l3A") + esc("(17U") + esc("(s16.67H") + "a" + esc("(s10H ") +
                  esc("(s3B") + "b" + esc("(s0B") + esc("&d1D") + "c" + esc("&d@") +
                  esc("*p120x50Y") + "d" + esc("&l8D") + "\r\n" + "e" + esc("&l0H") + esc("(s3B") +
                  "f" + esc("E") + "g\f\r";
  std::vector<Page> pages = read_pages(b, Language::Hp);
  ASSERT_EQ(pages.size(), 2u);
  const auto& r = pages[0].runs;
  ASSERT_EQ(r.size(), 6u);
  EXPECT_EQ(r[0].text, "a");
  EXPECT_NEAR(r[0].cell, 72 / 16.67, 1e-9);
  EXPECT_EQ(r[1].text, " ");  // the blank after "(s10H" is a character
  EXPECT_EQ(r[2].text, "b");
  EXPECT_TRUE(r[2].bold);
  EXPECT_TRUE(r[3].underline);
  EXPECT_EQ(r[4].text, "d");  // the cursor move was skipped whole
  EXPECT_FALSE(r[4].underline);
  EXPECT_EQ(r[5].text, "e");
  EXPECT_DOUBLE_EQ(r[5].top, 9);  // the line feed at 8 lpi
  const auto& r2 = pages[1].runs;
  ASSERT_EQ(r2.size(), 2u);
  EXPECT_TRUE(r2[0].bold);
  EXPECT_FALSE(r2[1].bold);  // ESC "E" reset everything
  // Nothing that leaves a mark after the last form feed: no last page; no bytes,
  // no pages.
  EXPECT_TRUE(read_pages("", Language::Epson).empty());
  EXPECT_EQ(read_pages("x\f \r\n", Language::Epson).size(), 1u);
  EXPECT_EQ(read_pages("x\fy", Language::Epson).size(), 2u);
}

TEST(PdfRepeats, ABlockIsAFormFromTheSecondTimeItIsMetAndKeepsItsNumber) {
  Repeats r;
  EXPECT_FALSE(r.line_met("a"));
  EXPECT_TRUE(r.line_met("a"));
  EXPECT_EQ(r.block("ab").form, 0);  // met now
  Repeats::Block second = r.block("ab");
  EXPECT_EQ(second.form, 1);
  EXPECT_TRUE(second.made);
  Repeats::Block third = r.block("ab");
  EXPECT_EQ(third.form, 1);
  EXPECT_FALSE(third.made);
  EXPECT_EQ(r.block("abc").form, 0);
  EXPECT_EQ(r.block("abc").form, 2);
  EXPECT_EQ(r.forms(), 2);
}

TEST(PdfPageDrawer, ARepeatedPageIsTextTwiceThenOneFormNamedByEveryLaterPage) {
  Scratch s;
  Font font;
  ASSERT_TRUE(font.load(s.font()));
  PageDrawer drawer(font);
  PageFrame frame;
  const std::vector<Page> pages = read_pages("Fejl\x82" "c\r\n\x1b" "E1. sor\x1b" "F\r\n2. sor\f" "Fejl\x82" "c\r\negyedi\r\n2. sor\f",
                                             Language::Epson);
  ASSERT_EQ(pages.size(), 2u);
  for (int i = 1; i <= 2; ++i) {
    const DrawnPage& d = drawer.draw(pages[0], frame);
    EXPECT_TRUE(d.forms.empty()) << i;
    EXPECT_EQ(d.content.find(" Do "), std::string::npos) << i;
  }
  const DrawnPage third = drawer.draw(pages[0], frame);
  ASSERT_EQ(third.forms.size(), 1u);
  EXPECT_EQ(third.forms[0].number, 1);
  // The form sets the text state it draws with: font, scaling, leading, and the bold
  // line's stroke as well as its return to plain.
  for (const char* op : {"Tf", "Tz", "TL", "2 Tr", "0 Tr"})
    EXPECT_NE(third.forms[0].content.find(op), std::string::npos) << op;
  EXPECT_NE(third.content.find("/X1 Do Q"), std::string::npos) << third.content;
  EXPECT_EQ(third.content.find("BT"), std::string::npos) << third.content;
  // A page with a line of its own between met lines: the lines around it are text
  // (their blocks are new), the new line too.
  const DrawnPage other = drawer.draw(pages[1], frame);
  EXPECT_TRUE(other.forms.empty());
  EXPECT_NE(other.content.find("(egyedi)Tj"), std::string::npos) << other.content;
  EXPECT_EQ(drawer.draw(pages[0], frame).content, third.content);
}

TEST(PdfMaker, PagesTextFontAndSameBytesEveryTime) {
  Scratch s;
  // Three pages of text with every kind of sequence in between.
  std::vector<std::string> texts = {
      hu(HU("Jövedelemigazolás 2023")) + hu(HU("árvíztűrő tükörfúrógép")),
      hu(HU("ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP")) + hu(HU("─═╔")),
      hu(HU("Összesen: 123 456 Ft")) + "vege"};
  std::string job = esc("@");
  job += "\x0f" + hu(HU("Jövedelemigazolás ")) + "\x12" + esc("M") + "2023\r\n" + esc("P");
  job += esc("E") + hu(HU("árvíztűrő ")) + esc("F") + esc("-\x01") + hu(HU("tükörfúrógép")) +
         esc("-") + '\0' + "\r\n\f\r";
  job += esc("0") + hu(HU("ÁRVÍZTŰRŐ")) + esc("<") + hu(HU(" TÜKÖRFÚRÓGÉP\r\n")) + hu(HU("─═╔")) +
         "\r\n\f\r";
  job += esc("2") + hu(HU("Összesen: 123 456 Ft\r\n")) + "\r\n" + "vege\r\n\f\r";
  Result r = make_pdf(job, {Language::Epson, 1, s.font()}, s.dir + "/a.pdf");
  ASSERT_EQ(r.status, Result::Status::Written);
  EXPECT_EQ(r.pages, 3);
  std::string info = run("pdfinfo " + s.dir + "/a.pdf");
  EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
  EXPECT_NE(info.find("595.276 x 841.89 pts (A4)"), std::string::npos) << info;
  for (int p = 1; p <= 3; ++p) {
    std::string text = run("pdftotext -raw -f " + std::to_string(p) + " -l " + std::to_string(p) +
                           " " + s.dir + "/a.pdf -");
    EXPECT_EQ(no_blanks(text), no_blanks(xbase::cp852_to_utf8(texts[static_cast<size_t>(p - 1)])))
        << "page " << p;
  }
  // One font, embedded as a subset with its Unicode map: DejaVu Sans Mono, for the
  // bold words too (drawn thickened).
  auto font_names = [](const std::string& fonts) {
    std::regex row(R"(([A-Z]{6})\+(\S+)\s.*\s(yes|no)\s+(yes|no)\s+(yes|no)\s+\d+\s+\d+)");
    std::set<std::string> names;
    for (std::sregex_iterator it(fonts.begin(), fonts.end(), row), end; it != end; ++it) {
      names.insert((*it)[2].str());
      EXPECT_EQ((*it)[3], "yes") << fonts;  // embedded
      EXPECT_EQ((*it)[5], "yes") << fonts;  // Unicode map
    }
    return names;
  };
  EXPECT_EQ(font_names(run("pdffonts " + s.dir + "/a.pdf")),
            std::set<std::string>{"DejaVuSansMono"});
  make_pdf(hu(HU("árvíztűrő ─═╔")), {Language::Epson, 1, s.font()}, s.dir + "/plain.pdf");
  EXPECT_EQ(font_names(run("pdffonts " + s.dir + "/plain.pdf")), std::set<std::string>{"DejaVuSansMono"});

  // The same job, the same file.
  make_pdf(job, {Language::Epson, 1, s.font()}, s.dir + "/b.pdf");
  EXPECT_EQ(slurp(s.dir + "/a.pdf"), slurp(s.dir + "/b.pdf"));

  // Wide paper lies across.
  make_pdf(job, {Language::Epson, 2, s.font()}, s.dir + "/c.pdf");
  EXPECT_NE(run("pdfinfo " + s.dir + "/c.pdf").find("841.89 x 595.276 pts (A4)"), std::string::npos);
}

TEST(PdfMaker, WideAndLongPagesStayInsideThePage) {
  Scratch s;
  std::string job = esc("M") + std::string(104, 'W') + "E\r\n" + esc("P");
  for (int i = 2; i <= 72; ++i) job += "sor" + std::to_string(i) + "\r\n";
  job += "\f\r";
  ASSERT_EQ(make_pdf(job, {Language::Epson, 1, s.font()}, s.dir + "/w.pdf").status,
            Result::Status::Written);
  std::string box = run("pdftotext -bbox " + s.dir + "/w.pdf -");
  std::smatch page;
  ASSERT_TRUE(std::regex_search(box, page, std::regex(R"re(<page width="([\d.]+)" height="([\d.]+)")re")));
  double w = std::stod(page[1]), h = std::stod(page[2]);
  std::regex word(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<)re");
  int words = 0;
  bool saw_last = false, saw_wide = false;
  for (std::sregex_iterator it(box.begin(), box.end(), word), end; it != end; ++it, ++words) {
    EXPECT_GE(std::stod((*it)[1]), 0);
    EXPECT_GE(std::stod((*it)[2]), 0);
    EXPECT_LE(std::stod((*it)[3]), w) << (*it)[5];
    EXPECT_LE(std::stod((*it)[4]), h) << (*it)[5];
    saw_last |= (*it)[5] == "sor72";
    saw_wide |= (*it)[5] == std::string(104, 'W') + "E";
  }
  EXPECT_EQ(words, 72);
  EXPECT_TRUE(saw_last);
  EXPECT_TRUE(saw_wide);
}

TEST(PdfMaker, NoFontNoFileAndNoBytesNoFile) {
  Scratch s;
  Result r = make_pdf("text\f", {Language::Epson, 1, s.dir + "/missing.ttf"}, s.dir + "/x.pdf");
  EXPECT_EQ(r.status, Result::Status::FontMissing);
  EXPECT_FALSE(fs::exists(s.dir + "/x.pdf"));
  r = make_pdf("", {Language::Epson, 1, s.font()}, s.dir + "/y.pdf");
  EXPECT_EQ(r.status, Result::Status::Empty);
  EXPECT_FALSE(fs::exists(s.dir + "/y.pdf"));
  r = make_pdf("text\f", {Language::Epson, 1, s.font()}, s.dir + "/no/such/dir/z.pdf");
  EXPECT_EQ(r.status, Result::Status::CreateFailed);
}

}  // namespace
}  // namespace print::pdf
