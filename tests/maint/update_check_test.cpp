// The update check: the version file read as the program reads it, the address
// file, the download tool's arguments, the message at its rows, the time-out, and
// the version box.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "maint/maint_test_util.h"
#include "maint/update_check.h"
#include "maint/version_box.h"

namespace maint {
namespace {

using namespace testing;
using std::optional;

TEST(VersionFile, TheFirstLineOfTheProgramGivesSevenCharactersAfterTheColon) {
  EXPECT_EQ(announced_version("VIRDA23:2023.02\r\n", "23"), optional<std::string>("2023.02"));
  // A blank after the colon costs the last character.
  EXPECT_EQ(announced_version("VIRDA23: 2023.02", "23"), optional<std::string>("2023.0"));
  EXPECT_EQ(announced_version("VIRDA22:2022.05\nVIRDA23 uj:2023.03 (jan.)\nVIRDA23:2023.09", "23"),
            optional<std::string>("2023.03"));
  EXPECT_EQ(announced_version("virda23:2023.02\nMVIRDA23:2023.02", "23"), std::nullopt);
  EXPECT_EQ(announced_version("VIRDA23 2023.02", "23"), std::nullopt);  // no colon
  // Lines are taken at 80 characters, as the memo-line reader does.
  EXPECT_EQ(announced_version(std::string(80, 'x') + "VIRDA23:2023.04", "23"),
            optional<std::string>("2023.04"));
  std::string binary(200000, '\0');
  binary.replace(100000, 15, "VIRDA23:2023.07");  // beyond the 64 KiB read
  EXPECT_EQ(announced_version(binary, "23"), std::nullopt);
}

TEST(VersionFile, NewerComparesAsTextsWithExactOff) {
  EXPECT_TRUE(is_newer("2023.02", "2023.01"));
  EXPECT_FALSE(is_newer("2023.01", "2023.01"));
  EXPECT_FALSE(is_newer("2023.0", "2023.01"));
  EXPECT_FALSE(is_newer("2022.12", "2023.01"));
  EXPECT_FALSE(is_newer("", "2023.01"));
}

TEST(UpdateSource, OnlyAWebAddressWithoutBlanksAndASaneTimeOut) {
  Install in;
  auto source = [&](const std::string& text) {
    write_file(in.file("wwwellen.txt"), text);
    return read_update_source(in.dir);
  };
  EXPECT_EQ(read_update_source(in.dir), std::nullopt);
  auto ok = source("http://127.0.0.1:8000/verzio.txt\r\n");
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->address, "http://127.0.0.1:8000/verzio.txt");
  EXPECT_EQ(ok->seconds, 10);
  EXPECT_EQ(source("HTTPS://example.invalid/v.txt\n2\n")->seconds, 2);
  EXPECT_EQ(source("https://example.invalid/v.txt\n121\n")->seconds, 10);
  EXPECT_EQ(source("https://example.invalid/v.txt\nfive\n")->seconds, 10);
  EXPECT_FALSE(source("ftp://example.invalid/v.txt"));
  EXPECT_FALSE(source("http://"));
  EXPECT_FALSE(source("http://a b/v.txt"));
  EXPECT_FALSE(source("-o/etc/passwd http://x/"));
  EXPECT_FALSE(source(std::string("http://x/\x01v.txt")));
}

struct Check {
  Install in;
  Check() {
    in.ctx().vars.make_public("KWWWELLEN", xbase::Value::num(1));
    in.ctx().vars.make_public("VERZ", xbase::Value::str("2023.01"));
    write_file(in.file("wwwellen.txt"), "http://updates.invalid/verzio.txt\n1\n");
  }
};

TEST(UpdateCheck, ANewerVersionIsToldAtItsRowsAndTheToolGetsTheAddress) {
  Check c;
  c.in.stand_in("UTIL/WWWLETOL",
                "printf '%s|' \"$@\" > \"$VIRDA_DRIVE/argv.txt\"; pwd > \"$VIRDA_DRIVE/cwd.txt\"\n"
                "printf 'Program verziok\\r\\nVIRDA23:2023.02\\r\\n' > \"$2\"\n");
  write_file(c.in.file("verzio.txt"), "VIRDA23:2023.09");  // an old file is not read
  auto& term = *c.in.station->term;
  console::Screen before = c.in.ctx().con.screen();
  term.keys({' '});
  EXPECT_TRUE(WWWELLEN(c.in.ctx()));
  EXPECT_EQ(slurp(c.in.root + "/argv.txt"), "http://updates.invalid/verzio.txt|verzio.txt|");
  EXPECT_EQ(slurp(c.in.root + "/cwd.txt"), fs::canonical(c.in.dir).string() + "\n");
  const console::Screen& shown = term.last_wait();
  EXPECT_TRUE(shows(shown, 9, 18, "A gépen levő program verziószáma  : 2023.01"));
  EXPECT_TRUE(shows(shown, 11, 18, "Az internetről letölthető változat: 2023.02"));
  EXPECT_TRUE(shows(shown, 13, 18, "Töltse le a frissítést!"));
  EXPECT_TRUE(shows(shown, 15, 18, "Tovább..."));
  EXPECT_NE(shown.row_utf8(7).find("Frissítés ellenőrzés"), std::string::npos);
  EXPECT_EQ(c.in.ctx().con.screen().text_utf8(), before.text_utf8());
}

TEST(UpdateCheck, SwitchedOffOrNotNewerShowsNothingAndAHangingToolIsEnded) {
  Check c;
  c.in.stand_in("UTIL/WWWLETOL", "echo run >> \"$VIRDA_DRIVE/runs.txt\"; echo 'VIRDA23: 2023.02' > \"$2\"\n");
  auto& term = *c.in.station->term;
  WWWELLEN(c.in.ctx());  // " 2023.0" is not newer: no key is waited for
  EXPECT_EQ(slurp(c.in.root + "/runs.txt"), "run\n");
  c.in.ctx().vars.assign("KWWWELLEN", xbase::Value::num(2));
  WWWELLEN(c.in.ctx());
  EXPECT_EQ(slurp(c.in.root + "/runs.txt"), "run\n");

  c.in.ctx().vars.assign("KWWWELLEN", xbase::Value::num(1));
  c.in.stand_in("UTIL/WWWLETOL", "trap '' TERM\nsleep 60\n");
  auto t0 = std::chrono::steady_clock::now();
  WWWELLEN(c.in.ctx());
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
  EXPECT_FALSE(fs::exists(c.in.file("verzio.txt")));
  EXPECT_EQ(term.keys_left(), 0u);
}

TEST(VersionBox, TheBoxAtItsRowsAndTheScreenAsBefore) {
  Install in;
  in.ctx().vars.make_public("VERZ", xbase::Value::str("2023.01"));
  in.ctx().con.say(10, 30, "under the box");
  console::Screen before = in.ctx().con.screen();
  in.station->term->keys({'x'});
  VERZ_DRV(in.ctx());
  const console::Screen& shown = in.station->term->last_wait();
  EXPECT_TRUE(shows(shown, 7, 21, "┌──"));
  EXPECT_TRUE(shows(shown, 18, 21, "└──"));
  EXPECT_TRUE(shows(shown, 9, 24, "Könyvtár : "));
  EXPECT_TRUE(shows(shown, 11, 24, "Verzió   : 2023.01"));
  EXPECT_THAT(cells(shown, 13, 24, 30),
              ::testing::MatchesRegex("Exe dátum: [0-9]{4}\\.[0-9]{2}\\.[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}"));
  EXPECT_TRUE(shows(shown, 15, 24, "Fordító  : " + compiler_text()));
  EXPECT_TRUE(shows(shown, 17, 35, "Tovább..."));
  EXPECT_EQ(in.ctx().con.screen().text_utf8(), before.text_utf8());

  EXPECT_EQ(shortened_dir("/home/virda/VIRDA23"), "/home/virda/VIRDA23");
  EXPECT_EQ(shortened_dir("/media/anna/KULSO LEMEZ/VIRDA23"), "...a/KULSO LEMEZ/VIRDA23");
  EXPECT_EQ(shortened_dir(std::string(24, 'x')), std::string(24, 'x'));
  std::string text = compiler_text();
  EXPECT_TRUE(text.rfind("clang++ ", 0) == 0 || text.rfind("g++ ", 0) == 0) << text;
  EXPECT_EQ(text.size() - text.find(" ("), 11u) << text;  // " (yyyymmdd)"
}

}  // namespace
}  // namespace maint
