// The hand-made company taken over, its year-table and dependants records dumped
// with dbftool as CSV and compared with the golden files written by hand
// (tests/takeover/golden/). A golden file names the columns it checks; every other
// column must hold its blank value (text and dates empty, numbers 0).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "takeover/run_test_util.h"
#include "xbase/tools/dbftool_csv.h"

namespace takeover {
namespace {

using testing::Installation;
using testing::Workstation;

std::vector<std::string> run_tool(const std::string& args) {
  std::string cmd = std::string(MVIRDA_BINARY_DIR) + "/src/xbase/tools/dbftool " + args;
  std::vector<std::string> lines;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return lines;
  char buf[8192];
  std::string line;
  while (std::fgets(buf, sizeof buf, p)) {
    line += buf;
    if (!line.empty() && line.back() == '\n') {
      line.pop_back();
      lines.push_back(line);
      line.clear();
    }
  }
  ::pclose(p);
  return lines;
}

struct Column {
  std::string name;
  char type;
};

// The field names and types `dbftool info` lists.
std::vector<Column> columns_of(const std::string& table) {
  std::vector<Column> out;
  for (const std::string& l : run_tool("info '" + table + "'")) {
    std::istringstream in(l);
    int n;
    std::string name;
    char type;
    if (in >> n >> name >> type) out.push_back({name, type});
  }
  return out;
}

void expect_golden(const std::string& table, const std::string& golden, const std::string& vkod) {
  std::vector<Column> cols = columns_of(table);
  ASSERT_FALSE(cols.empty()) << table;
  std::ifstream in(std::string(MVIRDA_SOURCE_DIR) + "/tests/takeover/golden/" + golden);
  std::vector<std::string> header, row;
  ASSERT_TRUE(xbase::tools::read_csv_row(in, header)) << golden;
  std::vector<std::vector<std::string>> want;
  while (xbase::tools::read_csv_row(in, row))
    if (!row.empty()) want.push_back(row);

  std::vector<std::map<std::string, std::string>> got;
  for (const std::string& l : run_tool("dump '" + table + "'")) {
    std::istringstream line(l);
    std::vector<std::string> v;
    xbase::tools::read_csv_row(line, v);
    if (v.empty() || v[0] == "*") continue;  // deleted
    std::map<std::string, std::string> rec;
    for (size_t i = 0; i < cols.size() && i + 1 < v.size(); ++i) rec[cols[i].name] = v[i + 1];
    if (rec["VKOD"] == vkod) got.push_back(std::move(rec));
  }
  ASSERT_EQ(got.size(), want.size()) << golden;
  for (size_t r = 0; r < got.size(); ++r) {
    std::map<std::string, std::string> expected;
    for (const Column& c : cols) expected[c.name] = c.type == 'N' ? "0" : c.type == 'L' ? "F" : "";
    for (size_t i = 0; i < header.size() && i < want[r].size(); ++i) expected[header[i]] = want[r][i];
    for (const Column& c : cols)
      EXPECT_EQ(got[r][c.name], expected[c.name]) << golden << " row " << r + 1 << " (" << got[r]["SZEMSZAM"]
                                                  << ") " << c.name;
  }
}

TEST(HandCompany, YearAndDependantsTablesAsWorkedOutByHand) {
  Installation inst;
  {
    Workstation w(inst);
    Request req;
    req.payroll_dir = inst.payroll;
    req.companies = {"001"};
    Outcome out = run_takeover(*w.ctx, req);
    ASSERT_EQ(out.status, Status::Done);
  }
  expect_golden(inst.program + "/virda23.dbf", "hand_company_virda23.csv", "001");
  expect_golden(inst.program + "/eltar23.dbf", "hand_company_eltar23.csv", "001");
}

}  // namespace
}  // namespace takeover
