// Payroll data the run cannot take whole: a company whose table or field is
// missing, or whose index files cannot be built in a read-only payroll directory,
// keeps its records with a message and a report line, and the next company is
// taken.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "common/forked_process.h"
#include "takeover/run_test_util.h"
#include "xbase/hutext.h"

namespace takeover {
namespace {

using testing::count_by_company;
using testing::Installation;
using testing::Workstation;

struct Kept {
  std::vector<std::string> companies, texts;
};

Outcome take(Installation& inst, std::vector<std::string> companies, Kept* kept) {
  Workstation w(inst);
  Request req;
  req.payroll_dir = inst.payroll;
  req.companies = std::move(companies);
  Hooks hooks;
  hooks.kept = [kept](const std::string& vkod, const std::string& missing) {
    kept->companies.push_back(vkod);
    kept->texts.push_back(missing);
  };
  return run_takeover(*w.ctx, req, hooks);
}

// Renames field `from` of a table to `to` in its header.
void rename_field(const std::string& table, const std::string& from, const std::string& to) {
  std::fstream f(table, std::ios::in | std::ios::out | std::ios::binary);
  for (std::streamoff at = 32;; at += 32) {
    char name[11] = {};
    f.seekg(at);
    f.read(name, 11);
    ASSERT_TRUE(f && name[0] != 0x0D) << from << " not in " << table;
    if (from == name) {
      std::string n = to;
      n.resize(11, '\0');
      f.seekp(at);
      f.write(n.data(), 11);
      return;
    }
  }
}

TEST(BadPayrollData, MissingTableOrFieldKeepsTheCompanyAndTheNextIsTaken) {
  Installation inst(2, 10);
  std::map<std::string, int> before = count_by_company(inst.program + "/virda23.dbf");
  std::filesystem::remove(inst.payroll + "/002.23/TAGTB23.DBF");  // capitals in 002
  rename_field(inst.payroll + "/003.23/alktb23.dbf", "MUNKABER", "MUNKADIJ");
  Kept kept;
  Outcome out = take(inst, {"002", "003", "010"}, &kept);
  EXPECT_EQ(out.status, Status::Done);
  EXPECT_EQ(kept.companies, (std::vector<std::string>{"002", "003"}));
  EXPECT_EQ(kept.texts, (std::vector<std::string>{std::string(HU("tagtb23.dbf hiányzik")),
                                                   std::string(HU("alktb23.dbf MUNKABER mezője hiányzik"))}));
  std::map<std::string, int> after = count_by_company(inst.program + "/virda23.dbf");
  EXPECT_EQ(after["002"], before["002"]);
  EXPECT_EQ(after["003"], before["003"]);
  EXPECT_GT(after["010"], 0);
  ASSERT_GE(out.findings.size(), 2u);
  EXPECT_EQ(finding_line(out.findings[0]).substr(0, 15), "002            ");
  EXPECT_NE(finding_line(out.findings[0]).find(HU("a cég adatai változatlanok: tagtb23.dbf hiányzik")),
            std::string::npos);
}

TEST(BadPayrollData, IndexFilesThatCannotBeBuiltInAReadOnlyDirectory) {
  Installation inst(2, 10);
  // Company 002 has no index files; its directory and the payroll's are read only.
  std::filesystem::permissions(inst.root, std::filesystem::perms::all);
  for (auto& e : std::filesystem::recursive_directory_iterator(inst.program))
    std::filesystem::permissions(e.path(), std::filesystem::perms::all);
  std::filesystem::permissions(inst.program, std::filesystem::perms::all);
  for (auto& e : std::filesystem::recursive_directory_iterator(inst.payroll)) {
    auto p = e.is_directory() ? std::filesystem::perms(0555) : std::filesystem::perms(0444);
    std::filesystem::permissions(e.path(), p);
  }
  std::map<std::string, int> before = count_by_company(inst.program + "/virda23.dbf");

  // Run as somebody else than root, to whom read-only means read-only.
  mvirda_test::ForkedProcess other([&](int, int) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 2;
    Kept kept;
    Outcome out = take(inst, {"002", "010"}, &kept);
    if (out.status != Status::Done) return 3;
    if (kept.companies != std::vector<std::string>{"002"}) return 4;
    if (kept.texts[0].find(HU("tagalk.ntx nem készíthető el (a könyvtár csak olvasható)")) ==
        std::string::npos)
      return 5;
    return 0;
  });
  EXPECT_EQ(other.finish(), 0);
  std::map<std::string, int> after = count_by_company(inst.program + "/virda23.dbf");
  EXPECT_EQ(after["002"], before["002"]);
  EXPECT_GT(after["010"], 0);
  for (auto& e : std::filesystem::recursive_directory_iterator(inst.payroll))
    std::filesystem::permissions(e.path(), std::filesystem::perms::all);
}

}  // namespace
}  // namespace takeover
