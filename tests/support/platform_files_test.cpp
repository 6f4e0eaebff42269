// The platform layer on a scratch drive: Windows paths under the drive root,
// names found ignoring case, Windows wildcards in name order, the file functions
// and outside programs run through an argument vector.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "support/platform_run.h"

namespace fs = std::filesystem;
namespace pf = support::platform;

namespace {

struct Drive {
  std::string root;
  std::string old_cwd = pf::current_dir();
  Drive() {
    char tmpl[] = "/tmp/mvirda_drive_XXXXXX";
    root = ::mkdtemp(tmpl);
    ::setenv("VIRDA_DRIVE", root.c_str(), 1);
  }
  ~Drive() {
    (void)!::chdir(old_cwd.c_str());
    ::unsetenv("VIRDA_DRIVE");
    fs::remove_all(root);
  }
  void write(const std::string& rel, const std::string& text) {
    fs::create_directories(fs::path(root + "/" + rel).parent_path());
    std::ofstream(root + "/" + rel, std::ios::binary) << text;
  }
};

std::string slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> names(const std::vector<pf::DirEntry>& v) {
  std::vector<std::string> out;
  for (const auto& e : v) out.push_back(e.name);
  return out;
}

TEST(PlatformPaths, WindowsPathsLieUnderTheDriveRootFoundIgnoringCase) {
  Drive d;
  d.write("KVAD/Global.DBF", "x");
  d.write("util/7za", "x");
  fs::create_directories(d.root + "/prtwrk/prt1");
  fs::create_directories(d.root + "/VIRDA23/sub");
  EXPECT_EQ(pf::drive_root(), fs::canonical(d.root).string());
  EXPECT_EQ(pf::to_linux("\\kvad\\global.dbf"), d.root + "/KVAD/Global.DBF");
  EXPECT_EQ(pf::to_linux("\\UTIL\\7ZA"), d.root + "/util/7za");
  EXPECT_EQ(pf::to_linux("C:\\PRTWRK\\PRT1"), d.root + "/prtwrk/prt1");
  // Missing parts keep their spelling; Linux and relative paths keep their place.
  EXPECT_EQ(pf::to_linux("\\kvad\\nyini.hp"), d.root + "/KVAD/nyini.hp");
  EXPECT_EQ(pf::to_linux("/usr/bin"), "/usr/bin");
  EXPECT_EQ(pf::to_linux("xxx\\a.dbf"), "xxx/a.dbf");

  ASSERT_EQ(::chdir((d.root + "/VIRDA23/sub").c_str()), 0);
  EXPECT_EQ(pf::dir_under_drive(), "/VIRDA23/sub");
  EXPECT_EQ(pf::program_dir_windows(), "\\VIRDA23\\sub");
  d.write("VIRDA23/sub/VALT0001.TXT", "x");
  EXPECT_EQ(pf::to_linux(pf::program_dir_windows() + "\\valt0001.txt"),
            d.root + "/VIRDA23/sub/VALT0001.TXT");
  ASSERT_EQ(::chdir(d.root.c_str()), 0);
  EXPECT_EQ(pf::dir_under_drive(), "/");
  EXPECT_EQ(pf::program_dir_windows(), "\\");
  // Outside the drive root the Linux path stands, and to_linux() keeps it.
  ASSERT_EQ(::chdir("/tmp"), 0);
  EXPECT_EQ(pf::program_dir_windows(), fs::canonical("/tmp").string());
  EXPECT_EQ(pf::to_linux(pf::program_dir_windows() + "\\x"), fs::canonical("/tmp").string() + "/x");
}

TEST(PlatformPaths, DriveRootWithoutTheVariableIsTheMountPoint) {
  ::unsetenv("VIRDA_DRIVE");
  std::string root = pf::drive_root();
  std::string cwd = fs::canonical(pf::current_dir()).string();
  ASSERT_FALSE(root.empty());
  EXPECT_EQ(cwd.compare(0, root.size(), root), 0) << root << " over " << cwd;
  struct stat a {}, b {};
  ASSERT_EQ(::stat(root.c_str(), &a), 0);
  ASSERT_EQ(::stat(cwd.c_str(), &b), 0);
  EXPECT_EQ(a.st_dev, b.st_dev);
}

TEST(PlatformPaths, WildcardsMatchAsOnWindows) {
  EXPECT_TRUE(pf::wildcard_match("23M30*.xml", "23m30_0001.XML"));
  EXPECT_FALSE(pf::wildcard_match("23M30*.xml", "23m30_0001.xmlx"));
  EXPECT_TRUE(pf::wildcard_match("valt????.txt", "VALT0012.txt"));
  EXPECT_TRUE(pf::wildcard_match("valt????.txt", "valt1.txt"));  // "?" before the dot may be empty
  EXPECT_FALSE(pf::wildcard_match("valt????.txt", "valt12345.txt"));
  EXPECT_FALSE(pf::wildcard_match("valt????.txt", "palt0001.txt"));
  EXPECT_TRUE(pf::wildcard_match("*.*", "README"));
  EXPECT_TRUE(pf::wildcard_match("*.ntx", "VIRDA23.NTX"));
  EXPECT_FALSE(pf::wildcard_match("*.ntx", "virda23.dbf"));
  EXPECT_TRUE(pf::wildcard_match("*.", "noext"));
  EXPECT_FALSE(pf::wildcard_match("*.", "has.ext"));
  EXPECT_TRUE(pf::wildcard_match("GOND.BAJ", "gond.baj"));
  EXPECT_TRUE(pf::wildcard_match("a*b*c", "aXXbYYbc"));
}

TEST(PlatformFiles, ListingInNameOrderWithAndWithoutDirectories) {
  Drive d;
  d.write("p/valt0002.txt", "b");
  d.write("p/VALT0001.TXT", "a");
  d.write("p/palt0001.txt", "c");
  d.write("p/xxx/vallal.dbf", "t");
  fs::create_directories(d.root + "/p/valt0003.txt");  // a directory that matches
  EXPECT_EQ(names(pf::list(d.root + "/p/valt????.txt")),
            (std::vector<std::string>{"VALT0001.TXT", "valt0002.txt"}));
  EXPECT_EQ(names(pf::list(d.root + "/P/Valt????.txt", true)),
            (std::vector<std::string>{"VALT0001.TXT", "valt0002.txt", "valt0003.txt"}));
  EXPECT_EQ(names(pf::list(d.root + "/p/XXX/*.*")), (std::vector<std::string>{"vallal.dbf"}));
  EXPECT_TRUE(pf::list(d.root + "/missing/*.*").empty());
  EXPECT_TRUE(pf::exists(d.root + "/p/valt*.txt"));
  EXPECT_FALSE(pf::exists(d.root + "/p/*.ntx"));
  EXPECT_TRUE(pf::exists(d.root + "/P/XXX/VALLAL.DBF"));
  auto one = pf::list(d.root + "/p/palt0001.txt");
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].size, 1);
  EXPECT_EQ(one[0].time.size(), 8u);
}

