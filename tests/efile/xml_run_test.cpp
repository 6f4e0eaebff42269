// The M30 run with XML files over the fixture installation: the files against the
// golden files, xmllint's reading of them, the previous run's files, and every way
// the files cannot be made.
#include <gtest/gtest.h>

#include <filesystem>

#include "certs/m30_run.h"
#include "efile/efile_test_util.h"
#include "efile/m30_xml_run.h"
#include "efile/xml_fixture.h"
#include "support/platform_files.h"
#include "xbase/hutext.h"

namespace efile {
namespace {

namespace fs = std::filesystem;
using namespace testing;

struct XmlStation : Station {
  std::vector<std::string> alerts;  // UTF-8
  XmlStation() { xml_installation(*this); }
  ~XmlStation() { support::platform::inject_file_faults({}); }

  XmlRunOptions options() {
    XmlRunOptions o;
    o.out_dir = dir;
    o.show_list = false;
    o.alert = [this](std::string_view text) { alerts.push_back(xbase::cp852_to_utf8(text)); };
    return o;
  }
  std::string xml_dir() const { return dir + "/M30XML"; }
  std::vector<std::string> xml_files() const {
    std::vector<std::string> f = files_in(xml_dir());
    f.erase(std::remove(f.begin(), f.end(), "m30xml.lck"), f.end());
    return f;
  }
  int certificates_in_preview() const {
    std::string p = read_file(file("jovedig.prn"));
    int n = 0;
    for (size_t at = 0; (at = p.find(HU("Sorszám:"), at)) != std::string::npos; ++at) ++n;
    return n / 2;  // on both pages
  }
  // The run of the fixture; returns the certificates printed.
  int run(M30XmlRun& xml) { return certs::run_m30(*ctx, xml_request(), xml.hooks()).certificates; }
};

const char* const kNoRowTable =
    "Az M30 XML sortábla nem olvasható: xxx/seg23m30.dbf;XML fájlok nem készülnek.";
const char* const kNoDir = "Az M30XML könyvtár nem írható;XML fájlok nem készülnek.";
const char* const kFileError = "Hiba az XML fájl létrehozásakor!";

TEST(XmlFiles, EqualTheGoldenFilesUnderTheirNames) {
  XmlStation s;
  M30XmlRun xml(*s.ctx, s.options());
  EXPECT_EQ(s.run(xml), 4);
  EXPECT_TRUE(s.alerts.empty());
  // The second company's first person has the name of the first company's: "_2".
  ASSERT_EQ(s.xml_files(), golden_names());
  for (const std::string& name : golden_names())
    EXPECT_EQ(read_file(s.xml_dir() + "/" + name), golden_xml(name)) << name;
  EXPECT_EQ(xml.outcome().files,
            (std::vector<std::string>{s.xml_dir() + "/23M30_0001_Kovács_János.xml",
                                      s.xml_dir() + "/23M30_0002_OHara_Öcsi_É.xml",
                                      s.xml_dir() + "/23M30_0001_Kovács_János_2.xml",
                                      s.xml_dir() + "/23M30_0001_Ifj_Tóth_Gábor.xml"}));
  EXPECT_TRUE(xml.outcome().made);
}

TEST(XmlFiles, WellFormedInTheFormsNamespaceAsAnXmlReaderSeesThem) {
  XmlStation s;
  M30XmlRun xml(*s.ctx, s.options());
  s.run(xml);
  ASSERT_EQ(xml.outcome().files.size(), 4u);
  for (const std::string& f : xml.outcome().files) {
    EXPECT_EQ(capture({"xmllint", "--noout", f}).status, 0) << f;
    EXPECT_EQ(xpath(f, "namespace-uri(/*)"), "http://www.apeh.hu/abev/nyomtatvanyok/2005/01") << f;
  }
  const std::string first = xml.outcome().files[1];
  EXPECT_EQ(xpath(first, "string(//*[local-name()='nev'])"), "Kiss & Társa <Kft>");
  EXPECT_EQ(xpath(first, "string(//*[@eazon='id_dolgozo_utoneve'])"), "\"Öcsi\" Éva");
  EXPECT_EQ(xpath(first, "string(//*[@eazon='id_korábbi'])"), "N");
  EXPECT_EQ(xpath(first, "string(//*[@eazon='id_D1'])"), "-15000");
}

TEST(XmlFiles, ThePreviousRunsFilesGoOthersStay) {
  XmlStation s;
  fs::create_directories(s.dir + "/m30xml/23M30_0007_Mappa.xml");
  for (const char* n : {"23M30_0009_Régi.xml", "23m30_0003_kis.XML", "22M30_0001_Tavaly.xml", "jegyzet.txt"})
    std::ofstream(s.dir + "/m30xml/" + n) << "x";
  M30XmlRun xml(*s.ctx, s.options());
  s.run(xml);
  // "M30XML" found ignoring case; only this year's "23M30*.xml" files removed.
  EXPECT_FALSE(fs::exists(s.dir + "/M30XML"));
  EXPECT_EQ(files_in(s.dir + "/m30xml"), (std::vector<std::string>{
                                             "22M30_0001_Tavaly.xml", "23M30_0001_Ifj_Tóth_Gábor.xml",
                                             "23M30_0001_Kovács_János.xml", "23M30_0001_Kovács_János_2.xml",
                                             "23M30_0002_OHara_Öcsi_É.xml", "jegyzet.txt", "m30xml.lck"}));
  EXPECT_TRUE(fs::is_directory(s.dir + "/m30xml/23M30_0007_Mappa.xml"));
}

TEST(XmlFiles, WithoutTheRowTableOneAlertAndTheCertificatesOnly) {
  XmlStation s;
  fs::create_directories(s.xml_dir());
  std::ofstream(s.xml_dir() + "/23M30_0001_Előző.xml") << "previous";
  for (const char* what : {"missing", "not a table"}) {
    SCOPED_TRACE(what);
    fs::remove(row_table_path(s));
    if (std::string(what) == "not a table") std::ofstream(row_table_path(s)) << "SOR XMLKOD";
    s.alerts.clear();
    M30XmlRun xml(*s.ctx, s.options());
    EXPECT_EQ(s.run(xml), 4);
    EXPECT_EQ(s.alerts, std::vector<std::string>{kNoRowTable});
    EXPECT_EQ(s.certificates_in_preview(), 4);
    EXPECT_EQ(s.xml_files(), std::vector<std::string>{"23M30_0001_Előző.xml"});
    EXPECT_FALSE(xml.outcome().made);
    EXPECT_TRUE(xml.outcome().files.empty());
    EXPECT_EQ(xml.outcome().warnings.size(), 1u);
  }
}

TEST(XmlFiles, AKeyMissingFromTheRowTableIsToldOncePerRun) {
  XmlStation s;
  write_row_table(row_table_path(s), test_rows("B65"));
  M30XmlRun xml(*s.ctx, s.options());
  EXPECT_EQ(s.run(xml), 4);
  EXPECT_EQ(s.alerts, std::vector<std::string>{"Hiba a 23M30 B65 sornál"});
  // The field is left out and the file completed.
  const std::string name = "23M30_0001_Kovács_János.xml";
  std::string want = golden_xml(name);
  const std::string b65 = "<mezo eazon=\"id_B65\">981482</mezo>\r\n";
  ASSERT_NE(want.find(b65), std::string::npos);
  want.erase(want.find(b65), b65.size());
  EXPECT_EQ(read_file(s.xml_dir() + "/" + name), want);
  EXPECT_EQ(capture({"xmllint", "--noout", s.xml_dir() + "/" + name}).status, 0);
  EXPECT_EQ(s.xml_files().size(), 4u);
}

TEST(XmlFiles, AnUnwritableDirectoryCostsOneAlertNeverACertificate) {
  XmlStation s;
  {
    SCOPED_TRACE("a file in the directory's place");
    std::ofstream(s.xml_dir()) << "not a directory";
    M30XmlRun xml(*s.ctx, s.options());
    EXPECT_EQ(s.run(xml), 4);
    EXPECT_EQ(s.alerts, std::vector<std::string>{kNoDir});
    EXPECT_EQ(s.certificates_in_preview(), 4);
    fs::remove(s.xml_dir());
  }
  {
    SCOPED_TRACE("nothing can be created in it");
    fs::create_directories(s.xml_dir());
    std::ofstream(s.xml_dir() + "/23M30_0001_Előző.xml") << "previous";
    support::platform::FileFaults f;
    f.create = [](std::string_view p) { return p.find("/M30XML/") != std::string_view::npos; };
    support::platform::inject_file_faults(f);
    s.alerts.clear();
    M30XmlRun xml(*s.ctx, s.options());
    EXPECT_EQ(s.run(xml), 4);
    EXPECT_EQ(s.alerts, std::vector<std::string>{kNoDir});
    EXPECT_EQ(s.xml_files(), std::vector<std::string>{"23M30_0001_Előző.xml"});
  }
}

TEST(XmlFiles, AFileThatCannotBeCreatedOrWrittenIsToldAndTheRunGoesOn) {
  XmlStation s;
  for (int step : {0, 1, 2}) {
    SCOPED_TRACE(step == 0 ? "creation" : step == 1 ? "writing" : "closing");
    auto hers = [](std::string_view p) { return p.find("OHara") != std::string_view::npos; };
    support::platform::FileFaults f;
    (step == 0 ? f.create : step == 1 ? f.write : f.close) = hers;
    support::platform::inject_file_faults(f);
    s.alerts.clear();
    M30XmlRun xml(*s.ctx, s.options());
    EXPECT_EQ(s.run(xml), 4);
    EXPECT_EQ(s.alerts, std::vector<std::string>{kFileError});
    // No partial file; the others complete.
    std::vector<std::string> want = golden_names();
    want.erase(std::find(want.begin(), want.end(), "23M30_0002_OHara_Öcsi_É.xml"));
    ASSERT_EQ(s.xml_files(), want);
    for (const std::string& name : want) EXPECT_EQ(read_file(s.xml_dir() + "/" + name), golden_xml(name));
    EXPECT_EQ(xml.outcome().files.size(), 3u);
  }
}

}  // namespace
}  // namespace efile
