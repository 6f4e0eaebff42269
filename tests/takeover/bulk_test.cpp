// Seeded bulk companies taken over, checked against what their payroll tables say,
// read here on their own: every person with a relationship in the tax year and a
// monthly record appears exactly once, "M" and with their dependants only when a
// relationship is in force at the year end; unpicked companies keep their persons.
#include <gtest/gtest.h>

#include <set>

#include "takeover/run_test_util.h"

namespace takeover {
namespace {

using testing::Installation;
using testing::records;
using testing::text;
using testing::Workstation;
using xbase::Date;

struct Expected {
  bool in_force = false;    // a relationship other than kind 5 runs past the year end
  bool in_year = false;     // a relationship began by the year end
  std::string taj;
  int dependants = 0;
};

// The persons of a payroll company, from its relationship and dependants tables.
std::map<std::string, Expected> expected(const std::string& company_dir) {
  std::map<std::string, Expected> out;
  const Date year_end = Date::from_ymd(2023, 12, 31);
  for (const auto& r : records(company_dir + "/tagalk.dbf")) {
    Expected& e = out[text(r, "SZEMSZAM").substr(0, 10)];
    Date from = r.at("BELEPES").as_date(), to = r.at("KILEPES").as_date();
    if (from.year() > 2023) continue;
    e.in_year = true;
    e.taj = r.at("TAJ").as_str();
    if (text(r, "FOGJEL") != "5" && (to.empty() || to >= year_end)) e.in_force = true;
  }
  std::map<std::string, int> by_taj;
  for (const auto& r : records(company_dir + "/ekartya.dbf")) ++by_taj[r.at("TAJ").as_str()];
  for (auto& [who, e] : out)
    if (e.taj.find_first_not_of(' ') != std::string::npos) e.dependants = by_taj[e.taj];
  return out;
}

TEST(BulkCompanies, EveryPersonOnceDependantsOnlyForThoseInForce) {
  Installation inst(2, 160);
  std::map<std::string, std::multiset<std::string>> before;
  for (const auto& r : records(inst.program + "/virda23.dbf"))
    before[text(r, "VKOD")].insert(text(r, "SZEMSZAM") + text(r, "NYILAT"));
  {
    Workstation w(inst);
    Request req;
    req.payroll_dir = inst.payroll;
    req.companies = {"010", "011"};
    ASSERT_EQ(run_takeover(*w.ctx, req).status, Status::Done);
  }
  std::map<std::string, std::multiset<std::string>> after;
  std::map<std::string, std::map<std::string, std::string>> kind;  // company -> person -> NYILAT
  for (const auto& r : records(inst.program + "/virda23.dbf")) {
    after[text(r, "VKOD")].insert(text(r, "SZEMSZAM") + text(r, "NYILAT"));
    bool first = kind[text(r, "VKOD")].emplace(text(r, "SZEMSZAM"), text(r, "NYILAT")).second;
    // A company of the installation may hold a person under two kinds; a taken one
    // has each person once.
    if (text(r, "VKOD") >= "010") {
      EXPECT_TRUE(first) << "twice: " << text(r, "VKOD") << " " << text(r, "SZEMSZAM");
    }
  }
  std::map<std::string, std::map<std::string, int>> deps;
  for (const auto& r : records(inst.program + "/eltar23.dbf")) ++deps[text(r, "VKOD")][text(r, "SZEMSZAM")];

  for (const char* vkod : {"001", "002", "003"}) EXPECT_EQ(after[vkod], before[vkod]) << vkod;
  int in_force = 0, ended = 0;
  for (const char* vkod : {"010", "011"}) {
    std::map<std::string, Expected> want = expected(inst.payroll + "/" + vkod + ".23");
    for (const auto& [who, e] : want) {
      auto it = kind[vkod].find(who);
      if (!e.in_year) {
        EXPECT_EQ(it, kind[vkod].end()) << vkod << " " << who << " began after the year";
        continue;
      }
      ASSERT_NE(it, kind[vkod].end()) << vkod << " " << who;
      EXPECT_EQ(it->second == "M", e.in_force) << vkod << " " << who;
      EXPECT_EQ(deps[vkod][who], e.in_force ? e.dependants : 0) << vkod << " " << who;
      ++(e.in_force ? in_force : ended);
    }
    EXPECT_EQ(kind[vkod].size(), static_cast<size_t>(std::count_if(
                                     want.begin(), want.end(), [](auto& p) { return p.second.in_year; })));
  }
  EXPECT_GT(in_force, 100);
  EXPECT_GT(ended, 5);

  std::set<std::string> companies;
  for (const auto& r : records(inst.program + "/vallal.dbf")) companies.insert(text(r, "VKOD"));
  EXPECT_EQ(companies, (std::set<std::string>{"001", "002", "003", "010", "011"}));
}

}  // namespace
}  // namespace takeover