TEST(PlatformFiles, CopyDeleteRenameMakeDir) {
  Drive d;
  d.write("a.txt", std::string(70000, 'x'));
  EXPECT_EQ(pf::copy_file(d.root + "/A.TXT", d.root + "/b.txt"), 70000);
  EXPECT_EQ(slurp(d.root + "/b.txt"), std::string(70000, 'x'));
  EXPECT_EQ(pf::copy_file(d.root + "/none.txt", d.root + "/c.txt"), -1);
  EXPECT_FALSE(fs::exists(d.root + "/c.txt"));
  EXPECT_EQ(pf::copy_file(d.root + "/a.txt", d.root + "/nodir/c.txt"), -1);
  EXPECT_EQ(pf::file_size(d.root + "/B.txt"), 70000);
  EXPECT_EQ(pf::file_size(d.root + "/none"), -1);

  // Rename refuses an existing target, as on Windows.
  EXPECT_FALSE(pf::rename_file(d.root + "/a.txt", d.root + "/b.txt"));
  EXPECT_TRUE(pf::delete_file(d.root + "/B.TXT"));
  EXPECT_FALSE(pf::delete_file(d.root + "/b.txt"));
  EXPECT_TRUE(pf::rename_file(d.root + "/a.txt", d.root + "/b.txt"));
  EXPECT_FALSE(fs::exists(d.root + "/a.txt"));

  // A file another holder keeps open as a table or index (flock) is spared.
  d.write("virda23.ntx", "i");
  d.write("vallal.ntx", "i");
  int held = ::open((d.root + "/virda23.ntx").c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_SH | LOCK_NB), 0);
  EXPECT_FALSE(pf::delete_unless_open(d.root + "/VIRDA23.NTX"));
  EXPECT_TRUE(fs::exists(d.root + "/virda23.ntx"));
  EXPECT_TRUE(pf::delete_unless_open(d.root + "/vallal.ntx"));
  ::close(held);
  EXPECT_TRUE(pf::delete_unless_open(d.root + "/virda23.ntx"));

  EXPECT_TRUE(pf::make_dir(d.root + "/M30XML"));
  EXPECT_TRUE(pf::make_dir(d.root + "/m30xml"));  // exists already, found ignoring case
  EXPECT_FALSE(pf::make_dir(d.root + "/x/y"));
  EXPECT_TRUE(pf::make_dirs(d.root + "/x/y"));
}

