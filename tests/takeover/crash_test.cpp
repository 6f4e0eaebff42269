// The takeover killed with SIGKILL at each step of the company table's replacement,
// of a company's replacement and of the packing at its end, and the program started
// again: every company has its complete old or its complete new persons and
// dependants, the others are untouched, the index files match and nothing is left
// behind.
#include <gtest/gtest.h>
#include <signal.h>

#include <set>

#include "common/idle_services.h"
#include "shell/record_replace.h"
#include "shell/program.h"
#include "shell/table_preparation.h"
#include "shell/upgrade.h"
#include "shell/upgrade_test_util.h"
#include "takeover/run_test_util.h"

namespace takeover {
namespace {

using testing::Installation;
using testing::records;
using testing::text;
using testing::Workstation;

// A company's persons and dependants, as sets of their keys.
struct Snapshot {
  std::map<std::string, std::multiset<std::string>> persons, dependants;
  std::set<std::string> companies;
};

Snapshot snapshot(const std::string& program) {
  Snapshot s;
  for (const auto& r : records(program + "/virda23.dbf"))
    s.persons[text(r, "VKOD")].insert(text(r, "SZEMSZAM") + text(r, "NYILAT") + text(r, "NEV") +
                                      "/" + xbase::str(r.at("JOVEDELEM")));
  for (const auto& r : records(program + "/eltar23.dbf"))
    s.dependants[text(r, "VKOD")].insert(text(r, "SZEMSZAM") + text(r, "NEV"));
  for (const auto& r : records(program + "/vallal.dbf")) s.companies.insert(text(r, "VKOD"));
  return s;
}

Request request(const Installation& inst) {
  Request req;
  req.payroll_dir = inst.payroll;
  req.companies = {"001", "002"};
  return req;
}

struct Kill {
  const char* step;
  int occurrence;  // 1: the company table, 2: company 001, 3: company 002 (replacements)
};

class TakeoverKilled : public ::testing::TestWithParam<Kill> {};

TEST_P(TakeoverKilled, RestartFindsEachCompanyWholeOldOrWholeNew) {
  const Kill kill = GetParam();
  Installation inst;
  Snapshot old_state = snapshot(inst.program);
  Snapshot new_state;
  {  // The same takeover run to its end, in a copy.
    Installation done;
    Workstation w(done);
    run_takeover(*w.ctx, request(done));
    w.areas.close_all();
    new_state = snapshot(done.program);
  }
  ASSERT_NE(old_state.persons.at("001"), new_state.persons.at("001"));

  std::string dir = inst.program;
  mvirda_test::ForkedProcess run([&](int, int) {
    Workstation w(inst);
    int seen = 0;
    shell::set_restructure_step_hook([&](std::string_view step) {
      if (step == kill.step && ++seen == kill.occurrence) ::kill(::getpid(), SIGKILL);
    });
    run_takeover(*w.ctx, request(inst));
    return 0;
  });
  ASSERT_EQ(run.finish(), 128 + SIGKILL) << "the step was not reached";

  {  // The next start, as the first workstation in.
    shell::testing::Station again(dir);
    again.areas.set_deleted(true);
    const shell::StartServices services = mvirda_test::idle_start_services();
    int code = 0;
    ASSERT_TRUE(shell::prepare_tables(*again.ctx, code, services));
  }
  Snapshot now = snapshot(dir);
  EXPECT_TRUE(now.companies == old_state.companies || now.companies == new_state.companies);
  for (const char* vkod : {"001", "002"}) {
    bool is_old = now.persons[vkod] == old_state.persons.at(vkod) &&
                  now.dependants[vkod] == old_state.dependants[vkod];
    bool is_new = now.persons[vkod] == new_state.persons.at(vkod) &&
                  now.dependants[vkod] == new_state.dependants[vkod];
    EXPECT_TRUE(is_old || is_new) << vkod;
  }
  EXPECT_EQ(now.persons["003"], old_state.persons.at("003"));
  EXPECT_EQ(now.dependants["003"], old_state.dependants["003"]);

  shell::testing::Station s(dir);
  for (const char* leftover : {"atiras.jel", "atiras.jel.tmp", "temp.dbf", "virda23.BAK",
                               "eltar23.BAK", "vallal.BAK", "virda23.ntx.ntmp"})
    EXPECT_FALSE(shell::testing::exists(s, leftover)) << leftover;
  EXPECT_TRUE(shell::testing::index_matches(s, "virda23.dbf", "virda23.ntx"));
  EXPECT_TRUE(shell::testing::index_matches(s, "virda23.dbf", "virda232.ntx"));
  EXPECT_TRUE(shell::testing::index_matches(s, "eltar23.dbf", "eltar23.ntx"));
  EXPECT_TRUE(shell::testing::index_matches(s, "vallal.dbf", "vallal.ntx"));
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, TakeoverKilled,
    ::testing::Values(Kill{"replace-begun", 1}, Kill{"replace-appended", 1},
                      Kill{"replace-noted", 1}, Kill{"replace-dropped", 1},
                      Kill{"replace-begun", 2}, Kill{"replace-appended", 2},
                      Kill{"replace-noted", 2}, Kill{"replace-dropped", 2},
                      Kill{"replace-done", 2}, Kill{"table-to-bak", 1},
                      Kill{"temp-to-table", 1}, Kill{"index-written", 1}),
    [](const auto& info) {
      std::string n = std::string(info.param.step) + "_" + std::to_string(info.param.occurrence);
      for (char& c : n)
        if (c == '-') c = '_';
      return n;
    });

}  // namespace
}  // namespace takeover
