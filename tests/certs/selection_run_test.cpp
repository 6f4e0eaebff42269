// Which certificates a run prints and how it numbers them: the start number, the
// tax identifier, an empty range, the progress it reports and the XML hooks.
#include <gtest/gtest.h>

#include <regex>
#include <stdexcept>

#include "certs/cert_fixture.h"
#include "certs/certs_test_util.h"
#include "certs/kiknek.h"
#include "certs/m30_run.h"
#include "console/keys.h"
#include "entry/help.h"
#include "xbase/functions.h"

namespace certs {
namespace {

using namespace testing;
using testing::cells;

// The part from column `col` of the lines of a preview file that begin with
// `prefix` (UTF-8 both).
std::vector<std::string> lines_with(const std::string& path, const std::string& prefix, int col = 0) {
  std::vector<std::string> out;
  const std::string p = xbase::utf8_to_cp852(prefix);
  for (const std::string& l : print_lines(file_bytes(path)))
    if (l.rfind(p, 0) == 0) out.push_back(xbase::cp852_to_utf8(l.substr(static_cast<std::size_t>(col))));
  return out;
}

std::vector<int> serials(const std::string& path) {
  std::vector<int> out;
  for (const std::string& l : lines_with(path, "Sorszám:", 8)) out.push_back(std::stoi(l));
  return out;
}

// Five persons of type "M" in each of the companies 010 and 020.
void five_in_two(Station& s) {
  build_installation(s, [](store::RecordWriter& c, store::RecordWriter& p) {
    for (const char* vkod : {"010", "020"}) append(c, {{"VKOD", vkod}, {"VNEV", "Cég"}});
    // Added out of name order: the run prints them in the order of the names.
    for (const char* vkod : {"020", "010"})
      for (auto [vez, uto] : {std::pair{"Erdős", "Emil"}, {"Bakó", "Béla"}, {"Dávid", "Dóra"},
                              {"Antal", "Anna"}, {"Cseh", "Csaba"}})
        append(p, {{"VKOD", vkod}, {"NYILAT", "M"}, {"NEV", (std::string(vez) + " " + uto).c_str()},
                   {"VEZNEV", vez}, {"UTONEV", uto}, {"JOVEDELEM", 1000},
                   {"SZEMSZAM", (std::string("8") + vkod + "00000" + vez[0]).c_str()}});
  });
}

TEST(Selection, F1InTheTaxIdentifierListsThePersonsFromTheFirstOfTheirOrder) {
  Station s;
  five_in_two(s);
  s.con->set_key(console::key::kF1, [&s](console::Console&) { entry::HELP(*s.ctx); });
  s.vars.make_public("KMINVKOD", Value::str("010"));
  s.vars.make_public("KMAXVKOD", Value::str("020"));
  // Both codes as they are, F1 in the tax identifier, Enter on the list's first row,
  // Enter to leave the field, Esc in the next one.
  s.term->keys({'\r', '\r', console::key::kF1, '\r', '\r', console::key::kEsc});
  KIKNEK(*s.ctx, "JOV");
  // The list (rows 3-22, columns 10-69; the two columns that fit centred): its first
  // row is 010 Antal Anna, the first person in company and name order, though the
  // table holds 020 Erdős Emil first.
  const console::Screen* list = nullptr;
  for (const console::Screen& w : s.term->waits())
    if (xbase::cp852_to_utf8(cells(w, 3, 10, 1)) == "┌") list = &w;
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(xbase::cp852_to_utf8(cells(*list, 5, 18, 7)), "Cég Név");
  EXPECT_EQ(xbase::cp852_to_utf8(cells(*list, 7, 18, 14)), "010 Antal Anna");
  EXPECT_EQ(xbase::cp852_to_utf8(cells(*list, 16, 18, 14)), "020 Erdős Emil");
  EXPECT_EQ(s.vars.find("KSZEMSZAM")->as_str(), "801000000A");
}

TEST(Selection, StartNumberPrintsTheLaterCertificatesOfEachCompany) {
  Station s;
  five_in_two(s);
  RunRequest req = screen_request("010", "020");
  req.selection.kezdold = 3;
  EXPECT_EQ(run_m30(*s.ctx, req).certificates, 6);
  EXPECT_EQ(serials(s.file("jovedig.prn")), (std::vector<int>{3, 3, 4, 4, 5, 5, 3, 3, 4, 4, 5, 5}));
  std::vector<std::string> names;
  for (const std::string& l : lines_with(s.file("jovedig.prn"), "Magánszemély családi neve:", 31))
    names.push_back(l.substr(0, l.find(' ')));
  EXPECT_EQ(names, (std::vector<std::string>{"Cseh", "Dávid", "Erdős", "Cseh", "Dávid", "Erdős"}));
}

TEST(Selection, TaxIdentifierPrintsThePersonsRecordsOfEveryTypeInRecordOrder) {
  Station s;
  golden_installation(s);
  RunRequest req = screen_request("001", "999");
  req.selection.kszemszam = "8310472455";
  EXPECT_EQ(run_m30(*s.ctx, req).certificates, 3);
  const std::string prn = s.file("jovedig.prn");
  EXPECT_EQ(serials(prn), (std::vector<int>{1, 1, 2, 2, 3, 3}));
  // The "M", "K" and "E" records as they were added: their wage incomes.
  std::vector<std::string> wages;
  for (const std::string& l : lines_with(prn, "     az érdekképviseleti tagdíj nélkül:", 71))
    wages.push_back(std::regex_replace(l, std::regex(" "), ""));
  EXPECT_EQ(wages, (std::vector<std::string>{"6.543.210", "300.000", "100.000"}));
}

TEST(Selection, AnEmptyRangeGivesAnEmptyFileAndAnEmptyViewer) {
  Station s;
  golden_installation(s);
  for (auto [from, to] : {std::pair{"001", "   "}, std::pair{"002", "001"}, std::pair{"004", "999"}}) {
    bool shown = false;
    RunRequest req = screen_request(from, to);
    req.show_preview = [&](const std::string&) { shown = true; };
    RunResult r = run_m30(*s.ctx, req);
    EXPECT_EQ(r.certificates, 0) << from << "-" << to;
    EXPECT_TRUE(shown);
    EXPECT_EQ(file_bytes(s.file("jovedig.prn")), "") << from << "-" << to;
  }
}

TEST(Selection, ProgressReportsTheCompaniesInOrder) {
  Station s;
  golden_installation(s);
  RunRequest req = screen_request("001", "999");
  std::vector<std::string> seen;
  req.progress = [&](const Progress& p) {
    seen.push_back((p.kind == Progress::Kind::CompanyBegun ? "+" : p.kind == Progress::Kind::CompanyDone ? "-" : "#") +
                   p.vkod + ":" + std::to_string(p.certificates));
  };
  run_m30(*s.ctx, req);
  EXPECT_EQ(seen, (std::vector<std::string>{"+001:0", "-001:3", "+002:3", "-002:4", "+003:4", "-003:5"}));
}

TEST(Selection, XmlHooksFollowTheCertificatesAndEndAfterTheViewer) {
  Station s;
  golden_installation(s);
  HookLog log;
  RunRequest req = screen_request("002", "999");
  req.selection.xml = true;
  req.show_preview = [&](const std::string&) { log.calls.push_back("viewer"); };
  M30XmlHooks hooks = log.hooks(true);
  run_m30(*s.ctx, req, hooks);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"begin I", "1 002 8401234565 1149499998",
                                                 "1     8412345673    1000000", "viewer", "end"}));

  // Begun and given up: nothing after it, and the run goes on without XML.
  log.calls.clear();
  hooks = log.hooks(false);
  EXPECT_EQ(run_m30(*s.ctx, req, hooks).certificates, 2);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"begin I", "viewer"}));

  // Not asked for: not begun.
  log.calls.clear();
  req.selection.xml = false;
  hooks = log.hooks(true);
  run_m30(*s.ctx, req, hooks);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"viewer"}));
}

TEST(Selection, XmlEndsAlsoWhenTheRunIsLeftByAnError) {
  Station s;
  golden_installation(s);
  HookLog log;
  M30XmlHooks hooks = log.hooks(true);
  hooks.after_certificate = [](shell::Context&, int) -> void { throw std::runtime_error("disk full"); };
  RunRequest req = screen_request("001", "999");
  req.selection.xml = true;
  EXPECT_THROW(run_m30(*s.ctx, req, hooks), std::runtime_error);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"begin I", "end"}));
  // The preview file is free again for the next run.
  EXPECT_EQ(run_m30(*s.ctx, screen_request("002", "002")).certificates, 1);
}

}  // namespace
}  // namespace certs
