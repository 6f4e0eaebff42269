// What the takeover run tests share: a generated installation of the program with a
// generated payroll installation beside it, a workstation over it, and readers of
// the resulting tables.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <tuple>
#include <string>
#include <vector>

#include "shell/shared_access.h"
#include "shell/shell_test_util.h"
#include "store/tools/demo_data.h"
#include "takeover/takeover_run.h"
#include "takeover/tools/payroll_gen.h"
#include "xbase/functions.h"

namespace takeover::testing {

using shell::testing::Station;

// A scratch drive with "VIRDA23" (persons in companies 001 to 003) and the payroll
// directory "kvad" beside it.
struct Installation {
  std::string root;
  std::string program;
  std::string payroll;

  explicit Installation(int payroll_companies = 2, int payroll_persons = 20, int persons = 30) {
    root = scratch();
    // Generated once per shape in a test run, copied for each test.
    std::string made = made_before(payroll_companies, payroll_persons, persons);
    std::filesystem::copy(made, root, std::filesystem::copy_options::recursive);
    program = root + "/VIRDA23";
    payroll = root + "/kvad";
  }
  ~Installation() { std::filesystem::remove_all(root); }

 private:
  static std::string scratch() {
    std::string base = std::filesystem::temp_directory_path().string() + "/takeover-XXXXXX";
    return ::mkdtemp(base.data());
  }
  static std::string made_before(int payroll_companies, int payroll_persons, int persons) {
    struct Made {
      std::map<std::tuple<int, int, int>, std::string> dirs;
      ~Made() {
        for (auto& [k, d] : dirs) std::filesystem::remove_all(d);
      }
    };
    static Made made;
    auto key = std::tuple{payroll_companies, payroll_persons, persons};
    auto it = made.dirs.find(key);
    if (it != made.dirs.end()) return it->second;
    std::string dir = scratch();
    store::demo::Options o;
    o.persons = persons;
    o.companies = 3;
    o.dependants = persons / 2;
    store::demo::generate_installation(dir, o);
    gen::Options g;
    g.companies = payroll_companies;
    g.persons = payroll_persons;
    gen::generate_payroll(dir + "/kvad", g);
    return made.dirs[key] = dir;
  }
};

// A workstation of the installation as the main menu leaves it before item 7:
// deleted records hidden, the working set open exclusively.
struct Workstation : Station {
  explicit Workstation(const Installation& inst) : Station(inst.program) {
    areas.set_deleted(true);
    ctx->ev = "23";
    EXPECT_TRUE(shell::NYITOGAT(*ctx, true));
  }
};

// The live records of a table of the installation, field name -> value, in record
// order.
inline std::vector<std::map<std::string, xbase::Value>> records(const std::string& path) {
  std::vector<std::map<std::string, xbase::Value>> out;
  xbase::WorkAreas areas;
  areas.set_deleted(true);
  if (!areas.use(path, "", xbase::OpenMode::Shared, true)) return out;
  xbase::WorkArea& a = areas.current();
  for (a.go_top(); !a.eof(); a.skip()) {
    std::map<std::string, xbase::Value> r;
    for (int i = 0; i < a.field_count(); ++i) r[a.field(i).name] = a.get(i);
    out.push_back(std::move(r));
  }
  return out;
}

inline std::string text(const std::map<std::string, xbase::Value>& r, const std::string& f) {
  auto it = r.find(f);
  return it == r.end() ? "" : xbase::rtrim(it->second.as_str());
}

// Every person's records by company code.
inline std::map<std::string, int> count_by_company(const std::string& path) {
  std::map<std::string, int> out;
  for (const auto& r : records(path)) ++out[text(r, "VKOD")];
  return out;
}

}  // namespace takeover::testing
