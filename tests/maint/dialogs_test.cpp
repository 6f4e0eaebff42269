// The target dialog and the two questions on a headless screen: rows and columns,
// the missing directory created or refused, "masdrv.txt", and Esc that cancels.
#include <gtest/gtest.h>

#include "maint/backup.h"
#include "maint/backup_dialogs.h"
#include "maint/maint_test_util.h"
#include "maint/restore.h"
#include "support/platform_files.h"

namespace maint {
namespace {

using namespace testing;
namespace key = console::key;

// Whether some screen shown while waiting for a key had `text` at (row, col).
bool was_shown(const console::HeadlessBackend& term, int row, int col, const std::string& text) {
  for (const console::Screen& s : term.waits())
    if (shows(s, row, col, text)) return true;
  return false;
}

TEST(TargetDialog, AMissingDirectoryIsCreatedOnRequestAndRemembered) {
  Install in;
  auto& term = *in.station->term;
  std::string want = in.root + "/uj mentes";
  term.keys({key::kEnter});  // an empty field is not taken
  term.input(want);
  term.keys({key::kEnter, 'n', key::kEnter, 'i'});
  std::optional<std::string> got = MELYFLOPPY(in.ctx(), true);
  ASSERT_TRUE(got);
  EXPECT_EQ(*got, want);
  EXPECT_TRUE(fs::is_directory(want));
  EXPECT_EQ(slurp(in.file("masdrv.txt")), want);
  EXPECT_TRUE(was_shown(term, 9, 20, "┌─────────────Mentés helye──────────────┐"));
  EXPECT_TRUE(was_shown(term, 11, 24, "Elérési út (pl. D:\\MENTES):"));
  EXPECT_TRUE(was_shown(term, 12, 24, std::string(35, ' ')));
  EXPECT_TRUE(was_shown(term, 16, 40, "A megadott könyvtár nem létezik."));
  EXPECT_TRUE(was_shown(term, 17, 40, "Létrehozás?"));
  EXPECT_TRUE(was_shown(term, 19, 40, "Igen"));
  EXPECT_TRUE(was_shown(term, 20, 40, "Nem"));

  // The next time the field shows the path; Esc cancels and keeps the file.
  term.keys({key::kEsc});
  EXPECT_FALSE(MELYFLOPPY(in.ctx(), true));
  EXPECT_TRUE(was_shown(term, 12, 24, want.substr(0, 35)));
  EXPECT_EQ(slurp(in.file("masdrv.txt")), want);
}

TEST(TargetDialog, ARestoreRefusesAMissingDirectoryAndAsksAgain) {
  Install in;
  auto& term = *in.station->term;
  write_file(in.file("masdrv.txt"), in.root + "/nincs\r\n");
  term.keys({key::kEnter, key::kEnter, key::kEsc});
  EXPECT_FALSE(MELYFLOPPY(in.ctx(), false));
  EXPECT_TRUE(was_shown(term, 18, 40, "A megadott könyvtár nem létezik!"));
  EXPECT_FALSE(fs::exists(in.root + "/nincs"));
  // The path was typed from a Windows drive: it lies under the drive root.
  in.target("MENTES");
  term.keys({key::ctrl('y')});
  term.input("D:\\MENTES");
  term.keys({key::kEnter});
  EXPECT_EQ(MELYFLOPPY(in.ctx(), false), std::optional<std::string>("D:\\MENTES"));
}

TEST(Questions, NoOrEscChangesNothing) {
  Install in;
  auto& term = *in.station->term;
  std::map<std::string, std::string> before = contents(in.dir);
  term.keys({'n'});
  ADATMENTES(in.ctx());
  EXPECT_TRUE(was_shown(term, 17, 51, "Adatállomány mentése?"));
  EXPECT_TRUE(was_shown(term, 19, 51, "Igen"));
  shell::StartupGuard guard;
  term.keys({'n'});
  EXPECT_FALSE(ADATTOLTES(in.ctx(), guard));
  EXPECT_TRUE(was_shown(term, 17, 45, "Adatállomány visszatöltése?"));
  term.keys({'i', key::kEsc});  // Esc in the path dialog
  EXPECT_FALSE(ADATTOLTES(in.ctx(), guard));
  EXPECT_FALSE(guard.held());
  EXPECT_EQ(contents(in.dir), before);
}

// The box of an outcome: its lines end at column 76 and row 21 less the button's
// rows (the question box's layout); the lines of `want` from the box's first row.
void expect_box(const console::HeadlessBackend& term, const std::vector<std::string>& want) {
  int w = 0;
  for (const std::string& line : want) w = std::max(w, static_cast<int>(xbase::utf8_to_cp852(line).size()));
  const int top = 21 - 1 - 2 - static_cast<int>(want.size()), col = 76 - w - 6 + 2;
  const console::Screen& s = term.last_wait();
  for (std::size_t i = 0; i < want.size(); ++i)
    EXPECT_TRUE(shows(s, top + 1 + static_cast<int>(i), col, want[i]))
        << "row " << top + 1 + static_cast<int>(i) << ": " << cells(s, top + 1 + static_cast<int>(i), col, 70);
  EXPECT_TRUE(shows(s, top + 2 + static_cast<int>(want.size()), col, "OK"));
}

TEST(OutcomeBox, AFailedBackupNamesItsTargetAndTheEarlierArchiveOnlyWhenThereWasOne) {
  Install in;
  auto& term = *in.station->term;
  std::string target = in.target("MENTES");

  // The archiver stops on a full target where no archive was yet.
  in.stand_in("util/7za", "echo 'disk full' >&2\nexit 2\n");
  Result first = backup(in.ctx(), target);
  ASSERT_EQ(first.reason, Reason::ArchiverFailed);
  term.keys({key::kEnter});
  show_outcome(in.ctx(), first, true);
  expect_box(term, {"A mentés nem sikerült, a 7-Zip hibakódja: 2", "disk full", "A mentés helye:", target});

  // An earlier archive, and no room for the new one beside it.
  write_file(target + "/virda23#.zip", "the previous backup");
  support::platform::inject_file_faults(
      {{}, [](std::string_view p) { return p.find("/MENTES/") != std::string_view::npos; }, {}});
  Result full = backup(in.ctx(), target);
  support::platform::inject_file_faults({});
  ASSERT_EQ(full.outcome, Outcome::NotWritten);
  ASSERT_EQ(full.reason, Reason::TargetNotWritten);
  term.keys({key::kEnter});
  show_outcome(in.ctx(), full, true);
  expect_box(term, {"A mentés nem készült el, nem írható a mentés helye:", target, "A korábbi mentés változatlan."});
  EXPECT_EQ(contents(target), (std::map<std::string, std::string>{{"virda23#.zip", "the previous backup"}}));

  in.stand_in("util/7za", "echo 'disk full' >&2\nexit 2\n");
  Result again = backup(in.ctx(), target);
  term.keys({key::kEnter});
  show_outcome(in.ctx(), again, true);
  expect_box(term, {"A mentés nem sikerült, a 7-Zip hibakódja: 2", "disk full", "A mentés helye:", target,
                    "A korábbi mentés változatlan."});
}

TEST(OutcomeBox, TwoEntriesApartOnlyInCaseAreNamedAsSuch) {
  Install in;
  auto& term = *in.station->term;
  std::string twice = in.target("KETSZER");
  write_zip(twice + "/virda23#.zip",
            {{"vallal.dbf", slurp(in.file("vallal.dbf"))}, {"VALLAL.DBF", slurp(in.file("vallal.dbf"))}});
  shell::StartupGuard guard;
  Result clash = restore(in.ctx(), twice, guard);
  ASSERT_EQ(clash.outcome, Outcome::Damaged);
  ASSERT_EQ(clash.reason, Reason::NameClash);
  term.keys({key::kEnter});
  show_outcome(in.ctx(), clash, false);
  expect_box(term, {"A mentés két állományának neve csak kis- és nagybetűben tér el:", "vallal.dbf, VALLAL.DBF",
                    "Az adatok változatlanok."});
}

}  // namespace
}  // namespace maint
