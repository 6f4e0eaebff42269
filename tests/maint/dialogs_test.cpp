// The target dialog and the two questions on a headless screen: rows and columns,
// the missing directory created or refused, "masdrv.txt", and Esc that cancels.
#include <gtest/gtest.h>

#include "maint/backup_dialogs.h"
#include "maint/maint_test_util.h"

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

}  // namespace
}  // namespace maint
