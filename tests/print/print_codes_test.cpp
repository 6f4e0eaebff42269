// Printer control sequences for HP and EPSON with the initialisation override
// files, the CWI conversion for printers, the Windows text conversion and the
// export dialog of a print file.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common/forked_process.h"
#include "console/get_read.h"
#include "console/headless.h"
#include "print/control_codes.h"
#include "print/export_txt.h"
#include "print/text_convert.h"
#include "print/viewer_hooks.h"
#include "ui/viewer.h"
#include "ui/windows.h"
#include "xbase/hutext.h"
#include "xbase/vars.h"

namespace fs = std::filesystem;
namespace key = console::key;

namespace {

// A drive with an installation directory in it; the current directory is the
// installation while the test runs.
struct Install {
  std::string root, prg, old_cwd = fs::current_path().string();
  Install() {
    char tmpl[] = "/tmp/mvirda_print_XXXXXX";
    root = ::mkdtemp(tmpl);
    prg = root + "/VIRDA23";
    fs::create_directories(prg);
    fs::create_directories(root + "/KVAD");
    ::setenv("VIRDA_DRIVE", root.c_str(), 1);
    fs::current_path(prg);
  }
  ~Install() {
    fs::current_path(old_cwd);
    ::unsetenv("VIRDA_DRIVE");
    fs::remove_all(root);
  }
  void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
};

std::string slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string var(const xbase::Variables& v, const char* name) {
  const xbase::Value* x = v.find(name);
  return x != nullptr && x->is_str() ? x->as_str() : "<missing>";
}

const std::string E = "\x1b";

TEST(ControlCodes, HpSequencesByteForByte) {
  Install in;
  xbase::Variables v;
  v.make_public("KNYOMTIP");
  v.assign("KNYOMTIP", xbase::Value::str("hp"));
  print::nyomtipbe(v, in.prg);
  EXPECT_EQ(var(v, "KNYOMTIP"), "HP");
  EXPECT_EQ(var(v, "EC"), E);
  EXPECT_EQ(var(v, "NYINI"), E + "E" + E + "&l3A" + E + "(17U");
  EXPECT_EQ(var(v, "COBE"), E + "(s16.67H");
  EXPECT_EQ(var(v, "COKI"), E + "(s10H ");
  EXPECT_EQ(var(v, "ELKI"), E + "(s10H ");
  EXPECT_EQ(var(v, "ELCOKI"), E + "(s10H ");
  EXPECT_EQ(var(v, "AHBE"), E + "&d1D");
  EXPECT_EQ(var(v, "AHKI"), E + "&d@");
  EXPECT_EQ(var(v, "ELCOBE"), E + "(s20H");
  EXPECT_EQ(var(v, "EMBE"), E + "(s3B");
  EXPECT_EQ(var(v, "LPI8"), E + "&l8D");
  EXPECT_EQ(var(v, "FF"), E + "&l0H");
  EXPECT_EQ(var(v, "DUP10KI"), E + "(s10H");
  EXPECT_EQ(var(v, "DUP17BE"), E + "(s8.5H");
  EXPECT_EQ(var(v, "DUP17KI"), E + "(s16H");
  EXPECT_EQ(var(v, "DUPBE"), E + "(s5H");
  EXPECT_EQ(var(v, "DUPKI"), E + "(s10H");
}

TEST(ControlCodes, EpsonSequencesWithControlBytes) {
  Install in;
  xbase::Variables v;
  v.assign("KNYOMTIP", xbase::Value::str("EPSON"));
  print::nyomtipbe(v, in.prg);
  EXPECT_EQ(var(v, "NYINI"), "");
  EXPECT_EQ(var(v, "COBE"), "\x0f");
  EXPECT_EQ(var(v, "COKI"), "\x12");
  EXPECT_EQ(var(v, "AHBE"), E + "-\x01");
  EXPECT_EQ(var(v, "AHKI"), E + "-" + std::string(1, '\0'));
  EXPECT_EQ(var(v, "ELCOBE"), E + "M\x0f");
  EXPECT_EQ(var(v, "ELCOKI"), "\x12" + E + "P");
  EXPECT_EQ(var(v, "LPI6"), E + "2");
  EXPECT_EQ(var(v, "FF"), "\x0c");
  EXPECT_EQ(var(v, "DUP12BE"), E + "W\x01");
  EXPECT_EQ(var(v, "DUP17KI"), E + "W" + std::string(1, '\0'));
  // Anything but HP is EPSON, also a missing setting.
  xbase::Variables none;
  print::nyomtipbe(none, in.prg);
  EXPECT_EQ(var(none, "FF"), "\x0c");
}

TEST(ControlCodes, InitialisationOverrideFiles) {
  Install in;
  // Only the payroll directory's file: taken whole, line ends and all.
  in.write(in.root + "/KVAD/NYINI.HP", E + "E\r\n" + E + "&l1O");
  EXPECT_EQ(print::control_codes("HP", in.prg).nyini, E + "E\r\n" + E + "&l1O");
  // The program directory's file wins, even an empty one.
  in.write(in.prg + "/nyini.hp", "");
  EXPECT_EQ(print::control_codes("HP", in.prg).nyini, "");
  // EPSON reads its own files only.
  EXPECT_EQ(print::control_codes("EPSON", in.prg).nyini, "");
  in.write(in.root + "/kvad/nyini.eps", E + "@");
  // "KVAD" and "kvad" now both exist; the lookup takes one of them.
  in.write(in.root + "/KVAD/nyini.eps", E + "@");
  EXPECT_EQ(print::control_codes("EPSON", in.prg).nyini, E + "@");
  EXPECT_EQ(print::control_codes("EPSON", in.prg).cobe, "\x0f");
}

TEST(TextConvert, CwiOnlyOnThePrinterWithCharacterSetCwi) {
  console::Console con(std::make_unique<console::HeadlessBackend>());
  xbase::Variables v;
  const std::string text(HU("ÁÍŰŐé"));
  const std::string cwi = "\x8f\x49\x9a\x99\x82";
  con.set_device(console::Device::Printer);
  EXPECT_EQ(print::epsonkonv(con, v, text), text);  // LKAR852 missing
  v.assign("LKAR852", xbase::Value::logical(false));
  EXPECT_EQ(print::epsonkonv(con, v, text), cwi);
  EXPECT_EQ(print::epsonkonv(con, v, xbase::Value::str(std::string(HU("őűÚÓ")))).as_str(), "\x94\x81U\xa2");
  xbase::Value n = print::epsonkonv(con, v, xbase::Value::num(12));
  EXPECT_TRUE(n.is_num());
  con.set_device(console::Device::Screen);
  EXPECT_EQ(print::epsonkonv(con, v, text), text);
  con.set_device(console::Device::Printer);
  v.assign("LKAR852", xbase::Value::logical(true));
  EXPECT_EQ(print::epsonkonv(con, v, text), text);
}

TEST(TextConvert, WindowsTextKeepsLengthAndDrawsLinesWithAscii) {
  EXPECT_EQ(print::k852win(HU("═══")), "===");
  EXPECT_EQ(print::k852win(HU("──┼──")), "--+--");
  std::string hu(HU("Árvíztűrő tükörfúrógép"));
  std::string win = print::k852win(hu);
  EXPECT_EQ(win.size(), hu.size());
  EXPECT_EQ(win, "\xc1rv\xedzt\xfbr\xf5 t\xfck\xf6rf\xfar\xf3g\xe9p");
}

struct Screenful {
  console::HeadlessBackend* term;
  std::unique_ptr<console::Console> con;
  std::unique_ptr<console::ReadContext> reads;
  ui::WindowStack windows;
  xbase::WorkAreas areas;
  xbase::Variables vars;
  std::unique_ptr<shell::Context> ctx;
  Screenful() {
    auto b = std::make_unique<console::HeadlessBackend>();
    term = b.get();
    con = std::make_unique<console::Console>(std::move(b));
    reads = std::make_unique<console::ReadContext>(*con);
    ctx = std::make_unique<shell::Context>(*con, areas, vars, windows, *reads);
    con->set_colour("w/n");
    con->clear_screen();
  }
};

TEST(ExportTxt, OffersTheCurrentDirectoryAndConvertsTheFile) {
  Install in;
  in.write(in.prg + "/jovedig.prn", std::string(HU("╔═══╗\r\nÁrvíz ─ 12\r\n")) + std::string(600, 'x'));
  Screenful s;
  s.con->say(10, 10, "under");
  console::Screen before = s.con->screen();
  s.term->keys({key::kEnter, key::kEnter});
  auto r = print::wintxtbe(*s.reads, s.windows, "jovedig.prn");
  ASSERT_EQ(r.outcome, print::ExportOutcome::Written);
  const console::Screen& dialog = s.term->waits().front();
  EXPECT_NE(dialog.text_utf8().find("Konvertálás windows-os TXT fájlba"), std::string::npos);
  EXPECT_NE(dialog.row_utf8(11).find("Alkönyvtár: " + fs::current_path().string()), std::string::npos);
  EXPECT_NE(dialog.row_utf8(13).find("Fájl név  : jovedig.txt"), std::string::npos);
  EXPECT_EQ(slurp(in.prg + "/jovedig.txt"),
            "+===+\r\n\xc1rv\xedz - 12\r\n" + std::string(600, 'x'));
  EXPECT_EQ(r.bytes, 619);
  EXPECT_EQ(s.con->screen().text_utf8(), before.text_utf8());
  EXPECT_EQ(s.windows.count(), 0);
}

TEST(ExportTxt, EscChangesNothingAndACreateFailureIsShown) {
  Install in;
  in.write(in.prg + "/ekhoig.prn", "x");
  Screenful s;
  s.term->keys({key::kEsc});
  EXPECT_EQ(print::wintxtbe(*s.reads, s.windows, "ekhoig.prn").outcome,
            print::ExportOutcome::Cancelled);
  EXPECT_FALSE(fs::exists(in.prg + "/ekhoig.txt"));

  fs::create_directories(in.prg + "/ekhoig.txt");  // cannot be created as a file
  s.term->keys({key::kEnter, key::kEnter, key::kEnter});
  EXPECT_EQ(print::wintxtbe(*s.reads, s.windows, "ekhoig.prn").outcome,
            print::ExportOutcome::CreateFailed);
  EXPECT_NE(s.term->last_wait().text_utf8().find("ekhoig.txt fájl nem hozható létre"),
            std::string::npos);
  EXPECT_EQ(s.windows.count(), 0);

  // A missing print file gives an empty text file.
  auto r = print::export_converted("missing.prn", in.prg + "/empty.txt");
  EXPECT_EQ(r.outcome, print::ExportOutcome::Written);
  EXPECT_EQ(slurp(in.prg + "/empty.txt"), "");
}

TEST(ExportTxt, FromTheViewerBoxLinesBecomeAscii) {
  Install in;
  in.write(in.prg + "/ekhoig.prn", std::string(HU("═══ ADATOK ═══\r\n")));
  Screenful s;
  s.term->keys({'T', key::kEnter, key::kEnter, key::kEsc});
  ui::readme_bg(*s.reads, s.windows, nullptr, "ekhoig.prn", 0, "t",
                print::viewer_hooks(*s.ctx));
  EXPECT_EQ(slurp(in.prg + "/ekhoig.txt"), "=== ADATOK ===\r\n");
  EXPECT_EQ(s.windows.count(), 0);
}

// Types a text into the field under the cursor, one key at a time, after clearing it.
void type_over(console::HeadlessBackend& term, std::string_view text) {
  term.key(key::ctrl('y'));
  for (char c : text) term.key(static_cast<unsigned char>(c));
}

std::vector<std::string> names_in(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(ExportTxt, TheViewedNoteIsNeverItsOwnTarget) {
  Install in;
  const std::string note = std::string(HU("Változások:\r\n═══\r\n"));
  in.write(in.prg + "/valt0001.txt", note);
  in.write(in.prg + "/VALT0002.TXT", note);
  Screenful s;
  // The default name is the note's own: refused, the dialog again; Esc leaves it.
  s.term->keys({'T', key::kEnter, key::kEnter, key::kEnter, key::kEsc, key::kEsc});
  ui::readme_bg(*s.reads, s.windows, nullptr, in.prg + "/valt0001.txt", 80, "ny",
                print::viewer_hooks(*s.ctx));
  bool told = false, asked_again = false;
  for (const auto& w : s.term->waits()) {
    if (w.text_utf8().find("A cél azonos a megtekintett fájllal, válasszon másik nevet!") !=
        std::string::npos)
      told = true;
    else if (told && w.text_utf8().find("Konvertálás windows-os TXT fájlba") != std::string::npos)
      asked_again = true;
  }
  EXPECT_TRUE(told);
  EXPECT_TRUE(asked_again);
  EXPECT_EQ(slurp(in.prg + "/valt0001.txt"), note);
  EXPECT_EQ(s.windows.count(), 0);

  // The same file under another spelling of its name, and through the copy alone.
  s.term->keys({key::kEnter, key::kEnter, key::kEnter, key::kEsc});
  EXPECT_EQ(print::wintxtbe(*s.reads, s.windows, in.prg + "/VALT0002.TXT").outcome,
            print::ExportOutcome::Cancelled);
  EXPECT_EQ(print::export_converted(in.prg + "/valt0001.txt", in.prg + "/./VALT0001.TXT").outcome,
            print::ExportOutcome::SameAsViewed);
  EXPECT_EQ(slurp(in.prg + "/VALT0002.TXT"), note);
  EXPECT_EQ(slurp(in.prg + "/valt0001.txt"), note);
}

// `n` cells of a screen row from `col`, as CP852 bytes.
std::string cells(const console::Screen& s, int row, int col, int n) {
  std::string out;
  for (int c = col; c < col + n; ++c) out += static_cast<char>(s.at(row, c).ch);
  return out;
}

std::string padded(std::string s, size_t n) {
  s.resize(n, ' ');
  return s;
}

// Typed as on the terminal (UTF-8 decoded to the program's CP852), after clearing
// the field.
void type_over_utf8(console::HeadlessBackend& term, std::string_view utf8) {
  term.key(key::ctrl('y'));
  term.input(utf8);
}

// A directory and a name typed with accents are the file system's UTF-8 names; a
// directory that does not exist is not made and the name is told as typed.
TEST(ExportTxt, AccentedDirectoriesAndNamesAsTheFileSystemSpellsThem) {
  Install in;
  in.write(in.prg + "/jovedig.prn", "abc\r\n");
  fs::create_directories(in.root + "/kimenő");
  Screenful s;
  type_over_utf8(*s.term, in.root + "/kimenő");
  s.term->keys({key::kEnter});
  type_over_utf8(*s.term, "számla.txt");
  s.term->keys({key::kEnter});
  auto r = print::wintxtbe(*s.reads, s.windows, "jovedig.prn");
  EXPECT_EQ(r.outcome, print::ExportOutcome::Written);
  EXPECT_EQ(r.path, in.root + "/kimenő/számla.txt");
  EXPECT_EQ(slurp(in.root + "/kimenő/számla.txt"), "abc\r\n");

  type_over_utf8(*s.term, in.root + "/nincsenő");
  s.term->keys({key::kEnter});
  type_over_utf8(*s.term, "számla.txt");
  s.term->keys({key::kEnter, key::kEnter});  // "Kilépés"
  r = print::wintxtbe(*s.reads, s.windows, "jovedig.prn");
  EXPECT_EQ(r.outcome, print::ExportOutcome::CreateFailed);
  EXPECT_NE(s.term->last_wait().text_utf8().find("számla.txt fájl nem hozható létre"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(in.root + "/nincsenő"));
  EXPECT_FALSE(fs::exists(in.root + "/nincsen\x8b"));
}

// An installation under an accented directory and a print file with an accented
// name: "Alkönyvtár:" row 11 from column 18 shows "mű", "Fájl név  :" row 13 from
// column 18 "összesítő.txt", and Enter writes that file in that directory.
TEST(ExportTxt, AnInstallationAndAPrintFileWithAccentsAreShownRight) {
  Install in;
  const std::string here = fs::canonical(in.root).string() + "/mű";
  fs::create_directories(here);
  fs::current_path(here);  // the installation's destructor goes back
  in.write(here + "/összesítő.prn", "abc\r\n");
  Screenful s;
  s.term->keys({key::kEnter, key::kEnter});
  auto r = print::wintxtbe(*s.reads, s.windows, here + "/összesítő.prn");
  const console::Screen& dialog = s.term->waits().front();
  EXPECT_EQ(cells(dialog, 11, 18, print::kExportDirWidth),
            padded(fs::canonical(in.root).string() + "/m\xfb", print::kExportDirWidth));
  EXPECT_EQ(cells(dialog, 13, 18, print::kExportNameWidth),
            padded("\x94sszes\xa1t\x8b.txt", print::kExportNameWidth));
  EXPECT_EQ(r.outcome, print::ExportOutcome::Written);
  EXPECT_EQ(r.path, here + "/összesítő.txt");
  EXPECT_EQ(slurp(here + "/összesítő.txt"), "abc\r\n");
}

TEST(ExportTxt, ATargetThatCannotBeMadeChangesNoFile) {
  Install in;
  in.write(in.prg + "/jovedig.prn", "abc\r\n");
  std::vector<std::string> before = names_in(in.prg);
  Screenful s;
  // The directory named is a regular file.
  type_over(*s.term, in.prg + "/jovedig.prn");
  s.term->keys({key::kEnter, key::kEnter, key::kEnter});
  EXPECT_EQ(print::wintxtbe(*s.reads, s.windows, "jovedig.prn").outcome,
            print::ExportOutcome::CreateFailed);
  EXPECT_NE(s.term->last_wait().text_utf8().find("jovedig.txt fájl nem hozható létre"),
            std::string::npos);
  EXPECT_EQ(names_in(in.prg), before);
  EXPECT_EQ(slurp(in.prg + "/jovedig.prn"), "abc\r\n");
}

TEST(ExportTxt, AnExistingFileIsReplacedOnlyByACompleteExport) {
  Install in;
  std::string text = std::string(HU("Árvíz ═\r\n")) + std::string(5000, 'x');
  in.write(in.prg + "/ekhoig.prn", text);
  in.write(in.prg + "/Ekhoig.txt", "old");
  // A write that fails half way (the file size limit of the process): the old file
  // stays whole and no work file is left.
  mvirda_test::ForkedProcess limited([&](int, int) {
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit lim = {2048, 2048};
    if (::setrlimit(RLIMIT_FSIZE, &lim) != 0) return 2;
    auto r = print::export_converted(in.prg + "/ekhoig.prn", in.prg + "/ekhoig.txt");
    return r.outcome == print::ExportOutcome::WriteFailed ? 0 : 1;
  });
  EXPECT_EQ(limited.finish(), 0);
  EXPECT_EQ(slurp(in.prg + "/Ekhoig.txt"), "old");
  EXPECT_EQ(names_in(in.prg), (std::vector<std::string>{"Ekhoig.txt", "ekhoig.prn"}));

  // Complete: the file of that name (found ignoring case) holds the Windows text.
  Screenful s;
  s.term->keys({key::kEnter, key::kEnter});
  auto r = print::wintxtbe(*s.reads, s.windows, "ekhoig.prn");
  EXPECT_EQ(r.outcome, print::ExportOutcome::Written);
  EXPECT_EQ(slurp(in.prg + "/Ekhoig.txt"), "\xc1rv\xedz =\r\n" + std::string(5000, 'x'));
  EXPECT_EQ(names_in(in.prg), (std::vector<std::string>{"Ekhoig.txt", "ekhoig.prn"}));
}

}  // namespace
