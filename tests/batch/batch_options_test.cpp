// The batch mode's command line: what it takes, and the faults it names before
// anything is touched.
#include <gtest/gtest.h>

#include "batch/options.h"

namespace batch {
namespace {

BatchParse parse(std::vector<std::string> args) { return parse_batch_args(args); }

TEST(BatchOptions, CommonOptionsThenTheCommandAndItsOptions) {
  BatchParse p = parse({"--dir", "/srv/VIRDA23", "--wait=5", "--date", "2024.01.31", "--quiet",
                        "m30", "--companies=5-50", "--kind", "payer", "--person", "8310472455",
                        "--start", "3", "--out", "ki", "--pdf"});
  ASSERT_TRUE(p.options) << p.fault;
  const BatchOptions& o = *p.options;
  EXPECT_EQ(o.dir, "/srv/VIRDA23");
  EXPECT_EQ(o.wait_seconds, 5);
  EXPECT_EQ(o.date, xbase::Date::from_ymd(2024, 1, 31));
  EXPECT_TRUE(o.quiet);
  EXPECT_EQ(o.command, "m30");
  ASSERT_EQ(o.companies.size(), 1u);
  EXPECT_EQ(o.companies[0].first, "005");  // filled as the code fields fill them
  EXPECT_EQ(o.companies[0].last, "050");
  EXPECT_EQ(o.kind, "payer");
  EXPECT_EQ(o.person, "8310472455");
  EXPECT_EQ(o.start, 3);
  EXPECT_EQ(o.out, "ki");
  EXPECT_TRUE(o.pdf);
}

TEST(BatchOptions, DefaultsAndTheEndOfOptions) {
  BatchParse p = parse({"--", "check"});
  ASSERT_TRUE(p.options) << p.fault;
  EXPECT_EQ(p.options->wait_seconds, 30);
  EXPECT_FALSE(p.options->date);
  EXPECT_TRUE(p.options->companies.empty());
  EXPECT_EQ(p.options->kind, "both");
  // After "--" a word is never an option.
  EXPECT_FALSE(parse({"--", "--quiet"}).options);
}

TEST(BatchOptions, TakeoverRangesAndRequiredOptions) {
  BatchParse p = parse({"takeover", "--companies", "1,010-020", "--overwrite"});
  ASSERT_TRUE(p.options) << p.fault;
  ASSERT_EQ(p.options->companies.size(), 2u);
  EXPECT_EQ(p.options->companies[0].first, "001");
  EXPECT_EQ(p.options->companies[0].last, "001");
  EXPECT_EQ(p.options->companies[1].last, "020");
  EXPECT_TRUE(parse({"takeover", "--companies", "all"}).options->companies.empty());
  EXPECT_FALSE(parse({"takeover"}).options);
  EXPECT_FALSE(parse({"restore", "--from", "/mnt"}).options);  // --yes is required
  EXPECT_TRUE(parse({"restore", "--from", "/mnt", "--yes"}).options);
  // m30 takes one range only.
  EXPECT_FALSE(parse({"m30", "--companies", "1,2"}).options);
}

TEST(BatchOptions, FaultsNameWhatIsWrong) {
  struct Case {
    std::vector<std::string> args;
    const char* named;
  } cases[] = {
      {{"print"}, "ismeretlen parancs: print"},
      {{"check", "--xml"}, "ismeretlen kapcsoló a(z) check parancsnál: --xml"},
      {{"ekho", "--start", "2"}, "--start"},  // the EKHO run has no start number
      {{"m30", "--companies"}, "hiányzik a --companies kapcsoló értéke"},
      {{"m30", "--companies", "0a1-"}, "--companies: nem cégkódok tartománya: 0a1-"},
      {{"m30", "--companies", "050-001"}, "050-001"},
      {{"m30", "--companies", "1234"}, "1234"},
      {{"--date", "2023.02.30", "check"}, "--date: nem ÉÉÉÉ.HH.NN alakú dátum: 2023.02.30"},
      {{"--date", "2023-01-31", "check"}, "2023-01-31"},
      {{"--wait", "soon", "check"}, "--wait: nem másodpercek száma: soon"},
      {{"m30", "--kind", "all"}, "--kind"},
      {{"m30", "--start", "0"}, "--start"},
      {{"m30", "--print", "--pdf"}, "a --print és a --pdf kizárja egymást"},
      {{"m30", "--xml=yes"}, "a --xml kapcsolónak nincs értéke"},
      {{"check", "--dir", "x"},
       "a --dir kapcsoló a parancs elé való"},  // the common options come first
      {{}, "hiányzik a parancs"},
      {{"check", "reindex"}, "fölösleges argumentum: reindex"},
      {{"takeover"}, "takeover: a --companies kötelező"},
      {{"restore", "--from", "/mnt"}, "restore: a --yes kötelező"},
      {{"restore", "--yes"}, "restore: a --from kötelező"},
      {{"rows"}, "rows: az --export vagy az --import közül pontosan egy kell"},
      {{"rows", "--export", "a.txt", "--import", "a.txt"}, "pontosan egy kell"},
      {{"rows", "--export"}, "hiányzik a --export kapcsoló értéke"},
      {{"m30", "--companies", "1,2"}, "--companies: itt csak egy tartomány adható meg: 1,2"},
      {{"m30", "--kind", "mind"}, "--kind: employer, payer vagy both lehet, nem mind"},
      {{"m30", "--person", "12345678901"}, "--person: nem adóazonosító: 12345678901"},
      {{"m30", "--nincs"}, "ismeretlen kapcsoló a(z) m30 parancsnál: --nincs"},
      {{"--nincs", "check"}, "ismeretlen kapcsoló: --nincs"},
  };
  for (const Case& c : cases) {
    BatchParse p = parse(c.args);
    EXPECT_FALSE(p.options) << c.named;
    EXPECT_NE(p.fault.find(c.named), std::string::npos) << p.fault;
  }
}

TEST(BatchOptions, DatesAndRanges) {
  EXPECT_EQ(batch_date("2024.02.29"), xbase::Date::from_ymd(2024, 2, 29));
  EXPECT_FALSE(batch_date("2023.02.29"));
  EXPECT_FALSE(batch_date("2023.13.01"));
  EXPECT_FALSE(batch_date("23.01.31"));
  EXPECT_EQ(company_code("7"), "007");
  EXPECT_EQ(company_code("042"), "042");
  EXPECT_FALSE(company_code(""));
  EXPECT_FALSE(company_code("-1"));
  EXPECT_EQ(code_range("007")->last, "007");
  EXPECT_FALSE(code_range("1-"));
  EXPECT_FALSE(code_range("-1"));
}

TEST(BatchOptions, HelpNamesEveryCommandOptionAndExitCode) {
  BatchParse p = parse({"--help"});
  ASSERT_TRUE(p.options);
  EXPECT_TRUE(p.options->help);
  EXPECT_TRUE(parse({"m30", "--help"}).options->help);
  std::string h = batch_help();
  for (const char* word : {"check", "reindex", "m30", "ekho", "takeover", "backup", "restore",
                           "rows", "--export", "--import", "--dir", "--wait", "--date", "--quiet", "--companies", "--kind",
                           "--person", "--start", "--xml", "--out", "--print", "--pdf", "--from",
                           "--overwrite", "--to", "--yes", "130", "143"})
    EXPECT_NE(h.find(word), std::string::npos) << word;
  for (int code = 0; code <= 7; ++code)
    EXPECT_NE(h.find("  " + std::to_string(code) + "    "), std::string::npos) << code;
}

// Every text the batch mode prints is Hungarian: the help, the usage line and the
// help of each command hold none of the English words they were once written with.
TEST(BatchOptions, HelpAndUsageAreHungarian) {
  EXPECT_TRUE(batch_usage_line().starts_with("használat: mvirda23 batch [--dir KÖNYVTÁR] "))
      << batch_usage_line();
  std::string all = batch_help();
  for (const char* c : {"check", "reindex", "m30", "ekho", "takeover", "backup", "restore", "rows"})
    all += batch_command_help(c);
  EXPECT_NE(all.find("Kilépési kódok:"), std::string::npos);
  for (const char* word : {"usage", "default", "Options", "Commands", "Exit codes", " the ",
                           " every ", " into ", " or ", " and ", "done", "RANGE", "DIR", "TAXID"})
    EXPECT_EQ(all.find(word), std::string::npos) << word;
}

}  // namespace
}  // namespace batch
