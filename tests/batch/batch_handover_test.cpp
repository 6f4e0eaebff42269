// The batch commands that hand over to the XML files and to the payroll takeover: the
// same files and records the runs below the menus make, the questions answered from
// the options, and the exit code of each outcome.
#include "batch/batch_test_util.h"
#include "efile/efile_test_util.h"
#include "efile/xml_fixture.h"
#include "takeover/run_test_util.h"

namespace batch {
namespace {

using namespace batch::testing;

std::vector<std::string> with_dir(const std::string& dir, std::vector<std::string> args) {
  std::vector<std::string> all = {"--dir", dir, "--date", "2024.01.31"};
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

TEST(BatchXml, TheFilesEqualTheGoldenFilesAndAreListedAfterThePreview) {
  Installation inst(efile::testing::xml_installation);
  BatchResult r = batch(with_dir(inst.dir, {"m30", "--xml", "--companies", "001-003"}));
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string xml_dir = inst.dir + "/M30XML";
  for (const std::string& name : efile::testing::golden_names())
    EXPECT_EQ(efile::testing::read_file(xml_dir + "/" + name), efile::testing::golden_xml(name))
        << name;
  EXPECT_EQ(r.out, inst.dir + "/jovedig.prn\n" + xml_dir + "/23M30_0001_Kovács_János.xml\n" +
                       xml_dir + "/23M30_0002_OHara_Öcsi_É.xml\n" + xml_dir +
                       "/23M30_0001_Kovács_János_2.xml\n" + xml_dir +
                       "/23M30_0001_Ifj_Tóth_Gábor.xml\n");
}

TEST(BatchXml, AnXmlAlertIsAWarningAndTheCertificatesStillPrint) {
  Installation inst(efile::testing::xml_installation);
  std::filesystem::remove(inst.dir + "/xxx/seg23m30.dbf");
  BatchResult r = batch(with_dir(inst.dir, {"m30", "--xml", "--out", inst.drive + "/ki"}));
  EXPECT_EQ(r.code, 3) << r.err;
  // The alert's lines as lines: its ";" never reaches stderr.
  EXPECT_TRUE(contains(r.err,
                       "mvirda23 m30: figyelmeztetés: Az M30 XML sortábla nem olvasható: "
                       "xxx/seg23m30.dbf\nmvirda23 m30: XML fájlok nem készülnek.\n"))
      << r.err;
  EXPECT_FALSE(contains(r.err, ";")) << r.err;
  EXPECT_EQ(r.out, inst.drive + "/ki/jovedig.prn\n");
  EXPECT_FALSE(std::filesystem::exists(inst.drive + "/ki/M30XML/23M30_0001_Kovács_János.xml"));
}

// The takeover's installation on a drive the batch run's directory check accepts.
struct TakeoverDrive : takeover::testing::Installation {
  ScopedEnv drive_env{"VIRDA_DRIVE", root};
  std::map<std::string, int> persons() const {
    return takeover::testing::count_by_company(program + "/virda23.dbf");
  }
  // The live records of the tables a takeover changes, as their bytes in the files.
  std::vector<std::string> tables() const {
    std::vector<std::string> out;
    for (const char* t : {"vallal", "virda23", "eltar23"}) {
      const std::string f = certs::testing::file_bytes(program + "/" + t + ".dbf");
      const auto u16 = [&](size_t at) {
        return static_cast<size_t>(static_cast<unsigned char>(f[at])) |
               static_cast<size_t>(static_cast<unsigned char>(f[at + 1])) << 8;
      };
      const size_t header = u16(8), length = u16(10);
      std::string live;
      for (size_t at = header; at + length <= f.size(); at += length)
        if (f[at] == ' ') live += f.substr(at, length) + "\n";
      out.push_back(live);
    }
    return out;
  }
};

// A table of `dir` held open by another workstation.
struct Holder {
  xbase::WorkAreas areas;
  Holder(const std::string& path, xbase::OpenMode mode) {
    EXPECT_TRUE(areas.use(path, "", mode));
  }
};

TEST(BatchTakeover, OverwriteTakesTheCompaniesAsTheMenuItemDoes) {
  // The same takeover below the menu item, for the records to compare with.
  TakeoverDrive menu;
  {
    takeover::testing::Workstation ws(menu);
    takeover::Request req;
    req.payroll_dir = menu.payroll;
    req.all = true;
    takeover::run_takeover(*ws.ctx, req);
  }
  TakeoverDrive inst;
  BatchResult r = batch(with_dir(inst.program, {"takeover", "--companies", "all", "--from",
                                                inst.payroll, "--overwrite"}));
  // The generated payroll data hold what cannot be placed: findings, once each.
  ASSERT_EQ(r.code, 3) << r.err;
  ASSERT_FALSE(menu.tables()[1].empty());
  EXPECT_EQ(inst.tables(), menu.tables());
  EXPECT_EQ(inst.persons(), menu.persons());
  EXPECT_EQ(certs::testing::file_bytes(inst.program + "/atvetel.txt"),
            certs::testing::file_bytes(menu.program + "/atvetel.txt"));
  EXPECT_EQ(r.out, inst.program + "/atvetel.txt\n");
  EXPECT_TRUE(contains(r.err, "takeover: 002 ")) << r.err;
  EXPECT_TRUE(contains(r.err, "figyelmeztetés: 001 8350001984")) << r.err;
  EXPECT_FALSE(contains(r.err, "Túl nagy szám")) << r.err;
  EXPECT_TRUE(contains(r.err, "5 cég feldolgozva")) << r.err;
  // The remembered payroll directory is not the batch run's to change.
  EXPECT_FALSE(std::filesystem::exists(inst.program + "/kvaddir.txt"));
  // Every index file is there again.
  EXPECT_TRUE(std::filesystem::exists(inst.program + "/virda23.ntx"));
}

TEST(BatchTakeover, WithoutOverwriteTheCompaniesWithRecordsKeepThem) {
  TakeoverDrive inst;
  const std::map<std::string, int> before = inst.persons();
  BatchResult r = batch(
      with_dir(inst.program, {"takeover", "--companies", "001-002", "--from", inst.payroll}));
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(contains(r.err, "001")) << r.err;
  EXPECT_TRUE(contains(r.err, "002")) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(inst.persons(), before);
  // The payroll directory read as its dialog reads a typed one: from the drive root.
  BatchResult typed =
      batch(with_dir(inst.program, {"takeover", "--companies", "001-002", "--from", "C:\\KVAD"}));
  EXPECT_EQ(typed.code, 0) << typed.err;
  EXPECT_EQ(typed.err, r.err);
}

TEST(BatchTakeover, AHeldPayrollProgramOrAWorkstationInTheProgramIsBusyAndChangesNothing) {
  TakeoverDrive inst;
  const auto before = inst.tables();
  {
    Holder payroll(inst.payroll + "/vallal.dbf", xbase::OpenMode::Exclusive);
    BatchResult r = batch(with_dir(inst.program, {"--wait", "1", "takeover", "--companies", "all",
                                                  "--from", inst.payroll, "--overwrite"}));
    EXPECT_EQ(r.code, 5) << r.err;
  }
  EXPECT_EQ(inst.tables(), before);
  {
    // A workstation at its main menu: the year table open shared.
    Holder station(inst.program + "/virda23.dbf", xbase::OpenMode::Shared);
    BatchResult r = batch(with_dir(inst.program, {"--wait", "2", "takeover", "--companies", "all",
                                                  "--from", inst.payroll, "--overwrite"}));
    EXPECT_EQ(r.code, 5) << r.err;
    EXPECT_TRUE(contains(r.err, "virda23")) << r.err;
  }
  EXPECT_EQ(inst.tables(), before);
}

TEST(BatchTakeover, AMissingPayrollProgramIsInputMissingAndChangesNothing) {
  TakeoverDrive inst;
  const std::map<std::string, int> before = inst.persons();
  const std::string vallal = certs::testing::file_bytes(inst.program + "/vallal.dbf");
  BatchResult r = batch(with_dir(
      inst.program, {"takeover", "--companies", "all", "--from", inst.root + "/nincs"}));
  EXPECT_EQ(r.code, 4) << r.err;
  EXPECT_TRUE(contains(r.err, "Nem található a bérprogram!")) << r.err;
  EXPECT_EQ(inst.persons(), before);
  EXPECT_EQ(certs::testing::file_bytes(inst.program + "/vallal.dbf"), vallal);
}

}  // namespace
}  // namespace batch
