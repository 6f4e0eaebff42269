// The run below its dialogs over generated installations: which companies are
// taken, kept or declined, what the company table holds afterwards, the report,
// and the ways out without taking anything.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "support/platform_files.h"
#include "support/platform_paths.h"
#include "takeover/run_test_util.h"
#include "xbase/cp852.h"
#include "xbase/functions.h"
#include "xbase/hutext.h"
#include "xbase/workarea.h"

namespace takeover {
namespace {

using testing::count_by_company;
using testing::Installation;
using testing::records;
using testing::text;
using testing::Workstation;

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(TakeoverRun, ChosenCompaniesRebuiltOthersKeptCompanyTableReplaced) {
  Installation inst;
  std::map<std::string, int> before = count_by_company(inst.program + "/virda23.dbf");
  ASSERT_GT(before["003"], 0);
  Workstation w(inst);

  Request req;
  req.payroll_dir = inst.payroll;
  req.companies = {"001", "002", "010"};
  std::vector<std::string> begun;
  Hooks hooks;
  hooks.company_begun = [&](const CompanyResult& c) { begun.push_back(c.vkod); };
  Outcome out = run_takeover(*w.ctx, req, hooks);
  ASSERT_EQ(out.status, Status::Done);
  EXPECT_TRUE(out.completed);
  EXPECT_EQ(begun, (std::vector<std::string>{"001", "002", "010"}));

  // The company table holds the payroll's companies that have this year's wage
  // table: not 004 (no wage table), 005 (last year only) nor the deleted 006.
  std::vector<std::string> codes;
  for (const auto& r : records(inst.program + "/vallal.dbf")) codes.push_back(text(r, "VKOD"));
  EXPECT_EQ(codes, (std::vector<std::string>{"001", "002", "003", "010", "011"}));

  std::map<std::string, int> after = count_by_company(inst.program + "/virda23.dbf");
  EXPECT_EQ(after["003"], before["003"]);  // not picked: its persons stay
  EXPECT_EQ(after["001"], 17);             // the hand-made persons with a record
  EXPECT_GT(after["002"], 0);
  EXPECT_EQ(after.count("011"), 0u);

  // Every index file is there again and nothing is left behind.
  for (const char* f : {"vallal.ntx", "virda23.ntx", "virda232.ntx", "eltar23.ntx"})
    EXPECT_TRUE(support::platform::exists(inst.program + "/" + f)) << f;
  EXPECT_FALSE(support::platform::exists(inst.program + "/atiras.jel"));
  EXPECT_FALSE(support::platform::exists(inst.program + "/temp.dbf"));
  EXPECT_FALSE(w.areas.find("VIRDA"));  // every table closed
}

TEST(TakeoverRun, ReportNamesWhatCouldNotBePlaced) {
  Installation inst;
  Workstation w(inst);
  Request req;
  req.payroll_dir = inst.payroll;
  req.companies = {"001"};
  std::vector<std::string> too_big;
  Hooks hooks;
  hooks.too_big = [&](const std::string& t) { too_big.push_back(t); };
  Outcome out = run_takeover(*w.ctx, req, hooks);
  std::vector<std::string> lines;
  for (const Finding& f : out.findings) lines.push_back(finding_line(f));
  // After each person's own lines what the forms would refuse in the new records:
  // month codes the payroll left blank (the dependant form wants one every month),
  // and H12's row 8 income type that has no row 7 income beside it.
  const std::vector<std::string> want = {
      std::string(HU("001 8350001003 Alma Bence (eltartott): ELTKOD02-ELTKOD11: 1, 2, 3, 4, 5 vagy 0 lehet")),
      std::string(HU("001 8350001003 Alma Cili Rózsa (eltartott): ELTKOD01-ELTKOD12: 1, 2, 3, 4, 5 vagy 0 lehet")),
      std::string(HU("001 8350001631 Juhar János: állampolgárság 777 nincs az országtáblában")),
      std::string(HU("001 8350001704 Kökény Kata: üres TAJ szám: eltartott nem került át")),
      std::string(HU("001 8350001771 Len Lajos: ismeretlen kód 999 (nemrend), 05. hó, összeg 300")),
      std::string(HU("001 8350001771 Len Lajos: ismeretlen kód 105 (nemrend), 05. hó, összeg 400")),
      std::string(HU("001 8350001771 Len Lajos: ismeretlen kód 888 (ktgter), 05. hó, összeg 50")),
      std::string(HU("001 8350001771 Len Lajos: INGBERBE: a bevétel nem lehet több a 7. sor bevételénél")),
      std::string(HU("001 8350001844 Mák Mimi (eltartott): ELTKOD01-ELTKOD12: 1, 2, 3, 4, 5 vagy 0 lehet")),
      std::string(HU("001 8350001984 Olajfa Ottó: túl nagy szám: JOVEDELEM -109800000, a mező üres maradt")),
      std::string(HU("001 8350001984 Olajfa Ottó: túl nagy szám: SZDIJ 110000000, a mező üres maradt")),
  };
  EXPECT_EQ(lines, want);
  ASSERT_EQ(too_big.size(), 2u);
  EXPECT_EQ(too_big[1].rfind(std::string(HU("Túl nagy szám: 001 Olajfa Ottó SZDIJ")), 0), 0u) << too_big[1];
  std::string report;
  for (const std::string& l : want) report += l + "\r\n";
  EXPECT_EQ(read_file(inst.program + "/atvetel.txt"), report);
}

// A fault planted in the payroll's dependants: the report names it as the dependant
// form would, after the person's other lines and in the form's order of fields.
TEST(TakeoverRun, ReportNamesWhatTheFormsWouldRefuseInAPlantedFault) {
  Installation inst;
  {
    xbase::WorkAreas areas;
    const std::string ekartya =
        support::platform::find_nocase(inst.payroll + "/001.23/ekartya.dbf");
    ASSERT_TRUE(areas.use(ekartya, "", xbase::OpenMode::Exclusive));
    xbase::WorkArea& a = areas.current();
    bool planted = false;
    for (a.go_top(); !a.eof(); a.skip()) {
      if (xbase::rtrim(a.get("NEV").as_str()) != "Alma Bence") continue;
      a.put("ADOAZON", xbase::Value::str("8350002408"));  // the check digit is 9
      a.put("TAJ2", xbase::Value::str("100000208"));      // the check digit is 9
      planted = true;
    }
    ASSERT_TRUE(planted);
    areas.close_all();
  }
  Workstation w(inst);
  Request req;
  req.payroll_dir = inst.payroll;
  req.companies = {"001"};
  Outcome out = run_takeover(*w.ctx, req, Hooks{});
  ASSERT_EQ(out.status, Status::Done);
  const std::string bence = "001 8350001003 Alma Bence (eltartott): ";
  const std::string want = bence + std::string(HU("ADOAZON: Hibás adóazonosító!")) + "\r\n" +
                           bence + std::string(HU("TAJ2: Hibás TAJ-szám!")) + "\r\n" + bence +
                           "ELTKOD02-ELTKOD11: 1, 2, 3, 4, 5 vagy 0 lehet\r\n";
  EXPECT_EQ(read_file(inst.program + "/atvetel.txt").substr(0, want.size()), want);
}

TEST(TakeoverRun, DeclinedOverwriteKeepsTheCompanyAndTheLastOneEndsTheRun) {
  Installation inst(1, 10);
  std::map<std::string, int> before = count_by_company(inst.program + "/virda23.dbf");
  Workstation w(inst);
  // Companies 001-003 have persons; 010 is the last of the company table.
  Request req;
  req.payroll_dir = inst.payroll;
  req.companies = {"001", "010"};
  std::vector<std::string> asked;
  req.overwrite = [&](const std::string& vkod) {
    asked.push_back(vkod);
    return vkod == "001";
  };
  Outcome out = run_takeover(*w.ctx, req);
  EXPECT_EQ(asked, std::vector<std::string>{"001"});  // 010 had no records: not asked
  EXPECT_TRUE(out.completed);

  Workstation again(inst);
  req.companies = {"001", "010"};
  req.overwrite = [](const std::string& vkod) { return vkod != "010"; };
  out = run_takeover(*again.ctx, req);
  EXPECT_FALSE(out.completed);  // declined for the last company of the table
  EXPECT_EQ(out.kept(), std::vector<std::string>{"010"});
  std::map<std::string, int> after = count_by_company(inst.program + "/virda23.dbf");
  EXPECT_EQ(after["002"], before["002"]);
}

// Without the pick list the companies are chosen as its keys mark them: a range of
// codes filled with leading zeros ("T"), single codes, every company ("M").
TEST(TakeoverRun, CompaniesChosenAsThePickListMarksThem) {
  Installation inst;
  Request req;
  req.payroll_dir = inst.payroll;
  std::vector<std::string> begun;
  Hooks hooks;
  hooks.company_begun = [&](const CompanyResult& c) { begun.push_back(c.vkod); };
  {
    Workstation w(inst);
    req.ranges = {{"1", "2"}};
    req.companies = {"011"};
    run_takeover(*w.ctx, req, hooks);
    EXPECT_EQ(begun, (std::vector<std::string>{"001", "002", "011"}));
  }
  begun.clear();
  {
    Workstation w(inst);
    req = Request{};
    req.payroll_dir = inst.payroll;
    req.all = true;
    run_takeover(*w.ctx, req, hooks);
    EXPECT_EQ(begun, (std::vector<std::string>{"001", "002", "003", "010", "011"}));
  }
}

TEST(TakeoverRun, WaysOutWithoutTakingAnything) {
  Installation inst;
  {
    Workstation w(inst);
    Request req;
    req.payroll_dir = inst.root + "/nincs";
    EXPECT_EQ(run_takeover(*w.ctx, req).status, Status::InputMissing);
  }
  {
    // A directory with blanks, quotes and "$(…)" in its name is only a path.
    std::string odd = inst.root + "/bér \"program\" $(touch pwned)";
    std::filesystem::rename(inst.payroll, odd);
    Workstation w(inst);
    Request req;
    req.payroll_dir = xbase::utf8_to_cp852(odd);  // as the field holds it
    req.pick = [] { return false; };  // the pick list left with Esc
    Outcome out = run_takeover(*w.ctx, req);
    EXPECT_EQ(out.status, Status::Cancelled);
    EXPECT_FALSE(support::platform::exists(inst.program + "/pwned"));
    // The company table was replaced before the pick, as the run always did.
    EXPECT_EQ(records(inst.program + "/vallal.dbf").size(), 5u);
  }
  std::map<std::string, int> counts = count_by_company(inst.program + "/virda23.dbf");
  EXPECT_EQ(counts.size(), 3u);
}

TEST(TakeoverRun, AWindowsPathGoesUnderTheDriveRoot) {
  setenv("VIRDA_DRIVE", "/tmp", 1);
  EXPECT_EQ(payroll_path("C:\\KVAD"), support::platform::to_linux("\\KVAD"));
  EXPECT_EQ(payroll_path("  /srv/kvad  "), "/srv/kvad");
  unsetenv("VIRDA_DRIVE");
}

}  // namespace
}  // namespace takeover
