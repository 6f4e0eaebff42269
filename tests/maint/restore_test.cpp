// The restore: a round trip through a real archive, archives that must change
// nothing, what a hostile archive may not bring in, another workstation still in
// the program, and a restore killed at every step of its swap.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include "maint/archiver.h"
#include "maint/backup.h"
#include "maint/maint_test_util.h"
#include "maint/restore.h"
#include "maint/restore_swap.h"
#include "xbase/dbf_check.h"

namespace maint {
namespace {

using namespace testing;
using shell::testing::Other;

// The installation without the files a restore may add or that any run makes.
std::map<std::string, std::string> tables_of(const std::string& dir) {
  std::map<std::string, std::string> out = contents(dir);
  for (const char* name : {"GOND.BAJ", "gond.baj", "inditas.lck"}) out.erase(name);
  return out;
}

// A table file whose header counts `extra` records more than it holds.
std::string overcounted(const std::string& table, uint32_t extra) {
  std::string bytes = slurp(table);
  uint32_t n = 0;
  for (int i = 0; i < 4; ++i) n |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[4 + i])) << (8 * i);
  n += extra;
  for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
  return bytes;
}

Result restore_from(Install& in, const std::string& source) {
  shell::StartupGuard guard;
  Result r = restore(in.ctx(), source, guard);
  EXPECT_TRUE(guard.held() || r.outcome == Outcome::Busy);
  return r;
}

TEST(Restore, RoundTripBringsEveryArchivedFileBackAndKeepsTheOthers) {
  Install in;
  std::string target = in.target("MENTES");
  ASSERT_EQ(backup(in.ctx(), target).outcome, Outcome::Done);
  std::map<std::string, std::string> before = tables_of(in.dir);

  // Lost and changed since: the year table deleted (the template copy put an empty
  // one in its place), a company added, a document written, an index changed.
  fs::remove(in.file("virda23.dbf"));
  ASSERT_TRUE(in.station->areas.create(in.file("VIRDA23.DBF"), shell::testing::kYearFields));
  ASSERT_TRUE(in.station->areas.use(in.file("vallal")));
  in.station->areas.current().append_blank();
  in.station->areas.close_all();
  write_file(in.file("uj.pdf"), "new since the backup");

  Result r = restore_from(in, target);
  ASSERT_EQ(r.outcome, Outcome::Done) << r.archiver_line;
  std::map<std::string, std::string> after = tables_of(in.dir);
  // The restored year table took the name the installation had for it.
  ASSERT_EQ(after.count("VIRDA23.DBF"), 1u);
  after["virda23.dbf"] = after["VIRDA23.DBF"];
  after.erase("VIRDA23.DBF");
  EXPECT_EQ(after.at("uj.pdf"), "new since the backup");  // the archive lacks it: it stays
  after.erase("uj.pdf");
  EXPECT_EQ(after, before);
  EXPECT_EQ(slurp(in.file("GOND.BAJ")), "Ment\x82s visszat\x94lt\x82se");
  EXPECT_FALSE(fs::exists(in.file(kExtractDir)));
  EXPECT_FALSE(fs::exists(in.file(kOldDir)));
  EXPECT_FALSE(fs::exists(in.file(kJournal)));
}

TEST(Restore, BadArchivesChangeNothing) {
  Install in;
  std::string good = in.target("JO");
  ASSERT_EQ(backup(in.ctx(), good).outcome, Outcome::Done);
  write_file(in.file("inditas.lck"), "");
  const std::map<std::string, std::string> before = contents(in.dir);
  auto unchanged = [&](const char* what) {
    EXPECT_EQ(contents(in.dir), before) << what;
  };

  Result missing = restore_from(in, in.target("URES"));
  EXPECT_EQ(missing.outcome, Outcome::InputMissing);
  EXPECT_EQ(missing.reason, Reason::NoArchive);
  EXPECT_EQ(missing.path, in.root + "/URES/virda23#.zip");
  unchanged("missing");

  std::string cut = in.target("CSONKA");
  std::string whole = slurp(good + "/virda23#.zip");
  write_file(cut + "/virda23#.zip", whole.substr(0, whole.size() / 2));
  Result truncated = restore_from(in, cut);
  EXPECT_EQ(truncated.outcome, Outcome::NotWritten);
  EXPECT_EQ(truncated.reason, Reason::ArchiverFailed);
  EXPECT_NE(truncated.archiver_code, 0);
  unchanged("truncated");

  std::string bad = in.target("ROSSZ");
  write_zip(bad + "/virda23#.zip",
            {{"vallal.dbf", slurp(in.file("vallal.dbf"))},
             {"virda23.dbf", overcounted(in.file("virda23.dbf"), 5)}});
  Result damaged = restore_from(in, bad);
  EXPECT_EQ(damaged.outcome, Outcome::Damaged);
  EXPECT_EQ(damaged.name, "virda23.dbf");
  unchanged("overcounted");

  std::string docs = in.target("CSAK_PDF");
  write_zip(docs + "/virda23#.zip", {{"a.pdf", "%PDF"}, {"b.dbh", "log"}});
  Result no_tables = restore_from(in, docs);
  EXPECT_EQ(no_tables.outcome, Outcome::InputMissing);
  EXPECT_EQ(no_tables.reason, Reason::NoTables);
  unchanged("no tables");

  // Two entries that would land on one name once flattened.
  std::string twice = in.target("KETSZER");
  write_zip(twice + "/virda23#.zip", {{"vallal.dbf", slurp(in.file("vallal.dbf"))},
                                      {"regi/VALLAL.DBF", slurp(in.file("vallal.dbf"))}});
  Result clash = restore_from(in, twice);
  EXPECT_EQ(clash.outcome, Outcome::Damaged);
  unchanged("clash");
}

