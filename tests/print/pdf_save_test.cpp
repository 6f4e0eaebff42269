// The PDF route end to end below the menus and the dialog that saves the PDF: its
// place and defaults, a missing directory made on "Igen", an existing file replaced
// only on "Igen", a target that cannot be made keeping the dialog, Esc keeping the
// made PDF, the remembered answers and the viewer started with exactly the target.
#include "print/pdf_save.h"

#include <chrono>
#include <thread>

#include "console/keys.h"
#include "print/print_job.h"
#include "print/print_station.h"
#include "support/platform_paths.h"
#include "xbase/hutext.h"

namespace print {
namespace {

namespace fs = std::filesystem;
namespace key = console::key;
using testing::cells;
using testing::PrintStation;
using testing::slurp;
using testing::spit;

struct PdfStation : PrintStation {
  std::string pdf;
  PdfStation() {
    pdf = temp + "/made.pdf";
    spit(pdf, "%PDF-1.5 made");
    route("PDF", "EPSON");
  }
  void type(std::string_view s) {
    for (char c : s) term->key(static_cast<unsigned char>(c));
  }
  bool shown(std::string_view utf8) const {
    for (const auto& w : term->waits())
      if (w.text_utf8().find(utf8) != std::string::npos) return true;
    return false;
  }
};

// The current directory for one test.
struct ScopedCwd {
  fs::path before = fs::current_path();
  explicit ScopedCwd(const std::string& dir) { fs::current_path(dir); }
  ~ScopedCwd() { fs::current_path(before); }
};

std::string fit(std::string s, size_t n) {
  s.resize(n, ' ');
  return s;
}

TEST(Pdfbe, DialogPlaceDefaultsAndAMissingDirectoryMadeOnIgen) {
  PdfStation s;
  std::string out = s.dir + "/pdf/out";
  s.type(out + "\r\r\r");
  s.term->keys({key::kEnter});  // "Igen": make the directory
  PdfSave r = PDFBE(*s.ctx, s.pdf, "JOVEDIG");
  const console::Screen& d = s.term->waits()[0];
  EXPECT_EQ(cells(d, 8, 3, 1), std::string(HU("╔")));
  EXPECT_EQ(cells(d, 16, 76, 1), std::string(HU("╝")));
  EXPECT_NE(d.row_utf8(8).find("Mentés PDF fájlba"), std::string::npos);
  EXPECT_EQ(cells(d, 10, 6, 11), std::string(HU("Alkönyvtár:")));
  EXPECT_EQ(cells(d, 10, 18, kPdfDirWidth), fit(support::platform::current_dir(), kPdfDirWidth));
  EXPECT_EQ(cells(d, 12, 6, 11), std::string(HU("Fájl név  :")));
  EXPECT_EQ(cells(d, 12, 18, 30), fit("JOVEDIG", 30));
  EXPECT_EQ(cells(d, 14, 6, 21), std::string(HU("PDF megtekintése [X]:")));
  EXPECT_EQ(cells(d, 14, 28, 1), " ");
  EXPECT_TRUE(s.shown("A megadott könyvtár nem létezik."));

  ASSERT_TRUE(r.saved);
  EXPECT_EQ(r.target, out + "/JOVEDIG.pdf");
  EXPECT_EQ(slurp(r.target), "%PDF-1.5 made");
  EXPECT_FALSE(fs::exists(s.pdf));
  EXPECT_EQ(slurp(s.file("pdfek.alk")), fit(out, kPdfDirWidth) + "\r\n ");
  EXPECT_EQ(s.windows.count(), 0);
  EXPECT_EQ(s.con->device(), console::Device::Screen);
}

TEST(Pdfbe, ExistingFileOnlyOnIgenAndEscKeepsTheMadePdf) {
  PdfStation s;
  fs::create_directories(s.dir + "/out");
  spit(s.file("pdfek.alk"), fit(s.dir + "/out", kPdfDirWidth) + "\r\n ");
  spit(s.dir + "/out/EKHOIG.pdf", "older");
  // The remembered directory and the report's name: Enter three times; "Nem" to
  // the question, then Esc.
  s.term->keys({key::kEnter, key::kEnter, key::kEnter, 'n', key::kEsc});
  PdfSave r = PDFBE(*s.ctx, s.pdf, "EKHOIG");
  EXPECT_FALSE(r.saved);
  EXPECT_TRUE(s.shown("A fájl már létezik:"));
  EXPECT_TRUE(s.shown("Felülírja?"));
  EXPECT_EQ(slurp(s.dir + "/out/EKHOIG.pdf"), "older");
  EXPECT_TRUE(fs::exists(s.pdf));

  s.term->keys({key::kEnter, key::kEnter, key::kEnter, key::kEnter});
  r = PDFBE(*s.ctx, s.pdf, "EKHOIG");
  EXPECT_TRUE(r.saved);
  EXPECT_EQ(slurp(s.dir + "/out/EKHOIG.pdf"), "%PDF-1.5 made");
}

TEST(Pdfbe, TargetThatCannotBeMadeKeepsTheDialog) {
  PdfStation s;
  spit(s.dir + "/plain", "a file, not a directory");
  s.type(s.dir + "/plain/sub\r\r\r");
  s.term->keys({key::kEnter});            // "Igen": the directory cannot be made
  s.term->keys({key::kEnter, key::kEsc});  // "OK", then Esc in the dialog
  PdfSave r = PDFBE(*s.ctx, s.pdf, "JAR1");
  EXPECT_FALSE(r.saved);
  bool five = false;
  for (const auto& w : s.term->waits()) {
    std::string t = w.text_utf8();
    five |= t.find(s.dir + "/plain/sub/JAR1.pdf fájl nem hozható létre!") != std::string::npos &&
            t.find("Lehetséges okok:") != std::string::npos &&
            t.find("-hibás könyvtár vagy fájlnév") != std::string::npos &&
            t.find("-a fájl meg van nyitva a pdf olvasóban") != std::string::npos;
  }
  EXPECT_TRUE(five);
  EXPECT_TRUE(fs::exists(s.pdf));
  EXPECT_FALSE(fs::exists(s.file("pdfek.alk")));
  EXPECT_EQ(s.windows.count(), 0);
}

TEST(Pdfbe, ViewFlagOpensExactlyTheTarget) {
  PdfStation s;
  std::string log = s.dir + "/xdg.log";
  s.stand_in("xdg-open", "printf '%s|' \"$@\" > \"" + log + ".part\"; mv \"" + log + ".part\" \"" +
                             log + "\"\n");
  s.type(s.dir + "\r\rx");
  PdfSave r = PDFBE(*s.ctx, s.pdf, "JAR1");
  ASSERT_TRUE(r.saved);
  for (int i = 0; i < 100 && !fs::exists(log); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(slurp(log), s.dir + "/JAR1.pdf|");
  EXPECT_EQ(slurp(s.file("pdfek.alk")).substr(kPdfDirWidth), "\r\nX");
}

// Directories and names typed with accents are the file system's UTF-8 names: an
// existing "kimenő" is found, a missing "pdfőű" is made under that name, and the
// viewer gets the UTF-8 path; "pdfek.alk" keeps the directory as typed (CP852).
TEST(Pdfbe, AccentedDirectoriesAndNamesAsTheFileSystemSpellsThem) {
  PdfStation s;
  std::string log = s.dir + "/xdg.log";
  s.stand_in("xdg-open", "printf '%s|' \"$@\" > \"" + log + ".part\"; mv \"" + log + ".part\" \"" +
                             log + "\"\n");
  fs::create_directories(s.dir + "/kimenő");
  s.term->input(s.dir + "/kimenő");
  s.term->keys({key::kEnter});
  s.term->input("számla");
  s.term->keys({key::kEnter, 'x'});
  PdfSave r = PDFBE(*s.ctx, s.pdf, "JOVEDIG");
  ASSERT_TRUE(r.saved);
  EXPECT_FALSE(s.shown("A megadott könyvtár nem létezik."));
  EXPECT_EQ(r.target, s.dir + "/kimenő/számla.pdf");
  EXPECT_EQ(slurp(s.dir + "/kimenő/számla.pdf"), "%PDF-1.5 made");
  EXPECT_EQ(slurp(s.file("pdfek.alk")), fit(s.dir + "/kimen\x8b", kPdfDirWidth) + "\r\nX");
  for (int i = 0; i < 100 && !fs::exists(log); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(slurp(log), s.dir + "/kimenő/számla.pdf|");

  // The remembered directory is offered as typed: row 10, columns 18 to 73.
  spit(s.pdf, "%PDF-1.5 made");
  s.term->keys({key::kEsc});
  PDFBE(*s.ctx, s.pdf, "JOVEDIG");
  EXPECT_EQ(cells(s.term->last_wait(), 10, 18, kPdfDirWidth),
            fit(s.dir + "/kimen\x8b", kPdfDirWidth));

  // A directory that does not exist: asked, and made under its UTF-8 name.
  s.term->input(s.dir + "/pdfőű");
  s.term->keys({key::kEnter, key::kEnter, key::kEnter, key::kEnter});  // "Igen"
  r = PDFBE(*s.ctx, s.pdf, "EKHOIG");
  ASSERT_TRUE(r.saved);
  EXPECT_TRUE(s.shown("A megadott könyvtár nem létezik."));
  EXPECT_TRUE(fs::is_directory(s.dir + "/pdfőű"));
  EXPECT_FALSE(fs::exists(s.dir + "/pdf\x8b\xfb"));
  EXPECT_EQ(slurp(s.dir + "/pdfőű/EKHOIG.pdf"), "%PDF-1.5 made");
}

// An installation under an accented directory offers it as the screen spells it:
// "mű" at row 10 from column 18, not its UTF-8 bytes; Enter saves the PDF there.
TEST(Pdfbe, AnInstallationUnderAnAccentedDirectoryIsOfferedRight) {
  PdfStation s;
  fs::create_directories(s.dir + "/mű");
  ScopedCwd here(s.dir + "/mű");
  s.term->keys({key::kEnter, key::kEnter, key::kEnter});
  PdfSave r = PDFBE(*s.ctx, s.pdf, "JOVEDIG");
  const std::string real = fs::canonical(s.dir).string();
  EXPECT_EQ(cells(s.term->waits()[0], 10, 18, kPdfDirWidth), fit(real + "/m\xfb", kPdfDirWidth));
  ASSERT_TRUE(r.saved);
  EXPECT_FALSE(s.shown("A megadott könyvtár nem létezik."));
  EXPECT_EQ(r.target, real + "/mű/JOVEDIG.pdf");
  EXPECT_EQ(slurp(real + "/mű/JOVEDIG.pdf"), "%PDF-1.5 made");
}

TEST(PdfRoute, JobMakesThePdfIntoTheGivenDirectoryOrAsksForIt) {
  PdfStation s;
  JobSpec spec;
  spec.name = "JOVEDIG";
  spec.pdf_dir = s.dir;
  JobOutcome o = run_print_job(*s.ctx, spec, [&](PrintJob& job) {
    s.con->say(0, 0, job.text(HU("Első oldal")));
    s.con->printer().eject();
    s.con->say(0, 0, "second");
    s.con->printer().eject();
  });
  EXPECT_EQ(o.status, JobStatus::Done);
  EXPECT_EQ(o.pages, 2);
  EXPECT_EQ(o.files, std::vector<std::string>{s.dir + "/JOVEDIG.pdf"});
  EXPECT_EQ(slurp(s.dir + "/JOVEDIG.pdf").substr(0, 5), "%PDF-");
  EXPECT_FALSE(fs::exists(work_file() + ".pdf"));

  // Without a directory the dialog asks; Esc keeps the made PDF.
  spec.pdf_dir.clear();
  s.term->keys({key::kEsc});
  o = run_print_job(*s.ctx, spec, [&](PrintJob&) { s.con->say(0, 0, "x"); });
  EXPECT_EQ(o.status, JobStatus::Cancelled);
  EXPECT_EQ(o.files, std::vector<std::string>{work_file() + ".pdf"});
  EXPECT_TRUE(fs::exists(work_file() + ".pdf"));

  // An empty job makes no PDF and asks nothing.
  size_t waits = s.term->waits().size();
  o = run_print_job(*s.ctx, spec, [](PrintJob&) {});
  EXPECT_EQ(o.status, JobStatus::Done);
  EXPECT_TRUE(o.files.empty());
  EXPECT_EQ(s.term->waits().size(), waits);

  // Without its font the route is not ready.
  ::setenv("VIRDA_PDFFONT", (s.dir + "/none.ttf").c_str(), 1);
  o = run_print_job(*s.ctx, spec, [](PrintJob&) { ADD_FAILURE(); });
  ::unsetenv("VIRDA_PDFFONT");
  EXPECT_EQ(o.status, JobStatus::NotWritten);
  EXPECT_EQ(o.message[0], std::string(HU("A PDF-hez szükséges betűkészlet hiányzik: ")) + s.dir +
                              "/none.ttf");
}

}  // namespace
}  // namespace print
