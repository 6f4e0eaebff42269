// The certificates on paper: the printer's control sequences around the layout, the
// registered-user line, the CWI character set, and the PDF route.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "certs/cert_fixture.h"
#include "certs/ekho_run.h"
#include "certs/m30_run.h"
#include "console/keys.h"
#include "print/print_station.h"
#include "support/platform_run.h"

namespace certs {
namespace {

namespace fs = std::filesystem;
using print::testing::PrintStation;
using print::testing::slurp;
using namespace testing;

std::string esc(std::string_view s) { return "\x1b" + std::string(s); }
std::string cp(const char* utf8) { return xbase::utf8_to_cp852(utf8); }

int count(const std::string& hay, const std::string& needle) {
  int n = 0;
  for (std::size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1)) ++n;
  return n;
}

// The golden installation with its printer on a route; LPT1 is a file of the test.
struct Printing : PrintStation {
  std::string lpt;
  Printing(const std::string& route, const std::string& language, bool cwi = false) {
    golden_installation(*this);
    this->route(route, language, cwi);
    lpt = lpt1_file();
  }
};

RunRequest paper_request(std::string from, std::string to) {
  RunRequest r = screen_request(std::move(from), std::move(to));
  r.device = Device::Printer;
  return r;
}

TEST(Paper, M30OnAnHpPrinterWrapsTheLayoutInItsSequences) {
  Printing s("LPT1", "HP");
  RunResult r = run_m30(*s.ctx, paper_request("001", "001"));
  ASSERT_EQ(r.outcome.status, print::JobStatus::Done);
  EXPECT_EQ(r.certificates, 3);
  const std::string out = slurp(s.lpt);

  // The job's initialisation, then elite pitch and 6 lines per inch, then row 1.
  EXPECT_EQ(out.rfind(esc("E") + esc("&l3A") + esc("(17U") + esc("(s12H") + esc("&l6D") + "\r\n" +
                          cp("Sorszám:    1"),
                      0),
            0u);
  // Headings in bold, section titles underlined.
  EXPECT_NE(out.find(esc("(s3B") + std::string(50, ' ') + "23M30" + std::string(50, ' ') + esc("(s0B")),
            std::string::npos);
  EXPECT_NE(out.find(esc("&d1D") + cp("I. AZ ÖSSZEVONT ADÓALAPBA TARTOZÓ JÖVEDELMEK (BEVÉTELEK)") +
                     esc("&d@")),
            std::string::npos);
  // The column counter counts the sequences' bytes: "(a)" after the underlined
  // title lands left by their length.
  const std::string title = esc("&d1D") + cp("III. EGYÉB ADATOK") + esc("&d@");
  EXPECT_NE(out.find(title + std::string(73 - title.size(), ' ') + "(a)"), std::string::npos);

  // The registered-user line at column 105 - its length, in elite condensed pitch,
  // then pitch and spacing back and the page's end; once per certificate.
  const std::string user = cp("Regisztrált felhasználó: Próba Bérszámfejtő Bt.");
  const std::string ending = cp("adóbevallási tervezetet készít.") + "\r\n\r\n" +
                             std::string(105 - user.size(), ' ') + esc("(s10H ") + esc("(s20H") +
                             user + esc("(s10H ") + esc("(s12H") + esc("(s10H ") + esc("&l6D") +
                             "\f\r";
  EXPECT_EQ(count(out, ending), 3);
  EXPECT_EQ(out.size() - out.rfind(ending), ending.size());  // the last bytes of the job
  EXPECT_EQ(count(out, "\f\r"), 6);
}

TEST(Paper, EkhoOnAnEpsonPrinterStartsEachPageCondensedAndScalesTheUserLine) {
  Printing s("LPT1", "EPSON");
  RunResult r = run_ekho(*s.ctx, paper_request("001", "999"));
  EXPECT_EQ(r.certificates, 2);
  const std::string out = slurp(s.lpt);
  EXPECT_EQ(out.rfind("\x0f\x1b" "2\r\n\r\n", 0), 0u);
  EXPECT_NE(out.find("\f\r\x0f\x1b" "2\r\n\r\n"), std::string::npos);
  // "Reg. felh.: " and the user: 34 characters of 17/20 column each, so the line
  // starts at 134 - 28.9, column 105.
  const std::string user = cp("Reg. felh.: Próba Bérszámfejtő Bt.");
  EXPECT_NE(out.find("Budapest, 2024.01.31" + std::string(85, ' ') + "\x12\x1bM\x0f" + user +
                     "\x12\x1bP\x0f"),
            std::string::npos);
  EXPECT_EQ(count(out, user), 2);
}

TEST(Paper, CwiPrinterGetsItsLettersWhileThePreviewKeepsThem) {
  Printing s("LPT1", "HP", /*cwi=*/true);
  run_m30(*s.ctx, paper_request("001", "001"));
  const std::string paper = slurp(s.lpt);
  EXPECT_NE(paper.find("Dr. \x8Frv"), std::string::npos);  // Á as the CWI set has it
  EXPECT_EQ(paper.find("Dr. \xB5rv"), std::string::npos);
  EXPECT_EQ(paper.find(esc("E") + esc("&l3A")), 0u);  // the sequences untouched

  run_m30(*s.ctx, screen_request("001", "001"));
  const std::string preview = slurp(s.file("jovedig.prn"));
  EXPECT_NE(preview.find("Dr. \xB5rv"), std::string::npos);
  EXPECT_EQ(preview.find('\x1b'), std::string::npos);  // no control sequence at all
}

std::string pdf_text(const std::string& pdf) {
  std::string txt = pdf + ".txt";
  support::platform::run_wait({"pdftotext", "-layout", pdf, txt});
  return slurp(txt);
}

TEST(Paper, PdfRouteMakesTwoPagesPerCertificateAndOffersTheReportsName) {
  Printing s("PDF", "EPSON");
  RunRequest req = paper_request("001", "001");
  req.pdf_dir = s.dir + "/pdf";
  fs::create_directories(req.pdf_dir);
  RunResult r = run_m30(*s.ctx, req);
  ASSERT_EQ(r.outcome.status, print::JobStatus::Done);
  EXPECT_EQ(r.outcome.pages, 6);
  ASSERT_FALSE(r.outcome.files.empty());
  const std::string text = pdf_text(r.outcome.files.back());
  EXPECT_EQ(count(text, "Sorszám:"), 6);
  EXPECT_EQ(count(text, "Dr. Árvíztűrő"), 2);  // A and A's "K" record
  EXPECT_EQ(count(text, "Kis"), 1);
  EXPECT_EQ(count(text, "Regisztrált felhasználó: Próba Bérszámfejtő Bt."), 3);

  // Without a directory the save dialog asks, offering the report's name.
  req.pdf_dir.clear();
  s.term->keys({console::key::kEsc});
  r = run_m30(*s.ctx, req);
  ASSERT_FALSE(s.term->waits().empty());
  EXPECT_EQ(print::testing::cells(s.term->waits().back(), 12, 18, 30), "JOVEDIG" + std::string(23, ' '));
}

}  // namespace
}  // namespace certs