TEST(Restore, OnlyPlainTablesAndDocumentsComeIn) {
  Install in;
  std::string src = in.target("MENTES");
  std::string year = slurp(in.file("vallal.dbf"));  // any sound table
  write_zip(src + "/virda23#.zip",
            {{"../x.dbf", year},
             {"link.dbf", "/etc/passwd", 0120777},
             {"vallal.ntx", "an index from elsewhere"},
             {"mvirda23", "#!/bin/sh\necho program\n"},
             {"konyvtar/", "", 040755},
             {"eltar23.dbf", year},
             {"Uj.Pdf", "%PDF new"}});
  const std::map<std::string, std::string> before = tables_of(in.dir);
  Result r = restore_from(in, src);
  ASSERT_EQ(r.outcome, Outcome::Done);
  std::map<std::string, std::string> after = tables_of(in.dir);
  std::map<std::string, std::string> want = before;
  want["eltar23.dbf"] = year;
  want["Uj.Pdf"] = "%PDF new";
  EXPECT_EQ(after, want);
  EXPECT_EQ(r.files, (std::vector<std::string>{"eltar23.dbf", "Uj.Pdf"}));
}

TEST(Restore, AnotherWorkstationInTheProgramStopsIt) {
  Install in;
  std::string src = in.target("MENTES");
  ASSERT_EQ(backup(in.ctx(), src).outcome, Outcome::Done);
  const std::map<std::string, std::string> before = tables_of(in.dir);
  Other other = holding(in.file("vallal.dbf"), xbase::OpenMode::Shared);
  ASSERT_TRUE(other.ready());
  Result r = restore_from(in, src);
  EXPECT_EQ(r.outcome, Outcome::Busy);
  EXPECT_EQ(r.reason, Reason::OthersWorking);
  EXPECT_EQ(tables_of(in.dir), before);
  EXPECT_EQ(other.finish(), 0);
}

class RestoreKilled : public ::testing::TestWithParam<const char*> {};

TEST_P(RestoreKilled, TheNextStartFindsTheOldSetOrTheArchivesNeverAMix) {
  const std::string kill_at = GetParam();
  Install in;
  std::string src = in.target("MENTES");
  ASSERT_EQ(backup(in.ctx(), src).outcome, Outcome::Done);
  const std::map<std::string, std::string> archived = tables_of(in.dir);
  // Since the backup: every table changed, a document added.
  for (const char* t : {"vallal", "virda23", "eltar23", "konstans"}) {
    ASSERT_TRUE(in.station->areas.use(in.file(t)));
    in.station->areas.current().append_blank();
    in.station->areas.close_all();
  }
  write_file(in.file("virda23.dbt"), "memo since");
  const std::map<std::string, std::string> current = tables_of(in.dir);

  std::string dir = in.dir;
  Other child([&](int, int) {
    Station again(dir);
    int seen = 0;
    set_restore_step_hook([&](std::string_view step) {
      // The second file's move for the per-file steps: halfway through the swap.
      if (step == kill_at && (++seen == 2 || (step != "old-moved" && step != "new-moved")))
        ::kill(::getpid(), SIGKILL);
    });
    shell::StartupGuard guard;
    restore(*again.ctx, src, guard);
    return 0;
  });
  ASSERT_EQ(child.finish(), 128 + SIGKILL);

  recover_leftovers(in.ctx());
  std::map<std::string, std::string> now = tables_of(in.dir);
  EXPECT_TRUE(now == current || now == archived) << "a mix after " << kill_at;
  bool committed = kill_at != "extracted" && kill_at != "checked";
  EXPECT_EQ(now == archived, committed);
  for (const auto& [name, bytes] : now) {
    if (name.size() > 4 && name.substr(name.size() - 4) == ".dbf") {
      EXPECT_TRUE(xbase::check_table(in.file(name)).sound()) << name;
    }
  }
  EXPECT_FALSE(fs::exists(in.file(kExtractDir)));
  EXPECT_FALSE(fs::exists(in.file(kOldDir)));
  EXPECT_FALSE(fs::exists(in.file(kJournal)));
}

INSTANTIATE_TEST_SUITE_P(EachStep, RestoreKilled,
                         ::testing::Values("extracted", "checked", "journal-written", "old-moved",
                                           "new-moved", "swapped", "journal-removed"),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (c == '-') c = '_';
                           return n;
                         });

}  // namespace
}  // namespace maint
