// Two workstations: one starting while another runs the takeover waits at the
// start-up guard ("Várakozás állományra...") and reaches its tables after the run,
// over the new records; the takeover asked for while another workstation is at its
// main menu finds its tables busy and gives up the guard while it asks.
#include <gtest/gtest.h>

#include "common/forked_process.h"
#include "common/idle_services.h"
#include "shell/record_replace.h"
#include "shell/program.h"
#include "shell/table_preparation.h"
#include "shell/upgrade.h"
#include "takeover/run_test_util.h"
#include "xbase/hutext.h"

namespace takeover {
namespace {

using mvirda_test::ForkedProcess;
using mvirda_test::say_ready;
using mvirda_test::wait_parent;
using shell::testing::Station;
using testing::count_by_company;
using testing::Installation;

bool shows(Station& s, int row, std::string_view text) {
  return s.con->screen().row_utf8(row).find(text) != std::string::npos;
}

TEST(TwoWorkstations, StartingOneWaitsForTheTakeoverAndFindsTheNewRecords) {
  Installation inst;
  const std::string dir = inst.program;
  // A: menu item 7, held up in the middle of replacing company 001.
  ForkedProcess a([&](int from_parent, int to_parent) {
    Station s(dir);
    s.areas.set_deleted(true);
    shell::StartupGuard guard;
    if (!shell::acquire_startup_guard(*s.ctx, guard)) return 2;
    if (!shell::NYITOGAT(*s.ctx, true, &guard)) return 3;
    int seen = 0;
    shell::set_restructure_step_hook([&](std::string_view step) {
      if (step == "replace-begun" && ++seen == 2) {
        say_ready(to_parent);
        wait_parent(from_parent);
      }
    });
    Request req;
    req.payroll_dir = inst.payroll;
    req.companies = {"001"};
    Outcome out = run_takeover(*s.ctx, req);
    return out.status == Status::Done ? 0 : 4;
  });
  ASSERT_TRUE(a.ready());

  // B: a workstation starting now.
  ForkedProcess b([&](int, int to_parent) {
    Station s(dir);
    s.areas.set_deleted(true);
    bool told = false;
    s.term->before_timed_wait = [&] {
      if (!told && shows(s, 12, "Várakozás állományra...")) {
        told = true;
        say_ready(to_parent);
      }
    };
    const shell::StartServices services = mvirda_test::idle_start_services();
    int code = 0;
    if (!shell::prepare_tables(*s.ctx, code, services)) return 2;
    if (!told) return 3;
    s.areas.close_all();
    return count_by_company(dir + "/virda23.dbf")["001"] == 17 ? 0 : 4;
  });
  ASSERT_TRUE(b.ready());  // B shows the wait window while A runs
  a.go();
  EXPECT_EQ(a.finish(), 0);
  EXPECT_EQ(b.finish(), 0);  // and then opens its tables over the new records
}

TEST(TwoWorkstations, TakeoverBesideAWorkstationAtItsMenuFindsTheTablesBusy) {
  Installation inst;
  const std::string dir = inst.program;
  ForkedProcess b([&](int from_parent, int to_parent) {
    Station s(dir);
    if (!shell::NETUSE(*s.ctx, "vallal", false)) return 2;  // as its main menu holds it
    say_ready(to_parent);
    wait_parent(from_parent);
    return 0;
  });
  ASSERT_TRUE(b.ready());

  Station s(dir);
  s.areas.set_deleted(true);
  shell::StartupGuard guard;
  ASSERT_TRUE(shell::acquire_startup_guard(*s.ctx, guard));
  bool asked = false, guard_free = false;
  s.term->before_untimed_wait = [&] {
    asked = asked || shows(s, 17, "Az állomány foglalt") || shows(s, 16, "Az állomány foglalt");
    shell::StartupGuard probe;
    guard_free = probe.try_acquire(dir);  // a starting workstation is not kept behind
  };
  s.term->key('K');  // "Kilépés"
  EXPECT_FALSE(shell::NYITOGAT(*s.ctx, true, &guard));
  EXPECT_TRUE(asked);
  EXPECT_TRUE(guard_free);
  EXPECT_EQ(s.exit_code, 0);
  b.go();
  EXPECT_EQ(b.finish(), 0);
}

}  // namespace
}  // namespace takeover
