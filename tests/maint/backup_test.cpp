// The backup: what lands in the archive, how 7-Zip is called, what a failure
// leaves, and the snapshot while other workstations hold or write the tables.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <set>

#include "maint/archiver.h"
#include "maint/backup.h"
#include "maint/maint_test_util.h"
#include "maint/restore.h"
#include "xbase/dbf_check.h"

namespace maint {
namespace {

using namespace testing;
using shell::testing::Other;

std::set<std::string> archived_names(const std::string& archive) {
  ArchiverRun run = run_archiver(find_archiver(), "l", {"-slt"}, {archive});
  EXPECT_TRUE(run.ok()) << run.output;
  std::set<std::string> out;
  for (const ArchiveEntry& e : parse_listing(run.output)) out.insert(e.path);
  return out;
}

// Extracts the archive into a new directory under the drive root.
std::string extract(Install& in, const std::string& archive, const std::string& into) {
  std::string dir = in.target(into);
  EXPECT_TRUE(run_archiver(find_archiver(), "e", {"-o" + dir}, {archive}).ok());
  return dir;
}

bool leftovers(const std::string& dir) {
  for (const auto& e : fs::directory_iterator(dir)) {
    std::string n = e.path().filename().string();
    if (n.rfind("mentes.", 0) == 0 || n.rfind("visszatoltes", 0) == 0 ||
        n.find(".tmp") != std::string::npos)
      return true;
  }
  return false;
}

TEST(Backup, ArchivesTheTablesMemosDocumentsAndLogsWithoutDirectoriesOrIndexes) {
  Install in;
  ASSERT_FALSE(find_archiver().empty()) << "7-Zip (Debian package 7zip) is needed";
  std::string target = in.target("MENTES");
  Result r = backup(in.ctx(), target);
  ASSERT_EQ(r.outcome, Outcome::Done) << r.archiver_line;
  std::string archive = target + "/virda23#.zip";
  EXPECT_EQ(r.path, archive);
  EXPECT_EQ(archived_names(archive),
            (std::set<std::string>{"eltar23.dbf", "hibauzen.dbh", "Igazolas.PDF", "konstans.dbf",
                                   "vallal.dbf", "virda23.dbf", "virda23.dbt"}));
  EXPECT_FALSE(leftovers(in.dir));
  EXPECT_FALSE(leftovers(target));

  // The archive accumulates: a document gone since stays in it, a changed table is
  // replaced.
  fs::remove(in.file("Igazolas.PDF"));
  write_file(in.file("virda23.dbt"), "changed memo");
  ASSERT_EQ(backup(in.ctx(), target).outcome, Outcome::Done);
  EXPECT_EQ(archived_names(archive).count("Igazolas.PDF"), 1u);
  std::string out = extract(in, archive, "out");
  EXPECT_EQ(slurp(out + "/virda23.dbt"), "changed memo");
  EXPECT_EQ(slurp(out + "/virda23.dbf"), slurp(in.file("virda23.dbf")));
}

TEST(Backup, TheArchiverGetsTheTypedPathAsOneArgumentAndNoWildcards) {
  Install in;
  in.stand_in("Util/7ZA",
              "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$VIRDA_DRIVE/argv.txt\"\n"
              "pwd > \"$VIRDA_DRIVE/cwd.txt\"\n"
              ": > \"$5\"\n");
  std::string target = in.target("-ment és;$(touch pwned) 'x' \"y\"");
  Result r = backup(in.ctx(), target);
  ASSERT_EQ(r.outcome, Outcome::Done) << r.archiver_line;
  std::string argv = slurp(in.root + "/argv.txt");
  std::string pending = target + "/virda23#.zip." + std::to_string(::getpid()) + ".tmp";
  EXPECT_EQ(argv, "a\n-tzip\n-y\n--\n" + pending +
                      "\neltar23.dbf\nkonstans.dbf\nvallal.dbf\nvirda23.dbf\nvirda23.dbt\n"
                      "hibauzen.dbh\nIgazolas.PDF\n");
  EXPECT_NE(slurp(in.root + "/cwd.txt").find("/VIRDA23/mentes."), std::string::npos);
  EXPECT_TRUE(fs::exists(target + "/virda23#.zip"));
  EXPECT_FALSE(fs::exists(in.dir + "/pwned"));
  EXPECT_FALSE(fs::exists(in.root + "/pwned"));
}

TEST(Backup, NoArchiverOrAFailingOneLeavesThePreviousArchive) {
  Install in;
  std::string target = in.target("MENTES");
  write_file(target + "/virda23#.zip", "the previous backup");

  const std::string path = std::getenv("PATH");
  ::setenv("PATH", (in.root + "/empty").c_str(), 1);
  Result none = backup(in.ctx(), target);
  ::setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(none.outcome, Outcome::InputMissing);
  EXPECT_EQ(none.reason, Reason::NoArchiver);

  in.stand_in("util/7za", "echo scanning\necho 'disk full' >&2\nexit 2\n");
  Result failed = backup(in.ctx(), target);
  EXPECT_EQ(failed.outcome, Outcome::NotWritten);
  EXPECT_EQ(failed.reason, Reason::ArchiverFailed);
  EXPECT_EQ(failed.archiver_code, 2);
  EXPECT_EQ(failed.archiver_line, "disk full");
  // A warning (a file left out) is a failure too.
  in.stand_in("util/7za", "exit 1\n");
  EXPECT_EQ(backup(in.ctx(), target).archiver_code, 1);
  EXPECT_EQ(contents(target), (std::map<std::string, std::string>{{"virda23#.zip", "the previous backup"}}));
  EXPECT_FALSE(leftovers(in.dir));
}

TEST(Backup, ATableHeldExclusivelyIsWaitedForAndEscGivesUp) {
  Install in;
  std::string target = in.target("MENTES");
  write_file(target + "/virda23#.zip", "the previous backup");
  Other holder = holding(in.file("virda23.dbf"), xbase::OpenMode::Exclusive);
  ASSERT_TRUE(holder.ready());
  in.station->term->esc_after = 2;
  Result r = backup(in.ctx(), target);
  EXPECT_EQ(r.outcome, Outcome::Busy);
  EXPECT_EQ(r.reason, Reason::LockGivenUp);
  ASSERT_FALSE(in.station->term->waits().empty());
  EXPECT_EQ(shell::testing::row_text(in.station->term->waits().back(), 12).substr(25),
            "│   Várakozás állományra...   │" + std::string(24, ' '));
  EXPECT_EQ(slurp(target + "/virda23#.zip"), "the previous backup");
  EXPECT_FALSE(leftovers(in.dir));
  EXPECT_EQ(holder.finish(), 0);
}

// The writer's records each hold their own number, so a table copied while a
// record was half appended shows it.
TEST(Backup, AWriterAppendingUnderTheFileLockNeverTearsTheArchivedTable) {
  Install in;
  ASSERT_TRUE(in.station->areas.create(in.file("naplo.dbf"), {{"SORSZAM", 'N', 8, 0}, {"SZOVEG", 'C', 200, 0}}));
  std::string dir = in.dir;
  Other writer([&](int, int to) {
    xbase::WorkAreas areas;
    if (!areas.use(dir + "/naplo", "", xbase::OpenMode::Shared)) return 1;
    xbase::WorkArea& a = areas.current();
    shell::testing::say_ready(to);
    for (int i = 0; i < 200000; ++i) {  // until the test ends it
      ::usleep(1000);
      if (!a.flock()) continue;
      a.append_blank();
      a.put("SORSZAM", xbase::Value::num(a.recno(), 8, 0));
      a.put("SZOVEG", xbase::Value::str(std::string(200, static_cast<char>('A' + i % 26))));
      a.commit();
      a.unlock();
    }
    return 0;
  });
  ASSERT_TRUE(writer.ready());
  std::string target = in.target("MENTES");
  uint32_t last = 0;
  for (int round = 0; round < 3; ++round) {
    ::usleep(150 * 1000);
    ASSERT_EQ(backup(in.ctx(), target).outcome, Outcome::Done);
    std::string out = extract(in, target + "/virda23#.zip", "out" + std::to_string(round));
    xbase::TableCheck c = xbase::check_table(out + "/naplo.dbf");
    ASSERT_TRUE(c.sound()) << c.faults.front();
    EXPECT_GE(c.records, last);
    last = c.records;
    xbase::WorkAreas areas;
    ASSERT_TRUE(areas.use(out + "/naplo", "", xbase::OpenMode::Shared, true));
    xbase::WorkArea& a = areas.current();
    for (a.go_top(); !a.eof(); a.skip())
      ASSERT_EQ(a.get("SORSZAM").as_num(), a.recno()) << "round " << round;
  }
  writer.kill();
  EXPECT_GT(last, 0u);
}

TEST(Backup, AKilledBackupsWorkDirectoryGoesAtTheNextStart) {
  Install in;
  fs::create_directories(in.file("mentes.999999.tmp"));
  write_file(in.file("mentes.999999.tmp/virda23.dbf"), "half a copy");
  fs::create_directories(in.file("mentes.1.tmp"));
  std::string held = in.file("mentes.1.tmp");
  Other running([&](int from, int to) {
    int fd = ::open(held.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0) return 1;
    shell::testing::say_ready(to);
    shell::testing::wait_parent(from);
    return 0;
  });
  ASSERT_TRUE(running.ready());
  recover_leftovers(in.ctx());
  EXPECT_FALSE(fs::exists(in.file("mentes.999999.tmp")));
  EXPECT_TRUE(fs::exists(held));  // another workstation's backup works in it
  EXPECT_EQ(running.finish(), 0);
}

}  // namespace
}  // namespace maint
