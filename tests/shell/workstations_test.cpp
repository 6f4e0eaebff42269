// Two workstations in one installation, each a process: the change notes renamed by
// both, a template file missing while one runs, an index file removed under a
// running one, and the submenu's reindexing beside another workstation.
#include <fcntl.h>
#include <sys/file.h>

#include <fstream>

#include "common/idle_services.h"
#include "shell/change_notes.h"
#include "shell/startup_test_util.h"
#include "shell/upgrade.h"
#include "xbase/hutext.h"

namespace shell {
namespace {

using testing::bg_start;
using testing::inode;
using testing::Other;
using testing::seen;
using testing::Station;
using testing::stop_at;
namespace fs = std::filesystem;
namespace key = console::key;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> index_files(const Station& s) {
  std::vector<std::string> out;
  for (const char* f : {"vallal.ntx", "eltar23.ntx", "virda23.ntx", "virda232.ntx"})
    out.push_back(s.file(f));
  return out;
}

std::vector<std::string> stamps(const Station& s) {
  std::vector<std::string> out;
  for (const std::string& f : index_files(s)) out.push_back(inode(f));
  return out;
}

// A first start on fresh templates: the installation with its index files.
void install(Station& s) {
  testing::make_templates(s);
  s.term->keys({key::kEnter, key::kEnter, key::kEsc});
  ASSERT_EQ(MAIN(*s.ctx, bg_start(false), mvirda_test::idle_services()), 0);
  for (const std::string& f : index_files(s)) ASSERT_TRUE(fs::exists(f)) << f;
}

TEST(ChangeNotes, TwoWorkstationsAnsweringNemKeepEveryNote) {
  Station s;
  s.ctx->ev = "23";
  std::ofstream(s.file("valt0001.txt"), std::ios::binary) << "ELSO\r\n";
  std::ofstream(s.file("valt0002.txt"), std::ios::binary) << "MASODIK\r\n";
  std::ofstream(s.file("palt0002.txt"), std::ios::binary) << "regi\r\n";
  // The other one has shown both notes and asks; it answers after this one renamed.
  Other other([&](int from, int to) {
    Station t(s.dir);
    t.ctx->ev = "23";
    stop_at(t, {"A következő indításkor"}, from, to);
    t.term->keys({key::kEsc, key::kEsc, 'N', key::kEnter});
    show_change_notes(*t.ctx, mvirda_test::idle_viewer());
    bool ok = t.exit_code == -1 && seen(t, "A fájlokat az egyéb funkciók menüben lehet elolvasni");
    return ok ? 0 : 1;
  });
  ASSERT_TRUE(other.ready());
  s.term->keys({key::kEsc, key::kEsc, 'N', key::kEnter});
  show_change_notes(*s.ctx, mvirda_test::idle_viewer());
  other.go();
  EXPECT_EQ(other.finish(), 0);
  EXPECT_EQ(slurp(s.file("palt0001.txt")), "ELSO\r\n");
  EXPECT_EQ(slurp(s.file("palt0002.txt")), "MASODIK\r\n");  // the older read note replaced
  EXPECT_FALSE(fs::exists(s.file("valt0001.txt")));
  EXPECT_FALSE(fs::exists(s.file("valt0002.txt")));
}

TEST(ChangeNotes, ANoteRenamedWhileTheListIsShownOpensUnderItsNewName) {
  Station s;
  s.ctx->ev = "23";
  std::ofstream(s.file("valt0001.txt"), std::ios::binary) << "ELSO SOR\r\n";
  Other lister([&](int from, int to) {
    Station t(s.dir);
    t.ctx->ev = "23";
    stop_at(t, {"valt0001.txt     olvasatlan"}, from, to);
    // Enter on the unread entry, Esc out of the viewer and the list.
    t.term->keys({key::kEnter, key::kEsc, key::kEsc});
    change_note_list(*t.ctx, mvirda_test::idle_viewer());
    bool ok = t.exit_code == -1 && seen(t, "ELSO SOR") && t.windows.count() == 0;
    return ok ? 0 : 1;
  });
  ASSERT_TRUE(lister.ready());
  s.term->keys({key::kEsc, 'N', key::kEnter});
  show_change_notes(*s.ctx, mvirda_test::idle_viewer());
  ASSERT_TRUE(fs::exists(s.file("palt0001.txt")));
  lister.go();
  EXPECT_EQ(lister.finish(), 0);
}

TEST(Templates, AMissingOneBesideARunningWorkstationChangesNothing) {
  Station s;
  install(s);
  std::vector<std::string> before = stamps(s);

  // A at its main menu; later its item 4 (the notice) twice.
  Other a([&](int from, int to) {
    Station t(s.dir);
    stop_at(t, {"Kilépés a programból", "Hiányzó állomány: kozter.dbf.", "Kilépés a programból"},
            from, to);
    // Date; item 4 asks for the missing table: "Várakozás" once it is back, the
    // notice; item 4 again after an index file was removed; out.
    t.term->keys({key::kEnter, '4', key::kEnter, key::kEnter, '4', key::kEnter, key::kEsc});
    int rc = MAIN(*t.ctx, bg_start(false), mvirda_test::idle_services());
    bool ok = rc == 0 && t.exit_code == -1 && t.term->keys_left() == 0 &&
              seen(t, "Még nem jelentek meg a nyomtatványok!") &&
              seen(t, "Lépjen ki minden munkaállomás, majd indítsa újra a programot!");
    return ok ? 0 : 1;
  });
  ASSERT_TRUE(a.ready());

  // B starts without the template file: it says so and ends, having changed nothing.
  fs::remove(s.file("kozter.dbf"));
  s.term->keys({key::kEnter});
  EXPECT_EQ(MAIN(*s.ctx, bg_start(false), mvirda_test::idle_services()), 1);
  EXPECT_EQ(s.exit_code, 1);
  EXPECT_TRUE(seen(s, "Hiányzó állomány: kozter.dbf."));
  EXPECT_FALSE(fs::exists(s.file("kozter.dbf")));
  EXPECT_EQ(stamps(s), before);

  // A's next item finds the table missing and waits; it goes on once the file is back.
  a.go();
  ASSERT_TRUE(a.ready());
  fs::copy_file(s.file("xxx/kozter.dbf"), s.file("kozter.dbf"));
  // An index file removed under A: its next item builds it again.
  a.go();
  ASSERT_TRUE(a.ready());
  fs::remove(s.file("virda23.ntx"));
  a.go();
  EXPECT_EQ(a.finish(), 0);
  EXPECT_TRUE(fs::exists(s.file("virda23.ntx")));

  // Alone again without the template file: copied, and every index built anew.
  fs::remove(s.file("kozter.dbf"));
  before = stamps(s);
  s.exit_code = -1;
  s.term->keys({key::kEnter, key::kEsc});
  EXPECT_EQ(MAIN(*s.ctx, bg_start(false), mvirda_test::idle_services()), 0);
  EXPECT_EQ(s.exit_code, -1);
  EXPECT_TRUE(fs::exists(s.file("kozter.dbf")));
  std::vector<std::string> after = stamps(s);
  for (size_t i = 0; i < after.size(); ++i) {
    EXPECT_FALSE(after[i].empty());
    EXPECT_NE(after[i], before[i]) << index_files(s)[i];
  }
}

TEST(Reindexing, TheSubmenuKeepsTheWorkingSetAndNamesWhatItCouldNotBuild) {
  Station s;
  install(s);

  // A: at the title screen; then into the submenu, reindexing three times. The third
  // time it also stops when its tables have let their index files go.
  Other a([&](int from, int to) {
    Station t(s.dir);
    int let_go = 0;
    set_restructure_step_hook([&](std::string_view step) {
      if (step == "indexes-let-go" && ++let_go == 3) {
        testing::say_ready(to);
        testing::wait_parent(from);
      }
    });
    stop_at(t,
            {"A feldolgozás dátuma:", "Indexelés kész", "Indexelés kész",
             "Az index nem építhető újra: virda232.ntx"},
            from, to);
    t.term->keys({key::kEnter, '8', '2', key::kEnter, '2', key::kEnter, '2', key::kEnter, key::kEsc,
                  key::kEsc});
    int rc = MAIN(*t.ctx, bg_start(false), mvirda_test::idle_services());
    return rc == 0 && t.exit_code == -1 && t.term->keys_left() == 0 ? 0 : 1;
  });
  ASSERT_TRUE(a.ready());

  // B at its title screen while A goes into the submenu and reindexes; then B's
  // item 4 finds the working set taken.
  std::vector<std::string> first;
  bool a_in_submenu = false, busy_asked = false;
  s.term->before_untimed_wait = [&] {
    std::string screen = s.con->screen().text_utf8();
    if (!a_in_submenu && screen.find("A feldolgozás dátuma:") != std::string::npos) {
      a.go();
      a_in_submenu = a.ready();
      first = stamps(s);
    }
    if (screen.find("Az állomány foglalt") != std::string::npos) busy_asked = true;
  };
  s.term->keys({key::kEnter, '4', 'K'});
  EXPECT_EQ(MAIN(*s.ctx, bg_start(false), mvirda_test::idle_services()), 0);
  EXPECT_TRUE(a_in_submenu);
  EXPECT_TRUE(busy_asked);
  EXPECT_EQ(s.exit_code, 0);  // "Kilépés"
  s.term->before_untimed_wait = nullptr;

  // A reindexes again: every file built anew.
  a.go();
  ASSERT_TRUE(a.ready());
  std::vector<std::string> second = stamps(s);
  for (size_t i = 0; i < second.size(); ++i) {
    EXPECT_FALSE(second[i].empty());
    EXPECT_NE(second[i], first[i]) << index_files(s)[i];
  }

  // An index file held open elsewhere cannot be deleted: named, not "Indexelés kész".
  a.go();
  ASSERT_TRUE(a.ready());  // A's tables have let their index files go
  Other holder([&](int from, int to) {
    int fd = ::open(s.file("virda232.ntx").c_str(), O_RDONLY);
    if (fd < 0 || ::flock(fd, LOCK_SH | LOCK_NB) != 0) return 2;
    testing::say_ready(to);
    testing::wait_parent(from);
    return 0;
  });
  ASSERT_TRUE(holder.ready());
  a.go();
  ASSERT_TRUE(a.ready());  // at the message
  EXPECT_EQ(inode(s.file("virda232.ntx")), second[3]);
  holder.go();
  EXPECT_EQ(holder.finish(), 0);
  a.go();
  EXPECT_EQ(a.finish(), 0);
}

}  // namespace
}  // namespace shell
