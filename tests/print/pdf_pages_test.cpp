// The PDF's pages as a reader sees them: four pages (an M30 and an EKHO certificate
// page, bold, underline, double width and the pitches, a page wider and longer than
// the paper) rendered at 50 dpi look as the references of the earlier maker within a
// stated tolerance, and the tolerance itself tells a missing glyph or a moved line;
// qpdf accepts the files, every font is embedded with its Unicode map and the text
// comes back with the Hungarian letters and the box lines; a full disk leaves no file.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "print/pdf_check.h"
#include "print/pdf_maker.h"
#include "support/platform_files.h"

namespace print::pdf {
namespace {

namespace fs = std::filesystem;
using namespace testing;
using print::testing::slurp;

const std::string kData = std::string(MVIRDA_SOURCE_DIR) + "/tests/print/data/";

// How far a rendering is from its reference: the mean difference of a pixel in grey
// levels (0-255), and the largest difference of ink of a 4 x 4 pixel square (grey
// levels a pixel). Anti-aliasing moves ink by a fraction of a pixel and keeps it in
// its square; a glyph that is missing or a line that moved takes it away.
struct Difference {
  double mean = 1e9, worst_square = 1e9;
};
constexpr double kMean = 1.5, kSquare = 60;

Difference compare(const Grey& a, const Grey& b) {
  Difference d;
  if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size() || a.pixels.empty())
    return d;
  auto at = [](const Grey& g, int x, int y) {
    return static_cast<int>(static_cast<unsigned char>(g.pixels[static_cast<size_t>(y * g.width + x)]));
  };
  double sum = 0;
  d.worst_square = 0;
  for (int ty = 0; ty < a.height; ty += 4)
    for (int tx = 0; tx < a.width; tx += 4) {
      int ink = 0, n = 0;
      for (int y = ty; y < std::min(a.height, ty + 4); ++y)
        for (int x = tx; x < std::min(a.width, tx + 4); ++x, ++n) {
          int diff = at(a, x, y) - at(b, x, y);
          ink += diff;
          sum += std::abs(diff);
        }
      d.worst_square = std::max(d.worst_square, std::abs(ink) / static_cast<double>(n));
    }
  d.mean = sum / static_cast<double>(a.pixels.size());
  return d;
}

bool alike(const Difference& d) { return d.mean <= kMean && d.worst_square <= kSquare; }

// A page of the job drawn by the maker (into `name`.pdf) and rendered.
Grey drawn(const Scratch& s, const std::string& job, const std::string& name, int page = 1) {
  std::string pdf = s.dir + "/" + name + ".pdf";
  EXPECT_EQ(make_pdf(job, {Language::Epson, 1, s.font()}, pdf).status, Result::Status::Written) << name;
  return render(pdf, page);
}

bool has_form(const Scratch& s, const std::string& name) {
  return slurp(s.dir + "/" + name + ".pdf").find("/Subtype/Form") != std::string::npos;
}

TEST(PdfPages, LookAsTheReferencesWithinTheTolerance) {
  Scratch s;
  for (std::string page : {"m30_page", "ekho_page", "styles_page", "wide_page"}) {
    Grey ref = read_png(kData + page + ".png");
    ASSERT_EQ(ref.width, 414) << page;  // A4 at 50 dpi
    ASSERT_EQ(ref.height, 585) << page;
    const std::string job = slurp(kData + page + ".prn");
    Difference d = compare(ref, drawn(s, job, page));
    EXPECT_TRUE(alike(d)) << page << ": mean " << d.mean << ", worst square " << d.worst_square;
    EXPECT_FALSE(has_form(s, page));
    // The third time the page comes it is drawn by a form (its lines met on the first
    // page, its block on the second): it looks the same.
    d = compare(ref, drawn(s, job + job + job, page + "3", 3));
    EXPECT_TRUE(alike(d)) << page << " by a form: mean " << d.mean << ", worst square " << d.worst_square;
    EXPECT_TRUE(has_form(s, page + "3")) << page;
  }
}

TEST(PdfPages, AFormTakesNoBoldFromThePageThatNamesIt) {
  // Every page opens with a bold line of its own (its trailing blanks differ, so it is
  // never met again) above the same certificate: the second page draws it as text, the
  // third by a form named while the page is drawing bold.
  Scratch s;
  const std::string body = slurp(kData + "m30_page.prn");
  std::string job;
  for (int k = 1; k <= 3; ++k) job += "\x1b" "E" "Oldal" + std::string(static_cast<size_t>(k), ' ') + "\r\n\x1b" "F" + body;
  Grey second = drawn(s, job, "bold", 2);
  Difference d = compare(second, render(s.dir + "/bold.pdf", 3));
  EXPECT_TRUE(alike(d)) << "mean " << d.mean << ", worst square " << d.worst_square;
  EXPECT_TRUE(has_form(s, "bold"));
  std::string text = run("pdftotext -f 3 -l 3 '" + s.dir + "/bold.pdf' -");
  EXPECT_NE(text.find("Oldal"), std::string::npos);
  EXPECT_NE(text.find("Sorszám"), std::string::npos) << text;
}

TEST(PdfPages, TheToleranceTellsAMissingGlyphAndAMovedLine) {
  Scratch s;
  Grey ref = read_png(kData + "m30_page.png");
  const std::string page = slurp(kData + "m30_page.prn");
  std::string plain = page, bold = page, moved = page;
  plain[plain.find("Munk")] = ' ';   // the first letter of a line
  bold[bold.find("23M30")] = ' ';    // a letter of the bold heading
  size_t half = moved.find("\r\n", moved.size() / 2);
  moved.insert(half, "\r\n");        // the lower half one line down
  for (const auto& [name, job] : {std::pair{"plain", plain}, {"bold", bold}, {"moved", moved}}) {
    Difference d = compare(ref, drawn(s, job, name));
    EXPECT_FALSE(alike(d)) << name << ": mean " << d.mean << ", worst square " << d.worst_square;
  }
}

TEST(PdfPages, AReaderAcceptsTheFileEveryFontEmbeddedWithItsUnicodeMap) {
  Scratch s;
  std::string pages;
  for (const char* page : {"m30_page", "ekho_page", "styles_page", "wide_page"}) pages += slurp(kData + page + ".prn");
  // Three times: the last four pages are drawn by forms.
  const std::string job = pages + pages + pages;
  for (int paper : {1, 2}) {
    std::string pdf = s.dir + "/all" + std::to_string(paper) + ".pdf";
    Result r = make_pdf(job, {Language::Epson, paper, s.font()}, pdf);
    ASSERT_EQ(r.status, Result::Status::Written);
    EXPECT_EQ(r.pages, 12);
    EXPECT_EQ(r.bytes, static_cast<long long>(fs::file_size(pdf)));
    // Forms and all, the same job gives the same bytes.
    make_pdf(job, {Language::Epson, paper, s.font()}, pdf + ".again");
    EXPECT_EQ(slurp(pdf), slurp(pdf + ".again"));
    int status = -1;
    std::string check = run("qpdf --check '" + pdf + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << check;
    EXPECT_NE(check.find("No syntax or stream encoding errors"), std::string::npos) << check;
    // Every row of the table: name, type, encoding, then emb, sub, uni.
    std::string fonts = run("pdffonts '" + pdf + "'");
    int rows = 0;
    size_t line = fonts.find("\n---");
    for (line = fonts.find('\n', line + 1); line != std::string::npos && line + 1 < fonts.size();
         line = fonts.find('\n', line + 1), ++rows) {
      std::string row = fonts.substr(line + 1, fonts.find('\n', line + 1) - line - 1);
      EXPECT_NE(row.find(" yes yes yes "), std::string::npos) << row;
    }
    EXPECT_EQ(rows, 1) << fonts;
    std::string text = run("pdftotext -f 9 -l 12 '" + pdf + "' -");
    for (const char* letter : {"ő", "ű", "Ő", "Ű", "─", "│", "┌", "═", "░"})
      EXPECT_NE(text.find(letter), std::string::npos) << letter;
    EXPECT_NE(text.find("Összesen"), std::string::npos);
  }
}

TEST(PdfMaker, AFullDiskLeavesNoPdfAndAnEarlierOneAsItWas) {
  Scratch s;
  std::string pdf = s.dir + "/job.pdf";
  print::testing::spit(pdf, "earlier");
  support::platform::FileFaults full;
  full.write = [](std::string_view) { return true; };
  support::platform::inject_file_faults(full);
  Result r = make_pdf(slurp(kData + "m30_page.prn"), {Language::Epson, 1, s.font()}, pdf);
  support::platform::inject_file_faults({});
  EXPECT_EQ(r.status, Result::Status::CreateFailed);
  EXPECT_EQ(slurp(pdf), "earlier");
  EXPECT_EQ(std::distance(fs::directory_iterator(s.dir), fs::directory_iterator()), 1);  // no work file
}

}  // namespace
}  // namespace print::pdf
