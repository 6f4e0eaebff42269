// Shared access between workstations: each case forks another process that holds a
// table or a lock the way another workstation would, and checks the waits, their
// windows, Esc, and what the caller finds afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "shell/reindex.h"
#include "shell/shared_access.h"
#include "shell/shell_test_util.h"
#include "xbase/ntx_order.h"

namespace shell {
namespace {

using testing::Other;
using testing::Station;
using xbase::OpenMode;
using xbase::Value;
namespace key = console::key;
using Clock = std::chrono::steady_clock;

const xbase::Structure kSmall = {{"VKOD", 'C', 3, 0}, {"NEV", 'C', 20, 0}};

double seconds_since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

// Another workstation that opens `path` (exclusively, or shared and locks record 1 or
// the file), says it is ready, and lets go after `hold_ms` or when told.
Other holder(const std::string& path, char how, int hold_ms) {  // how: x r f s
  return Other([=](int down, int up) {
    xbase::WorkAreas areas;
    if (!areas.use(path, "", how == 'x' ? OpenMode::Exclusive : OpenMode::Shared)) return 2;
    if (how == 'r') {
      areas.current().go_to(1);
      if (!areas.current().rlock()) return 3;
    }
    if (how == 'f' && !areas.current().flock()) return 3;
    testing::say_ready(up);
    if (hold_ms > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(hold_ms));
    else
      testing::wait_parent(down);
    areas.close_all();
    testing::say_ready(up);  // it has let go
    return 0;
  });
}

void make_table(Station& s, const std::string& name, int records = 1) {
  ASSERT_TRUE(s.areas.create(s.file(name), kSmall));
  ASSERT_TRUE(s.areas.use(s.file(name), "", OpenMode::Exclusive));
  for (int i = 0; i < records; ++i) {
    s.areas.current().append_blank();
    s.areas.current().put("VKOD", Value::str("00" + std::to_string(i + 1)));
  }
  s.areas.close_area();
}

TEST(Netuse, FreeTableOpensWithoutAWindow) {
  Station s;
  make_table(s, "vallal");
  EXPECT_TRUE(NETUSE(*s.ctx, "vallal", false));
  EXPECT_EQ(s.areas.current().alias(), "VALLAL");
  EXPECT_TRUE(NETUSE(*s.ctx, "vallal.dbf", true, false, "CEG"));
  EXPECT_EQ(s.areas.current().alias(), "CEG");
  EXPECT_EQ(s.term->presents(), 0);
  EXPECT_EQ(s.windows.count(), 0);
}

TEST(Netuse, BusyTableWithoutWaitingFailsQuietly) {
  Station s;
  make_table(s, "vallal");
  Other other = holder(s.file("vallal.dbf"), 'x', 0);
  ASSERT_TRUE(other.ready());
  auto t0 = Clock::now();
  // No message: an alert would wait for a key the script does not have.
  EXPECT_FALSE(NETUSE(*s.ctx, "vallal", false));
  EXPECT_LT(seconds_since(t0), 0.5);
  EXPECT_TRUE(s.areas.neterr());
  EXPECT_FALSE(s.areas.current().used());
  EXPECT_EQ(s.windows.count(), 0);
  other.go();
  EXPECT_EQ(other.finish(), 0);
}

TEST(Netuse, WaitingEndsWhenTheOtherCloses) {
  Station s;
  make_table(s, "vallal");
  Other other = holder(s.file("vallal.dbf"), 'x', 1500);
  ASSERT_TRUE(other.ready());
  s.con->set_last_key(key::kEsc);  // an Esc read long before must not end the wait
  auto t0 = Clock::now();
  EXPECT_TRUE(NETUSE(*s.ctx, "vallal", false, true));
  double took = seconds_since(t0);
  EXPECT_GT(took, 0.9);
  EXPECT_LT(took, 4.0);
  EXPECT_TRUE(s.areas.current().used());
  ASSERT_GE(s.term->waits().size(), 1u);
  const console::Screen& shown = s.term->waits()[0];
  EXPECT_EQ(shown.row_utf8(12), std::string(25, ' ') + "│   Várakozás állományra...   │" +
                                    std::string(24, ' '));
  EXPECT_EQ(s.windows.count(), 0);
  EXPECT_EQ(other.finish(), 0);
}

TEST(Netuse, EscGivesUpTheWait) {
  Station s;
  make_table(s, "vallal");
  Other other = holder(s.file("vallal.dbf"), 'x', 0);
  ASSERT_TRUE(other.ready());
  s.term->esc_after = 1;
  EXPECT_FALSE(NETUSE(*s.ctx, "vallal", true, true));
  EXPECT_EQ(s.term->timed_waits, 2);
  EXPECT_EQ(s.windows.count(), 0);
  other.go();
  EXPECT_EQ(other.finish(), 0);
}

TEST(StartupGuardWait, AStartDuringAnotherWaitsInTheWindowAndEscGivesUp) {
  Station s;
  std::string dir = s.dir;
  Other first([&](int down, int up) {
    StartupGuard g;
    if (!g.try_acquire(dir)) return 2;
    testing::say_ready(up);
    testing::wait_parent(down);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    return 0;
  });
  ASSERT_TRUE(first.ready());
  StartupGuard busy;
  s.term->esc_after = 1;
  EXPECT_FALSE(acquire_startup_guard(*s.ctx, busy));
  EXPECT_FALSE(busy.held());
  EXPECT_EQ(s.windows.count(), 0);
  ASSERT_FALSE(s.term->waits().empty());
  EXPECT_NE(s.term->waits()[0].row_utf8(12).find("Várakozás állományra..."), std::string::npos);

  first.go();
  s.term->esc_after = -1;
  auto t0 = Clock::now();
  StartupGuard second;
  EXPECT_TRUE(acquire_startup_guard(*s.ctx, second));
  EXPECT_TRUE(second.held());
  EXPECT_GE(seconds_since(t0), 1.0);
  EXPECT_EQ(first.finish(), 0);
}

TEST(Reclock, WaitsInTheRedWindowAndKeepsTheCallersLastKey) {
  Station s;
  make_table(s, "virda23", 2);
  ASSERT_TRUE(s.areas.use(s.file("virda23"), "", OpenMode::Shared));
  Other other = holder(s.file("virda23.dbf"), 'r', 1200);
  ASSERT_TRUE(other.ready());

  s.con->put_key('q');
  ASSERT_EQ(s.con->inkey(), 'q');
  s.con->set_pos(3, 7);
  s.areas.current().go_to(1);
  EXPECT_TRUE(RECLOCK(*s.ctx));
  EXPECT_EQ(s.con->last_key(), 'q');
  EXPECT_EQ(s.con->row(), 3);
  EXPECT_EQ(s.con->col(), 7);
  EXPECT_EQ(s.con->colour_string().substr(0, 3), "W/N");
  EXPECT_TRUE(s.areas.current().table()->record_locked(1));
  ASSERT_GE(s.term->waits().size(), 1u);
  const console::Screen& shown = s.term->waits()[0];
  EXPECT_EQ(shown.row_utf8(18).substr(20 + 0),
            "│     Várakozás foglalt rekordra...     │" + std::string(19, ' '));
  EXPECT_NE(shown.row_utf8(20).find("ESC - kilépés"), std::string::npos);
  EXPECT_EQ(shown.at(18, 30).attr, console::make_attr(15, 4));
  EXPECT_EQ(other.finish(), 0);

  // The record is free now: no window, no wait.
  size_t waits = s.term->waits().size();
  EXPECT_TRUE(RECLOCK(*s.ctx));
  EXPECT_EQ(s.term->waits().size(), waits);
}

TEST(Reclock, EscGivesUpAndTheCallerStillSeesItsOwnLastKey) {
  Station s;
  make_table(s, "virda23");
  ASSERT_TRUE(s.areas.use(s.file("virda23"), "", OpenMode::Shared));
  Other other = holder(s.file("virda23.dbf"), 'r', 0);
  ASSERT_TRUE(other.ready());
  s.con->set_last_key(key::kEnter);
  s.term->esc_after = 2;
  s.areas.current().go_to(1);
  EXPECT_FALSE(RECLOCK(*s.ctx));
  EXPECT_EQ(s.con->last_key(), key::kEnter);
  EXPECT_FALSE(s.areas.current().table()->record_locked(1));
  other.go();
  EXPECT_EQ(other.finish(), 0);
}

TEST(Filelock, WaitsForTheWholeTable) {
  Station s;
  make_table(s, "virda23");
  ASSERT_TRUE(s.areas.use(s.file("virda23"), "", OpenMode::Shared));
  Other other = holder(s.file("virda23.dbf"), 'f', 0);
  ASSERT_TRUE(other.ready());
  s.term->esc_after = 1;
  EXPECT_FALSE(FILELOCK(*s.ctx));
  ASSERT_GE(s.term->waits().size(), 1u);
  EXPECT_NE(s.term->waits()[0].row_utf8(18).find("Várakozás foglalt állományra..."),
            std::string::npos);
  other.go();
  EXPECT_EQ(other.finish(), 0);
  s.term->esc_after = -1;
  EXPECT_TRUE(FILELOCK(*s.ctx));
  EXPECT_TRUE(s.areas.current().table()->file_locked());
}

// The working set of a menu item: tables and their index files; `first_last` writes
// the first record of the company and year tables last in key order.
void make_working_set(Station& s, bool first_last = false) {
  auto index = [&](const std::string& table, const std::string& ntx, const std::string& key) {
    ASSERT_TRUE(s.areas.use(s.file(table), "", OpenMode::Exclusive));
    auto fn = xbase::ntx_key_function(s.areas, key, &s.vars);
    s.areas.current().add_order(xbase::NtxOrder::index_on(s.areas.current(), s.file(ntx), key, fn));
    s.areas.close_area();
  };
  for (const char* t : {"vallal", "eltar23", "kozter", "virda23"}) make_table(s, t, 2);
  for (const char* t : {"vallal", "virda23"}) {
    if (!first_last) break;
    ASSERT_TRUE(s.areas.use(s.file(t), "", OpenMode::Exclusive));
    s.areas.current().go_to(1);
    s.areas.current().put("VKOD", Value::str("009"));
    s.areas.close_area();
  }
  index("vallal", "vallal", "vkod");
  index("eltar23", "eltar23", "vkod+nev");
  index("virda23", "virda23", "vkod+HUNGORD(nev)");
  index("virda23", "virda232", "nev");
}

TEST(Nyitogat, OpensTheWorkingSetWithItsIndexes) {
  Station s;
  make_working_set(s);
  EXPECT_TRUE(NYITOGAT(*s.ctx, false));
  EXPECT_EQ(s.areas.current().alias(), "VIRDA");
  EXPECT_EQ(s.areas.current().order_count(), 2u);
  EXPECT_EQ(s.areas.current().order_number(), 1);
  EXPECT_FALSE(s.areas.current().table()->exclusive());
  ASSERT_NE(s.areas.find("VALLAL"), nullptr);
  EXPECT_EQ(s.areas.find("VALLAL")->order_count(), 1u);
  ASSERT_NE(s.areas.find("ELTAR"), nullptr);
  EXPECT_EQ(s.areas.find("ELTAR")->order_count(), 1u);
  ASSERT_NE(s.areas.find("KOZTER"), nullptr);
  EXPECT_EQ(s.areas.find("KOZTER")->order_count(), 0u);
  EXPECT_TRUE(s.areas.exclusive());
  s.areas.close_all();

  s.areas.select(1);
  EXPECT_TRUE(NYITOGAT(*s.ctx, true));
  EXPECT_TRUE(s.areas.current().table()->exclusive());
}

TEST(Nyitogat, EachTableStandsOnTheFirstRecordOfItsOrder) {
  Station s;
  make_working_set(s, true);
  ASSERT_TRUE(NYITOGAT(*s.ctx, false));
  EXPECT_EQ(s.areas.current().recno(), 2u);
  EXPECT_EQ(s.areas.current().get("VKOD").as_str(), "002");
  EXPECT_EQ(s.areas.find("VALLAL")->recno(), 2u);
}

TEST(Nyitogat, ABusyTableIsNeverHandedOnAndKilepesEnds) {
  Station s;
  make_working_set(s);
  Other other = holder(s.file("eltar23.dbf"), 'x', 0);
  ASSERT_TRUE(other.ready());
  // "Várakozás" tries again; "Kilépés" (its initial) ends the program.
  s.term->keys({key::kEnter, 'K'});
  EXPECT_FALSE(NYITOGAT(*s.ctx, false));
  EXPECT_EQ(s.exit_code, 0);
  EXPECT_EQ(s.areas.find("ELTAR"), nullptr);
  EXPECT_EQ(s.areas.find("VIRDA"), nullptr);
  ASSERT_EQ(s.term->waits().size(), 2u);
  EXPECT_NE(s.term->waits()[1].text_utf8().find("Az állomány foglalt"), std::string::npos);
  EXPECT_TRUE(s.areas.exclusive());
  other.go();
  EXPECT_EQ(other.finish(), 0);
}

// The working set with the fields its index keys read, and every index file built.
void make_indexed_working_set(Station& s) {
  xbase::Structure company = {{"VKOD", 'C', 3, 0}, {"NEV", 'C', 20, 0}};
  xbase::Structure dependants = {{"VKOD", 'C', 3, 0}, {"SZEMSZAM", 'C', 10, 0}};
  xbase::Structure persons = {
      {"VKOD", 'C', 3, 0}, {"NEV", 'C', 20, 0}, {"SZEMSZAM", 'C', 10, 0}, {"NYILAT", 'C', 1, 0}};
  ASSERT_TRUE(s.areas.create(s.file("vallal"), company));
  ASSERT_TRUE(s.areas.create(s.file("eltar23"), dependants));
  ASSERT_TRUE(s.areas.create(s.file("kozter"), kSmall));
  ASSERT_TRUE(s.areas.create(s.file("virda23"), persons));
  s.ctx->ev = "23";
  INDEXELES(*s.ctx);
  s.areas.close_all();
  s.areas.select(1);
}

TEST(Nyitogat, AMissingIndexIsBuiltWhenTheTableIsFreeAndWaitedForWhileItIsNot) {
  Station s;
  make_indexed_working_set(s);
  std::filesystem::remove(s.file("virda232.ntx"));
  EXPECT_TRUE(NYITOGAT(*s.ctx, false));
  EXPECT_EQ(s.areas.current().order_count(), 2u);
  EXPECT_TRUE(std::filesystem::exists(s.file("virda232.ntx")));
  EXPECT_EQ(s.term->waits().size(), 0u);  // nothing to wait for, nothing to answer
  EXPECT_EQ(s.exit_code, -1);
  s.areas.close_all();
  s.areas.select(1);

  // Another workstation has the company table open: wait, then build it alone.
  std::filesystem::remove(s.file("vallal.ntx"));
  Other other = holder(s.file("vallal.dbf"), 's', 1500);
  ASSERT_TRUE(other.ready());
  auto t0 = Clock::now();
  EXPECT_TRUE(NYITOGAT(*s.ctx, false));
  EXPECT_GE(seconds_since(t0), 1.0);
  EXPECT_EQ(other.finish(), 0);
  ASSERT_NE(s.areas.find("VALLAL"), nullptr);
  EXPECT_EQ(s.areas.find("VALLAL")->order_count(), 1u);
  ASSERT_FALSE(s.term->waits().empty());
  EXPECT_NE(s.term->waits()[0].text_utf8().find("Várakozás állományra..."), std::string::npos);
  EXPECT_EQ(s.exit_code, -1);
  s.areas.close_all();
  s.areas.select(1);

  // Esc gives the wait up: the question of a busy table, "Kilépés" ends.
  std::filesystem::remove(s.file("eltar23.ntx"));
  Other holding = holder(s.file("eltar23.dbf"), 's', 0);
  ASSERT_TRUE(holding.ready());
  s.term->timed_waits = 0;
  s.term->esc_after = 1;
  s.term->before_untimed_wait = [&] { s.term->key('K'); };
  EXPECT_FALSE(NYITOGAT(*s.ctx, false));
  EXPECT_EQ(s.exit_code, 0);
  EXPECT_NE(s.term->last_wait().text_utf8().find("Az állomány foglalt"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(s.file("eltar23.ntx")));
  holding.go();
  EXPECT_EQ(holding.finish(), 0);
}

}  // namespace
}  // namespace shell

namespace shell {
namespace {

TEST(FileInUse, CreatingATableAnotherWorkstationHoldsAsksRetryOrQuit) {
  testing::Station s;
  ASSERT_TRUE(s.areas.create(s.file("temp.dbf"), kSmall));
  testing::Other other = holder(s.file("temp.dbf"), 's', 0);
  ASSERT_TRUE(other.ready());
  // "Ujra próbálja" twice; before the second answer the other workstation lets go.
  int dialogs = 0;
  s.term->before_untimed_wait = [&] {
    if (++dialogs == 2) {
      other.go();
      ASSERT_TRUE(other.ready());
    }
  };
  s.term->keys({key::kEnter, key::kEnter});
  EXPECT_TRUE(s.areas.create(s.file("temp.dbf"), kSmall));
  s.term->before_untimed_wait = nullptr;
  EXPECT_EQ(dialogs, 2);
  ASSERT_EQ(s.term->waits().size(), 2u);
  EXPECT_NE(s.term->waits()[0].text_utf8().find("temp.dbf fájlt másik munkaállomás használja"),
            std::string::npos);
  EXPECT_EQ(other.finish(), 0);

  testing::Other again = holder(s.file("temp.dbf"), 's', 0);
  ASSERT_TRUE(again.ready());
  s.term->keys({'K'});
  EXPECT_THROW(s.areas.create(s.file("temp.dbf"), kSmall), xbase::ErrorException);
  EXPECT_EQ(s.exit_code, 1);
  again.go();
  EXPECT_EQ(again.finish(), 0);
}

}  // namespace
}  // namespace shell
