// The batch commands run in-process on a small installation: the same bytes the
// runs below the menus make, the exit code of each outcome, and nothing touched
// where the command must not touch anything.
#include <fcntl.h>
#include <unistd.h>

#include <thread>

#include "batch/batch_test_util.h"
#include "certs/m30_run.h"
#include "shell/shared_access.h"
#include "ui/dialogs.h"
#include "xbase/lock.h"
#include "xbase/ntx_format.h"

namespace batch {
namespace {

using namespace batch::testing;
using certs::testing::file_bytes;
using certs::testing::golden_bytes;
using certs::testing::same_print;

std::vector<std::string> with_dir(const Installation& inst, std::vector<std::string> args) {
  std::vector<std::string> all = {"--dir", inst.dir, "--date", "2024.01.31"};
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

TEST(BatchCertificates, PreviewsEqualTheGoldenFilesAndAreListed) {
  Installation inst;
  std::string out = inst.drive + "/ki";
  BatchResult m30 = batch(with_dir(inst, {"m30", "--companies", "001-999", "--out", out}));
  EXPECT_EQ(m30.code, 0) << m30.err;
  EXPECT_TRUE(same_print(golden_bytes("jovedig.prn"), file_bytes(out + "/jovedig.prn")));
  EXPECT_EQ(m30.out, out + "/jovedig.prn\n");
  // One progress line a company, with its name, and a closing line.
  EXPECT_TRUE(contains(m30.err, "mvirda23 m30: 001 Minta Kereskedelmi Kft.: 3 igazolás\n")) << m30.err;
  EXPECT_TRUE(contains(m30.err, "mvirda23 m30: kész, 5 igazolás\n")) << m30.err;

  BatchResult ekho = batch(with_dir(inst, {"--quiet", "ekho", "--out", out}));
  EXPECT_EQ(ekho.code, 0) << ekho.err;
  EXPECT_TRUE(same_print(golden_bytes("ekhoig.prn"), file_bytes(out + "/ekhoig.prn")));
  EXPECT_EQ(ekho.err, "");  // quiet
  // The runs left no unclean-exit marker: the exit sequence of the last one out.
  EXPECT_FALSE(std::filesystem::exists(inst.file("gond.baj")));
}

TEST(BatchCertificates, SelectionOptionsSelectAsTheDialogDoes) {
  Installation inst;
  // The same run called below the menus' dialog, for the same choices.
  {
    shell::testing::Station s(inst.dir);
    shell::set_globals(*s.ctx, shell::StartArgs{});
    s.areas.set_deleted(true);
    s.areas.set_exact(false);
    ASSERT_TRUE(NYITOGAT(*s.ctx, false));
    certs::RunRequest req = certs::testing::screen_request("001", "001");
    auto run_into = [&](const std::string& name) {
      req.out_dir = inst.drive + "/" + name;
      std::filesystem::create_directory(req.out_dir);
      certs::run_m30(*s.ctx, req);
    };
    req.selection.condi = ".T..AND.nyilat='M'";
    run_into("menu");
    req.selection.condi = ".T..AND.nyilat$'K'";
    req.selection.kvkod2 = "999";
    req.selection.kezdold = 2;
    run_into("menu2");
    req.selection.kszemszam = "8401234565";
    req.selection.kezdold = 1;
    run_into("menu3");
  }
  BatchResult a = batch(with_dir(inst, {"m30", "--companies", "1", "--kind", "employer", "--out",
                                        inst.drive + "/b1"}));
  EXPECT_EQ(a.code, 0) << a.err;
  EXPECT_TRUE(same_print(file_bytes(inst.drive + "/menu/jovedig.prn"),
                         file_bytes(inst.drive + "/b1/jovedig.prn")));
  BatchResult b = batch(with_dir(inst, {"m30", "--kind", "payer", "--start", "2", "--out",
                                        inst.drive + "/b2"}));
  EXPECT_EQ(b.code, 0) << b.err;
  EXPECT_TRUE(same_print(file_bytes(inst.drive + "/menu2/jovedig.prn"),
                         file_bytes(inst.drive + "/b2/jovedig.prn")));
  BatchResult c = batch(with_dir(inst, {"m30", "--person", "8401234565", "--kind", "payer", "--out",
                                        inst.drive + "/b3"}));
  EXPECT_EQ(c.code, 0) << c.err;
  EXPECT_TRUE(same_print(file_bytes(inst.drive + "/menu3/jovedig.prn"),
                         file_bytes(inst.drive + "/b3/jovedig.prn")));
}

TEST(BatchCertificates, PrintOnThePdfRouteOfTheSettingsWritesThePdfIntoTheOutputDirectory) {
  Installation inst;
  printer_route(inst, 7);  // "PDF " chosen under F2
  const struct {
    const char* command;
    const char* pdf;  // the name the PDF dialog offers: the report's
  } runs[] = {{"m30", "JOVEDIG.pdf"}, {"ekho", "EKHOIG.pdf"}};
  for (const auto& run : runs) {
    for (bool quiet : {false, true}) {
      std::string out = inst.drive + "/ki-" + run.command + (quiet ? "-q" : "");
      std::vector<std::string> args = {run.command, "--print", "--out", out};
      if (quiet) args.insert(args.begin(), "--quiet");
      BatchResult r = batch(with_dir(inst, args));
      EXPECT_EQ(r.code, 0) << run.command << "\n" << r.err;
      EXPECT_EQ(r.out, out + "/" + run.pdf + "\n") << run.command;
      EXPECT_EQ(file_bytes(out + "/" + run.pdf).substr(0, 5), "%PDF-") << run.command;
      // Nothing but the PDF: no preview, and the dialog's answers are not remembered.
      EXPECT_EQ(snapshot(out).size(), 1u) << run.command;
      EXPECT_FALSE(std::filesystem::exists(inst.file("pdfek.alk"))) << run.command;
      if (quiet) {
        EXPECT_EQ(r.err, "") << run.command;
      }
    }
  }
}

// A print route that cannot take the job, or a job that is not written: exit 7 and
// the reason on stderr, with --quiet too (it drops the progress lines only).
TEST(BatchCertificates, APrintThatIsNotWrittenSaysWhyAlsoWhenQuiet) {
  Installation inst;
  const std::string d = inst.drive;
  std::filesystem::create_directories(d + "/ures");  // a PATH without lp
  std::filesystem::create_directories(d + "/bin");
  std::ofstream(d + "/bin/lp") << "#!/bin/sh\nexit 3\n";
  std::filesystem::permissions(d + "/bin/lp", std::filesystem::perms::owner_all);
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  std::ofstream(d + "/fajl") << "x";  // a file where a directory should be made
  std::filesystem::create_directories(d + "/foglalt/EKHOIG.pdf");  // a directory in the PDF's place

  struct Case {
    const char* what;
    const char* command;
    int nprport;
    std::vector<std::pair<std::string, std::string>> env;
    std::vector<std::string> args;
    const char* told;
    std::string in_the_way = "";  // a file made where the route needs a directory
    bool keeps_copy = false;      // the copy lp was given stays, listed on stdout
  } cases[] = {
      {"port without its device", "ekho", 1, {{"VIRDA_LPT1", d + "/nincs/lp0"}}, {},
       "A nyomtató nem érhető el: "},
      {"port without its device", "m30", 1, {{"VIRDA_LPT1", d + "/nincs/lp0"}}, {},
       "A nyomtató nem érhető el: "},
      {"spool directory not creatable", "ekho", 5, {}, {},
       "A nyomtatási könyvtár nem hozható létre: ", d + "/prtwrk"},
      {"no lp", "ekho", 6, {{"PATH", d + "/ures"}}, {},
       "Az lp program nem indítható (cups-client)."},
      {"lp fails", "ekho", 6, {{"PATH", d + "/bin:" + path}}, {},
       "A nyomtatás nem sikerült (lp kilépési kód 3).", "", true},
      {"no font for the PDF", "ekho", 7, {{"VIRDA_PDFFONT", d + "/nincs.ttf"}}, {},
       "A PDF-hez szükséges betűkészlet hiányzik: "},
      {"PDF not creatable", "ekho", 7, {}, {"--out", d + "/foglalt"},
       "A PDF fájl nem hozható létre: "},
      {"work file not writable", "ekho", 7, {{"TEMP", d + "/nincs"}}, {},
       "A nyomtatási fájl nem írható: "},
      {"output directory not creatable", "ekho", 1, {}, {"--out", d + "/fajl/ki"},
       "a kimeneti könyvtár nem hozható létre: "},
  };
  for (const Case& c : cases) {
    printer_route(inst, c.nprport);
    if (!c.in_the_way.empty()) std::ofstream(c.in_the_way) << "x";
    for (bool quiet : {false, true}) {
      std::vector<std::unique_ptr<ScopedEnv>> env;
      for (const auto& [name, value] : c.env)
        env.push_back(std::make_unique<ScopedEnv>(name, value));
      std::vector<std::string> args = {"--dir", inst.dir};
      if (quiet) args.push_back("--quiet");
      args.push_back(c.command);
      args.push_back("--print");
      args.insert(args.end(), c.args.begin(), c.args.end());
      BatchResult r = batch(args);
      EXPECT_EQ(r.code, 7) << c.what << (quiet ? " (quiet)" : "") << "\n" << r.err;
      EXPECT_TRUE(contains(r.err, std::string("mvirda23 ") + c.command + ": " + c.told))
          << c.what << (quiet ? " (quiet)" : "") << "\n" << r.err;
      if (c.keeps_copy) {
        EXPECT_TRUE(r.out.starts_with(inst.dir + "/PR") && r.out.ends_with(".PRN\n")) << r.out;
      } else {
        EXPECT_EQ(r.out, "") << c.what;
      }
      // Quiet: the reason, no progress (no paper prompt, no closing line).
      if (quiet) {
        EXPECT_FALSE(contains(r.err, "nem készült el")) << c.what << "\n" << r.err;
      }
    }
    if (!c.in_the_way.empty()) std::filesystem::remove(c.in_the_way);
  }
}

TEST(BatchCertificates, UsageFaultsTouchNothing) {
  Installation inst;
  auto before = snapshot(inst.dir);
  for (std::vector<std::string> args :
       {std::vector<std::string>{"takeover"}, {"m30", "--companies", "0a1-"}, {"--date", "2023.02.30", "check"}, {"frobnicate"}}) {
    BatchResult r = batch(with_dir(inst, args));
    EXPECT_EQ(r.code, 2) << args[0];
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(snapshot(inst.dir), before);
  BatchResult help = batch({"m30", "--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_TRUE(contains(help.out, "--companies TARTOMÁNY"));
  // A fault: the line naming it, then the usage line, in Hungarian.
  BatchResult fault = batch({"restore", "--from", "/mnt"});
  EXPECT_EQ(fault.err, "mvirda23 batch: restore: a --yes kötelező\nhasználat: mvirda23 batch "
                       "[--dir KÖNYVTÁR] [--wait MP] [--date ÉÉÉÉ.HH.NN] [--quiet] PARANCS "
                       "[KAPCSOLÓK]\n");
}

TEST(BatchStart, RefusesWhatIsNoInstallation) {
  Installation inst;
  std::string elsewhere = inst.drive + "/masik";
  std::filesystem::create_directory(elsewhere);
  BatchResult r = batch({"--dir", elsewhere, "reindex"});
  EXPECT_EQ(r.code, 4);
  EXPECT_TRUE(contains(r.err, "nem indítható")) << r.err;
  std::string empty = inst.drive + "/VIRDA23/ures";
  std::filesystem::create_directory(empty);
  r = batch({"--dir", inst.drive + "/nincs", "check"});
  EXPECT_EQ(r.code, 4);
}

// --- check ---

struct CheckCase {
  const char* what;
  std::function<void(Installation&)> spoil;
  std::vector<std::string> named;  // lines of stdout, or their beginnings
};

// The offset of an index file's root page.
uint32_t root_of(const std::string& ntx) {
  int fd = ::open(ntx.c_str(), O_RDONLY);
  unsigned char head[8];
  EXPECT_EQ(::pread(fd, head, 8, 0), 8);
  ::close(fd);
  return xbase::ntx::get32(head + 4);
}

TEST(BatchCheck, SoundInstallationThenEachFaultNamedAndNothingChanged) {
  Installation inst;
  BatchResult sound = batch(with_dir(inst, {"check"}));
  EXPECT_EQ(sound.code, 0) << sound.out << sound.err;
  for (const char* f : {"vallal.dbf: rendben", "vallal.ntx: rendben", "virda23.dbf: rendben",
                        "virda23.ntx: rendben", "virda232.ntx: rendben", "eltar23.ntx: rendben",
                        "konstans.dbf: rendben"})
    EXPECT_TRUE(contains(sound.out, std::string(f) + "\n")) << f << "\n" << sound.out;
  EXPECT_FALSE(contains(sound.out, "hibás"));

  auto bytes_at = [](const std::string& path, long offset, const std::string& b) {
    int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_EQ(::pwrite(fd, b.data(), b.size(), offset), static_cast<ssize_t>(b.size()));
    ::close(fd);
  };
  const CheckCase cases[] = {
      {"truncated table",
       [](Installation& i) {
         std::filesystem::resize_file(i.file("virda23.dbf"),
                                      std::filesystem::file_size(i.file("virda23.dbf")) - 300);
       },
       {"virda23.dbf: hibás: a fejléc 6 rekordot számol, a fájlban "}},
      {"header counting too many",
       [&](Installation& i) { bytes_at(i.file("vallal.dbf"), 4, std::string("\x09\0\0\0", 4)); },
       {"vallal.dbf: hibás: a fejléc 9 rekordot számol, a fájlban 2 van\n"}},
      {"not a table",
       [&](Installation& i) { bytes_at(i.file("virda23.dbf"), 0, "\x07"); },
       {"virda23.dbf: hibás: nem dBASE tábla\n",
        "virda23.ntx: hibás: a tábla: nem dBASE tábla\n"}},
      {"a bad deletion flag",
       [&](Installation& i) {
         const std::string head = file_bytes(i.file("virda23.dbf")).substr(8, 2);
         bytes_at(i.file("virda23.dbf"),
                  static_cast<unsigned char>(head[0]) | static_cast<unsigned char>(head[1]) << 8,
                  "#");
       },
       {"virda23.dbf: hibás: 1. rekord: hibás törlésjel\n"}},
      {"two keys swapped in a page",
       [](Installation& i) {
         int fd = ::open(i.file("vallal.ntx").c_str(), O_RDWR);
         unsigned char head[8], page[8];
         ASSERT_EQ(::pread(fd, head, 8, 0), 8);
         uint32_t root = xbase::ntx::get32(head + 4);
         ASSERT_EQ(::pread(fd, page, 8, root), 8);
         ASSERT_EQ(xbase::ntx::get16(page), 2);  // the two companies in one leaf
         unsigned char swapped[4] = {page[4], page[5], page[2], page[3]};
         ASSERT_EQ(::pwrite(fd, swapped, 4, root + 2), 4);
         ::close(fd);
       },
       {"vallal.ntx: hibás: 1. rekord: a kulcsa nincs a sorrend szerinti helyén\n"}},
      {"an item outside its page",
       [&](Installation& i) {
         bytes_at(i.file("vallal.ntx"), root_of(i.file("vallal.ntx")) + 4, "\xfc\x03");
       },
       {"vallal.ntx: hibás: lap (1024. bájt): 1. tétel a lapon kívül esik\n",
        "vallal.ntx: hibás: 1. rekord: hiányzik az indexből\n"}},
      {"missing index",
       [](Installation& i) { std::filesystem::remove(i.file("virda232.ntx")); },
       {"virda232.ntx: hibás: hiányzik\n"}},
      {"interrupted upgrade", [](Installation& i) { std::ofstream(i.file("VIRDA23.BAK")) << "x"; },
       {"VIRDA23.BAK: félbeszakadt"}},
      {"interrupted template copy", [](Installation& i) { std::ofstream(i.file("vallal.dbf.sablon")) << "x"; },
       {"vallal.dbf.sablon: félbeszakadt sablonmásolás munkapéldánya"}},
      {"interrupted takeover",
       [](Installation& i) { std::ofstream(i.file("atiras.jel")) << "atiras 1\nallapot kezdett\n"; },
       {"atiras.jel: félbeszakadt adatátvétel"}},
  };
  for (const CheckCase& c : cases) {
    Installation spoilt;
    c.spoil(spoilt);
    auto before = snapshot(spoilt.dir);
    BatchResult r = batch(with_dir(spoilt, {"check"}));
    EXPECT_EQ(r.code, 3) << c.what << "\n" << r.out << r.err;
    for (const std::string& line : c.named)
      EXPECT_TRUE(contains(r.out, line)) << c.what << ": " << line << "\n" << r.out;
    // Every finding in the program's language: none of the words the checks once used.
    for (const char* english : {"record", "page", "key", "header", "Error", "the ", "file"})
      EXPECT_FALSE(contains(r.out + r.err, english)) << c.what << ": " << english << "\n" << r.out;
    auto after = snapshot(spoilt.dir);
    after.erase("inditas.lck");
    before.erase("inditas.lck");
    EXPECT_EQ(after, before) << c.what;
    EXPECT_FALSE(std::filesystem::exists(spoilt.file("gond.baj"))) << c.what;
  }
}

TEST(BatchCheck, WaitsForAFileLockThenGivesUpAfterItsBudget) {
  Installation inst;
  int fd = ::open(inst.file("virda23.dbf").c_str(), O_RDWR);
  ASSERT_TRUE(xbase::filelock::lock_file(fd));  // another holder (its own description)
  BatchResult busy = batch(with_dir(inst, {"--wait", "1", "check"}));
  EXPECT_EQ(busy.code, 5) << busy.err;
  EXPECT_TRUE(contains(busy.err, "virda23.dbf")) << busy.err;

  std::thread release([fd] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    xbase::filelock::unlock_file(fd);
  });
  BatchResult waited = batch(with_dir(inst, {"--wait", "10", "check"}));
  release.join();
  ::close(fd);
  EXPECT_EQ(waited.code, 0) << waited.err;
}

// --- backup and restore ---

// The directory where the run was started, for as long as the object lives.
struct StartedIn {
  std::filesystem::path before = std::filesystem::current_path();
  explicit StartedIn(const std::string& dir) {
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
  }
  ~StartedIn() { std::filesystem::current_path(before); }
};

TEST(BatchBackup, ThePlaceIsReadAsTheBackupDialogReadsATypedPath) {
  Installation inst;
  const std::string start = inst.drive + "/indulas";
  StartedIn here(start);
  const struct {
    std::string typed;
    std::string lands;
  } cases[] = {
      {"D:\\MENTES", inst.drive + "/MENTES"},  // under the drive root, whatever the letter
      {"A:", inst.drive},                        // the drive root itself
      {"\\masik\\2023", inst.drive + "/masik/2023"},
      {"helyi\\mentes", start + "/helyi/mentes"},  // relative: where the run started
      {inst.drive + "/linux", inst.drive + "/linux"},
  };
  for (const auto& c : cases) {
    BatchResult r = batch(with_dir(inst, {"backup", "--to", c.typed}));
    EXPECT_EQ(r.code, 0) << c.typed << "\n" << r.err;
    EXPECT_EQ(r.out, c.lands + "/virda23#.zip\n") << c.typed;
    EXPECT_TRUE(std::filesystem::is_regular_file(c.lands + "/virda23#.zip")) << c.typed;
  }
  // No directory named as typed, neither where the run started nor in the installation.
  for (const std::string& dir : {start, inst.dir})
    for (const auto& e : std::filesystem::directory_iterator(dir))
      EXPECT_EQ(e.path().filename().string().find(':'), std::string::npos) << e.path();

  // The remembered place, written by the dialog, lands where --to does.
  std::filesystem::remove(inst.drive + "/MENTES/virda23#.zip");
  std::ofstream(inst.file("masdrv.txt")) << "D:\\MENTES";
  BatchResult remembered = batch(with_dir(inst, {"backup"}));
  EXPECT_EQ(remembered.code, 0) << remembered.err;
  EXPECT_EQ(remembered.out, inst.drive + "/MENTES/virda23#.zip\n");

  // The restore reads --from so too.
  BatchResult restored = batch(with_dir(inst, {"restore", "--from", "D:\\MENTES", "--yes"}));
  EXPECT_EQ(restored.code, 0) << restored.err;
}

// --- questions, fatal errors, the end of the run ---

TEST(BatchEnd, UnansweredQuestionEndsWith6AndLeavesTheTablesFree) {
  Installation inst;
  BatchServices s{.start = program_start_services()};
  // A question nobody foresaw, asked while the working set is open.
  s.start.konsbe = [](shell::Context& ctx) {
    NYITOGAT(ctx, true);
    ui::kerdez(ctx.con, HU("Biztosan folytatja?"), {HU("Igen"), HU("Nem")});
  };
  BatchResult r = batch(with_dir(inst, {"reindex"}), s);
  EXPECT_EQ(r.code, 6);
  EXPECT_TRUE(contains(r.err, "Biztosan folytatja?")) << r.err;
  xbase::WorkAreas other;
  EXPECT_TRUE(other.use(inst.file("virda23.dbf"), "", xbase::OpenMode::Exclusive));
}

TEST(BatchEnd, FatalErrorWritesTheLogAndTheCallers) {
  Installation inst;
  BatchServices s{.start = program_start_services()};
  s.start.konsbe = [](shell::Context& ctx) {
    support::Routine r(ctx.routines(), "ATVETEL", 77);
    ctx.areas.guarded([] {
      xbase::Error e;
      e.gen_code = xbase::gen::kNoVar;
      e.subsystem = "BASE";
      e.sub_code = 1003;
      e.description = "Variable does not exist";
      e.operation = "XNINCS";
      throw xbase::ErrorException(std::move(e));
    });
  };
  BatchResult r = batch(with_dir(inst, {"reindex"}), s);
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(contains(r.err, "Called from ATVETEL(77)")) << r.err;
  EXPECT_TRUE(std::filesystem::exists(inst.file("hibauzen.dbh")));
}

}  // namespace
}  // namespace batch