TEST(PlatformFiles, LinesCutAtTheWidthAsMemoLines) {
  EXPECT_EQ(pf::split_memo_lines("abevjava.path = /opt/abev\r\nkey=v\nlast", 80),
            (std::vector<std::string>{"abevjava.path = /opt/abev", "key=v", "last"}));
  EXPECT_EQ(pf::split_memo_lines("aaaa bbbb cc", 6),
            (std::vector<std::string>{"aaaa ", "bbbb ", "cc"}));
  EXPECT_EQ(pf::split_memo_lines("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
  EXPECT_EQ(pf::split_memo_lines("a\r\n\r\nb", 80), (std::vector<std::string>{"a", "", "b"}));

  Drive d;
  d.write("cfg", "one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(pf::read_lines(d.root + "/CFG", 80, 8), (std::vector<std::string>{"one", "two"}));
  EXPECT_TRUE(pf::read_lines(d.root + "/nope", 80).empty());
}

TEST(PlatformFiles, BlockReadAndWrite) {
  Drive d;
  pf::File out;
  ASSERT_TRUE(out.create(d.root + "/blk.bin"));
  EXPECT_EQ(out.write(std::string(1000, 'z')), 1000u);
  out.close();
  pf::File in;
  ASSERT_TRUE(in.open(d.root + "/BLK.BIN"));
  EXPECT_EQ(in.read(512).size(), 512u);
  EXPECT_EQ(in.read(512).size(), 488u);
  EXPECT_EQ(in.read(512).size(), 0u);
  EXPECT_EQ(in.seek(990), 990);
  EXPECT_EQ(in.read(512), std::string(10, 'z'));
  pf::File none;
  EXPECT_FALSE(none.open(d.root + "/missing"));
  EXPECT_TRUE(none.read(10).empty());
}

TEST(PlatformRun, ArgumentsAreNeverReadByAShell) {
  Drive d;
  std::string marker = d.root + "/pwned";
  // A typed path full of shell syntax reaches the program as one argument.
  std::string typed = "x; touch " + marker + " $(touch " + marker + ")";
  EXPECT_EQ(pf::run_wait({"/bin/sh", "-c", "test \"$1\" = \"$2\"", "sh", typed, typed}), 0);
  EXPECT_EQ(pf::run_wait({"ls", typed}, {.dir = "", .quiet = true}), 2);
  EXPECT_FALSE(fs::exists(marker));

  EXPECT_EQ(pf::run_wait({"false"}), 1);
  EXPECT_EQ(pf::run_wait({d.root + "/no-such-program"}), -1);
  EXPECT_EQ(pf::run_wait({}), -1);
  EXPECT_EQ(pf::run_wait({"/bin/sh", "-c", "pwd > here"}, {.dir = d.root}), 0);
  EXPECT_EQ(slurp(d.root + "/here"), fs::canonical(d.root).string() + "\n");

  EXPECT_FALSE(pf::start_detached({d.root + "/no-such-program"}));
  ASSERT_TRUE(pf::start_detached({"/bin/sh", "-c", "sleep 0.2; touch done"}, {.dir = d.root}));
  EXPECT_FALSE(fs::exists(d.root + "/done"));  // did not wait
  for (int i = 0; i < 100 && !fs::exists(d.root + "/done"); ++i) ::usleep(50000);
  EXPECT_TRUE(fs::exists(d.root + "/done"));
}

TEST(PlatformRun, OutputIntoAFileAndATimeOutThatEndsTheWholeGroup) {
  Drive d;
  std::string log = d.root + "/log.txt";
  EXPECT_EQ(pf::run_wait({"/bin/sh", "-c", "echo out; echo err >&2; read x; echo \"[$x]\""},
                         {.output = log}),
            0);
  EXPECT_EQ(slurp(log), "out\nerr\n[]\n");  // input from /dev/null, never our terminal
  EXPECT_EQ(pf::run_wait({"true"}, {.output = d.root + "/no/such/dir/log"}), -1);

  // A child and its own child, both ended; one that ignores SIGTERM gets SIGKILL.
  auto t0 = std::chrono::steady_clock::now();
  int code = pf::run_wait({"/bin/sh", "-c", "sleep 30 & echo $! > kid; wait"},
                          {.dir = d.root, .timeout_seconds = 0.3});
  EXPECT_EQ(code, 128 + SIGTERM);
  // Gone, or a zombie nobody has reaped yet.
  std::string kid = "/proc/" + std::to_string(std::stoi(slurp(d.root + "/kid"))) + "/stat";
  auto running = [&] {
    std::string stat = slurp(kid);
    size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
  };
  for (int i = 0; i < 50 && running(); ++i) ::usleep(20000);
  EXPECT_FALSE(running());
  EXPECT_EQ(pf::run_wait({"/bin/sh", "-c", "trap '' TERM; sleep 30"}, {.timeout_seconds = 0.3}),
            128 + SIGKILL);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
  EXPECT_EQ(pf::run_wait({"/bin/sh", "-c", "exit 3"}, {.timeout_seconds = 5}), 3);

  EXPECT_NE(pf::find_program("sh"), "");
  EXPECT_EQ(pf::find_program("no-such-program-here"), "");
}

TEST(PlatformPaths, ATypedPathReachesTheFileSystemAsUtf8) {
  Drive d;
  fs::create_directories(d.root + "/Mentes");
  EXPECT_EQ(pf::typed_path("D:\\MENTES"), fs::canonical(d.root).string() + "/Mentes");
  EXPECT_EQ(pf::typed_path("A:"), fs::canonical(d.root).string());
  EXPECT_EQ(pf::typed_path("/media/usb/ment\x82s 2023"), "/media/usb/mentés 2023");
  EXPECT_EQ(pf::shown_path("/media/usb/mentés"), "/media/usb/ment\x82s");

  // A name typed into a typed directory: both in UTF-8, found ignoring case; a new
  // name keeps its spelling.
  fs::create_directories(d.root + "/Kimenő");
  std::ofstream(d.root + "/Kimenő/Számla.txt").close();
  const std::string kimeno = fs::canonical(d.root).string() + "/Kimenő";
  EXPECT_EQ(pf::typed_path("D:\\kimen\x8b", "SZ\xa0MLA.TXT"), kimeno + "/Számla.txt");
  EXPECT_EQ(pf::typed_path("D:\\kimen\x8b", "\x94j.txt"), kimeno + "/öj.txt");
}

}  // namespace
