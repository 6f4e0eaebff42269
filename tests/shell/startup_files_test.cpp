// Start-up's file chores: deleting by mask while sparing files held open, filling the
// program directory from "xxx" without overwriting, the guard that makes a second
// workstation wait, the extra-field list, the change-note list, and the minimum wage
// with the disability unit and the year suffix.
#include "shell/startup_files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>

#include <chrono>
#include <fstream>

#include "shell/change_notes.h"
#include "shell/fminber.h"
#include "shell/shared_access.h"
#include "shell/shell_test_util.h"
#include "shell/program.h"
#include "shell/upgrade.h"

namespace shell {
namespace {

using testing::Other;
using testing::Station;
namespace fs = std::filesystem;

void write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
std::string read(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(StartupAmounts, MinimumWageDisabilityUnitAndYearSuffix) {
  EXPECT_EQ(FMINBER("2023", "01"), 232000);
  EXPECT_EQ(FMINBER("2023", "11"), 232000);
  EXPECT_EQ(FMINBER("2023", "12"), 266800);
  EXPECT_EQ(kfogyatek("2023"), 77300);  // 77,333.33 rounded to hundreds
  EXPECT_EQ(BANBEN("2023"), "ban");
  EXPECT_EQ(BANBEN("2021"), "ben");
  EXPECT_EQ(BANBEN("2020"), "ban");
  EXPECT_EQ(BANBEN("2019"), "ben");
  EXPECT_EQ(BANBEN("2018"), "ban");
}

TEST(Delcsill, DeletesByMaskIgnoringCaseButSparesOpenFiles) {
  Station s;
  write(s.file("virda23.ntx"), "x");
  write(s.file("VALLAL.NTX"), "x");
  write(s.file("eltar23.ntx"), "x");
  write(s.file("virda23.dbf"), "x");
  // Another workstation has the dependants' index open.
  Other other([&](int from, int to) {
    int fd = ::open(s.file("eltar23.ntx").c_str(), O_RDONLY);
    ::flock(fd, LOCK_SH);
    testing::say_ready(to);
    testing::wait_parent(from);
    return 0;
  });
  ASSERT_TRUE(other.ready());
  EXPECT_TRUE(DELCSILL2(s.dir, "*.ntx"));
  EXPECT_FALSE(fs::exists(s.file("virda23.ntx")));
  EXPECT_FALSE(fs::exists(s.file("VALLAL.NTX")));
  EXPECT_TRUE(fs::exists(s.file("eltar23.ntx")));
  EXPECT_TRUE(fs::exists(s.file("virda23.dbf")));
  other.go();
  EXPECT_EQ(other.finish(), 0);
  EXPECT_TRUE(DELCSILL2(s.dir, "eltar23.ntx"));  // a plain name, now free
  EXPECT_FALSE(fs::exists(s.file("eltar23.ntx")));
}

TEST(TemplateCopy, NeverOverwritesAndACopyDeletesEveryIndex) {
  Station s;
  fs::create_directory(s.file("xxx"));
  write(s.file("xxx/vallal.dbf"), "template");
  write(s.file("xxx/kozter.dbf"), "kinds");
  fs::create_directory(s.file("xxx/sub"));
  write(s.file("VALLAL.DBF"), "mine");
  write(s.file("vallal.ntx"), "index");
  EXPECT_EQ(copy_missing_templates(s.dir), 1);
  EXPECT_EQ(read(s.file("VALLAL.DBF")), "mine");
  EXPECT_EQ(read(s.file("kozter.dbf")), "kinds");
  EXPECT_FALSE(fs::exists(s.file("sub")));
  EXPECT_FALSE(fs::exists(s.file("vallal.ntx")));
  // Nothing missing: the indexes stay.
  write(s.file("vallal.ntx"), "index");
  EXPECT_EQ(copy_missing_templates(s.dir), 0);
  EXPECT_TRUE(fs::exists(s.file("vallal.ntx")));
}

// A start killed at each step of a template's copy, then started again: the table
// is the template's whole, or not there and copied again; no work file stays.
class TemplateCopyKilled : public ::testing::TestWithParam<const char*> {};

TEST_P(TemplateCopyKilled, TheNextStartFindsTheTableWholeOrCopiesItAgain) {
  const std::string kill_at = GetParam();
  Station s;
  fs::create_directory(s.file("xxx"));
  const std::string table(300000, 'T');  // more than one write of the copy
  write(s.file("xxx/vallal.dbf"), table);
  Other start([&](int, int) {
    set_restructure_step_hook([&](std::string_view step) {
      if (step == kill_at) ::kill(::getpid(), SIGKILL);
    });
    copy_missing_templates(s.dir);
    return 0;
  });
  ASSERT_EQ(start.finish(), 128 + SIGKILL);
  const bool renamed = std::string(kill_at) == "template-renamed";
  EXPECT_EQ(fs::exists(s.file("vallal.dbf")), renamed);

  EXPECT_EQ(copy_missing_templates(s.dir), renamed ? 0 : 1);
  EXPECT_EQ(read(s.file("vallal.dbf")), table);
  EXPECT_FALSE(fs::exists(s.file("vallal.dbf.sablon")));
}

INSTANTIATE_TEST_SUITE_P(EachStep, TemplateCopyKilled,
                         ::testing::Values("template-copied", "template-synced", "template-renamed"),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (c == '-') c = '_';
                           return n;
                         });

TEST(StartupGuard, ASecondWorkstationWaitsUntilTheFirstIsThrough) {
  Station s;
  Other first([&](int from, int to) {
    StartupGuard g;
    if (!g.try_acquire(s.dir) || !g.held()) return 1;
    testing::say_ready(to);
    testing::wait_parent(from);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return 0;
  });
  ASSERT_TRUE(first.ready());
  StartupGuard second;
  EXPECT_FALSE(second.try_acquire(s.dir));  // one try: busy
  EXPECT_FALSE(second.held());
  first.go();
  EXPECT_TRUE(acquire_startup_guard(*s.ctx, second));  // the wait, until the first is through
  EXPECT_TRUE(second.held());
  EXPECT_EQ(first.finish(), 0);
  // A directory that cannot hold the lock file has nothing to guard.
  StartupGuard nowhere;
  EXPECT_TRUE(nowhere.try_acquire(s.dir + "/no/such/dir"));
  EXPECT_FALSE(nowhere.held());
}

TEST(ExtraFields, ColumnsOfTheListAndCegnev) {
  auto f = parse_extra_fields(
      {"ujmezo1    C  10", "osszeg     N  12  2", "", "          C  5", "datum      D   8"});
  ASSERT_EQ(f.size(), 3u);
  EXPECT_EQ(f[0], (xbase::FieldDef{"UJMEZO1", 'C', 10, 0}));
  EXPECT_EQ(f[1], (xbase::FieldDef{"OSSZEG", 'N', 12, 2}));
  EXPECT_EQ(f[2], (xbase::FieldDef{"DATUM", 'D', 8, 0}));

  Station s;
  EXPECT_EQ(read_cegnev(s.dir), "");
  write(s.file("cegnev.txt"), std::string(90, 'A') + "\n");
  EXPECT_EQ(read_cegnev(s.dir), std::string(78, 'A'));
}

TEST(ChangeNotes, UnreadFirstThenReadOnesWithoutAnUnreadTwin) {
  Station s;
  for (const char* n : {"valt0003.txt", "valt0001.txt", "palt0001.txt", "PALT0002.TXT", "valt.txt"})
    write(s.file(n), "x");
  std::vector<std::string> e = change_note_entries(s.dir);
  // "?" also matches nothing before the dot, as on Windows.
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0], "valt.txt     olvasatlan");
  EXPECT_EQ(e[1], "valt0001.txt     olvasatlan");
  EXPECT_EQ(e[2], "valt0003.txt     olvasatlan");
  EXPECT_EQ(e[3], "VALT0002.TXT     olvasott  ");
}

}  // namespace
}  // namespace shell
